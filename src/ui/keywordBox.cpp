#include "keywordBox.h"

#include "components/tsFile.h"
#include "modGeneral.h"
#include "prompts/batchRules.h"

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
        if (!url.isLocalFile() || (suffix != u"txt" && suffix != u"csv"))
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
    const auto refuse = [this](const Refusal& refusal) {
        modGeneral::MsgBox(this, refusal.text, modGeneral::vbInfoOk, refusal.title);
    };
    QString text;
    const QStringList files = textFiles(source);
    if (files.isEmpty())
        text = source->text();
    for (const QString& file : files) {
        QString content, why;
        if (!tsFile().LoadTextFile(content, file, &why))
            return refuse(BatchRules::unreadableFile(QDir::toNativeSeparators(file), why));
        if (!text.isEmpty() && !text.endsWith(u'\n') && !text.endsWith(u'\r'))
            text += u'\n';
        text += content;
    }
    // The lines the text joins: the selection's first and last, or the cursor's.
    const QTextCursor cursor = textCursor();
    const QTextBlock first = document()->findBlock(cursor.selectionStart());
    const QTextBlock last = document()->findBlock(cursor.selectionEnd());
    if (const Verdict refusal = BatchRules::checkPastedText(
            text, first.text().left(cursor.selectionStart() - first.position()),
            last.text().mid(cursor.selectionEnd() - last.position())))
        return refuse(*refusal);
    insertPlainText(text);
}
