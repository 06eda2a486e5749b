// Hostile input from every side, each case checking the exact messages and what is on disk.
#include "app/frmMain.h"
#include "app/linkLabel.h"
#include "catalogue/frmPro.h"
#include "testSupport.h"

#include <QTest>
#include <QtWidgets>

#include <memory>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

// Templates that show every placeholder's value between bars.
const QByteArray Topic = "T #KEYWORD#|#WORDS#|#PRO#", Angle = "A #KEYWORD#|#ANGLE#|#WORDS#|#PRO#";
const QString Error = u"Error"_s, SaveError = u"There was an error saving the product file."_s;

QString promotion(const QStringList& p)
{
    return u"In the middle of the article begin preselling the following product: '"_s + p[0] +
           u"'. Product Format: "_s + p[1] + u". What it does: "_s + p[2] + u". "_s;
}

struct Batch
{
    const char* tag;
    QString made;             // "keyword;prompt;keyword;prompt..."; none: refused
    QByteArray topic = Topic; // none: missing
    QString unread = {};      // why the topic template cannot be read, as the message says
    QByteArray record = {};   // products/odd.txt, promoted; none: nothing promoted
    QString main = u"herbs"_s, keywords = u"Herbs\r\nherbs indoors"_s;
};

// "Herbs" and "herbs indoors" made into these prompts, promoting a record "name;format;what".
QString made(const QString& topic, const QString& record = QString())
{
    const QString pro = record.isEmpty() ? QString() : promotion(record.split(u';'));
    return u"Herbs;"_s + topic + pro + u";herbs indoors;A herbs|indoors|400|"_s + pro;
}

