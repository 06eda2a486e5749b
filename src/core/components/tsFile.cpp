#include "tsFile.h"

#include "lineScan.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

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
    QByteArrayView view(bytes);
    // A UTF-16 byte-order mark: the file was saved as Notepad's "Unicode".
    const bool utf16LE = view.startsWith("\xFF\xFE");
    if (utf16LE || view.startsWith("\xFE\xFF")) {
        QStringDecoder utf16(utf16LE ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE,
                             QStringDecoder::Flag::Stateless
                                 | QStringDecoder::Flag::ConvertInitialBom);
        return utf16.decode(view.sliced(2));
    }
    if (view.startsWith("\xEF\xBB\xBF"))
        view = view.sliced(3);
    // The decoder is told to keep a byte-order mark: the one the file starts
    // with is gone already, and a second one is part of the text.
    QStringDecoder utf8(QStringDecoder::Utf8,
                        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    QString text = utf8.decode(view);
    if (!utf8.hasError())
        return text;
    return decodeWindows1252(view);
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
    QDir::Filters filters = QDir::Files | QDir::Hidden;
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
    return QFileInfo::exists(path);
}

bool tsFile::readFile(const QString& path, QByteArray& bytes, QString* error) const
{
    auto fail = [&](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    const QFileInfo info(path);
    if (!info.exists())
        return fail(QStringLiteral("the file does not exist"));
    if (!info.isFile())
        return fail(QStringLiteral("it is not a file"));
    if (info.size() > MaxReadBytes)
        return fail(QStringLiteral("the file is larger than %1 MB").arg(MaxReadBytes >> 20));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(file.errorString());
    bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return fail(file.errorString());
    return true;
}

bool tsFile::LoadTextFile(QString& holder, const QString& path, QString* error) const
{
    holder.clear();
    QByteArray bytes;
    if (!readFile(path, bytes, error))
        return false;
    holder = decodeText(bytes);
    return true;
}

bool tsFile::LoadListFile(HolderList& list, const QString& path, QString* error) const
{
    QByteArray bytes;
    if (!readFile(path, bytes, error))
        return false;
    list.items.append(splitFileLines(decodeText(bytes)));
    return true;
}

bool tsFile::SaveTextFile(const QString& text, const QString& path, QString* error) const
{
    QSaveFile file(path);
    // A text that begins with U+FEFF gets a byte-order mark in front, or
    // reading the file back would take that character for the mark.
    const QByteArray bytes =
        (text.startsWith(QChar(0xFEFF)) ? QByteArrayLiteral("\xEF\xBB\xBF") : QByteArray())
        + text.toUtf8();
    // The buffered bytes are flushed here, not left to commit(): commit() does
    // not notice a flush that wrote only part of them (a full disk, a file
    // size limit) and would put the cut-off file in place of the old one.
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.flush()
        || !file.commit()) {
        if (error)
            *error = file.errorString();
        file.cancelWriting();
        return false;
    }
    return true;
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
