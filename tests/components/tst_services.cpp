// The file, tools and parser services, and the data paths, without a window.

#include "components/dataPaths.h"
#include "components/holderList.h"
#include "components/tsFile.h"
#include "components/tsParser.h"
#include "components/tsTools.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#endif

using namespace Qt::StringLiterals;

namespace {

// Plainly correct replacement: walk the text from the left; where the search
// text starts, emit the replacement and jump past the match, otherwise copy one
// character.
QString referenceReplace(const QString& text, const QString& search, const QString& replacement)
{
    if (search.isEmpty())
        return text;
    QString out;
    qsizetype i = 0;
    while (i < text.size()) {
        if (i + search.size() <= text.size() &&
            QStringView(text).sliced(i, search.size()) == search) {
            out += replacement;
            i += search.size();
        } else {
            out += text.at(i);
            ++i;
        }
    }
    return out;
}

QString randomText(QRandomGenerator& random, const QStringList& alphabet, int maxPieces)
{
    QString text;
    const int pieces = int(random.bounded(maxPieces + 1));
    for (int i = 0; i < pieces; ++i)
        text += alphabet.at(random.bounded(int(alphabet.size())));
    return text;
}

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

// "café – naïve €" in the three encodings the reads must understand.
const QString cafe = u"café – naïve €"_s;
const QByteArray cafeUtf8 = QByteArrayLiteral("caf\xC3\xA9 \xE2\x80\x93 na\xC3\xAFve \xE2\x82\xAC");
const QByteArray cafeCp1252 = QByteArrayLiteral("caf\xE9 \x96 na\xEFve \x80");
const QByteArray bom = QByteArrayLiteral("\xEF\xBB\xBF");

} // namespace

class tst_services : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void replaceCases_data();
    void replaceCases();
    void replaceMatchesReferenceOnRandomTexts();

    void splitToList_data();
    void splitToList();
    void splitToListAppendsToExistingItems();

    void loadTextFile_data();
    void loadTextFile();
    void loadListFile_data();
    void loadListFile();
    void loadListFileAppends();
    void readsThatFail_data();
    void readsThatFail();
    void unreadableFileIsReported();

    void saveWritesExactUtf8Bytes_data();
    void saveWritesExactUtf8Bytes();
    void saveReadRoundTrip_data();
    void saveReadRoundTrip();
    void saveIntoMissingFolderFails();
    void failedSaveInReadOnlyFolderKeepsOldFile();
    void failedWriteKeepsOldFile_data();
    void failedWriteKeepsOldFile();

    void listFilesOrderAndFilter();
    void listFilesPattern();
    void listFilesMissingOrEmptyFolder();

    void fileExists();
    void deleteFile();

    void dataPaths_data();
    void dataPaths();
    void dataPathsLeadToFiles();
};

// ---------------------------------------------------------------- Replace

void tst_services::replaceCases_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("search");
    QTest::addColumn<QString>("replacement");
    QTest::addColumn<QString>("expected");

    QTest::newRow("every occurrence") << u"a#X#b#X#c#X#"_s << u"#X#"_s << u"1"_s << u"a1b1c1"_s;
    QTest::newRow("overlap counted once, left first") << u"aaa"_s << u"aa"_s << u"b"_s << u"ba"_s;
    QTest::newRow("adjacent matches") << u"aaaa"_s << u"aa"_s << u"b"_s << u"bb"_s;
    QTest::newRow("placeholder overlap")
        << u"#ANGLE#ANGLE#"_s << u"#ANGLE#"_s << u"x"_s << u"xANGLE#"_s;
    QTest::newRow("case matters") << u"Dog dog DOG"_s << u"dog"_s << u"cat"_s << u"Dog cat DOG"_s;
    QTest::newRow("replacement holds search") << u"a-a"_s << u"a"_s << u"aa"_s << u"aa-aa"_s;
    QTest::newRow("replacement forms a new match")
        << u"#PR#PRO#O#"_s << u"#PRO#"_s << u""_s << u"#PRO#"_s;
    QTest::newRow("empty replacement")
        << u"one .txt two.txt"_s << u".txt"_s << u""_s << u"one  two"_s;
    QTest::newRow("empty search") << u"abc"_s << u""_s << u"x"_s << u"abc"_s;
    QTest::newRow("empty text") << u""_s << u"a"_s << u"x"_s << u""_s;
    QTest::newRow("all empty") << u""_s << u""_s << u""_s << u""_s;
    QTest::newRow("search longer than text") << u"ab"_s << u"abc"_s << u"x"_s << u"ab"_s;
    QTest::newRow("whole text") << u"#PRO#"_s << u"#PRO#"_s << u"P"_s << u"P"_s;
    QTest::newRow("beyond the basic plane") << u"😀a😀"_s << u"😀"_s << u"é"_s << u"éaé"_s;
    QTest::newRow("line breaks pass")
        << u"a\r\n#W#\r\n"_s << u"#W#"_s << u"1\r\n2"_s << u"a\r\n1\r\n2\r\n"_s;
}

