// Both "Copy to Clipboard" links, checked against the exact text on the clipboard.
#include "app/frmMain.h"
#include "app/linkLabel.h"
#include "testSupport.h"

#include <QTest>
#include <QtWidgets>

#include <optional>

using namespace Qt::StringLiterals;

namespace {

const QString Untouched = u"left here by the test"_s; // what a refused copy leaves
const QString NoPrompts = u"Missing Info (64): Please generate some prompts first."_s;
const QString NothingToCopy = u"Missing Info (64): Nothing to copy."_s;
const QString OneCopied = u"Done (64): Done. Prompt copied to clipboard."_s;
const QString AllCopied = u"Done (64): Done. Prompts copied to clipboard."_s;
const QString Pro = u"In the middle of the article begin preselling the following product: "
                    u"'Guide'. Product Format: ebook. What it does: Helps. "_s;

QString block(const QString& keyword, const QString& prompt)
{
    return u"Keyword: "_s + keyword + u"\r\nPrompt: "_s + prompt + u"\r\n\r\n"_s;
}

} // namespace

class tst_Clipboard : public QObject
{
    Q_OBJECT
    std::optional<ProgramFolder> folder;
    std::optional<frmMain> w;
    QStringList seen; // every box as "title (style): text", then what the clipboard held

    static QString clipboard() { return QGuiApplication::clipboard()->text(); }
    bool open() { return openMainWindow(w, true, folder->path()); }
    void batch(const QString& main, const QString& keywords)
    {
        QTest::keyClicks(w->txtMainKeyword, main);
        QGuiApplication::clipboard()->setText(keywords);
        QTest::keyClick(w->txtSelectedKeyword, Qt::Key_V, Qt::ControlModifier);
        QGuiApplication::clipboard()->setText(Untouched);
        QTest::mouseClick(w->cmdCreatePrompt, Qt::LeftButton);
    }
    void pick(int row)
    {
        const QRect entry = w->lstPrompts->visualRect(w->lstPrompts->model()->index(row, 0));
        QTest::mouseClick(w->lstPrompts->viewport(), Qt::LeftButton, {}, entry.center());
    }
    static void click(QWidget* link) { QTest::mouseClick(link, Qt::LeftButton); }

private Q_SLOTS:
    void init()
    {
        folder.emplace();
        seen.clear();
        QGuiApplication::clipboard()->setText(Untouched);
        modGeneral::setMessageBoxHandler([this](const modGeneral::MessageBoxCall& call) {
            seen << u"%1 (%2): %3"_s.arg(call.title).arg(call.style).arg(call.text) << clipboard();
            return int(modGeneral::vbOK);
        });
    }

    void cleanup()
    {
        modGeneral::setMessageBoxHandler(nullptr);
        w.reset();
        QVERIFY2(windowLeftOpen().isEmpty(), qPrintable(windowLeftOpen()));
    }

    void copySelected()
    {
        folder.emplace("Title: #KEYWORD#\r\n\r\nBody of #WORDS# words.", "#ANGLE#");
        QVERIFY(open());
        click(w->lblSaveasPDF); // no batch yet
        click(w->lblCopyToClipboard);
        batch(u"apple"_s, u"apple"_s);
        click(w->lblCopyToClipboard); // nothing picked yet
        pick(0);
        QTest::keyClick(w->txtPrompt, Qt::Key_End, Qt::ControlModifier);
        QTest::keyClicks(w->txtPrompt, u" More."_s);
        QTest::keyClick(w->txtPrompt, Qt::Key_Return);
        QTest::keyClicks(w->txtPrompt, u"End"_s);
        click(w->lblCopyToClipboard);
        QTest::keyClick(w->txtPrompt, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(w->txtPrompt, Qt::Key_Delete);
        click(w->lblCopyToClipboard); // the user emptied the box
        const QString copied = u"Title: apple\r\n\r\nBody of 400 words. More.\r\nEnd"_s;
        QCOMPARE(seen, (QStringList{NoPrompts, Untouched, NoPrompts, Untouched, NothingToCopy,
                                    Untouched, OneCopied, copied, NothingToCopy, copied}));
    }

    void copyAll_data()
    {
        QTest::addColumn<QByteArray>("topic");
        QTest::addColumn<QByteArray>("angle");
        QTest::addColumn<QString>("keywords");
        QTest::addColumn<QString>("expected");
        const QString odd = u"apple pie (click to see the prompt)"_s;
        QTest::newRow("one keyword, multi-line templates")
            << QByteArray("Write about #KEYWORD#.\r\n\r\nUse #WORDS# words.\r\n")
            << QByteArray("Angle: #ANGLE#") << u"apple"_s
            << u"Keyword: apple\r\nPrompt: Write about apple.\r\n\r\nUse 9 words.\r\n\r\n\r\n"_s;
        QTest::newRow("several keywords")
            << QByteArray("About #KEYWORD#. #PRO#") << QByteArray("#KEYWORD#: #ANGLE#")
            << u"APPLE\r\n   \r\n"_s + odd + u"\r\nAPPLE"_s
            << block(u"APPLE"_s, u"About apple. "_s + Pro) +
                   block(u"   "_s, u"About apple. "_s + Pro) +
                   block(odd, u"apple: pie (click to see the prompt)"_s) +
                   block(u"APPLE"_s, u"About apple. "_s + Pro);
        QTest::newRow("empty templates")
            << QByteArray("") << QByteArray("") << u"apple pie\r\napple"_s
            << block(u"apple pie"_s, {}) + block(u"apple"_s, {});
    }

    void copyAll()
    {
        QFETCH(QByteArray, topic);
        QFETCH(QByteArray, angle);
        QFETCH(QString, keywords);
        QFETCH(QString, expected);
        folder.emplace(topic, angle);
        QVERIFY(folder->writeRecord(u"guide"_s, u"Guide"_s, u"ebook"_s, u"Helps"_s));
        QVERIFY(open());
        QTest::keyClick(w->chkPromoteProduct, Qt::Key_Space); // promoted where a template asks
        batch(u"apple"_s, keywords);
        pick(0);
        // Every prompt is composed again: edits in the box are not copied, new fields are.
        QTest::keyClicks(w->txtPrompt, u"My own words"_s);
        w->txtApproxWords->selectAll();
        QTest::keyClicks(w->txtApproxWords, u"9"_s);
        click(w->lblSaveasPDF);
        QCOMPARE(seen, (QStringList{AllCopied, expected}));
    }

    void tooMuchText()
    {
        // Each keyword equals the main keyword, so its prompt is the whole topic
        // template: a few hundred of them make more text than may be copied.
        const qsizetype size = qsizetype(1) << 20;
        folder.emplace(QByteArray(size - 9, 'x') + "#KEYWORD#", "");
        QVERIFY(open());
        const int count = int(frmMain::MaxCopyAllChars / size) + 2;
        batch(u"k"_s, QStringList(count, u"k"_s).join(u"\n"_s));
        click(w->lblSaveasPDF);
        QVERIFY2(seen.value(0).startsWith(u"Too Much Text (64): "_s), qPrintable(seen.value(0)));
        QCOMPARE(seen.mid(1), QStringList{Untouched});
    }
};

QTEST_MAIN(tst_Clipboard)
#include "tst_clipboard.moc"
