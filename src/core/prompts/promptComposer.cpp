#include "promptComposer.h"

#include "components/tsParser.h"

#include <QStringEncoder>

#include <algorithm>
#include <cstring>
#include <limits>

namespace {

const tsParser parser;

QString trimBlanks(const QString& text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin) == u' ')
        ++begin;
    while (end > begin && text.at(end - 1) == u' ')
        --end;
    return begin == 0 && end == text.size() ? text : text.sliced(begin, end - begin);
}

QString foldedForAngle(const QString& text)
{
    return text.normalized(QString::NormalizationForm_C).toLower();
}

QString angleOfFolded(const QString& mainFolded, const QString& keyword)
{
    return trimBlanks(parser.Replace(foldedForAngle(keyword), mainFolded, QString()));
}

// Replaces as the parser does, after working out the length of the result
// from the number of matches: a result longer than `limit` is not built, and
// `text` stays as it was.
bool replaceWithin(QString& text, const QString& search, const QString& value, qsizetype limit)
{
    qsizetype matches = 0;
    for (qsizetype at = text.indexOf(search); at >= 0;
         at = text.indexOf(search, at + search.size()))
        ++matches;
    if (text.size() + matches * (value.size() - search.size()) > limit)
        return false;
    if (matches > 0)
        text = parser.Replace(text, search, value);
    return true;
}

std::optional<QString> fillTemplate(QString text, const PromptFields& fields,
                                    const QString& promotion, const QString* angle, qsizetype limit)
{
    if (text.size() > limit || !replaceWithin(text, Prompts::Keyword, fields.mainKeyword, limit)
        || (angle && !replaceWithin(text, Prompts::Angle, *angle, limit))
        || !replaceWithin(text, Prompts::Words, fields.approxWords, limit)
        || !replaceWithin(text, Prompts::Pro, promotion, limit))
        return std::nullopt;
    return text;
}

const QString keywordLabel = QStringLiteral("Keyword: ");
const QString promptLabel = QStringLiteral("\r\nPrompt: ");
const QString blockEnd = QStringLiteral("\r\n\r\n");

} // namespace

QString Prompts::withCrLf(const QString& text)
{
    qsizetype lone = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n')
            ++i;
        else if (c == u'\r' || c == u'\n')
            ++lone;
    }
    if (lone == 0)
        return text;
    QString out;
    out.reserve(text.size() + lone);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'\r' || c == u'\n') {
            out += QStringLiteral("\r\n");
            if (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n')
                ++i;
        } else {
            out += c;
        }
    }
    return out;
}

