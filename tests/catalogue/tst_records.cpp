// Product records: the file format, the listing of the products folder and the record names.

#include "catalogue/productRecord.h"
#include "components/dataPaths.h"
#include "components/tsFile.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using ProductRecords::NameCheck;

Q_DECLARE_METATYPE(ProductRecords::NameCheck)

struct Folder
{
    QTemporaryDir dir;
    DataPaths paths{dir.path()};
    QString products = paths.productsFolder();

    bool valid() const { return dir.isValid() && QDir(dir.path()).mkdir(u"products"_s); }
    QStringList load(const QString& recordName) const
    {
        HolderList list;
        tsFile().LoadListFile(list, paths.recordFile(recordName));
        return list.items;
    }
    QStringList list(HolderList& raw) const
    {
        tsFile files;
        files.FilePattern = ProductRecords::FilePattern;
        QStringList names;
        ProductRecords::listRecordNames(files, products, raw, names);
        return names;
    }
};

class tst_records : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The file of a record saved from the fields as typed; read back, it gives its lines.
    void savedRecords_data()
    {
        QTest::addColumn<QStringList>("typed");
        QTest::addColumn<QByteArray>("file");
        QTest::newRow("herb-guide")
            << QStringList{u"Herb Garden Guide"_s, u"ebook"_s,
                           u"Teaches beginners to grow herbs on a windowsill"_s}
            << QByteArrayLiteral(
                   "Herb Garden Guide\r\nebook\r\nTeaches beginners to grow herbs on a windowsill");
        QTest::newRow("fields of blanks")
            << QStringList{u" "_s, u"   "_s, u"  "_s} << QByteArrayLiteral(" \r\n   \r\n  ");
        // UTF-8; a line break inside a field would spill into the next line: it becomes a blank.
        QTest::newRow("line breaks in fields")
            << QStringList{u"é\r\nb\n"_s, u"c\rd"_s, u"e\u2028f"_s}
            << QByteArrayLiteral("\xC3\xA9 b \r\nc d\r\ne f");
    }

    void savedRecords()
    {
        QFETCH(QStringList, typed);
        QFETCH(QByteArray, file);
        const Folder folder;
        const ProductRecord record{typed[0], typed[1], typed[2]};
        QFile saved(folder.paths.recordFile(u"herb-guide"_s));
        QVERIFY(folder.valid() && tsFile().SaveTextFile(record.fileText(), saved.fileName()));
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QCOMPARE(saved.readAll(), file);
        QCOMPARE(folder.load(u"herb-guide"_s), QString::fromUtf8(file).split(u"\r\n"_s));
    }

    void listing()
    {
        const Folder folder;
        HolderList raw;
        QVERIFY(folder.valid());
        QVERIFY(folder.list(raw).isEmpty() && !raw.hasCurrent());
        QStringList files = {u"B.txt"_s,       u"a.txt"_s,     u"notes.txt.txt"_s,
                             u".hidden.txt"_s, u"readme.md"_s, u"old.txt.bak"_s};
#ifdef Q_OS_LINUX
        files << u"UPPER.TXT"_s; // could never be opened under a name ending in ".txt"
#endif
        for (const QString& file : files)
            QVERIFY(tsFile().SaveTextFile(file, folder.products + file));
        QVERIFY(QDir(folder.products).mkdir(u"folder.txt"_s));
        const QStringList names = folder.list(raw);
        QCOMPARE(names, (QStringList{u".hidden"_s, u"a"_s, u"B"_s, u"notes.txt"_s}));
        QCOMPARE(raw.current, names.size() - 1);
        for (const QString& name : names) // each listed name leads back to its own file
            QCOMPARE(folder.load(name), QStringList{name + u".txt"_s});
        // A missing folder lists nothing, and the listing does not create it.
        QVERIFY(QDir(folder.products).removeRecursively());
        raw.clear();
        QCOMPARE(folder.list(raw), QStringList{});
        QVERIFY(!raw.hasCurrent() && !QFileInfo::exists(folder.products));
    }

    void recordNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("plain");
        QTest::addColumn<NameCheck>("check");
        // Characters no file name may hold on one platform or another, controls included.
        for (const QChar c : u"\\/:*?\"<>|\t\u001F\u007F"_s)
            QTest::addRow("holds U+%04X", c.unicode())
                << u"my"_s + c + u"x"_s << false << NameCheck::Unusable;
        // Paths, and device names of Windows whatever the case, extension or final blanks.
        for (const QString& name : {u"."_s, u".."_s, u"../x"_s, u"con"_s, u"Con.txt"_s,
                                    u"NUL.tar.gz"_s, u"AUX "_s, u"PRN"_s, u"com1"_s, u"LPT9.x"_s})
            QTest::addRow("refuses %s", qPrintable(name)) << name << false << NameCheck::Unusable;
        // Windows drops a final dot or blank, so a new record may not end in one.
        for (const QString& name : {u"guide."_s, u"guide "_s, u"   "_s})
            QTest::addRow("new: %s|", qPrintable(name)) << name << true << NameCheck::Unusable;
        QTest::newRow("empty") << u""_s << true << NameCheck::Empty;
        for (const QString& name : {u"COM0"_s, u"lpt10"_s, u"CONSOLE"_s, u"x.con"_s, u"my con"_s,
                                    u"notes.txt"_s, u".hidden"_s, u" lead"_s, u"été 😀 (1) #2"_s})
            QTest::addRow("accepts %s", qPrintable(name)) << name << true << NameCheck::Ok;
    }

    void recordNames()
    {
        QFETCH(QString, name);
        QFETCH(bool, plain);
        QFETCH(NameCheck, check);
        QCOMPARE(ProductRecords::isPlainRecordName(name), plain);
        QCOMPARE(ProductRecords::checkNewRecordName(name), check);
    }
};

QTEST_GUILESS_MAIN(tst_records)
#include "tst_records.moc"
