// The file, tools and parser services, without a window.
#include "components/tsFile.h"

#include <QDir>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#endif

using namespace Qt::StringLiterals;

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

private Q_SLOTS:
    void loadFile_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("lines");
        const QStringList record = {u"café – naïve"_s, u"“Guide”"_s, u"€ 10\u0081Ÿ"_s};
        QTest::newRow("UTF-8") << record.join(u"\r\n"_s).toUtf8() << record;
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
        QString text;
        QVERIFY(files.LoadTextFile(text, path));
        HolderList list;
        QVERIFY(files.LoadListFile(list, path));
        QCOMPARE(list.items, lines);
        QCOMPARE(tsFile::splitFileLines(text), lines);
    }

    void saveListDelete()
    {
        // UTF-8 without a mark, unless the text itself begins with U+FEFF.
        const QString folder = dir.filePath(u"list/"_s);
        QVERIFY(QDir().mkpath(folder + u"sub.txt"_s));
        for (const auto& [text, bytes] :
             {std::pair{u"b.txt"_s, QByteArray("b.txt")},
              std::pair{u"\ufeffA.txt"_s, QByteArray("\xEF\xBB\xBF\xEF\xBB\xBF"
                                                     "A.txt")}}) {
            const QString path = folder + QString(text).remove(QChar(0xFEFF));
            QString back;
            QVERIFY(files.SaveTextFile(text, path) && files.LoadTextFile(back, path));
            QCOMPARE(back, text);
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadOnly) && file.readAll() == bytes);
        }
        QVERIFY(writeFile(folder + u"c.md"_s, "x"));
        HolderList listed;
        QVERIFY(files.ListFiles(folder, listed, u"*.txt"_s));
        QCOMPARE(listed.items, (QStringList{folder + u"A.txt"_s, folder + u"b.txt"_s}));
        QCOMPARE(files.FileNameOf(listed.items.at(0)), u"A.txt"_s);
        QVERIFY(files.FileExists(folder + u"c.md"_s) && !files.FileExists(folder + u"d.md"_s));
        QVERIFY(files.DeleteFile(folder + u"c.md"_s) && !files.FileExists(folder + u"c.md"_s));
        QVERIFY(!files.DeleteFile(folder + u"c.md"_s) && !files.DeleteFile(folder + u"sub.txt"_s));
        QVERIFY(!files.ListFiles(folder + u"none/"_s, listed, u"*"_s));
        QString kept = u"x"_s;
        QVERIFY(!files.LoadTextFile(kept, folder + u"sub.txt"_s) && kept.isEmpty());
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
        QVERIFY(files.LoadTextFile(text, folder + u"link.txt"_s) && text == u"t"_s);
        QVERIFY(!files.LoadTextFile(text, folder + u"link.txt"_s, &why, tsFile::Links::Refuse));
        QCOMPARE(why, u"it is a link to another file"_s);
        QVERIFY(files.FileExists(folder + u"dangling.txt"_s));
        HolderList listed;
        QVERIFY(files.ListFiles(folder, listed, u"*.txt"_s));
        QCOMPARE(listed.items, QStringList{folder + u"target.txt"_s});
        // Any name the file system takes can be saved: the temporary name is short.
        const QString longest = folder + QString(251, u'n') + u".txt"_s;
        QVERIFY(files.SaveTextFile(u"a"_s, longest) && files.SaveTextFile(u"b"_s, longest));
        QVERIFY(files.LoadTextFile(text, longest) && text == u"b"_s);
#else
        QSKIP("needs links and named pipes");
#endif
    }

    void failedWriteKeepsOldFile()
    {
#ifdef Q_OS_UNIX
        // A file-size limit fails the write as a full disk would; a short text stays in the
        // write buffer until the commit, a long one does not.
        for (const int length : {1000, 100000}) {
            const QString path = dir.filePath(u"kept.txt"_s);
            QVERIFY(writeFile(path, "old"));
            rlimit previous{};
            QVERIFY(::getrlimit(RLIMIT_FSIZE, &previous) == 0);
            const rlimit small{64, previous.rlim_max};
            auto* const handler = std::signal(SIGXFSZ, SIG_IGN);
            QString error;
            const bool limited = ::setrlimit(RLIMIT_FSIZE, &small) == 0;
            const bool saved = files.SaveTextFile(QString(length, u'n'), path, &error);
            ::setrlimit(RLIMIT_FSIZE, &previous);
            std::signal(SIGXFSZ, handler);
            QVERIFY(limited && !saved && !error.isEmpty());
            QString back;
            QVERIFY(files.LoadTextFile(back, path) && back == u"old"_s);
            const QStringList left = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
            QVERIFY(!left.join(u' ').contains(u".inkwright"_s));
        }
#else
        QSKIP("needs a file-size limit");
#endif
    }
};

QTEST_GUILESS_MAIN(tst_components)
#include "tst_components.moc"
