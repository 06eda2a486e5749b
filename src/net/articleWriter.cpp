#include "articleWriter.h"

#include "components/fileOutput.h"
#include "lineReader.h"
#include "progressReport.h"
#include "writing/chatJson.h"
#include "writing/writeRules.h"

#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QTimer>

#include <algorithm>
#include <utility>

using namespace Qt::StringLiterals;

// One keyword on its way: its request, sent again on a retry, and the answer
// as it comes. Its timers and connections end with it.
class ArticleWriter::Job : public QObject
{
public:
    Job(QObject* parent, qsizetype slotIndex)
        : QObject(parent)
        , slot(slotIndex)
    {
        deadline.setSingleShot(true);
    }
    ~Job() override { abandon(); }

    // Drops the request in flight, if any, without a word from it. Deleted
    // at once, the reply also drops what Qt's network thread has posted to
    // it; aborted, it would still take that in, and warn.
    void abandon()
    {
        if (QNetworkReply* r = std::exchange(reply, nullptr)) {
            r->disconnect(this);
            delete r;
        }
        deadline.stop();
    }

    const qsizetype slot;
    QString keyword;
    QString fileName;
    QByteArray body;
    int retries = 0;
    QNetworkReply* reply = nullptr;
    QByteArray answer;
    bool tooLarge = false;
    QTimer deadline;
};

namespace {

// Failures of the connection rather than answers: the server may be
// restarting or overloaded.
bool isPassing(QNetworkReply::NetworkError error)
{
    switch (error) {
    case QNetworkReply::ConnectionRefusedError:
    case QNetworkReply::RemoteHostClosedError:
    case QNetworkReply::TimeoutError:
    case QNetworkReply::TemporaryNetworkFailureError:
    case QNetworkReply::NetworkSessionFailedError:
    case QNetworkReply::ProxyConnectionClosedError:
    case QNetworkReply::ProxyTimeoutError:
    case QNetworkReply::UnknownNetworkError:
        return true;
    default:
        return false;
    }
}

// Why every request would fail as this one did.
QString stopReason(int status)
{
    switch (status) {
    case 401:
        return u"The key is missing or wrong (INKWRIGHT_API_KEY; OPENAI_API_KEY goes only to "
               "https://api.openai.com)."_s;
    case 403:
        return u"The key may not use this endpoint or model."_s;
    default:
        return u"Check --endpoint (the base address, often ending in /v1) and --model."_s;
    }
}

} // namespace

ArticleWriter::ArticleWriter(const WriteSettings& settings, LineReader& input,
                             ProgressReport& progress, QObject* parent)
    : QObject(parent)
    , m_settings(settings)
    , m_folder(settings.outFolder)
    , m_input(input)
    , m_progress(progress)
    , m_slots(std::size_t(std::max(settings.jobs, 1)), nullptr)
{
    const bool loopback = WriteRules::isLoopbackHost(settings.url.host());
    for (int i = 0; i < settings.jobs; i += RequestsPerManager) {
        auto& manager = m_managers.emplace_back(std::make_unique<QNetworkAccessManager>());
        manager->setRedirectPolicy(QNetworkRequest::ManualRedirectPolicy);
        // A proxy never stands between the program and a server on this machine.
        if (loopback)
            manager->setProxy(QNetworkProxy::NoProxy);
    }
    if (settings.url.scheme() == u"https") {
        m_tls = QSslConfiguration::defaultConfiguration();
        if (!settings.caCertificates.isEmpty()) {
            m_tls.setCaCertificates(QSslConfiguration::systemCaCertificates()
                                    + settings.caCertificates);
        }
    }
    connect(&m_input, &LineReader::linesReady, this, &ArticleWriter::fill);
}

ArticleWriter::~ArticleWriter()
{
    // The jobs go before the managers of their requests.
    for (Job*& job : m_slots)
        delete std::exchange(job, nullptr);
}

void ArticleWriter::start()
{
    fill();
}

