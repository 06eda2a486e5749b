// Prompt composition: the step-by-step composition and the prepared composer
// that must give exactly the same prompts.

#include "prompts/promptComposer.h"

#include <QRandomGenerator>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QString exampleTopic =
    u"Write an article of about #WORDS# words about #KEYWORD#. #PRO#Use simple language."_s;
const QString exampleAngle =
    u"Write an article of about #WORDS# words about #KEYWORD#. Angle: #ANGLE#. #PRO#Use simple language."_s;

PromptFields exampleFields()
{
    PromptFields fields;
    fields.topicTemplate = exampleTopic;
    fields.angleTemplate = exampleAngle;
    fields.mainKeyword = u"Herb Garden"_s;
    fields.approxWords = u"400"_s;
    return fields;
}

// Templates that show which one was used and where each value went.
PromptFields markerFields(const QString& mainKeyword)
{
    PromptFields fields;
    fields.topicTemplate = u"T[#KEYWORD#|#WORDS#|#PRO#]"_s;
    fields.angleTemplate = u"A[#KEYWORD#|#ANGLE#|#WORDS#|#PRO#]"_s;
    fields.mainKeyword = mainKeyword;
    fields.approxWords = u"400"_s;
    return fields;
}

QString blocks(const PromptFields& fields, const QStringList& keywords)
{
    QString text;
    for (const QString& keyword : keywords)
        text += u"Keyword: "_s + keyword + u"\r\nPrompt: "_s + composePrompt(fields, keyword) +
                u"\r\n\r\n"_s;
    return text;
}

QString randomText(QRandomGenerator& random, const QStringList& alphabet, int maxPieces)
{
    QString text;
    const int pieces = int(random.bounded(maxPieces + 1));
    for (int i = 0; i < pieces; ++i)
        text += alphabet.at(random.bounded(int(alphabet.size())));
    return text;
}

QString describe(const PromptFields& f, const QString& keyword)
{
    return u"topic=\"%1\" angle=\"%2\" main=\"%3\" words=\"%4\" promote=%5 name=\"%6\" "
           "format=\"%7\" description=\"%8\" keyword=\"%9\""_s.arg(
               f.topicTemplate, f.angleTemplate, f.mainKeyword, f.approxWords,
               f.promote ? u"yes"_s : u"no"_s, f.productName, f.format, f.description, keyword);
}

const QString emptyProductSentence =
    u"In the middle of the article begin preselling the following product: ''. "
    "Product Format: . What it does: . "_s;

} // namespace

class tst_composition : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void herbGardenPrompts_data();
    void herbGardenPrompts();
    void promotionSentence();
    void promotionWithEmptyProductFields();

    void angleAndTemplateChoice_data();
    void angleAndTemplateChoice();
    void unicodeLowerCasing_data();
    void unicodeLowerCasing();

    void valuesGoInAsTyped();
    void replacementOrder_data();
    void replacementOrder();
    void textThatIsNotAPlaceholderStays_data();
    void textThatIsNotAPlaceholderStays();

    void composerEqualsStepByStepOnRandomInput();
    void allPromptsBlockLayout();
    void allPromptsAsUtf8_data();
    void allPromptsAsUtf8();
};

// ---------------------------------------------------------------- herb garden prompts

void tst_composition::herbGardenPrompts_data()
{
    QTest::addColumn<QString>("keyword");
    QTest::addColumn<bool>("promote");
    QTest::addColumn<QString>("expected");

    QTest::newRow("angle") << u"herb garden for beginners"_s << false
                           << u"Write an article of about 400 words about Herb Garden. Angle: for "
                              "beginners. Use simple language."_s;
    QTest::newRow("topic") << u"HERB GARDEN"_s << false
                           << u"Write an article of about 400 words about Herb Garden. Use simple "
                              "language."_s;
    QTest::newRow("angle with two blanks inside")
        << u"indoor herb garden ideas"_s << false
        << u"Write an article of about 400 words about Herb Garden. Angle: indoor  ideas. Use "
           "simple language."_s;
    QTest::newRow("topic with promotion")
        << u"HERB GARDEN"_s << true
        << u"Write an article of about 400 words about Herb Garden. In the middle of the article "
           "begin preselling the following product: 'Herb Garden Guide'. Product Format: ebook. "
           "What it does: Teaches beginners to grow herbs on a windowsill. Use simple language."_s;
}

