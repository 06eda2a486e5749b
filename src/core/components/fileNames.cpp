#include "fileNames.h"

#include <QStringList>

namespace {

bool isKept(char32_t c)
{
    switch (QChar::category(c)) {
    case QChar::Letter_Uppercase:
    case QChar::Letter_Lowercase:
    case QChar::Letter_Titlecase:
    case QChar::Letter_Modifier:
    case QChar::Letter_Other:
    case QChar::Mark_NonSpacing:
    case QChar::Mark_SpacingCombining:
    case QChar::Mark_Enclosing:
    case QChar::Number_DecimalDigit:
        return true;
    default:
        return false;
    }
}

qsizetype utf8Bytes(char32_t c)
{
    return c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
}

} // namespace

namespace FileNames {

bool isWindowsReservedCharacter(char16_t c)
{
    return QStringView(u":*?\"<>|").contains(QChar(c));
}

bool isWindowsDeviceName(const QString& name)
{
    QString stem = name.section(u'.', 0, 0);
    while (stem.endsWith(u' '))
        stem.chop(1);
    stem = stem.toUpper();
    static const QStringList plain = {QStringLiteral("CON"),    QStringLiteral("PRN"),
                                      QStringLiteral("AUX"),    QStringLiteral("NUL"),
                                      QStringLiteral("CONIN$"), QStringLiteral("CONOUT$")};
    if (plain.contains(stem))
        return true;
    if (stem.size() == 4
        && (stem.startsWith(QStringLiteral("COM")) || stem.startsWith(QStringLiteral("LPT"))))
        return (stem.at(3) >= u'1' && stem.at(3) <= u'9')
               || QStringLiteral("\u00B9\u00B2\u00B3").contains(stem.at(3));
    return false;
}

QString slugOf(const QString& source, qsizetype maxChars, qsizetype maxBytes)
{
    const QString text = source.normalized(QString::NormalizationForm_C).toLower();
    QString name;
    qsizetype chars = 0;
    qsizetype bytes = 0;
    bool gap = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t c = text.at(i).unicode();
        const bool pair =
            text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate();
        if (pair)
            c = QChar::surrogateToUcs4(text.at(i), text.at(i + 1));
        if (!isKept(c)) {
            gap = !name.isEmpty();
        } else {
            // The "-" goes in only with the character after it, so a cut
            // never leaves one at the end.
            const qsizetype dash = gap ? 1 : 0;
            if (chars + dash + 1 > maxChars || bytes + dash + utf8Bytes(c) > maxBytes)
                break;
            if (gap)
                name += u'-';
            name += pair ? text.sliced(i, 2) : text.sliced(i, 1);
            chars += dash + 1;
            bytes += dash + utf8Bytes(c);
            gap = false;
        }
        i += pair ? 1 : 0;
    }
    return name;
}

} // namespace FileNames
