// tsParser::Replace against the plain left-to-right replacement.

#include "components/tsParser.h"
#include "fuzzSupport.h"

namespace {

// Few distinct characters, so that search texts are found often, with overlaps
// ("aa" in "aaa"), placeholders and characters whose case or width is unusual.
const std::vector<QString> pieces = {
    QStringLiteral("a"),     QStringLiteral("a"),       QStringLiteral("b"),
    QStringLiteral("A"),     QStringLiteral("#"),       QStringLiteral("##"),
    QStringLiteral("ab"),    QStringLiteral("aba"),     QStringLiteral(" "),
    QStringLiteral("\r\n"),  QStringLiteral("\n"),      QStringLiteral(".txt"),
    QStringLiteral("#PRO#"), QStringLiteral("#WORDS#"), QString(QChar(u'\0')),
    QString(QChar(0x00E9)),  QString(QChar(0x0130)),    QString(QChar(0x00DF)),
    QString(QChar(0xD83D)),  QString(QChar(0xDE00)),    QString::fromUtf16(u"\U0001F600"),
    QString(QChar(0xFEFF)),
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::Input input(data, size);
    const QString text = input.text(pieces, 200);
    const QString search = input.text(pieces, 6);
    const QString replacement = input.text(pieces, 8);
    const int mode = 0;

    const tsParser parser;
    const QString got = parser.Replace(text, search, replacement, mode);
    const QString want = fuzz::referenceReplace(text, search, replacement);
    FUZZ_CHECK(got == want, {"text", fuzz::shown(text)}, {"search", fuzz::shown(search)},
               {"replacement", fuzz::shown(replacement)}, {"got", fuzz::shown(got)},
               {"want", fuzz::shown(want)});

    // The search text as its own replacement changes nothing, and the result
    // never aliases the caller's text in a way that changes it.
    const QString before = text;
    const QString same = parser.Replace(text, search, search, mode);
    FUZZ_CHECK(same == text, {"text", fuzz::shown(text)}, {"search", fuzz::shown(search)},
               {"got", fuzz::shown(same)});
    FUZZ_CHECK(text == before, {"text", fuzz::shown(text)});

    // Replacing the whole text by itself, and inside itself.
    const QString whole = parser.Replace(text, text, replacement, mode);
    const QString wantWhole = fuzz::referenceReplace(text, text, replacement);
    FUZZ_CHECK(whole == wantWhole, {"text", fuzz::shown(text)}, {"got", fuzz::shown(whole)},
               {"want", fuzz::shown(wantWhole)});
    return 0;
}
