#pragma once

#include "promptComposer.h"

#include <QByteArray>

#include <vector>

// Writes `text` at `out` as UTF-8 (a lone surrogate as U+FFFD) in one pass,
// and returns where it ends. Each ASCII character goes first to
// `escape(char16_t c, char*& out)`, which either writes it as a format needs
// and returns true, or returns false to have it written as it is. Every other
// character is written as it is.
template <typename Escape> char* putUtf8(char* out, QStringView text, Escape&& escape)
{
    const char16_t* p = text.utf16();
    const char16_t* const end = p + text.size();
    while (p < end) {
        const char16_t u = *p++;
        if (u < 0x80) {
            if (!escape(u, out))
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
    QByteArray m_angle;
};