void tst_services::replaceCases()
{
    QFETCH(QString, text);
    QFETCH(QString, search);
    QFETCH(QString, replacement);
    QFETCH(QString, expected);
    const tsParser parser;
    QCOMPARE(parser.Replace(text, search, replacement, 0), expected);
    QCOMPARE(referenceReplace(text, search, replacement), expected);
}

void tst_services::replaceMatchesReferenceOnRandomTexts()
{
    // Few letters and placeholder fragments, so that overlapping and adjacent
    // matches turn up often.
    const QStringList textAlphabet = {u"a"_s,   u"b"_s,       u"#"_s,      u"A"_s,
                                      u"aab"_s, u"#ANGLE#"_s, u"ANGLE#"_s, u"\r\n"_s};
    const QStringList searchAlphabet = {u"a"_s, u"b"_s, u"#"_s, u"A"_s, u"aa"_s, u"ANGLE#"_s};
    const QStringList replacementAlphabet = {u"a"_s, u"#"_s, u"x"_s, u"ANGLE"_s};
    QRandomGenerator random(20240611);
    const tsParser parser;
    int matched = 0;
    for (int round = 0; round < 4000; ++round) {
        const QString text = randomText(random, textAlphabet, 14);
        const QString search = randomText(random, searchAlphabet, 3);
        const QString replacement = randomText(random, replacementAlphabet, 2);
        const QString expected = referenceReplace(text, search, replacement);
        const QString actual = parser.Replace(text, search, replacement, 0);
        QVERIFY2(
            actual == expected,
            qPrintable(u"round %1: Replace(\"%2\", \"%3\", \"%4\") gave \"%5\", expected \"%6\""_s
                           .arg(round)
                           .arg(text, search, replacement, actual, expected)));
        if (!search.isEmpty() && text.contains(search))
            ++matched;
    }
    // The draw must exercise real matches, not only texts without any.
    QVERIFY2(matched > 1000, qPrintable(QString::number(matched)));
}

// ---------------------------------------------------------------- SplitToList

void tst_services::splitToList_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("CR LF") << u"dog food\r\ncat food\r\nbird seed"_s
                           << QStringList{u"dog food"_s, u"cat food"_s, u"bird seed"_s};
    QTest::newRow("LF") << u"a\nb\nc"_s << QStringList{u"a"_s, u"b"_s, u"c"_s};
    QTest::newRow("CR") << u"a\rb\rc"_s << QStringList{u"a"_s, u"b"_s, u"c"_s};
    QTest::newRow("mixed") << u"a\r\nb\nc\rd"_s << QStringList{u"a"_s, u"b"_s, u"c"_s, u"d"_s};
    QTest::newRow("LF then CR is two breaks") << u"a\n\rb"_s << QStringList{u"a"_s, u"b"_s};
    QTest::newRow("blank lines add nothing")
        << u"a\r\n\r\n\r\nb\n\nc"_s << QStringList{u"a"_s, u"b"_s, u"c"_s};
    QTest::newRow("final break") << u"a\r\nb\r\n"_s << QStringList{u"a"_s, u"b"_s};
    QTest::newRow("leading break") << u"\r\na"_s << QStringList{u"a"_s};
    QTest::newRow("blanks kept") << u"  \r\n b \r\n\t"_s << QStringList{u"  "_s, u" b "_s, u"\t"_s};
    QTest::newRow("one line") << u"only one"_s << QStringList{u"only one"_s};
    QTest::newRow("empty") << u""_s << QStringList{};
    QTest::newRow("breaks only") << u"\r\n\n\r\r\n"_s << QStringList{};
    QTest::newRow("other characters kept")
        << u"été #WORDS#\r\n日本語 😀"_s << QStringList{u"été #WORDS#"_s, u"日本語 😀"_s};
}

