#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

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
QString composePrompt(const PromptFields& fields, const QString& keyword);

// The same, or nothing when the prompt would be longer than `limit`: each
// step's length is worked out before the step is built.
std::optional<QString> composePrompt(const PromptFields& fields, const QString& keyword,
                                     qsizetype limit);

// How a batch's prompts are laid out as UTF-8 text: the bytes before each
// keyword, between the keyword and its prompt and after the prompt, and how
// the text of a field is escaped. Escaping must work character by character,
// so that a text escaped in pieces equals the whole text escaped.
struct BlockLayout
{
    QByteArray beforeKeyword;
    QByteArray betweenFields;
    QByteArray afterPrompt;
    // Whether a field's text needs `escape`; none when null.
    bool (*needsEscape)(QStringView text) = nullptr;
    QString (*escape)(QStringView text) = nullptr;
    // A field that needed escaping is also put between double quotes.
    bool quoteEscaped = false;

    // "Keyword: " keyword CR LF "Prompt: " prompt CR LF CR LF, nothing escaped.
    static BlockLayout copyAll();
};

// Receives UTF-8 text in pieces. A writer puts its bytes at `next` and never
// past `end`, after asking makeRoom() for the room it needs.
class Utf8Sink
{
public:
    virtual ~Utf8Sink() = default;

    // Makes room for at least `bytes` bytes at `next`.
    virtual void makeRoom(qsizetype bytes) = 0;
    // Told after each keyword's block, with the number of blocks written and
    // the number in all; false stops the writing.
    virtual bool blockWritten(qsizetype written, qsizetype total) = 0;

    void put(QByteArrayView bytes);

    char* next = nullptr;
    char* end = nullptr;
};

class AllPrompts;

// The same composition prepared once for a set of fields, for composing many
// keywords: the topic prompt is the same for every keyword, and the angle
// template is cut at its "#ANGLE#" marks with every other placeholder already
// filled. Gives exactly what composePrompt gives.
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

    // The blocks of `keywords` in `layout`, as UTF-8, their prompts as they
    // leave the program (with CR LF breaks), handed to `sink` block by block.
    // Each keyword's angle is worked out as its block is written, so nothing
    // is kept per keyword: memory does not grow with the batch. A lone
    // surrogate is written as U+FFFD. Ends at the first prompt longer than
    // the limit, or when the sink stops the writing.
    enum class WriteEnd
    {
        Done,
        Stopped,
        TooLong
    };
    WriteEnd writeUtf8(const QStringList& keywords, const BlockLayout& layout,
                       Utf8Sink& sink) const;

private:
    friend class AllPrompts;
    friend class Utf8Blocks;
    // The angle goes straight between the prepared pieces only when it cannot
    // take part in a later placeholder (it holds no '#' and no capital letter)
    // and cannot complete a line break of a piece (it holds no CR or LF).
    static bool insertsPlainly(const QString& angle);
    std::optional<QString> slowAnglePrompt(const QString& angle) const;
    bool angleFits(const QString& angle) const;
    // With `leaving`, the prompt as it leaves the program: with CR LF breaks.
    template <typename Put> void putPrompt(const QString& angle, bool leaving, Put&& put) const;

    PromptFields m_fields;
    qsizetype m_limit;
    QString m_mainLower;
    QString m_promotion;
    std::optional<QString> m_topicPrompt; // nothing when longer than the limit
    QString m_topicLeaving;
    std::optional<QString> m_angleWithKeyword; // the angle template after "#KEYWORD#"
    std::vector<QString> m_anglePieces;        // ...cut at "#ANGLE#", the rest filled
    std::vector<QString> m_anglePiecesLeaving;
    qsizetype m_anglePiecesLength = 0;
    qsizetype m_anglePiecesLeavingLength = 0;
};

// The "Copy to Clipboard (All)" text of a list of keywords: per keyword
// "Keyword: " keyword CR LF "Prompt: " prompt CR LF CR LF, every line break of a
// prompt written as CR LF. Each keyword's angle
// is found once, when the list is planned; the length is then known before
// any text is made, and the text is written straight into a buffer of that
// size, as UTF-16 or as UTF-8.
class AllPrompts
{
public:
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
    friend class PromptComposer;
    AllPrompts(const PromptComposer& composer, const QStringList& keywords);

    enum class Kind : unsigned char
    {
        Topic, // the topic prompt
        Plain, // the prepared angle pieces with `value`, the angle, between them
        Whole, // `value` is the angle; the prompt is composed step by step
    };
    struct Entry
    {
        QString value;
        Kind kind;
        qsizetype promptSize; // in UTF-16 code units
    };

    PromptComposer m_composer;
    QStringList m_keywords;
    std::vector<Entry> m_entries;
    qsizetype m_length = 0;
    bool m_validUtf16 = true;
    bool m_fits = true;
};
