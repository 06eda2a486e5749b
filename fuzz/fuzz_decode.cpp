// tsFile's decoding of file bytes (UTF-8 without its byte-order mark, else
// Windows-1252) against a plain decoder, and the whole-file reads and writes
// through a real file.

#include "components/tsFile.h"
#include "fuzzSupport.h"

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>

namespace {

// Strict UTF-8 (no overlong forms, no surrogates, nothing above U+10FFFF).
bool decodeUtf8(const uint8_t* p, size_t n, QString& out)
{
    size_t i = 0;
    while (i < n) {
        const uint8_t b = p[i];
        if (b < 0x80) {
            out += QChar(static_cast<char16_t>(b));
            ++i;
            continue;
        }
        int more = 0;
        uint32_t cp = 0;
        uint8_t low = 0x80;
        uint8_t high = 0xBF;
        if (b >= 0xC2 && b <= 0xDF) {
            more = 1;
            cp = b & 0x1F;
        } else if (b >= 0xE0 && b <= 0xEF) {
            more = 2;
            cp = b & 0x0F;
            if (b == 0xE0)
                low = 0xA0;
            if (b == 0xED)
                high = 0x9F;
        } else if (b >= 0xF0 && b <= 0xF4) {
            more = 3;
            cp = b & 0x07;
            if (b == 0xF0)
                low = 0x90;
            if (b == 0xF4)
                high = 0x8F;
        } else {
            return false;
        }
        if (i + static_cast<size_t>(more) >= n)
            return false;
        for (int k = 1; k <= more; ++k) {
            const uint8_t c = p[i + static_cast<size_t>(k)];
            const uint8_t lo = k == 1 ? low : 0x80;
            const uint8_t hi = k == 1 ? high : 0xBF;
            if (c < lo || c > hi)
                return false;
            cp = (cp << 6) | (c & 0x3F);
        }
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out += QChar(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out += QChar(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out += QChar(static_cast<char16_t>(cp));
        }
        i += static_cast<size_t>(more) + 1;
    }
    return true;
}

// Windows-1252; the five bytes the code page leaves unassigned stand for the
// C1 control of the same value.
QString decodeWindows1252(const uint8_t* p, size_t n)
{
    static const char16_t c1[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, // 80-87
        0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, // 88-8F
        0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90-97
        0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178, // 98-9F
    };
    QString out;
    for (size_t i = 0; i < n; ++i)
        out += QChar(p[i] >= 0x80 && p[i] < 0xA0 ? c1[p[i] - 0x80] : static_cast<char16_t>(p[i]));
    return out;
}

// UTF-16 code units in the given byte order, copied as they are; an odd last
// byte, half a unit, is left out.
QString decodeUtf16(const uint8_t* p, size_t n, bool littleEndian)
{
    QString out;
    for (size_t i = 0; i + 1 < n; i += 2) {
        const auto first = static_cast<char16_t>(p[i]);
        const auto second = static_cast<char16_t>(p[i + 1]);
        const int unit = littleEndian ? (second << 8) | first : (first << 8) | second;
        out += QChar(static_cast<char16_t>(unit));
    }
    return out;
}

// A file's text: UTF-16 after its byte-order mark; else UTF-8 without its
// byte-order mark; else, when the rest is not valid UTF-8, Windows-1252.
QString referenceDecode(const uint8_t* p, size_t n)
{
    if (n >= 2 && ((p[0] == 0xFF && p[1] == 0xFE) || (p[0] == 0xFE && p[1] == 0xFF)))
        return decodeUtf16(p + 2, n - 2, p[0] == 0xFF);
    const size_t skip = n >= 3 && p[0] == 0xEF && p[1] == 0xBB && p[2] == 0xBF ? 3 : 0;
    QString text;
    if (decodeUtf8(p + skip, n - skip, text))
        return text;
    return decodeWindows1252(p + skip, n - skip);
}

QTemporaryDir& folder()
{
    static QTemporaryDir dir;
    return dir;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QString reference = referenceDecode(data, size);
    const QString got = tsFile::decodeText(bytes);
    const bool utf16 =
        size >= 2 && ((data[0] == 0xFF && data[1] == 0xFE) || (data[0] == 0xFE && data[1] == 0xFF));
    // Half a UTF-16 unit at the end of a cut file may also come out as U+FFFD.
    const bool halfUnit = utf16 && size % 2 == 1;
    FUZZ_CHECK(got == reference ||
                   (halfUnit && got == reference + QChar(QChar::ReplacementCharacter)),
               {"bytes", fuzz::shown(QString::fromLatin1(bytes))}, {"got", fuzz::shown(got)},
               {"want", fuzz::shown(reference)});
    FUZZ_CHECK(utf16 || !fuzz::hasLoneSurrogate(got), {"got", fuzz::shown(got)});
    const QString& want = got;

    const QStringList wantLines = fuzz::referenceLines(want);
    const QStringList gotLines = tsFile::splitFileLines(got);
    FUZZ_CHECK(gotLines == wantLines, {"text", fuzz::shown(got)}, {"got", fuzz::shown(gotLines)},
               {"want", fuzz::shown(wantLines)});

    // The same through a file on disk: a template read and a record read.
    if (!folder().isValid())
        std::abort();
    const QString path = folder().filePath(QStringLiteral("input.txt"));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            file.write(bytes) != bytes.size())
            std::abort();
    }
    const tsFile files;
    QString holder = QStringLiteral("left over");
    QString why;
    FUZZ_CHECK(files.LoadTextFile(holder, path, &why), {"why", fuzz::shown(why)});
    FUZZ_CHECK(holder == want, {"got", fuzz::shown(holder)}, {"want", fuzz::shown(want)});

    HolderList list;
    list.items.append(QStringLiteral("kept"));
    FUZZ_CHECK(files.LoadListFile(list, path, &why), {"why", fuzz::shown(why)});
    FUZZ_CHECK(list.items == QStringList{QStringLiteral("kept")} + wantLines,
               {"got", fuzz::shown(list.items)}, {"want", fuzz::shown(wantLines)});

    // Writing the decoded text and reading it again gives the same text (a
    // lone surrogate, which only a UTF-16 file can hold, has no UTF-8 form). A
    // real save waits for the disk, so only some inputs take that road.
    if (size % 16 == 0 && !fuzz::hasLoneSurrogate(want)) {
        const QString written = folder().filePath(QStringLiteral("written.txt"));
        FUZZ_CHECK(files.SaveTextFile(want, written, &why), {"why", fuzz::shown(why)});
        QString again;
        FUZZ_CHECK(files.LoadTextFile(again, written, &why), {"why", fuzz::shown(why)});
        FUZZ_CHECK(again == want, {"got", fuzz::shown(again)}, {"want", fuzz::shown(want)});
    }
    return 0;
}
