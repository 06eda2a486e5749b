// The file service, and product records over a products folder, on real files.
#include "catalogue/productCatalogue.h"
#include "components/fileNames.h"
#include "components/fileOutput.h"
#include "components/hugePages.h"
#include "components/tsFile.h"

#include <QDir>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

#include <cstring>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace Qt::StringLiterals;
using ProductRecords::NameCheck;

static bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

class tst_components : public QObject
{
    Q_OBJECT
    QTemporaryDir dir;
    const tsFile files{};
    const ProductCatalogue catalogue{files, DataPaths(dir.path())};
    QString file(const QString& name) const { return dir.filePath(u"products/"_s + name); }

private Q_SLOTS:
    // The whole 2 MB pages inside a buffer, wherever it begins and ends.
    void hugePages()
    {
        constexpr quintptr M = quintptr(1) << 20;
        using Span = std::pair<quintptr, quintptr>;
        QCOMPARE(HugePages::wholePages(2 * M, 4 * M), Span(2 * M, 4 * M));
        QCOMPARE(HugePages::wholePages(2 * M + 16, 6 * M), Span(4 * M, 4 * M));
        QCOMPARE(HugePages::wholePages(16, 3 * M), Span(2 * M, 0));
    }

    void initTestCase() { QVERIFY(QDir(dir.path()).mkdir(u"products"_s)); }