void tst_services::splitToList()
{
    QFETCH(QString, text);
    QFETCH(QStringList, expected);
    const tsTools tools;
    HolderList list;
    tools.SplitToList(text, u"\r\n"_s, list, QString());
    QCOMPARE(list.items, expected);
}

void tst_services::splitToListAppendsToExistingItems()
{
    const tsTools tools;
    HolderList list;
    list.items = {u"kept"_s};
    tools.SplitToList(u"a\r\n\r\nb\n"_s, u"\r\n"_s, list, QString());
    QCOMPARE(list.items, (QStringList{u"kept"_s, u"a"_s, u"b"_s}));
    tools.SplitToList(u"c"_s, u"\r\n"_s, list, QString());
    QCOMPARE(list.items, (QStringList{u"kept"_s, u"a"_s, u"b"_s, u"c"_s}));
}

// ---------------------------------------------------------------- reads

void tst_services::loadTextFile_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("expected");

    QTest::newRow("UTF-8") << cafeUtf8 << cafe;
    QTest::newRow("UTF-8 with BOM") << bom + cafeUtf8 << cafe;
    QTest::newRow("Windows-1252") << cafeCp1252 << cafe;
    QTest::newRow("Windows-1252 quotes and dashes")
        << QByteArrayLiteral("\x93"
                             "quoted\x94 \x85 \x97 \x99 \x9C\x9F")
        << u"“quoted” … — ™ œŸ"_s;
    QTest::newRow("Windows-1252 undefined bytes") << QByteArrayLiteral("a\x81\x8D\x8F\x90\x9D"
                                                                       "b")
                                                  << u"a\u0081\u008D\u008F\u0090\u009Db"_s;
    QTest::newRow("UTF-8 cut inside a character") << QByteArrayLiteral("caf\xC3") << u"cafÃ"_s;
    QTest::newRow("UTF-8 with one stray byte") << QByteArrayLiteral("\xC3\xA9 \xE9") << u"Ã© é"_s;
    QTest::newRow("overlong form is not UTF-8") << QByteArrayLiteral("\xC0\xAF") << u"À¯"_s;
    QTest::newRow("encoded surrogate is not UTF-8")
        << QByteArrayLiteral("\xED\xA0\x80") << u"í\u00A0€"_s;
    QTest::newRow("four-byte UTF-8") << QByteArrayLiteral("\xF0\x9F\x98\x80!") << u"😀!"_s;
    QTest::newRow("line ends kept as written")
        << QByteArrayLiteral("a\r\nb\nc\rd\r\n") << u"a\r\nb\nc\rd\r\n"_s;
    QTest::newRow("empty") << QByteArray() << u""_s;
    QTest::newRow("BOM only") << bom << u""_s;
    QTest::newRow("BOM kept when not at the start")
        << QByteArrayLiteral("a\xEF\xBB\xBF") << u"a\uFEFF"_s;
}

void tst_services::loadTextFile()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, expected);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(u"topic.txt"_s);
    QVERIFY(writeBytes(path, bytes));

    const tsFile files;
    QString holder = u"text from before"_s;
    QString error;
    QVERIFY(files.LoadTextFile(holder, path, &error));
    QCOMPARE(holder, expected);
    QCOMPARE(tsFile::decodeText(bytes), expected);
}

void tst_services::loadListFile_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("CR LF") << QByteArrayLiteral("one\r\ntwo\r\nthree")
                           << QStringList{u"one"_s, u"two"_s, u"three"_s};
    QTest::newRow("LF") << QByteArrayLiteral("one\ntwo\nthree")
                        << QStringList{u"one"_s, u"two"_s, u"three"_s};
    QTest::newRow("CR") << QByteArrayLiteral("one\rtwo\rthree")
                        << QStringList{u"one"_s, u"two"_s, u"three"_s};
    QTest::newRow("mixed") << QByteArrayLiteral("one\r\ntwo\nthree\rfour")
                           << QStringList{u"one"_s, u"two"_s, u"three"_s, u"four"_s};
    QTest::newRow("final break adds no line")
        << QByteArrayLiteral("one\r\ntwo\r\n") << QStringList{u"one"_s, u"two"_s};
    QTest::newRow("empty lines inside kept")
        << QByteArrayLiteral("one\r\n\r\nthree\n\nfive")
        << QStringList{u"one"_s, u""_s, u"three"_s, u""_s, u"five"_s};
    QTest::newRow("blank lines kept")
        << QByteArrayLiteral("  \r\n x \r\n") << QStringList{u"  "_s, u" x "_s};
    QTest::newRow("one line break") << QByteArrayLiteral("\r\n") << QStringList{u""_s};
    QTest::newRow("empty file") << QByteArray() << QStringList{};
    QTest::newRow("UTF-8 with BOM") << bom + cafeUtf8 + "\r\nx" << QStringList{cafe, u"x"_s};
    QTest::newRow("Windows-1252") << cafeCp1252 + "\r\nx" << QStringList{cafe, u"x"_s};
}

