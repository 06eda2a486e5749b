// The file, tools and parser services, without a window.

#include "components/holderList.h"
#include "components/tsFile.h"
#include "components/tsParser.h"
#include "components/tsTools.h"

#include <QDir>
#include <QRandomGenerator>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#endif

using namespace Qt::StringLiterals;

// Plainly correct: from the left, a match is replaced and skipped, any other character copied.
static QString plainReplace(const QString& text, const QString& search, const QString& replacement)
{
    QString out;
    for (qsizetype i = 0; i < text.size();) {
        const bool match = !search.isEmpty() && QStringView(text).sliced(i).startsWith(search);
        out += match ? replacement : QString(text.at(i));
        i += match ? search.size() : 1;
    }
    return out;
}

static bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

class tst_services : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void replaceMatchesReference()
    {
        QCOMPARE(plainReplace(u"aaa"_s, u"aa"_s, u"b"_s), u"ba"_s);
        // Fragments make overlapping and newly formed matches common; one search in four is empty.
        const QStringList texts = u"a|b|#|A|aab|#ANGLE#|ANGLE#|\r\n"_s.split(u'|');
        const QStringList searches = u"a|b|#|A|aa|ANGLE#"_s.split(u'|');
        QRandomGenerator random(20240611);
        const auto draw = [&random](const QStringList& alphabet, int maxPieces) {
            QString text;
            for (int i = int(random.bounded(maxPieces + 1)); i > 0; --i)
                text += alphabet.at(random.bounded(int(alphabet.size())));
            return text;
        };
        for (int round = 0; round < 4000; ++round) {
            const QString text = draw(texts, 14);
            const QString search = draw(searches, 3);
            const QString replacement = draw(searches, 2);
            QVERIFY2(tsParser().Replace(text, search, replacement, 0) ==
                         plainReplace(text, search, replacement),
                     qPrintable(text + u" / "_s + search + u" / "_s + replacement));
        }
    }

    void splitToList()
    {
        HolderList list;
        tsTools().SplitToList(u"\r\na\r\nb\nc\rd\n\n  \r\n\r\n"_s, u"\r\n"_s, list, QString());
        QCOMPARE(list.items, (QStringList{u"a"_s, u"b"_s, u"c"_s, u"d"_s, u"  "_s}));
    }

    void loadFile_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QString>("text"); // when not the lines joined by CR LF

        // Records written by older tools, in UTF-8 or Windows-1252, whose undefined code points
        // (0x81) keep their value as Windows maps them.
        const QStringList record = {u"café – naïve"_s, u"“Guide”"_s, u"€ 10\u0081Ÿ"_s};
        QTest::newRow("UTF-8 record") << record.join(u"\r\n"_s).toUtf8() << record << QString();
        QTest::newRow("Windows-1252 record")
            << QByteArrayLiteral("caf\xE9 \x96 na\xEFve\r\n\x93Guide\x94\r\n\x80 10\x81\x9F")
            << record << QString();
        QTest::newRow("UTF-8 with BOM, a second one is text")
            << QByteArrayLiteral("\xEF\xBB\xBF\xEF\xBB\xBFx") << QStringList{u"\uFEFFx"_s}
            << QString();
        QTest::newRow("UTF-16 with BOM")
            << "\xFF\xFE" + QByteArray(QStringEncoder(QStringEncoder::Utf16LE)(u"é\r\n😀"_s))
            << QStringList{u"é"_s, u"😀"_s} << QString();
        QTest::newRow("CR LF, LF and CR; more than three lines, empty and blank ones")
            << QByteArrayLiteral("1\r\n2\n3\r4\r\n  \r\n\r\n")
            << QStringList{u"1"_s, u"2"_s, u"3"_s, u"4"_s, u"  "_s, u""_s}
            << u"1\r\n2\n3\r4\r\n  \r\n\r\n"_s;
    }

    void loadFile()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, lines);
        QFETCH(QString, text);
        const QTemporaryDir dir;
        const QString path = dir.filePath(u"file.txt"_s);
        QVERIFY(dir.isValid() && writeFile(path, bytes));
        QString holder = u"before"_s;
        QVERIFY(tsFile().LoadTextFile(holder, path));
        QCOMPARE(holder, text.isNull() ? lines.join(u"\r\n"_s) : text);
        HolderList list;
        QVERIFY(tsFile().LoadListFile(list, path));
        QCOMPARE(list.items, lines);
    }

    void saveReadsBackUnchanged()
    {
        // Written as UTF-8 without a mark, unless the text itself begins with U+FEFF.
        const QTemporaryDir dir;
        const QString path = dir.filePath(u"file.txt"_s);
        const QList<QPair<QString, QByteArray>> cases = {
            {u"Caf\u00e9\r\nline"_s, QByteArrayLiteral("Caf\xC3\xA9\r\nline")},
            {u"\ufeffmarked"_s, QByteArrayLiteral("\xEF\xBB\xBF\xEF\xBB\xBFmarked")}};
        for (const auto& [text, bytes] : cases) {
            QString back;
            QVERIFY(tsFile().SaveTextFile(text, path) && tsFile().LoadTextFile(back, path));
            QCOMPARE(back, text);
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadOnly) && file.readAll() == bytes);
        }
    }

    void failedWriteKeepsOldFile()
    {
#ifdef Q_OS_UNIX
        // A file-size limit makes the write fail whatever the user's rights, as a full disk
        // would. A short text stays in the write buffer until the commit, a long one does not.
        for (const int length : {1000, 100000}) {
            const QTemporaryDir dir;
            const QString path = dir.filePath(u"file.txt"_s);
            const QByteArray old = QByteArrayLiteral("old\r\nrecord\r\nkept");
            QVERIFY(dir.isValid() && writeFile(path, old));
            rlimit previous{};
            QVERIFY(::getrlimit(RLIMIT_FSIZE, &previous) == 0);
            const rlimit small{64, previous.rlim_max};
            auto* const previousHandler = std::signal(SIGXFSZ, SIG_IGN);
            QString error;
            const bool limited = ::setrlimit(RLIMIT_FSIZE, &small) == 0;
            const bool saved = tsFile().SaveTextFile(QString(length, u'n'), path, &error);
            ::setrlimit(RLIMIT_FSIZE, &previous);
            std::signal(SIGXFSZ, previousHandler);
            QVERIFY2(limited && !saved && !error.isEmpty(), qPrintable(QString::number(length)));
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadOnly) && file.readAll() == old);
            // No temporary file is left behind.
            QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{u"file.txt"_s});
        }
#else
        QSKIP("needs a file-size limit");
#endif
    }
};

QTEST_GUILESS_MAIN(tst_services)
#include "tst_services.moc"
