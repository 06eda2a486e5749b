// The prompt composition, step by step as the program defines it, against
// composePrompt, the prepared PromptComposer and the "Copy to Clipboard (All)"
// text.

#include "fuzzSupport.h"
#include "prompts/promptComposer.h"

#include <QByteArray>

namespace {

// Pieces rich in placeholders and in parts of placeholders, so that a
// replacement can complete or break one of a later step.
const std::vector<QString> pieces = {
    QStringLiteral("#KEYWORD#"),
    QStringLiteral("#ANGLE#"),
    QStringLiteral("#WORDS#"),
    QStringLiteral("#PRO#"),
    QStringLiteral("#PRODUCTNAME#"),
    QStringLiteral("#FORMAT#"),
    QStringLiteral("#WHATITDOES#"),
    QStringLiteral("#"),
    QStringLiteral("#K"),
    QStringLiteral("EYWORD#"),
    QStringLiteral("WORDS"),
    QStringLiteral("PRO"),
    QStringLiteral("#ANG"),
    QStringLiteral("LE#"),
    QStringLiteral("dog"),
    QStringLiteral("Dog"),
    QStringLiteral("DOG"),
    QStringLiteral("cat"),
    QStringLiteral(" "),
    QStringLiteral("  "),
    QStringLiteral("a"),
    QStringLiteral("A"),
    QStringLiteral("\r\n"),
    QStringLiteral("\t"),
    QString(QChar(0x0130)),
    QString(QChar(0x1E9E)),
    QString(QChar(0x00E9)),
    QString(QChar(0x00A0)),
    QStringLiteral(" (click to see the prompt)"),
};

// The sentence that "#PRO#" becomes, as the program's users know it.
const QString sentence = QStringLiteral(
    "In the middle of the article begin preselling the following product: '#PRODUCTNAME#'. "
    "Product Format: #FORMAT#. What it does: #WHATITDOES#. ");

QString trimmedBlanks(QString text)
{
    while (text.startsWith(u' '))
        text.remove(0, 1);
    while (text.endsWith(u' '))
        text.chop(1);
    return text;
}

QString referenceAngle(const QString& mainKeyword, const QString& keyword)
{
    return trimmedBlanks(
        fuzz::referenceReplace(keyword.toLower(), mainKeyword.toLower(), QString()));
}

// The promotion sentence with the product fields, or nothing.
QString referencePromotion(const PromptFields& f)
{
    if (!f.promote)
        return QString();
    QString p = fuzz::referenceReplace(sentence, QStringLiteral("#PRODUCTNAME#"), f.productName);
    p = fuzz::referenceReplace(p, QStringLiteral("#FORMAT#"), f.format);
    return fuzz::referenceReplace(p, QStringLiteral("#WHATITDOES#"), f.description);
}

QString referencePrompt(const PromptFields& f, const QString& keyword)
{
    using fuzz::referenceReplace;
    const QString angle = referenceAngle(f.mainKeyword, keyword);
    QString t;
    if (angle.isEmpty()) {
        t = referenceReplace(f.topicTemplate, QStringLiteral("#KEYWORD#"), f.mainKeyword);
        t = referenceReplace(t, QStringLiteral("#WORDS#"), f.approxWords);
    } else {
        t = referenceReplace(f.angleTemplate, QStringLiteral("#KEYWORD#"), f.mainKeyword);
        t = referenceReplace(t, QStringLiteral("#ANGLE#"), angle);
        t = referenceReplace(t, QStringLiteral("#WORDS#"), f.approxWords);
    }
    return referenceReplace(t, QStringLiteral("#PRO#"), referencePromotion(f));
}

// A keyword made of pieces and of the main keyword itself, in any letter case.
QString keywordFrom(fuzz::Input& input, const QString& mainKeyword)
{
    QString keyword;
    const int parts = input.byte() % 6;
    for (int i = 0; i < parts; ++i) {
        switch (input.byte() % 4) {
        case 0:
            keyword += mainKeyword;
            break;
        case 1:
            keyword += mainKeyword.toUpper();
            break;
        default:
            keyword += input.text(pieces, 4);
            break;
        }
    }
    return keyword;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::Input input(data, size);
    PromptFields f;
    f.topicTemplate = input.text(pieces, 24);
    f.angleTemplate = input.text(pieces, 24);
    f.mainKeyword = input.text(pieces, 4);
    f.approxWords = input.text(pieces, 3);
    f.promote = input.byte() & 1;
    f.productName = input.text(pieces, 3);
    f.format = input.text(pieces, 3);
    f.description = input.text(pieces, 3);

    QStringList keywords;
    const int count = input.byte() % 8;
    for (int i = 0; i < count; ++i)
        keywords.append(keywordFrom(input, f.mainKeyword));

    const QString wantPromotion = referencePromotion(f);
    const QString gotPromotion = promotionText(f);
    FUZZ_CHECK(gotPromotion == wantPromotion, {"got", fuzz::shown(gotPromotion)},
               {"want", fuzz::shown(wantPromotion)});

    const PromptComposer composer(f);
    QString wantAll;
    for (const QString& keyword : keywords) {
        const QString want = referencePrompt(f, keyword);
        const QString angle = angleOf(f.mainKeyword, keyword);
        const QString wantAngle = referenceAngle(f.mainKeyword, keyword);
        FUZZ_CHECK(angle == wantAngle, {"main", fuzz::shown(f.mainKeyword)},
                   {"keyword", fuzz::shown(keyword)}, {"got", fuzz::shown(angle)},
                   {"want", fuzz::shown(wantAngle)});

        const QString plain = composePrompt(f, keyword);
        FUZZ_CHECK(plain == want, {"topic", fuzz::shown(f.topicTemplate)},
                   {"angle", fuzz::shown(f.angleTemplate)}, {"main", fuzz::shown(f.mainKeyword)},
                   {"words", fuzz::shown(f.approxWords)}, {"keyword", fuzz::shown(keyword)},
                   {"got", fuzz::shown(plain)}, {"want", fuzz::shown(want)});

        const QString prepared = composer.compose(keyword);
        FUZZ_CHECK(prepared == want, {"topic", fuzz::shown(f.topicTemplate)},
                   {"angle", fuzz::shown(f.angleTemplate)}, {"main", fuzz::shown(f.mainKeyword)},
                   {"words", fuzz::shown(f.approxWords)}, {"keyword", fuzz::shown(keyword)},
                   {"got", fuzz::shown(prepared)}, {"want", fuzz::shown(want)});

        wantAll += QStringLiteral("Keyword: ") + keyword + QStringLiteral("\r\nPrompt: ") + want +
                   QStringLiteral("\r\n\r\n");
    }
    const QString all = composer.allPromptsText(keywords);
    FUZZ_CHECK(all == wantAll, {"got", fuzz::shown(all)}, {"want", fuzz::shown(wantAll)});
    const qsizetype length = composer.allPromptsLength(keywords);
    FUZZ_CHECK(length == wantAll.size(), {"length", std::to_string(length)},
               {"want", std::to_string(wantAll.size())});

    // The same text planned once, as "Copy to Clipboard (All)" takes it, and
    // written as UTF-8: exact whenever the plan says the text can be.
    const AllPrompts planned = composer.allPrompts(keywords);
    FUZZ_CHECK(planned.length() == wantAll.size(), {"length", std::to_string(planned.length())},
               {"want", std::to_string(wantAll.size())});
    const QString plannedText = planned.text();
    FUZZ_CHECK(plannedText == wantAll, {"got", fuzz::shown(plannedText)},
               {"want", fuzz::shown(wantAll)});
    const QByteArray utf8 = planned.utf8();
    if (planned.isValidUtf16()) {
        FUZZ_CHECK(!fuzz::hasLoneSurrogate(wantAll), {"text", fuzz::shown(wantAll)});
        FUZZ_CHECK(utf8 == wantAll.toUtf8(), {"text", fuzz::shown(wantAll)},
                   {"decoded", fuzz::shown(QString::fromUtf8(utf8))});
    }
    return 0;
}
