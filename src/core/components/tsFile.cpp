#include "tsFile.h"

#include "fileNames.h"
#include "fileOutput.h"
#include "lineScan.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QStringDecoder>

#include <algorithm>
#include <cerrno>
#include <cstring>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

// Characters 0x80 to 0x9F of Windows-1252. The five bytes the code page
// leaves undefined keep their own value, as Windows itself maps them.
constexpr char16_t cp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

QString decodeWindows1252(QByteArrayView bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar* out = text.data();
    for (const char byte : bytes) {
        const auto b = static_cast<unsigned char>(byte);
        *out++ = QChar(b >= 0x80 && b < 0xA0 ? cp1252High[b - 0x80] : char16_t(b));
    }
    return text;
}

constexpr Qt::CaseSensitivity fileNameCase =
#if defined(Q_OS_WIN) || defined(Q_OS_MACOS)
    Qt::CaseInsensitive;
#else
    Qt::CaseSensitive;
#endif

} // namespace

QString tsFile::decodeText(const QByteArray& bytes)
{
    qsizetype mark = 0;
    const Encoding encoding = encodingOf(bytes, &mark);
    return decodeText(QByteArrayView(bytes).sliced(mark), encoding);
}

tsFile::Encoding tsFile::encodingOf(QByteArrayView bytes, qsizetype* markLength)
{
    // A UTF-16 byte-order mark: the file was saved as Notepad's "Unicode".
    *markLength = 2;
    if (bytes.startsWith("\xFF\xFE"))
        return Encoding::Utf16LE;
    if (bytes.startsWith("\xFE\xFF"))
        return Encoding::Utf16BE;
    *markLength = bytes.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    return bytes.sliced(*markLength).isValidUtf8() ? Encoding::Utf8 : Encoding::Windows1252;
}

QString tsFile::decodeText(QByteArrayView bytes, Encoding encoding)
{
    // The decoders are told to keep a byte-order mark: the one the file starts
    // with is gone already, and a second one is part of the text.
    const auto flags = QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom;
    switch (encoding) {
    case Encoding::Utf8:
        return QStringDecoder(QStringDecoder::Utf8, flags).decode(bytes);
    case Encoding::Utf16LE:
        return QStringDecoder(QStringDecoder::Utf16LE, flags).decode(bytes);
    case Encoding::Utf16BE:
        return QStringDecoder(QStringDecoder::Utf16BE, flags).decode(bytes);
    case Encoding::Windows1252:
        break;
    }
    return decodeWindows1252(bytes);
}

QStringList tsFile::splitFileLines(const QString& text)
{
    QStringList lines;
    forEachLine(text, [&lines](const QChar* start, qsizetype length) {
        lines.append(QString(start, length));
    });
    return lines;
}

bool tsFile::ListFiles(const QString& folder, HolderList& list, const QString& pattern) const
{
    QDir dir(folder);
    if (!dir.exists())
        return false;
    QDir::Filters filters = QDir::Files | QDir::Hidden | QDir::NoSymLinks;
    if (fileNameCase == Qt::CaseSensitive)
        filters |= QDir::CaseSensitive;
    const QStringList names =
        dir.entryList(QStringList{pattern}, filters, QDir::Name | QDir::IgnoreCase);
    list.items.reserve(list.items.size() + names.size());
    for (const QString& name : names)
        list.items.append(dir.filePath(name));
    return true;
}

QString tsFile::FileNameOf(const QString& item) const
{
    return QFileInfo(item).fileName();
}

bool tsFile::FileExists(const QString& path) const
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