void tst_composition::herbGardenPrompts()
{
    QFETCH(QString, keyword);
    QFETCH(bool, promote);
    QFETCH(QString, expected);
    PromptFields fields = exampleFields();
    fields.promote = promote;
    fields.productName = u"Herb Garden Guide"_s;
    fields.format = u"ebook"_s;
    fields.description = u"Teaches beginners to grow herbs on a windowsill"_s;

    QCOMPARE(composePrompt(fields, keyword), expected);
    QCOMPARE(PromptComposer(fields).compose(keyword), expected);
}

void tst_composition::promotionSentence()
{
    QCOMPARE(Prompts::PromotionSentence.size(), 140);
    PromptFields fields;
    fields.topicTemplate = u"#PRO#"_s;
    fields.angleTemplate = u"#PRO#"_s;
    fields.promote = true;
    fields.productName = u"N"_s;
    fields.format = u"F"_s;
    fields.description = u"D"_s;
    const QString expected = u"In the middle of the article begin preselling the following "
                             "product: 'N'. Product Format: F. What it does: D. "_s;
    QCOMPARE(composePrompt(fields, u""_s), expected);
    QCOMPARE(composePrompt(fields, u"some angle"_s), expected);
    QCOMPARE(promotionText(fields), expected);

    // Every occurrence gets the sentence; switched off, every one disappears.
    fields.topicTemplate = u"<#PRO#><#PRO#>"_s;
    QCOMPARE(composePrompt(fields, u""_s), u"<"_s + expected + u"><"_s + expected + u">"_s);
    fields.promote = false;
    QCOMPARE(composePrompt(fields, u""_s), u"<><>"_s);
    QCOMPARE(promotionText(fields), u""_s);
}

void tst_composition::promotionWithEmptyProductFields()
{
    PromptFields fields = exampleFields();
    fields.promote = true;
    QCOMPARE(emptyProductSentence.size(), 140 - 13 - 8 - 12);
    QCOMPARE(composePrompt(fields, u"herb garden"_s),
             u"Write an article of about 400 words about Herb Garden. "_s + emptyProductSentence +
                 u"Use simple language."_s);
    QCOMPARE(PromptComposer(fields).compose(u"herb garden tips"_s),
             u"Write an article of about 400 words about Herb Garden. Angle: tips. "_s +
                 emptyProductSentence + u"Use simple language."_s);

    fields.promote = false;
    fields.topicTemplate = u"A #PRO#B"_s;
    QCOMPARE(composePrompt(fields, u"herb garden"_s), u"A B"_s);
}

// ---------------------------------------------------------------- angle

void tst_composition::angleAndTemplateChoice_data()
{
    QTest::addColumn<QString>("mainKeyword");
    QTest::addColumn<QString>("keyword");
    QTest::addColumn<QString>("angle");

    QTest::newRow("same apart from case and outer blanks")
        << u"dog food"_s << u" DOG Food "_s << u""_s;
    QTest::newRow("main keyword not contained")
        << u"Herb Garden"_s << u"  Tomato Plants "_s << u"tomato plants"_s;
    QTest::newRow("not limited to whole words") << u"cat"_s << u"category"_s << u"egory"_s;
    QTest::newRow("main keyword not trimmed") << u"dog "_s << u"dog"_s << u"dog"_s;
    QTest::newRow("main keyword blank kept in the match")
        << u"dog "_s << u"dog food"_s << u"food"_s;
    QTest::newRow("every occurrence removed")
        << u"dog"_s << u"dog food for dog lovers"_s << u"food for  lovers"_s;
    QTest::newRow("occurrences found left to right") << u"aa"_s << u"aaa b"_s << u"a b"_s;
    QTest::newRow("only blanks are trimmed")
        << u"dog"_s << u"\tdog food\u00A0"_s << u"\t food\u00A0"_s;
    QTest::newRow("inner blanks kept") << u"x"_s << u"  a   b  "_s << u"a   b"_s;
    QTest::newRow("empty keyword") << u"Herb Garden"_s << u""_s << u""_s;
    QTest::newRow("blank keyword") << u"Herb Garden"_s << u"   "_s << u""_s;
    QTest::newRow("empty main keyword") << u""_s << u" Cats And Dogs "_s << u"cats and dogs"_s;
    QTest::newRow("both empty") << u""_s << u""_s << u""_s;
    QTest::newRow("keyword repeats the main keyword") << u"Dog"_s << u"DOG dog Dog"_s << u""_s;
    QTest::newRow("placeholder-like keyword stays lower case")
        << u"z"_s << u"#WORDS# #PRO#"_s << u"#words# #pro#"_s;
}