void ArticleWriter::interrupt()
{
    stop(Stopped, u"stopped: interrupted. Run the same command again to go on where it stopped."_s);
}

// Takes lines while a slot is free: a keyword whose file is there is done
// without a request.
void ArticleWriter::fill()
{
    if (m_stopped)
        return;
    if (!m_totalKnown && m_input.total() >= 0) {
        m_totalKnown = true;
        m_progress.setTotal(m_input.total());
    }
    for (auto free = std::find(m_slots.begin(), m_slots.end(), nullptr); free != m_slots.end();
         free = std::find(free, m_slots.end(), nullptr)) {
        LineReader::Line line;
        if (!m_input.next(line))
            break;
        if (!line.whole) {
            return stop(BadInput,
                        u"line %1 is longer than %2 MB, which no prompt is"_s.arg(line.number)
                            .arg(LineReader::MaxLineBytes >> 20));
        }
        if (ChatJson::isBlank(line.bytes))
            continue;
        const std::optional<ChatJson::InputLine> input = ChatJson::parseLine(line.bytes);
        if (!input) {
            return stop(BadInput,
                        u"line %1 is not a JSON object with \"keyword\" and \"prompt\" "
                        "strings (what inkwright-batch --format jsonl writes)"_s.arg(line.number));
        }
        const QString fileName = m_names.take(input->keyword);
        if (QFileInfo::exists(m_folder.filePath(fileName))) {
            m_progress.skipped();
            continue;
        }
        Job* job = new Job(this, free - m_slots.begin());
        job->keyword = input->keyword;
        job->fileName = fileName;
        job->body = ChatJson::requestBody(m_settings.model, input->prompt, m_settings.maxTokens);
        connect(&job->deadline, &QTimer::timeout, job, [this, job] {
            job->abandon();
            retryOrFail(
                *job,
                u"no whole answer within %1 s (--timeout)"_s.arg(m_settings.timeoutMs / 1000.0),
                {});
        });
        *free = job;
        send(*job);
    }
    if (m_input.atEnd() && !m_input.error().isEmpty())
        return stop(BadInput, u"the input could not be read: %1"_s.arg(m_input.error()));
    if (m_input.atEnd() && std::all_of(m_slots.begin(), m_slots.end(), [](Job* j) { return !j; }))
        finish();
}

void ArticleWriter::send(Job& job)
{
    if (m_stopped)
        return;
    QNetworkRequest request(m_settings.url);
    request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/json"));
    if (!m_settings.key.isEmpty())
        request.setRawHeader("Authorization", "Bearer " + m_settings.key);
    if (m_settings.url.scheme() == u"https")
        request.setSslConfiguration(m_tls);
    job.answer.clear();
    job.tooLarge = false;
    QNetworkReply* reply =
        m_managers.at(std::size_t(job.slot / RequestsPerManager))->post(request, job.body);
    job.reply = reply;
    // Qt holds no more than this much of an answer that is not read yet.
    reply->setReadBufferSize(256 * 1024);
    // Said in a signal of the reply, which may not be deleted there: the job
    // ends once the signal is over, and takes no more of the answer till then.
    const auto tooLarge = [this, &job] {
        if (std::exchange(job.tooLarge, true))
            return;
        QMetaObject::invokeMethod(
            &job,
            [this, &job] {
                job.abandon();
                fail(job, u"the answer is larger than %1 MB"_s.arg(MaxAnswerBytes >> 20));
            },
            Qt::QueuedConnection);
    };
    connect(reply, &QNetworkReply::metaDataChanged, &job, [reply, tooLarge] {
        if (reply->header(QNetworkRequest::ContentLengthHeader).toLongLong() > MaxAnswerBytes)
            tooLarge();
    });
    connect(reply, &QNetworkReply::readyRead, &job, [&job, reply, tooLarge] {
        if (job.tooLarge)
            return;
        const QByteArray bytes = reply->readAll();
        if (job.answer.size() + bytes.size() > MaxAnswerBytes)
            return tooLarge();
        job.answer += bytes;
    });
    connect(reply, &QNetworkReply::finished, &job, [this, &job] {
        if (!job.tooLarge)
            answered(job);
    });
    job.deadline.start(m_settings.timeoutMs);
}

