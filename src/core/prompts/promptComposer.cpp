#include "promptComposer.h"

#include "allPrompts.h"

using Composition::Step;

PromptComposer::PromptComposer(const PromptFields& fields, qsizetype limit)
    : m_fields(fields)
    , m_limit(limit)
    , m_mainFolded(Composition::folded(fields.mainKeyword))
    , m_promotion(promotionText(fields))
    , m_topicPrompt(Composition::fillSteps(fields.topicTemplate, fields, m_promotion, nullptr,
                                           Step::Keyword, Step::Pro, limit))
    , m_topicLeaving(m_topicPrompt ? Prompts::withCrLf(*m_topicPrompt) : QString())
    , m_angleWithKeyword(Composition::fillSteps(fields.angleTemplate, fields, m_promotion, nullptr,
                                                Step::Keyword, Step::Keyword, limit))
{
    if (!m_angleWithKeyword)
        return;
    // Cut where a left-to-right scan finds "#ANGLE#", as the replacement does.
    // The pieces together are no longer than the limit, or no angle prompt fits.
    const QString& text = *m_angleWithKeyword;
    qsizetype from = 0;
    for (;;) {
        const qsizetype at = text.indexOf(Prompts::Angle, from);
        std::optional<QString> piece = Composition::fillSteps(
            text.sliced(from, (at < 0 ? text.size() : at) - from), fields, m_promotion, nullptr,
            Step::Words, Step::Pro, limit - m_anglePiecesLength);
        if (!piece) {
            m_anglePieces.clear();
            m_anglePiecesLeaving.clear();
            return;
        }
        m_anglePiecesLength += piece->size();
        m_anglePiecesLeaving.push_back(Prompts::withCrLf(*piece));
        m_anglePiecesLeavingLength += m_anglePiecesLeaving.back().size();
        m_anglePieces.push_back(std::move(*piece));
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

void PromptComposer::plan(const QString& keyword, PromptPlan& plan) const
{
    Composition::angleOfFolded(m_mainFolded, keyword, plan.angle);
    this->plan(plan);
}

// The topic prompt, the prepared pieces with the angle between them, or the
// prompt composed step by step when the angle may complete a placeholder.
void PromptComposer::plan(PromptPlan& plan) const
{
    plan.prompt.clear();
    if (plan.angle.isEmpty()) {
        plan.kind = PromptPlan::Kind::Topic;
        plan.fits = m_topicPrompt.has_value();
        plan.size = m_topicLeaving.size();
    } else if (insertsPlainly(plan.angle)) {
        const qsizetype angles = qsizetype(m_anglePieces.size()) - 1;
        plan.kind = PromptPlan::Kind::Plain;
        plan.fits =
            !m_anglePieces.empty() && m_anglePiecesLength + plan.angle.size() * angles <= m_limit;
        plan.size = plan.fits ? m_anglePiecesLeavingLength + plan.angle.size() * angles : 0;
    } else {
        std::optional<QString> prompt =
            m_angleWithKeyword
                ? Composition::fillSteps(*m_angleWithKeyword, m_fields, m_promotion, &plan.angle,
                                         Step::Angle, Step::Pro, m_limit)
                : std::nullopt;
        plan.kind = PromptPlan::Kind::Whole;
        plan.fits = prompt.has_value();
        plan.size = prompt ? Prompts::lengthWithCrLf(*prompt) : 0;
        if (prompt)
            plan.prompt = std::move(*prompt);
    }
}

std::optional<QString> PromptComposer::compose(const QString& keyword) const
{
    PromptPlan made;
    plan(keyword, made);
    if (!made.fits)
        return std::nullopt;
    switch (made.kind) {
    case PromptPlan::Kind::Topic:
        return m_topicPrompt;
    case PromptPlan::Kind::Whole:
        return std::move(made.prompt);
    case PromptPlan::Kind::Plain:
        break;
    }
    QString prompt;
    prompt.reserve(m_anglePiecesLength + made.angle.size() * (qsizetype(m_anglePieces.size()) - 1));
    putPieces(m_anglePieces, made.angle, [&prompt](QStringView piece) { prompt += piece; });
    return prompt;
}

AllPrompts PromptComposer::allPrompts(const QStringList& keywords) const
{
    return AllPrompts(*this, keywords);
}
