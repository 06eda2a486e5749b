#pragma once

#include <QString>

#include <optional>

namespace Prompts {

inline const QString Keyword = QStringLiteral("#KEYWORD#");
inline const QString Angle = QStringLiteral("#ANGLE#");
inline const QString Words = QStringLiteral("#WORDS#");
inline const QString Pro = QStringLiteral("#PRO#");
inline const QString ProductName = QStringLiteral("#PRODUCTNAME#");
inline const QString Format = QStringLiteral("#FORMAT#");
inline const QString WhatItDoes = QStringLiteral("#WHATITDOES#");

// The sentence that "#PRO#" becomes when a product is promoted.
inline const QString PromotionSentence = QStringLiteral(
    "In the middle of the article begin preselling the following product: '#PRODUCTNAME#'. "
    "Product Format: #FORMAT#. What it does: #WHATITDOES#. ");

// What the entries of the prompt list add to their keyword.
inline const QString EntrySuffix = QStringLiteral(" (click to see the prompt)");

// The longest prompt the program builds, in UTF-16 units. Far beyond what an
// AI chat takes, and small enough that no input can make a prompt exhaust
// memory: its length is worked out before each step builds it.
inline constexpr qsizetype MaxPromptChars = 16'000'000;

// `text` with every line break (CR LF, a lone CR or LF) written as CR LF, the
// form prompts leave the program in.
QString withCrLf(const QString& text);

// The length of withCrLf(text), worked out without building it.
qsizetype lengthWithCrLf(QStringView text);

} // namespace Prompts

// Everything a prompt is composed from: the two templates and the main
// window's fields at the moment of composition.
struct PromptFields
{
    QString topicTemplate;
    QString angleTemplate;
    QString mainKeyword;
    QString approxWords;
    bool promote = false;
    QString productName;
    QString format;
    QString description;
};

// What the keyword adds to the main keyword: the keyword in lower case with
// every occurrence of the lower-cased main keyword removed, then without
// leading and trailing blanks. Both are first brought to Unicode normalization
// form C, so an accent typed as a letter and a combining mark matches the same
// accent typed as one letter.
QString angleOf(const QString& mainKeyword, const QString& keyword);

// The promotion sentence filled with the product fields, or the empty text
// when promotion is off.
QString promotionText(const PromptFields& fields);

// The prompt of one keyword, composed step by step by plain replacement, in
// the order that defines the result.
QString promptFor(const PromptFields& fields, const QString& keyword);

// The same, or nothing when the prompt would be longer than `limit`: each
// step's length is worked out before the step is built.
std::optional<QString> promptFor(const PromptFields& fields, const QString& keyword,
                                 qsizetype limit);

// The parts of the composition, for a composer that prepares them once for
// many keywords (PromptComposer).
namespace Composition {

// A text as angleOf compares it: in normalization form C, in lower case.
QString folded(const QString& text);

// angleOf into `angle`, whose buffer it reuses, with the main keyword already
// folded.
void angleOfFolded(const QString& mainFolded, const QString& keyword, QString& angle);

// The steps of the composition, in the order that defines the result: each
// replaces every occurrence of its placeholder.
enum class Step : unsigned char
{
    Keyword, // "#KEYWORD#": the main keyword
    Angle,   // "#ANGLE#": the angle, a step only when there is one
    Words,   // "#WORDS#": the approximate number of words
    Pro,     // "#PRO#": the promotion text
};

// `text` after the steps from `first` through `last`, with `angle` (none:
// no angle step) and `promotion` (promotionText(fields)); or nothing when a
// step would make it longer than `limit`, which is known before the step is
// built.
std::optional<QString> fillSteps(QString text, const PromptFields& fields, const QString& promotion,
                                 const QString* angle, Step first, Step last, qsizetype limit);

} // namespace Composition