void tst_composition::angleAndTemplateChoice()
{
    QFETCH(QString, mainKeyword);
    QFETCH(QString, keyword);
    QFETCH(QString, angle);
    const PromptFields fields = markerFields(mainKeyword);

    QCOMPARE(angleOf(mainKeyword, keyword), angle);
    const QString expected = angle.isEmpty() ? u"T["_s + mainKeyword + u"|400|]"_s
                                             : u"A["_s + mainKeyword + u"|"_s + angle + u"|400|]"_s;
    QCOMPARE(composePrompt(fields, keyword), expected);
    const PromptComposer composer(fields);
    QCOMPARE(composer.compose(keyword), expected);
    QCOMPARE(composer.allPromptsText({keyword}),
             u"Keyword: "_s + keyword + u"\r\nPrompt: "_s + expected + u"\r\n\r\n"_s);
}

void tst_composition::unicodeLowerCasing_data()
{
    QTest::addColumn<QString>("mainKeyword");
    QTest::addColumn<QString>("keyword");
    QTest::addColumn<QString>("angle");

    QTest::newRow("French") << u"ÉTÉ"_s << u"Été Chaud"_s << u"chaud"_s;
    QTest::newRow("Greek") << u"Ελλάδα"_s << u"ΕΛΛΆΔΑ ΤΑΞΊΔΙ"_s << u"ταξίδι"_s;
    QTest::newRow("Cyrillic") << u"Москва"_s << u"МОСКВА ОТЕЛИ"_s << u"отели"_s;
    QTest::newRow("German") << u"STRASSE"_s << u"Straße strasse"_s << u"straße"_s;
    QTest::newRow("beyond the basic plane") << u"𐐨𐐩"_s << u"𐐀𐐁 𐐂"_s << u"𐐪"_s;
    QTest::newRow("Turkish dotted I, same spelling")
        << u"İstanbul"_s << u"İSTANBUL OTELLERİ"_s << u"otelleri\u0307"_s;
    QTest::newRow("Turkish dotted I alone") << u"İ"_s << u"İİ"_s << u""_s;
    QTest::newRow("Japanese has no case") << u"日本"_s << u"日本 旅行"_s << u"旅行"_s;
}

void tst_composition::unicodeLowerCasing()
{
    QFETCH(QString, mainKeyword);
    QFETCH(QString, keyword);
    QFETCH(QString, angle);
    const PromptFields fields = markerFields(mainKeyword);
    QCOMPARE(angleOf(mainKeyword, keyword), angle);
    const QString prompt = composePrompt(fields, keyword);
    QCOMPARE(prompt, angle.isEmpty() ? u"T["_s + mainKeyword + u"|400|]"_s
                                     : u"A["_s + mainKeyword + u"|"_s + angle + u"|400|]"_s);
    QCOMPARE(PromptComposer(fields).compose(keyword), prompt);
}

// ---------------------------------------------------------------- values and order

