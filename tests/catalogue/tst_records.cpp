// Product records: the file format, the listing of the products folder and
// the names a record may be stored under.

#include "catalogue/productRecord.h"
#include "components/dataPaths.h"
#include "components/holderList.h"
#include "components/tsFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using ProductRecords::NameCheck;

Q_DECLARE_METATYPE(ProductRecords::NameCheck)

namespace {

bool writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray readBytes(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArrayLiteral("<unreadable>");
    return file.readAll();
}

// A program folder with an empty products folder.
struct Folder
{
    QTemporaryDir dir;
    DataPaths paths{dir.path()};
    tsFile files;

    Folder()
    {
        QDir(dir.path()).mkdir(u"products"_s);
        files.FilePattern = ProductRecords::FilePattern;
    }
    bool valid() const { return dir.isValid() && QDir(paths.productsFolder()).exists(); }

    bool save(const QString& recordName, const ProductRecord& record) const
    {
        return files.SaveTextFile(record.fileText(), paths.recordFile(recordName));
    }
    QStringList load(const QString& recordName) const
    {
        HolderList list;
        if (!files.LoadListFile(list, paths.recordFile(recordName)))
            return {u"<not read>"_s};
        return list.items;
    }
    QStringList list(HolderList& raw) const
    {
        QStringList names;
        ProductRecords::listRecordNames(files, paths.productsFolder(), raw, names);
        return names;
    }
};

} // namespace

class tst_records : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void herbGuideRecord();
    void fieldsRoundTrip_data();
    void fieldsRoundTrip();
    void lineBreaksInsideFieldsBecomeBlanks();
    void moreThanThreeLines();
    void recordsFromOtherTools_data();
    void recordsFromOtherTools();

    void listing();
    void listedNamesLeadBackToTheirFiles();
    void listingEmptyOrMissingFolder();
    void recordNameOf_data();
    void recordNameOf();

    void recordNames_data();
    void recordNames();
};

// ---------------------------------------------------------------- format

void tst_records::herbGuideRecord()
{
    Folder folder;
    QVERIFY(folder.valid());
    const ProductRecord record{u"Herb Garden Guide"_s, u"ebook"_s,
                               u"Teaches beginners to grow herbs on a windowsill"_s};
    QVERIFY(folder.save(u"herb-guide"_s, record));

    const QByteArray bytes = readBytes(folder.dir.filePath(u"products/herb-guide.txt"_s));
    QCOMPARE(bytes.size(), 73);
    QCOMPARE(bytes, QByteArrayLiteral("Herb Garden Guide\r\nebook\r\n"
                                      "Teaches beginners to grow herbs on a windowsill"));
    QCOMPARE(folder.load(u"herb-guide"_s),
             (QStringList{u"Herb Garden Guide"_s, u"ebook"_s,
                          u"Teaches beginners to grow herbs on a windowsill"_s}));
    HolderList raw;
    QCOMPARE(folder.list(raw), QStringList{u"herb-guide"_s});
}

void tst_records::fieldsRoundTrip_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("description");

    QTest::newRow("blanks only") << u" "_s << u"   "_s << u"  "_s;
    QTest::newRow("outer blanks") << u"  Herb Guide "_s << u" ebook"_s << u"grows herbs   "_s;
    QTest::newRow("tabs") << u"\tname"_s << u"a\tb"_s << u"c\t"_s;
    QTest::newRow("accents and scripts")
        << u"Guide été"_s << u"livre numérique"_s << u"日本語 Ελλάδα 😀"_s;
    QTest::newRow("placeholders") << u"#PRODUCTNAME#"_s << u"#FORMAT#"_s << u"#KEYWORD# #PRO#"_s;
    QTest::newRow("name begins with U+FEFF") << u"\uFEFFname"_s << u"f"_s << u"d"_s;
    QTest::newRow("quotes and separators") << u"\"Guide\" 'x'"_s << u"a/b\\c"_s << u"1 | 2: 3"_s;
}

