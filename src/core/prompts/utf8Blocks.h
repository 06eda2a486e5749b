#pragma once

#include "promptComposer.h"

#include <QByteArray>
#include <QStringEncoder>

#include <vector>

// How a batch's prompts are laid out as UTF-8 text: the bytes before each
// keyword, between the keyword and its prompt and after the prompt, and how
// the text of a field is escaped. Escaping must work character by character,
// so that a text escaped in pieces equals the whole text escaped.
struct BlockLayout
{
    QByteArray beforeKeyword;
    QByteArray betweenFields;
    QByteArray afterPrompt;
    // Whether a field's text needs `escape`; none when null.
    bool (*needsEscape)(QStringView text) = nullptr;
    QString (*escape)(QStringView text) = nullptr;
    // A field that needed escaping is also put between double quotes.
    bool quoteEscaped = false;
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

    // The most bytes write() puts for that block, in a layout that escapes
    // nothing.
    qsizetype bound(const QString& keyword, const PromptPlan& plan) const;

private:
    bool needsEscape(QStringView text) const;
    void quote(Utf8Sink& sink, bool escaped) const;
    void encodeTo(QByteArray& bytes, QStringView text);
    QByteArray prepared(QStringView text, bool* escaped);
    void field(Utf8Sink& sink, QStringView text);

    const PromptComposer& m_composer;
    const BlockLayout& m_layout;
    // Stateless: a lone surrogate at the end of one text becomes U+FFFD
    // instead of waiting for the next text.
    QStringEncoder m_encoder{QStringEncoder::Utf8, QStringEncoder::Flag::Stateless};
    QByteArray m_topic;
    bool m_topicEscaped = false;
    std::vector<QByteArray> m_pieces;
    qsizetype m_piecesBytes = 0;
    bool m_piecesEscaped = false;
    bool m_piecesValid = true;
    QByteArray m_angle;
};
