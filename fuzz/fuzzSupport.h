#pragma once

// Shared by the fuzz targets: texts read out of the fuzzer's bytes, the plain
// replacement that defines every composition step, and a check that stops the
// run with the values that broke it. Built without libFuzzer, a target replays
// the files named on its command line and then a fixed run of pseudo-random
// inputs, so the everyday test suite runs every target too.

#include <QString>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

using namespace Qt::StringLiterals;

namespace fuzz {

// The fuzzer's bytes, from the front; reads past the end give zeros.
class Input
{
public:
    Input(const uint8_t* data, size_t size)
        : m_data(data)
        , m_size(size)
    {
    }
    uint8_t byte() { return m_pos < m_size ? m_data[m_pos++] : 0; }
    // Up to `maxPieces` pieces; a byte from 0xF8 up and the next two make one
    // arbitrary UTF-16 unit, lone surrogates included.
    QString text(const std::vector<QString>& pieces, size_t maxPieces)
    {
        QString out;
        for (size_t i = byte() % (maxPieces + 1); i > 0 && m_pos < m_size; --i) {
            const uint8_t b = byte();
            if (b >= 0xF8)
                out += QChar(char16_t((byte() << 8) | byte()));
            else
                out += pieces[b % pieces.size()];
        }
        return out;
    }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_pos = 0;
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

// From the left: where the search text starts, the replacement, and a jump
// past it; otherwise one character copied. An empty search finds nothing.
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
#include <QFile>

#include <random>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    // Arguments: folders of inputs to replay, and how many pseudo-random ones follow.
    int runs = 4000;
    for (int i = 1; i < argc; ++i) {
        const QString argument = QString::fromLocal8Bit(argv[i]);
        bool number = false;
        if (const int n = argument.toInt(&number); number) {
            runs = n;
            continue;
        }
        QDirIterator files(argument, QDir::Files);
        while (files.hasNext()) {
            QFile file(files.next());
            const QByteArray bytes = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
            LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.constData()),
                                   size_t(bytes.size()));
        }
    }
    std::mt19937 random(2024);
    for (int run = 0; run < runs; ++run) {
        std::vector<uint8_t> bytes(random() % 96);
        for (uint8_t& b : bytes)
            b = uint8_t(random());
        LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
    }
    return 0;
}
#endif