void tst_records::fieldsRoundTrip()
{
    QFETCH(QString, name);
    QFETCH(QString, format);
    QFETCH(QString, description);
    Folder folder;
    QVERIFY(folder.valid());
    const ProductRecord record{name, format, description};
    QCOMPARE(record.fileText(), name + u"\r\n"_s + format + u"\r\n"_s + description);
    QVERIFY(folder.save(u"record"_s, record));
    // UTF-8; a name that begins with U+FEFF gets a byte-order mark in front so
    // that the character is not taken for the mark when read.
    const QByteArray mark =
        name.startsWith(QChar(0xFEFF)) ? QByteArrayLiteral("\xEF\xBB\xBF") : QByteArray();
    QCOMPARE(readBytes(folder.paths.recordFile(u"record"_s)),
             mark + (name + u"\r\n"_s + format + u"\r\n"_s + description).toUtf8());
    QCOMPARE(folder.load(u"record"_s), (QStringList{name, format, description}));
}

void tst_records::lineBreaksInsideFieldsBecomeBlanks()
{
    Folder folder;
    QVERIFY(folder.valid());
    const ProductRecord record{u"Herb\r\nGarden\r\n"_s, u"e\nbook"_s,
                               u"grows\rherbs\u2028on a\u2029sill"_s};
    const QString expected = u"Herb Garden \r\ne book\r\ngrows herbs on a sill"_s;
    QCOMPARE(record.fileText(), expected);
    QVERIFY(folder.save(u"record"_s, record));
    QCOMPARE(folder.load(u"record"_s),
             (QStringList{u"Herb Garden "_s, u"e book"_s, u"grows herbs on a sill"_s}));

    // Two breaks in a row are two blanks.
    QCOMPARE(ProductRecords::singleLine(u"a\n\nb\r\r\nc"_s), u"a  b  c"_s);
    QCOMPARE(ProductRecords::singleLine(u"plain"_s), u"plain"_s);
}

void tst_records::moreThanThreeLines()
{
    Folder folder;
    QVERIFY(folder.valid());
    QVERIFY(
        writeBytes(folder.paths.recordFile(u"long"_s),
                   QByteArrayLiteral("Name\r\nFormat\r\nDescription\r\nextra one\r\n\r\nextra")));
    const QStringList lines = folder.load(u"long"_s);
    QCOMPARE(lines, (QStringList{u"Name"_s, u"Format"_s, u"Description"_s, u"extra one"_s, u""_s,
                                 u"extra"_s}));
}

void tst_records::recordsFromOtherTools_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("fields");

    const QStringList accented{u"Café Guide"_s, u"“ebook”"_s, u"Saves € 10 – naïve"_s};
    QTest::newRow("Windows-1252") << QByteArrayLiteral("Caf\xE9 Guide\r\n\x93"
                                                       "ebook\x94\r\nSaves \x80 10 \x96 na\xEFve")
                                  << accented;
    QTest::newRow("UTF-8") << QByteArrayLiteral("Caf\xC3\xA9 Guide\r\n\xE2\x80\x9C"
                                                "ebook"
                                                "\xE2\x80\x9D\r\nSaves \xE2\x82\xAC 10 \xE2\x80\x93"
                                                " na\xC3\xAFve")
                           << accented;
    QTest::newRow("UTF-8 with BOM")
        << QByteArrayLiteral("\xEF\xBB\xBF"
                             "Caf\xC3\xA9 Guide\r\n\xE2\x80\x9C"
                             "ebook"
                             "\xE2\x80\x9D\r\nSaves \xE2\x82\xAC 10 \xE2\x80\x93 na\xC3\xAFve")
        << accented;
    QTest::newRow("LF line ends") << QByteArrayLiteral("Name\nFormat\nDescription\n")
                                  << QStringList{u"Name"_s, u"Format"_s, u"Description"_s};
    QTest::newRow("CR line ends") << QByteArrayLiteral("Name\rFormat\rDescription")
                                  << QStringList{u"Name"_s, u"Format"_s, u"Description"_s};
    QTest::newRow("final CR LF") << QByteArrayLiteral("Name\r\nFormat\r\nDescription\r\n")
                                 << QStringList{u"Name"_s, u"Format"_s, u"Description"_s};
}

void tst_records::recordsFromOtherTools()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, fields);
    Folder folder;
    QVERIFY(folder.valid());
    QVERIFY(writeBytes(folder.paths.recordFile(u"legacy"_s), bytes));
    QCOMPARE(folder.load(u"legacy"_s), fields);

    // Saved again, the record is UTF-8 in the program's own format.
    QVERIFY(folder.save(u"legacy"_s, ProductRecord{fields.at(0), fields.at(1), fields.at(2)}));
    QCOMPARE(readBytes(folder.paths.recordFile(u"legacy"_s)), fields.join(u"\r\n"_s).toUtf8());
    QCOMPARE(folder.load(u"legacy"_s), fields);
}

