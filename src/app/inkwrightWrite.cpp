// inkwright-write: the article of every prompt of a JSON Lines list (what
// inkwright-batch --format jsonl and the export write), asked of an
// OpenAI-compatible chat server, one Markdown file per keyword.
#include "articleWriter.h"
#include "inkwrightConfig.h"
#include "lineReader.h"
#include "progressReport.h"
#include "stopSignal.h"
#include "writing/writeRules.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QSslSocket>
#include <QTemporaryFile>

#include <cmath>
#include <cstdio>
#ifdef Q_OS_WIN
#include <fcntl.h>
#include <io.h>
#else
#include <unistd.h>
#endif

using namespace Qt::StringLiterals;

namespace {

int fail(int code, const QString& message)
{
    std::fprintf(stderr, "inkwright-write: %s\n", qUtf8Printable(message));
    return code;
}

bool stderrIsTerminal()
{
#ifdef Q_OS_WIN
    return _isatty(_fileno(stderr));
#else
    return ::isatty(STDERR_FILENO);
#endif
}

// The value of `option` as a number from `low` to `high`, or why it is not one.
std::optional<double> numberOf(const QCommandLineParser& parser, const QCommandLineOption& option,
                               double low, double high, bool whole, QString& error)
{
    bool ok = false;
    const double value = parser.value(option).toDouble(&ok);
    if (ok && value >= low && value <= high && (!whole || std::trunc(value) == value))
        return value;
    if (error.isEmpty()) {
        error = u"--%1 takes %2 from %3 to %4, not '%5'"_s.arg(
            option.names().constFirst(), whole ? u"a whole number"_s : u"a number"_s,
            QString::number(low), QString::number(high, 'g', 12), parser.value(option));
    }
    return std::nullopt;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
#ifdef Q_OS_WIN
    // The input passes through as bytes, its CR LF and Ctrl+Z included.
    _setmode(0, _O_BINARY);
#endif
    QCoreApplication::setApplicationName(u"inkwright-write"_s);
    QCoreApplication::setApplicationVersion(QStringLiteral(INKWRIGHT_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        u"Writes the article of every prompt of a JSON Lines list (inkwright-batch --format "
        "jsonl) through an OpenAI-compatible chat server, one Markdown file per keyword in "
        "--out. A keyword whose file is there is skipped, so running a command again finishes "
        "what a stopped run left.\n\n"
        "The key comes from the environment: INKWRIGHT_API_KEY goes to the endpoint given, "
        "OPENAI_API_KEY only to https://api.openai.com.\n\n"
        "Exit codes: 0 every article written or skipped, 1 some keywords failed, 2 usage or "
        "input error, 3 stopped (a wrong key, endpoint or model, or interrupted)."_s);
    const QCommandLineOption endpointOption(
        u"endpoint"_s, u"The server's base URL (default https://api.openai.com/v1)."_s, u"URL"_s,
        u"https://api.openai.com/v1"_s);
    const QCommandLineOption modelOption(u"model"_s, u"The model (required)."_s, u"NAME"_s);
    const QCommandLineOption outOption(
        u"out"_s, u"The folder of the articles (required; made if missing)."_s, u"DIR"_s);
    const QCommandLineOption jobsOption(u"jobs"_s, u"Requests at a time, 1 to 64 (default 4)."_s,
                                        u"N"_s, u"4"_s);
    const QCommandLineOption retriesOption(
        u"retries"_s, u"Retries of a busy or failing server (default 5)."_s, u"N"_s, u"5"_s);
    const QCommandLineOption timeoutOption(
        u"timeout"_s, u"Seconds for a request and its whole answer (default 300)."_s, u"SECONDS"_s,
        u"300"_s);
    const QCommandLineOption maxTokensOption(
        u"max-tokens"_s, u"The longest article in tokens, sent as max_tokens."_s, u"N"_s);
    const QCommandLineOption caFileOption(
        u"ca-file"_s, u"PEM certificates to trust besides the system's."_s, u"FILE"_s);
    const QCommandLineOption allowHttpOption(
        u"allow-http"_s, u"Allow plain http:// to another machine (unencrypted)."_s);
    parser.addOptions({endpointOption, modelOption, outOption, jobsOption, retriesOption,
                       timeoutOption, maxTokensOption, caFileOption, allowHttpOption});
    parser.addPositionalArgument(u"input"_s, u"The JSON Lines (default or -: standard input)."_s,
                                 u"[INPUT]"_s);
    const QCommandLineOption helpOption = parser.addHelpOption();
    const QCommandLineOption versionOption = parser.addVersionOption();

    if (!parser.parse(QCoreApplication::arguments()))
        return fail(ArticleWriter::BadInput, parser.errorText() + u" (see --help)"_s);
    if (parser.isSet(helpOption))
        parser.showHelp(ArticleWriter::AllWritten);
    if (parser.isSet(versionOption))
        parser.showVersion();
    const QStringList inputs = parser.positionalArguments();
    if (inputs.size() > 1) {
        return fail(ArticleWriter::BadInput,
                    u"one input at most, not also '%1' (see --help)"_s.arg(inputs.at(1)));
    }
    WriteSettings settings;
    settings.model = parser.value(modelOption);
    settings.outFolder = parser.value(outOption);
    if (settings.model.isEmpty())
        return fail(ArticleWriter::BadInput, u"the model is missing: give it with --model NAME"_s);
    if (settings.outFolder.isEmpty())
        return fail(ArticleWriter::BadInput, u"the folder is missing: give it with --out DIR"_s);
    QString error;
    const auto jobs = numberOf(parser, jobsOption, 1, 64, true, error);
    const auto retries = numberOf(parser, retriesOption, 0, 100, true, error);
    const auto timeout = numberOf(parser, timeoutOption, 0.001, 86400, false, error);
    std::optional<double> maxTokens;
    if (parser.isSet(maxTokensOption))
        maxTokens = numberOf(parser, maxTokensOption, 1, 1e12, true, error);
    if (!error.isEmpty())
        return fail(ArticleWriter::BadInput, error);
    settings.jobs = int(*jobs);
    settings.retries = int(*retries);
    settings.timeoutMs = std::max(1, int(std::lround(*timeout * 1000)));
    if (maxTokens)
        settings.maxTokens = qint64(*maxTokens);

    error = WriteRules::checkEndpoint(parser.value(endpointOption), parser.isSet(allowHttpOption),
                                      settings.url);
    if (!error.isEmpty())
        return fail(ArticleWriter::BadInput, error);
    const QByteArray inkwrightKey = qgetenv("INKWRIGHT_API_KEY");
    settings.key = WriteRules::keyFor(settings.url, inkwrightKey, qgetenv("OPENAI_API_KEY"));
    if (!WriteRules::isSendableKey(settings.key)) {
        return fail(ArticleWriter::BadInput,
                    u"the key in %1 holds a blank, a line break or a character outside ASCII, "
                    "which no key has"_s.arg(inkwrightKey.isEmpty() ? u"OPENAI_API_KEY"_s
                                                                    : u"INKWRIGHT_API_KEY"_s));
    }
    if (parser.isSet(caFileOption)) {
        const QString caFile = parser.value(caFileOption);
        settings.caCertificates = QSslCertificate::fromPath(
            caFile, QSsl::Pem, QSslCertificate::PatternSyntax::FixedString);
        if (settings.caCertificates.isEmpty()) {
            return fail(ArticleWriter::BadInput,
                        u"--ca-file: no PEM certificate could be read from %1"_s.arg(
                            QDir::toNativeSeparators(caFile)));
        }
    }
    if (settings.url.scheme() == u"https" && !QSslSocket::supportsSsl()) {
        return fail(ArticleWriter::BadInput,
                    u"https needs a TLS library, and Qt finds none on this system"_s);
    }
    const QString inputPath = inputs.isEmpty() ? u"-"_s : inputs.constFirst();
    LineReader input;
    if (!input.start(inputPath, error)) {
        return fail(
            ArticleWriter::BadInput,
            u"the input %1 could not be read (%2)"_s.arg(
                inputPath == u"-" ? u"standard input"_s : QDir::toNativeSeparators(inputPath),
                error));
    }
    // A folder that takes no file is found now, not after a paid request.
    QTemporaryFile probe(settings.outFolder + u"/.inkwright-write-XXXXXX"_s);
    if (!QDir().mkpath(settings.outFolder) || !probe.open()) {
        return fail(ArticleWriter::BadInput, u"the folder %1 could not be made or written in"_s.arg(
                                                 QDir::toNativeSeparators(settings.outFolder)));
    }
    probe.remove();

    ProgressReport progress(stderr, stderrIsTerminal());
    ArticleWriter writer(settings, input, progress);
    StopSignal stopSignal;
    QObject::connect(&stopSignal, &StopSignal::raised, &writer, &ArticleWriter::interrupt);
    QObject::connect(&writer, &ArticleWriter::finished, &app, &QCoreApplication::exit);
    QMetaObject::invokeMethod(&writer, &ArticleWriter::start, Qt::QueuedConnection);
    return QCoreApplication::exec();
}
