// tsTools::SplitToList and tsFile::splitFileLines against plain splitting at
// CR LF, LF and CR.

#include "components/tsFile.h"
#include "components/tsTools.h"
#include "fuzzSupport.h"

namespace {

const std::vector<QString> pieces = {
    QStringLiteral("a"),    QStringLiteral("b"),        QStringLiteral(" "),
    QStringLiteral("  "),   QStringLiteral("\r"),       QStringLiteral("\n"),
    QStringLiteral("\r\n"), QStringLiteral("\n\r"),     QStringLiteral("\r\r"),
    QStringLiteral("x y"),  QStringLiteral("\t"),       QString(QChar(u'\0')),
    QString(QChar(0x2028)), QString(QChar(0x2029)),     QString(QChar(0x0085)),
    QString(QChar(0x000B)), QString(QChar(0x000C)),     QString(QChar(0xFEFF)),
    QString(QChar(0xD800)), QStringLiteral("dog food"),
};

QStringList nonEmpty(const QStringList& lines)
{
    QStringList kept;
    for (const QString& line : lines) {
        if (!line.isEmpty())
            kept.append(line);
    }
    return kept;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::Input input(data, size);
    const QString text = input.text(pieces, 300);

    // The holder may already hold items: SplitToList appends after them.
    HolderList list;
    const int already = input.byte() % 3;
    for (int i = 0; i < already; ++i)
        list.items.append(input.text(pieces, 4));
    const QStringList before = list.items;
    const qsizetype current = list.current = already - 1;

    // Keyword text also breaks at the line and paragraph separators that a
    // text box holds its lines with; a file's text does not.
    const QStringList lines = fuzz::referenceLines(text);
    const QStringList keywords = nonEmpty(fuzz::referenceLines(text, true));

    const tsTools tools;
    tools.SplitToList(text, QStringLiteral("\r\n"), list, QString());
    FUZZ_CHECK(list.items == before + keywords, {"text", fuzz::shown(text)},
               {"before", fuzz::shown(before)}, {"got", fuzz::shown(list.items)},
               {"want", fuzz::shown(keywords)});
    FUZZ_CHECK(list.current == current, {"text", fuzz::shown(text)});

    const QStringList plain = tsTools::splitLines(text);
    FUZZ_CHECK(plain == keywords, {"text", fuzz::shown(text)}, {"got", fuzz::shown(plain)},
               {"want", fuzz::shown(keywords)});

    const QStringList fileLines = tsFile::splitFileLines(text);
    FUZZ_CHECK(fileLines == lines, {"text", fuzz::shown(text)}, {"got", fuzz::shown(fileLines)},
               {"want", fuzz::shown(lines)});

    // Joining the lines with CR LF and splitting again gives the same lines,
    // as long as no line is the empty last one that a final break drops.
    if (!lines.isEmpty() && !lines.constLast().isEmpty()) {
        const QString joined = lines.join(QStringLiteral("\r\n"));
        const QStringList again = tsFile::splitFileLines(joined);
        FUZZ_CHECK(again == lines, {"joined", fuzz::shown(joined)}, {"got", fuzz::shown(again)});
    }
    return 0;
}
