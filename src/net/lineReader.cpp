#include "lineReader.h"

#include "writing/chatJson.h"

#include <QFile>
#include <QFileInfo>

#include <condition_variable>
#include <deque>
#include <mutex>

#include <cerrno>
#ifdef Q_OS_WIN
#include <fcntl.h>
#include <io.h>
#else
#include <unistd.h>
#endif

using namespace Qt::StringLiterals;

namespace {

constexpr std::size_t LinesAhead = 64;
constexpr qsizetype ChunkBytes = 64 * 1024;

// What is there, up to `size` bytes: a pipe gives a line as soon as it is
// written, where QFile would wait for the whole chunk.
qint64 readSome(int fd, char* data, qsizetype size)
{
#ifdef Q_OS_WIN
    return _read(fd, data, unsigned(size));
#else
    ssize_t got = 0;
    do
        got = ::read(fd, data, std::size_t(size));
    while (got < 0 && errno == EINTR);
    return got;
#endif
}

// The non-blank lines of a file, as the reader will find them.
qint64 countLines(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    qint64 lines = 0;
    bool content = false;
    for (QByteArray block = file.read(1 << 20); !block.isEmpty(); block = file.read(1 << 20)) {
        for (const char c : std::as_const(block)) {
            if (c == '\n') {
                lines += content ? 1 : 0;
                content = false;
            } else if (c != ' ' && c != '\t' && c != '\r') {
                content = true;
            }
        }
    }
    return lines + (content ? 1 : 0);
}

} // namespace

// What the reading thread and the reader share; the thread holds it too, so a
// thread still waiting for input when the program ends touches nothing freed.
struct LineReader::Shared
{
    std::mutex mutex;
    std::condition_variable roomOrStop;
    std::deque<Line> lines;
    bool stop = false;
    bool ended = false;
    bool signalled = false;
    QString error;
    qint64 total = -1;
    LineReader* reader = nullptr;
    QFile file;
    QString countPath;

    // Tells the reader, once until it looks; called with the mutex held.
    void tell()
    {
        if (reader && !signalled) {
            signalled = true;
            QMetaObject::invokeMethod(
                reader,
                [r = reader, self = this] {
                    {
                        const std::lock_guard lock(self->mutex);
                        self->signalled = false;
                    }
                    Q_EMIT r->linesReady();
                },
                Qt::QueuedConnection);
        }
    }

    void run()
    {
        if (!countPath.isEmpty()) {
            const qint64 counted = countLines(countPath);
            const std::lock_guard lock(mutex);
            total = counted;
            tell();
        }
        const int fd = file.handle();
        QByteArray buffer;
        qsizetype start = 0; // where the next line begins in `buffer`
        qint64 number = 0;
        qint64 nonBlank = 0;
        bool atEof = false;
        for (;;) {
            {
                std::unique_lock lock(mutex);
                roomOrStop.wait(lock, [this] { return stop || lines.size() < LinesAhead; });
                if (stop)
                    return;
            }
            qsizetype end = buffer.indexOf('\n', start);
            while (end < 0 && !atEof && buffer.size() - start <= MaxLineBytes) {
                buffer.remove(0, start);
                start = 0;
                const qsizetype had = buffer.size();
                buffer.resize(had + ChunkBytes);
                const qint64 got = readSome(fd, buffer.data() + had, ChunkBytes);
                buffer.resize(had + std::max<qint64>(got, 0));
                if (got < 0) {
                    const QString why = qt_error_string(errno);
                    const std::lock_guard lock(mutex);
                    error = why;
                    ended = true;
                    tell();
                    return;
                }
                atEof = got == 0;
                end = buffer.indexOf('\n', had);
            }
            Line line;
            const bool last = end < 0;
            if (end >= 0) {
                line.bytes = buffer.sliced(start, end - start);
                start = end + 1;
            } else if (buffer.size() - start > MaxLineBytes) {
                line.whole = false;
            } else {
                line.bytes = buffer.sliced(start); // the last line, without a line break
            }
            if (line.bytes.endsWith('\r'))
                line.bytes.chop(1);
            if (number == 0 && line.bytes.startsWith("\xEF\xBB\xBF"))
                line.bytes.remove(0, 3);
            const std::lock_guard lock(mutex);
            if (!last || !line.whole || start < buffer.size()) {
                line.number = ++number;
                nonBlank += ChatJson::isBlank(line.bytes) ? 0 : 1;
                lines.push_back(std::move(line));
            }
            if (last) {
                ended = true;
                total = total < 0 ? nonBlank : total;
            }
            tell();
            if (last)
                return;
        }
    }
};

LineReader::LineReader(QObject* parent)
    : QObject(parent)
    , m_shared(std::make_shared<Shared>())
{
    m_shared->reader = this;
}

LineReader::~LineReader()
{
    bool ended = false;
    {
        const std::lock_guard lock(m_shared->mutex);
        m_shared->stop = true;
        m_shared->reader = nullptr;
        ended = m_shared->ended;
    }
    m_shared->roomOrStop.notify_all();
    if (!m_thread.joinable())
        return;
    // A thread waiting for input that may never come is left to end with the
    // process; it holds its own share of the state.
    if (ended)
        m_thread.join();
    else
        m_thread.detach();
}

bool LineReader::start(const QString& path, QString& error)
{
    QFile& file = m_shared->file;
    bool opened = false;
    if (path == u"-") {
        opened = file.open(0, QIODevice::ReadOnly);
    } else if (QFileInfo(path).isDir()) {
        error = u"it is a folder"_s;
        return false;
    } else {
        file.setFileName(path);
        opened = file.open(QIODevice::ReadOnly | QIODevice::Unbuffered);
        if (opened && QFileInfo(path).isFile())
            m_shared->countPath = path;
    }
    if (!opened || file.handle() < 0) {
        error = file.errorString();
        return false;
    }
#ifdef Q_OS_WIN
    _setmode(file.handle(), _O_BINARY);
#endif
    m_thread = std::thread([shared = m_shared] { shared->run(); });
    return true;
}

bool LineReader::next(Line& line)
{
    {
        const std::lock_guard lock(m_shared->mutex);
        if (m_shared->lines.empty())
            return false;
        line = std::move(m_shared->lines.front());
        m_shared->lines.pop_front();
    }
    m_shared->roomOrStop.notify_one();
    return true;
}

bool LineReader::atEnd() const
{
    const std::lock_guard lock(m_shared->mutex);
    return m_shared->ended && m_shared->lines.empty();
}

QString LineReader::error() const
{
    const std::lock_guard lock(m_shared->mutex);
    return m_shared->error;
}

qint64 LineReader::total() const
{
    const std::lock_guard lock(m_shared->mutex);
    return m_shared->total;
}
