#pragma once

#include <QString>
#include <QStringList>

// Takes a keyword file's decoded text in pieces cut anywhere and appends its
// keywords, the same whatever the pieces: a keyword tool's table by its
// keyword column, else a line a keyword (the rules are in keywordFile.h).
class KeywordParser
{
public:
    explicit KeywordParser(QStringList& keywords);
    void feed(QStringView text);
    // After the last piece: the last line's keyword, or the last row's.
    void finish();

private:
    enum class Phase
    {
        Searching,
        Plain,
        Table
    };

    // The number of complete non-empty lines in the head, up to the search's.
    qsizetype completeLines(bool all) const;
    // Finds the header among the head's lines, or rules it out, and parses the head.
    void decide(bool all);
    // A plain list: each line a keyword, the last one carried to the next piece.
    void feedPlain(QStringView text);
    // Rows of cells with RFC 4180 quoting; a quoted cell may hold line breaks.
    void feedTable(QStringView text);
    void take(const QChar* from, const QChar* to);
    // Quoted text: each line break in it (CR LF counts as one) becomes a blank.
    void takeQuoted(const QChar* from, const QChar* to);
    void endCell();
    void endRow();

    QStringList& m_keywords;
    Phase m_phase = Phase::Searching;
    QString m_head; // the text before the header is found or ruled out
    QString m_line; // a plain list's line, begun in an earlier piece
    QChar m_separator;
    qsizetype m_column = 0;
    qsizetype m_cellIndex = 0;
    QString m_cell;
    bool m_cellStart = true;
    bool m_rowStart = true;
    bool m_quoted = false;
    bool m_closing = false;   // a quote was seen inside a quoted cell
    bool m_brokeAtCr = false; // the quoted text's last character was a CR
};
