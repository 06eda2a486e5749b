// Creating a batch through the main window: the checks, the entries and their prompts.
#include "app/frmMain.h"
#include "testSupport.h"

#include <QTest>
#include <QtWidgets>

#include <optional>

using namespace Qt::StringLiterals;

namespace {

// The templates are ProgramFolder's: topic "About #KEYWORD# in #WORDS# words. #PRO#End.",
// angle "About #KEYWORD#, angle #ANGLE#, #WORDS# words. #PRO#End."
const QString Suffix = u" (click to see the prompt)"_s;
const QString NeedMain = u"Missing Info: Please enter your main keyword."_s;
const QString NeedKeywords = u"Missing Info: Please enter one or more long-tailed keywords."_s;
const QString NeedWords = u"Missing Info: Please fill the 'Approx. Words' field."_s;
const QString NeedProduct = u"Missing Info: Please add a product to promote."_s;
const QString Unusable = u"Invalid File: The file can't be opened."_s;

// The box shown as "title: text"; a batch made is listed as its keywords separated by "|".
const struct Batch
{
    const char* name;
    QString main, keywords, words;
    bool promote;
    QString product, message, made;
} batches[] = {
    {"all empty", {}, {}, {}, true, {}, NeedMain, {}},
    {"all but main keyword empty", u"a"_s, {}, {}, true, {}, NeedKeywords, {}},
    {"words and product empty", u"a"_s, u"b"_s, {}, true, {}, NeedWords, {}},
    {"product empty", u"a"_s, u"b"_s, u"4"_s, true, {}, NeedProduct, {}},
    {"line breaks only, product empty", u"a"_s, u"\r\n"_s, u"4"_s, true, {}, NeedProduct, {}},
    {"line breaks only", u"a"_s, u"\r\n\n\r"_s, u"4"_s, false, {}, NeedKeywords, {}},
    {"product empty, not promoted", u"a"_s, u"b"_s, u"4"_s, false, {}, {}, u"b"_s},
    {"record named with .txt", u"a"_s, u"b\nc"_s, u"4"_s, true, u"notes.txt"_s, {}, u"b|c"_s},
    {"record missing", u"a"_s, u"b"_s, u"4"_s, true, u"gone"_s, Unusable, {}},
    {"record too short", u"a"_s, u"b"_s, u"4"_s, true, u"short"_s, Unusable, {}},
    {"record name not plain", u"a"_s, u"b"_s, u"4"_s, true, u"../outside"_s, Unusable, {}},
    {"blanks pass", u" "_s, u" "_s, u" "_s, false, {}, {}, u" "_s},
    {"CR LF, LF and CR", u"a"_s, u"b\r\nc\nd\re"_s, u"4"_s, false, {}, {}, u"b|c|d|e"_s},
    {"blank lines add none", u"a"_s, u"\r\nb\r\n\r\n\n\nc\r\n"_s, u"4"_s, false, {}, {}, u"b|c"_s},
    {"blanks, repeats kept", u"a"_s, u" b \r\n  \r\n b "_s, u"4"_s, false, {}, {}, u" b |  | b "_s},
};

void setText(QLineEdit* edit, const QString& text)
{
    edit->clear();
    QTest::keyClicks(edit, text);
}

} // namespace

class tst_Batch : public QObject
{
    Q_OBJECT
    std::optional<ProgramFolder> folder;
    std::optional<MessageBoxScript> script;
    std::optional<frmMain> w;

    bool open(bool full = true) { return openMainWindow(w, full, folder->path()); }
    // Replaces the long-tail keywords the way a keyword list arrives: pasted.
    void paste(const QString& text)
    {
        w->txtSelectedKeyword->clear();
        QGuiApplication::clipboard()->setText(text);
        QTest::keyClick(w->txtSelectedKeyword, Qt::Key_V, Qt::ControlModifier);
    }
    void create() { QTest::mouseClick(w->cmdCreatePrompt, Qt::LeftButton); }
    void batch(const QString& main, const QString& keywords)
    {
        setText(w->txtMainKeyword, main);
        paste(keywords);
        create();
    }
    void togglePromote() { QTest::keyClick(w->chkPromoteProduct, Qt::Key_Space); }
    void setProduct(const QString& name) { setText(w->cboPromoteProduct->lineEdit(), name); }
    // Picks an entry with the mouse and returns the prompt then shown.
    QString pick(int row)
    {
        const QRect entry = w->lstPrompts->visualRect(w->lstPrompts->model()->index(row, 0));
        QTest::mouseClick(w->lstPrompts->viewport(), Qt::LeftButton, {}, entry.center());
        return prompt();
    }
    QString prompt() const { return w->txtPrompt->toPlainText(); }
    int rows() const { return w->lstPrompts->model()->rowCount(); }
    QString entry(int row) const { return w->lstPrompts->model()->index(row, 0).data().toString(); }
    QModelIndexList picked() const { return w->lstPrompts->selectionModel()->selectedRows(); }

private Q_SLOTS:
    void init()
    {
        folder.emplace();
        script.emplace();
    }

