#include "utf8Blocks.h"

#include <algorithm>
#include <cstring>

namespace {

// The most bytes UTF-8 takes for `text`: three for any unit from U+0800 up,
// which covers a surrogate pair (four bytes for two units) and the
// replacement of a lone surrogate.
qsizetype utf8Bound(QStringView text)
{
    qsizetype bytes = text.size();
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        bytes += u < 0x80 ? 0 : u < 0x800 ? 1 : 2;
    }
    return bytes;
}

} // namespace

void Utf8Sink::put(QByteArrayView bytes)
{
    if (bytes.isEmpty())
        return;
    if (end - next < bytes.size())
        makeRoom(bytes.size());
    std::memcpy(next, bytes.data(), size_t(bytes.size()));
    next += bytes.size();
}

BufferSink::BufferSink(qsizetype capacity)
    : m_bytes(capacity, Qt::Uninitialized)
{
    next = m_bytes.data();
    end = next + m_bytes.size();
}

void BufferSink::makeRoom(qsizetype bytes)
{
    const qsizetype used = next - m_bytes.data();
    m_bytes.resize(std::max(used + bytes, 2 * m_bytes.size()));
    next = m_bytes.data() + used;
    end = m_bytes.data() + m_bytes.size();
}

QByteArray BufferSink::take()
{
    m_bytes.truncate(next - m_bytes.data());
    return std::move(m_bytes);
}

Utf8Blocks::Utf8Blocks(const PromptComposer& composer, const BlockLayout& layout)
    : m_composer(composer)
    , m_layout(layout)
{
    m_topic = prepared(composer.topicLeaving(), &m_topicEscaped);
    for (const QString& piece : composer.anglePiecesLeaving()) {
        bool escaped = false;
        m_pieces.push_back(prepared(piece, &escaped));
        m_piecesBytes += m_pieces.back().size();
        m_piecesEscaped = m_piecesEscaped || escaped;
        m_piecesValid = m_piecesValid && QStringView(piece).isValidUtf16();
    }
}

Utf8Blocks::WriteEnd Utf8Blocks::writeAll(const QStringList& keywords, Utf8Sink& sink)
{
    const qsizetype total = keywords.size();
    for (qsizetype i = 0; i < total; ++i) {
        const QString& keyword = keywords.at(i);
        const PromptPlan plan = m_composer.plan(keyword);
        if (!plan.fits)
            return WriteEnd::TooLong;
        write(sink, keyword, plan);
        if (!sink.blockWritten(i + 1, total))
            return WriteEnd::Stopped;
    }
    return WriteEnd::Done;
}

void Utf8Blocks::write(Utf8Sink& sink, const QString& keyword, const PromptPlan& plan)
{
    sink.put(m_layout.beforeKeyword);
    field(sink, keyword);
    sink.put(m_layout.betweenFields);
    if (plan.kind == PromptPlan::Kind::Topic) {
        quote(sink, m_topicEscaped);
        sink.put(m_topic);
        quote(sink, m_topicEscaped);
    } else if (plan.kind == PromptPlan::Kind::Plain && m_piecesValid
               && QStringView(plan.angle).isValidUtf16()) {
        // The pieces are valid UTF-16 on their own, so encoding them one
        // by one gives the encoding of the whole prompt.
        const bool escaped = needsEscape(plan.angle);
        const bool quoted = escaped || m_piecesEscaped;
        encodeTo(m_angle, escaped ? m_layout.escape(plan.angle) : plan.angle);
        quote(sink, quoted);
        sink.put(m_pieces.front());
        for (size_t i = 1; i < m_pieces.size(); ++i) {
            sink.put(m_angle);
            sink.put(m_pieces[i]);
        }
        quote(sink, quoted);
    } else {
        QString prompt;
        m_composer.putLeaving(plan, [&prompt](QStringView piece) { prompt += piece; });
        field(sink, prompt);
    }
    sink.put(m_layout.afterPrompt);
}

qsizetype Utf8Blocks::bound(const QString& keyword, const PromptPlan& plan) const
{
    const qsizetype block = m_layout.beforeKeyword.size() + m_layout.betweenFields.size()
                            + m_layout.afterPrompt.size() + utf8Bound(keyword);
    switch (plan.kind) {
    case PromptPlan::Kind::Topic:
        return block + m_topic.size();
    case PromptPlan::Kind::Plain:
        return block + m_piecesBytes + utf8Bound(plan.angle) * qsizetype(m_pieces.size() - 1);
    case PromptPlan::Kind::Whole:
        break;
    }
    return block + 3 * plan.size; // no UTF-16 unit takes more than three bytes
}

bool Utf8Blocks::needsEscape(QStringView text) const
{
    return m_layout.needsEscape && m_layout.needsEscape(text);
}

void Utf8Blocks::quote(Utf8Sink& sink, bool escaped) const
{
    if (escaped && m_layout.quoteEscaped)
        sink.put("\"");
}

void Utf8Blocks::encodeTo(QByteArray& bytes, QStringView text)
{
    bytes.resize(3 * text.size());
    bytes.truncate(m_encoder.appendToBuffer(bytes.data(), text) - bytes.constData());
}

QByteArray Utf8Blocks::prepared(QStringView text, bool* escaped)
{
    *escaped = needsEscape(text);
    QByteArray bytes;
    encodeTo(bytes, *escaped ? QStringView(m_layout.escape(text)) : text);
    return bytes;
}

void Utf8Blocks::field(Utf8Sink& sink, QStringView text)
{
    const bool escaped = needsEscape(text);
    const QString escapedText = escaped ? m_layout.escape(text) : QString();
    const QStringView out = escaped ? QStringView(escapedText) : text;
    quote(sink, escaped);
    if (sink.end - sink.next < 3 * out.size())
        sink.makeRoom(3 * out.size());
    sink.next = m_encoder.appendToBuffer(sink.next, out);
    quote(sink, escaped);
}
