#pragma once

#include <QPlainTextEdit>

// The box of long-tail keywords, one per line. What is pasted or dropped into
// it is checked first: a text that would make a line far longer than a
// keyword, with the text around it, is refused with a message (laying the line
// out would freeze the window). A keyword file dropped on it (.txt, .csv, .tsv:
// a list or a keyword tool's export) adds its keywords as whole lines after the
// box's last line. Many lines pasted over all its text go in at once, as one
// undo step of their own.
class KeywordBox final : public QPlainTextEdit
{
    Q_OBJECT
public:
    using QPlainTextEdit::QPlainTextEdit;

protected:
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    void appendKeywordFiles(const QStringList& files);
};
