#pragma once

#include <QByteArray>
#include <QString>

// The file of one article, written so that it is either whole or not there:
// the bytes go to a new temporary file beside it, hidden by its leading dot,
// reach the disk, and only then does it take the article's name. The
// temporary file is created like any new file (the umask applies, not the
// owner-only mode of QTemporaryFile). A failure leaves neither file.
namespace ArticleFile {

bool write(const QString& path, const QByteArray& bytes, QString& error);

} // namespace ArticleFile
