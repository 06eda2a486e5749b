#include "fileOutput.h"

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

QString systemReason()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

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

} // namespace

FileOutput::FileOutput() = default;

FileOutput::~FileOutput()
{
    cancel();
}

QIODevice& FileOutput::device()
{
    if (m_save)
        return *m_save;
    return m_file;
}

bool FileOutput::open(const QString& path, Links links, QString* error)
{
    constexpr auto mode = QIODevice::WriteOnly | QIODevice::Unbuffered;
    if (const int fd = descriptorOf(path); fd >= 0) {
        if (!m_file.open(fd, mode, QFileDevice::DontCloseHandle))
            return failWith(error, m_file.errorString());
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
        if (!m_file.open(fd, mode, QFileDevice::AutoCloseHandle)) {
            ::close(fd);
            return failWith(error, m_file.errorString());
        }
        m_target.clear();
        return true;
    }
    // A short name of its own in the same folder, so that any name the file
    // system takes can be written, and the rename cannot cross file systems.
    QByteArray temporary = QFile::encodeName(QFileInfo(m_target).absolutePath()) + "/.inkwright-XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
        return failWith(error, systemReason());
    m_temporary = QFile::decodeName(temporary);
    if (!m_file.open(fd, mode, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        cancel();
        return failWith(error, m_file.errorString());
    }
    return true;
#else
    // Windows renames no file that is still open; QSaveFile closes its file
    // before the swap.
    m_save = std::make_unique<QSaveFile>(m_target);
    m_save->setDirectWriteFallback(false);
    if (!m_save->open(QIODevice::WriteOnly)) {
        const QString why = m_save->errorString();
        m_save.reset();
        return failWith(error, why);
    }
    return true;
#endif
}

bool FileOutput::commit(QString* error)
{
    if (m_save) {
        const bool done = m_save->commit();
        const QString why = m_save->errorString();
        m_save.reset();
        return done || failWith(error, why);
    }
#ifdef Q_OS_UNIX
    if (m_temporary.isEmpty()) {
        m_file.close();
        return true;
    }
    // The permissions of the file replaced, or those the umask gives a new one.
    const int fd = m_file.handle();
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
    m_file.close();
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

void FileOutput::cancel()
{
    if (m_save) {
        m_save->cancelWriting();
        m_save.reset();
    }
    m_file.close();
    if (!m_temporary.isEmpty()) {
        QFile::remove(m_temporary);
        m_temporary.clear();
    }
}