void tst_composition::valuesGoInAsTyped()
{
    PromptFields fields = markerFields(u"  Herb GARDEN "_s);
    fields.approxWords = u"about 500"_s;
    // "#KEYWORD#" keeps case and blanks as typed; "#ANGLE#" is lower case.
    QCOMPARE(composePrompt(fields, u"  herb garden FOR Beginners"_s),
             u"A[  Herb GARDEN |for beginners|about 500|]"_s);
    QCOMPARE(composePrompt(fields, u"  HERB GARDEN "_s), u"T[  Herb GARDEN |about 500|]"_s);

    // Templates without placeholders, several lines, or nothing at all.
    fields.topicTemplate = u"Line one\r\nLine two\r\n"_s;
    fields.angleTemplate = u""_s;
    QCOMPARE(composePrompt(fields, u"  herb garden "_s), u"Line one\r\nLine two\r\n"_s);
    QCOMPARE(composePrompt(fields, u"herb garden tips"_s), u""_s);
    const PromptComposer composer(fields);
    QCOMPARE(composer.compose(u"herb garden tips"_s), u""_s);
    QCOMPARE(composer.compose(u"  herb garden "_s), u"Line one\r\nLine two\r\n"_s);
}

void tst_composition::replacementOrder_data()
{
    QTest::addColumn<QString>("topicTemplate");
    QTest::addColumn<QString>("angleTemplate");
    QTest::addColumn<QString>("mainKeyword");
    QTest::addColumn<QString>("words");
    QTest::addColumn<bool>("promote");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("description");
    QTest::addColumn<QString>("keyword");
    QTest::addColumn<QString>("expected");

    QTest::newRow("main keyword holding #WORDS#")
        << u"About #KEYWORD#."_s << u""_s << u"Best #WORDS# Tips"_s << u"500"_s << false << u""_s
        << u""_s << u""_s << u"best #words# tips"_s << u"About Best 500 Tips."_s;
    QTest::newRow("main keyword holding #ANGLE#")
        << u""_s << u"K=#KEYWORD# A=#ANGLE#"_s << u"#ANGLE#"_s << u"500"_s << false << u""_s
        << u""_s << u""_s << u"#ANGLE# extra"_s << u"K=extra A=extra"_s;
    QTest::newRow("main keyword holding #PRO#")
        << u"[#KEYWORD#]"_s << u""_s << u"x #PRO#"_s << u"1"_s << true << u"N"_s << u"F"_s << u"D"_s
        << u"X #PRO#"_s
        << u"[x In the middle of the article begin preselling the following product: 'N'. "
           "Product Format: F. What it does: D. ]"_s;
    QTest::newRow("words holding #KEYWORD# stay")
        << u"#WORDS#"_s << u""_s << u"M"_s << u"#KEYWORD#"_s << false << u""_s << u""_s << u""_s
        << u"m"_s << u"#KEYWORD#"_s;
    QTest::newRow("words holding #PRO# get the sentence")
        << u"#WORDS#"_s << u""_s << u"M"_s << u"#PRO#"_s << false << u""_s << u""_s << u""_s
        << u"m"_s << u""_s;
    QTest::newRow("angle completes #WORDS# across the mark")
        << u""_s << u"#WORDS#ANGLE#"_s << u"zzz"_s << u"500"_s << false << u""_s << u""_s << u""_s
        << u"#x"_s << u"500x"_s;
    QTest::newRow("plain angle after the mark")
        << u""_s << u"#WORDS#ANGLE#"_s << u"zzz"_s << u"500"_s << false << u""_s << u""_s << u""_s
        << u"ab"_s << u"#WORDSab"_s;
    QTest::newRow("angle completes #PRO# across the mark")
        << u""_s << u"#PRO#ANGLE#"_s << u"zzz"_s << u"1"_s << true << u"N"_s << u"F"_s << u"D"_s
        << u"#!"_s
        << u"In the middle of the article begin preselling the following product: 'N'. Product "
           "Format: F. What it does: D. !"_s;
    QTest::newRow("#ANGLE# matched left to right")
        << u""_s << u"#ANGLE#ANGLE#"_s << u"zzz"_s << u"1"_s << false << u""_s << u""_s << u""_s
        << u"q"_s << u"qANGLE#"_s;
    QTest::newRow("#KEYWORD# in a description stays")
        << u"#PRO#"_s << u""_s << u"M"_s << u"1"_s << true << u"N"_s << u"F"_s
        << u"Helps with #KEYWORD# and #WORDS#"_s << u"m"_s
        << u"In the middle of the article begin preselling the following product: 'N'. Product "
           "Format: F. What it does: Helps with #KEYWORD# and #WORDS#. "_s;
    QTest::newRow("#PRO# in a description stays")
        << u"#PRO#"_s << u""_s << u"M"_s << u"1"_s << true << u"N"_s << u"F"_s << u"#PRO#"_s
        << u"m"_s
        << u"In the middle of the article begin preselling the following product: 'N'. Product "
           "Format: F. What it does: #PRO#. "_s;
    QTest::newRow("product name holding #FORMAT#")
        << u"#PRO#"_s << u""_s << u"M"_s << u"1"_s << true << u"A #FORMAT#"_s << u"ebook"_s
        << u"#PRODUCTNAME#"_s << u"m"_s
        << u"In the middle of the article begin preselling the following product: 'A ebook'. "
           "Product Format: ebook. What it does: #PRODUCTNAME#. "_s;
}

