// The composition of prompts, the batch's checks, and the export of a batch: the formats against
// the Copy All text, failed and cancelled exports, and inkwright-batch against the same writer.
#include "prompts/allPrompts.h"
#include "prompts/batchRules.h"
#include "prompts/keywordFile.h"
#include "prompts/promptExport.h"
#include "prompts/promptListModel.h"

#include <QAbstractItemModelTester>
#include <QBuffer>
#include <QProcess>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_UNIX
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#endif

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(PromptFields)
using PromptExport::Format;
using PromptExport::Outcome;

static PromptFields fields(const QString& topic, const QString& angle, const QString& main,
                           const QString& words = u"400"_s, bool promote = false,
                           const QStringList& product = {u"N"_s, u"F"_s, u"D"_s})
{
    return {topic, angle, main, words, promote, product[0], product[1], product[2]};
}

// Templates with a lone LF, a CR LF and a lone CR; the main keyword alone, a quote, and '#'
// (composed step by step) with a backslash, a comma, a control character and lone surrogates.
static const PromptFields exportFields{
    u"T #WORDS#\n.\r\n#PRO#"_s, u"A #ANGLE#\r"_s, u"Herb"_s, u"9"_s, false, {}, {}, {}};
static const QStringList keywords{u"herb"_s, u"Herb \"b\u00e9"_s, u"\\#,\x01\xD800"_s,
                                  u"herb \xDC00x\xD800"_s};

static QByteArray exported(const QStringList& words, Format format,
                           const PromptFields& f = exportFields)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    PromptExport::write(buffer, f, words, format);
    return buffer.data();
}

class tst_prompts : public QObject
{
    Q_OBJECT
    QTemporaryDir dir;
    QByteArray out, err;

    int run(const QString& args, const QByteArray& input = "herb", const QString& appendTo = {})
    {
        QProcess batch;
        if (!appendTo.isEmpty())
            batch.setStandardOutputFile(appendTo, QIODevice::Append);
        batch.setWorkingDirectory(dir.path());
        batch.start(QStringLiteral(INKWRIGHT_BATCH), args.split(u' '));
        batch.write(input);
        batch.closeWriteChannel();
        const bool ended = batch.waitForFinished();
        out = batch.readAllStandardOutput();
        err = batch.readAllStandardError();
        return ended && batch.exitStatus() == QProcess::NormalExit ? batch.exitCode() : -1;
    }

private Q_SLOTS:
    void prompts_data()
    {
        QTest::addColumn<PromptFields>("fields");
        QTest::addColumn<QString>("keyword");
        QTest::addColumn<QString>("expected");
        const QString start = u"Write an article of about 400 words about Herb Garden. "_s;
        const QString head = u"Write an article of about #WORDS# words about #KEYWORD#. "_s;
        const QString topic = head + u"#PRO#Use simple language."_s;
        const QString angle = head + u"Angle: #ANGLE#. #PRO#Use simple language."_s;
        const PromptFields herb = fields(topic, angle, u"Herb Garden"_s);
        QTest::newRow("angle") << herb << u"herb garden for beginners"_s
                               << start + u"Angle: for beginners. Use simple language."_s;
        QTest::newRow("topic") << herb << u" HERB Garden "_s << start + u"Use simple language."_s;
        QTest::newRow("promotion")
            << fields(topic, angle, u"Herb Garden"_s, u"400"_s, true,
                      {u"Guide"_s, u"ebook"_s, u"Teaches"_s})
            << u"HERB GARDEN"_s
            << start + u"In the middle of the article begin preselling the following product: "_s
                   + u"'Guide'. Product Format: ebook. What it does: Teaches. Use simple language."_s;
        QTest::newRow("accents composed either way")
            << fields({}, u"#ANGLE#"_s, u"Caf\u00E9"_s) << u"cafe\u0301 menu"_s << u"menu"_s;
    }

    void prompts()
    {
        QFETCH(PromptFields, fields);
        QFETCH(QString, keyword);
        QTEST(promptFor(fields, keyword), "expected");
        QCOMPARE(PromptListModel::entryText(keyword), keyword + u" (click to see the prompt)"_s);
    }

