#include "batchRules.h"

#include <QLocale>

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

Refusal noKeywords()
{
    return missingInfo(QStringLiteral("Please enter one or more long-tailed keywords."));
}

Refusal unusableRecord()
{
    return Refusal{QStringLiteral("Invalid File"), QStringLiteral("The file can't be opened.")};
}

Refusal noBatch()
{
    return missingInfo(QStringLiteral("Please generate some prompts first."));
}

Refusal nothingToCopy()
{
    return missingInfo(QStringLiteral("Nothing to copy."));
}

Verdict checkCopyLength(qsizetype length)
{
    if (length <= MaxCopyChars)
        return std::nullopt;
    const QLocale locale;
    return Refusal{
        QStringLiteral("Too Much Text"),
        QStringLiteral("The prompts of this batch make %1 million characters of text, more than "
                       "can be copied at once (at most %2 million).\n\nPlease create the batch "
                       "from fewer keywords and copy the prompts in parts.")
            .arg(locale.toString(double(length) / 1e6, 'f', 0),
                 locale.toString(double(MaxCopyChars) / 1e6, 'f', 0))};
}

} // namespace BatchRules