BlockLayout BlockLayout::copyAll()
{
    return BlockLayout{keywordLabel.toUtf8(), promptLabel.toUtf8(), blockEnd.toUtf8()};
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

QString angleOf(const QString& mainKeyword, const QString& keyword)
{
    return angleOfFolded(foldedForAngle(mainKeyword), keyword);
}

QString promotionText(const PromptFields& fields)
{
    if (!fields.promote)
        return QString();
    QString sentence = Prompts::PromotionSentence;
    sentence = parser.Replace(sentence, Prompts::ProductName, fields.productName);
    sentence = parser.Replace(sentence, Prompts::Format, fields.format);
    return parser.Replace(sentence, Prompts::WhatItDoes, fields.description);
}

std::optional<QString> composePrompt(const PromptFields& fields, const QString& keyword,
                                     qsizetype limit)
{
    const QString angle = angleOf(fields.mainKeyword, keyword);
    const QString promotion = promotionText(fields);
    if (angle.isEmpty())
        return fillTemplate(fields.topicTemplate, fields, promotion, nullptr, limit);
    return fillTemplate(fields.angleTemplate, fields, promotion, &angle, limit);
}

QString composePrompt(const PromptFields& fields, const QString& keyword)
{
    return *composePrompt(fields, keyword, std::numeric_limits<qsizetype>::max());
}

PromptComposer::PromptComposer(const PromptFields& fields, qsizetype limit)
    : m_fields(fields)
    , m_limit(limit)
    , m_mainLower(foldedForAngle(fields.mainKeyword))
    , m_promotion(promotionText(fields))
    , m_topicPrompt(fillTemplate(fields.topicTemplate, fields, m_promotion, nullptr, limit))
    , m_topicLeaving(m_topicPrompt ? Prompts::withCrLf(*m_topicPrompt) : QString())
{
    QString withKeyword = fields.angleTemplate;
    if (withKeyword.size() > limit
        || !replaceWithin(withKeyword, Prompts::Keyword, fields.mainKeyword, limit))
        return;
    m_angleWithKeyword = withKeyword;
    // Cut where a left-to-right scan finds "#ANGLE#", as the replacement does.
    // The pieces together are no longer than the limit, or no angle prompt fits.
    const QString& text = withKeyword;
    qsizetype from = 0;
    for (;;) {
        const qsizetype at = text.indexOf(Prompts::Angle, from);
        QString piece = text.sliced(from, (at < 0 ? text.size() : at) - from);
        const qsizetype room = limit - m_anglePiecesLength;
        if (!replaceWithin(piece, Prompts::Words, fields.approxWords, room)
            || !replaceWithin(piece, Prompts::Pro, m_promotion, room)) {
            m_anglePieces.clear();
            m_anglePiecesLeaving.clear();
            return;
        }
        m_anglePiecesLength += piece.size();
        m_anglePiecesLeaving.push_back(Prompts::withCrLf(piece));
        m_anglePiecesLeavingLength += m_anglePiecesLeaving.back().size();
        m_anglePieces.push_back(std::move(piece));
        if (at < 0)
            break;
        from = at + Prompts::Angle.size();
    }
}

bool PromptComposer::insertsPlainly(const QString& angle)
{
    for (const QChar c : angle) {
        const char16_t u = c.unicode();
        if (u == u'#' || (u >= u'A' && u <= u'Z') || u == u'\r' || u == u'\n')
            return false;
    }
    return true;
}

// Whether the prepared pieces with `angle` between them make a prompt within the limit.
bool PromptComposer::angleFits(const QString& angle) const
{
    return !m_anglePieces.empty()
           && m_anglePiecesLength + angle.size() * qsizetype(m_anglePieces.size() - 1) <= m_limit;
}

// Step by step, for an angle that may complete a placeholder of a later step.
std::optional<QString> PromptComposer::slowAnglePrompt(const QString& angle) const
{
    if (!m_angleWithKeyword)
        return std::nullopt;
    QString text = *m_angleWithKeyword;
    if (!replaceWithin(text, Prompts::Angle, angle, m_limit)
        || !replaceWithin(text, Prompts::Words, m_fields.approxWords, m_limit)
        || !replaceWithin(text, Prompts::Pro, m_promotion, m_limit))
        return std::nullopt;
    return text;
}

// Hands the prompt of `angle`, which must fit, to `put` piece by piece: the
// topic prompt, the prepared pieces with the angle between them, or the prompt
// composed step by step when the angle may complete a placeholder.
template <typename Put>
void PromptComposer::putPrompt(const QString& angle, bool leaving, Put&& put) const
{
    if (angle.isEmpty()) {
        put(QStringView(leaving ? m_topicLeaving : *m_topicPrompt));
    } else if (!insertsPlainly(angle)) {
        const QString prompt = *slowAnglePrompt(angle);
        put(QStringView(leaving ? Prompts::withCrLf(prompt) : prompt));
    } else {
        const std::vector<QString>& pieces = leaving ? m_anglePiecesLeaving : m_anglePieces;
        put(QStringView(pieces.front()));
        for (size_t i = 1; i < pieces.size(); ++i) {
            put(QStringView(angle));
            put(QStringView(pieces[i]));
        }
    }
}

std::optional<QString> PromptComposer::compose(const QString& keyword) const
{
    const QString angle = angleOfFolded(m_mainLower, keyword);
    if (angle.isEmpty())
        return m_topicPrompt;
    if (!insertsPlainly(angle))
        return slowAnglePrompt(angle);
    if (!angleFits(angle))
        return std::nullopt;
    QString prompt;
    putPrompt(angle, false, [&prompt](QStringView piece) { prompt += piece; });
    return prompt;
}

AllPrompts PromptComposer::allPrompts(const QStringList& keywords) const
{
    return AllPrompts(*this, keywords);
}

AllPrompts::AllPrompts(const PromptComposer& composer, const QStringList& keywords)
    : m_composer(composer)
    , m_keywords(keywords)
{
    const PromptComposer& c = m_composer;
    m_validUtf16 = QStringView(c.m_topicLeaving).isValidUtf16();
    for (const QString& piece : c.m_anglePiecesLeaving)
        m_validUtf16 = m_validUtf16 && QStringView(piece).isValidUtf16();

    const qsizetype perBlock = keywordLabel.size() + promptLabel.size() + blockEnd.size();
    const qsizetype angleCount = qsizetype(c.m_anglePieces.size()) - 1;
    m_entries.reserve(size_t(keywords.size()));
    for (const QString& keyword : keywords) {
        Entry entry{angleOfFolded(c.m_mainLower, keyword), Kind::Plain, 0};
        qsizetype& promptSize = entry.promptSize;
        if (entry.value.isEmpty()) {
            entry.kind = Kind::Topic;
            m_fits = m_fits && c.m_topicPrompt.has_value();
            promptSize = c.m_topicLeaving.size();
        } else if (PromptComposer::insertsPlainly(entry.value)) {
            m_fits = m_fits && c.angleFits(entry.value);
            promptSize = c.m_anglePiecesLeavingLength + entry.value.size() * angleCount;
        } else {
            // Only the angle is kept, and the prompt is composed again when the
            // text is written: a batch far beyond the copy bound must not hold
            // all of its prompts while it is measured.
            const std::optional<QString> whole = c.slowAnglePrompt(entry.value);
            entry.kind = Kind::Whole;
            m_fits = m_fits && whole.has_value();
            const QString leaving = whole ? Prompts::withCrLf(*whole) : QString();
            promptSize = leaving.size();
            m_validUtf16 = m_validUtf16 && QStringView(leaving).isValidUtf16();
        }
        if (!m_fits)
            return;
        m_length += perBlock + keyword.size() + promptSize;
        m_validUtf16 = m_validUtf16 && QStringView(keyword).isValidUtf16()
                       && QStringView(entry.value).isValidUtf16();
        m_entries.push_back(std::move(entry));
    }
}

QString AllPrompts::text() const
{
    const PromptComposer& c = m_composer;
    QString text(m_length, Qt::Uninitialized);
    QChar* out = text.data();
    const auto put = [&out](QStringView piece) {
        // The view of a null text has no data pointer, which memcpy may not get.
        if (piece.isEmpty())
            return;
        std::memcpy(out, piece.data(), size_t(piece.size()) * sizeof(QChar));
        out += piece.size();
    };
    for (qsizetype i = 0; i < m_keywords.size(); ++i) {
        put(keywordLabel);
        put(m_keywords.at(i));
        put(promptLabel);
        c.putPrompt(m_entries[size_t(i)].value, true, put);
        put(blockEnd);
    }
    Q_ASSERT(out == text.constData() + text.size());
    return text;
}

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

// A sink that keeps the whole text in one buffer, made as large as asked.
class BufferSink final : public Utf8Sink
{
public:
    explicit BufferSink(qsizetype capacity)
        : m_bytes(capacity, Qt::Uninitialized)
    {
        next = m_bytes.data();
        end = next + m_bytes.size();
    }

    void makeRoom(qsizetype bytes) override
    {
        const qsizetype used = next - m_bytes.data();
        m_bytes.resize(std::max(used + bytes, 2 * m_bytes.size()));
        next = m_bytes.data() + used;
        end = m_bytes.data() + m_bytes.size();
    }

    bool blockWritten(qsizetype, qsizetype) override { return true; }

    QByteArray take()
    {
        m_bytes.truncate(next - m_bytes.data());
        return std::move(m_bytes);
    }

private:
    QByteArray m_bytes;
};

} // namespace

