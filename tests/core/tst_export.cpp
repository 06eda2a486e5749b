// Export of a batch's prompts: the three formats against the "Copy to Clipboard
// (All)" text of the same batch, a batch of several chunks, and exports that
// fail or are cancelled.
#include "prompts/promptExport.h"

#include <QBuffer>
#include <QDir>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using PromptExport::Format;
using PromptExport::Outcome;

namespace {

// A topic template with a lone LF and an angle template with a lone CR.
const PromptFields fields{
    u"T #WORDS#\n."_s, u"A #ANGLE#\r"_s, u"Herb"_s, u"9"_s, false, {}, {}, {}};
// The main keyword alone; a comma; a quote, '#' (composed step by step), a
// backslash and control characters; non-ASCII with a lone surrogate.
const QStringList keywords{u"herb"_s, u"Herb, b"_s, u"\"#\\\t\x01"_s, u"\u00e9\xD800"_s};

QByteArray exported(const QStringList& words, Format format,
                    const PromptExport::Progress& progress = {})
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    const Outcome outcome = PromptExport::write(buffer, fields, words, format, progress);
    return outcome.result == Outcome::Written ? buffer.data() : QByteArray("(not written)");
}

QByteArray copyAllText(const QStringList& words)
{
    QStringEncoder utf8(QStringEncoder::Utf8);
    return utf8(PromptComposer(fields).allPrompts(words).text());
}

} // namespace

class tst_Export : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void formats_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expected");
        QTest::newRow("txt") << u"txt"_s
                             << u"Keyword: herb\r\nPrompt: T 9\r\n.\r\n\r\n"
                                "Keyword: Herb, b\r\nPrompt: A , b\r\n\r\n\r\n"
                                "Keyword: \"#\\\t\x01\r\nPrompt: A \"#\\\t\x01\r\n\r\n\r\n"
                                "Keyword: \u00e9\uFFFD\r\nPrompt: A \u00e9\uFFFD\r\n\r\n\r\n"_s;
        QTest::newRow("csv") << u"CSV"_s
                             << u"\uFEFFkeyword,prompt\r\nherb,\"T 9\r\n.\"\r\n"
                                "\"Herb, b\",\"A , b\r\n\"\r\n"
                                "\"\"\"#\\\t\x01\",\"A \"\"#\\\t\x01\r\n\"\r\n"
                                "\u00e9\uFFFD,\"A \u00e9\uFFFD\r\n\"\r\n"_s;
        QTest::newRow("jsonl")
            << u"jsonl"_s
            << u"{\"keyword\": \"herb\", \"prompt\": \"T 9\\r\\n.\"}\n"
               "{\"keyword\": \"Herb, b\", \"prompt\": \"A , b\\r\\n\"}\n"
               "{\"keyword\": \"\\\"#\\\\\\t\\u0001\", "
               "\"prompt\": \"A \\\"#\\\\\\t\\u0001\\r\\n\"}\n"
               "{\"keyword\": \"\u00e9\uFFFD\", \"prompt\": \"A \u00e9\uFFFD\\r\\n\"}\n"_s;
    }

    void formats()
    {
        QFETCH(QString, name);
        QFETCH(QString, expected);
        const std::optional<Format> format = PromptExport::formatNamed(name);
        QVERIFY(format && PromptExport::formatOfFile(u"a.b."_s + name) == *format);
        QCOMPARE(exported(keywords, *format), expected.toUtf8());
        if (*format == Format::Text)
            QCOMPARE(expected.toUtf8(), copyAllText(keywords));
    }

    // Several chunks, progress every 4096 prompts and at the end.
    void largeBatch()
    {
        QStringList many;
        for (int i = 0; i < 5000; ++i)
            many.append(u"herb "_s + QString(300, u'x') + QString::number(i));
        QList<qsizetype> told;
        const auto progress = [&told](qsizetype written, qsizetype total) {
            told << written << total;
            return true;
        };
        QCOMPARE(exported(many, Format::Text, progress), copyAllText(many));
        QCOMPARE(told, (QList<qsizetype>{4096, 5000}));
        QCOMPARE(exported(many, Format::Text, [](qsizetype, qsizetype) { return false; }),
                 "(not written)");
    }

    void leavesNoFile()
    {
        QTemporaryDir dir;
        const auto cancel = [](qsizetype, qsizetype) { return false; };
        const Outcome missing =
            PromptExport::writeFile(dir.filePath(u"no/a.txt"_s), fields, keywords, Format::Text);
        QCOMPARE(missing.result, Outcome::Failed);
        QVERIFY(!missing.error.isEmpty());
        QCOMPARE(PromptExport::writeFile(dir.filePath(u"b.csv"_s), fields,
                                         QStringList(5000, u"k"_s), Format::Csv, cancel)
                     .result,
                 Outcome::Cancelled);
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                 QStringList());
        // A full disk, found when a chunk is written.
        const Outcome full = PromptExport::writeFile(
            u"/dev/full"_s, fields, QStringList(3000, QString(400, u'k')), Format::JsonLines);
        QCOMPARE(full.result, Outcome::Failed);
        QVERIFY2(!full.error.isEmpty(), qPrintable(full.error));
    }
};

QTEST_GUILESS_MAIN(tst_Export)
#include "tst_export.moc"
