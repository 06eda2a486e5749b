// "Copy to Clipboard (Selected)" and "Copy to Clipboard (All)" through the
// main window's real controls, checked against the exact text that reaches the
// system clipboard.
#include "app/frmMain.h"
#include "app/linkLabel.h"
#include "testSupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyleOptionButton>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QString MissingInfo = u"Missing Info"_s;
const QString NoPrompts = u"Please generate some prompts first."_s;
const QString NothingToCopy = u"Nothing to copy."_s;
const QString Done = u"Done"_s;
const QString PromptCopied = u"Done. Prompt copied to clipboard."_s;
const QString PromptsCopied = u"Done. Prompts copied to clipboard."_s;

const QByteArray TopicTemplate = "About #KEYWORD# in #WORDS# words. #PRO#End.";
const QByteArray AngleTemplate = "About #KEYWORD#, angle #ANGLE#, #WORDS# words. #PRO#End.";

// What the clipboard held before a command, to see that a refused command
// left it alone.
const QString Untouched = u"left here by the test"_s;

QString clipboardText()
{
    return QGuiApplication::clipboard()->text();
}

QString block(const QString& keyword, const QString& prompt)
{
    return u"Keyword: "_s + keyword + u"\r\nPrompt: "_s + prompt + u"\r\n\r\n"_s;
}

QString sentence(const QString& name, const QString& format, const QString& description)
{
    return u"In the middle of the article begin preselling the following product: '"_s + name +
           u"'. Product Format: "_s + format + u". What it does: "_s + description + u". "_s;
}

// Records every message box together with what the clipboard held at the
// moment the box was shown.
class BoxesWithClipboard
{
public:
    struct Seen
    {
        modGeneral::MessageBoxCall call;
        QString clipboard;
    };

    BoxesWithClipboard()
    {
        modGeneral::setMessageBoxHandler([this](const modGeneral::MessageBoxCall& call) {
            seen.append(Seen{call, clipboardText()});
            return int(modGeneral::vbOK);
        });
    }
    ~BoxesWithClipboard() { modGeneral::setMessageBoxHandler(nullptr); }
    BoxesWithClipboard(const BoxesWithClipboard&) = delete;
    BoxesWithClipboard& operator=(const BoxesWithClipboard&) = delete;

    QList<Seen> seen;
};

struct Window
{
    Window(bool fullEdition, const QString& folder) : w(fullEdition, folder)
    {
        mainKeyword = w.findChild<QLineEdit*>(u"txtMainKeyword"_s);
        keywords = w.findChild<QPlainTextEdit*>(u"txtSelectedKeyword"_s);
        words = w.findChild<QLineEdit*>(u"txtApproxWords"_s);
        promote = w.findChild<QCheckBox*>(u"chkPromoteProduct"_s);
        products = w.findChild<QComboBox*>(u"cboPromoteProduct"_s);
        create = w.findChild<QPushButton*>(u"cmdCreatePrompt"_s);
        list = w.findChild<QListView*>(u"lstPrompts"_s);
        prompt = w.findChild<QPlainTextEdit*>(u"txtPrompt"_s);
        copySelected = w.findChild<LinkLabel*>(u"lblCopyToClipboard"_s);
        copyAll = w.findChild<LinkLabel*>(u"lblSaveasPDF"_s);
    }

    bool ready()
    {
        if (!mainKeyword || !keywords || !words || !promote || !products || !create || !list ||
            !prompt || !copySelected || !copyAll)
            return false;
        w.show();
        return QTest::qWaitForWindowExposed(&w) && QTest::qWaitForWindowActive(&w);
    }

    static void setLine(QLineEdit* edit, const QString& text)
    {
        edit->setFocus();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClicks(edit, text);
    }

