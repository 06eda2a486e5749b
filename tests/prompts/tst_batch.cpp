// Creating a batch of prompts and picking its entries, through the main
// window's real controls: the input checks and their order, the entries, the
// prompt shown for an entry, and the promoted product.
#include "app/frmMain.h"
#include "testSupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyleOptionButton>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QString Suffix = u" (click to see the prompt)"_s;
const QString MissingInfo = u"Missing Info"_s;
const QString NeedMainKeyword = u"Please enter your main keyword."_s;
const QString NeedKeywords = u"Please enter one or more long-tailed keywords."_s;
const QString NeedWords = u"Please fill the 'Approx. Words' field."_s;
const QString NeedProduct = u"Please add a product to promote."_s;

// The templates every test here uses (ProgramFolder's defaults, spelled out
// so the expected prompts below can be read against them).
const QByteArray TopicTemplate = "About #KEYWORD# in #WORDS# words. #PRO#End.";
const QByteArray AngleTemplate = "About #KEYWORD#, angle #ANGLE#, #WORDS# words. #PRO#End.";

QString sentence(const QString& name, const QString& format, const QString& description)
{
    return u"In the middle of the article begin preselling the following product: '"_s + name +
           u"'. Product Format: "_s + format + u". What it does: "_s + description + u". "_s;
}

// The main window with handles on the controls a batch is made with.
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
    }

    bool ready()
    {
        if (!mainKeyword || !keywords || !words || !promote || !products || !create || !list ||
            !prompt)
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

    // Replaces the long-tail keywords the way a keyword list arrives: pasted.
    void pasteKeywords(const QString& text)
    {
        keywords->setFocus();
        QTest::keyClick(keywords, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(keywords, Qt::Key_Delete);
        if (!text.isEmpty()) {
            QGuiApplication::clipboard()->setText(text);
            QTest::keyClick(keywords, Qt::Key_V, Qt::ControlModifier);
        }
    }

    void setProductText(const QString& text)
    {
        QLineEdit* edit = products->lineEdit();
        edit->setFocus();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClicks(edit, text);
    }

    // Ticks or unticks "Promote Product" with a click on its box.
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

    void clickCreate() { QTest::mouseClick(create, Qt::LeftButton); }

    QStringList entries() const
    {
        QStringList texts;
        const QAbstractItemModel* model = list->model();
        for (int row = 0; row < model->rowCount(); ++row)
            texts.append(model->index(row, 0).data().toString());
        return texts;
    }

    // Picks an entry with the mouse.
    void pick(int row)
    {
        const QModelIndex index = list->model()->index(row, 0);
        list->scrollTo(index);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier,
                          list->visualRect(index).center());
    }

    int selectedRow() const
    {
        const QModelIndexList selected = list->selectionModel()->selectedIndexes();
        return selected.size() == 1 ? selected.constFirst().row() : -1;
    }

    // Fills the inputs and creates a batch that must succeed.
    void makeBatch(const QString& main, const QString& keywordText)
    {
        setLine(mainKeyword, main);
        pasteKeywords(keywordText);
        clickCreate();
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
};

QStringList withSuffix(const QStringList& keywords)
{
    QStringList result;
    for (const QString& keyword : keywords)
        result.append(keyword + Suffix);
    return result;
}

} // namespace

class tst_Batch : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup();

    void checksInOrder_data();
    void checksInOrder();
    void keywordLinesBecomeEntries_data();
    void keywordLinesBecomeEntries();
    void keywordsTypedWithEnter();
    void pickingShowsPrompt_data();
    void pickingShowsPrompt();
    void sameKeywordTwiceSamePrompt();
    void fieldsChangedAfterBatch_data();
    void fieldsChangedAfterBatch();
    void repickingLosesEdits();
    void keywordHoldingEntrySuffix();
    void promotedProduct_data();
    void promotedProduct();
    void promotionWithoutProduct_data();
    void promotionWithoutProduct();
    void unusableProductRecord_data();
    void unusableProductRecord();
    void otherProductAtNextBatch();
    void basicEditionNeverPromotes();
};

void tst_Batch::cleanup()
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

