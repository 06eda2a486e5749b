// A batch from its keyword text to the "Copy to Clipboard (All)" text: the split against plain
// splitting, and promptFor, PromptComposer and the Copy All text (prompts with CR LF breaks,
// its length and UTF-8 form) against the composition written from its definition.
#include "components/tsTools.h"
#include "fuzzSupport.h"
#include "prompts/allPrompts.h"

#include <QStringEncoder>

namespace {

// Placeholders and parts of them, so a replacement can complete or break one
// of a later step, and characters whose case changes their length or form.
const QStringList pieces =
    u"#KEYWORD#|#ANGLE#|#WORDS#|#PRO#|#PRODUCTNAME#|#FORMAT#|#WHATITDOES#|#|#K|EYWORD#|WORDS|PRO|"
    u"#ANG|LE#|dog|Dog|DOG| |  |a|A|\r\n|\t|\u0130|\u1E9E|\u00E9|\u00A0"_s.split(u'|');

QString definedPrompt(const PromptFields& f, const QString& keyword)
{
    using fuzz::replace;
    const auto fold = [](const QString& t) {
        return t.normalized(QString::NormalizationForm_C).toLower();
    };
    // Blanks trimmed by hand: a regular expression matches nothing in text holding a lone
    // surrogate.
    QString angle = replace(fold(keyword), fold(f.mainKeyword), {});
    while (angle.startsWith(u' '))
        angle.remove(0, 1);
    while (angle.endsWith(u' '))
        angle.chop(1);
    QString t =
        replace(angle.isEmpty() ? f.topicTemplate : f.angleTemplate, u"#KEYWORD#"_s, f.mainKeyword);
    if (!angle.isEmpty())
        t = replace(t, u"#ANGLE#"_s, angle);
    t = replace(t, u"#WORDS#"_s, f.approxWords);
    const QString p = u"In the middle of the article begin preselling the following product: "
                      u"'#PRODUCTNAME#'. Product Format: #FORMAT#. What it does: #WHATITDOES#. "_s;
    const QString pro =
        replace(replace(p, u"#PRODUCTNAME#"_s, f.productName), u"#FORMAT#"_s, f.format);
    return replace(t, u"#PRO#"_s,
                   f.promote ? replace(pro, u"#WHATITDOES#"_s, f.description) : QString());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::Input in{data, size};
    // Braced initialisation reads the bytes in order.
    const PromptFields f{in.text(pieces, 24), in.text(pieces, 24), in.text(pieces, 4),
                         in.text(pieces, 3),  bool(in.byte() & 1), in.text(pieces, 3),
                         in.text(pieces, 3),  in.text(pieces, 3)};
    // Keywords holding the main keyword in some letter case, one a line, each line ended by
    // another kind of break.
    const QString breaks[] = {u"\n"_s, u"\r\n"_s, u"\r"_s, u"\u2028"_s, u"\u2029\n"_s};
    QString keywordText;
    for (int i = in.byte() % 8; i > 0; --i) {
        keywordText += in.text(pieces, 3);
        for (int part = in.byte() % 3; part > 0; --part)
            keywordText +=
                (in.byte() & 1 ? f.mainKeyword.toUpper() : f.mainKeyword) + in.text(pieces, 2);
        keywordText += breaks[i % 5];
    }
    QString unified = keywordText;
    unified.replace(u"\r\n"_s, u"\n"_s).replace(u'\r', u'\n').replace(u'\u2028', u'\n');
    const QStringList keywords = unified.replace(u'\u2029', u'\n').split(u'\n', Qt::SkipEmptyParts);
    HolderList split;
    tsTools().SplitToList(keywordText, split);
    FUZZ_EQUAL(split.items.join(u'|'), keywords.join(u'|'));
    const PromptComposer composer(f);
    QString all;
    for (const QString& keyword : keywords) {
        const QString want = definedPrompt(f, keyword);
        FUZZ_EQUAL(promptFor(f, keyword), want);
        FUZZ_EQUAL(composer.compose(keyword).value_or(u"(too long)"_s), want);
        QString leaving = want;
        leaving.replace(u"\r\n"_s, u"\n"_s).replace(u'\r', u'\n').replace(u"\n"_s, u"\r\n"_s);
        all += u"Keyword: "_s + keyword + u"\r\nPrompt: "_s + leaving + u"\r\n\r\n"_s;
    }
    const AllPrompts planned = composer.allPrompts(keywords);
    FUZZ_EQUAL(planned.text(), all);
    FUZZ_EQUAL(QString::number(planned.length()), QString::number(all.size()));
    const QByteArray utf8 = QStringEncoder(QStringEncoder::Utf8)(all); // lone surrogates: U+FFFD
    FUZZ_EQUAL(QString::fromLatin1(planned.utf8().toHex()), QString::fromLatin1(utf8.toHex()));
    return 0;
}
