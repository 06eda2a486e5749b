// Raw bytes as a file read through the file service: valid UTF-8 reads as itself (one leading mark
// dropped), the list read gives the text's lines, the text saves and reads back unchanged, and as
// a keyword file it gives the same keywords decoded in blocks of any size.
#include "components/tsFile.h"
#include "fuzzSupport.h"
#include "prompts/keywordFile.h"

#include <QStringDecoder>
#include <QTemporaryDir>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const QTemporaryDir dir;
    static const tsFile files;
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString path = dir.filePath(u"file.txt"_s);
    if (QFile file(path); !file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        std::abort();
    QString text;
    HolderList lines;
    if (!files.LoadTextFile(text, path) || !files.LoadListFile(lines, path))
        fuzz::fail("read", __LINE__, path, {});
    QStringDecoder utf8(QStringDecoder::Utf8,
                        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    const QString strict = utf8.decode(bytes.startsWith("\xEF\xBB\xBF") ? bytes.sliced(3) : bytes);
    if (!utf8.hasError() && !bytes.startsWith("\xFF\xFE") && !bytes.startsWith("\xFE\xFF"))
        FUZZ_EQUAL(text, strict);
    FUZZ_EQUAL(lines.items.join(u'|'), tsFile::splitFileLines(text).join(u'|'));
    // A keyword file taken apart in small blocks gives what it gives whole.
    QStringList whole, pieces;
    QString why, pieceWhy;
    KeywordFile::keywordsOf(bytes, whole, &why);
    KeywordFile::keywordsOf(bytes, pieces, &pieceWhy, 1 + qsizetype(size % 13));
    FUZZ_EQUAL(pieces.join(u'|') + pieceWhy, whole.join(u'|') + why);
    QString back;
    if (QStringView(text).isValidUtf16() && files.SaveTextFile(text, path)
        && files.LoadTextFile(back, path))
        FUZZ_EQUAL(back, text);
    return 0;
}
