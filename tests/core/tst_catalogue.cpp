// Product records: the file format, the record names, and the catalogue over a products folder.
#include "catalogue/productCatalogue.h"
#include "components/tsFile.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using ProductRecords::NameCheck;

class tst_catalogue : public QObject
{
    Q_OBJECT
    QTemporaryDir dir;
    const tsFile files{};
    const ProductCatalogue catalogue{files, DataPaths(dir.path())};
    QString file(const QString& name) const { return dir.filePath(u"products/"_s + name); }

private Q_SLOTS:
    void initTestCase() { QVERIFY(QDir(dir.path()).mkdir(u"products"_s)); }

    void recordNames()
    {
        // Characters no file name may hold somewhere, controls, paths and device names.
        for (const QChar c : u"\\/:*?\"<>|\t\u001F\u007F"_s)
            QVERIFY(!ProductRecords::isPlainRecordName(u"my"_s + c + u"x"_s));
        for (const QString& name :
             {u"."_s, u".."_s, u"../x"_s, u"con"_s, u"Con.txt"_s, u"NUL.tar.gz"_s, u"AUX "_s,
              u"PRN"_s, u"com1"_s, u"LPT9.x"_s, u"COM\u00B9"_s, u"lpt\u00B2.txt"_s, u"CONIN$"_s,
              u"conout$"_s, u"a\xD800"_s}) {
            QVERIFY2(!ProductRecords::isPlainRecordName(name), qPrintable(name));
            QCOMPARE(ProductRecords::checkNewRecordName(name), NameCheck::Unusable);
        }
        // Windows drops a final dot or blank, so a new record may not end in one.
        for (const QString& name : {u"guide."_s, u"guide "_s, u"   "_s})
            QVERIFY(ProductRecords::isPlainRecordName(name)
                    && ProductRecords::checkNewRecordName(name) == NameCheck::Unusable);
        QCOMPARE(ProductRecords::checkNewRecordName(QString()), NameCheck::Empty);
        for (const QString& name : {u"COM0"_s, u"lpt10"_s, u"CONSOLE"_s, u"x.con"_s, u"my con"_s,
                                    u"notes.txt"_s, u".hidden"_s, u" lead"_s, u"été 😀 (1) #2"_s})
            QCOMPARE(ProductRecords::checkNewRecordName(name), NameCheck::Ok);
    }

    void saveChecks()
    {
        QVERIFY(catalogue.save(u"taken"_s, {u"a"_s, u"b"_s, u"c"_s}));
        const auto check = [this](const ProductRecord& r, const QString& name, bool adding) {
            const Verdict v = catalogue.checkSave(r, name, adding);
            return v ? v->title + u": "_s + v->text : u"ok"_s;
        };
        const QString m = u"Missing Info: Please enter "_s;
        const ProductRecord full{u" "_s, u" "_s, u" "_s};
        QCOMPARE(check({{}, {}, {}}, {}, true), m + u"the name of the product / service."_s);
        QCOMPARE(check({u"a"_s, {}, {}}, {}, true), m + u"the format of the product / service."_s);
        QCOMPARE(check({u"a"_s, u"b"_s, {}}, {}, false),
                 m + u"a description of the product / service."_s);
        QCOMPARE(check(full, {}, true), m + u"a filename to save this product / service."_s);
        QCOMPARE(check(full, {}, false), m + u"a filename to save this product / service."_s);
        QCOMPARE(check(full, u"a/b"_s, true),
                 u"Ooops: That filename can't be used. Please use another filename."_s);
        QCOMPARE(check(full, u"taken"_s, true),
                 u"Ooops: Oooops! That file is already in use. Please use another filename."_s);
        QCOMPARE(check(full, u"TAKEN"_s, true),
                 check(full, u"taken"_s, true)); // one file elsewhere
        QCOMPARE(check(full, u"taken"_s, false), u"ok"_s);
        QCOMPARE(check(full, u"free"_s, true), u"ok"_s);
        QVERIFY(catalogue.remove(u"taken"_s) && !catalogue.exists(u"taken"_s));
    }

    void recordsOnDisk()
    {
        // Three CR LF-separated lines, nothing after the last; a line break typed into a
        // field becomes a blank so that it cannot spill into the next line.
        QVERIFY(catalogue.save(u"herb-guide"_s, {u"Herb Guide"_s, u" "_s, u"é\r\nb\nc\u2028d"_s}));
        QFile saved(file(u"herb-guide.txt"_s));
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QCOMPARE(saved.readAll(), QByteArray("Herb Guide\r\n \r\n\xC3\xA9 b c d"));
        saved.close(); // Windows removes no open file
        HolderList lines;
        QVERIFY(catalogue.load(u"herb-guide"_s, lines));
        QCOMPARE(lines.items, (QStringList{u"Herb Guide"_s, u" "_s, u"é b c d"_s}));
        // Lines past the third are kept as they were; fewer than three make no record.
        const std::optional<ProductRecord> long_ = ProductRecord::fromText(u"a\r\nb\nc\rd\r\n"_s);
        QVERIFY(long_ && long_->rest == u"\rd\r\n"_s);
        QCOMPARE(long_->fileText(), u"a\r\nb\r\nc\rd\r\n"_s);
        QVERIFY(!ProductRecord::fromText(u"a\r\nb\r\n"_s));
        // Listed by record name, ignoring letter case; only the final ".txt" goes.
        for (const QString& name :
             {u"B.txt"_s, u"notes.txt.txt"_s, u".hidden.txt"_s, u"readme.md"_s})
            QVERIFY(files.SaveTextFile(name, file(name)));
        QVERIFY(QDir().mkdir(file(u"folder.txt"_s)) && files.SaveTextFile(u"x"_s, file(u".txt"_s)));
#ifdef Q_OS_UNIX // a Windows shortcut is an ordinary file
        QVERIFY(QFile::link(file(u"B.txt"_s), file(u"link.txt"_s)));
        HolderList none;
        QVERIFY(!catalogue.load(u"link"_s, none) && catalogue.exists(u"link"_s));
#endif
        HolderList raw;
        const QStringList names = catalogue.list(raw);
        QCOMPARE(names, (QStringList{u".hidden"_s, u"B"_s, u"herb-guide"_s, u"notes.txt"_s}));
        QCOMPARE(raw.current, names.size() - 1);
        QVERIFY(catalogue.load(u"notes.txt"_s, lines)); // each listed name leads to its file
        QVERIFY(QDir(file({})).removeRecursively());
        raw.clear();
        QVERIFY(catalogue.list(raw).isEmpty() && !raw.hasCurrent());
        QVERIFY(!catalogue.save(u"x"_s, {u"a"_s, u"b"_s, u"c"_s}) && !QFileInfo::exists(file({})));
        QVERIFY(QDir(dir.path()).mkdir(u"products"_s));
    }
};

QTEST_GUILESS_MAIN(tst_catalogue)
#include "tst_catalogue.moc"
