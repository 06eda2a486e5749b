#include "articleNames.h"

#include <QStringList>

using namespace Qt::StringLiterals;

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

// Windows opens the device, not a file, for these names with any extension.
bool isDeviceName(const QString& name)
{
    static const QStringList devices{u"con"_s, u"prn"_s, u"aux"_s, u"nul"_s};
    if (devices.contains(name))
        return true;
    return name.size() == 4 && (name.startsWith(u"com") || name.startsWith(u"lpt"))
           && name.at(3) >= u'0' && name.at(3) <= u'9';
}

} // namespace

QString ArticleNames::baseName(const QString& keyword)
{
    const QString text = keyword.normalized(QString::NormalizationForm_C).toLower();
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
            if (chars + dash + 1 > MaxChars || bytes + dash + utf8Bytes(c) > MaxBytes)
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
    if (name.isEmpty())
        return u"article"_s;
    return isDeviceName(name) ? name + u'-' : name;
}

QString ArticleNames::take(const QString& keyword)
{
    const QString base = baseName(keyword);
    QString name = base;
    auto found = m_taken.find(base);
    if (found != m_taken.end()) {
        int number = found.value();
        do
            name = base + u'-' + QString::number(number++);
        while (m_taken.contains(name));
        found.value() = number;
    }
    m_taken.insert(name, 2);
    return name + u".md"_s;
}