void tst_composition::replacementOrder()
{
    QFETCH(QString, topicTemplate);
    QFETCH(QString, angleTemplate);
    QFETCH(QString, mainKeyword);
    QFETCH(QString, words);
    QFETCH(bool, promote);
    QFETCH(QString, name);
    QFETCH(QString, format);
    QFETCH(QString, description);
    QFETCH(QString, keyword);
    QFETCH(QString, expected);
    PromptFields fields;
    fields.topicTemplate = topicTemplate;
    fields.angleTemplate = angleTemplate;
    fields.mainKeyword = mainKeyword;
    fields.approxWords = words;
    fields.promote = promote;
    fields.productName = name;
    fields.format = format;
    fields.description = description;

    QCOMPARE(composePrompt(fields, keyword), expected);
    const PromptComposer composer(fields);
    QCOMPARE(composer.compose(keyword), expected);
    const QString all = composer.allPromptsText({keyword, keyword});
    const QString block = u"Keyword: "_s + keyword + u"\r\nPrompt: "_s + expected + u"\r\n\r\n"_s;
    QCOMPARE(all, block + block);
    QCOMPARE(composer.allPromptsLength({keyword, keyword}), all.size());
}

void tst_composition::textThatIsNotAPlaceholderStays_data()
{
    QTest::addColumn<QString>("keyword");
    QTest::addColumn<QString>("expected");
    // Main keyword "Herb", so "herb" gives the topic template.
    QTest::newRow("topic template")
        << u"herb"_s
        << u"Herb #ANGLE# #PRODUCTNAME# #FORMAT# #WHATITDOES# #keyword# #WORDS #Words#"_s;
    QTest::newRow("angle template")
        << u"herb tea"_s << u"Herb tea #PRODUCTNAME# #FORMAT# #WHATITDOES# #ANGLE #angle#"_s;
}

void tst_composition::textThatIsNotAPlaceholderStays()
{
    QFETCH(QString, keyword);
    QFETCH(QString, expected);
    PromptFields fields;
    fields.topicTemplate =
        u"#KEYWORD# #ANGLE# #PRODUCTNAME# #FORMAT# #WHATITDOES# #keyword# #WORDS #Words#"_s;
    fields.angleTemplate =
        u"#KEYWORD# #ANGLE# #PRODUCTNAME# #FORMAT# #WHATITDOES# #ANGLE #angle#"_s;
    fields.mainKeyword = u"Herb"_s;
    fields.approxWords = u"400"_s;
    fields.promote = true;
    fields.productName = u"N"_s;
    fields.format = u"F"_s;
    fields.description = u"D"_s;
    QCOMPARE(composePrompt(fields, keyword), expected);
    QCOMPARE(PromptComposer(fields).compose(keyword), expected);
}

// ---------------------------------------------------------------- prepared composer