void tst_Batch::checksInOrder_data()
{
    QTest::addColumn<QString>("main");
    QTest::addColumn<QString>("keywords");
    QTest::addColumn<QString>("words");
    QTest::addColumn<bool>("promote");
    QTest::addColumn<QString>("product");
    QTest::addColumn<QString>("message"); // empty: the batch is made
    QTest::addColumn<QStringList>("entries");

    const QString kw = u"apple pie\r\napple tart"_s;
    const QStringList made = withSuffix({u"apple pie"_s, u"apple tart"_s});
    const auto row = [](const char* name, const QString& main, const QString& keywords,
                        const QString& words, bool promote, const QString& product,
                        const QString& message, const QStringList& entries) {
        QTest::newRow(name) << main << keywords << words << promote << product << message
                            << entries;
    };
    const QString none;
    const QStringList refused;

    row("all empty, promotion on", none, none, none, true, none, NeedMainKeyword, refused);
    row("all empty, promotion off", none, none, none, false, none, NeedMainKeyword, refused);
    row("only main keyword missing", none, kw, u"400"_s, true, u"guide"_s, NeedMainKeyword,
        refused);
    row("keywords, words and product missing", u"apple"_s, none, none, true, none, NeedKeywords,
        refused);
    row("only keywords missing", u"apple"_s, none, u"400"_s, false, u"guide"_s, NeedKeywords,
        refused);
    row("words and product missing", u"apple"_s, kw, none, true, none, NeedWords, refused);
    row("only words missing", u"apple"_s, kw, none, false, u"guide"_s, NeedWords, refused);
    row("only product missing", u"apple"_s, kw, u"400"_s, true, none, NeedProduct, refused);
    row("line breaks only, words missing", u"apple"_s, u"\r\n\r\n"_s, none, false, none, NeedWords,
        refused);
    row("line breaks only", u"apple"_s, u"\r\n\n\r"_s, u"400"_s, false, none, NeedKeywords,
        refused);
    row("line breaks only, product missing", u"apple"_s, u"\r\n"_s, u"400"_s, true, none,
        NeedProduct, refused);
    row("blanks pass", u" "_s, u" "_s, u" "_s, false, none, none,
        {u"  (click to see the prompt)"_s});
    row("no product needed when off", u"apple"_s, kw, u"400"_s, false, none, none, made);
    row("product given", u"apple"_s, kw, u"400"_s, true, u"guide"_s, none, made);
    row("word count not a number", u"apple"_s, kw, u"about 500"_s, false, none, none, made);
}

void tst_Batch::checksInOrder()
{
    QFETCH(QString, main);
    QFETCH(QString, keywords);
    QFETCH(QString, words);
    QFETCH(bool, promote);
    QFETCH(QString, product);
    QFETCH(QString, message);
    QFETCH(QStringList, entries);

    ProgramFolder folder(TopicTemplate, AngleTemplate);
    QVERIFY(folder.writeRecord(u"guide"_s, u"Guide"_s, u"ebook"_s, u"Helps"_s));
    MessageBoxScript script;
    Window win(true, folder.path());
    QVERIFY(win.ready());

    // A batch before, with a prompt on screen, which a refused batch must not
    // leave behind in the list nor take off the screen.
    win.makeBatch(u"apple"_s, u"apple pie\napple tart\napple jam"_s);
    QCOMPARE(win.entries().size(), 3);
    win.pick(2);
    const QString shown = u"About apple, angle jam, 400 words. End."_s;
    QCOMPARE(win.prompt->toPlainText(), shown);

    win.setPromote(true);
    win.setProductText(product);
    win.setPromote(promote);
    Window::setLine(win.mainKeyword, main);
    win.pasteKeywords(keywords);
    Window::setLine(win.words, words);
    const QString keywordBoxText = win.keywords->toPlainText();

    if (!message.isEmpty())
        script.expect(MissingInfo, message);
    win.clickCreate();
    QVERIFY2(script.done(), qPrintable(script.pending()));
    QCOMPARE(script.shown().size(), message.isEmpty() ? 0 : 1);
    if (!message.isEmpty())
        QCOMPARE(script.shown().constFirst().style, int(modGeneral::vbInfoOk));

    QCOMPARE(win.entries(), entries);
    QCOMPARE(win.w.lstKeywords.count(), entries.size());
    QCOMPARE(win.selectedRow(), -1);
    // The inputs and the prompt box are as they were.
    QCOMPARE(win.prompt->toPlainText(), shown);
    QCOMPARE(win.mainKeyword->text(), main);
    QCOMPARE(win.keywords->toPlainText(), keywordBoxText);
    QCOMPARE(win.words->text(), words);
    QCOMPARE(win.promote->isChecked(), promote);
    QCOMPARE(win.products->currentText(), product);
    // With promotion on, the product was loaded only for a batch that was made.
    QCOMPARE(win.w.txtProductName, promote && message.isEmpty() ? u"Guide"_s : QString());
}