const Batch Batches[] = {
    {"template missing", made(QString()), QByteArray(), u"the file does not exist"_s},
    {"template empty", made(QString()), ""},
    {"template a folder", made(QString()), QByteArray(), u"it is not a file"_s},
    {"template over the read limit", made(QString()), "", u"the file is larger than 64 MB"_s},
    {"template of invalid UTF-8", made(u"Café “herbs” €"_s), "Caf\xe9 \x93#KEYWORD#\x94 \x80"},
    {"template of several megabytes", made(u"About herbs, 400.\n"_s.repeated(200'000)),
     QByteArray("About #KEYWORD#, #WORDS#.\n").repeated(200'000)},
    {"record of zero bytes", QString(), Topic, QString(), ""},
    {"record of two lines", QString(), Topic, QString(), "Name\r\nebook"},
    {"record with NULs", made(u"T herbs|400|"_s, u"N\0m\x01;f\0;\0d\x1b\0"_s), Topic, QString(),
     QByteArrayLiteral("N\0m\x01\r\nf\0\r\n\0d\x1b\0")},
    {"record of invalid UTF-8", made(u"T herbs|400|"_s, u"Café;€ 9;“hi”"_s), Topic, QString(),
     "Caf\xe9\r\n\x80 9\r\n\x93hi\x94"},
    {"record of several megabytes", made(u"T herbs|400|"_s, u"Guide;ebook;Helps"_s), Topic,
     QString(), QByteArray("Guide\r\nebook\r\nHelps") + QByteArray("\r\nmore").repeated(1 << 20)},
    {"mixed line breaks", u"a;A herbs|a|400|;b;A herbs|b|400|;c;A herbs|c|400|;d;A herbs|d|400|"_s,
     Topic, QString(), QByteArray(), u"herbs"_s, u"a\nb\r\n\rc\u2028d"_s},
    {"main keyword and lines of blanks",
     u"herbs   indoors;A    |herbsindoors|400|;   ;T    |400|; ;T    |400|"_s, Topic, QString(),
     QByteArray(), u"   "_s, u"herbs   indoors\r\n   \r\n "_s},
    {"placeholders", u"#words#;T 400|400|;#WORDS# #PRO# tips;A 400|#pro# tips|400|"_s, Topic,
     QString(), QByteArray(), u"#WORDS#"_s, u"#words#\r\n#WORDS# #PRO# tips"_s},
};

// Every file and folder below `root`, each file with its bytes.
QMap<QString, QByteArray> snapshot(const QString& root)
{
    QMap<QString, QByteArray> entries;
    QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile file(it.next());
        entries[file.fileName()] = file.open(QIODevice::ReadOnly) ? file.readAll() : "not a file";
    }
    return entries;
}

} // namespace

class tst_BadInput : public QObject
{
    Q_OBJECT
    std::optional<ProgramFolder> folder;
    std::optional<MessageBoxScript> boxes; // a box not expected, or out of order, fails at once
    std::unique_ptr<frmMain> w;
    std::unique_ptr<frmPro> pro;

    template <typename T, typename... Args> bool open(std::unique_ptr<T>& window, Args&&... args)
    {
        window = std::make_unique<T>(std::forward<Args>(args)...);
        window->show();
        return QTest::qWaitForWindowExposed(window.get());
    }
    // Replaces the text of a box by another, not empty, the way odd text arrives: pasted.
    static void paste(QWidget* box, const QString& text)
    {
        QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
        QGuiApplication::clipboard()->setText(text);
        QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
    }
    void batch(const QString& main, const QString& keywords)
    {
        paste(w->txtMainKeyword, main);
        paste(w->txtSelectedKeyword, keywords);
        QTest::mouseClick(w->cmdCreatePrompt, Qt::LeftButton);
    }
    QString pick(int row)
    {
        const QRect entry = w->lstPrompts->visualRect(w->lstPrompts->model()->index(row, 0));
        QTest::mouseClick(w->lstPrompts->viewport(), Qt::LeftButton, {}, entry.center());
        return w->txtPrompt->toPlainText();
    }
    // Selects the one record listed in the manager and deletes it, answering Yes.
    void removeTheRecord(const QString& title, const QString& text)
    {
        QTest::keyClick(pro->lstProductsFiltered, Qt::Key_Down);
        boxes->expect(u"Confirm"_s, u"Delete file?"_s, modGeneral::vbYes);
        boxes->expect(title, text);
        QTest::mouseClick(pro->cmdDeleteProduct, Qt::LeftButton);
    }

private Q_SLOTS:
    void init()
    {
        folder.emplace(Topic, Angle);
        boxes.emplace();
    }

    void cleanup()
    {
        pro.reset();
        w.reset();
        QFile::setPermissions(folder->productsPath(),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QVERIFY2(boxes->done(), qPrintable(u"not shown: "_s + boxes->pending()));
        QVERIFY2(windowLeftOpen().isEmpty(), qPrintable(windowLeftOpen()));
    }

    void batches_data() { addTableRows(Batches, &Batch::tag); }

    // Start-up says what it could not read, and each line of keywords gets its prompt, or none.
    void batches()
    {
        QFETCH(int, index);
        const Batch& b = Batches[index];
        folder.emplace(b.topic, Angle);
        const QString topic = folder->path() + u"/templates/topic.txt"_s;
        QVERIFY(b.unread != u"it is not a file"_s || QDir().mkpath(topic));
        QVERIFY(!b.unread.contains(u"64 MB"_s) || QFile::resize(topic, tsFile::MaxReadBytes + 1));
        QVERIFY(b.record.isNull() || folder->write(u"products/odd.txt"_s, b.record));
        const auto before = snapshot(folder->path());
        QVERIFY(open(w, true, folder->path()));
        if (!b.unread.isEmpty())
            boxes->expect(Error,
                          u"This template file could not be read:\n\n%1 (%2)\n\nPrompts that "
                          "use it will be empty."_s.arg(QDir::toNativeSeparators(topic), b.unread));
        w->reportStartupProblems();
        if (!b.record.isNull())
            QTest::keyClick(w->chkPromoteProduct, Qt::Key_Space);
        if (b.made.isEmpty())
            boxes->expect(u"Invalid File"_s, u"The file can't be opened."_s);
        batch(b.main, b.keywords);
        const QStringList made = b.made.split(u';'); // none: one empty part
        QCOMPARE(w->lstPrompts->model()->rowCount(), made.size() / 2);
        for (int row = 0; row < made.size() / 2; ++row)
            QCOMPARE(pick(row), made[2 * row + 1]);
        QCOMPARE(snapshot(folder->path()), before);
    }

    void productsFolder_data()
    {
        QTest::addColumn<QString>("name");    // of a record added or edited; none: neither
        QTest::addColumn<QString>("refusal"); // of adding it, "title: text"; none: saved
        QTest::newRow("missing") << u"Чай"_s << u"Error: "_s + SaveError;
        QTest::newRow("empty; a record named in other scripts") << u"Чай 日本 😀"_s << QString();
        QTest::newRow("holding a folder named like a record")
            << u"dir"_s
            << u"Ooops: Oooops! That file is already in use. Please use another filename."_s;
        QTest::newRow("its record removed behind the program's back") << QString() << QString();
        QTest::newRow("read-only, its record edited") << u"odd"_s << u"Error: "_s + SaveError;
    }

    // In each state of the folder, deleting the record listed and adding one work, or are refused
    // with the reason while the lists, the typed text and the files stay as they were.
    void productsFolder()
    {
        QFETCH(QString, name);
        QFETCH(QString, refusal);
        const QByteArray tag = QTest::currentDataTag();
        const bool removed = tag.startsWith("its record"), locked = tag.startsWith("read-only");
        const int records = removed || locked; // "odd", listed
        const QString products = folder->productsPath();
        QVERIFY(tag != "missing" || QDir(products).removeRecursively());
        QVERIFY(name != u"dir"_s || folder->write(u"products/dir.txt/a.txt"_s, "N\r\nF\r\nD"));
        QVERIFY(!records || folder->writeRecord(u"odd"_s, u"N"_s, u"F"_s, u"D"_s));
        QVERIFY(open(w, true, folder->path()) && open(pro, *w) &&
                w->cboPromoteProduct->count() == records &&
                pro->lstProductsFiltered->count() == records);
        QVERIFY(!removed || QFile::remove(products + u"/odd.txt"_s));
        QVERIFY(!locked || QFile::setPermissions(products, QFile::ReadOwner | QFile::ExeOwner));
        if (locked && QFile(products + u"/probe"_s).open(QIODevice::WriteOnly))
            QSKIP("the folder's permissions do not bind this user (root)");
        const auto before = snapshot(folder->path());
        if (records)
            removeTheRecord(Error, u"There was an error with the deletion of the selected file."_s);
        const QStringList product = {u"Гид по чаю"_s, u"книга"_s, u"日本茶 😀"_s};
        if (!name.isEmpty()) {
            QTest::mouseClick(locked ? pro->cmdEditProduct : pro->cmdAddNew, Qt::LeftButton);
            paste(pro->txtProductName, product[0]);
            paste(pro->txtFormat, product[1]);
            paste(pro->txtDescription, product[2]);
            paste(pro->txtFilename, name); // a box locked when editing
            if (!refusal.isEmpty())
                boxes->expect(refusal.section(u": "_s, 0, 0), refusal.section(u": "_s, 1));
            QTest::mouseClick(pro->cmdSave, Qt::LeftButton);
        }
        QVERIFY(refusal.isEmpty() ||
                (pro->frProduct->isVisible() && pro->txtDescription->text() == product[2]));
        if (!name.isEmpty() && refusal.isEmpty()) {
            QCOMPARE(folder->read(u"products/"_s + name + u".txt"_s),
                     product.join(u"\r\n"_s).toUtf8());
            pro.reset();
            QTest::keyClick(w->chkPromoteProduct, Qt::Key_Space);
            batch(u"herbs"_s, u"herbs indoors"_s);
            QCOMPARE(pick(0), u"A herbs|indoors|400|"_s + promotion(product));
            QVERIFY(open(pro, *w));
            removeTheRecord(u"Done"_s, u"Done."_s);
        }
        QVERIFY(w->cboPromoteProduct->count() == records &&
                pro->lstProductsFiltered->count() == records);
        QCOMPARE(snapshot(folder->path()), before);
    }

    // A million lines make a million entries; the last can be reached and picked.
    void aMillionKeywordLines()
    {
        QVERIFY(open(w, true, folder->path()));
        paste(w->txtMainKeyword, u"herbs"_s);
        w->txtSelectedKeyword->setPlainText(u"herbs a\n"_s.repeated(999'999) + u"herbs z"_s);
        QTest::mouseClick(w->cmdCreatePrompt, Qt::LeftButton);
        QCOMPARE(pick(0), u"A herbs|a|400|"_s);
        QTest::keyClick(w->lstPrompts, Qt::Key_End);
        QCOMPARE(w->lstPrompts->currentIndex().row(), 999'999);
        QCOMPARE(w->txtPrompt->toPlainText(), u"A herbs|z|400|"_s);
    }

    // Copying a batch past the bound is refused with its size, the clipboard kept. Angles holding
    // a "#" are composed step by step, the others from prepared pieces: both are measured.
    void copyAllRefusesTooMuchText()
    {
        const qsizetype size = 3 << 20;
        folder.emplace(Topic, QByteArray(size, 'x') + "#ANGLE#");
        QVERIFY(open(w, true, folder->path()));
        QStringList keywords; // each its own angle
        qsizetype total = 0;
        for (int i = 0; total <= frmMain::MaxCopyAllChars; ++i) {
            keywords << (i % 2 ? u"#"_s : u"n"_s) + QString::number(i);
            total += 23 + 2 * keywords.last().size() + size; // labels, keyword, prompt
        }
        batch(u"herbs"_s, keywords.join(u"\n"_s));
        QGuiApplication::clipboard()->setText(u"held before"_s);
        boxes->expect(
            u"Too Much Text"_s,
            u"The prompts of this batch make %1 million characters of text, more than "
            "can be copied at once (at most 268 million).\n\nPlease create the batch "
            "from fewer keywords and copy the prompts in parts."_s.arg(qRound64(total / 1e6)));
        QTest::mouseClick(w->lblSaveasPDF, Qt::LeftButton);
        QCOMPARE(QGuiApplication::clipboard()->text(), u"held before"_s);
    }
};

QTEST_MAIN(tst_BadInput)
#include "tst_badinput.moc"
