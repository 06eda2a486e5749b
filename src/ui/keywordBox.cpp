#include "keywordBox.h"

#include "components/tsFile.h"
#include "modGeneral.h"
#include "prompts/batchRules.h"
#include "prompts/keywordFile.h"

#include <QAbstractUndoItem>
#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMimeData>
#include <QTextBlock>
#include <QUrl>

#include <utility>

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

// A paste of this many lines or more, with the lines it replaces, over the whole text (an empty
// box, or all of it selected) goes in without the document's own undo records, two a line, which
// take a seventh of its time, and clears the old text at once rather than line by line. It is
// then one undo step of its own, and the steps before it are forgotten; a smaller paste keeps them.
constexpr qsizetype ManyLines = 10'000;

// The undo step of such a paste: it puts back the whole text before it, or the pasted text.
class WholeTextStep final : public QAbstractUndoItem
{
public:
    WholeTextStep(QTextDocument* document, QString before, QString pasted)
        : m_document(document)
        , m_before(std::move(before))
        , m_pasted(std::move(pasted))
    {
    }
    void undo() override { setText(m_before); }
    void redo() override { setText(m_pasted); }

private:
    // The document records nothing while it undoes or redoes a step.
    void setText(const QString& text) const
    {
        QTextCursor cursor(m_document);
        cursor.select(QTextCursor::Document);
        cursor.insertText(text);
    }
    QTextDocument* m_document;
    QString m_before, m_pasted;
};

void replaceWholeText(QPlainTextEdit& box, const QString& text)
{
    QTextDocument* const document = box.document();
    const QString before = document->toRawText();
    document->setUndoRedoEnabled(false); // this forgets the earlier steps as well
    document->clear();
    QTextCursor end(document);
    end.insertText(text); // as insertPlainText does
    document->setUndoRedoEnabled(true);
    document->appendUndoItem(new WholeTextStep(document, before, text));
    box.setTextCursor(end);
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
    // The lines the text joins: the selection's first and last, or the cursor's.
    const QTextCursor cursor = textCursor();
    const QTextBlock first = document()->findBlock(cursor.selectionStart());
    const QTextBlock last = document()->findBlock(cursor.selectionEnd());
    if (const Verdict refusal = BatchRules::checkPastedText(
            text, first.text().left(cursor.selectionStart() - first.position()),
            last.text().mid(cursor.selectionEnd() - last.position())))
        return modGeneral::Show(this, *refusal);
    // Only what comes from the clipboard: a drop goes in inside an undo step of its own.
    const QClipboard* const clipboard = QGuiApplication::clipboard();
    const bool pasted =
        source == clipboard->mimeData() || source == clipboard->mimeData(QClipboard::Selection);
    if (pasted && cursor.selectionStart() == 0
        && cursor.selectionEnd() == document()->characterCount() - 1
        && text.count(u'\n') + document()->blockCount() >= ManyLines)
        return replaceWholeText(*this, text);
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
