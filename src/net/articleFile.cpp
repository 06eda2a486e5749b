#include "articleFile.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <filesystem>
#include <system_error>

#include <cerrno>
#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

using namespace Qt::StringLiterals;

namespace ArticleFile {

bool write(const QString& path, const QByteArray& bytes, QString& error)
{
    const QFileInfo target(path);
    QFile file;
    // NewOnly: never into a file that is there, even one made a moment ago.
    for (int tries = 1; !file.isOpen(); ++tries) {
        file.setFileName(target.absolutePath() + u"/."_s + target.fileName() + u'.'
                         + QString::number(QRandomGenerator::global()->generate(), 36)
                         + u".part"_s);
        if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)
            && (tries == 8 || !file.exists())) {
            error = file.errorString();
            return false;
        }
    }
    QString why;
    if (file.write(bytes) != bytes.size() || !file.flush())
        why = file.errorString();
#ifdef Q_OS_UNIX
    else if (::fsync(file.handle()) != 0)
        why = qt_error_string(errno);
#endif
    // Windows renames no file that is still open.
    file.close();
    if (why.isEmpty()) {
        std::error_code failure;
        std::filesystem::rename(std::filesystem::path(file.fileName().toStdU16String()),
                                std::filesystem::path(path.toStdU16String()), failure);
        if (!failure)
            return true;
        why = QString::fromStdString(failure.message());
    }
    file.remove();
    error = why;
    return false;
}

} // namespace ArticleFile