void tst_Batch::keywordLinesBecomeEntries_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("keywords");

    const QStringList two = {u"apple pie"_s, u"apple tart"_s};
    QTest::newRow("CR LF") << u"apple pie\r\napple tart"_s << two;
    QTest::newRow("LF") << u"apple pie\napple tart"_s << two;
    QTest::newRow("CR") << u"apple pie\rapple tart"_s << two;
    QTest::newRow("mixed") << u"apple pie\r\napple tart\nplum cake\rpear"_s
                           << QStringList{u"apple pie"_s, u"apple tart"_s, u"plum cake"_s,
                                          u"pear"_s};
    QTest::newRow("final line break") << u"apple pie\r\napple tart\r\n"_s << two;
    QTest::newRow("blank lines") << u"\r\napple pie\r\n\r\n\n\napple tart\r\n\r\n"_s << two;
    QTest::newRow("line of blanks kept") << u"apple pie\r\n   \r\napple tart"_s
                                         << QStringList{u"apple pie"_s, u"   "_s, u"apple tart"_s};
    QTest::newRow("blanks around kept")
        << u" apple pie \r\n\tapple tart"_s << QStringList{u" apple pie "_s, u"\tapple tart"_s};
    QTest::newRow("duplicates kept")
        << u"apple pie\napple pie"_s << QStringList{u"apple pie"_s, u"apple pie"_s};
    QTest::newRow("one keyword") << u"apple pie"_s << QStringList{u"apple pie"_s};
}

void tst_Batch::keywordLinesBecomeEntries()
{
    QFETCH(QString, text);
    QFETCH(QStringList, keywords);
    ProgramFolder folder(TopicTemplate, AngleTemplate);
    MessageBoxScript script;
    Window win(true, folder.path());
    QVERIFY(win.ready());

    win.makeBatch(u"apple"_s, text);
    QCOMPARE(win.w.lstKeywords.items, keywords);
    QCOMPARE(win.entries(), withSuffix(keywords));
    QCOMPARE(win.selectedRow(), -1);
    QCOMPARE(win.prompt->toPlainText(), QString()); // nothing composed yet
    QCOMPARE(script.shown().size(), 0);             // no message confirms a batch
    QVERIFY2(script.done(), qPrintable(script.pending()));
}

void tst_Batch::keywordsTypedWithEnter()
{
    ProgramFolder folder(TopicTemplate, AngleTemplate);
    MessageBoxScript script;
    Window win(true, folder.path());
    QVERIFY(win.ready());
    Window::setLine(win.mainKeyword, u"apple"_s);
    win.keywords->setFocus();
    QTest::keyClicks(win.keywords, u"apple pie"_s);
    QTest::keyClick(win.keywords, Qt::Key_Return);
    QTest::keyClick(win.keywords, Qt::Key_Return);
    QTest::keyClicks(win.keywords, u"apple tart"_s);
    QTest::keyClick(win.keywords, Qt::Key_Return);
    win.clickCreate();
    QCOMPARE(win.entries(), (QStringList{u"apple pie (click to see the prompt)"_s,
                                         u"apple tart (click to see the prompt)"_s}));
    QVERIFY2(script.done(), qPrintable(script.pending()));
}

void tst_Batch::pickingShowsPrompt_data()
{
    QTest::addColumn<bool>("byKeyboard");
    QTest::newRow("mouse") << false;
    QTest::newRow("keyboard") << true;
}