void tst_services::loadListFile()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, expected);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(u"record.txt"_s);
    QVERIFY(writeBytes(path, bytes));

    const tsFile files;
    HolderList list;
    QVERIFY(files.LoadListFile(list, path));
    QCOMPARE(list.items, expected);
}

void tst_services::loadListFileAppends()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(u"record.txt"_s);
    QVERIFY(writeBytes(path, QByteArrayLiteral("b\r\nc")));
    const tsFile files;
    HolderList list;
    list.items = {u"a"_s};
    QVERIFY(files.LoadListFile(list, path));
    QCOMPARE(list.items, (QStringList{u"a"_s, u"b"_s, u"c"_s}));
}

void tst_services::readsThatFail_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("missing file") << u"missing"_s;
    QTest::newRow("missing folder") << u"missing folder"_s;
    QTest::newRow("a folder") << u"folder"_s;
    QTest::newRow("larger than the limit") << u"huge"_s;
#ifdef Q_OS_UNIX
    QTest::newRow("a named pipe") << u"fifo"_s;
#endif
}

void tst_services::readsThatFail()
{
    QFETCH(QString, kind);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QString path = dir.filePath(u"topic.txt"_s);
    if (kind == u"missing folder") {
        path = dir.filePath(u"nowhere/topic.txt"_s);
    } else if (kind == u"folder") {
        QVERIFY(QDir(dir.path()).mkdir(u"topic.txt"_s));
    } else if (kind == u"huge") {
        // A sparse file: large to the reader, cheap on disk.
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.resize(tsFile::MaxReadBytes + 1));
    } else if (kind == u"fifo") {
#ifdef Q_OS_UNIX
        QVERIFY(::mkfifo(QFile::encodeName(path).constData(), 0600) == 0);
#endif
    }

    const tsFile files;
    QString holder = u"text from before"_s;
    QString error;
    QVERIFY(!files.LoadTextFile(holder, path, &error));
    QVERIFY(holder.isEmpty());
    QVERIFY2(!error.isEmpty(), "a failed read must say why");

    HolderList list;
    QString listError;
    QVERIFY(!files.LoadListFile(list, path, &listError));
    QCOMPARE(list.count(), 0);
    QVERIFY2(!listError.isEmpty(), "a failed read must say why");

    // Without a place for the reason the failure is still reported.
    QVERIFY(!files.LoadTextFile(holder, path));
}

void tst_services::unreadableFileIsReported()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(u"topic.txt"_s);
    QVERIFY(writeBytes(path, QByteArrayLiteral("secret")));
    QVERIFY(QFile::setPermissions(path, QFileDevice::WriteOwner));
    {
        QFile probe(path);
        if (probe.open(QIODevice::ReadOnly))
            QSKIP("file permissions are not enforced for this user");
    }
    const tsFile files;
    QString holder = u"text from before"_s;
    QString error;
    QVERIFY(!files.LoadTextFile(holder, path, &error));
    QVERIFY(holder.isEmpty());
    QVERIFY(!error.isEmpty());
    HolderList list;
    QVERIFY(!files.LoadListFile(list, path));
    QCOMPARE(list.count(), 0);
}

// ---------------------------------------------------------------- writes

void tst_services::saveWritesExactUtf8Bytes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("UTF-8 without BOM") << cafe << cafeUtf8;
    QTest::newRow("CR LF kept") << u"a\r\nb\r\n"_s << QByteArrayLiteral("a\r\nb\r\n");
    QTest::newRow("lone LF and CR kept") << u"a\nb\rc"_s << QByteArrayLiteral("a\nb\rc");
    QTest::newRow("beyond the basic plane") << u"😀"_s << QByteArrayLiteral("\xF0\x9F\x98\x80");
    QTest::newRow("empty text") << u""_s << QByteArray();
    QTest::newRow("outer blanks") << u"  x  "_s << QByteArrayLiteral("  x  ");
}