void tst_composition::composerEqualsStepByStepOnRandomInput()
{
    // Fragments that can join into placeholders wherever texts meet: inside a
    // template, at the edges of an inserted value, and at the "#ANGLE#" marks.
    const QStringList alphabet =
        u"#|#|##|#WOR|DS#|WORDS|#PR|O#|PRO|#ANGLE#|#ANG|LE#|ANGLE|#KEYWORD#|#KEY|WORD#|#WORDS#|"
        "#PRO#|#PRODUCTNAME#|#FORMAT#|#WHATITDOES#|#words#|#pro#|#angle#|A|a|B|b| |  |é|É|İ|€|😀|"
        "\r\n|x"_s.split(u'|');
    QRandomGenerator random(7151);
    int angleKeywords = 0;
    int topicKeywords = 0;
    for (int round = 0; round < 3000; ++round) {
        PromptFields fields;
        fields.topicTemplate = randomText(random, alphabet, 10);
        fields.angleTemplate = randomText(random, alphabet, 10);
        fields.mainKeyword = random.bounded(8) == 0 ? QString() : randomText(random, alphabet, 3);
        fields.approxWords = randomText(random, alphabet, 2);
        fields.promote = random.bounded(2) == 1;
        fields.productName = randomText(random, alphabet, 2);
        fields.format = randomText(random, alphabet, 2);
        fields.description = randomText(random, alphabet, 2);

        QStringList keywords;
        const int count = 1 + int(random.bounded(6));
        for (int k = 0; k < count; ++k) {
            QString main = fields.mainKeyword;
            switch (random.bounded(4)) {
            case 0:
                main = main.toUpper();
                break;
            case 1:
                main = main.toLower();
                break;
            case 2:
                main.clear();
                break;
            default:
                break;
            }
            keywords.append(randomText(random, alphabet, 2) + main +
                            randomText(random, alphabet, 3));
        }

        const PromptComposer composer(fields);
        for (const QString& keyword : keywords) {
            const QString expected = composePrompt(fields, keyword);
            const QString actual = composer.compose(keyword);
            QVERIFY2(
                actual == expected,
                qPrintable(u"round %1: %2\n gave     \"%3\"\n expected \"%4\""_s.arg(round).arg(
                    describe(fields, keyword), actual, expected)));
            if (angleOf(fields.mainKeyword, keyword).isEmpty())
                ++topicKeywords;
            else
                ++angleKeywords;
        }
        const QString all = composer.allPromptsText(keywords);
        QVERIFY2(all == blocks(fields, keywords), qPrintable(u"round %1"_s.arg(round)));
        QCOMPARE(composer.allPromptsLength(keywords), all.size());

        const AllPrompts planned = composer.allPrompts(keywords);
        QCOMPARE(planned.length(), all.size());
        QVERIFY2(planned.text() == all, qPrintable(u"round %1"_s.arg(round)));
        QVERIFY(planned.isValidUtf16());
        QVERIFY2(planned.utf8() == all.toUtf8(), qPrintable(u"round %1"_s.arg(round)));
    }
    // Both templates must have had their share of the draw.
    QVERIFY2(topicKeywords > 1000 && angleKeywords > 1000,
             qPrintable(u"%1 topic, %2 angle"_s.arg(topicKeywords).arg(angleKeywords)));
}

void tst_composition::allPromptsBlockLayout()
{
    PromptFields fields = exampleFields();
    fields.topicTemplate = u"Topic #KEYWORD#\r\nline 2"_s;
    const PromptComposer composer(fields);
    const QStringList keywords = {u"HERB GARDEN"_s, u"herb garden tips"_s, u"  "_s};
    const QString expected =
        u"Keyword: HERB GARDEN\r\nPrompt: Topic Herb Garden\r\nline 2\r\n\r\n"
        "Keyword: herb garden tips\r\nPrompt: Write an article of about 400 words about Herb "
        "Garden. Angle: tips. Use simple language.\r\n\r\n"
        "Keyword:   \r\nPrompt: Topic Herb Garden\r\nline 2\r\n\r\n"_s;
    QCOMPARE(composer.allPromptsText(keywords), expected);
    QCOMPARE(composer.allPromptsLength(keywords), expected.size());
    QCOMPARE(composer.allPromptsText({}), u""_s);
    QCOMPARE(composer.allPromptsLength({}), 0);

    // An empty template gives empty prompts, still one block per keyword.
    fields.topicTemplate.clear();
    fields.angleTemplate.clear();
    const PromptComposer empty(fields);
    QCOMPARE(empty.allPromptsText({u"a"_s, u"herb garden"_s}),
             u"Keyword: a\r\nPrompt: \r\n\r\nKeyword: herb garden\r\nPrompt: \r\n\r\n"_s);
}