    void listModel() // the entries of a batch, as Qt's item views rely on them
    {
        PromptListModel model;
        QAbstractItemModelTester tester(&model,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.setKeywords({u"a"_s, {}, u"a"_s});
        QCOMPARE(model.index(1, 0).data().toString(), u" (click to see the prompt)"_s);
        const QModelIndex last = model.index(2, 0);
        model.setKeywords({u"b"_s, u"c"_s}); // a view may still hold an index of an earlier batch
        QVERIFY(!last.data().isValid());
        QVERIFY(!model.data(QModelIndex()).isValid());
        model.clear();
    }

    void batchChecks()
    {
        // The first empty field is reported, in this order; a text of blanks passes.
        using BatchRules::BatchInput;
        const auto refused = [](const BatchInput& input) {
            const Verdict v = BatchRules::checkInput(input);
            return v ? v->title + u": "_s + v->text : u"ok"_s;
        };
        const QString m = u"Missing Info: Please "_s;
        QCOMPARE(refused({{}, {}, {}, true, {}}), m + u"enter your main keyword."_s);
        QCOMPARE(refused({u"a"_s, {}, {}, true, {}}),
                 m + u"enter one or more long-tailed keywords."_s);
        QCOMPARE(refused({u"a"_s, u"b"_s, {}, true, {}}), m + u"fill the 'Approx. Words' field."_s);
        QCOMPARE(refused({u"a"_s, u"b"_s, u"4"_s, true, {}}), m + u"add a product to promote."_s);
        QCOMPARE(refused({u" "_s, u" "_s, u" "_s, false, {}}), u"ok"_s);
        QCOMPARE(refused({u"a"_s, u"b"_s, u"4"_s, true, u" "_s}), u"ok"_s);
        QVERIFY(!BatchRules::checkCopyLength(BatchRules::MaxCopyChars));
        QVERIFY(BatchRules::checkCopyLength(BatchRules::MaxCopyChars + 1)->text.contains(u"268"));
        QVERIFY(
            !BatchRules::checkPastedText(u"a\r\n"_s + QString(BatchRules::MaxKeywordChars, u'x')));
        QVERIFY(BatchRules::checkPastedText(u"a\u2029"_s
                                            + QString(BatchRules::MaxKeywordChars + 1, u'x')));
        // The lines a paste joins count on both sides, up to their breaks; each break of the text
        // parts them, the last one too.
        const QString before = u"y\u2028"_s + QString(6'000, u'x');
        const QString after = QString(6'000, u'x') + u"\u2028y"_s;
        QVERIFY(!BatchRules::checkPastedText(u"ab\ncd"_s, before, after)
                && !BatchRules::checkPastedText(u"abcd\r\n"_s, before, after));
        QVERIFY(BatchRules::checkPastedText(u"abcd"_s, before, after)->text.contains(u" 12,004 "));
    }

    void bounds()
    {
        // A prompt longer than the limit is not built, and only the keywords that need it fail.
        const PromptFields big =
            fields(QString(100, u'#') + u"#KEYWORD##KEYWORD#"_s, u"#ANGLE#"_s, QString(60, u'k'));
        QVERIFY(promptFor(big, u"k"_s, 220).has_value() && !promptFor(big, QString(60, u'k'), 219));
        const PromptComposer composer(big, 219);
        QVERIFY(composer.allPrompts({u"x"_s}).fits()
                && !composer.allPrompts({u"x"_s, QString(60, u'K')}).fits());
        QVERIFY(!composer.compose(QString(60, u'k')));
        QVERIFY(composer.compose(QString(219, u'x')));
        QVERIFY(!composer.compose(QString(220, u'x'))
                && !composer.compose(u"#"_s + QString(219, u'x')));
    }

    // Keyword files as keyword tools export them, and plain lists; blocks of 3 bytes read alike.
    void keywordFiles_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("expected"); // the keywords joined by '|', or why it was refused
        QTest::newRow("plain list")
            << QByteArray("a,1\r\n\r\nb;\"2\n  \rc\r\n") << u"a,1|b;\"2|  |c"_s;
        QTest::newRow("CSV, quoted commas and breaks") << QByteArray(
            "\xEF\xBB\xBFKeyword,Volume,Keyword Difficulty,\"CPC\"\r\n\"salt, pepper\",201000,"
            "62,0.45\r\n herb tea ,10,1,0\r\n,5,1,1\r\n\"say \"\"hi\"\"\r\nnow\",1,1,1")
                                                       << u"salt, pepper|herb tea|say \"hi\" now"_s;
        QTest::newRow("UTF-16 tab-separated, title lines, no mark")
            << QByteArray(QStringEncoder(QStringEncoder::Utf16LE)(
                   u"Keyword Stats 2026-12-01\r\nAll "
                   u"locations\r\nCurrency\t\"Keyword\"\tSearches\r\n"
                   "EUR\tsourdough bread\t1000\r\nEUR\tsauerteigbrot selber backen\t10\r\n"_s))
            << u"sourdough bread|sauerteigbrot selber backen"_s;
        QTest::newRow("UTF-16 big-endian, no mark")
            << QByteArray(QStringEncoder(QStringEncoder::Utf16BE)(u"Query\nk\u00e9\n"_s))
            << u"k\u00e9"_s;
        // Told by the share of NUL bytes on each side: here one in five where four in five are
        // NUL on the other side, the least that still counts.
        for (const auto& [name, encoding] :
             {std::pair{"UTF-16 big-endian at the bound", QStringEncoder::Utf16BE},
              std::pair{"UTF-16 little-endian at the bound", QStringEncoder::Utf16LE}})
            QTest::newRow(name) << QByteArray(QStringEncoder(encoding)(u"abcde\n\u0100\u0100x\n"_s))
                                << u"abcde|\u0100\u0100x"_s;
        QTest::newRow("one byte") << QByteArray("a") << u"a"_s;
        QTest::newRow("a last row without a break") << QByteArray("Keyword\nabc") << u"abc"_s;
        // Past the ten lines searched for the heading; in blocks of 3, the quote begins a block.
        QTest::newRow("a quote inside a cell")
            << "Keyword\n" + QByteArray("k\n").repeated(10) + "ab\"c\n"
            << QStringList(10, u"k"_s).join(u'|') + u"|ab\"c"_s;
        QTest::newRow("a heading alone, no break") << QByteArray("Keyword") << QString();
        QTest::newRow("semicolons, Windows-1252, a lone CR and a lone LF in a cell")
            << QByteArray("Top queries;Clicks\n\"a;b\";3\ncaf\xE9;1\n\"x\ry\nz\";2\n")
            << u"a;b|café|x y z"_s;
        QTest::newRow("heading past ten lines: a list")
            << QByteArray("1\n2\n3\n4\n5\n6\n7\n8\n9\n10\nQuery\n")
            << u"1|2|3|4|5|6|7|8|9|10|Query"_s;
        QTest::newRow("not a text file") << QByteArray("ab\0\0cd", 6) << u"it is not a text file"_s;
    }

    void keywordFiles()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, expected);
        for (const qsizetype block : {qsizetype(1) << 20, qsizetype(3)}) {
            QStringList found;
            QString why;
            QCOMPARE(KeywordFile::keywordsOf(bytes, found, &why, block) ? found.join(u'|') : why,
                     expected);
        }
    }

