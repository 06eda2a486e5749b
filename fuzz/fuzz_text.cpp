// Replace against the plain replacement, and the keyword split against plain
// splitting at CR LF, LF, CR and the text box's separators.
#include "components/tsParser.h"
#include "components/tsTools.h"
#include "fuzzSupport.h"

namespace {

const std::vector<QString> pieces = {u"a"_s,       u"b"_s,  u"#"_s,     u"A"_s,    u"aa"_s,
                                     u"#ANGLE#"_s, u"\r"_s, u"\n"_s,    u"\r\n"_s, u"\u2028"_s,
                                     u"\u2029"_s,  u" "_s,  u"\u00e9"_s};

QStringList plainLines(const QString& text)
{
    QString unified = text;
    unified.replace(u"\r\n"_s, u"\n"_s).replace(u'\r', u'\n');
    unified.replace(QChar::LineSeparator, u'\n').replace(QChar::ParagraphSeparator, u'\n');
    return unified.split(u'\n', Qt::SkipEmptyParts);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::Input in(data, size);
    const QString text = in.text(pieces, 16);
    const QString search = in.text(pieces, 3);
    const QString by = in.text(pieces, 3);
    FUZZ_EQUAL(tsParser().Replace(text, search, by), fuzz::replace(text, search, by));
    HolderList list;
    list.items = QStringList{u"kept"_s};
    tsTools().SplitToList(text, list);
    FUZZ_EQUAL(list.items.join(u'|'), (QStringList{u"kept"_s} + plainLines(text)).join(u'|'));
    return 0;
}
