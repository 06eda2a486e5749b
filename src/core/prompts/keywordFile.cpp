#include "keywordFile.h"

#include "components/lineScan.h"
#include "components/tsFile.h"

#include <QStringDecoder>

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

// Takes decoded text in pieces cut anywhere and gives the keywords; the same
// keywords whatever the pieces.
class KeywordParser
{
public:
    explicit KeywordParser(QStringList& keywords)
        : m_keywords(keywords)
    {
    }

    void feed(QStringView text)
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

    void finish()
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

private:
    enum class Phase
    {
        Searching,
        Plain,
        Table
    };

    // The number of complete non-empty lines in the head, up to the search's.
    qsizetype completeLines(bool all) const
    {
        qsizetype lines = 0;
        forEachLine<true>(m_head, [&](const QChar* start, qsizetype length) {
            const bool complete = all || start + length < m_head.constEnd();
            lines += complete && length > 0 ? 1 : 0;
        });
        return lines;
    }

    void decide(bool all)
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
    void feedPlain(QStringView text)
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
    void feedTable(QStringView text)
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

    void take(const QChar* from, const QChar* to)
    {
        if (m_cellIndex == m_column)
            m_cell.append(from, to - from);
    }

    // Quoted text: each line break in it (CR LF counts as one) becomes a blank.
    void takeQuoted(const QChar* from, const QChar* to)
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

    void endCell()
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

    void endRow()
    {
        endCell();
        m_cellIndex = 0;
        m_rowStart = true;
    }

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

// UTF-16 without a byte-order mark: NUL bytes on one side of most pairs, as
// the high byte of Latin text.
std::optional<tsFile::Encoding> unmarkedUtf16(QByteArrayView bytes)
{
    const QByteArrayView sample = bytes.first(std::min<qsizetype>(bytes.size(), 4096) & ~1);
    qsizetype even = 0, odd = 0;
    for (qsizetype i = 0; i < sample.size(); i += 2) {
        even += sample[i] == 0 ? 1 : 0;
        odd += sample[i + 1] == 0 ? 1 : 0;
    }
    const qsizetype pairs = sample.size() / 2;
    if (odd > 0 && odd * 4 >= pairs && even * 4 <= odd)
        return tsFile::Encoding::Utf16LE;
    if (even > 0 && even * 4 >= pairs && odd * 4 <= even)
        return tsFile::Encoding::Utf16BE;
    return std::nullopt;
}

// The keywords of `bytes` in `keywords`; with `take`, handed to it a block's
// worth at a time.
bool parse(QByteArrayView bytes, QStringList& keywords, QString* error, qsizetype blockBytes,
           const KeywordFile::Take* take)
{
    keywords.clear();
    qsizetype mark = 0;
    tsFile::Encoding encoding = tsFile::encodingOf(bytes, &mark);
    if (mark == 0)
        encoding = unmarkedUtf16(bytes).value_or(encoding);
    bytes = bytes.sliced(mark);
    const bool utf16 =
        encoding == tsFile::Encoding::Utf16LE || encoding == tsFile::Encoding::Utf16BE;
    // UTF-16 is cut between code units; UTF-8 anywhere, as its decoder keeps
    // what a cut sequence began.
    blockBytes = std::max<qsizetype>(utf16 ? blockBytes & ~1 : blockBytes, 2);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
    KeywordParser parser(keywords);
    const auto handOver = [&] {
        if (take && !keywords.isEmpty()) {
            (*take)(keywords);
            keywords.clear();
        }
    };
    const qsizetype end = utf16 ? bytes.size() & ~1 : bytes.size();
    for (qsizetype at = 0; at < end; at += blockBytes) {
        const QByteArrayView block = bytes.sliced(at, std::min(blockBytes, end - at));
        const QString text = encoding == tsFile::Encoding::Utf8
                                 ? QString(utf8.decode(block))
                                 : tsFile::decodeText(block, encoding);
        if (text.contains(QChar(0))) {
            keywords.clear();
            if (error)
                *error = QStringLiteral("it is not a text file");
            return false;
        }
        parser.feed(text);
        handOver();
    }
    // A last byte that makes no UTF-16 unit reads as U+FFFD, as when decoded whole.
    if (utf16 && bytes.size() % 2 != 0)
        parser.feed(QString(QChar::ReplacementCharacter));
    parser.finish();
    handOver();
    return true;
}

// A keyword file's bytes: a regular file, a pipe or standard input, bounded.
bool loadBytes(const tsFile& files, const QString& path, QByteArray& bytes, QString* error)
{
    using Limits = tsFile::ReadLimits;
    return files.LoadBytes(bytes, path, Limits{KeywordFile::MaxBytes, tsFile::Links::Follow, true},
                           error);
}

} // namespace

namespace KeywordFile {

bool keywordsOf(QByteArrayView bytes, QStringList& keywords, QString* error, qsizetype blockBytes)
{
    return parse(bytes, keywords, error, blockBytes, nullptr);
}

bool read(const tsFile& files, const QString& path, QStringList& keywords, QString* error)
{
    QByteArray bytes;
    return loadBytes(files, path, bytes, error) && keywordsOf(bytes, keywords, error);
}

bool read(const tsFile& files, const QString& path, const Take& take, QString* error)
{
    QByteArray bytes;
    QStringList part;
    return loadBytes(files, path, bytes, error) && parse(bytes, part, error, BlockBytes, &take);
}

} // namespace KeywordFile