    void initTestCase()
    {
        QVERIFY(QDir(dir.path()).mkpath(u"templates"_s) && QDir(dir.path()).mkpath(u"products"_s));
        for (const auto& [name, text] :
             {std::pair{"templates/topic.txt", exportFields.topicTemplate},
              {"templates/topic-angle.txt", exportFields.angleTemplate},
              {"products/Guide.txt", u"Guide\r\nebook\r\nHelps"_s},
              {"products/Short.txt", u"Guide\r\nebook"_s}}) {
            QFile file(dir.filePath(QString::fromLatin1(name)));
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(text.toUtf8()) > 0);
        }
        // No text file, told only past the first block read.
        QFile late(dir.filePath(u"late.txt"_s));
        QVERIFY(late.open(QIODevice::WriteOnly)
                && late.write(QByteArray(3 << 19, '\n') + '\0') > 0);
        QFile herb(dir.filePath(u"herb.txt"_s));
        QVERIFY(herb.open(QIODevice::WriteOnly) && herb.write("herb") == 4);
#ifdef Q_OS_UNIX
        QVERIFY(::mkfifo(qPrintable(dir.filePath(u"fifo"_s)), 0600) == 0);
        // A socket is found like a file, but cannot be opened as one.
        sockaddr_un address = {};
        address.sun_family = AF_UNIX;
        qstrncpy(address.sun_path, qPrintable(dir.filePath(u"socket"_s)), sizeof address.sun_path);
        const int socketFd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        QVERIFY(::bind(socketFd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0);
        ::close(socketFd); // its name stays
#else
        QVERIFY(QFile(dir.filePath(u"fifo"_s)).open(QIODevice::WriteOnly));
#endif
    }

