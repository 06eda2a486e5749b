#include "keywordParser.h"

#include "components/lineScan.h"

#include <algorithm>
#include <array>
#include <optional>

namespace {

constexpr qsizetype HeaderSearchLines = 10;
// Past this much text the header is looked for in the complete lines so far.
constexpr qsizetype HeaderSearchChars = qsizetype(1) << 20;

bool isLineBreak(char16_t c)
{
    return c == u'\n' || c == u'\r' || c == 0x2028 || c == 0x2029;
}

QChar separatorOf(QStringView line)
{
    return line.contains(u'\t') ? QChar(u'\t') : line.contains(u';') ? QChar(u';') : QChar(u',');
}

// The cells of one line, without their quotes.
QStringList cellsOf(QStringView line, QChar separator)
{
    QStringList cells(1);
    bool quoted = false;
    bool cellStart = true;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (quoted) {
            if (c != u'"')
                cells.last() += c;
            else if (i + 1 < line.size() && line[i + 1] == u'"')
                cells.last() += line[++i];
            else
                quoted = false;
        } else if (c == separator) {
            cells.append(QString());
            cellStart = true;
            continue;
        } else if (c == u'"' && cellStart) {
            quoted = true;
        } else {
            cells.last() += c;
        }
        cellStart = false;
    }
    return cells;
}

bool isKeywordHeading(QStringView cell)
{
    static const std::array<QString, 6> names = {
        QStringLiteral("keyword"),     QStringLiteral("keywords"), QStringLiteral("keyword phrase"),
        QStringLiteral("search term"), QStringLiteral("query"),    QStringLiteral("top queries")};
    const QStringView trimmed = cell.trimmed();
    return std::any_of(names.begin(), names.end(), [trimmed](const QString& name) {
        return trimmed.compare(name, Qt::CaseInsensitive) == 0;
    });
}

} // namespace

KeywordParser::KeywordParser(QStringList& keywords)
    : m_keywords(keywords)
{
}

void KeywordParser::feed(QStringView text)
{
    switch (m_phase) {
    case Phase::Searching:
        m_head += text;
        if (m_head.size() >= HeaderSearchChars || completeLines(false) >= HeaderSearchLines)
            decide(false);
        return;
    case Phase::Plain:
        return feedPlain(text);
    case Phase::Table:
        return feedTable(text);
    }
}

void KeywordParser::finish()
{
    if (m_phase == Phase::Searching)
        decide(true);
    if (m_phase == Phase::Plain && !m_line.isEmpty())
        m_keywords.append(std::exchange(m_line, QString()));
    if (m_phase == Phase::Table) {
        m_quoted = m_closing = false;
        if (!m_rowStart)
            endRow();
    }
}

// The number of complete non-empty lines in the head, up to the search's.
qsizetype KeywordParser::completeLines(bool all) const
{
    qsizetype lines = 0;
    forEachLine<true>(m_head, [&](const QChar* start, qsizetype length) {
        const bool complete = all || start + length < m_head.constEnd();
        lines += complete && length > 0 ? 1 : 0;
    });
    return lines;
}

void KeywordParser::decide(bool all)
{
    const QString head = std::exchange(m_head, QString());
    qsizetype seen = 0;
    std::optional<qsizetype> after; // where the rows below the header begin
    forEachLine<true>(head, [&](const QChar* start, qsizetype length) {
        const bool complete = all || start + length < head.constEnd();
        if (after || length == 0 || !complete || seen++ >= HeaderSearchLines)
            return;
        const QStringView line(start, length);
        const QChar separator = separatorOf(line);
        const QStringList cells = cellsOf(line, separator);
        for (qsizetype i = 0; i < cells.size(); ++i) {
            if (isKeywordHeading(cells[i])) {
                m_separator = separator;
                m_column = i;
                after = start + length - head.constData();
                return;
            }
        }
    });
    if (after) {
        m_phase = Phase::Table;
        feedTable(QStringView(head).sliced(*after));
    } else {
        m_phase = Phase::Plain;
        feedPlain(head);
    }
}

// A plain list: each line a keyword, the last one carried to the next piece.
void KeywordParser::feedPlain(QStringView text)
{
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!isLineBreak(text[i].unicode()))
            continue;
        if (!m_line.isEmpty()) {
            m_line += text.sliced(start, i - start);
            m_keywords.append(std::exchange(m_line, QString()));
        } else if (i > start) {
            m_keywords.append(text.sliced(start, i - start).toString());
        }
        start = i + 1;
    }
    m_line += text.sliced(start);
}

// Rows of cells with RFC 4180 quoting; a quoted cell may hold line breaks.
void KeywordParser::feedTable(QStringView text)
{
    const QChar* p = text.begin();
    const QChar* const end = text.end();
    while (p < end) {
        if (m_closing) {
            m_closing = false;
            if (*p == u'"') { // a doubled quote inside a quoted cell
                take(p, p + 1);
                ++p;
                continue;
            }
            m_quoted = false;
        }
        if (m_quoted) {
            const QChar* q = p;
            while (q < end && *q != u'"')
                ++q;
            takeQuoted(p, q);
            if (q < end) {
                m_closing = true;
                ++q;
            }
            p = q;
            continue;
        }
        const QChar c = *p;
        if (c == m_separator) {
            endCell();
            ++p;
        } else if (isLineBreak(c.unicode())) {
            endRow();
            ++p;
        } else if (c == u'"' && m_cellStart) {
            m_quoted = true;
            m_cellStart = m_rowStart = false;
            m_brokeAtCr = false;
            ++p;
        } else {
            const QChar* q = p;
            while (q < end && *q != m_separator && !isLineBreak(q->unicode()))
                ++q;
            take(p, q);
            m_cellStart = m_rowStart = false;
            p = q;
        }
    }
}

void KeywordParser::take(const QChar* from, const QChar* to)
{
    if (m_cellIndex == m_column)
        m_cell.append(from, to - from);
}

// Quoted text: each line break in it (CR LF counts as one) becomes a blank.
void KeywordParser::takeQuoted(const QChar* from, const QChar* to)
{
    if (m_cellIndex != m_column)
        return;
    for (const QChar* c = from; c < to; ++c) {
        const char16_t u = c->unicode();
        if (u == u'\n' && m_brokeAtCr) {
            m_brokeAtCr = false;
            continue;
        }
        m_brokeAtCr = u == u'\r';
        m_cell += isLineBreak(u) ? QChar(u' ') : *c;
    }
}

void KeywordParser::endCell()
{
    if (m_cellIndex == m_column) {
        const QStringView keyword = QStringView(m_cell).trimmed();
        if (!keyword.isEmpty())
            m_keywords.append(keyword.toString());
        m_cell.truncate(0);
    }
    ++m_cellIndex;
    m_cellStart = true;
    m_rowStart = false;
}

void KeywordParser::endRow()
{
    endCell();
    m_cellIndex = 0;
    m_rowStart = true;
}
