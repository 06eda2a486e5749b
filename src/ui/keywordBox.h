#pragma once

#include <QPlainTextEdit>

// The box of long-tail keywords, one per line.
class KeywordBox final : public QPlainTextEdit
{
    Q_OBJECT
public:
    using QPlainTextEdit::QPlainTextEdit;
};
