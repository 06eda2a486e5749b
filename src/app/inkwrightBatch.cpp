// inkwright-batch: the prompts of a keyword list, composed from the same
// templates and product records as the windows, written as text, CSV or JSON
// Lines. Its output is byte for byte what "Export All Prompts..." writes.
#include "catalogue/productCatalogue.h"
#include "components/dataPaths.h"
#include "components/tsFile.h"
#include "inkwrightConfig.h"
#include "prompts/batchRules.h"
#include "prompts/keywordFile.h"
#include "prompts/promptExport.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>
#ifdef Q_OS_WIN
#include <fcntl.h>
#include <io.h>
#endif

using namespace Qt::StringLiterals;

namespace {

enum ExitCode
{
    Success = 0,
    DataError = 1,
    UsageError = 2
};

// One line on standard error.
int fail(int code, const QString& message)
{
    std::fprintf(stderr, "inkwright-batch: %s\n", qUtf8Printable(message));
    return code;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
#ifdef Q_OS_WIN
    // Keywords and prompts pass through as bytes: text mode would turn each
    // CR LF written into CR CR LF and stop reading at a Ctrl+Z.
    _setmode(0, _O_BINARY);
    _setmode(1, _O_BINARY);
#endif
    QCoreApplication::setApplicationName(u"inkwright-batch"_s);
    QCoreApplication::setApplicationVersion(QStringLiteral(INKWRIGHT_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        u"Writes an article-writing prompt for every keyword of a list, from the templates and "
        "products of the program folder, as text, CSV or JSON Lines."_s);
    const QCommandLineOption mainOption(u"main"_s, u"The main keyword (required)."_s, u"TEXT"_s);
    const QCommandLineOption wordsOption(u"words"_s, u"Approx. words (default 400)."_s, u"TEXT"_s,
                                         u"400"_s);
    const QCommandLineOption keywordsOption(
        u"keywords"_s,
        u"The long-tail keywords: a list, one per line, or a keyword tool's CSV or tab-separated "
        "export (default or -: standard input)."_s,
        u"FILE"_s, u"-"_s);
    const QCommandLineOption productOption(
        u"product"_s, u"Promote the product of products/NAME.txt."_s, u"NAME"_s);
    const QCommandLineOption formatOption(
        u"format"_s, u"txt, csv or jsonl (default: from the extension of --out, else txt)."_s,
        u"FORMAT"_s);
    const QCommandLineOption outOption(
        u"out"_s, u"The file to write (default or -: standard output)."_s, u"FILE"_s);
    const QCommandLineOption folderOption(
        u"folder"_s, u"The folder holding templates/ and products/ (default: the program's)."_s,
        u"DIR"_s);
    parser.addOptions({mainOption, wordsOption, keywordsOption, productOption, formatOption,
                       outOption, folderOption});
    const QCommandLineOption helpOption = parser.addHelpOption();
    const QCommandLineOption versionOption = parser.addVersionOption();

    // Usage errors first: nothing is read before the command line is right.
    if (!parser.parse(QCoreApplication::arguments()))
        return fail(UsageError, parser.errorText() + u" (see --help)"_s);
    if (parser.isSet(helpOption))
        parser.showHelp(Success);
    if (parser.isSet(versionOption))
        parser.showVersion();
    if (!parser.positionalArguments().isEmpty()) {
        return fail(UsageError, u"unexpected argument '%1' (see --help)"_s.arg(
                                    parser.positionalArguments().constFirst()));
    }
    PromptFields fields;
    fields.mainKeyword = parser.value(mainOption);
    fields.approxWords = parser.value(wordsOption);
    if (fields.mainKeyword.isEmpty())
        return fail(UsageError, u"the main keyword is missing: give it with --main TEXT"_s);
    if (fields.approxWords.isEmpty())
        return fail(UsageError, u"--words is empty: give the article length, e.g. --words 400"_s);
    for (const QCommandLineOption* option : {&outOption, &productOption, &keywordsOption}) {
        if (parser.isSet(*option) && parser.value(*option).isEmpty())
            return fail(UsageError,
                        u"--%1 is empty (see --help)"_s.arg(option->names().constFirst()));
    }
    const QString outPath = parser.isSet(outOption) ? parser.value(outOption) : u"-"_s;
    const bool toStandardOutput = outPath == u"-";
    PromptExport::Format format = PromptExport::formatOfFile(outPath);
    if (parser.isSet(formatOption)) {
        const auto named = PromptExport::formatNamed(parser.value(formatOption));
        if (!named) {
            return fail(UsageError, u"unknown format '%1': use txt, csv or jsonl"_s.arg(
                                        parser.value(formatOption)));
        }
        format = *named;
    }

    // Then the data, each read whole before anything is written.
    const DataPaths paths(parser.isSet(folderOption) ? parser.value(folderOption)
                                                     : DataPaths::applicationFolder());
    const tsFile files;
    for (const auto& [holder, path] : {std::pair{&fields.topicTemplate, paths.topicTemplate()},
                                       std::pair{&fields.angleTemplate, paths.angleTemplate()}}) {
        QString why;
        if (!files.LoadTextFile(*holder, path, &why)) {
            return fail(DataError, u"the template %1 could not be read (%2)"_s.arg(
                                       DataPaths::forDisplay(path), why));
        }
    }
    if (parser.isSet(productOption)) {
        // The same record as the window would promote.
        const QString name = parser.value(productOption);
        const std::optional<ProductRecord> record = ProductCatalogue(files, paths).record(name);
        if (!record) {
            return fail(DataError, u"product '%1': %2 (%3)"_s.arg(
                                       name, ProductCatalogue::unusableRecord().text,
                                       DataPaths::forDisplay(paths.recordFile(name))));
        }
        fields.promote = true;
        fields.productName = record->name;
        fields.format = record->format;
        fields.description = record->description;
    }
    const QString keywordFile = parser.value(keywordsOption);
    const QString keywordSource =
        keywordFile == u"-" ? u"standard input"_s : DataPaths::forDisplay(keywordFile);
    // A file that takes its place only when whole is written while the keywords are read, a
    // part at a time. Standard output or a device gets them once they are all read, so that a
    // keyword file found unreadable at its end leaves nothing there; they are left to the
    // system at the end, with everything else, as freeing a million strings one by one takes
    // longer than starting the program. Either way a failure to read is told first.
    PromptExport::PartWriter writer(outPath, fields, format);
    const bool streamed = writer.heldBack();
    static QStringList* const kept = new QStringList;
    qsizetype found = 0;
    QString why;
    bool read = false;
    if (streamed) {
        read = KeywordFile::read(
            files, keywordFile,
            [&](QStringList& part) {
                found += part.size();
                writer.write(part);
            },
            &why);
    } else {
        read = KeywordFile::read(files, keywordFile, *kept, &why);
        found = kept->size();
    }
    if (!read) {
        return fail(DataError,
                    u"the keywords could not be read from %1 (%2)"_s.arg(keywordSource, why));
    }
    if (found == 0)
        return fail(DataError, u"there are no keywords in %1"_s.arg(keywordSource));
    if (!streamed)
        writer.write(*kept);
    const PromptExport::Outcome outcome = writer.finish();
    const QString target = toStandardOutput ? u"standard output"_s : DataPaths::forDisplay(outPath);
    if (outcome.result == PromptExport::Outcome::TooLong) {
        // Standard output has the blocks before that prompt; a file is not written.
        return fail(DataError,
                    u"a prompt would be longer than %1 million characters, more than a prompt "
                    "may hold%2"_s.arg(Prompts::MaxPromptChars / 1'000'000)
                        .arg(toStandardOutput ? QString() : u"; %1 was not written"_s.arg(target)));
    }
    if (outcome.result != PromptExport::Outcome::Written)
        return fail(DataError, u"%1 could not be written (%2)"_s.arg(target, outcome.error));
    return Success;
}
