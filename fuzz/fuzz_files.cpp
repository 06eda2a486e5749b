// Raw bytes as a file read through the file service, and as the name and
// fields of a product record saved, listed, read back and deleted.
#include "catalogue/productCatalogue.h"
#include "components/tsFile.h"
#include "fuzzSupport.h"

#include <QStringDecoder>
#include <QTemporaryDir>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const QTemporaryDir dir;
    static const tsFile files;
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString path = dir.filePath(u"file.txt"_s);
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            std::abort();
    }
    // Valid UTF-8 reads as itself (one leading mark dropped, a second is text); the text read saves
    // and reads back unchanged; its lines are what the list read gives.
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
    QString back;
    if (QStringView(text).isValidUtf16() && files.SaveTextFile(text, path)
        && files.LoadTextFile(back, path))
        FUZZ_EQUAL(back, text);

    // A usable new record name names exactly one listed record, which holds
    // the fields with their line breaks turned into blanks.
    fuzz::Input in(data, size);
    const std::vector<QString> pieces = {u"a"_s,      u"."_s,   u" "_s,    u"/"_s,
                                         u"\\"_s,     u"con"_s, u"\r\n"_s, u"\n"_s,
                                         u"\u00e9"_s, u"txt"_s, u"COM1"_s};
    const QString name = in.text(pieces, 4);
    const ProductRecord record{in.text(pieces, 3), in.text(pieces, 3), in.text(pieces, 3)};
    if (ProductRecords::checkNewRecordName(name) != ProductRecords::NameCheck::Ok
        || record.name.isEmpty() || record.format.isEmpty() || record.description.isEmpty()
        || !QStringView(record.name + record.format + record.description).isValidUtf16())
        return 0;
    QDir(dir.path()).mkpath(u"products"_s);
    const ProductCatalogue catalogue(files, DataPaths(dir.path()));
    HolderList raw, stored;
    if (!catalogue.save(name, record) || !catalogue.load(name, stored))
        fuzz::fail("save", __LINE__, name, {});
    FUZZ_EQUAL(catalogue.list(raw).join(u'|'), ProductRecords::recordNameOf(name + u".txt"_s));
    const QString want = ProductRecords::singleLine(record.name) + u'|'
                         + ProductRecords::singleLine(record.format) + u'|'
                         + ProductRecords::singleLine(record.description);
    FUZZ_EQUAL(stored.items.mid(0, 3).join(u'|'), want);
    if (!catalogue.remove(name))
        fuzz::fail("remove", __LINE__, name, {});
    return 0;
}
