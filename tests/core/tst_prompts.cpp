// The composition of prompts, the batch's checks and the Copy All text.
#include "prompts/batchRules.h"
#include "prompts/promptComposer.h"
#include "prompts/promptListModel.h"

#include <QTest>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(PromptFields)

static const QString lead =
    u"In the middle of the article begin preselling the following product: "_s;

static PromptFields fields(const QString& topic, const QString& angle, const QString& main,
                           const QString& words = u"400"_s, bool promote = false,
                           const QStringList& product = {u"N"_s, u"F"_s, u"D"_s})
{
    return {topic,           angle, main, words, promote, product.value(0), product.value(1),
            product.value(2)};
}

class tst_prompts : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void prompts_data()
    {
        QTest::addColumn<PromptFields>("fields");
        QTest::addColumn<QString>("keyword");
        QTest::addColumn<QString>("expected");
        const QString start = u"Write an article of about 400 words about Herb Garden. "_s;
        const QString head = u"Write an article of about #WORDS# words about #KEYWORD#. "_s;
        const QString topic = head + u"#PRO#Use simple language."_s;
        const QString angle = head + u"Angle: #ANGLE#. #PRO#Use simple language."_s;
        const PromptFields herb = fields(topic, angle, u"Herb Garden"_s);
        QTest::newRow("angle") << herb << u"herb garden for beginners"_s
                               << start + u"Angle: for beginners. Use simple language."_s;
        QTest::newRow("topic") << herb << u" HERB Garden "_s << start + u"Use simple language."_s;
        QTest::newRow("promotion")
            << fields(topic, angle, u"Herb Garden"_s, u"400"_s, true,
                      {u"Guide"_s, u"ebook"_s, u"Teaches"_s})
            << u"HERB GARDEN"_s
            << start + lead
                   + u"'Guide'. Product Format: ebook. What it does: Teaches. Use simple language."_s;
        // Each step sees what the earlier ones put in.
        QTest::newRow("main keyword holding #ANGLE#")
            << fields({}, u"#KEYWORD#=#ANGLE#"_s, u"#ANGLE#"_s) << u"#ANGLE# x"_s << u"x=x"_s;
        QTest::newRow("product fields in order")
            << fields(u"#PRO#"_s, {}, u"m"_s, {}, true,
                      {u"#FORMAT#"_s, u"F"_s, u"#PRODUCTNAME##KEYWORD#"_s})
            << u"m"_s << lead + u"'F'. Product Format: F. What it does: #PRODUCTNAME##KEYWORD#. "_s;
        const QString kept = u"#ANGLE# #PRODUCTNAME# #FORMAT# #WHATITDOES# #keyword#"_s;
        QTest::newRow("not placeholders")
            << fields(kept, {}, u"Herb"_s, {}, true) << u"herb"_s << kept;
        // Lower case, every occurrence removed (the fuzz target checks the rest on random text).
        const PromptFields a = fields({}, u"#ANGLE#"_s, u"dog"_s);
        QTest::newRow("every occurrence")
            << a << u"dog food for DOG lovers"_s << u"food for  lovers"_s;
        QTest::newRow("accents composed either way")
            << fields({}, u"#ANGLE#"_s, u"Caf\u00E9"_s) << u"cafe\u0301 menu"_s << u"menu"_s;
    }

    void prompts()
    {
        QFETCH(PromptFields, fields);
        QFETCH(QString, keyword);
        QFETCH(QString, expected);
        QCOMPARE(composePrompt(fields, keyword), expected);
        QCOMPARE(PromptComposer(fields).compose(keyword), expected);
        const QString block =
            u"Keyword: "_s + keyword + u"\r\nPrompt: "_s + expected + u"\r\n\r\n"_s;
        const AllPrompts all = PromptComposer(fields).allPrompts({keyword, keyword});
        QCOMPARE(all.text(), block + block);
        QCOMPARE(all.length(), 2 * block.size());
        QCOMPARE(QString::fromUtf8(all.utf8()), block + block);
        QCOMPARE(PromptListModel::entryText(keyword), keyword + u" (click to see the prompt)"_s);
    }

    void batchChecks()
    {
        // The first empty field is reported, in this order; a text of blanks passes.
        using BatchRules::BatchInput;
        const auto refused = [](const BatchInput& input) {
            const Verdict v = BatchRules::checkInput(input);
            return v ? v->title + u": "_s + v->text : u"ok"_s;
        };
        const QString m = u"Missing Info: Please "_s;
        QCOMPARE(refused({{}, {}, {}, true, {}}), m + u"enter your main keyword."_s);
        QCOMPARE(refused({u"a"_s, {}, {}, true, {}}),
                 m + u"enter one or more long-tailed keywords."_s);
        QCOMPARE(refused({u"a"_s, u"b"_s, {}, true, {}}), m + u"fill the 'Approx. Words' field."_s);
        QCOMPARE(refused({u"a"_s, u"b"_s, u"4"_s, true, {}}), m + u"add a product to promote."_s);
        QCOMPARE(refused({u" "_s, u" "_s, u" "_s, false, {}}), u"ok"_s);
        QCOMPARE(refused({u"a"_s, u"b"_s, u"4"_s, true, u" "_s}), u"ok"_s);
        QVERIFY(!BatchRules::checkCopyLength(BatchRules::MaxCopyChars));
        const Verdict tooMuch = BatchRules::checkCopyLength(BatchRules::MaxCopyChars + 1);
        QVERIFY(tooMuch && tooMuch->title == u"Too Much Text"_s
                && tooMuch->text.contains(u"268"_s));
        QVERIFY(
            !BatchRules::checkPastedText(u"a\r\n"_s + QString(BatchRules::MaxKeywordChars, u'x')));
        QVERIFY(BatchRules::checkPastedText(u"a\u2029"_s
                                            + QString(BatchRules::MaxKeywordChars + 1, u'x')));
    }

    void leavingAndBounds()
    {
        // Copy All writes every line break of a prompt as CR LF.
        const PromptFields f = fields(u"#KEYWORD#"_s, u"a\nb\rc\r\n#ANGLE#"_s, u"k"_s);
        QCOMPARE(PromptComposer(f).allPrompts({u"k x"_s}).text(),
                 u"Keyword: k x\r\nPrompt: a\r\nb\r\nc\r\nx\r\n\r\n"_s);
        // A prompt longer than the limit is not built, and only the keywords that need it fail.
        const PromptFields big =
            fields(QString(100, u'#') + u"#KEYWORD##KEYWORD#"_s, u"#ANGLE#"_s, QString(60, u'k'));
        QVERIFY(composePrompt(big, u"k"_s, 220).has_value()
                && !composePrompt(big, QString(60, u'k'), 219));
        const PromptComposer composer(big, 219);
        QVERIFY(composer.allPrompts({u"x"_s}).fits()
                && !composer.allPrompts({u"x"_s, QString(60, u'K')}).fits());
        QVERIFY(!composer.compose(QString(60, u'k')) && composer.compose(QString(219, u'x')));
        QVERIFY(!composer.compose(QString(220, u'x'))
                && !composer.compose(u"#"_s + QString(219, u'x')));
    }
};

QTEST_GUILESS_MAIN(tst_prompts)
#include "tst_prompts.moc"