    void cleanup()
    {
        QVERIFY2(script->done(), qPrintable(script->pending()));
        for (const modGeneral::MessageBoxCall& box : script->shown())
            QCOMPARE(box.style, int(modGeneral::vbInfoOk));
        w.reset();
        QVERIFY2(windowLeftOpen().isEmpty(), qPrintable(windowLeftOpen()));
    }

    void checksInOrder_data() { addTableRows(batches, &Batch::name); }

    void checksInOrder()
    {
        QFETCH(int, index);
        const Batch& b = batches[index];
        QVERIFY(folder->writeRecord(u"guide"_s, u"Guide"_s, u"ebook"_s, u"Helps"_s));
        QVERIFY(folder->write(u"products/notes.txt.txt"_s, "Notes\r\npdf\r\nKeeps notes"));
        QVERIFY(folder->write(u"products/short.txt"_s, "Only\r\nTwo"));
        QVERIFY(folder->write(u"outside.txt"_s, "Outside\r\nwrong\r\nMust not be read"));
        QVERIFY(open());
        QCOMPARE(w->cboPromoteProduct->itemText(1), u"notes.txt"_s); // as the product rows type it
        // An earlier batch promoting the first record, with a prompt on screen.
        togglePromote();
        batch(u"apple"_s, u"apple pie\napple jam"_s);
        setProduct(b.product); // counts from the next batch on
        const QString shown = pick(1);
        QVERIFY(shown.contains(u"product: 'Guide'. Product Format: ebook. What it does: Helps."_s));
        if (!b.promote)
            togglePromote();
        setText(w->txtApproxWords, b.words);
        setText(w->txtMainKeyword, b.main);
        paste(b.keywords);
        if (!b.message.isEmpty())
            script->expect(b.message.section(u": "_s, 0, 0), b.message.section(u": "_s, 1));
        create();
        const QStringList made = b.made.split(u'|', Qt::SkipEmptyParts);
        QCOMPARE(w->lstKeywords.items, made);
        QCOMPARE(rows(), made.size());
        QVERIFY(picked().isEmpty());
        QCOMPARE(prompt(), shown);
        QCOMPARE(w->txtMainKeyword->text(), b.main);
        QCOMPARE(w->cboPromoteProduct->currentText(), b.product);
        // The product is read only for a batch made with promotion; else it is kept.
        QCOMPARE(w->txtProductName + w->txtFormat + w->txtDescription,
                 b.promote && !made.isEmpty() ? u"NotespdfKeeps notes"_s : u"GuideebookHelps"_s);
    }

    void pickingInTheBasicEdition()
    {
        // The record is never promoted: the basic edition has no way to tick the box.
        QVERIFY(folder->writeRecord(u"guide"_s, u"Guide"_s, u"ebook"_s, u"Helps"_s));
        QVERIFY(open(false));
        batch(u"Apple"_s, u"apple pie"_s + Suffix + u"\r\nAPPLE \r\n"_s + Suffix);
        QCOMPARE(entry(0), u"apple pie"_s + Suffix + Suffix);
        // Each entry shows the prompt of the keyword at its position.
        const QStringList prompts = {u"About Apple, angle pie"_s + Suffix + u", 400 words. End."_s,
                                     u"About Apple in 400 words. End."_s,
                                     u"About Apple, angle"_s + Suffix + u", 400 words. End."_s};
        // Taking the focus picks nothing; the first Down picks the first entry.
        w->lstPrompts->setFocus(Qt::TabFocusReason);
        QVERIFY(picked().isEmpty());
        const QList<QPair<Qt::Key, int>> keys = {
            {Qt::Key_Down, 0}, {Qt::Key_Down, 1}, {Qt::Key_End, 2}, {Qt::Key_Up, 1}};
        for (const auto& [key, row] : keys) {
            QTest::keyClick(w->lstPrompts, key);
            QCOMPARE(picked().value(0).row(), row);
            QCOMPARE(prompt(), prompts.at(row));
        }
        QCOMPARE(pick(0), prompts.at(0));
        // Fields changed after the batch count; the entries keep their keywords.
        setText(w->txtMainKeyword, u"Pear"_s);
        setText(w->txtApproxWords, u"9"_s);
        paste(u"plum cake\r\npear"_s);
        QCOMPARE(pick(1), u"About Pear, angle apple, 9 words. End."_s);
    }
};

QTEST_MAIN(tst_Batch)
#include "tst_batch.moc"