void tst_Batch::pickingShowsPrompt()
{
    QFETCH(bool, byKeyboard);
    ProgramFolder folder(TopicTemplate, AngleTemplate);
    MessageBoxScript script;
    Window win(true, folder.path());
    QVERIFY(win.ready());
    win.makeBatch(u"Apple"_s, u"apple pie\r\nAPPLE \r\nApple Tart"_s);
    QCOMPARE(win.entries().size(), 3);

    const QStringList prompts = {
        u"About Apple, angle pie, 400 words. End."_s,
        u"About Apple in 400 words. End."_s,
        u"About Apple, angle tart, 400 words. End."_s,
    };
    if (byKeyboard) {
        // Tabbing into the list picks nothing; the first Down picks the first
        // entry, and the arrow keys move and pick from there.
        win.list->setFocus(Qt::TabFocusReason);
        QVERIFY(!win.list->currentIndex().isValid());
        QCOMPARE(win.selectedRow(), -1);
        QCOMPARE(win.prompt->toPlainText(), QString());
        const QList<QPair<Qt::Key, int>> keys = {{Qt::Key_Down, 0}, {Qt::Key_Down, 1},
                                                 {Qt::Key_Down, 2}, {Qt::Key_Up, 1},
                                                 {Qt::Key_End, 2},  {Qt::Key_Home, 0}};
        for (const auto& [key, row] : keys) {
            QTest::keyClick(win.list, key);
            QCOMPARE(win.selectedRow(), row);
            QCOMPARE(win.prompt->toPlainText(), prompts.at(row));
        }
    } else {
        for (const int row : {2, 0, 1, 2}) {
            win.pick(row);
            QCOMPARE(win.selectedRow(), row);
            QCOMPARE(win.prompt->toPlainText(), prompts.at(row));
        }
    }
    // Picking leaves the batch as it was.
    QCOMPARE(win.w.lstKeywords.items, (QStringList{u"apple pie"_s, u"APPLE "_s, u"Apple Tart"_s}));
    QCOMPARE(script.shown().size(), 0);
    QVERIFY2(script.done(), qPrintable(script.pending()));
}

void tst_Batch::sameKeywordTwiceSamePrompt()
{
    ProgramFolder folder(TopicTemplate, AngleTemplate);
    MessageBoxScript script;
    Window win(true, folder.path());
    QVERIFY(win.ready());
    win.makeBatch(u"apple"_s, u"apple pie\r\napple tart\r\napple pie"_s);
    QCOMPARE(win.entries().size(), 3);
    win.pick(2);
    QCOMPARE(win.prompt->toPlainText(), u"About apple, angle pie, 400 words. End."_s);
    win.pick(1);
    QCOMPARE(win.prompt->toPlainText(), u"About apple, angle tart, 400 words. End."_s);
    win.pick(0);
    QCOMPARE(win.prompt->toPlainText(), u"About apple, angle pie, 400 words. End."_s);
    QVERIFY2(script.done(), qPrintable(script.pending()));
}

void tst_Batch::fieldsChangedAfterBatch_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<QString>("expected");

    QTest::newRow("main keyword") << u"main"_s << u"About Pear, angle apple pie, 400 words. End."_s;
    QTest::newRow("main keyword emptied")
        << u"main empty"_s << u"About , angle apple pie, 400 words. End."_s;
    QTest::newRow("word count") << u"words"_s << u"About Apple, angle pie, about 900 words. End."_s;
    QTest::newRow("promotion ticked, no product loaded yet")
        << u"tick"_s << u"About Apple, angle pie, 400 words. "_s + sentence({}, {}, {}) + u"End."_s;
    // The entries keep the keywords of their batch.
    QTest::newRow("long-tail keywords")
        << u"keywords"_s << u"About Apple, angle pie, 400 words. End."_s;
}

