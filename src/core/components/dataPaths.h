#pragma once

#include <QString>

// Every path to the program's data files is built here, from the program
// folder: the folder that holds the running program, without a trailing
// separator.
class DataPaths
{
public:
    explicit DataPaths(QString programFolder);

    // The folder of the running program (QCoreApplication must exist).
    static QString applicationFolder();

    const QString& programFolder() const { return m_programFolder; }
    QString topicTemplate() const;
    QString angleTemplate() const;
    // The products folder, ending in a separator, as the listing expects.
    QString productsFolder() const;
    QString recordFile(const QString& recordName) const;

    // A path as the user's platform writes it, for messages.
    static QString forDisplay(const QString& path);

private:
    QString m_programFolder;
};
