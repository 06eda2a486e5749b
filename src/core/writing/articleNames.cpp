#include "articleNames.h"

#include "components/fileNames.h"

#include <QStringList>

using namespace Qt::StringLiterals;

namespace {

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
    const QString name = FileNames::slugOf(keyword, MaxChars, MaxBytes);
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