bool tsFile::LoadBytes(QByteArray& bytes, const QString& path, const ReadLimits& limits,
                       QString* error) const
{
    bytes.clear();
    auto fail = [&](const QString& why) {
        bytes.clear();
        if (error)
            *error = why;
        return false;
    };
    const bool standardInput = limits.streams && path == u"-";
    const QFileInfo info(path);
    const QString notAFile = QStringLiteral("it is not a file");
    const QString device = QStringLiteral("it is a device, not a file");
#ifdef Q_OS_WIN
    // Windows names its devices \\.\NAME, and opens one for CON, NUL, COM1... in any folder.
    if (!standardInput
        && (path.startsWith(u"\\\\.\\") || path.startsWith(u"//./")
            || FileNames::isWindowsDeviceName(info.fileName())))
        return fail(limits.streams ? device : notAFile);
#endif
    if (!standardInput) {
        if (limits.links == Links::Refuse && info.isSymLink())
            return fail(QStringLiteral("it is a link to another file"));
        if (!info.exists())
            return fail(QStringLiteral("the file does not exist"));
        if (info.isDir())
            return fail(QStringLiteral("it is a folder"));
    }
    const QString tooLarge =
        QStringLiteral("the file is larger than %1 MB").arg(limits.maxBytes >> 20);
#ifdef Q_OS_UNIX
    // Opened without waiting for a writer, and what was opened is checked, so
    // a file swapped for a pipe or a device after the look above is refused.
    int fd = 0;
    if (!standardInput) {
        const int flags =
            O_RDONLY | O_NONBLOCK | O_CLOEXEC | (limits.links == Links::Refuse ? O_NOFOLLOW : 0);
        fd = ::open(QFile::encodeName(path).constData(), flags);
        if (fd < 0)
            return fail(QString::fromLocal8Bit(std::strerror(errno)));
    }
    const auto closeFd = qScopeGuard([&] {
        if (!standardInput)
            ::close(fd);
    });
    struct stat status = {};
    if (::fstat(fd, &status) != 0)
        return fail(QString::fromLocal8Bit(std::strerror(errno)));
    const bool stream =
        S_ISFIFO(status.st_mode) || S_ISSOCK(status.st_mode) || (standardInput && ::isatty(fd));
    if (S_ISDIR(status.st_mode))
        return fail(QStringLiteral("it is a folder"));
    if (!S_ISREG(status.st_mode) && !(limits.streams && stream))
        return fail(limits.streams ? device : notAFile);
    // A named pipe opened without waiting reads on as usual; with no writer
    // at all it reads as empty.
    if (!standardInput && stream)
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    constexpr qsizetype Block = qsizetype(1) << 20;
    for (;;) {
        // Whole blocks: files under /proc take reads of their own record size only.
        const qsizetype used = bytes.size();
        if (bytes.capacity() < used + Block)
            bytes.reserve(std::max(2 * bytes.capacity(), used + Block));
        bytes.resize(used + Block);
        const ssize_t got = ::read(fd, bytes.data() + used, size_t(Block));
        if (got < 0 && errno == EINTR) {
            bytes.resize(used);
            continue;
        }
        if (got < 0)
            return fail(QString::fromLocal8Bit(std::strerror(errno)));
        bytes.resize(used + got);
        if (got == 0)
            return true;
        if (bytes.size() > limits.maxBytes)
            return fail(tooLarge);
    }
#else
    QFile file;
    if (standardInput) {
        if (!file.open(0, QIODevice::ReadOnly, QFileDevice::DontCloseHandle))
            return fail(file.errorString());
    } else {
        if (!info.isFile())
            return fail(notAFile);
        file.setFileName(path);
        if (!file.open(QIODevice::ReadOnly))
            return fail(file.errorString());
    }
    QByteArray chunk(1 << 20, Qt::Uninitialized);
    for (;;) {
        const qint64 got = file.read(chunk.data(), chunk.size());
        if (got < 0)
            return fail(file.errorString());
        if (got == 0)
            return true;
        if (bytes.size() + got > limits.maxBytes)
            return fail(tooLarge);
        bytes.append(chunk.constData(), got);
    }
#endif
}

bool tsFile::LoadTextFile(QString& holder, const QString& path, QString* error, Links links) const
{
    holder.clear();
    QByteArray bytes;
    if (!LoadBytes(bytes, path, ReadLimits{MaxReadBytes, links, false}, error))
        return false;
    holder = decodeText(bytes);
    return true;
}

bool tsFile::LoadListFile(HolderList& list, const QString& path, QString* error, Links links) const
{
    QByteArray bytes;
    if (!LoadBytes(bytes, path, ReadLimits{MaxReadBytes, links, false}, error))
        return false;
    list.items.append(splitFileLines(decodeText(bytes)));
    return true;
}

bool tsFile::SaveTextFile(const QString& text, const QString& path, QString* error) const
{
    // A text that begins with U+FEFF gets a byte-order mark in front, or
    // reading the file back would take that character for the mark.
    const QByteArray bytes =
        (text.startsWith(QChar(0xFEFF)) ? QByteArrayLiteral("\xEF\xBB\xBF") : QByteArray())
        + text.toUtf8();
    return FileOutput::write(path, bytes, FileOutput::Links::Replace, error);
}

bool tsFile::DeleteFile(const QString& path, QString* error) const
{
    QFile file(path);
    if (!QFileInfo(path).isFile()) {
        if (error)
            *error = QStringLiteral("there is no such file");
        return false;
    }
    if (!file.remove()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}
