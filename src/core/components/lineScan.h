#pragma once

#include <QString>

// Calls `line(const QChar* start, qsizetype length)` for each line of `text`.
// Lines end at CR LF, at a lone LF or at a lone CR, and with `unicodeBreaks`
// also at U+2028 and U+2029, the line and paragraph separators of Qt's text
// boxes. A final line break does not start another line, so "a\r\n" has the
// single line "a".
template <bool unicodeBreaks = false, typename LineFn>
void forEachLine(const QString& text, LineFn&& line)
{
    const QChar* const data = text.constData();
    const qsizetype size = text.size();
    qsizetype start = 0;
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t c = data[i].unicode();
        if (c != u'\n' && c != u'\r' && (!unicodeBreaks || (c != u'\u2028' && c != u'\u2029')))
            continue;
        line(data + start, i - start);
        if (c == u'\r' && i + 1 < size && data[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < size)
        line(data + start, size - start);
}