void tst_Batch::fieldsChangedAfterBatch()
{
    QFETCH(QString, change);
    QFETCH(QString, expected);
    ProgramFolder folder(TopicTemplate, AngleTemplate);
    QVERIFY(folder.writeRecord(u"guide"_s, u"Guide"_s, u"ebook"_s, u"Helps"_s));
    MessageBoxScript script;
    Window win(true, folder.path());
    QVERIFY(win.ready());
    win.makeBatch(u"Apple"_s, u"apple pie\r\napple tart"_s);
    const QStringList entries = win.entries();
    win.pick(0);
    QCOMPARE(win.prompt->toPlainText(), u"About Apple, angle pie, 400 words. End."_s);

    if (change == u"main"_s)
        Window::setLine(win.mainKeyword, u"Pear"_s);
    else if (change == u"main empty"_s)
        Window::setLine(win.mainKeyword, QString());
    else if (change == u"words"_s)
        Window::setLine(win.words, u"about 900"_s);
    else if (change == u"tick"_s)
        win.setPromote(true);
    else if (change == u"keywords"_s)
        win.pasteKeywords(u"plum cake\r\npear"_s);
    else
        QFAIL("unknown change");

    win.pick(1);
    win.pick(0);
    QCOMPARE(win.prompt->toPlainText(), expected);
    QCOMPARE(win.entries(), entries);
    QCOMPARE(script.shown().size(), 0);
    QVERIFY2(script.done(), qPrintable(script.pending()));
}

void tst_Batch::repickingLosesEdits()
{
    ProgramFolder folder(TopicTemplate, AngleTemplate);
    MessageBoxScript script;
    Window win(true, folder.path());
    QVERIFY(win.ready());
    win.makeBatch(u"apple"_s, u"apple pie\r\napple tart"_s);
    win.pick(0);
    const QString first = win.prompt->toPlainText();
    QCOMPARE(first, u"About apple, angle pie, 400 words. End."_s);

    win.prompt->setFocus();
    QTest::keyClick(win.prompt, Qt::Key_End, Qt::ControlModifier);
    QTest::keyClicks(win.prompt, u" My own words."_s);
    QCOMPARE(win.prompt->toPlainText(), first + u" My own words."_s);

    win.pick(1);
    QCOMPARE(win.prompt->toPlainText(), u"About apple, angle tart, 400 words. End."_s);
    win.pick(0);
    QCOMPARE(win.prompt->toPlainText(), first);
    QVERIFY2(script.done(), qPrintable(script.pending()));
}

void tst_Batch::keywordHoldingEntrySuffix()
{
    ProgramFolder folder(TopicTemplate, AngleTemplate);
    MessageBoxScript script;
    Window win(true, folder.path());
    QVERIFY(win.ready());
    const QString odd = u"apple pie (click to see the prompt)"_s;
    win.makeBatch(u"apple"_s, odd + u"\r\napple tart\r\n (click to see the prompt)"_s);
    QCOMPARE(win.entries(), (QStringList{odd + Suffix, u"apple tart"_s + Suffix, Suffix + Suffix}));

    win.pick(0);
    QCOMPARE(win.prompt->toPlainText(),
             u"About apple, angle pie (click to see the prompt), 400 words. End."_s);
    win.pick(2);
    QCOMPARE(win.prompt->toPlainText(),
             u"About apple, angle (click to see the prompt), 400 words. End."_s);
    win.pick(1);
    QCOMPARE(win.prompt->toPlainText(), u"About apple, angle tart, 400 words. End."_s);
    QVERIFY2(script.done(), qPrintable(script.pending()));
}