// Writes keyword blocks in a layout as UTF-8, their prompts as they leave the
// program. The prepared prompt pieces are escaped and encoded once; a block
// then costs its keyword and its angle.
class Utf8Blocks
{
public:
    Utf8Blocks(const PromptComposer& composer, const BlockLayout& layout)
        : m_composer(composer)
        , m_layout(layout)
    {
        m_topic = prepared(composer.m_topicLeaving, &m_topicEscaped);
        for (const QString& piece : composer.m_anglePiecesLeaving) {
            bool escaped = false;
            m_pieces.push_back(prepared(piece, &escaped));
            m_piecesBytes += m_pieces.back().size();
            m_piecesEscaped = m_piecesEscaped || escaped;
            m_piecesValid = m_piecesValid && QStringView(piece).isValidUtf16();
        }
    }

    qsizetype topicBytes() const { return m_topic.size(); }
    qsizetype piecesBytes() const { return m_piecesBytes; }

    // False, writing nothing, when the prompt would be longer than the limit.
    bool write(Utf8Sink& sink, const QString& keyword, const QString& angle)
    {
        const PromptComposer& c = m_composer;
        const bool plain = !angle.isEmpty() && PromptComposer::insertsPlainly(angle);
        std::optional<QString> whole;
        if (!angle.isEmpty() && !plain)
            whole = c.slowAnglePrompt(angle);
        const bool fits = angle.isEmpty() ? c.m_topicPrompt.has_value()
                          : plain         ? c.angleFits(angle)
                                          : whole.has_value();
        if (!fits)
            return false;
        sink.put(m_layout.beforeKeyword);
        field(sink, keyword);
        sink.put(m_layout.betweenFields);
        if (angle.isEmpty()) {
            quote(sink, m_topicEscaped);
            sink.put(m_topic);
            quote(sink, m_topicEscaped);
        } else if (plain && m_piecesValid && QStringView(angle).isValidUtf16()) {
            // The pieces are valid UTF-16 on their own, so encoding them one
            // by one gives the encoding of the whole prompt.
            const bool escaped = needsEscape(angle);
            const bool quoted = escaped || m_piecesEscaped;
            encodeTo(m_angle, escaped ? m_layout.escape(angle) : angle);
            quote(sink, quoted);
            sink.put(m_pieces.front());
            for (size_t i = 1; i < m_pieces.size(); ++i) {
                sink.put(m_angle);
                sink.put(m_pieces[i]);
            }
            quote(sink, quoted);
        } else if (plain) {
            QString prompt;
            c.putPrompt(angle, true, [&prompt](QStringView piece) { prompt += piece; });
            field(sink, prompt);
        } else {
            field(sink, Prompts::withCrLf(*whole));
        }
        sink.put(m_layout.afterPrompt);
        return true;
    }

private:
    bool needsEscape(QStringView text) const
    {
        return m_layout.needsEscape && m_layout.needsEscape(text);
    }

