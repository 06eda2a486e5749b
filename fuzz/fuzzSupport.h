#pragma once

// Shared by the fuzz targets. Built without libFuzzer, a target replays the files in the folders
// named on its command line, then 4000 pseudo-random inputs (or the number on the command line).
#include <QStringList>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

using namespace Qt::StringLiterals;

namespace fuzz {

// The fuzzer's bytes, from the front; reads past the end give zeros.
struct Input
{
    const uint8_t* data;
    size_t size, pos = 0;

    uint8_t byte() { return pos < size ? data[pos++] : 0; }
    // Up to `maxPieces` pieces; a byte from 0xF8 up and the next two make any UTF-16 unit.
    QString text(const QStringList& pieces, size_t maxPieces)
    {
        QString out;
        for (size_t i = byte() % (maxPieces + 1); i > 0 && pos < size; --i) {
            const uint8_t b = byte();
            out += b >= 0xF8 ? QString(QChar(char16_t((byte() << 8) | byte())))
                             : pieces[b % pieces.size()];
        }
        return out;
    }
};

[[noreturn]] inline void fail(const char* what, int line, const QString& a, const QString& b)
{
    std::fprintf(stderr, "line %d: check failed: %s\n  got  %s\n  want %s\n", line, what,
                 qPrintable(a.left(400)), qPrintable(b.left(400)));
    std::abort();
}

#define FUZZ_EQUAL(got, want)                                                                      \
    do {                                                                                           \
        if ((got) != (want))                                                                       \
            ::fuzz::fail(#got " == " #want, __LINE__, got, want);                                  \
    } while (false)

// From the left: where the search text starts, the replacement, and a jump past it; otherwise
// one character copied. An empty search finds nothing.
inline QString replace(const QString& text, const QString& search, const QString& by)
{
    QString out;
    for (qsizetype i = 0; i < text.size();) {
        const bool match = !search.isEmpty() && QStringView(text).sliced(i).startsWith(search);
        out += match ? by : QString(text.at(i));
        i += match ? search.size() : 1;
    }
    return out;
}

} // namespace fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

#ifndef INKWRIGHT_LIBFUZZER
#include <QCoreApplication>
#include <QDirIterator>

#include <random>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    int runs = 4000;
    for (const QString& argument : app.arguments().mid(1)) {
        runs = argument.toInt() > 0 ? argument.toInt() : runs;
        for (QDirIterator files(argument, QDir::Files); files.hasNext();) {
            QFile file(files.next());
            const QByteArray bytes = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
            LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
        }
    }
    std::mt19937 random(2024);
    std::vector<uint8_t> bytes;
    for (int run = 0; run < runs; ++run) {
        bytes.resize(random() % 96);
        for (uint8_t& b : bytes)
            b = uint8_t(random());
        LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
    }
    return 0;
}
#endif