void tst_composition::allPromptsAsUtf8_data()
{
    QTest::addColumn<QString>("topicTemplate");
    QTest::addColumn<QString>("angleTemplate");
    QTest::addColumn<QString>("mainKeyword");
    QTest::addColumn<QStringList>("keywords");
    QTest::addColumn<bool>("validUtf16");

    // The angle is inserted at every mark, so it is written several times.
    const QString topic = u"Topic #KEYWORD# #WORDS#."_s;
    const QString marks = u"<#ANGLE#|#ANGLE#|#ANGLE#> #KEYWORD# #WORDS#"_s;
    const QString herb = u"Herb"_s;
    QTest::newRow("ASCII") << topic << marks << herb << QStringList{u"herb tea"_s, u"HERB"_s}
                           << true;
    QTest::newRow("two-byte characters")
        << topic << marks << herb << QStringList{u"herb été"_s, u"ελλάδα herb"_s} << true;
    QTest::newRow("three-byte characters")
        << topic << u"€ "_s + marks << herb << QStringList{u"herb 日本語 €"_s, u"€"_s} << true;
    QTest::newRow("four-byte characters") << u"😀"_s + topic << u"😀"_s + marks << herb
                                          << QStringList{u"herb 😀𐐀"_s, u"😀 herb 😀"_s} << true;
    QTest::newRow("angle through the slow path") << topic << u"#WORDS#ANGLE# "_s + marks << herb
                                                 << QStringList{u"#😀"_s, u"#é herb"_s} << true;
    QTest::newRow("lone surrogate in an angle")
        << topic << marks << herb << QStringList{u"herb"_s, u"herb \xD800 tea"_s} << false;
    QTest::newRow("lone surrogate in a keyword line only")
        << u"Topic."_s << u"<#ANGLE#>"_s << u"Herb\xD800"_s
        << QStringList{u"herb tea"_s, u"HERB\xD800"_s} << false;
    QTest::newRow("lone surrogate in the angle template")
        << topic << u"\xDC00"_s + marks << herb << QStringList{u"herb tea"_s} << false;
    QTest::newRow("lone surrogate in the topic template")
        << u"\xDC00"_s + topic << marks << herb << QStringList{u"herb"_s} << false;
    QTest::newRow("no keywords") << topic << marks << herb << QStringList{} << true;
}

void tst_composition::allPromptsAsUtf8()
{
    QFETCH(QString, topicTemplate);
    QFETCH(QString, angleTemplate);
    QFETCH(QString, mainKeyword);
    QFETCH(QStringList, keywords);
    QFETCH(bool, validUtf16);
    PromptFields fields;
    fields.topicTemplate = topicTemplate;
    fields.angleTemplate = angleTemplate;
    fields.mainKeyword = mainKeyword;
    fields.approxWords = u"é500€"_s;
    const PromptComposer composer(fields);
    const AllPrompts planned = composer.allPrompts(keywords);
    const QString expected = blocks(fields, keywords);
    QCOMPARE(planned.length(), expected.size());
    QCOMPARE(planned.text(), expected);
    // UTF-8 cannot carry a lone surrogate, so such a text must be told apart.
    QCOMPARE(planned.isValidUtf16(), validUtf16);
    QCOMPARE(QStringView(expected).isValidUtf16(), validUtf16);
    if (validUtf16)
        QCOMPARE(planned.utf8(), expected.toUtf8());
}

QTEST_GUILESS_MAIN(tst_composition)
#include "tst_composition.moc"