    // Replaces the long-tail keywords by pasting them, then puts the test's
    // marker back on the clipboard.
    void pasteKeywords(const QString& text)
    {
        keywords->setFocus();
        QTest::keyClick(keywords, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(keywords, Qt::Key_Delete);
        QGuiApplication::clipboard()->setText(text);
        QTest::keyClick(keywords, Qt::Key_V, Qt::ControlModifier);
        QGuiApplication::clipboard()->setText(Untouched);
    }

    void setPromote(bool on)
    {
        if (promote->isChecked() == on)
            return;
        QStyleOptionButton option;
        option.initFrom(promote);
        const QRect box =
            promote->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, promote);
        QTest::mouseClick(promote, Qt::LeftButton, Qt::NoModifier, box.center());
    }

    void makeBatch(const QString& main, const QString& keywordText)
    {
        setLine(mainKeyword, main);
        pasteKeywords(keywordText);
        QTest::mouseClick(create, Qt::LeftButton);
    }

    void pick(int row)
    {
        const QModelIndex index = list->model()->index(row, 0);
        list->scrollTo(index);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier,
                          list->visualRect(index).center());
    }

    static void click(LinkLabel* link)
    {
        QTest::mouseClick(link, Qt::LeftButton, Qt::NoModifier, link->rect().center());
    }

    int rows() const { return list->model()->rowCount(); }
    int selectedRow() const
    {
        const QModelIndexList selected = list->selectionModel()->selectedIndexes();
        return selected.size() == 1 ? selected.constFirst().row() : -1;
    }

    frmMain w;
    QLineEdit* mainKeyword = nullptr;
    QPlainTextEdit* keywords = nullptr;
    QLineEdit* words = nullptr;
    QCheckBox* promote = nullptr;
    QComboBox* products = nullptr;
    QPushButton* create = nullptr;
    QListView* list = nullptr;
    QPlainTextEdit* prompt = nullptr;
    LinkLabel* copySelected = nullptr;
    LinkLabel* copyAll = nullptr;
};

} // namespace

class tst_Clipboard : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void noBatch_data();
    void noBatch();
    void nothingToCopy_data();
    void nothingToCopy();
    void copyAllText_data();
    void copyAllText();
    void copyAllComposesAgain();
    void copySelectedText_data();
    void copySelectedText();
    void copySelectedAfterNewBatch();
    void linksFromKeyboard_data();
    void linksFromKeyboard();
    void doneOnlyAfterClipboardHoldsText();
    void tooMuchText();
};

void tst_Clipboard::init()
{
    QGuiApplication::clipboard()->setText(Untouched);
}

void tst_Clipboard::cleanup()
{
    QStringList open;
    const QWidgetList widgets = QApplication::topLevelWidgets();
    for (const QWidget* widget : widgets) {
        if (widget->isVisible() && widget->windowType() != Qt::ToolTip)
            open.append(QString::fromLatin1(widget->metaObject()->className()) + u' ' +
                        widget->objectName());
    }
    QVERIFY2(open.isEmpty(), qPrintable(u"windows left open: "_s + open.join(u", "_s)));
}

void tst_Clipboard::noBatch_data()
{
    QTest::addColumn<bool>("all");
    QTest::addColumn<bool>("afterRefusedBatch");
    QTest::newRow("selected, no batch yet") << false << false;
    QTest::newRow("all, no batch yet") << true << false;
    QTest::newRow("selected, batch refused") << false << true;
    QTest::newRow("all, batch refused") << true << true;
}

void tst_Clipboard::noBatch()
{
    QFETCH(bool, all);
    QFETCH(bool, afterRefusedBatch);
    ProgramFolder folder(TopicTemplate, AngleTemplate);
    MessageBoxScript script;
    Window win(true, folder.path());
    QVERIFY(win.ready());

    if (afterRefusedBatch) {
        // A prompt on screen, then a batch refused for its empty word box:
        // the list is empty again, the prompt stays on screen.
        win.makeBatch(u"apple"_s, u"apple pie"_s);
        win.pick(0);
        QVERIFY(!win.prompt->toPlainText().isEmpty());
        Window::setLine(win.words, QString());
        script.expect(MissingInfo, u"Please fill the 'Approx. Words' field."_s);
        QTest::mouseClick(win.create, Qt::LeftButton);
        QCOMPARE(win.rows(), 0);
        QVERIFY(!win.prompt->toPlainText().isEmpty());
    }

    script.expect(MissingInfo, NoPrompts);
    Window::click(all ? win.copyAll : win.copySelected);
    QVERIFY2(script.done(), qPrintable(script.pending()));
    QCOMPARE(script.shown().constLast().style, int(modGeneral::vbInfoOk));
    QCOMPARE(clipboardText(), Untouched);
}

