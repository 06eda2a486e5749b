// Product records: the record-name checks, the three-line record text, and a
// record's whole life on disk (saved, listed, read back, deleted) under every
// name the checks let through.

#include "catalogue/productRecord.h"
#include "components/dataPaths.h"
#include "components/tsFile.h"
#include "fuzzSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

namespace {

const std::vector<QString> namePieces = {
    QStringLiteral("a"),
    QStringLiteral("B"),
    QStringLiteral(" "),
    QStringLiteral("."),
    QStringLiteral(".."),
    QStringLiteral("txt"),
    QStringLiteral(".txt"),
    QStringLiteral(".TXT"),
    QStringLiteral("/"),
    QStringLiteral("\\"),
    QStringLiteral(":"),
    QStringLiteral("*"),
    QStringLiteral("?"),
    QStringLiteral("\""),
    QStringLiteral("<"),
    QStringLiteral(">"),
    QStringLiteral("|"),
    QStringLiteral("CON"),
    QStringLiteral("con"),
    QStringLiteral("PRN"),
    QStringLiteral("AUX"),
    QStringLiteral("NUL"),
    QStringLiteral("COM"),
    QStringLiteral("LPT"),
    QStringLiteral("1"),
    QStringLiteral("9"),
    QStringLiteral("0"),
    QStringLiteral("\t"),
    QStringLiteral("-"),
    QStringLiteral("_"),
    QString(QChar(0x7F)),
    QString(QChar(u'\0')),
    QString(QChar(0x00E9)),
    QString(QChar(0x65E5)),
    QString(QChar(0x0416)),
    QString(QChar(0xFEFF)),
    QString::fromUtf16(u"\U0001F600"),
};

const std::vector<QString> fieldPieces = {
    QStringLiteral("Herb"), QStringLiteral(" "),    QStringLiteral("e"),     QStringLiteral("\r\n"),
    QStringLiteral("\r"),   QStringLiteral("\n"),   QStringLiteral("#PRO#"), QStringLiteral("'"),
    QString(QChar(0x2028)), QString(QChar(0x2029)), QString(QChar(0x0085)),  QString(QChar(u'\0')),
    QString(QChar(0x00FC)), QString(QChar(0x20AC)), QString(QChar(0xFEFF)),  QString(QChar(0xDC00)),
};

bool hasLineBreak(const QString& text)
{
    for (const QChar c : text) {
        if (c == u'\r' || c == u'\n' || c == QChar::LineSeparator || c == QChar::ParagraphSeparator)
            return true;
    }
    return false;
}

QTemporaryDir& programFolder()
{
    static QTemporaryDir dir;
    static const bool made = dir.isValid() && QDir(dir.path()).mkpath(QStringLiteral("products"));
    if (!made)
        std::abort();
    return dir;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::Input input(data, size);
    const QString name = input.text(namePieces, 24);
    const ProductRecord record{input.text(fieldPieces, 16), input.text(fieldPieces, 16),
                               input.text(fieldPieces, 16)};

    using namespace ProductRecords;
    const NameCheck check = checkNewRecordName(name);
    const bool plain = isPlainRecordName(name);
    FUZZ_CHECK((check == NameCheck::Empty) == name.isEmpty(), {"name", fuzz::shown(name)});
    FUZZ_CHECK(check != NameCheck::Ok || plain, {"name", fuzz::shown(name)});
    FUZZ_CHECK(recordNameOf(name + Extension) == name, {"name", fuzz::shown(name)});

    const DataPaths paths(programFolder().path());
    const QString path = paths.recordFile(name);
    if (check == NameCheck::Ok) {
        // A name the checks let through names a file directly in the products
        // folder, called exactly name + ".txt".
        FUZZ_CHECK(!name.contains(u'/') && !name.contains(QChar(u'\0')),
                   {"name", fuzz::shown(name)});
        FUZZ_CHECK(name != QStringLiteral(".") && name != QStringLiteral(".."),
                   {"name", fuzz::shown(name)});
        const QFileInfo info(path);
        FUZZ_CHECK(info.fileName() == name + Extension, {"name", fuzz::shown(name)});
        FUZZ_CHECK(QDir::cleanPath(info.absolutePath()) == QDir::cleanPath(paths.productsFolder()),
                   {"name", fuzz::shown(name)}, {"path", fuzz::shown(path)});
    }

    // The record text: three lines, CR LF between them, nothing after the last,
    // each field with its line breaks turned into blanks.
    const QString text = record.fileText();
    const QStringList fields{singleLine(record.name), singleLine(record.format),
                             singleLine(record.description)};
    for (const QString& field : fields)
        FUZZ_CHECK(!hasLineBreak(field), {"field", fuzz::shown(field)});
    FUZZ_CHECK(text == fields.join(QStringLiteral("\r\n")), {"text", fuzz::shown(text)});
    const QStringList rawFields{record.name, record.format, record.description};
    for (qsizetype i = 0; i < 3; ++i)
        FUZZ_CHECK(fields.at(i).size() <= rawFields.at(i).size(),
                   {"field", fuzz::shown(rawFields.at(i))});

    // Stored and listed under every usable name. Names the file system cannot
    // hold (too long once the save's temporary suffix is added, or not
    // representable in its encoding) are left out: saving them is refused.
    const bool storable = check == NameCheck::Ok && !fuzz::hasLoneSurrogate(name) &&
                          (name + Extension).toUtf8().size() + 7 <= 255;
    if (!storable)
        return 0;
    const bool complete =
        !record.name.isEmpty() && !record.format.isEmpty() && !record.description.isEmpty();
    const tsFile files;
    QString why;
    FUZZ_CHECK(!files.FileExists(path), {"name", fuzz::shown(name)});
    FUZZ_CHECK(files.SaveTextFile(text, path, &why), {"name", fuzz::shown(name)},
               {"why", fuzz::shown(why)});
    FUZZ_CHECK(files.FileExists(path), {"name", fuzz::shown(name)});

    tsFile lister;
    lister.FilePattern = FilePattern;
    HolderList raw;
    QStringList names;
    listRecordNames(lister, paths.productsFolder(), raw, names);
    FUZZ_CHECK(names == QStringList{name}, {"name", fuzz::shown(name)},
               {"listed", fuzz::shown(names)});
    FUZZ_CHECK(raw.current == 0, {"name", fuzz::shown(name)});

    HolderList lines;
    FUZZ_CHECK(files.LoadListFile(lines, paths.recordFile(names.constFirst()), &why),
               {"why", fuzz::shown(why)});
    if (complete && !fuzz::hasLoneSurrogate(text)) {
        FUZZ_CHECK(lines.items == fields, {"got", fuzz::shown(lines.items)},
                   {"want", fuzz::shown(fields)});
    }

    FUZZ_CHECK(files.DeleteFile(path, &why), {"name", fuzz::shown(name)},
               {"why", fuzz::shown(why)});
    FUZZ_CHECK(!files.FileExists(path), {"name", fuzz::shown(name)});
    FUZZ_CHECK(!files.DeleteFile(path, &why), {"name", fuzz::shown(name)});
    raw.clear();
    names.clear();
    listRecordNames(lister, paths.productsFolder(), raw, names);
    FUZZ_CHECK(names.isEmpty() && raw.current == -1, {"listed", fuzz::shown(names)});
    return 0;
}
