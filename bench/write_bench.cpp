// inkwright-write's benchmark: the program against a chat server on the loopback interface that
// answers at once, so that what is measured is the program itself. Prints the CPU time the
// program takes per article (user and system, from the rusage of the child) and its peak
// resident memory over a long input, with their goals. Every run is checked: all articles
// written and the exit code 0, or the benchmark exits with 1. Unix only (wait4).
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>

#include <cstdio>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

extern char** environ;

using namespace Qt::StringLiterals;

namespace {

// Answers every request with the same short article, on a thread of its own.
class InstantServer : public QTcpServer
{
protected:
    void incomingConnection(qintptr descriptor) override
    {
        auto* socket = new QTcpSocket(this);
        socket->setSocketDescriptor(descriptor);
        connect(socket, &QTcpSocket::readyRead, this, [socket] {
            static const QByteArray json =
                R"({"choices": [{"message": {"role": "assistant", "content": "# An article\n\nIt is short.\n"}, "finish_reason": "stop"}]})";
            static const QByteArray answer = "HTTP/1.1 200 OK\r\nContent-Type: application/json\r\n"
                                             "Content-Length: "
                                             + QByteArray::number(json.size()) + "\r\n\r\n" + json;
            QByteArray pending = socket->property("pending").toByteArray() + socket->readAll();
            for (qsizetype end = pending.indexOf("\r\n\r\n"); end >= 0;
                 end = pending.indexOf("\r\n\r\n")) {
                const qsizetype at = pending.first(end).toLower().indexOf("content-length:");
                const qsizetype length =
                    at < 0 ? 0
                           : pending.mid(at + 15, pending.indexOf('\r', at) - at - 15)
                                 .trimmed()
                                 .toLongLong();
                if (pending.size() < end + 4 + length)
                    break;
                pending.remove(0, end + 4 + length);
                socket->write(answer);
            }
            socket->setProperty("pending", pending);
        });
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    }
};

struct Outcome
{
    int exitCode = -1;
    double cpuMs = 0; // user + system
    double wallMs = 0;
    double peakMb = 0; // resident
    qsizetype files = 0;
};

// Runs inkwright-write on `lines` generated prompts into a fresh folder under `where`.
Outcome runWrite(const QString& program, const QString& endpoint, qsizetype lines, int jobs,
                 const QString& where)
{
    QTemporaryDir dir(where + u"/inkwright-write-bench-XXXXXX"_s);
    const QString input = dir.filePath(u"prompts.jsonl"_s);
    {
        QFile file(input);
        if (!file.open(QIODevice::WriteOnly))
            return {};
        const QByteArray prompt =
            "You are an experienced web content writer. Write an article of about 400 words. "
            "Keep the language simple, use short paragraphs and add a heading to each part.";
        for (qsizetype i = 0; i < lines; ++i) {
            file.write(R"({"keyword": "sourdough bread )" + QByteArray::number(i)
                       + R"(", "prompt": ")" + prompt + " Keyword " + QByteArray::number(i)
                       + "\"}\n");
        }
    }
    const QByteArray out = dir.filePath(u"articles"_s).toLocal8Bit();
    const QByteArray programBytes = program.toLocal8Bit();
    const QByteArray endpointBytes = endpoint.toLocal8Bit();
    const QByteArray inputBytes = input.toLocal8Bit();
    const QByteArray jobsBytes = QByteArray::number(jobs);
    const char* argv[] = {programBytes.constData(),
                          "--endpoint",
                          endpointBytes.constData(),
                          "--model",
                          "bench",
                          "--out",
                          out.constData(),
                          "--jobs",
                          jobsBytes.constData(),
                          inputBytes.constData(),
                          nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    QElapsedTimer clock;
    clock.start();
    pid_t pid = 0;
    Outcome outcome;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, const_cast<char**>(argv), environ) == 0) {
        int status = 0;
        rusage usage{};
        if (wait4(pid, &status, 0, &usage) == pid && WIFEXITED(status))
            outcome.exitCode = WEXITSTATUS(status);
        outcome.wallMs = double(clock.nsecsElapsed()) / 1e6;
        const auto ms = [](const timeval& t) {
            return double(t.tv_sec) * 1e3 + double(t.tv_usec) / 1e3;
        };
        outcome.cpuMs = ms(usage.ru_utime) + ms(usage.ru_stime);
        outcome.peakMb = double(usage.ru_maxrss) / 1024.0; // ru_maxrss is in KiB on Linux
    }
    posix_spawn_file_actions_destroy(&actions);
    outcome.files = QDir(QString::fromLocal8Bit(out)).entryList(QDir::Files).size();
    return outcome;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        u"Measures inkwright-write against a loopback server that answers at once: CPU per "
        "article and peak resident memory over 100,000 input lines."_s);
    parser.addHelpOption();
    parser.addOptions({{u"smoke"_s, u"Small sizes, goals not judged (the ctest run)."_s},
                       {u"folder"_s, u"Where the articles go (default: the temporary folder)."_s,
                        u"DIR"_s, QDir::tempPath()}});
    parser.process(app);
    const bool smoke = parser.isSet(u"smoke"_s);
    const QString program = QCoreApplication::applicationDirPath() + u"/inkwright-write"_s;

    QThread serving;
    auto* server = new InstantServer;
    server->moveToThread(&serving);
    QObject::connect(&serving, &QThread::finished, server, &QObject::deleteLater);
    serving.start();
    bool listening = false;
    QMetaObject::invokeMethod(
        server, [&] { listening = server->listen(QHostAddress::LocalHost); },
        Qt::BlockingQueuedConnection);
    if (!listening) {
        std::fprintf(stderr, "write_bench: no loopback port\n");
        return 1;
    }
    const QString endpoint = u"http://127.0.0.1:%1/v1"_s.arg(server->serverPort());

    // In memory, the articles cost what the program does; on a disk, also what the file system
    // does to make and sync each file, which depends on it and on its state.
    const QString disk = parser.value(u"folder"_s);
    const QString memory = QFileInfo(u"/dev/shm"_s).isWritable() ? u"/dev/shm"_s : disk;
    enum Goal
    {
        Cpu,
        Resident,
        Shown
    };
    struct Row
    {
        const char* what;
        qsizetype lines;
        int jobs;
        QString folder;
        Goal goal;
    };
    const Row rows[] = {{"CPU per article, 4 at a time", smoke ? 200 : 2'000, 4, memory, Cpu},
                        {"CPU per article, 16 at a time", smoke ? 200 : 2'000, 16, memory, Cpu},
                        {"CPU per article, on the disk", smoke ? 200 : 2'000, 4, disk, Shown},
                        {"peak memory, long input", smoke ? 1'000 : 100'000, 4, memory, Resident}};
    bool right = true;
    bool met = true;
    std::printf("inkwright-write against a loopback server that answers at once; articles written "
                "in %s, and on the disk in %s\n\n",
                qPrintable(memory), qPrintable(disk));
    std::printf("%-30s %9s %12s %10s %11s %9s\n", "run", "articles", "CPU/article", "peak RSS",
                "articles/s", "goal");
    for (const Row& row : rows) {
        const Outcome o = runWrite(program, endpoint, row.lines, row.jobs, row.folder);
        const bool whole = o.exitCode == 0 && o.files == row.lines;
        const double perArticle = o.cpuMs / double(row.lines);
        const bool goal = row.goal == Resident ? o.peakMb < 64.0 : perArticle < 1.0;
        right = right && whole;
        met = met && (smoke || row.goal == Shown || goal);
        std::printf("%-30s %9lld %9.3f ms %7.1f MB %11.0f %9s%s\n", row.what, qlonglong(row.lines),
                    perArticle, o.peakMb, double(row.lines) / (o.wallMs / 1000.0),
                    row.goal == Resident ? "< 64 MB"
                    : row.goal == Cpu    ? "< 1 ms"
                                         : "-",
                    !whole                       ? "  WRONG: not every article written"
                    : smoke || row.goal == Shown ? ""
                    : goal                       ? "  met"
                                                 : "  MISSED");
    }
    serving.quit();
    serving.wait();
    return right && met ? 0 : 1;
}