    void loadFile_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("lines");
        const QStringList record = {u"café – naïve"_s, u"“Guide”"_s, u"€ 10\u0081Ÿ"_s};
        QTest::newRow("Windows-1252")
            << QByteArrayLiteral("caf\xE9 \x96 na\xEFve\r\n\x93Guide\x94\r\n\x80 10\x81\x9F")
            << record;
        QTest::newRow("BOM, then a second one that is text")
            << QByteArrayLiteral("\xEF\xBB\xBF\xEF\xBB\xBFx") << QStringList{u"\uFEFFx"_s};
        QTest::newRow("UTF-16 LE")
            << "\xFF\xFE" + QStringEncoder(QStringEncoder::Utf16LE)(u"é\r\n😀"_s)
            << QStringList{u"é"_s, u"😀"_s};
        QTest::newRow("UTF-16 BE")
            << "\xFE\xFF" + QStringEncoder(QStringEncoder::Utf16BE)(u"é"_s) << QStringList{u"é"_s};
        QTest::newRow("breaks; empty lines inside kept")
            << QByteArrayLiteral("1\r\n2\n3\r4\r\n  \r\n\r\n")
            << QStringList{u"1"_s, u"2"_s, u"3"_s, u"4"_s, u"  "_s, u""_s};
    }

    void loadFile()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, lines);
        const QString path = dir.filePath(u"file.txt"_s);
        QVERIFY(writeFile(path, bytes));
        HolderList list;
        QVERIFY(files.LoadListFile(list, path));
        QCOMPARE(list.items, lines);
    }

    void saveListDelete()
    {
        // UTF-8 without a mark, unless the text itself begins with U+FEFF.
        const QString folder = dir.filePath(u"list/"_s);
        QVERIFY(QDir().mkpath(folder + u"sub.txt"_s));
        QVERIFY(files.SaveTextFile(u"b"_s, folder + u"b.txt"_s));
        QVERIFY(files.SaveTextFile(u"\ufeffA"_s, folder + u"A.txt"_s));
        QFile marked(folder + u"A.txt"_s);
        QVERIFY(marked.open(QIODevice::ReadOnly)
                && marked.readAll()
                       == "\xEF\xBB\xBF\xEF\xBB\xBF"
                          "A");
        QVERIFY(writeFile(folder + u"c.md"_s, "x") && writeFile(folder + u"C.TXT"_s, "x"));
        HolderList listed;
        QVERIFY(files.ListFiles(folder, listed, u"*.txt"_s));
        QStringList txt{folder + u"A.txt"_s, folder + u"b.txt"_s, folder + u"C.TXT"_s};
        // Names match the pattern in their letter case where the file system keeps it.
#if !defined(Q_OS_WIN) && !defined(Q_OS_MACOS)
        txt.removeLast();
#endif
        QCOMPARE(listed.items, txt);
        QCOMPARE(files.FileNameOf(listed.items.at(0)), u"A.txt"_s);
        QVERIFY(files.FileExists(folder + u"c.md"_s));
        QVERIFY(!files.FileExists(folder + u"d.md"_s));
        QVERIFY(files.DeleteFile(folder + u"c.md"_s));
        QVERIFY(!files.FileExists(folder + u"c.md"_s));
        QVERIFY(!files.DeleteFile(folder + u"c.md"_s));
        QVERIFY(!files.DeleteFile(folder + u"sub.txt"_s));
        QVERIFY(!files.ListFiles(folder + u"none/"_s, listed, u"*"_s));
        QString kept = u"x"_s, error; // a folder is neither read nor written over
        QVERIFY(!files.SaveTextFile(kept, folder + u"sub.txt"_s, &error));
        QVERIFY(!error.isEmpty());
        QVERIFY(!files.LoadTextFile(kept, folder + u"sub.txt"_s, &error));
        QCOMPARE(error, u"it is a folder"_s);
        QVERIFY(kept.isEmpty());
#ifdef Q_OS_UNIX
        // A new file gets the permissions the umask gives; a replaced one keeps its own.
        QVERIFY(QFile::setPermissions(folder + u"b.txt"_s, QFile::ReadOwner | QFile::ReadOther));
        const mode_t mask = ::umask(077);
        const bool saved = files.SaveTextFile(u"n"_s, folder + u"new.txt"_s)
                           && files.SaveTextFile(u"c"_s, folder + u"b.txt"_s);
        ::umask(mask);
        QVERIFY(
            saved
            && QFileInfo(folder + u"new.txt"_s).permissions()
                   == (QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser));
        QCOMPARE(QFileInfo(folder + u"b.txt"_s).permissions() & QFile::ReadOther, QFile::ReadOther);
#endif
    }

    void linksAndSpecialFiles()
    {
#ifdef Q_OS_UNIX
        // A named pipe never blocks a read; /proc files report no size but are bounded all
        // the same; a record is never read through a link, a template may be.
        const QString folder = dir.filePath(u"special/"_s);
        QVERIFY(QDir().mkpath(folder) && ::mkfifo(qPrintable(folder + u"pipe.txt"_s), 0600) == 0);
        QVERIFY(writeFile(folder + u"target.txt"_s, "t"));
        QVERIFY(QFile::link(folder + u"target.txt"_s, folder + u"link.txt"_s));
        QVERIFY(QFile::link(folder + u"nowhere.txt"_s, folder + u"dangling.txt"_s));
        QString text, why;
        QVERIFY(!files.LoadTextFile(text, folder + u"pipe.txt"_s, &why));
        QCOMPARE(why, u"it is not a file"_s);
        QVERIFY(!files.LoadTextFile(text, u"/proc/self/pagemap"_s, &why));
        QCOMPARE(why, u"the file is larger than 64 MB"_s);
        QVERIFY(files.LoadTextFile(text, folder + u"link.txt"_s));
        QVERIFY(text == u"t"_s);
        QVERIFY(!files.LoadTextFile(text, folder + u"link.txt"_s, &why, tsFile::Links::Refuse));
        QCOMPARE(why, u"it is a link to another file"_s);
        QVERIFY(files.FileExists(folder + u"dangling.txt"_s));
        // "-" reads standard input where streams are taken, and leaves it open; a file read
        // leaves no descriptor behind.
        const auto descriptors = [] { return QDir(u"/proc/self/fd"_s).count(); };
        int ends[2];
        QVERIFY(::pipe(ends) == 0 && ::write(ends[1], "in", 2) == 2 && ::close(ends[1]) == 0);
        const int input = ::dup(0);
        QVERIFY(input >= 0 && ::dup2(ends[0], 0) == 0 && ::close(ends[0]) == 0);
        QByteArray bytes;
        struct stat in = {};
        const bool read = files.LoadBytes(bytes, u"-"_s,
                                          {tsFile::MaxReadBytes, tsFile::Links::Follow, true}, &why)
                          && bytes == "in" && ::fstat(0, &in) == 0 && S_ISFIFO(in.st_mode);
        QVERIFY(::dup2(input, 0) == 0 && ::close(input) == 0);
        QVERIFY2(read, qPrintable(why));
        const uint before = descriptors();
        QVERIFY(files.LoadBytes(bytes, folder + u"target.txt"_s,
                                {tsFile::MaxReadBytes, tsFile::Links::Follow, false}));
        QCOMPARE(descriptors(), before);
        // A path naming a descriptor is written through that descriptor.
        QVERIFY(::pipe(ends) == 0);
        QVERIFY(FileOutput::write(u"/dev/fd/%1"_s.arg(ends[1]), "out", {}, &why));
        char back[4] = {};
        QVERIFY(::close(ends[1]) == 0 && ::read(ends[0], back, 4) == 3 && ::close(ends[0]) == 0);
        QCOMPARE(QByteArray(back), "out");
        HolderList listed;
        QVERIFY(files.ListFiles(folder, listed, u"*.txt"_s));
        QCOMPARE(listed.items, QStringList{folder + u"target.txt"_s});
        // Any name the file system takes can be saved: the temporary name is short.
        const QString longest = folder + QString(251, u'n') + u".txt"_s;
        QVERIFY(files.SaveTextFile(u"a"_s, longest) && files.SaveTextFile(u"b"_s, longest));
        QVERIFY(files.LoadTextFile(text, longest));
        QVERIFY(text == u"b"_s);
#else
        QSKIP("needs links and named pipes");
#endif
    }

    void failedWriteKeepsOldFile()
    {
#ifdef Q_OS_UNIX
        // A file-size limit fails the write as a full disk would; a short text stays in the
        // write buffer until the commit, a long one does not.
        rlimit previous{};
        QVERIFY(::getrlimit(RLIMIT_FSIZE, &previous) == 0);
        auto* const handler = std::signal(SIGXFSZ, SIG_IGN); // the write fails; the test goes on
        for (const int length : {1000, 100000}) {
            const QString path = dir.filePath(u"kept.txt"_s);
            QString error, back;
            const rlimit small{64, previous.rlim_max};
            QVERIFY(writeFile(path, "old") && ::setrlimit(RLIMIT_FSIZE, &small) == 0);
            const bool saved = files.SaveTextFile(QString(length, u'n'), path, &error);
            QVERIFY(::setrlimit(RLIMIT_FSIZE, &previous) == 0);
            QVERIFY(!saved);
            QCOMPARE(error, QString::fromLocal8Bit(std::strerror(EFBIG))); // the system's reason
            QVERIFY(files.LoadTextFile(back, path));
            QVERIFY(back == u"old"_s);
            const QStringList left = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
            QVERIFY(!left.join(u' ').contains(u".inkwright"_s));
        }
        std::signal(SIGXFSZ, handler);
#else
        QSKIP("needs a file-size limit");
#endif
    }

    void recordNames() // refused everywhere: what leaves the folder or cannot be stored as typed
    {
        for (const QString& name : {u"a/b"_s, u"a\\b"_s, u"a\tb"_s, u"\u001F"_s, u"\u007F"_s,
                                    QString(1, QChar(0)), u"a\xD800"_s})
            QCOMPARE(ProductRecords::checkNewRecordName(name), NameCheck::Unusable);
        QCOMPARE(ProductRecords::checkNewRecordName(QString()), NameCheck::Empty);
        // Refused on Windows only, where they would be written elsewhere or not at all.
        const NameCheck windows =
#ifdef Q_OS_WIN
            NameCheck::Unusable;
#else
            NameCheck::Ok;
#endif
        const QStringList devices{u"con"_s,       u"NUL.tar.gz"_s, u"AUX "_s, u"prn"_s,
                                  u"COM\u00B9"_s, u"Com9"_s,       u"lpt1"_s, u"lpt\u00B2.txt"_s,
                                  u"conout$"_s,   u"CONIN$"_s};
        for (const QString& name : devices + QStringList{u"my:x"_s, u"a*?\"<>|"_s})
            QCOMPARE(ProductRecords::checkNewRecordName(name), windows);
        const QStringList plain{u"."_s,   u".."_s,     u"guide."_s, u"guide "_s, u"COM0"_s,
                                u"lpt"_s, u"my con"_s, u"conx"_s,   u" lead"_s,  u"été 😀 (1) #2"_s};
        for (const QString& name : plain)
            QCOMPARE(ProductRecords::checkNewRecordName(name), NameCheck::Ok);
        for (const QString& name : devices + plain)
            QCOMPARE(FileNames::isWindowsDeviceName(name), devices.contains(name));
        for (const QChar c : QStringView(u":*?\"<>|"))
            QVERIFY(FileNames::isWindowsReservedCharacter(c.unicode()));
        for (const QChar c : QStringView(u"=#a. \u00e9"))
            QVERIFY(!FileNames::isWindowsReservedCharacter(c.unicode()));
        // Promoting refuses only a name that leaves the folder; ".txt" keeps "." and ".." in it.
        const QStringList inside{u"."_s, u".."_s, u"z:b"_s, {}}, out{u"../x"_s, u"a\\b"_s, u"\0"_s};
        for (const QString& name : inside + out)
            QCOMPARE(ProductRecords::staysInFolder(name), inside.contains(name));
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
        QCOMPARE(check(full, u"a/b"_s, true),
                 u"Ooops: That filename can't be used. Please use another filename."_s);
        QCOMPARE(check(full, u"taken"_s, true),
                 u"Ooops: Oooops! That file is already in use. Please use another filename."_s);
        // The same name in another letter case is taken where the file system says it exists.
        QCOMPARE(check(full, u"TAKEN"_s, true) == u"ok"_s, !QFile::exists(file(u"TAKEN.txt"_s)));
        QCOMPARE(check(full, u"taken"_s, false), u"ok"_s);
        QCOMPARE(check(full, u"free"_s, true), u"ok"_s);
        QVERIFY(catalogue.remove(u"taken"_s));
        QVERIFY(!catalogue.exists(u"taken"_s));
    }

    void recordsOnDisk()
    {
        // Three CR LF-separated lines, nothing after the last; a line break typed into a
        // field becomes a blank so that it cannot spill into the next line.
        QVERIFY(
            catalogue.save(u"herb-guide"_s, {u"Herb Guide"_s, u" "_s, u"é\r\nb\n\nc\u2028d\r"_s}));
        QFile saved(file(u"herb-guide.txt"_s));
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QCOMPARE(saved.readAll(), QByteArray("Herb Guide\r\n \r\n\xC3\xA9 b  c d "));
        saved.close(); // Windows removes no open file
        const std::optional<ProductRecord> read = catalogue.record(u"herb-guide"_s);
        QVERIFY(read);
        QCOMPARE(read->name + u'|' + read->format + u'|' + read->description,
                 u"Herb Guide| |é b  c d "_s);
        QVERIFY(!catalogue.record(u"../products/herb-guide"_s)); // never read outside the folder
        // Lines past the third are kept as they were; fewer than three make no record.
        const std::optional<ProductRecord> long_ = ProductRecord::fromText(u"a\r\nb\nc\rd\r\n"_s);
        QVERIFY(long_);
        QVERIFY(long_->rest == u"\rd\r\n"_s);
        QCOMPARE(long_->fileText(), u"a\r\nb\r\nc\rd\r\n"_s);
        QVERIFY(!ProductRecord::fromText(u"a\r\nb\r\n"_s));
        // Listed by record name, ignoring letter case; only the final ".txt" goes, so the file
        // ".txt" is the record with an empty name.
        for (const QString& name :
             {u"B.txt"_s, u"notes.txt.txt"_s, u".hidden.txt"_s, u"readme.md"_s})
            QVERIFY(files.SaveTextFile(name, file(name)));
        QVERIFY(QDir().mkdir(file(u"folder.txt"_s)) && files.SaveTextFile(u"x"_s, file(u".txt"_s)));
#ifdef Q_OS_UNIX // a Windows shortcut is an ordinary file
        QVERIFY(QFile::link(file(u"B.txt"_s), file(u"link.txt"_s)));
        QVERIFY(!catalogue.record(u"link"_s));
        QVERIFY(catalogue.exists(u"link"_s));
#endif
        HolderList raw;
        const QStringList names = catalogue.list(&raw);
        QCOMPARE(names, (QStringList{u".hidden"_s, {}, u"B"_s, u"herb-guide"_s, u"notes.txt"_s}));
        QCOMPARE(raw.current, names.size() - 1);
        QStringList lines; // each listed name leads to its file
        QVERIFY(!catalogue.record(u"notes.txt"_s, &lines));
        QCOMPARE(lines, QStringList{u"notes.txt.txt"_s});
        QVERIFY(QDir(file({})).removeRecursively());
        raw.clear();
        QVERIFY(catalogue.list(&raw).isEmpty());
        QVERIFY(!raw.hasCurrent());
        QVERIFY(!catalogue.save(u"x"_s, {u"a"_s, u"b"_s, u"c"_s}));
        QVERIFY(!QFileInfo::exists(file({})));
        QVERIFY(QDir(dir.path()).mkdir(u"products"_s));
    }
};

QTEST_GUILESS_MAIN(tst_components)
#include "tst_components.moc"
