#include "promptComposer.h"

#include "components/tsParser.h"

#include <QStringEncoder>

#include <cstring>

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

QString angleOfLowered(const QString& mainLower, const QString& keyword)
{
    return trimBlanks(parser.Replace(keyword.toLower(), mainLower, QString()));
}

QString fillTemplate(QString text, const PromptFields& fields, const QString& promotion,
                     const QString* angle)
{
    text = parser.Replace(text, Prompts::Keyword, fields.mainKeyword);
    if (angle)
        text = parser.Replace(text, Prompts::Angle, *angle);
    text = parser.Replace(text, Prompts::Words, fields.approxWords);
    return parser.Replace(text, Prompts::Pro, promotion);
}

const QString keywordLabel = QStringLiteral("Keyword: ");
const QString promptLabel = QStringLiteral("\r\nPrompt: ");
const QString blockEnd = QStringLiteral("\r\n\r\n");

} // namespace

QString angleOf(const QString& mainKeyword, const QString& keyword)
{
    return angleOfLowered(mainKeyword.toLower(), keyword);
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

QString composePrompt(const PromptFields& fields, const QString& keyword)
{
    const QString angle = angleOf(fields.mainKeyword, keyword);
    const QString promotion = promotionText(fields);
    if (angle.isEmpty())
        return fillTemplate(fields.topicTemplate, fields, promotion, nullptr);
    return fillTemplate(fields.angleTemplate, fields, promotion, &angle);
}

PromptComposer::PromptComposer(const PromptFields& fields)
    : m_fields(fields)
    , m_mainLower(fields.mainKeyword.toLower())
    , m_promotion(promotionText(fields))
    , m_topicPrompt(fillTemplate(fields.topicTemplate, fields, m_promotion, nullptr))
    , m_angleWithKeyword(parser.Replace(fields.angleTemplate, Prompts::Keyword, fields.mainKeyword))
{
    // Cut where a left-to-right scan finds "#ANGLE#", as the replacement does.
    const QString& text = m_angleWithKeyword;
    qsizetype from = 0;
    for (;;) {
        const qsizetype at = text.indexOf(Prompts::Angle, from);
        const QString piece = text.sliced(from, (at < 0 ? text.size() : at) - from);
        QString filled = parser.Replace(piece, Prompts::Words, fields.approxWords);
        filled = parser.Replace(filled, Prompts::Pro, m_promotion);
        m_anglePiecesLength += filled.size();
        m_anglePieces.push_back(std::move(filled));
        if (at < 0)
            break;
        from = at + Prompts::Angle.size();
    }
}

bool PromptComposer::insertsPlainly(const QString& angle)
{
    for (const QChar c : angle) {
        const char16_t u = c.unicode();
        if (u == u'#' || (u >= u'A' && u <= u'Z'))
            return false;
    }
    return true;
}

// Step by step, for an angle that may complete a placeholder of a later step.
QString PromptComposer::slowAnglePrompt(const QString& angle) const
{
    QString text = parser.Replace(m_angleWithKeyword, Prompts::Angle, angle);
    text = parser.Replace(text, Prompts::Words, m_fields.approxWords);
    return parser.Replace(text, Prompts::Pro, m_promotion);
}

// Hands the prompt of `angle` to `put` piece by piece: the topic prompt, the
// prepared pieces with the angle between them, or the prompt composed step by
// step when the angle may complete a placeholder.
template <typename Put> void PromptComposer::putPrompt(const QString& angle, Put&& put) const
{
    if (angle.isEmpty()) {
        put(QStringView(m_topicPrompt));
    } else if (!insertsPlainly(angle)) {
        put(QStringView(slowAnglePrompt(angle)));
    } else {
        put(QStringView(m_anglePieces.front()));
        for (size_t i = 1; i < m_anglePieces.size(); ++i) {
            put(QStringView(angle));
            put(QStringView(m_anglePieces[i]));
        }
    }
}

QString PromptComposer::compose(const QString& keyword) const
{
    QString prompt;
    putPrompt(angleOfLowered(m_mainLower, keyword),
              [&prompt](QStringView piece) { prompt += piece; });
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
    m_validUtf16 = QStringView(c.m_topicPrompt).isValidUtf16();
    for (const QString& piece : c.m_anglePieces)
        m_validUtf16 = m_validUtf16 && QStringView(piece).isValidUtf16();

    const qsizetype perBlock = keywordLabel.size() + promptLabel.size() + blockEnd.size();
    const qsizetype angleCount = qsizetype(c.m_anglePieces.size()) - 1;
    m_entries.reserve(size_t(keywords.size()));
    for (const QString& keyword : keywords) {
        Entry entry{angleOfLowered(c.m_mainLower, keyword), Kind::Plain, 0};
        qsizetype& promptSize = entry.promptSize;
        if (entry.value.isEmpty()) {
            entry.kind = Kind::Topic;
            promptSize = c.m_topicPrompt.size();
        } else if (PromptComposer::insertsPlainly(entry.value)) {
            promptSize = c.m_anglePiecesLength + entry.value.size() * angleCount;
        } else {
            // Only the angle is kept, and the prompt is composed again when the
            // text is written: a batch far beyond the copy bound must not hold
            // all of its prompts while it is measured.
            const QString whole = c.slowAnglePrompt(entry.value);
            entry.kind = Kind::Whole;
            promptSize = whole.size();
            m_validUtf16 = m_validUtf16 && QStringView(whole).isValidUtf16();
        }
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
        c.putPrompt(m_entries[size_t(i)].value, put);
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

} // namespace

QByteArray AllPrompts::utf8() const
{
    const PromptComposer& c = m_composer;
    const QByteArray keywordLabel8 = keywordLabel.toUtf8();
    const QByteArray promptLabel8 = promptLabel.toUtf8();
    const QByteArray blockEnd8 = blockEnd.toUtf8();
    const QByteArray topic8 = c.m_topicPrompt.toUtf8();
    std::vector<QByteArray> pieces8;
    qsizetype piecesLength8 = 0;
    for (const QString& piece : c.m_anglePieces) {
        pieces8.push_back(piece.toUtf8());
        piecesLength8 += pieces8.back().size();
    }
    const qsizetype angleCount = qsizetype(pieces8.size()) - 1;

    qsizetype bound = 0;
    for (qsizetype i = 0; i < m_keywords.size(); ++i) {
        const Entry& entry = m_entries[size_t(i)];
        bound += keywordLabel8.size() + promptLabel8.size() + blockEnd8.size()
                 + utf8Bound(m_keywords.at(i));
        switch (entry.kind) {
        case Kind::Topic:
            bound += topic8.size();
            break;
        case Kind::Plain:
            bound += piecesLength8 + utf8Bound(entry.value) * angleCount;
            break;
        case Kind::Whole:
            bound += 3 * entry.promptSize; // no UTF-16 unit takes more than three bytes
            break;
        }
    }

    QByteArray bytes(bound, Qt::Uninitialized);
    char* out = bytes.data();
    QStringEncoder encoder(QStringEncoder::Utf8, QStringEncoder::Flag::Stateless);
    const auto put = [&out](const QByteArray& piece) {
        std::memcpy(out, piece.constData(), size_t(piece.size()));
        out += piece.size();
    };
    for (qsizetype i = 0; i < m_keywords.size(); ++i) {
        const Entry& entry = m_entries[size_t(i)];
        put(keywordLabel8);
        out = encoder.appendToBuffer(out, m_keywords.at(i));
        put(promptLabel8);
        switch (entry.kind) {
        case Kind::Topic:
            put(topic8);
            break;
        case Kind::Plain: {
            put(pieces8.front());
            // The angle is encoded once and then copied where it recurs.
            const char* angle = nullptr;
            size_t angleBytes = 0;
            for (size_t piece = 1; piece < pieces8.size(); ++piece) {
                if (!angle) {
                    angle = out;
                    out = encoder.appendToBuffer(out, entry.value);
                    angleBytes = size_t(out - angle);
                } else {
                    std::memcpy(out, angle, angleBytes);
                    out += angleBytes;
                }
                put(pieces8[piece]);
            }
            break;
        }
        case Kind::Whole:
            out = encoder.appendToBuffer(out, c.slowAnglePrompt(entry.value));
            break;
        }
        put(blockEnd8);
    }
    bytes.truncate(out - bytes.constData());
    return bytes;
}
