#include "fileOutput.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>

#include <cerrno>
#include <cstdio>
#include <cstring>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

#ifdef Q_OS_UNIX
QString systemReason()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}
#endif

bool failWith(QString* error, const QString& why)
{
    if (error)
        *error = why;
    return false;
}

// The descriptor that a path names, or -1: "-" and /dev/stdout are standard
// output; on Unix also /dev/stderr, /dev/fd/N and /proc/self/fd/N.
int descriptorOf(const QString& path)
{
    if (path == u"-")
        return 1;
#ifdef Q_OS_UNIX
    if (path == u"/dev/stdout")
        return 1;
    if (path == u"/dev/stderr")
        return 2;
    static const QRegularExpression named(QStringLiteral("^/(?:dev|proc/self)/fd/(\\d{1,9})$"));
    const QRegularExpressionMatch match = named.match(path);
    if (match.hasMatch())
        return match.captured(1).toInt();
#endif
    return -1;
}

#ifdef Q_OS_UNIX
// Writes straight to a descriptor, every byte or the system's reason why not.
class DescriptorDevice final : public QIODevice
{
public:
    DescriptorDevice(int fd, bool owned)
        : m_fd(fd)
        , m_owned(owned)
    {
        QIODevice::open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    }
    ~DescriptorDevice() override { DescriptorDevice::close(); }

    int handle() const { return m_fd; }
    bool isSequential() const override { return true; }
    void close() override
    {
        if (m_owned && m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
        QIODevice::close();
    }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 length) override
    {
        for (qint64 done = 0; done < length;) {
            const ssize_t wrote = ::write(m_fd, data + done, size_t(length - done));
            if (wrote < 0 && errno == EINTR)
                continue;
            if (wrote <= 0) {
                setErrorString(wrote < 0 ? systemReason() : QStringLiteral("nothing was written"));
                return -1;
            }
            done += wrote;
        }
        return length;
    }

private:
    int m_fd;
    bool m_owned;
};
#endif

} // namespace

FileOutput::FileOutput() = default;

FileOutput::~FileOutput()
{
    cancel();
}

QIODevice& FileOutput::device()
{
    return *m_device;
}

bool FileOutput::open(const QString& path, Links links, QString* error)
{
    cancel();
    if (const int fd = descriptorOf(path); fd >= 0) {
#ifdef Q_OS_UNIX
        m_device = std::make_unique<DescriptorDevice>(fd, false);
#else
        auto file = std::make_unique<QFile>();
        if (!file->open(fd, QIODevice::WriteOnly | QIODevice::Unbuffered,
                        QFileDevice::DontCloseHandle))
            return failWith(error, file->errorString());
        m_device = std::move(file);
#endif
        return true;
    }
    const QFileInfo info(path);
    if (info.isDir())
        return failWith(error, QStringLiteral("it is a folder"));
    m_target = path;
    if (links == Links::Follow && info.isSymLink())
        m_target = info.exists() ? info.canonicalFilePath() : info.symLinkTarget();
#ifdef Q_OS_UNIX
    const QByteArray target = QFile::encodeName(m_target);
    struct stat status = {};
    const bool exists = (links == Links::Follow ? ::stat(target.constData(), &status)
                                                : ::lstat(target.constData(), &status))
                        == 0;
    if (exists && !S_ISREG(status.st_mode) && !S_ISLNK(status.st_mode)) {
        // A device or a named pipe is written as it is: never replaced, never truncated.
        const int fd = ::open(target.constData(), O_WRONLY | O_CLOEXEC);
        if (fd < 0)
            return failWith(error, systemReason());
        m_device = std::make_unique<DescriptorDevice>(fd, true);
        m_target.clear();
        return true;
    }
    // A short name of its own in the same folder, so that any name the file
    // system takes can be written, and the rename cannot cross file systems.
    QByteArray temporary =
        QFile::encodeName(QFileInfo(m_target).absolutePath()) + "/.inkwright-XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
        return failWith(error, systemReason());
    m_temporary = QFile::decodeName(temporary);
    m_device = std::make_unique<DescriptorDevice>(fd, true);
    return true;
#else
    // Windows renames no file that is still open; QSaveFile closes its file
    // before the swap.
    auto save = std::make_unique<QSaveFile>(m_target);
    save->setDirectWriteFallback(false);
    if (!save->open(QIODevice::WriteOnly))
        return failWith(error, save->errorString());
    m_device = std::move(save);
    m_saving = true;
    return true;
#endif
}

bool FileOutput::commit(QString* error)
{
    if (m_saving) {
        auto* save = static_cast<QSaveFile*>(m_device.get());
        const bool done = save->commit();
        const QString why = save->errorString();
        m_device.reset();
        m_saving = false;
        return done || failWith(error, why);
    }
#ifdef Q_OS_UNIX
    if (m_temporary.isEmpty()) {
        m_device.reset();
        return true;
    }
    // The permissions of the file replaced, or those the umask gives a new one.
    const int fd = static_cast<DescriptorDevice*>(m_device.get())->handle();
    struct stat old = {};
    mode_t permissions = 0;
    if (::stat(QFile::encodeName(m_target).constData(), &old) == 0 && S_ISREG(old.st_mode)) {
        permissions = old.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        permissions = 0666 & ~mask;
    }
    if (::fchmod(fd, permissions) != 0 || ::fsync(fd) != 0) {
        const QString why = systemReason();
        cancel();
        return failWith(error, why);
    }
    m_device.reset();
    if (std::rename(QFile::encodeName(m_temporary).constData(),
                    QFile::encodeName(m_target).constData())
        != 0) {
        const QString why = systemReason();
        cancel();
        return failWith(error, why);
    }
    m_temporary.clear();
#endif
    return true;
}

bool FileOutput::write(const QString& path, QByteArrayView bytes, Links links, QString* error)
{
    FileOutput out;
    if (!out.open(path, links, error))
        return false;
    if (out.device().write(bytes.data(), bytes.size()) != bytes.size())
        return failWith(error, out.device().errorString());
    return out.commit(error);
}

void FileOutput::cancel()
{
    if (m_saving)
        static_cast<QSaveFile*>(m_device.get())->cancelWriting();
    m_saving = false;
    m_device.reset();
    if (!m_temporary.isEmpty()) {
        QFile::remove(m_temporary);
        m_temporary.clear();
    }
}