// ---------------------------------------------------------------- listing

void tst_records::listing()
{
    Folder folder;
    QVERIFY(folder.valid());
    const QDir products(folder.paths.productsFolder());
    for (const QString& file :
         {u"b.txt"_s, u"A.txt"_s, u"notes.txt.txt"_s, u"readme.md"_s, u"old.txt.bak"_s, u"txt"_s,
          u"C.txt"_s, u".hidden.txt"_s, u"my product.txt"_s})
        QVERIFY(writeBytes(products.filePath(file), "n\r\nf\r\nd"));
    QVERIFY(products.mkdir(u"folder.txt"_s));
    QVERIFY(products.mkdir(u"sub"_s));
    QVERIFY(writeBytes(products.filePath(u"sub/deep.txt"_s), "n\r\nf\r\nd"));

    HolderList raw;
    const QStringList names = folder.list(raw);
    QCOMPARE(names,
             (QStringList{u".hidden"_s, u"A"_s, u"b"_s, u"C"_s, u"my product"_s, u"notes.txt"_s}));
    QCOMPARE(raw.count(), names.size());
    QVERIFY(raw.hasCurrent());
    QCOMPARE(raw.current, raw.count() - 1);
    for (qsizetype i = 0; i < raw.count(); ++i)
        QCOMPARE(folder.files.FileNameOf(raw.items.at(i)), names.at(i) + u".txt"_s);

    // A second listing into emptied lists gives the same again.
    raw.clear();
    QCOMPARE(folder.list(raw), names);
    QCOMPARE(raw.current, raw.count() - 1);
}

void tst_records::listedNamesLeadBackToTheirFiles()
{
    Folder folder;
    QVERIFY(folder.valid());
    const QStringList recordNames = {u"notes.txt"_s, u"a.txt.txt"_s, u"herb-guide"_s,
                                     u"Guide été"_s, u".txt"_s,      u"日本語"_s};
    for (const QString& name : recordNames)
        QVERIFY2(folder.save(name, ProductRecord{name, u"f"_s, u"d"_s}), qPrintable(name));

    HolderList raw;
    const QStringList names = folder.list(raw);
    QCOMPARE(names.size(), recordNames.size());
    for (const QString& name : recordNames)
        QVERIFY2(names.contains(name), qPrintable(name));
    for (const QString& name : names)
        QCOMPARE(folder.load(name), (QStringList{name, u"f"_s, u"d"_s}));
}

void tst_records::listingEmptyOrMissingFolder()
{
    Folder folder;
    QVERIFY(folder.valid());
    HolderList raw;
    QCOMPARE(folder.list(raw), QStringList{});
    QCOMPARE(raw.count(), 0);
    QVERIFY(!raw.hasCurrent());

    // Only files that are not records.
    QVERIFY(writeBytes(folder.paths.productsFolder() + u"notes.md"_s, "x"));
    QVERIFY(QDir(folder.paths.productsFolder()).mkdir(u"dir.txt"_s));
    QCOMPARE(folder.list(raw), QStringList{});
    QVERIFY(!raw.hasCurrent());

    const DataPaths nowhere(folder.dir.filePath(u"missing"_s));
    QStringList names;
    ProductRecords::listRecordNames(folder.files, nowhere.productsFolder(), raw, names);
    QCOMPARE(names, QStringList{});
    QCOMPARE(raw.count(), 0);
    QVERIFY(!raw.hasCurrent());
    // Listing never creates the folder.
    QVERIFY(!QFileInfo::exists(nowhere.programFolder()));
}

void tst_records::recordNameOf_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QString>("recordName");
    QTest::newRow("plain") << u"herb-guide.txt"_s << u"herb-guide"_s;
    QTest::newRow("only the final .txt") << u"notes.txt.txt"_s << u"notes.txt"_s;
    QTest::newRow(".txt inside") << u"a.txt b.txt"_s << u"a.txt b"_s;
    QTest::newRow("nothing before .txt") << u".txt"_s << u""_s;
}

void tst_records::recordNameOf()
{
    QFETCH(QString, fileName);
    QFETCH(QString, recordName);
    QCOMPARE(ProductRecords::recordNameOf(fileName), recordName);
}

// ---------------------------------------------------------------- names

