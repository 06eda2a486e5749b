#include "batchRules.h"

#include "components/lineScan.h"
#include "composition.h"

#include <QLocale>

#include <utility>

namespace BatchRules {

namespace {
Refusal missingInfo(const QString& text)
{
    return Refusal{QStringLiteral("Missing Info"), text};
}
} // namespace

Verdict checkInput(const BatchInput& input)
{
    if (input.mainKeyword.isEmpty())
        return missingInfo(QStringLiteral("Please enter your main keyword."));
    if (input.keywordText.isEmpty())
        return noKeywords();
    if (input.approxWords.isEmpty())
        return missingInfo(QStringLiteral("Please fill the 'Approx. Words' field."));
    if (input.promote && input.product.isEmpty())
        return missingInfo(QStringLiteral("Please add a product to promote."));
    return std::nullopt;
}

Verdict checkPastedText(const QString& text, const QString& before, const QString& after)
{
    // `open`: the length so far of the line the next character of the text would continue.
    qsizetype open = 0, longest = 0, tail = -1;
    forEachLine<true>(before, [&](const QChar* start, qsizetype length) {
        open = start + length == before.constEnd() ? length : 0;
    });
    forEachLine<true>(text, [&](const QChar* start, qsizetype length) {
        open += length;
        if (start + length != text.constEnd()) // a line break ends it
            longest = std::max(longest, std::exchange(open, 0));
    });
    forEachLine<true>(after, [&tail](const QChar*, qsizetype length) {
        if (tail < 0)
            tail = length;
    });
    longest = std::max(longest, open + std::max(tail, qsizetype(0)));
    if (longest <= MaxKeywordChars)
        return std::nullopt;
    const QLocale locale;
    return Refusal{QStringLiteral("Keyword Too Long"),
                   QStringLiteral("A line of this text has %1 characters; a keyword may have at "
                                  "most %2.\n\nNothing was added to the keywords.")
                       .arg(locale.toString(longest), locale.toString(MaxKeywordChars))};
}

Refusal unreadableFile(const QString& path, const QString& why)
{
    return Refusal{QStringLiteral("Invalid File"),
                   QStringLiteral("The file can't be opened.\n\n%1 (%2)").arg(path, why)};
}

Refusal noKeywords()
{
    return missingInfo(QStringLiteral("Please enter one or more long-tailed keywords."));
}

Refusal copiedPrompt()
{
    return Refusal{QStringLiteral("Done"), QStringLiteral("Done. Prompt copied to clipboard.")};
}

Refusal copiedPrompts()
{
    return Refusal{QStringLiteral("Done"), QStringLiteral("Done. Prompts copied to clipboard.")};
}

Refusal exported(const QString& file)
{
    return Refusal{QStringLiteral("Done"),
                   QStringLiteral("Done. Prompts exported to %1.").arg(file)};
}

Refusal unreadTemplates(const QList<UnreadFile>& files)
{
    const bool one = files.size() == 1;
    QStringList lines;
    for (const UnreadFile& file : files)
        lines << file.path + QStringLiteral(" (") + file.why + u')';
    return Refusal{QStringLiteral("Error"),
                   (one ? QStringLiteral("This template file could not be read:\n\n")
                        : QStringLiteral("These template files could not be read:\n\n"))
                       + lines.join(u'\n')
                       + (one ? QStringLiteral("\n\nPrompts that use it will be empty.")
                              : QStringLiteral("\n\nPrompts that use them will be empty."))};
}

Refusal noBatch()
{
    return missingInfo(QStringLiteral("Please generate some prompts first."));
}

Refusal nothingToCopy()
{
    return missingInfo(QStringLiteral("Nothing to copy."));
}

Refusal promptTooLong()
{
    return Refusal{QStringLiteral("Too Much Text"),
                   QStringLiteral("A prompt would make more than %1 million characters of text, "
                                  "more than one prompt may hold.\n\nPlease use shorter "
                                  "templates, a shorter main keyword or shorter keywords.")
                       .arg(Prompts::MaxPromptChars / 1'000'000)};
}

Refusal exportFailed(const QString& file, const QString& reason)
{
    return Refusal{QStringLiteral("Error"),
                   QStringLiteral("The prompts could not be exported to %1 (%2). No file was "
                                  "written.")
                       .arg(file, reason)};
}

Refusal exportCancelled()
{
    return Refusal{QStringLiteral("Export"),
                   QStringLiteral("Export cancelled. No file was written.")};
}

Refusal confirmReplace(const QString& fileName)
{
    return Refusal{QStringLiteral("Export All Prompts"),
                   QStringLiteral("%1 already exists. Do you want to replace it?").arg(fileName)};
}

Verdict checkCopyLength(qsizetype length)
{
    if (length <= MaxCopyChars)
        return std::nullopt;
    const QLocale locale;
    return Refusal{
        QStringLiteral("Too Much Text"),
        QStringLiteral("The prompts of this batch make %1 million characters of text, more than "
                       "can be copied at once (at most %2 million).\n\nExport All Prompts "
                       "(Ctrl+S, or the prompt list's menu) writes any number of prompts to a "
                       "file.")
            .arg(locale.toString(double(length) / 1e6, 'f', 0),
                 locale.toString(double(MaxCopyChars) / 1e6, 'f', 0))};
}

} // namespace BatchRules
