#include "allPrompts.h"

#include "utf8Blocks.h"

#include <cstring>

namespace {

const QString keywordLabel = QStringLiteral("Keyword: ");
const QString promptLabel = QStringLiteral("\r\nPrompt: ");
const QString blockEnd = QStringLiteral("\r\n\r\n");

} // namespace

AllPrompts::AllPrompts(const PromptComposer& composer, const QStringList& keywords)
    : m_composer(composer)
    , m_keywords(keywords)
{
    m_validUtf16 = QStringView(composer.topicLeaving()).isValidUtf16();
    for (const QString& piece : composer.anglePiecesLeaving())
        m_validUtf16 = m_validUtf16 && QStringView(piece).isValidUtf16();

    const qsizetype perBlock = keywordLabel.size() + promptLabel.size() + blockEnd.size();
    m_plans.reserve(size_t(keywords.size()));
    for (const QString& keyword : keywords) {
        PromptPlan& plan = m_plans.emplace_back();
        m_composer.plan(keyword, plan);
        m_fits = plan.fits;
        if (!m_fits)
            return;
        m_length += perBlock + keyword.size() + plan.size;
        m_validUtf16 = m_validUtf16 && QStringView(keyword).isValidUtf16()
                       && QStringView(plan.angle).isValidUtf16()
                       && QStringView(plan.prompt).isValidUtf16();
        // Only the angle is kept, and a prompt composed step by step is
        // composed again when the text is written: a batch far beyond the copy
        // bound must not hold all of its prompts while it is measured.
        plan.prompt = QString();
    }
}

BlockLayout AllPrompts::layout()
{
    return BlockLayout{keywordLabel.toUtf8(), promptLabel.toUtf8(), blockEnd.toUtf8()};
}

const PromptPlan& AllPrompts::planAt(qsizetype i, PromptPlan& composedAgain) const
{
    const PromptPlan& plan = m_plans[size_t(i)];
    if (plan.kind != PromptPlan::Kind::Whole)
        return plan;
    composedAgain.angle = plan.angle;
    m_composer.plan(composedAgain);
    return composedAgain;
}

QString AllPrompts::text() const
{
    QString text(m_length, Qt::Uninitialized);
    QChar* out = text.data();
    const auto put = [&out](QStringView piece) {
        // The view of a null text has no data pointer, which memcpy may not get.
        if (piece.isEmpty())
            return;
        std::memcpy(out, piece.data(), size_t(piece.size()) * sizeof(QChar));
        out += piece.size();
    };
    PromptPlan composedAgain;
    for (qsizetype i = 0; i < m_keywords.size(); ++i) {
        put(keywordLabel);
        put(m_keywords.at(i));
        put(promptLabel);
        m_composer.putLeaving(planAt(i, composedAgain), put);
        put(blockEnd);
    }
    Q_ASSERT(out == text.constData() + text.size());
    return text;
}

QByteArray AllPrompts::utf8() const
{
    const BlockLayout blockLayout = layout();
    Utf8Blocks blocks(m_composer, blockLayout);
    // The buffer is made once, for the most bytes the text can take.
    qsizetype bound = 0;
    for (qsizetype i = 0; i < m_keywords.size(); ++i)
        bound += blocks.bound(m_keywords.at(i), m_plans[size_t(i)]);
    BufferSink sink(bound);
    PromptPlan composedAgain;
    for (qsizetype i = 0; i < m_keywords.size(); ++i)
        blocks.write(sink, m_keywords.at(i), planAt(i, composedAgain));
    return sink.take();
}