    // The angle template of the CSV has no line break: a prompt is quoted for its angle alone.
    void formats_data()
    {
        QTest::addColumn<Format>("format");
        QTest::addColumn<QString>("angleTemplate");
        QTest::addColumn<QString>("expected"); // none: the "Copy to Clipboard (All)" text
        QTest::newRow("txt") << Format::Text << exportFields.angleTemplate << QString();
        // Side by side, an angle's lone surrogates at its ends make a pair, as in the whole text.
        QTest::newRow("txt, angles side by side")
            << Format::Text << u"#ANGLE##ANGLE#"_s << QString();
        QTest::newRow("csv") << Format::Csv << u"A #ANGLE#."_s
                             << u"\uFEFFkeyword,prompt\r\nherb,\"T 9\r\n.\r\n\"\r\n"
                                "\"Herb \"\"b\u00e9\",\"A \"\"b\u00e9.\"\r\n"
                                "\"\\#,\x01\uFFFD\",\"A \\#,\x01\uFFFD.\"\r\n"
                                "herb \uFFFDx\uFFFD,A \uFFFDx\uFFFD.\r\n"_s;
        QTest::newRow("jsonl")
            << Format::JsonLines << exportFields.angleTemplate
            << u"{\"keyword\": \"herb\", \"prompt\": \"T 9\\r\\n.\\r\\n\"}\n"
               "{\"keyword\": \"Herb \\\"b\u00e9\", \"prompt\": \"A \\\"b\u00e9\\r\\n\"}\n"
               "{\"keyword\": \"\\\\#,\\u0001\uFFFD\", \"prompt\": \"A "
               "\\\\#,\\u0001\uFFFD\\r\\n\"}\n"
               "{\"keyword\": \"herb \uFFFDx\uFFFD\", \"prompt\": \"A \uFFFDx\uFFFD\\r\\n\"}\n"_s;
    }

    void formats()
    {
        QFETCH(Format, format);
        QFETCH(QString, angleTemplate);
        QFETCH(QString, expected);
        PromptFields f = exportFields;
        f.angleTemplate = angleTemplate;
        if (expected.isNull())
            expected = PromptComposer(f).allPrompts(keywords).text();
        QCOMPARE(exported(keywords, format, f),
                 QByteArray(QStringEncoder(QStringEncoder::Utf8)(expected)));
    }

