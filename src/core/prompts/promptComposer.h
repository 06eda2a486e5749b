#pragma once

#include "composition.h"

#include <QStringList>

#include <optional>
#include <vector>

class AllPrompts;

// How the prompt of one keyword is made, decided once by PromptComposer for
// every use of it: composing the prompt, measuring it and writing it.
struct PromptPlan
{
    enum class Kind : unsigned char
    {
        Topic, // the topic prompt: the keyword adds nothing to the main keyword
        Plain, // the prepared angle pieces with the angle between them
        Whole, // composed step by step: the angle may complete a placeholder
    };

    QString angle;
    Kind kind = Kind::Topic;
    // Whether the prompt is within the composer's limit; nothing below holds
    // when it is not.
    bool fits = false;
    // The length of the prompt as it leaves the program (with CR LF breaks),
    // in UTF-16 code units.
    qsizetype size = 0;
    // Kind::Whole: the prompt, composed.
    QString prompt;
};

// The same composition prepared once for a set of fields, for composing many
// keywords: the topic prompt is the same for every keyword, and the angle
// template is cut at its "#ANGLE#" marks with every other placeholder already
// filled. Gives exactly what promptFor gives.
class PromptComposer
{
public:
    // Nothing longer than `limit` is built, now or later.
    explicit PromptComposer(const PromptFields& fields, qsizetype limit = Prompts::MaxPromptChars);

    // The prompt, or nothing when it would be longer than the limit.
    std::optional<QString> compose(const QString& keyword) const;

    // The "Copy to Clipboard (All)" text of these keywords, worked out once
    // for its length and its text.
    AllPrompts allPrompts(const QStringList& keywords) const;

    // How the prompt of `keyword` is made, planned in `plan`, whose buffers it
    // reuses.
    void plan(const QString& keyword, PromptPlan& plan) const;
    // The same from the angle that `plan` holds.
    void plan(PromptPlan& plan) const;

    // The prompt of a plan that fits, as it leaves the program (with CR LF
    // breaks), handed to `put` piece by piece as QStringViews.
    template <typename Put> void putLeaving(const PromptPlan& plan, Put&& put) const;

    // The prepared parts as they leave the program, for a writer that prepares
    // them further: the topic prompt (when it fits), and the pieces that a
    // Plain plan's prompt puts its angle between (none when no angle prompt
    // fits).
    const QString& topicLeaving() const { return m_topicLeaving; }
    const std::vector<QString>& anglePiecesLeaving() const { return m_anglePiecesLeaving; }

private:
    // The angle goes straight between the prepared pieces only when it cannot
    // take part in a later placeholder (it holds no '#' and no capital letter)
    // and cannot complete a line break of a piece (it holds no CR or LF).
    static bool insertsPlainly(const QString& angle);
    template <typename Put>
    static void putPieces(const std::vector<QString>& pieces, QStringView angle, Put&& put);

    PromptFields m_fields;
    qsizetype m_limit;
    QString m_mainFolded;
    QString m_promotion;
    std::optional<QString> m_topicPrompt; // nothing when longer than the limit
    QString m_topicLeaving;
    std::optional<QString> m_angleWithKeyword; // the angle template after "#KEYWORD#"
    std::vector<QString> m_anglePieces;        // ...cut at "#ANGLE#", the rest filled
    std::vector<QString> m_anglePiecesLeaving;
    qsizetype m_anglePiecesLength = 0;
    qsizetype m_anglePiecesLeavingLength = 0;
};

template <typename Put>
void PromptComposer::putPieces(const std::vector<QString>& pieces, QStringView angle, Put&& put)
{
    put(QStringView(pieces.front()));
    for (size_t i = 1; i < pieces.size(); ++i) {
        put(angle);
        put(QStringView(pieces[i]));
    }
}

template <typename Put> void PromptComposer::putLeaving(const PromptPlan& plan, Put&& put) const
{
    switch (plan.kind) {
    case PromptPlan::Kind::Topic:
        put(QStringView(m_topicLeaving));
        break;
    case PromptPlan::Kind::Plain:
        putPieces(m_anglePiecesLeaving, plan.angle, put);
        break;
    case PromptPlan::Kind::Whole:
        put(QStringView(Prompts::withCrLf(plan.prompt)));
        break;
    }
}