void tst_Batch::promotedProduct_data()
{
    QTest::addColumn<QString>("fileName"); // below products/
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("chosen");     // typed into the box; empty: the first record shown
    QTest::addColumn<QStringList>("fields"); // name, format, description

    const QStringList example = {u"Herb Garden Guide"_s, u"ebook"_s,
                                 u"Teaches beginners to grow herbs on a windowsill"_s};
    QTest::newRow("first record shown")
        << u"herb-guide.txt"_s
        << QByteArray(
               "Herb Garden Guide\r\nebook\r\nTeaches beginners to grow herbs on a windowsill")
        << QString() << example;
    QTest::newRow("name typed into the box")
        << u"herb-guide.txt"_s
        << QByteArray(
               "Herb Garden Guide\r\nebook\r\nTeaches beginners to grow herbs on a windowsill")
        << u"herb-guide"_s << example;
    QTest::newRow("lines after the third ignored")
        << u"herb-guide.txt"_s
        << QByteArray("Herb Garden Guide\r\nebook\r\nTeaches beginners to grow herbs on a "
                      "windowsill\r\nextra\r\n")
        << QString() << example;
    QTest::newRow("blanks kept") << u"spaced.txt"_s
                                 << QByteArray("  Two  Spaces \r\n \r\n  indented") << QString()
                                 << QStringList{u"  Two  Spaces "_s, u" "_s, u"  indented"_s};
    QTest::newRow("name ending in .txt")
        << u"notes.txt.txt"_s << QByteArray("Notes\r\npdf\r\nKeeps notes") << u"notes.txt"_s
        << QStringList{u"Notes"_s, u"pdf"_s, u"Keeps notes"_s};
    QTest::newRow("placeholders in a record stay")
        << u"odd.txt"_s << QByteArray("#KEYWORD# kit\r\n#WORDS#\r\nHas #PRO# in it") << QString()
        << QStringList{u"#KEYWORD# kit"_s, u"#WORDS#"_s, u"Has #PRO# in it"_s};
}

void tst_Batch::promotedProduct()
{
    QFETCH(QString, fileName);
    QFETCH(QByteArray, content);
    QFETCH(QString, chosen);
    QFETCH(QStringList, fields);
    ProgramFolder folder(TopicTemplate, AngleTemplate);
    QVERIFY(folder.write(u"products/"_s + fileName, content));
    MessageBoxScript script;
    Window win(true, folder.path());
    QVERIFY(win.ready());

    win.setPromote(true);
    if (!chosen.isEmpty())
        win.setProductText(chosen);
    win.makeBatch(u"Herb Garden"_s, u"HERB GARDEN\r\nherb garden for beginners"_s);
    QCOMPARE(win.entries().size(), 2);
    QCOMPARE(win.w.txtProductName, fields.at(0));
    QCOMPARE(win.w.txtFormat, fields.at(1));
    QCOMPARE(win.w.txtDescription, fields.at(2));

    const QString promotion = sentence(fields.at(0), fields.at(1), fields.at(2));
    win.pick(0);
    QCOMPARE(win.prompt->toPlainText(),
             u"About Herb Garden in 400 words. "_s + promotion + u"End."_s);
    win.pick(1);
    QCOMPARE(win.prompt->toPlainText(),
             u"About Herb Garden, angle for beginners, 400 words. "_s + promotion + u"End."_s);

    // Unticked, the product leaves the prompt at once.
    win.setPromote(false);
    win.pick(0);
    QCOMPARE(win.prompt->toPlainText(), u"About Herb Garden in 400 words. End."_s);
    QCOMPARE(script.shown().size(), 0);
    QVERIFY2(script.done(), qPrintable(script.pending()));
}

void tst_Batch::promotionWithoutProduct_data()
{
    QTest::addColumn<bool>("withRecords");
    QTest::newRow("no records") << false;
    QTest::newRow("box text erased") << true;
}

void tst_Batch::promotionWithoutProduct()
{
    QFETCH(bool, withRecords);
    ProgramFolder folder(TopicTemplate, AngleTemplate);
    if (withRecords)
        QVERIFY(folder.writeRecord(u"guide"_s, u"Guide"_s, u"ebook"_s, u"Helps"_s));
    QVERIFY(folder.write(u"products/readme.md"_s, "Not\r\na\r\nrecord"));
    MessageBoxScript script;
    Window win(true, folder.path());
    QVERIFY(win.ready());
    QCOMPARE(win.products->count(), withRecords ? 1 : 0);

    win.setPromote(true);
    if (withRecords)
        win.setProductText(QString());
    QCOMPARE(win.products->currentText(), QString());
    script.expect(MissingInfo, NeedProduct);
    win.makeBatch(u"apple"_s, u"apple pie"_s);
    QVERIFY2(script.done(), qPrintable(script.pending()));
    QCOMPARE(win.entries(), QStringList());
    QCOMPARE(win.w.lstKeywords.count(), 0);
    QCOMPARE(win.w.txtProductName, QString());

    // Unticked, the same inputs make a batch.
    win.setPromote(false);
    win.clickCreate();
    QCOMPARE(win.entries(), QStringList{u"apple pie"_s + Suffix});
    QCOMPARE(script.shown().size(), 1);
}

