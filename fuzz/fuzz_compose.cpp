// The composition written from its definition, step by step with the plain
// replacement, against composePrompt, the prepared PromptComposer and the
// "Copy to Clipboard (All)" text (prompts with CR LF breaks), its length and
// its UTF-8 form.
#include "fuzzSupport.h"
#include "prompts/promptComposer.h"

namespace {

// Placeholders and parts of them, so a replacement can complete or break one
// of a later step, and characters whose case changes their length or form.
const std::vector<QString> pieces = {
    u"#KEYWORD#"_s, u"#ANGLE#"_s,      u"#WORDS#"_s, u"#PRO#"_s,  u"#PRODUCTNAME#"_s,
    u"#FORMAT#"_s,  u"#WHATITDOES#"_s, u"#"_s,       u"#K"_s,     u"EYWORD#"_s,
    u"WORDS"_s,     u"PRO"_s,          u"#ANG"_s,    u"LE#"_s,    u"dog"_s,
    u"Dog"_s,       u"DOG"_s,          u" "_s,       u"  "_s,     u"a"_s,
    u"A"_s,         u"\r\n"_s,         u"\t"_s,      u"\u0130"_s, u"\u1E9E"_s,
    u"\u00E9"_s,    u"\u00A0"_s};

QString trimBlanks(QString text)
{
    while (text.startsWith(u' '))
        text.remove(0, 1);
    while (text.endsWith(u' '))
        text.chop(1);
    return text;
}

QString definedPrompt(const PromptFields& f, const QString& keyword)
{
    using fuzz::replace;
    const auto fold = [](const QString& t) {
        return t.normalized(QString::NormalizationForm_C).toLower();
    };
    const QString angle = trimBlanks(replace(fold(keyword), fold(f.mainKeyword), {}));
    QString t =
        replace(angle.isEmpty() ? f.topicTemplate : f.angleTemplate, u"#KEYWORD#"_s, f.mainKeyword);
    if (!angle.isEmpty())
        t = replace(t, u"#ANGLE#"_s, angle);
    t = replace(t, u"#WORDS#"_s, f.approxWords);
    QString p;
    if (f.promote) {
        p = u"In the middle of the article begin preselling the following product: "
            u"'#PRODUCTNAME#'. "
            u"Product Format: #FORMAT#. What it does: #WHATITDOES#. "_s;
        p = replace(replace(replace(p, u"#PRODUCTNAME#"_s, f.productName), u"#FORMAT#"_s, f.format),
                    u"#WHATITDOES#"_s, f.description);
    }
    return replace(t, u"#PRO#"_s, p);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::Input in(data, size);
    PromptFields f;
    f.topicTemplate = in.text(pieces, 24);
    f.angleTemplate = in.text(pieces, 24);
    f.mainKeyword = in.text(pieces, 4);
    f.approxWords = in.text(pieces, 3);
    f.promote = in.byte() & 1;
    f.productName = in.text(pieces, 3);
    f.format = in.text(pieces, 3);
    f.description = in.text(pieces, 3);
    QStringList keywords;
    for (int i = in.byte() % 8; i > 0; --i) {
        QString keyword = in.text(pieces, 3);
        for (int part = in.byte() % 3; part > 0; --part)
            keyword +=
                (in.byte() & 1 ? f.mainKeyword.toUpper() : f.mainKeyword) + in.text(pieces, 2);
        keywords.append(keyword);
    }
    const PromptComposer composer(f);
    QString all;
    for (const QString& keyword : keywords) {
        const QString want = definedPrompt(f, keyword);
        FUZZ_EQUAL(composePrompt(f, keyword), want);
        FUZZ_EQUAL(composer.compose(keyword).value_or(u"(too long)"_s), want);
        QString leaving = want;
        leaving.replace(u"\r\n"_s, u"\n"_s).replace(u'\r', u'\n').replace(u"\n"_s, u"\r\n"_s);
        all += u"Keyword: "_s + keyword + u"\r\nPrompt: "_s + leaving + u"\r\n\r\n"_s;
    }
    const AllPrompts planned = composer.allPrompts(keywords);
    FUZZ_EQUAL(planned.text(), all);
    FUZZ_EQUAL(QString::number(planned.length()), QString::number(all.size()));
    if (planned.isValidUtf16()) // else the clipboard takes the UTF-16 text
        FUZZ_EQUAL(QString::fromUtf8(planned.utf8()), all);
    return 0;
}