void tst_records::recordNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("plain");
    QTest::addColumn<NameCheck>("check");

    // Characters no file name may hold on one platform or another.
    for (const QString& c :
         {u"\\"_s, u"/"_s, u":"_s, u"*"_s, u"?"_s, u"\""_s, u"<"_s, u">"_s, u"|"_s})
        QTest::addRow("holds %s", qPrintable(c))
            << u"my"_s + c + u"product"_s << false << NameCheck::Unusable;
    QTest::newRow("path up") << u"../herb-guide"_s << false << NameCheck::Unusable;
    QTest::newRow("absolute path") << u"/etc/passwd"_s << false << NameCheck::Unusable;
    QTest::newRow("tab") << u"a\tb"_s << false << NameCheck::Unusable;
    QTest::newRow("line feed") << u"a\nb"_s << false << NameCheck::Unusable;
    QTest::newRow("carriage return") << u"a\rb"_s << false << NameCheck::Unusable;
    QTest::newRow("control 01") << u"a\u0001"_s << false << NameCheck::Unusable;
    QTest::newRow("control 1F") << u"\u001Fa"_s << false << NameCheck::Unusable;
    QTest::newRow("NUL character") << QString(QChar(0)) + u"a"_s << false << NameCheck::Unusable;
    QTest::newRow("DEL") << u"a\u007F"_s << false << NameCheck::Unusable;
    QTest::newRow("dot") << u"."_s << false << NameCheck::Unusable;
    QTest::newRow("dot dot") << u".."_s << false << NameCheck::Unusable;

    // Device names of Windows, whatever the case and the extension.
    for (const QString& device :
         {u"CON"_s,      u"con"_s,      u"Con"_s,      u"PRN"_s,     u"prn"_s,        u"AUX"_s,
          u"aux"_s,      u"NUL"_s,      u"nul"_s,      u"con.txt"_s, u"NUL.tar.gz"_s, u"aux.foo"_s,
          u"Com1"_s,     u"COM1"_s,     u"com5"_s,     u"COM9"_s,    u"LPT1"_s,       u"lpt9"_s,
          u"lpt9.foo"_s, u"Lpt3.txt"_s, u"com1.x.y"_s, u"CON "_s,    u"con .txt"_s})
        QTest::addRow("device %s", qPrintable(device)) << device << false << NameCheck::Unusable;

    // Windows drops a final dot or blank, so a new name may not end in one.
    QTest::newRow("final dot") << u"herb guide."_s << true << NameCheck::Unusable;
    QTest::newRow("final blank") << u"herb guide "_s << true << NameCheck::Unusable;
    QTest::newRow("dots only") << u"..."_s << true << NameCheck::Unusable;
    QTest::newRow("blanks only") << u"   "_s << true << NameCheck::Unusable;

    QTest::newRow("empty") << u""_s << true << NameCheck::Empty;

    for (const QString& name : {u"COM0"_s,
                                u"LPT0"_s,
                                u"CONSOLE"_s,
                                u"com10"_s,
                                u"lpt10.txt"_s,
                                u"PRNT"_s,
                                u"auxiliary"_s,
                                u"nullable"_s,
                                u"my con"_s,
                                u"x.con"_s,
                                u"my product"_s,
                                u"herb-guide"_s,
                                u"été"_s,
                                u"日本語"_s,
                                u"Ελλάδα"_s,
                                u"emoji 😀"_s,
                                u"notes.txt"_s,
                                u"a.b.c"_s,
                                u" leading blank"_s,
                                u".hidden"_s,
                                u"x (1) [2] {3} #4 %5 & ' , ; = + ~"_s})
        QTest::addRow("accepts %s", qPrintable(name)) << name << true << NameCheck::Ok;
}

void tst_records::recordNames()
{
    QFETCH(QString, name);
    QFETCH(bool, plain);
    QFETCH(NameCheck, check);
    QCOMPARE(ProductRecords::isPlainRecordName(name), plain);
    QCOMPARE(ProductRecords::checkNewRecordName(name), check);

    // Every name accepted for a new record can be saved, listed under the same
    // name, and read back.
    if (check != NameCheck::Ok)
        return;
    Folder folder;
    QVERIFY(folder.valid());
    QVERIFY(folder.save(name, ProductRecord{u"n"_s, u"f"_s, u"d"_s}));
    HolderList raw;
    QCOMPARE(folder.list(raw), QStringList{name});
    QCOMPARE(folder.load(name), (QStringList{u"n"_s, u"f"_s, u"d"_s}));
}

QTEST_GUILESS_MAIN(tst_records)
#include "tst_records.moc"
