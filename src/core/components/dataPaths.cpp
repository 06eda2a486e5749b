#include "dataPaths.h"

#include <QCoreApplication>
#include <QDir>

DataPaths::DataPaths(QString programFolder)
    : m_programFolder(std::move(programFolder))
{
    while (m_programFolder.size() > 1 && m_programFolder.endsWith(u'/'))
        m_programFolder.chop(1);
}

QString DataPaths::applicationFolder()
{
    return QCoreApplication::applicationDirPath();
}

// Qt takes '/' as the separator on every platform, Windows included.
QString DataPaths::topicTemplate() const
{
    return m_programFolder + QStringLiteral("/templates/topic.txt");
}

QString DataPaths::angleTemplate() const
{
    return m_programFolder + QStringLiteral("/templates/topic-angle.txt");
}

QString DataPaths::productsFolder() const
{
    return m_programFolder + QStringLiteral("/products/");
}

QString DataPaths::recordFile(const QString& recordName) const
{
    return productsFolder() + recordName + QStringLiteral(".txt");
}

QString DataPaths::forDisplay(const QString& path)
{
    return QDir::toNativeSeparators(path);
}