void tst_Clipboard::nothingToCopy_data()
{
    QTest::addColumn<QByteArray>("topic");
    QTest::addColumn<QString>("situation");
    QTest::newRow("nothing picked yet") << TopicTemplate << u"unpicked"_s;
    QTest::newRow("prompt composed empty") << QByteArray("") << u"empty prompt"_s;
    QTest::newRow("box emptied by the user") << TopicTemplate << u"cleared"_s;
}

void tst_Clipboard::nothingToCopy()
{
    QFETCH(QByteArray, topic);
    QFETCH(QString, situation);
    ProgramFolder folder(topic, AngleTemplate);
    MessageBoxScript script;
    Window win(true, folder.path());
    QVERIFY(win.ready());
    win.makeBatch(u"apple"_s, u"apple\r\napple pie"_s);
    QCOMPARE(win.rows(), 2);

    if (situation == u"empty prompt"_s) {
        win.pick(1);
        QVERIFY(!win.prompt->toPlainText().isEmpty());
        win.pick(0); // the topic template is empty
    } else if (situation == u"cleared"_s) {
        win.pick(1);
        win.prompt->setFocus();
        QTest::keyClick(win.prompt, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(win.prompt, Qt::Key_Delete);
    }
    QCOMPARE(win.prompt->toPlainText(), QString());

    script.expect(MissingInfo, NothingToCopy);
    Window::click(win.copySelected);
    QVERIFY2(script.done(), qPrintable(script.pending()));
    QCOMPARE(clipboardText(), Untouched);
}

void tst_Clipboard::copyAllText_data()
{
    QTest::addColumn<QByteArray>("topic");
    QTest::addColumn<QByteArray>("angle");
    QTest::addColumn<QString>("main");
    QTest::addColumn<QString>("keywords");
    QTest::addColumn<QString>("expected");

    QTest::newRow("one keyword")
        << TopicTemplate << AngleTemplate << u"apple"_s << u"apple pie"_s
        << u"Keyword: apple pie\r\nPrompt: About apple, angle pie, 400 words. End.\r\n\r\n"_s;
    QTest::newRow("several keywords")
        << TopicTemplate << AngleTemplate << u"Apple"_s
        << u"apple pie\r\nAPPLE\r\n   \r\nPlum Cake\r\napple pie"_s
        << block(u"apple pie"_s, u"About Apple, angle pie, 400 words. End."_s) +
               block(u"APPLE"_s, u"About Apple in 400 words. End."_s) +
               block(u"   "_s, u"About Apple in 400 words. End."_s) +
               block(u"Plum Cake"_s, u"About Apple, angle plum cake, 400 words. End."_s) +
               block(u"apple pie"_s, u"About Apple, angle pie, 400 words. End."_s);
    QTest::newRow("multi-line templates")
        << QByteArray("Write about #KEYWORD#.\r\n\r\nUse about #WORDS# words.\r\n#PRO#Thanks.")
        << QByteArray("Angle: #ANGLE#\r\nMain: #KEYWORD#\r\n") << u"apple"_s
        << u"apple\r\napple pie"_s
        << u"Keyword: apple\r\nPrompt: Write about apple.\r\n\r\nUse about 400 "
           u"words.\r\nThanks.\r\n\r\n"
           "Keyword: apple pie\r\nPrompt: Angle: pie\r\nMain: apple\r\n\r\n\r\n"_s;
    QTest::newRow("empty templates")
        << QByteArray("") << QByteArray("") << u"apple"_s << u"apple pie\r\napple"_s
        << u"Keyword: apple pie\r\nPrompt: \r\n\r\nKeyword: apple\r\nPrompt: \r\n\r\n"_s;
    QTest::newRow("keyword as split, not as listed")
        << TopicTemplate << AngleTemplate << u"apple"_s << u"apple pie (click to see the prompt)"_s
        << block(u"apple pie (click to see the prompt)"_s,
                 u"About apple, angle pie (click to see the prompt), 400 words. End."_s);
    QTest::newRow("no placeholders")
        << QByteArray("Same for all.") << QByteArray("Same for every angle.") << u"apple"_s
        << u"apple\r\napple tart"_s
        << block(u"apple"_s, u"Same for all."_s) +
               block(u"apple tart"_s, u"Same for every angle."_s);
}

void tst_Clipboard::copyAllText()
{
    QFETCH(QByteArray, topic);
    QFETCH(QByteArray, angle);
    QFETCH(QString, main);
    QFETCH(QString, keywords);
    QFETCH(QString, expected);
    ProgramFolder folder(topic, angle);
    MessageBoxScript script;
    Window win(true, folder.path());
    QVERIFY(win.ready());
    win.makeBatch(main, keywords);
    QVERIFY(win.rows() > 0);
    win.pick(0);
    const QString shown = win.prompt->toPlainText();

    script.expect(Done, PromptsCopied);
    Window::click(win.copyAll);
    QVERIFY2(script.done(), qPrintable(script.pending()));
    QCOMPARE(script.shown().constLast().style, int(modGeneral::vbInfoOk));
    QCOMPARE(clipboardText(), expected);
    // Copying changes nothing on screen.
    QCOMPARE(win.prompt->toPlainText(), shown);
    QCOMPARE(win.selectedRow(), 0);
    QCOMPARE(win.w.lstKeywords.count(), win.rows());
}

void tst_Clipboard::copyAllComposesAgain()
{
    ProgramFolder folder(TopicTemplate, AngleTemplate);
    QVERIFY(folder.writeRecord(u"guide"_s, u"Guide"_s, u"ebook"_s, u"Helps"_s));
    MessageBoxScript script;
    Window win(true, folder.path());
    QVERIFY(win.ready());
    win.makeBatch(u"apple"_s, u"apple pie\r\napple"_s);
    win.pick(0);

    const QString before = block(u"apple pie"_s, u"About apple, angle pie, 400 words. End."_s) +
                           block(u"apple"_s, u"About apple in 400 words. End."_s);
    script.expect(Done, PromptsCopied);
    Window::click(win.copyAll);
    QCOMPARE(clipboardText(), before);

    // Edits in the prompt box are not copied: every prompt is composed again.
    win.prompt->setFocus();
    QTest::keyClick(win.prompt, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(win.prompt, u"My own prompt"_s);
    QGuiApplication::clipboard()->setText(Untouched);
    script.expect(Done, PromptsCopied);
    Window::click(win.copyAll);
    QCOMPARE(clipboardText(), before);

    // Changed fields are.
    Window::setLine(win.mainKeyword, u"Apple Pie"_s);
    Window::setLine(win.words, u"900"_s);
    script.expect(Done, PromptsCopied);
    Window::click(win.copyAll);
    QCOMPARE(clipboardText(),
             block(u"apple pie"_s, u"About Apple Pie in 900 words. End."_s) +
                 block(u"apple"_s, u"About Apple Pie, angle apple, 900 words. End."_s));

    // Promotion ticked after the batch: no product was loaded for it.
    win.setPromote(true);
    script.expect(Done, PromptsCopied);
    Window::click(win.copyAll);
    const QString empty = sentence({}, {}, {});
    QCOMPARE(
        clipboardText(),
        block(u"apple pie"_s, u"About Apple Pie in 900 words. "_s + empty + u"End."_s) +
            block(u"apple"_s, u"About Apple Pie, angle apple, 900 words. "_s + empty + u"End."_s));

    // A batch made with promotion on carries the product.
    QTest::mouseClick(win.create, Qt::LeftButton);
    script.expect(Done, PromptsCopied);
    Window::click(win.copyAll);
    const QString guide = sentence(u"Guide"_s, u"ebook"_s, u"Helps"_s);
    QCOMPARE(
        clipboardText(),
        block(u"apple pie"_s, u"About Apple Pie in 900 words. "_s + guide + u"End."_s) +
            block(u"apple"_s, u"About Apple Pie, angle apple, 900 words. "_s + guide + u"End."_s));
    QCOMPARE(win.prompt->toPlainText(), u"My own prompt"_s);
    QVERIFY2(script.done(), qPrintable(script.pending()));
}

void tst_Clipboard::copySelectedText_data()
{
    QTest::addColumn<QByteArray>("topic");
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("typed"); // typed at the end of the box; "\n" presses Enter
    QTest::addColumn<QString>("expected");

    QTest::newRow("picked prompt")
        << TopicTemplate << 1 << QString() << u"About apple, angle pie, 400 words. End."_s;
    QTest::newRow("user's edits") << TopicTemplate << 0 << u" Add a table."_s
                                  << u"About apple in 400 words. End. Add a table."_s;
    QTest::newRow("user's new lines")
        << TopicTemplate << 0 << u"\nSecond line\n\nFourth line"_s
        << u"About apple in 400 words. End.\r\nSecond line\r\n\r\nFourth line"_s;
    QTest::newRow("multi-line template")
        << QByteArray("Title: #KEYWORD#\r\n\r\nBody of #WORDS# words.\r\nEnd.") << 0 << QString()
        << u"Title: apple\r\n\r\nBody of 400 words.\r\nEnd."_s;
}

void tst_Clipboard::copySelectedText()
{
    QFETCH(QByteArray, topic);
    QFETCH(int, row);
    QFETCH(QString, typed);
    QFETCH(QString, expected);
    ProgramFolder folder(topic, AngleTemplate);
    MessageBoxScript script;
    Window win(true, folder.path());
    QVERIFY(win.ready());
    win.makeBatch(u"apple"_s, u"apple\r\napple pie"_s);
    win.pick(row);
    if (!typed.isEmpty()) {
        win.prompt->setFocus();
        QTest::keyClick(win.prompt, Qt::Key_End, Qt::ControlModifier);
        const QStringList lines = typed.split(u'\n');
        for (qsizetype i = 0; i < lines.size(); ++i) {
            if (i > 0)
                QTest::keyClick(win.prompt, Qt::Key_Return);
            QTest::keyClicks(win.prompt, lines.at(i));
        }
    }

    script.expect(Done, PromptCopied);
    Window::click(win.copySelected);
    QVERIFY2(script.done(), qPrintable(script.pending()));
    QCOMPARE(script.shown().constLast().style, int(modGeneral::vbInfoOk));
    QCOMPARE(clipboardText(), expected);
    QCOMPARE(win.selectedRow(), row);
}

void tst_Clipboard::copySelectedAfterNewBatch()
{
    ProgramFolder folder(TopicTemplate, AngleTemplate);
    MessageBoxScript script;
    Window win(true, folder.path());
    QVERIFY(win.ready());
    win.makeBatch(u"apple"_s, u"apple pie\r\napple tart"_s);
    win.pick(1);
    // A new batch leaves the old prompt on screen and picks nothing; that
    // prompt is what "Selected" copies.
    win.makeBatch(u"plum"_s, u"plum cake"_s);
    QCOMPARE(win.rows(), 1);
    QCOMPARE(win.selectedRow(), -1);

    script.expect(Done, PromptCopied);
    Window::click(win.copySelected);
    QVERIFY2(script.done(), qPrintable(script.pending()));
    QCOMPARE(clipboardText(), u"About apple, angle tart, 400 words. End."_s);
}

void tst_Clipboard::linksFromKeyboard_data()
{
    QTest::addColumn<bool>("all");
    QTest::addColumn<int>("key");
    QTest::newRow("selected, space") << false << int(Qt::Key_Space);
    QTest::newRow("selected, return") << false << int(Qt::Key_Return);
    QTest::newRow("all, space") << true << int(Qt::Key_Space);
    QTest::newRow("all, return") << true << int(Qt::Key_Return);
}

void tst_Clipboard::linksFromKeyboard()
{
    QFETCH(bool, all);
    QFETCH(int, key);
    ProgramFolder folder(TopicTemplate, AngleTemplate);
    MessageBoxScript script;
    Window win(true, folder.path());
    QVERIFY(win.ready());
    win.makeBatch(u"apple"_s, u"apple pie"_s);
    win.pick(0);

    LinkLabel* link = all ? win.copyAll : win.copySelected;
    link->setFocus(Qt::TabFocusReason);
    QCOMPARE(QApplication::focusWidget(), link);
    script.expect(Done, all ? PromptsCopied : PromptCopied);
    QTest::keyClick(link, Qt::Key(key));
    QVERIFY2(script.done(), qPrintable(script.pending()));
    const QString prompt = u"About apple, angle pie, 400 words. End."_s;
    QCOMPARE(clipboardText(), all ? block(u"apple pie"_s, prompt) : prompt);
}

void tst_Clipboard::doneOnlyAfterClipboardHoldsText()
{
    ProgramFolder folder(TopicTemplate, AngleTemplate);
    BoxesWithClipboard boxes;
    Window win(true, folder.path());
    QVERIFY(win.ready());
    win.makeBatch(u"apple"_s, u"apple pie\r\napple"_s);
    win.pick(0);
    QCOMPARE(clipboardText(), Untouched);

    Window::click(win.copySelected);
    QCOMPARE(boxes.seen.size(), 1);
    QCOMPARE(boxes.seen.at(0).call.title, Done);
    QCOMPARE(boxes.seen.at(0).call.text, PromptCopied);
    QCOMPARE(boxes.seen.at(0).clipboard, u"About apple, angle pie, 400 words. End."_s);

    QGuiApplication::clipboard()->setText(Untouched);
    Window::click(win.copyAll);
    QCOMPARE(boxes.seen.size(), 2);
    QCOMPARE(boxes.seen.at(1).call.title, Done);
    QCOMPARE(boxes.seen.at(1).call.text, PromptsCopied);
    QCOMPARE(boxes.seen.at(1).clipboard,
             block(u"apple pie"_s, u"About apple, angle pie, 400 words. End."_s) +
                 block(u"apple"_s, u"About apple in 400 words. End."_s));
}

void tst_Clipboard::tooMuchText()
{
    // Every keyword below equals the main keyword, so each gets the whole
    // topic template: a few hundred keywords make more text than may be
    // copied at once.
    const qsizetype templateSize = qsizetype(1) << 20;
    const QByteArray topic = QByteArray(templateSize - 9, 'x') + "#KEYWORD#";
    const int keywordCount = int(frmMain::MaxCopyAllChars / templateSize) + 2;
    ProgramFolder folder(topic, AngleTemplate);
    BoxesWithClipboard boxes;
    Window win(true, folder.path());
    QVERIFY(win.ready());

    QStringList many;
    for (int i = 0; i < keywordCount; ++i)
        many.append(i % 2 ? u"k"_s : u"K"_s);
    win.makeBatch(u"k"_s, many.join(u"\r\n"_s));
    QCOMPARE(win.rows(), keywordCount);

    Window::click(win.copyAll);
    QCOMPARE(boxes.seen.size(), 1);
    QCOMPARE(boxes.seen.at(0).call.title, u"Too Much Text"_s);
    QCOMPARE(boxes.seen.at(0).call.style, int(modGeneral::vbInfoOk));
    QCOMPARE(boxes.seen.at(0).clipboard, Untouched);
    QCOMPARE(clipboardText(), Untouched);
    QCOMPARE(win.rows(), keywordCount);
    QCOMPARE(win.w.lstKeywords.count(), keywordCount);

    // A smaller batch of the same prompts copies whole.
    win.makeBatch(u"k"_s, u"k\r\nK\r\nk"_s);
    Window::click(win.copyAll);
    QCOMPARE(boxes.seen.size(), 2);
    QCOMPARE(boxes.seen.at(1).call.text, PromptsCopied);
    const QString prompt = QString(templateSize - 9, u'x') + u"k"_s;
    QCOMPARE(clipboardText(),
             block(u"k"_s, prompt) + block(u"K"_s, prompt) + block(u"k"_s, prompt));
}

QTEST_MAIN(tst_Clipboard)
#include "tst_clipboard.moc"