void tst_Batch::unusableProductRecord_data()
{
    QTest::addColumn<QString>("boxText");
    // A file, relative to the program folder, that the name would reach and
    // that must not be read.
    QTest::addColumn<QString>("planted");
    QTest::addColumn<QByteArray>("plantedContent");

    const QByteArray full = "Wrong Product\r\nwrong\r\nMust not be read";
    QTest::newRow("record deleted since start-up") << u"gone"_s << QString() << QByteArray();
    QTest::newRow("no such record") << u"nosuch"_s << QString() << QByteArray();
    QTest::newRow("two lines") << u"short"_s << u"products/short.txt"_s
                               << QByteArray("Only\r\nTwo");
    QTest::newRow("one line") << u"short"_s << u"products/short.txt"_s
                              << QByteArray("Only one line\r\n");
    QTest::newRow("empty record") << u"short"_s << u"products/short.txt"_s << QByteArray("");
    QTest::newRow("parent folder") << u"../outside"_s << u"outside.txt"_s << full;
    QTest::newRow("sub-folder") << u"a/b"_s << u"products/a/b.txt"_s << full;
    QTest::newRow("backslash") << u"a\\b"_s << u"products/a\\b.txt"_s << full;
    QTest::newRow("device name") << u"con"_s << u"products/con.txt"_s << full;
    QTest::newRow("wildcard") << u"any?"_s << u"products/any?.txt"_s << full;
    QTest::newRow("absolute path") << u"/tmp/x"_s << QString() << QByteArray();
    QTest::newRow("record is a folder") << u"folder"_s << QString() << QByteArray();
}

void tst_Batch::unusableProductRecord()
{
    QFETCH(QString, boxText);
    QFETCH(QString, planted);
    QFETCH(QByteArray, plantedContent);
    ProgramFolder folder(TopicTemplate, AngleTemplate);
    QVERIFY(folder.writeRecord(u"good"_s, u"Good Product"_s, u"course"_s, u"Works"_s));
    QVERIFY(folder.writeRecord(u"gone"_s, u"Gone Product"_s, u"ebook"_s, u"Was there"_s));
    if (!planted.isEmpty())
        QVERIFY(folder.write(planted, plantedContent));
    QVERIFY(QDir(folder.productsPath()).mkpath(u"folder.txt"_s));
    MessageBoxScript script;
    Window win(true, folder.path());
    QVERIFY(win.ready());

    win.setPromote(true);
    win.setProductText(u"good"_s);
    win.makeBatch(u"apple"_s, u"apple pie\r\napple tart"_s);
    QCOMPARE(win.entries().size(), 2);
    win.pick(0);
    const QString goodPrompt = u"About apple, angle pie, 400 words. "_s +
                               sentence(u"Good Product"_s, u"course"_s, u"Works"_s) + u"End."_s;
    QCOMPARE(win.prompt->toPlainText(), goodPrompt);

    if (boxText == u"gone"_s)
        QVERIFY(QFile::remove(folder.recordPath(u"gone"_s)));
    win.setProductText(boxText);
    Window::setLine(win.mainKeyword, u"Apple"_s);
    const QString keywordText = win.keywords->toPlainText();

    script.expect(u"Invalid File"_s, u"The file can't be opened."_s);
    win.clickCreate();
    QVERIFY2(script.done(), qPrintable(script.pending()));
    QCOMPARE(script.shown().constLast().style, int(modGeneral::vbInfoOk));

    QCOMPARE(win.entries(), QStringList());
    QCOMPARE(win.w.lstKeywords.count(), 0);
    QCOMPARE(win.w.txtProductName, u"Good Product"_s);
    QCOMPARE(win.w.txtFormat, u"course"_s);
    QCOMPARE(win.w.txtDescription, u"Works"_s);
    QCOMPARE(win.prompt->toPlainText(), goodPrompt);
    QCOMPARE(win.mainKeyword->text(), u"Apple"_s);
    QCOMPARE(win.keywords->toPlainText(), keywordText);
    QCOMPARE(win.words->text(), u"400"_s);
    QVERIFY(win.promote->isChecked());
    QCOMPARE(win.products->currentText(), boxText);
    if (!planted.isEmpty())
        QCOMPARE(folder.read(planted), plantedContent);

    // The product of the last good batch is still the one promoted: a batch
    // made without promotion keeps the fields, and ticking the box shows them.
    win.setPromote(false);
    win.clickCreate();
    QCOMPARE(win.entries().size(), 2);
    win.setPromote(true);
    win.pick(1);
    QCOMPARE(win.prompt->toPlainText(), u"About Apple, angle tart, 400 words. "_s +
                                            sentence(u"Good Product"_s, u"course"_s, u"Works"_s) +
                                            u"End."_s);
    QCOMPARE(script.shown().size(), 1);
}

