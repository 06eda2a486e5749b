// Prompt composition, step by step and by the prepared composer that must give the same.

#include "prompts/promptComposer.h"

#include <QRandomGenerator>
#include <QTest>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(PromptFields)

const QString lead = u"In the middle of the article begin preselling the following product: "_s;
const QString sentence = lead + u"'N'. Product Format: F. What it does: D. "_s;

static PromptFields fields(const QString& topic, const QString& angle, const QString& main,
                           const QString& words = u"400"_s, bool promote = false,
                           const QString& name = u"N"_s, const QString& format = u"F"_s,
                           const QString& description = u"D"_s)
{
    return {topic, angle, main, words, promote, name, format, description};
}

class tst_composition : public QObject
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
        const QString teaches = u"Teaches beginners to grow herbs on a windowsill"_s;
        const PromptFields herb = fields(topic, angle, u"Herb Garden"_s);
        QTest::newRow("example: angle") << herb << u"herb garden for beginners"_s
                                        << start + u"Angle: for beginners. Use simple language."_s;
        QTest::newRow("example: topic")
            << herb << u"HERB GARDEN"_s << start + u"Use simple language."_s;
        QTest::newRow("example: blanks inside")
            << herb << u"indoor herb garden ideas"_s
            << start + u"Angle: indoor  ideas. Use simple language."_s;
        QTest::newRow("example: promotion")
            << fields(topic, angle, u"Herb Garden"_s, u"400"_s, true, u"Herb Garden Guide"_s,
                      u"ebook"_s, teaches)
            << u"HERB GARDEN"_s
            << start + lead + u"'Herb Garden Guide'. Product Format: ebook. What it does: "_s +
                   teaches + u". Use simple language."_s;
        QTest::newRow("promotion with empty product fields")
            << fields(topic, angle, u"Herb Garden"_s, u"400"_s, true, {}, {}, {})
            << u"HERB GARDEN"_s
            << start + lead + u"''. Product Format: . What it does: . Use simple language."_s;

        // #KEYWORD#, #ANGLE#, #WORDS#, #PRO#: each step sees what the earlier ones put in.
        QTest::newRow("main keyword holding #ANGLE#")
            << fields({}, u"#KEYWORD#=#ANGLE#"_s, u"#ANGLE#"_s) << u"#ANGLE# x"_s << u"x=x"_s;
        QTest::newRow("angle completing #WORDS#")
            << fields({}, u"#WORDS#ANGLE#"_s, u"zzz"_s, u"5"_s) << u"#x"_s << u"5x"_s;
        QTest::newRow("words holding #PRO#")
            << fields(u"#WORDS#"_s, {}, u"M"_s, u"#PRO#"_s, true) << u"m"_s << sentence;
        QTest::newRow("product fields in order, their placeholders kept")
            << fields(u"#PRO#"_s, {}, u"m"_s, {}, true, u"#FORMAT#"_s, u"F"_s,
                      u"#PRODUCTNAME##KEYWORD##PRO#"_s)
            << u"m"_s
            << lead + u"'F'. Product Format: F. What it does: #PRODUCTNAME##KEYWORD##PRO#. "_s;
        const QString kept = u"#ANGLE# #PRODUCTNAME# #FORMAT# #WHATITDOES# #keyword#"_s;
        QTest::newRow("not placeholders")
            << fields(kept, {}, u"Herb"_s, {}, true) << u"herb"_s << kept;
    }

    void angle()
    {
        // Lower-cased keyword, every occurrence of the lower-cased main keyword removed, trimmed.
        const QList<QStringList> cases = {
            {u"dog food"_s, u" DOG Food "_s, u""_s},
            {u"cat"_s, u"category"_s, u"egory"_s},
            {u"dog "_s, u"dog food dog"_s, u"food dog"_s},
            {u"dog"_s, u"dog food for DOG lovers"_s, u"food for  lovers"_s},
            {u"dog"_s, u"\tdog food\u00A0"_s, u"\t food\u00A0"_s},
            {u"𐐨𐐩"_s, u"𐐀𐐁 𐐂"_s, u"𐐪"_s},
        };
        for (const QStringList& c : cases)
            QCOMPARE(angleOf(c[0], c[1]), c[2]);
    }

    void prompts()
    {
        QFETCH(PromptFields, fields);
        QFETCH(QString, keyword);
        QFETCH(QString, expected);
        QCOMPARE(composePrompt(fields, keyword), expected);
        QCOMPARE(PromptComposer(fields).compose(keyword), expected);
    }

    void fastPathsEqualStepByStepOnRandomInput()
    {
        // Fragments that join into placeholders wherever texts meet; one round in five may also
        // hold a lone surrogate, which UTF-8 cannot carry.
        const QStringList alphabet =
            u"#|##|#WOR|DS#|#PR|O#|PRO|#ANGLE#|#ANG|LE#|ANGLE|#KEYWORD#|#KEY|WORD#|#WORDS#|#PRO#|"
            "#PRODUCTNAME#|#FORMAT#|#WHATITDOES#|#words#|A|a|B| |  |é|É|İ|€|😀|\r\n"_s.split(u'|');
        QRandomGenerator random(7151);
        for (int round = 0; round < 3000; ++round) {
            const QStringList a = round % 5 ? alphabet : alphabet + QStringList{u"\xD800"_s};
            const auto text = [&](int maxPieces) {
                QString t;
                for (int i = int(random.bounded(maxPieces + 1)); i > 0; --i)
                    t += a.at(random.bounded(int(a.size())));
                return t;
            };
            const PromptFields f{text(10), text(10), text(3), text(2), random.bounded(2) == 1,
                                 text(2),  text(2),  text(2)};
            QStringList keywords;
            for (int k = int(random.bounded(6)); k > 0; --k) {
                QString keyword = text(1);
                keyword += random.bounded(2) ? f.mainKeyword.toUpper() : f.mainKeyword;
                keywords.append(keyword + text(2));
            }
            const PromptComposer composer(f);
            QString expected;
            for (const QString& keyword : keywords) {
                const QString prompt = composePrompt(f, keyword);
                QCOMPARE(composer.compose(keyword), prompt);
                expected += u"Keyword: "_s + keyword + u"\r\nPrompt: "_s + prompt + u"\r\n\r\n"_s;
            }
            const AllPrompts all = composer.allPrompts(keywords);
            QCOMPARE(all.text(), expected);
            QCOMPARE(all.length(), expected.size());
            // When the text goes out as UTF-8, the bytes must decode back to it.
            QVERIFY(!all.isValidUtf16() || QString::fromUtf8(all.utf8()) == expected);
        }
    }
};

QTEST_GUILESS_MAIN(tst_composition)
#include "tst_composition.moc"
