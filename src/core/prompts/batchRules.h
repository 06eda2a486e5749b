#pragma once

#include "components/refusal.h"

#include <QString>

// The checks of the prompt batch and of copying, in the order the user meets
// them. Each returns the first refusal, or nothing when the command may go on.
namespace BatchRules {

// What the batch command reads before it makes a batch.
struct BatchInput
{
    QString mainKeyword;
    QString keywordText;
    QString approxWords;
    bool promote = false;
    QString product;
};

// The four input checks: main keyword, long-tail keywords, word count, and
// with promotion on, the product's name. Only the empty text is refused.
Verdict checkInput(const BatchInput& input);

// A keyword text made only of line breaks holds no keyword.
Refusal noKeywords();

// The promoted product's record cannot be used.
Refusal unusableRecord();

// Both copy commands need a batch.
Refusal noBatch();

// Copy Selected with an empty prompt box.
Refusal nothingToCopy();

// The largest text that goes on the clipboard at once, in UTF-16 units.
inline constexpr qsizetype MaxCopyChars = qsizetype(256) * 1024 * 1024;

// Refuses a text of `length` units above MaxCopyChars.
Verdict checkCopyLength(qsizetype length);

} // namespace BatchRules
