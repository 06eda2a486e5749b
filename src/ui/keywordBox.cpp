#include "keywordBox.h"

#include "components/tsFile.h"
#include "modGeneral.h"
#include "prompts/batchRules.h"
#include "prompts/keywordFile.h"

#include <QDir>
#include <QFileInfo>
#include <QMimeData>
#include <QTextBlock>
#include <QUrl>

namespace {

// The local text files among the dropped addresses, or nothing when any
// address is something else.
QStringList textFiles(const QMimeData* source)
{
    QStringList files;
    for (const QUrl& url : source->urls()) {
        const QString suffix = QFileInfo(url.toLocalFile()).suffix().toLower();
        if (!url.isLocalFile() || (suffix != u"txt" && suffix != u"csv" && suffix != u"tsv"))
            return QStringList();
        files.append(url.toLocalFile());
    }
    return files;
}

} // namespace

bool KeywordBox::canInsertFromMimeData(const QMimeData* source) const
{
    return !textFiles(source).isEmpty() || QPlainTextEdit::canInsertFromMimeData(source);
}

void KeywordBox::insertFromMimeData(const QMimeData* source)
{
    const QStringList files = textFiles(source);
    if (!files.isEmpty())
        return appendKeywordFiles(files);
    const QString text = source->text();
    if (const Verdict refusal = BatchRules::checkPastedText(text))
        return modGeneral::Show(this, *refusal);
    insertPlainText(text);
}

void KeywordBox::appendKeywordFiles(const QStringList& files)
{
    QStringList keywords;
    for (const QString& file : files) {
        QStringList found;
        QString why;
        if (!KeywordFile::read(tsFile(), file, found, &why))
            return modGeneral::Show(
                this, BatchRules::unreadableFile(QDir::toNativeSeparators(file), why));
        keywords += found;
    }
    QString text = keywords.join(u'\n');
    if (const Verdict refusal = BatchRules::checkPastedText(text))
        return modGeneral::Show(this, *refusal);
    // Whole lines after the last one, never into a line.
    if (!document()->lastBlock().text().isEmpty())
        text.prepend(u'\n');
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(text);
    setTextCursor(cursor);
    ensureCursorVisible();
}
