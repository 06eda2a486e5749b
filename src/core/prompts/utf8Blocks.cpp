#include "utf8Blocks.h"

#include "components/hugePages.h"

#include <algorithm>
#include <cstring>

char* plainUtf8(char* out, QStringView text, bool*)
{
    return putUtf8<AsciiSpecials<false>>(out, text, [](char16_t, char*&) { return false; });
}

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
    HugePages::prefer(m_bytes.data(), m_bytes.size());
    next = m_bytes.data();
    end = next + m_bytes.size();
}

void BufferSink::makeRoom(qsizetype bytes)
{
    const qsizetype used = next - m_bytes.data();
    m_bytes.resize(std::max(used + bytes, 2 * m_bytes.size()));
    HugePages::prefer(m_bytes.data() + used, m_bytes.size() - used);
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
    written(m_topic, composer.topicLeaving(), &m_topicQuoted);
    for (const QString& piece : composer.anglePiecesLeaving()) {
        written(m_pieces.emplace_back(), piece, &m_piecesQuoted);
        m_piecesBytes += m_pieces.back().size();
        m_piecesValid = m_piecesValid && QStringView(piece).isValidUtf16();
    }
}

Utf8Blocks::WriteEnd Utf8Blocks::writeAll(const QStringList& keywords, Utf8Sink& sink)
{
    const qsizetype total = keywords.size();
    PromptPlan plan;
    for (qsizetype i = 0; i < total; ++i) {
        const QString& keyword = keywords.at(i);
        m_composer.plan(keyword, plan);
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
    const QByteArrayView quote = "\"";
    if (plan.kind == PromptPlan::Kind::Topic) {
        sink.put(m_topicQuoted ? quote : QByteArrayView());
        sink.put(m_topic);
        sink.put(m_topicQuoted ? quote : QByteArrayView());
    } else if (plan.kind != PromptPlan::Kind::Plain || !putPieces(sink, plan.angle)) {
        QString prompt;
        m_composer.putLeaving(plan, [&prompt](QStringView piece) { prompt += piece; });
        field(sink, prompt);
    }
    sink.put(m_layout.afterPrompt);
}

// The prepared pieces with `angle` between them; false, writing nothing, when
// the pieces or the angle hold a lone surrogate.
bool Utf8Blocks::putPieces(Utf8Sink& sink, QStringView angle)
{
    if (!m_piecesValid)
        return false;
    bool quoted = m_piecesQuoted;
    const qsizetype most = mostBytes(angle);
    if (m_angle.size() < most)
        m_angle.resize(most);
    const QByteArrayView written(m_angle.constData(),
                                 m_layout.writeField(m_angle.data(), angle, &quoted));
    // A byte a unit is ASCII, written as it is.
    if (written.size() != angle.size() && !angle.isValidUtf16())
        return false;
    // The pieces are valid UTF-16 on their own, so writing them one by one
    // gives the whole prompt written.
    const QByteArrayView quote = quoted ? QByteArrayView("\"") : QByteArrayView();
    sink.put(quote);
    sink.put(m_pieces.front());
    for (size_t i = 1; i < m_pieces.size(); ++i) {
        sink.put(written);
        sink.put(m_pieces[i]);
    }
    sink.put(quote);
    return true;
}

qsizetype Utf8Blocks::bound(const QString& keyword, const PromptPlan& plan) const
{
    const qsizetype block = m_layout.beforeKeyword.size() + m_layout.betweenFields.size()
                            + m_layout.afterPrompt.size() + mostBytes(keyword);
    switch (plan.kind) {
    case PromptPlan::Kind::Topic:
        return block + 2 + m_topic.size();
    case PromptPlan::Kind::Plain:
        return block + 2 + m_piecesBytes
               + m_layout.mostBytesPerUnit * plan.angle.size() * qsizetype(m_pieces.size() - 1);
    case PromptPlan::Kind::Whole:
        break;
    }
    return block + 2 + m_layout.mostBytesPerUnit * plan.size;
}

// The most bytes a field of `text` takes, its quotes included.
qsizetype Utf8Blocks::mostBytes(QStringView text) const
{
    return 2 + m_layout.mostBytesPerUnit * text.size();
}

void Utf8Blocks::written(QByteArray& bytes, QStringView text, bool* quote) const
{
    bytes.resize(mostBytes(text));
    bytes.truncate(m_layout.writeField(bytes.data(), text, quote) - bytes.constData());
}

void Utf8Blocks::field(Utf8Sink& sink, QStringView text) const
{
    const qsizetype most = mostBytes(text);
    if (sink.end - sink.next < most)
        sink.makeRoom(most);
    // Written after a byte kept for the opening quote, which is given back
    // when the field needs no quotes.
    char* const start = sink.next;
    bool quoted = false;
    char* end = m_layout.writeField(start + 1, text, &quoted);
    if (quoted) {
        *start = '"';
        *end++ = '"';
    } else {
        std::memmove(start, start + 1, size_t(end - start - 1));
        --end;
    }
    sink.next = end;
}