void tst_services::saveWritesExactUtf8Bytes()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, expected);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(u"record.txt"_s);
    // An older, longer file must be replaced whole, not overwritten in part.
    QVERIFY(writeBytes(path, QByteArray(300, 'o')));

    const tsFile files;
    QString error;
    QVERIFY2(files.SaveTextFile(text, path, &error), qPrintable(error));
    QCOMPARE(readBytes(path), expected);
    // Nothing but the file itself is left in the folder.
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{u"record.txt"_s});
}

void tst_services::saveReadRoundTrip_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("scripts, blanks, placeholders")
        << u"Ελλάδα\r\n日本語 😀\r\n  blanks  \r\n#PRO# ’quotes’"_s;
    // U+FEFF is also the byte-order mark: as the first character of a text it
    // must not be taken for one when the file is read back.
    QTest::newRow("begins with U+FEFF") << u"\uFEFFname\r\nformat"_s;
    QTest::newRow("begins with two U+FEFF") << u"\uFEFF\uFEFFx"_s;
    QTest::newRow("U+FEFF only") << u"\uFEFF"_s;
    QTest::newRow("U+FEFF later") << u"a\r\n\uFEFFb"_s;
}

void tst_services::saveReadRoundTrip()
{
    QFETCH(QString, text);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(u"new.txt"_s);
    const tsFile files;
    QVERIFY(!QFileInfo::exists(path));
    QVERIFY(files.SaveTextFile(text, path));
    QString holder;
    QVERIFY(files.LoadTextFile(holder, path));
    QCOMPARE(holder, text);
    HolderList list;
    QVERIFY(files.LoadListFile(list, path));
    QCOMPARE(list.items, text.split(u"\r\n"_s));
}

void tst_services::saveIntoMissingFolderFails()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const tsFile files;
    QString error;
    QVERIFY(!files.SaveTextFile(u"x"_s, dir.filePath(u"products/new.txt"_s), &error));
    QVERIFY(!error.isEmpty());

    // The parent is a regular file: no permission can make this work.
    const QString plainFile = dir.filePath(u"products"_s);
    QVERIFY(writeBytes(plainFile, QByteArrayLiteral("not a folder")));
    error.clear();
    QVERIFY(!files.SaveTextFile(u"x"_s, plainFile + u"/new.txt"_s, &error));
    QVERIFY(!error.isEmpty());
    QCOMPARE(readBytes(plainFile), QByteArrayLiteral("not a folder"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{u"products"_s});
}

void tst_services::failedSaveInReadOnlyFolderKeepsOldFile()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString folder = dir.filePath(u"products"_s);
    QVERIFY(QDir(dir.path()).mkdir(u"products"_s));
    const QString path = folder + u"/record.txt"_s;
    QVERIFY(writeBytes(path, QByteArrayLiteral("old\r\nrecord\r\nkept")));
    QVERIFY(QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    const bool enforced = !writeBytes(folder + u"/probe"_s, "p");
    QFile::remove(folder + u"/probe"_s);
    if (!enforced) {
        QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                          QFileDevice::ExeOwner);
        QSKIP("folder permissions are not enforced for this user");
    }

    const tsFile files;
    QString error;
    const bool saved = files.SaveTextFile(u"new text"_s, path, &error);
    QFile::setPermissions(folder,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QVERIFY(!saved);
    QVERIFY(!error.isEmpty());
    QCOMPARE(readBytes(path), QByteArrayLiteral("old\r\nrecord\r\nkept"));
}

void tst_services::failedWriteKeepsOldFile_data()
{
    QTest::addColumn<int>("length");
    // A short text is held in the write buffer until the file is committed; a
    // long one goes to the disk at once. Both must fail cleanly.
    QTest::newRow("short text") << 1000;
    QTest::newRow("long text") << 100000;
}

