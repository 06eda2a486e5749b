#include "articleNames.h"

#include "components/fileNames.h"

#include <QStringList>

using namespace Qt::StringLiterals;

QString ArticleNames::baseName(const QString& keyword)
{
    const QString name = FileNames::slugOf(keyword, MaxChars, MaxBytes);
    if (name.isEmpty())
        return u"article"_s;
    return FileNames::isWindowsDeviceName(name) ? name + u'-' : name;
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
