#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <functional>

class tsFile;

// The keywords of a keyword file, as a keyword tool exports them or as a
// plain list. The one reader of keyword files: a file dropped on the keyword
// box and inkwright-batch's --keywords both come here.
//
// Decoding: UTF-8 (with or without its byte-order mark), UTF-16 with its
// mark or without one (told by its NUL bytes), else Windows-1252. A text that
// still holds a NUL character is no text file.
//
// The table rule: among the first 10 non-empty lines, the first with a cell
// equal (trimmed, ignoring letter case, without its quotes) to "Keyword",
// "Keywords", "Keyword phrase", "Search term", "Query" or "Top queries" is the
// header. A line's cells are split at tabs if it has one, else at semicolons
// if it has one, else at commas, with RFC 4180 quoting; the rows below the
// header are split at the header's separator. Lines above the header are
// skipped; below it, each row's cell in that column is a keyword, trimmed,
// with a line break inside it made a blank; an empty cell is skipped.
//
// A file with no such line is a plain list: every line one keyword, as the
// keyword box splits its text (at any line break, empty lines skipped).
namespace KeywordFile {

// The largest keyword file read, in bytes.
inline constexpr qint64 MaxBytes = qint64(256) * 1024 * 1024;
// The bytes decoded and taken apart at a time.
inline constexpr qsizetype BlockBytes = qsizetype(1) << 20;

// Reads the file at `path`, or standard input for "-" (a regular file, a pipe
// or a named pipe, bounded by MaxBytes), and puts its keywords in `keywords`.
// False, with the reason, when it cannot be read or is no text file.
bool read(const tsFile& files, const QString& path, QStringList& keywords, QString* error);

// Reads the file as read() does, and hands its keywords to `take` a part at a
// time, in order, as the text is taken apart: the whole list is never held.
// Each part is cleared once taken. False, with the reason, when the file
// cannot be read or is no text file, which may be known only after parts
// were taken.
using Take = std::function<void(QStringList& part)>;
bool read(const tsFile& files, const QString& path, const Take& take, QString* error);

// The keywords of a file's bytes. The bytes are decoded and taken apart a
// block of `blockBytes` at a time, so the whole text is never held beside
// the keywords; any block size gives the same keywords.
bool keywordsOf(QByteArrayView bytes, QStringList& keywords, QString* error,
                qsizetype blockBytes = BlockBytes);

} // namespace KeywordFile
