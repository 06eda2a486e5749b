#include "composition.h"

#include "components/tsParser.h"

#include <algorithm>
#include <limits>

namespace {

const tsParser parser;

QString trimBlanks(const QString& text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin) == u' ')
        ++begin;
    while (end > begin && text.at(end - 1) == u' ')
        --end;
    return begin == 0 && end == text.size() ? text : text.sliced(begin, end - begin);
}

// Replaces as the parser does, after working out the length of the result
// from the number of matches: a result longer than `limit` is not built, and
// `text` stays as it was.
bool replaceWithin(QString& text, const QString& search, const QString& value, qsizetype limit)
{
    qsizetype matches = 0;
    for (qsizetype at = text.indexOf(search); at >= 0;
         at = text.indexOf(search, at + search.size()))
        ++matches;
    if (text.size() + matches * (value.size() - search.size()) > limit)
        return false;
    if (matches > 0)
        text = parser.Replace(text, search, value);
    return true;
}

// An ASCII keyword is its own normalization form C, and its lower case is
// ASCII's; the main keyword is then removed and the blanks trimmed in one
// buffer, as the replacement and trimBlanks do. False, with `angle` left to
// be written again, for any other keyword.
bool asciiAngle(const QString& mainFolded, const QString& keyword, QString& angle)
{
    const qsizetype size = keyword.size();
    const char16_t* const in = QStringView(keyword).utf16();
    if (angle.isDetached() && angle.capacity() >= size)
        angle.resize(size);
    else
        angle = QString(size, Qt::Uninitialized);
    char16_t* const out = reinterpret_cast<char16_t*>(angle.data());
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t u = in[i];
        if (u >= 0x80)
            return false;
        out[i] = u >= u'A' && u <= u'Z' ? char16_t(u + (u'a' - u'A')) : u;
    }
    // Every occurrence, scanned from left to right, as tsParser::Replace finds them.
    const qsizetype found = mainFolded.size();
    const char16_t* const main = QStringView(mainFolded).utf16();
    qsizetype kept = 0;
    for (qsizetype i = 0; i < size;) {
        if (found > 0 && size - i >= found && out[i] == main[0]
            && std::equal(main + 1, main + found, out + i + 1)) {
            i += found;
        } else {
            out[kept++] = out[i++];
        }
    }
    qsizetype begin = 0;
    while (begin < kept && out[begin] == u' ')
        ++begin;
    while (kept > begin && out[kept - 1] == u' ')
        --kept;
    if (begin > 0)
        std::copy(out + begin, out + kept, out);
    angle.truncate(kept - begin);
    return true;
}

} // namespace

QString Prompts::withCrLf(const QString& text)
{
    const qsizetype length = lengthWithCrLf(text);
    if (length == text.size())
        return text;
    QString out;
    out.reserve(length);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'\r' || c == u'\n') {
            out += QStringLiteral("\r\n");
            if (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n')
                ++i;
        } else {
            out += c;
        }
    }
    return out;
}

qsizetype Prompts::lengthWithCrLf(QStringView text)
{
    qsizetype lone = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n')
            ++i;
        else if (c == u'\r' || c == u'\n')
            ++lone;
    }
    return text.size() + lone;
}

QString Composition::folded(const QString& text)
{
    return text.normalized(QString::NormalizationForm_C).toLower();
}

void Composition::angleOfFolded(const QString& mainFolded, const QString& keyword, QString& angle)
{
    if (!asciiAngle(mainFolded, keyword, angle))
        angle = trimBlanks(parser.Replace(folded(keyword), mainFolded, QString()));
}

std::optional<QString> Composition::fillSteps(QString text, const PromptFields& fields,
                                              const QString& promotion, const QString* angle,
                                              Step first, Step last, qsizetype limit)
{
    const auto within = [&](Step step, const QString& search, const QString& value) {
        return step < first || step > last || replaceWithin(text, search, value, limit);
    };
    if (!within(Step::Keyword, Prompts::Keyword, fields.mainKeyword)
        || (angle && !within(Step::Angle, Prompts::Angle, *angle))
        || !within(Step::Words, Prompts::Words, fields.approxWords)
        || !within(Step::Pro, Prompts::Pro, promotion))
        return std::nullopt;
    return text;
}

QString angleOf(const QString& mainKeyword, const QString& keyword)
{
    QString angle;
    Composition::angleOfFolded(Composition::folded(mainKeyword), keyword, angle);
    return angle;
}

QString promotionText(const PromptFields& fields)
{
    if (!fields.promote)
        return QString();
    QString sentence = Prompts::PromotionSentence;
    sentence = parser.Replace(sentence, Prompts::ProductName, fields.productName);
    sentence = parser.Replace(sentence, Prompts::Format, fields.format);
    return parser.Replace(sentence, Prompts::WhatItDoes, fields.description);
}

std::optional<QString> promptFor(const PromptFields& fields, const QString& keyword,
                                 qsizetype limit)
{
    using Composition::Step;
    const QString angle = angleOf(fields.mainKeyword, keyword);
    return Composition::fillSteps(angle.isEmpty() ? fields.topicTemplate : fields.angleTemplate,
                                  fields, promotionText(fields), angle.isEmpty() ? nullptr : &angle,
                                  Step::Keyword, Step::Pro, limit);
}

QString promptFor(const PromptFields& fields, const QString& keyword)
{
    return *promptFor(fields, keyword, std::numeric_limits<qsizetype>::max());
}
