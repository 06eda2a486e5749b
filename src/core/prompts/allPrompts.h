#pragma once

#include "promptComposer.h"

#include <QByteArray>
#include <QStringList>

#include <vector>

struct BlockLayout;

// The "Copy to Clipboard (All)" text of a list of keywords: per keyword
// "Keyword: " keyword CR LF "Prompt: " prompt CR LF CR LF, every line break of a
// prompt written as CR LF. Each keyword's angle
// is found once, when the list is planned; the length is then known before
// any text is made, and the text is written straight into a buffer of that
// size, as UTF-16 or as UTF-8.
class AllPrompts
{
public:
    AllPrompts(const PromptComposer& composer, const QStringList& keywords);

    // The blocks of the text as a layout of UTF-8 blocks, nothing escaped.
    static BlockLayout layout();

    // False when a prompt would be longer than the composer's limit; then
    // nothing else may be asked.
    bool fits() const { return m_fits; }

    // The length of the text in UTF-16 code units, as QString counts it.
    qsizetype length() const { return m_length; }

    QString text() const;

    // False when a keyword or a field holds a lone surrogate, which UTF-8
    // cannot carry: utf8() would then not decode back to text().
    bool isValidUtf16() const { return m_validUtf16; }

    // The text encoded as UTF-8 (exact when isValidUtf16(); a lone surrogate
    // becomes U+FFFD).
    QByteArray utf8() const;

private:
    const PromptPlan& planAt(qsizetype i, PromptPlan& composedAgain) const;

    PromptComposer m_composer;
    QStringList m_keywords;
    std::vector<PromptPlan> m_plans;
    qsizetype m_length = 0;
    bool m_validUtf16 = true;
    bool m_fits = true;
};
