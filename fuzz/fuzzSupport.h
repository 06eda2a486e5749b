#pragma once

// Shared by the fuzz targets: reading texts out of the fuzzer's bytes, plain
// reference versions of the operations under test, and a check that stops the
// run with a readable report.

#include <QString>
#include <QStringList>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace fuzz {

// The fuzzer's bytes, consumed from the front. Reads past the end give zeros,
// so every input, however short, describes a complete case.
class Input
{
public:
    Input(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}

    bool atEnd() const { return m_pos >= m_size; }

    uint8_t byte() { return m_pos < m_size ? m_data[m_pos++] : 0; }

    // A text of up to `maxPieces` pieces. Each byte picks one piece from
    // `pieces`, except bytes from 0xF8 up: with the next two bytes they make
    // one arbitrary UTF-16 code unit (lone surrogates included).
    QString text(const std::vector<QString>& pieces, size_t maxPieces)
    {
        const size_t count = byte() % (maxPieces + 1);
        QString out;
        for (size_t i = 0; i < count && !atEnd(); ++i) {
            const uint8_t b = byte();
            if (b >= 0xF8) {
                const auto high = static_cast<char16_t>(byte());
                const auto low = static_cast<char16_t>(byte());
                out += QChar(static_cast<char16_t>((high << 8) | low));
            } else {
                out += pieces[b % pieces.size()];
            }
        }
        return out;
    }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_pos = 0;
};

// The text with everything outside printable ASCII shown as \uXXXX, cut to a
// readable length.
inline std::string shown(const QString& text)
{
    std::string out = "\"";
    const qsizetype limit = 400;
    for (qsizetype i = 0; i < text.size() && i < limit; ++i) {
        const char16_t c = text.at(i).unicode();
        if (c >= 0x20 && c < 0x7F && c != u'\\' && c != u'"') {
            out += static_cast<char>(c);
        } else {
            char buffer[8];
            std::snprintf(buffer, sizeof buffer, "\\u%04X", static_cast<unsigned>(c));
            out += buffer;
        }
    }
    if (text.size() > limit)
        out += "...(" + std::to_string(text.size()) + " characters)";
    return out + "\"";
}

inline std::string shown(const QStringList& list)
{
    std::string out = "[";
    for (qsizetype i = 0; i < list.size(); ++i)
        out += (i ? ", " : "") + shown(list.at(i));
    return out + "]";
}

[[noreturn]] inline void fail(const char* what, const char* file, int line,
                              std::initializer_list<std::pair<const char*, std::string>> details)
{
    std::fprintf(stderr, "\n%s:%d: check failed: %s\n", file, line, what);
    for (const auto& [name, value] : details)
        std::fprintf(stderr, "  %s = %s\n", name, value.c_str());
    std::fflush(stderr);
    std::abort();
}

// FUZZ_CHECK(condition, {"name", shown(value)}, ...)
#define FUZZ_CHECK(condition, ...)                                                                 \
    do {                                                                                           \
        if (!(condition))                                                                          \
            ::fuzz::fail(#condition, __FILE__, __LINE__, {__VA_ARGS__});                           \
    } while (false)

// True when `text` holds `part` at `at`, compared code unit by code unit.
inline bool holdsAt(const QString& text, qsizetype at, const QString& part)
{
    if (at + part.size() > text.size())
        return false;
    for (qsizetype j = 0; j < part.size(); ++j) {
        if (text.at(at + j) != part.at(j))
            return false;
    }
    return true;
}

// Replacement as the program's callers expect it, written the plain way:
// scan from the left; where the search text starts, emit the replacement and
// jump past the match; otherwise copy one character. An empty search text
// finds nothing.
inline QString referenceReplace(const QString& text, const QString& search,
                                const QString& replacement)
{
    if (search.isEmpty())
        return text;
    QString out;
    qsizetype i = 0;
    while (i < text.size()) {
        if (holdsAt(text, i, search)) {
            out += replacement;
            i += search.size();
        } else {
            out += text.at(i);
            ++i;
        }
    }
    return out;
}

// Pieces of a text between line breaks (CR LF, LF, CR, and with
// `unicodeBreaks` also U+2028 and U+2029), each without its break. A text that
// ends with a break has no empty piece after it.
inline QStringList referenceLines(const QString& text, bool unicodeBreaks = false)
{
    QStringList lines;
    QString current;
    qsizetype i = 0;
    bool open = false;
    while (i < text.size()) {
        const QChar c = text.at(i);
        const bool separator = c == QChar::LineSeparator || c == QChar::ParagraphSeparator;
        if (c == u'\r' || c == u'\n' || (unicodeBreaks && separator)) {
            lines.append(current);
            current.clear();
            open = false;
            i += (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n') ? 2 : 1;
        } else {
            current += c;
            open = true;
            ++i;
        }
    }
    if (open)
        lines.append(current);
    return lines;
}

inline bool hasLoneSurrogate(const QString& text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            ++i;
            continue;
        }
        if (c.isSurrogate())
            return true;
    }
    return false;
}

} // namespace fuzz
