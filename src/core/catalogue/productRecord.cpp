#include "productRecord.h"

#include "components/fileNames.h"
#include "components/lineScan.h"

#include <QStringList>

#include <algorithm>

QString ProductRecord::fileText() const
{
    using ProductRecords::singleLine;
    return singleLine(name) + QStringLiteral("\r\n") + singleLine(format) + QStringLiteral("\r\n")
           + singleLine(description) + rest;
}

std::optional<ProductRecord> ProductRecord::fromText(const QString& text)
{
    QStringList lines;
    qsizetype end = 0;
    forEachLine(text, [&](const QChar* start, qsizetype length) {
        if (lines.size() < 3) {
            lines.append(QString(start, length));
            end = start - text.constData() + length;
        }
    });
    if (lines.size() < 3)
        return std::nullopt;
    return ProductRecord{lines[0], lines[1], lines[2], text.sliced(end)};
}

namespace ProductRecords {

QString singleLine(const QString& text)
{
    QString result;
    result.reserve(text.size());
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = text.at(i);
        if (c == u'\r' || c == u'\n' || c == QChar::LineSeparator
            || c == QChar::ParagraphSeparator) {
            if (c == u'\r' && i + 1 < size && text.at(i + 1) == u'\n')
                ++i;
            result += u' ';
        } else {
            result += c;
        }
    }
    return result;
}

QString recordNameOf(const QString& fileName)
{
    if (fileName.endsWith(Extension, Qt::CaseInsensitive))
        return fileName.chopped(Extension.size());
    return fileName;
}

namespace {

bool isUnsafeCharacter(char16_t u)
{
    if (u < 0x20 || u == 0x7F || u == u'/' || u == u'\\')
        return true;
#ifdef Q_OS_WIN
    return FileNames::isWindowsReservedCharacter(u);
#else
    return false;
#endif
}

} // namespace

bool staysInFolder(const QString& name)
{
    return !name.contains(u'/') && !name.contains(u'\\') && !name.contains(QChar(0));
}

NameCheck checkNewRecordName(const QString& name)
{
    if (name.isEmpty())
        return NameCheck::Empty;
    // A lone surrogate has no form on disk: the file would get another name.
    if (!QStringView(name).isValidUtf16() || std::any_of(name.begin(), name.end(), [](QChar c) {
            return isUnsafeCharacter(c.unicode());
        }))
        return NameCheck::Unusable;
#ifdef Q_OS_WIN
    if (FileNames::isWindowsDeviceName(name))
        return NameCheck::Unusable;
#endif
    return NameCheck::Ok;
}

} // namespace ProductRecords