void tst_Batch::otherProductAtNextBatch()
{
    ProgramFolder folder(TopicTemplate, AngleTemplate);
    QVERIFY(folder.writeRecord(u"alpha"_s, u"Alpha Kit"_s, u"software"_s, u"Does A"_s));
    QVERIFY(folder.writeRecord(u"beta"_s, u"Beta Book"_s, u"ebook"_s, u"Does B"_s));
    MessageBoxScript script;
    Window win(true, folder.path());
    QVERIFY(win.ready());
    QCOMPARE(win.products->currentText(), u"alpha"_s);

    win.setPromote(true);
    win.makeBatch(u"apple"_s, u"apple pie\r\napple tart"_s);
    win.pick(0);
    const QString alphaPie = u"About apple, angle pie, 400 words. "_s +
                             sentence(u"Alpha Kit"_s, u"software"_s, u"Does A"_s) + u"End."_s;
    QCOMPARE(win.prompt->toPlainText(), alphaPie);

    // Choose the next record in the box with the keyboard.
    win.products->setFocus();
    QTest::keyClick(win.products, Qt::Key_Down);
    QCOMPARE(win.products->currentText(), u"beta"_s);

    win.pick(1);
    win.pick(0);
    QCOMPARE(win.prompt->toPlainText(), alphaPie);

    win.clickCreate();
    QCOMPARE(win.entries().size(), 2);
    win.pick(0);
    QCOMPARE(win.prompt->toPlainText(), u"About apple, angle pie, 400 words. "_s +
                                            sentence(u"Beta Book"_s, u"ebook"_s, u"Does B"_s) +
                                            u"End."_s);
    QCOMPARE(script.shown().size(), 0);
    QVERIFY2(script.done(), qPrintable(script.pending()));
}

void tst_Batch::basicEditionNeverPromotes()
{
    ProgramFolder folder(TopicTemplate, AngleTemplate);
    QVERIFY(folder.writeRecord(u"guide"_s, u"Guide"_s, u"ebook"_s, u"Helps"_s));
    MessageBoxScript script;
    Window win(false, folder.path());
    QVERIFY(win.ready());
    QVERIFY(!win.promote->isVisible());

    // A click where the check box would be reaches no check box.
    QStyleOptionButton option;
    option.initFrom(win.promote);
    const QRect box =
        win.promote->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, win.promote);
    QTest::mouseClick(&win.w, Qt::LeftButton, Qt::NoModifier,
                      win.promote->mapTo(&win.w, box.center()));
    // Nor does the Tab key reach it.
    win.mainKeyword->setFocus();
    for (int i = 0; i < 20; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QWidget* now = QApplication::focusWidget();
        QVERIFY(now);
        QVERIFY(now != win.promote);
        if (now == win.mainKeyword)
            break;
    }
    QVERIFY(!win.promote->isChecked());

    win.makeBatch(u"apple"_s, u"apple pie\r\napple"_s);
    win.pick(0);
    QCOMPARE(win.prompt->toPlainText(), u"About apple, angle pie, 400 words. End."_s);
    win.pick(1);
    QCOMPARE(win.prompt->toPlainText(), u"About apple in 400 words. End."_s);
    QCOMPARE(win.w.txtProductName, QString());
    QCOMPARE(script.shown().size(), 0);
    QVERIFY2(script.done(), qPrintable(script.pending()));
}

QTEST_MAIN(tst_Batch)
#include "tst_batch.moc"
