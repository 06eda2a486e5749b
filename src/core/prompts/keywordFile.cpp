#include "keywordFile.h"

#include "components/tsFile.h"
#include "keywordParser.h"

#include <QStringDecoder>

#include <algorithm>
#include <optional>

namespace {

// UTF-16 without a byte-order mark: NUL bytes on one side of most pairs, as
// the high byte of Latin text.
std::optional<tsFile::Encoding> unmarkedUtf16(QByteArrayView bytes)
{
    const QByteArrayView sample = bytes.first(std::min<qsizetype>(bytes.size(), 4096) & ~1);
    qsizetype even = 0, odd = 0;
    for (qsizetype i = 0; i < sample.size(); i += 2) {
        even += sample[i] == 0 ? 1 : 0;
        odd += sample[i + 1] == 0 ? 1 : 0;
    }
    const qsizetype pairs = sample.size() / 2;
    if (odd > 0 && odd * 4 >= pairs && even * 4 <= odd)
        return tsFile::Encoding::Utf16LE;
    if (even > 0 && even * 4 >= pairs && odd * 4 <= even)
        return tsFile::Encoding::Utf16BE;
    return std::nullopt;
}

// The keywords of `bytes` in `keywords`; with `take`, handed to it a block's
// worth at a time.
bool parse(QByteArrayView bytes, QStringList& keywords, QString* error, qsizetype blockBytes,
           const KeywordFile::Take* take)
{
    keywords.clear();
    qsizetype mark = 0;
    tsFile::Encoding encoding = tsFile::encodingOf(bytes, &mark);
    if (mark == 0)
        encoding = unmarkedUtf16(bytes).value_or(encoding);
    bytes = bytes.sliced(mark);
    const bool utf16 =
        encoding == tsFile::Encoding::Utf16LE || encoding == tsFile::Encoding::Utf16BE;
    // UTF-16 is cut between code units; UTF-8 anywhere, as its decoder keeps
    // what a cut sequence began.
    blockBytes = std::max<qsizetype>(utf16 ? blockBytes & ~1 : blockBytes, 2);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
    KeywordParser parser(keywords);
    const auto handOver = [&] {
        if (take && !keywords.isEmpty()) {
            (*take)(keywords);
            keywords.clear();
        }
    };
    const qsizetype end = utf16 ? bytes.size() & ~1 : bytes.size();
    for (qsizetype at = 0; at < end; at += blockBytes) {
        const QByteArrayView block = bytes.sliced(at, std::min(blockBytes, end - at));
        const QString text = encoding == tsFile::Encoding::Utf8
                                 ? QString(utf8.decode(block))
                                 : tsFile::decodeText(block, encoding);
        if (text.contains(QChar(0))) {
            keywords.clear();
            if (error)
                *error = QStringLiteral("it is not a text file");
            return false;
        }
        parser.feed(text);
        handOver();
    }
    // A last byte that makes no UTF-16 unit reads as U+FFFD, as when decoded whole.
    if (utf16 && bytes.size() % 2 != 0)
        parser.feed(QString(QChar::ReplacementCharacter));
    parser.finish();
    handOver();
    return true;
}

// A keyword file's bytes: a regular file, a pipe or standard input, bounded.
bool loadBytes(const tsFile& files, const QString& path, QByteArray& bytes, QString* error)
{
    using Limits = tsFile::ReadLimits;
    return files.LoadBytes(bytes, path, Limits{KeywordFile::MaxBytes, tsFile::Links::Follow, true},
                           error);
}

} // namespace

namespace KeywordFile {

bool keywordsOf(QByteArrayView bytes, QStringList& keywords, QString* error, qsizetype blockBytes)
{
    return parse(bytes, keywords, error, blockBytes, nullptr);
}

bool read(const tsFile& files, const QString& path, QStringList& keywords, QString* error)
{
    QByteArray bytes;
    return loadBytes(files, path, bytes, error) && keywordsOf(bytes, keywords, error);
}

bool read(const tsFile& files, const QString& path, const Take& take, QString* error)
{
    QByteArray bytes;
    QStringList part;
    return loadBytes(files, path, bytes, error) && parse(bytes, part, error, BlockBytes, &take);
}

} // namespace KeywordFile
