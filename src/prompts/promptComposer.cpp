#include "promptComposer.h"

#include "components/tsParser.h"

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
    return trimBlanks(parser.Replace(keyword.toLower(), mainLower, QString(), 0));
}

QString fillTemplate(QString text, const PromptFields& fields, const QString& promotion,
                     const QString* angle)
{
    text = parser.Replace(text, Prompts::Keyword, fields.mainKeyword, 0);
    if (angle)
        text = parser.Replace(text, Prompts::Angle, *angle, 0);
    text = parser.Replace(text, Prompts::Words, fields.approxWords, 0);
    return parser.Replace(text, Prompts::Pro, promotion, 0);
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
    sentence = parser.Replace(sentence, Prompts::ProductName, fields.productName, 0);
    sentence = parser.Replace(sentence, Prompts::Format, fields.format, 0);
    return parser.Replace(sentence, Prompts::WhatItDoes, fields.description, 0);
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
    , m_angleWithKeyword(parser.Replace(fields.angleTemplate, Prompts::Keyword, fields.mainKeyword, 0))
{
    // Cut where a left-to-right scan finds "#ANGLE#", as the replacement does.
    const QString& text = m_angleWithKeyword;
    qsizetype from = 0;
    for (;;) {
        const qsizetype at = text.indexOf(Prompts::Angle, from);
        const QString piece = text.sliced(from, (at < 0 ? text.size() : at) - from);
        QString filled = parser.Replace(piece, Prompts::Words, fields.approxWords, 0);
        filled = parser.Replace(filled, Prompts::Pro, m_promotion, 0);
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
    QString text = parser.Replace(m_angleWithKeyword, Prompts::Angle, angle, 0);
    text = parser.Replace(text, Prompts::Words, m_fields.approxWords, 0);
    return parser.Replace(text, Prompts::Pro, m_promotion, 0);
}

qsizetype PromptComposer::promptLength(const QString& angle) const
{
    if (angle.isEmpty())
        return m_topicPrompt.size();
    if (insertsPlainly(angle))
        return m_anglePiecesLength + angle.size() * qsizetype(m_anglePieces.size() - 1);
    return slowAnglePrompt(angle).size();
}

void PromptComposer::appendPrompt(QString& out, const QString& angle) const
{
    if (angle.isEmpty()) {
        out += m_topicPrompt;
        return;
    }
    if (!insertsPlainly(angle)) {
        out += slowAnglePrompt(angle);
        return;
    }
    out += m_anglePieces.front();
    for (size_t i = 1; i < m_anglePieces.size(); ++i) {
        out += angle;
        out += m_anglePieces[i];
    }
}

QString PromptComposer::compose(const QString& keyword) const
{
    QString prompt;
    appendPrompt(prompt, angleOfLowered(m_mainLower, keyword));
    return prompt;
}

qsizetype PromptComposer::allPromptsLength(const QStringList& keywords) const
{
    const qsizetype perBlock = keywordLabel.size() + promptLabel.size() + blockEnd.size();
    qsizetype total = 0;
    for (const QString& keyword : keywords)
        total += perBlock + keyword.size() + promptLength(angleOfLowered(m_mainLower, keyword));
    return total;
}

QString PromptComposer::allPromptsText(const QStringList& keywords) const
{
    QString text;
    text.reserve(allPromptsLength(keywords));
    for (const QString& keyword : keywords) {
        text += keywordLabel;
        text += keyword;
        text += promptLabel;
        appendPrompt(text, angleOfLowered(m_mainLower, keyword));
        text += blockEnd;
    }
    return text;
}