    // Several chunks and a prompt larger than one; a cancel or a full disk leaves no file.
    void largeAndFailed()
    {
        QStringList many(5000, u"k"_s + QString(400, u'x'));
        many.append(QString(1 << 20, u'y'));
        QCOMPARE(exported(many, Format::Text),
                 PromptComposer(exportFields).allPrompts(many).utf8());
        QTemporaryDir empty;
        int asked = 0;
        const auto cancel = [&asked](qsizetype, qsizetype) { return ++asked == 0; };
        QCOMPARE(PromptExport::writeFile(empty.filePath(u"a"_s), exportFields, many + many,
                                         Format::Csv, cancel)
                     .result,
                 Outcome::Cancelled);
        QCOMPARE(asked, 1); // the writing stops at the first no
        QCOMPARE(PromptExport::writeFile(u"/dev/full"_s, exportFields, many, Format::Csv).result,
                 Outcome::Failed);
        // A device is written as it is, never replaced.
        QCOMPARE(PromptExport::writeFile(u"/dev/null"_s, exportFields, many, Format::Csv).result,
                 QFile::exists(u"/dev/null"_s) ? Outcome::Written : Outcome::Failed);
        QVERIFY(QDir(empty.path()).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden));
    }

    void commandLine_data()
    {
        QTest::addColumn<QString>("args");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("message");
        QTest::newRow("no main keyword") << u"--folder ."_s << 2 << u"--main"_s;
        QTest::newRow("format") << u"--main h --format xml"_s << 2 << u"'xml'"_s;
        // A named pipe with no writer reads as empty; a device is never read.
        QTest::newRow("no keywords")
            << u"--main h --folder . --keywords fifo"_s << 1 << u"no keywords"_s;
        QTest::newRow("device") << u"--main h --keywords "_s + QProcess::nullDevice() << 1
                                << u"not a file"_s;
#ifdef Q_OS_LINUX
        QTest::newRow("endless file")
            << u"--main h --keywords /proc/self/pagemap"_s << 1 << u"larger than 256 MB"_s;
        QTest::newRow("full disk")
            << u"--main h --folder . --out /dev/full"_s << 1 << u"No space left on device"_s;
        QTest::newRow("a socket's keywords")
            << u"--main h --folder . --keywords socket"_s << 1 << u"(No such device or address)"_s;
        // Descriptor 0 is the program's own standard input, open for reading only.
        QTest::newRow("standard input as output")
            << u"--main h --folder . --keywords herb.txt --out /dev/fd/0"_s << 1
            << u"/dev/fd/0 could not be written (Bad file descriptor)"_s;
#endif
        QTest::newRow("keyword file") << u"--main h --folder . --keywords no"_s << 1 << u"no ("_s;
        QTest::newRow("record") << u"--main h --folder . --product Short"_s << 1 << u"can't"_s;
        QTest::newRow("output") << u"--main h --folder . --out no/a"_s << 1
                                << QDir::toNativeSeparators(u"no/a"_s);
        // To a file, the keywords are read while it is written: it is left out all the same.
        QTest::newRow("no keywords, to a file")
            << u"--main h --folder . --keywords fifo --out no"_s << 1 << u"no keywords"_s;
        QTest::newRow("no text file past a block, to a file")
            << u"--main h --folder . --keywords late.txt --out no"_s << 1 << u"not a text"_s;
        QTest::newRow("unread keywords before an unwritable file")
            << u"--main h --folder . --keywords late.txt --out no/a"_s << 1 << u"not a text"_s;
    }

    void commandLine()
    {
        QFETCH(QString, args);
        QFETCH(QString, message);
        QTEST(run(args), "code");
        QVERIFY2(err.count('\n') == 1 && QString::fromUtf8(err).contains(message), err.data());
        QVERIFY(out.isEmpty());
        QVERIFY(!QFile::exists(dir.filePath(u"no"_s)));
        QVERIFY(
            QDir(dir.path()).entryList({u".inkwright-*"_s}, QDir::Files | QDir::Hidden).isEmpty());
    }

    // To a file, the prompts are written as the keywords are read, a block at a time: the same
    // bytes as the export of the whole list.
    void commandLineStreamed()
    {
        QStringList many;
        for (int i = 0; i < 150'000; ++i)
            many << u"herb "_s + QString::number(i);
        QFile list(dir.filePath(u"many.txt"_s));
        QVERIFY(list.open(QIODevice::WriteOnly) && list.write(many.join(u'\n').toUtf8()) > 1 << 20);
        list.close();
        QCOMPARE(run(u"--main Herb --words 9 --folder . --keywords many.txt --out many.jsonl"_s),
                 0);
        QFile written(dir.filePath(u"many.jsonl"_s));
        QVERIFY(written.open(QIODevice::ReadOnly));
        QCOMPARE(written.readAll(), exported(many, Format::JsonLines));
    }

    // Byte for byte the export of the same batch, its keywords read from a CSV in Windows-1252.
    void commandLineOutput()
    {
        const PromptFields promoted =
            fields(exportFields.topicTemplate, exportFields.angleTemplate, u"Herb"_s, u"9"_s, true,
                   {u"Guide"_s, u"ebook"_s, u"Helps"_s});
        QCOMPARE(run(u"--main Herb --words 9 --product Guide --folder . --format csv --out -"_s,
                     "Keyword,Volume\r\n\"caf\xe9, h\",10\r\n\r\nHerb,5\n"),
                 0);
        QCOMPARE(out, exported({u"caf\u00e9, h"_s, u"Herb"_s}, Format::Csv, promoted));
#ifdef Q_OS_UNIX
        // /dev/stdout is the descriptor the program was given: a log it appends to keeps its lines.
        QFile log(dir.filePath(u"log.txt"_s));
        QVERIFY(log.open(QIODevice::WriteOnly) && log.write("old\n") == 4);
        log.close();
        QCOMPARE(run(u"--main h --folder . --out /dev/stdout"_s, "herb", log.fileName()), 0);
        QVERIFY(log.open(QIODevice::ReadOnly));
        QVERIFY(log.readAll().startsWith("old\nKeyword: herb"));
#endif
    }
};

QTEST_GUILESS_MAIN(tst_prompts)
#include "tst_prompts.moc"