    void quote(Utf8Sink& sink, bool escaped) const
    {
        if (escaped && m_layout.quoteEscaped)
            sink.put("\"");
    }

    void encodeTo(QByteArray& bytes, QStringView text)
    {
        bytes.resize(3 * text.size());
        bytes.truncate(m_encoder.appendToBuffer(bytes.data(), text) - bytes.constData());
    }

    QByteArray prepared(QStringView text, bool* escaped)
    {
        *escaped = needsEscape(text);
        QByteArray bytes;
        encodeTo(bytes, *escaped ? QStringView(m_layout.escape(text)) : text);
        return bytes;
    }

    void field(Utf8Sink& sink, QStringView text)
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

PromptComposer::WriteEnd PromptComposer::writeUtf8(const QStringList& keywords,
                                                   const BlockLayout& layout, Utf8Sink& sink) const
{
    Utf8Blocks blocks(*this, layout);
    const qsizetype total = keywords.size();
    for (qsizetype i = 0; i < total; ++i) {
        const QString& keyword = keywords.at(i);
        if (!blocks.write(sink, keyword, angleOfFolded(m_mainLower, keyword)))
            return WriteEnd::TooLong;
        if (!sink.blockWritten(i + 1, total))
            return WriteEnd::Stopped;
    }
    return WriteEnd::Done;
}

QByteArray AllPrompts::utf8() const
{
    const BlockLayout layout = BlockLayout::copyAll();
    Utf8Blocks blocks(m_composer, layout);
    const qsizetype perBlock =
        layout.beforeKeyword.size() + layout.betweenFields.size() + layout.afterPrompt.size();
    const qsizetype angleCount = qsizetype(m_composer.m_anglePieces.size()) - 1;

    // The buffer is made once, for the most bytes the text can take.
    qsizetype bound = 0;
    for (qsizetype i = 0; i < m_keywords.size(); ++i) {
        const Entry& entry = m_entries[size_t(i)];
        bound += perBlock + utf8Bound(m_keywords.at(i));
        switch (entry.kind) {
        case Kind::Topic:
            bound += blocks.topicBytes();
            break;
        case Kind::Plain:
            bound += blocks.piecesBytes() + utf8Bound(entry.value) * angleCount;
            break;
        case Kind::Whole:
            bound += 3 * entry.promptSize; // no UTF-16 unit takes more than three bytes
            break;
        }
    }

    BufferSink sink(bound);
    for (qsizetype i = 0; i < m_keywords.size(); ++i)
        blocks.write(sink, m_keywords.at(i), m_entries[size_t(i)].value);
    return sink.take();
}
