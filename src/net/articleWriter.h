#pragma once

#include "writing/articleNames.h"

#include <QByteArray>
#include <QDir>
#include <QList>
#include <QObject>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QString>
#include <QUrl>

#include <memory>
#include <optional>
#include <vector>

class LineReader;
class ProgressReport;
class QNetworkAccessManager;

struct WriteSettings
{
    QUrl url;       // the endpoint's /chat/completions
    QByteArray key; // sent as "Authorization: Bearer KEY"; empty: no such header
    QString model;
    std::optional<qint64> maxTokens;
    int jobs = 4; // requests at a time
    int retries = 5;
    int timeoutMs = 300'000; // from sending a request to the last byte of its answer
    QString outFolder;
    QList<QSslCertificate> caCertificates; // trusted besides the system's
};

// Writes the article of each line of the input through a chat completion
// server: one request per keyword whose file is not there yet, `jobs` at a
// time, each answer read up to MaxAnswerBytes and written to its file whole.
// Answers that say "later" are retried, a wrong key, endpoint or model stops
// the run, any other failure fails its keyword only.
class ArticleWriter : public QObject
{
    Q_OBJECT

public:
    enum ExitCode
    {
        AllWritten = 0,
        SomeFailed = 1,
        BadInput = 2,
        Stopped = 3
    };
    static constexpr qint64 MaxAnswerBytes = qint64(16) << 20;
    // Qt opens at most six connections to a host per access manager.
    static constexpr int RequestsPerManager = 6;

    ArticleWriter(const WriteSettings& settings, LineReader& input, ProgressReport& progress,
                  QObject* parent = nullptr);
    ~ArticleWriter() override;

    // Starts taking the lines of the input as the reader hands them over.
    void start();

    // Starts no new request and abandons those in flight: Ctrl+C.
    void interrupt();

Q_SIGNALS:
    // The run is over; the summary is printed. The exit code is the highest
    // of the codes that apply.
    void finished(int exitCode);

private:
    class Job;
    void fill();
    void send(Job& job);
    void answered(Job& job);
    void retryOrFail(Job& job, const QString& reason, const QByteArray& retryAfter);
    void fail(Job& job, const QString& reason);
    void release(Job& job);
    void stop(int code, const QString& why);
    void finish();
    QString withoutKey(QString text) const;

    WriteSettings m_settings;
    QDir m_folder;
    LineReader& m_input;
    ProgressReport& m_progress;
    ArticleNames m_names;
    QSslConfiguration m_tls;
    std::vector<std::unique_ptr<QNetworkAccessManager>> m_managers;
    std::vector<Job*> m_slots; // a job per slot, null when free; slot / 6 is the manager
    int m_exitCode = AllWritten;
    bool m_totalKnown = false;
    bool m_stopped = false;
    bool m_finished = false;
};
