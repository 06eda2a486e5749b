#pragma once

#include "promptComposer.h"

#include <QByteArray>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include <vector>

// The ASCII characters that a format writes in a way of its own: the control
// characters (with `controls`) and `specials`. Every other ASCII character is
// copied as it is.
template <bool controls, char16_t... specials> struct AsciiSpecials
{
    static constexpr bool has(char16_t u)
    {
        return (controls && u < 0x20) || ((u == specials) || ...);
    }
#ifdef __SSE2__
    // Whether all eight units of `v` are ASCII that is copied as it is.
    static bool allCopied(__m128i v)
    {
        __m128i other =
            _mm_cmpeq_epi16(_mm_and_si128(v, _mm_set1_epi16(short(0xFF80))), _mm_setzero_si128());
        other = _mm_xor_si128(other, _mm_set1_epi16(-1)); // beyond ASCII
        if constexpr (controls)
            other = _mm_or_si128(other, _mm_cmplt_epi16(v, _mm_set1_epi16(0x20)));
        ((other = _mm_or_si128(other, _mm_cmpeq_epi16(v, _mm_set1_epi16(short(specials))))), ...);
        return _mm_movemask_epi8(other) == 0;
    }
#endif
};

// Writes `text` at `out` as UTF-8 (a lone surrogate as U+FFFD) in one pass,
// and returns where it ends. Each ASCII character that `Specials` has goes to
// `escape(char16_t c, char*& out)`, which either writes it as the format needs
// and returns true, or returns false to have it written as it is. Every other
// character is written as it is, eight ASCII characters at a time where the
// processor can.
template <typename Specials, typename Escape>
char* putUtf8(char* out, QStringView text, Escape&& escape)
{
    const char16_t* p = text.utf16();
    const char16_t* const end = p + text.size();
    while (p < end) {
#ifdef __SSE2__
        if (end - p >= 8) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
            if (Specials::allCopied(v)) {
                _mm_storel_epi64(reinterpret_cast<__m128i*>(out), _mm_packus_epi16(v, v));
                p += 8;
                out += 8;
                continue;
            }
        }
#endif
        const char16_t u = *p++;
        if (u < 0x80) {
            if (!Specials::has(u) || !escape(u, out))
                *out++ = char(u);
        } else if (u < 0x800) {
            *out++ = char(0xC0 | (u >> 6));
            *out++ = char(0x80 | (u & 0x3F));
        } else if (!QChar::isSurrogate(u)) {
            *out++ = char(0xE0 | (u >> 12));
            *out++ = char(0x80 | ((u >> 6) & 0x3F));
            *out++ = char(0x80 | (u & 0x3F));
        } else if (QChar::isHighSurrogate(u) && p < end && QChar::isLowSurrogate(*p)) {
            const char32_t c = QChar::surrogateToUcs4(u, *p++);
            *out++ = char(0xF0 | (c >> 18));
            *out++ = char(0x80 | ((c >> 12) & 0x3F));
            *out++ = char(0x80 | ((c >> 6) & 0x3F));
            *out++ = char(0x80 | (c & 0x3F));
        } else {
            *out++ = char(0xEF); // U+FFFD
            *out++ = char(0xBF);
            *out++ = char(0xBD);
        }
    }
    return out;
}

// A field's text as UTF-8, nothing escaped.
char* plainUtf8(char* out, QStringView text, bool* quote);

// How a batch's prompts are laid out as UTF-8 text: the bytes before each
// keyword, between the keyword and its prompt and after the prompt, and how
// the text of a field is written.
struct BlockLayout
{
    QByteArray beforeKeyword;
    QByteArray betweenFields;
    QByteArray afterPrompt;
    // Writes a field's text at `out` as UTF-8, escaped as the format needs,
    // and returns where it ends; `out` has room for `mostBytesPerUnit` bytes
    // per UTF-16 unit of the text. Sets `*quote` when the field must be put
    // between double quotes, and leaves it as it was otherwise. It must work
    // character by character, so that a text written in pieces equals the
    // whole text written.
    char* (*writeField)(char* out, QStringView text, bool* quote) = plainUtf8;
    qsizetype mostBytesPerUnit = 3;
};

// Receives UTF-8 text in pieces. A writer puts its bytes at `next` and never
// past `end`, after asking makeRoom() for the room it needs.
class Utf8Sink
{
public:
    virtual ~Utf8Sink() = default;

    // Makes room for at least `bytes` bytes at `next`.
    virtual void makeRoom(qsizetype bytes) = 0;
    // Told after each keyword's block, with the number of blocks written and
    // the number in all; false stops the writing.
    virtual bool blockWritten(qsizetype written, qsizetype total) = 0;

    void put(QByteArrayView bytes);

    char* next = nullptr;
    char* end = nullptr;
};

// A sink that keeps the whole text in one buffer, made as large as asked.
class BufferSink final : public Utf8Sink
{
public:
    explicit BufferSink(qsizetype capacity);

    void makeRoom(qsizetype bytes) override;
    bool blockWritten(qsizetype, qsizetype) override { return true; }

    QByteArray take();

private:
    QByteArray m_bytes;
};

// Writes keyword blocks in a layout as UTF-8, their prompts as they leave the
// program. The prepared prompt pieces are escaped and encoded once; a block
// then costs its keyword and its angle.
class Utf8Blocks
{
public:
    Utf8Blocks(const PromptComposer& composer, const BlockLayout& layout);

    // The blocks of `keywords`, their prompts as they leave the program (with
    // CR LF breaks), handed to `sink` block by block. Each keyword's angle is
    // worked out as its block is written, so nothing is kept per keyword:
    // memory does not grow with the batch. A lone surrogate is written as
    // U+FFFD. Ends at the first prompt longer than the limit, or when the sink
    // stops the writing.
    enum class WriteEnd
    {
        Done,
        Stopped,
        TooLong
    };
    WriteEnd writeAll(const QStringList& keywords, Utf8Sink& sink);

    // The block of `keyword`, whose prompt `plan` makes and fits.
    void write(Utf8Sink& sink, const QString& keyword, const PromptPlan& plan);

    // The most bytes write() puts for that block.
    qsizetype bound(const QString& keyword, const PromptPlan& plan) const;

private:
    bool putPieces(Utf8Sink& sink, QStringView angle);
    qsizetype mostBytes(QStringView text) const;
    void written(QByteArray& bytes, QStringView text, bool* quote) const;
    void field(Utf8Sink& sink, QStringView text) const;

    const PromptComposer& m_composer;
    const BlockLayout& m_layout;
    QByteArray m_topic;
    bool m_topicQuoted = false;
    std::vector<QByteArray> m_pieces;
    qsizetype m_piecesBytes = 0;
    bool m_piecesQuoted = false;
    bool m_piecesValid = true;
    QByteArray m_angle; // the angle of the block being written, as written
};