void tst_services::failedWriteKeepsOldFile()
{
#ifdef Q_OS_UNIX
    // A file-size limit makes the write of the new text fail whatever the
    // user's rights, as a full disk would.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(u"record.txt"_s);
    const QByteArray old = QByteArrayLiteral("old\r\nrecord\r\nkept");
    QVERIFY(writeBytes(path, old));
    QFETCH(int, length);
    const QString text(length, u'n');

    const tsFile files;
    QString error;
    bool saved = true;
    {
        rlimit previous{};
        QVERIFY(::getrlimit(RLIMIT_FSIZE, &previous) == 0);
        rlimit small = previous;
        small.rlim_cur = 64;
        auto* const previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        QVERIFY(::setrlimit(RLIMIT_FSIZE, &small) == 0);
        saved = files.SaveTextFile(text, path, &error);
        ::setrlimit(RLIMIT_FSIZE, &previous);
        std::signal(SIGXFSZ, previousHandler);
    }
    QVERIFY(!saved);
    QVERIFY(!error.isEmpty());
    QCOMPARE(readBytes(path), old);
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{u"record.txt"_s});
#else
    QSKIP("needs a file-size limit");
#endif
}

// ---------------------------------------------------------------- listing

void tst_services::listFilesOrderAndFilter()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QDir folder(dir.path());
    for (const QString& name : {u"b.txt"_s, u"Zeta.txt"_s, u"alpha.txt"_s, u"A.txt"_s,
                                u".hidden.txt"_s, u"my product.txt"_s, u"notes.txt.txt"_s,
                                u"readme.md"_s, u"old.txt.bak"_s, u"txt"_s, u"plain"_s})
        QVERIFY(writeBytes(folder.filePath(name), "x"));
    QVERIFY(folder.mkdir(u"folder.txt"_s));
    QVERIFY(folder.mkdir(u"sub"_s));
    QVERIFY(writeBytes(folder.filePath(u"sub/inner.txt"_s), "x"));
#ifdef Q_OS_LINUX
    // Record paths always end in ".txt", so on a case-sensitive file system a
    // file ending in ".TXT" could never be opened under its listed name.
    QVERIFY(writeBytes(folder.filePath(u"UPPER.TXT"_s), "x"));
#endif

    tsFile files;
    files.FilePattern = u"*.txt"_s;
    HolderList list;
    list.items = {u"earlier item"_s};
    QVERIFY(files.ListFiles(dir.path() + u"/"_s, list));

    QCOMPARE(list.items.first(), u"earlier item"_s);
    QStringList names;
    for (qsizetype i = 1; i < list.count(); ++i) {
        const QString& item = list.items.at(i);
        QVERIFY2(QFileInfo(item).isFile(), qPrintable(item));
        QCOMPARE(QFileInfo(item).absolutePath(), QFileInfo(dir.path()).absoluteFilePath());
        names.append(files.FileNameOf(item));
    }
    QCOMPARE(names, (QStringList{u".hidden.txt"_s, u"A.txt"_s, u"alpha.txt"_s, u"b.txt"_s,
                                 u"my product.txt"_s, u"notes.txt.txt"_s, u"Zeta.txt"_s}));

    // The folder given without a trailing separator lists the same files.
    HolderList again;
    QVERIFY(files.ListFiles(dir.path(), again));
    QCOMPARE(again.items, list.items.mid(1));
}

void tst_services::listFilesPattern()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QDir folder(dir.path());
    for (const QString& name : {u"b.txt"_s, u"a.md"_s, u"c"_s})
        QVERIFY(writeBytes(folder.filePath(name), "x"));
    QVERIFY(folder.mkdir(u"d"_s));

    tsFile files;
    auto listed = [&files, &dir] {
        HolderList list;
        files.ListFiles(dir.path() + u"/"_s, list);
        QStringList names;
        for (const QString& item : list.items)
            names.append(files.FileNameOf(item));
        return names;
    };
    files.FilePattern = u"*"_s;
    QCOMPARE(listed(), (QStringList{u"a.md"_s, u"b.txt"_s, u"c"_s}));
    files.FilePattern = u"*.md"_s;
    QCOMPARE(listed(), QStringList{u"a.md"_s});
    files.FilePattern = u"*.txt"_s;
    QCOMPARE(listed(), QStringList{u"b.txt"_s});
}

void tst_services::listFilesMissingOrEmptyFolder()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    tsFile files;
    files.FilePattern = u"*.txt"_s;

    HolderList list;
    QVERIFY(files.ListFiles(dir.path() + u"/"_s, list));
    QCOMPARE(list.count(), 0);

    QVERIFY(!files.ListFiles(dir.filePath(u"products/"_s), list));
    QCOMPARE(list.count(), 0);

    // A file where the folder should be lists nothing either.
    QVERIFY(writeBytes(dir.filePath(u"products"_s), "x"));
    files.ListFiles(dir.filePath(u"products/"_s), list);
    QCOMPARE(list.count(), 0);
}

