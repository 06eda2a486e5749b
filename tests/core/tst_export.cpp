// Export of a batch's prompts: the formats against the "Copy to Clipboard (All)" text, exports
// that fail or are cancelled, and inkwright-batch run as a process against the same writer.
#include "prompts/promptExport.h"

#include <QBuffer>
#include <QProcess>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using PromptExport::Format;
using PromptExport::Outcome;

// Templates with a lone LF, a CR LF and a lone CR; the main keyword alone, a quote, and '#'
// (composed step by step) with a backslash, a comma, a control character and a lone surrogate.
static const PromptFields fields{
    u"T #WORDS#\n.\r\n#PRO#"_s, u"A #ANGLE#\r"_s, u"Herb"_s, u"9"_s, false, {}, {}, {}};
static const QStringList keywords{u"herb"_s, u"Herb \"b\u00e9"_s, u"\\#,\x01\xD800"_s};

static QByteArray exported(const QStringList& words, Format format, const PromptFields& f = fields)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    PromptExport::write(buffer, f, words, format);
    return buffer.data();
}

class tst_Export : public QObject
{
    Q_OBJECT
    QTemporaryDir dir;
    QByteArray out, err;

    int run(const QString& args, const QByteArray& input = "herb")
    {
        QProcess batch;
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
    void initTestCase()
    {
        QVERIFY(QDir(dir.path()).mkpath(u"templates"_s) && QDir(dir.path()).mkpath(u"products"_s));
        for (const auto& [name, text] : {std::pair{"templates/topic.txt", fields.topicTemplate},
                                         {"templates/topic-angle.txt", fields.angleTemplate},
                                         {"products/Guide.txt", u"Guide\r\nebook\r\nHelps"_s},
                                         {"products/Short.txt", u"Guide\r\nebook"_s}}) {
            QFile file(dir.filePath(QString::fromLatin1(name)));
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(text.toUtf8()) > 0);
        }
    }

    // The angle template of the CSV has no line break: a prompt is quoted for its angle alone.
    void formats_data()
    {
        QTest::addColumn<Format>("format");
        QTest::addColumn<QString>("angleTemplate");
        QTest::addColumn<QString>("expected"); // none: the "Copy to Clipboard (All)" text
        QTest::newRow("txt") << Format::Text << fields.angleTemplate << QString();
        QTest::newRow("csv") << Format::Csv << u"A #ANGLE#."_s
                             << u"\uFEFFkeyword,prompt\r\nherb,\"T 9\r\n.\r\n\"\r\n"
                                "\"Herb \"\"b\u00e9\",\"A \"\"b\u00e9.\"\r\n"
                                "\"\\#,\x01\uFFFD\",\"A \\#,\x01\uFFFD.\"\r\n"_s;
        QTest::newRow("jsonl")
            << Format::JsonLines << fields.angleTemplate
            << u"{\"keyword\": \"herb\", \"prompt\": \"T 9\\r\\n.\\r\\n\"}\n"
               "{\"keyword\": \"Herb \\\"b\u00e9\", \"prompt\": \"A \\\"b\u00e9\\r\\n\"}\n"
               "{\"keyword\": \"\\\\#,\\u0001\uFFFD\", \"prompt\": \"A \\\\#,\\u0001\uFFFD\\r\\n\"}\n"_s;
    }

    void formats()
    {
        QFETCH(Format, format);
        QFETCH(QString, angleTemplate);
        QFETCH(QString, expected);
        PromptFields f = fields;
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
        QCOMPARE(exported(many, Format::Text), PromptComposer(fields).allPrompts(many).utf8());
        QTemporaryDir empty;
        const auto cancel = [](qsizetype, qsizetype) { return false; };
        QCOMPARE(PromptExport::writeFile(empty.filePath(u"a"_s), fields, many, Format::Csv, cancel)
                     .result,
                 Outcome::Cancelled);
        QCOMPARE(PromptExport::writeFile(u"/dev/full"_s, fields, many, Format::Csv).result,
                 Outcome::Failed);
        QVERIFY(QDir(empty.path()).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden));
    }

    void commandLine_data()
    {
        QTest::addColumn<QString>("args");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("message");
        QTest::newRow("no main keyword") << u"--folder ."_s << 2 << u"--main"_s;
        QTest::newRow("format") << u"--main h --format xml"_s << 2 << u"'xml'"_s;
        QTest::newRow("no keywords")
            << u"--main h --folder . --keywords "_s + QProcess::nullDevice() << 1
            << u"no keywords"_s;
        QTest::newRow("keyword file") << u"--main h --folder . --keywords no"_s << 1 << u"no ("_s;
        QTest::newRow("record") << u"--main h --folder . --product Short"_s << 1 << u"can't"_s;
        QTest::newRow("output") << u"--main h --folder . --out no/a"_s << 1
                                << QDir::toNativeSeparators(u"no/a"_s);
    }

    void commandLine()
    {
        QFETCH(QString, args);
        QFETCH(QString, message);
        QTEST(run(args), "code");
        QVERIFY2(err.count('\n') == 1 && QString::fromUtf8(err).contains(message), err.data());
        QVERIFY(out.isEmpty() && !QFile::exists(dir.filePath(u"no"_s)));
    }

    // Byte for byte the export of the same batch, its keywords read in Windows-1252.
    void commandLineOutput()
    {
        const PromptFields promoted{
            fields.topicTemplate, fields.angleTemplate, u"Herb"_s, u"9"_s, true,
            u"Guide"_s,           u"ebook"_s,           u"Helps"_s};
        QCOMPARE(run(u"--main Herb --words 9 --product Guide --folder . --format csv"_s,
                     "caf\xe9, h\r\n\r\nHerb\n"),
                 0);
        QCOMPARE(out, exported({u"caf\u00e9, h"_s, u"Herb"_s}, Format::Csv, promoted));
    }
};

QTEST_GUILESS_MAIN(tst_Export)
#include "tst_export.moc"