void ArticleWriter::answered(Job& job)
{
    job.deadline.stop();
    QNetworkReply* reply = std::exchange(job.reply, nullptr);
    reply->deleteLater();
    const QNetworkReply::NetworkError error = reply->error();
    if (error != QNetworkReply::NoError && error < QNetworkReply::ContentAccessDenied) {
        // The connection failed, not the server's answer.
        const QString why =
            u"%1: %2"_s.arg(m_settings.url.toDisplayString(QUrl::RemovePath), reply->errorString());
        return isPassing(error) ? retryOrFail(job, why, {}) : fail(job, why);
    }
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const WriteRules::Answer meaning = WriteRules::answerOf(status);
    if (meaning == WriteRules::Answer::Article) {
        const ChatJson::Article article = ChatJson::articleOf(job.answer);
        QString why = article.error;
        if (why.isEmpty()
            && FileOutput::write(m_folder.filePath(job.fileName), article.text.toUtf8(),
                                 FileOutput::Links::Replace, &why)) {
            m_progress.written(QDir::toNativeSeparators(m_folder.filePath(job.fileName)));
            return release(job);
        }
        return fail(job, why);
    }
    QString said = u"the server answered %1 %2"_s.arg(status).arg(
        reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString());
    if (const QString message = ChatJson::serverMessage(job.answer); !message.isEmpty())
        said += u": "_s + message;
    if (meaning == WriteRules::Answer::Retry)
        return retryOrFail(job, said, reply->rawHeader("Retry-After"));
    if (meaning == WriteRules::Answer::Stop) {
        return stop(Stopped, u"stopped at '%1': %2. %3"_s.arg(job.keyword.simplified(), said,
                                                              stopReason(status)));
    }
    if (status >= 300 && status < 400) {
        said += u", pointing to %1; redirects are not followed"_s.arg(
            reply->attribute(QNetworkRequest::RedirectionTargetAttribute)
                .toUrl()
                .toDisplayString(QUrl::RemoveUserInfo));
    }
    fail(job, said);
}

void ArticleWriter::retryOrFail(Job& job, const QString& reason, const QByteArray& retryAfter)
{
    if (job.retries >= m_settings.retries) {
        return fail(job, job.retries == 0
                             ? reason
                             : u"%1 (tried %2 times)"_s.arg(reason).arg(job.retries + 1));
    }
    ++job.retries;
    QTimer::singleShot(
        WriteRules::retryDelayMs(job.retries, retryAfter, QDateTime::currentDateTimeUtc()), &job,
        [this, &job] { send(job); });
}

void ArticleWriter::fail(Job& job, const QString& reason)
{
    m_progress.failed(job.keyword, withoutKey(reason));
    release(job);
}

void ArticleWriter::release(Job& job)
{
    m_slots.at(std::size_t(job.slot)) = nullptr;
    job.deleteLater();
    fill();
}

void ArticleWriter::stop(int code, const QString& why)
{
    if (m_stopped)
        return;
    m_stopped = true;
    m_exitCode = std::max(m_exitCode, code);
    for (Job*& job : m_slots) {
        if (job) {
            job->abandon();
            std::exchange(job, nullptr)->deleteLater();
        }
    }
    m_progress.note(withoutKey(why));
    finish();
}

void ArticleWriter::finish()
{
    if (m_finished)
        return;
    m_finished = true;
    m_progress.finish();
    Q_EMIT finished(std::max(m_exitCode, m_progress.failures() > 0 ? int(SomeFailed) : 0));
}

QString ArticleWriter::withoutKey(QString text) const
{
    if (!m_settings.key.isEmpty())
        text.replace(QString::fromLatin1(m_settings.key), u"***"_s);
    return text;
}