// ---------------------------------------------------------------- exists, delete

void tst_services::fileExists()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(u"herb-guide.txt"_s);
    const tsFile files;
    QVERIFY(!files.FileExists(path, false));
    QVERIFY(writeBytes(path, QByteArray()));
    QVERIFY(files.FileExists(path, false));
    QVERIFY(files.FileExists(path, true));
    QVERIFY(!files.FileExists(dir.filePath(u"herb-guide"_s), false));
    QVERIFY(!files.FileExists(dir.filePath(u"nowhere/herb-guide.txt"_s), false));
    // A folder under the name is in the way of a new file of that name.
    QVERIFY(QDir(dir.path()).mkdir(u"taken.txt"_s));
    QVERIFY(files.FileExists(dir.filePath(u"taken.txt"_s), false));
}

void tst_services::deleteFile()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(u"record.txt"_s);
    const QString other = dir.filePath(u"other.txt"_s);
    QVERIFY(writeBytes(path, "x"));
    QVERIFY(writeBytes(other, "y"));
    const tsFile files;

    QString error;
    QVERIFY2(files.DeleteFile(path, &error), qPrintable(error));
    QVERIFY(!QFileInfo::exists(path));
    QCOMPARE(readBytes(other), QByteArrayLiteral("y"));

    error.clear();
    QVERIFY(!files.DeleteFile(path, &error));
    QVERIFY(!error.isEmpty());

    QVERIFY(QDir(dir.path()).mkdir(u"folder.txt"_s));
    error.clear();
    QVERIFY(!files.DeleteFile(dir.filePath(u"folder.txt"_s), &error));
    QVERIFY(!error.isEmpty());
    QVERIFY(QFileInfo(dir.filePath(u"folder.txt"_s)).isDir());
}

// ---------------------------------------------------------------- paths

void tst_services::dataPaths_data()
{
    QTest::addColumn<QString>("programFolder");
    QTest::newRow("plain") << u"/opt/inkwright"_s;
    QTest::newRow("trailing separator") << u"/opt/inkwright/"_s;
    QTest::newRow("two trailing separators") << u"/opt/inkwright//"_s;
}

void tst_services::dataPaths()
{
    QFETCH(QString, programFolder);
    const DataPaths paths(programFolder);
    QCOMPARE(paths.programFolder(), u"/opt/inkwright"_s);
    QCOMPARE(paths.topicTemplate(), u"/opt/inkwright/templates/topic.txt"_s);
    QCOMPARE(paths.angleTemplate(), u"/opt/inkwright/templates/topic-angle.txt"_s);
    QCOMPARE(paths.productsFolder(), u"/opt/inkwright/products/"_s);
    QCOMPARE(paths.recordFile(u"herb-guide"_s), u"/opt/inkwright/products/herb-guide.txt"_s);
    QCOMPARE(paths.recordFile(u"my product"_s), u"/opt/inkwright/products/my product.txt"_s);
    QCOMPARE(paths.recordFile(u"notes.txt"_s), u"/opt/inkwright/products/notes.txt.txt"_s);
    QCOMPARE(paths.recordFile(u""_s), u"/opt/inkwright/products/.txt"_s);
}

void tst_services::dataPathsLeadToFiles()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QDir folder(dir.path());
    QVERIFY(folder.mkpath(u"templates"_s));
    QVERIFY(folder.mkpath(u"products"_s));
    QVERIFY(writeBytes(folder.filePath(u"templates/topic.txt"_s), "T"));
    QVERIFY(writeBytes(folder.filePath(u"templates/topic-angle.txt"_s), "A"));
    QVERIFY(writeBytes(folder.filePath(u"products/été guide.txt"_s), "P"));

    const DataPaths paths(dir.path());
    const tsFile files;
    QString text;
    QVERIFY(files.LoadTextFile(text, paths.topicTemplate()));
    QCOMPARE(text, u"T"_s);
    QVERIFY(files.LoadTextFile(text, paths.angleTemplate()));
    QCOMPARE(text, u"A"_s);
    QVERIFY(files.LoadTextFile(text, paths.recordFile(u"été guide"_s)));
    QCOMPARE(text, u"P"_s);
    HolderList list;
    QVERIFY(files.ListFiles(paths.productsFolder(), list));
    QCOMPARE(list.count(), 1);
}

QTEST_GUILESS_MAIN(tst_services)
#include "tst_services.moc"
