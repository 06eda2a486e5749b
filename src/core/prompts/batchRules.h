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

// The longest line that may be pasted or dropped into the keyword box. A
// keyword is a few words; a longer line is a mistake (a file pasted by
// accident) and would take the text box minutes to lay out.
inline constexpr qsizetype MaxKeywordChars = 10'000;

// Refuses a text to be pasted or dropped into the keyword box, between `before`
// and `after` (the box's text on either side of the selection it replaces, or of
// the cursor), when a line the box would then hold is longer than
// MaxKeywordChars: the text's first line continues the line of `before`, its
// last line runs on into `after`, and its other lines stand alone.
Verdict checkPastedText(const QString& text, const QString& before = {}, const QString& after = {});

// A file dropped on the keyword box that cannot be read.
Refusal unreadableFile(const QString& path, const QString& why);

// The keyword box is empty.
Refusal noKeywords();

// Both copy commands need a batch.
Refusal noBatch();

// Copy Selected with an empty prompt box.
Refusal nothingToCopy();

// The copies and the export that went well; `file` as shown to the user.
Refusal copiedPrompt();
Refusal copiedPrompts();
Refusal exported(const QString& file);

// A file that could not be read: its path as shown to the user, and why.
struct UnreadFile
{
    QString path;
    QString why;
};

// The template files that start-up could not read.
Refusal unreadTemplates(const QList<UnreadFile>& files);

// A prompt would be longer than Prompts::MaxPromptChars.
Refusal promptTooLong();

// An export that could not write `file` (as shown to the user) for `reason`.
Refusal exportFailed(const QString& file, const QString& reason);

// An export the user cancelled.
Refusal exportCancelled();

// The question before an export replaces `fileName`, which the save dialog
// did not ask about (".txt" was added to the name given).
Refusal confirmReplace(const QString& fileName);

// The largest text that goes on the clipboard at once, in UTF-16 units.
inline constexpr qsizetype MaxCopyChars = qsizetype(256) * 1024 * 1024;

// Refuses a text of `length` units above MaxCopyChars.
Verdict checkCopyLength(qsizetype length);

} // namespace BatchRules
