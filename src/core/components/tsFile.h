#pragma once

#include "holderList.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// File service: folder listings, whole-file reads and atomic whole-file writes.
// It shows nothing; every operation that can fail says so to its caller, with
// a reason in plain words when asked for one.
class tsFile
{
public:
    // Files larger than this are not read: nothing the program reads (a prompt
    // template, a product record) is meant to be anywhere near this size.
    static constexpr qint64 MaxReadBytes = 64 * 1024 * 1024;

    // Whether a read follows a symbolic link. Records are never read through
    // one; a template may be kept elsewhere and linked.
    enum class Links
    {
        Follow,
        Refuse
    };

    // Appends one item per regular file of `folder` whose name matches the
    // shell-style `pattern`, in name order ignoring letter case; symbolic
    // links are left out. A missing folder lists nothing and returns false.
    bool ListFiles(const QString& folder, HolderList& list, const QString& pattern) const;

    // The file name, with its extension and without its folder, of an item
    // made by ListFiles.
    QString FileNameOf(const QString& item) const;

    // True when something exists at `path`, a symbolic link included, even
    // one that leads nowhere.
    bool FileExists(const QString& path) const;

    // What a read takes: at most `maxBytes`, through a link or not, and with
    // `streams` also a pipe, a named pipe (one with no writer reads as empty)
    // or, for the path "-", standard input, beside a regular file. A folder or
    // a device is never read.
    struct ReadLimits
    {
        qint64 maxBytes;
        Links links;
        bool streams;
    };

    // The bytes of the file, read in blocks and counted as they come, so that
    // a file that reports no size (under /proc) or never ends stays bounded.
    bool LoadBytes(QByteArray& bytes, const QString& path, const ReadLimits& limits,
                   QString* error = nullptr) const;

    // `holder` becomes the whole text of the file. On failure it becomes empty.
    // Every read is bounded by MaxReadBytes counted as the bytes come, opens
    // without waiting (a named pipe never blocks it) and reads only a regular
    // file.
    bool LoadTextFile(QString& holder, const QString& path, QString* error = nullptr,
                      Links links = Links::Follow) const;

    // Appends one item per line of the file, in order, without line ends.
    bool LoadListFile(HolderList& list, const QString& path, QString* error = nullptr,
                      Links links = Links::Follow) const;

    // Creates or replaces the file with `text` as UTF-8 (with a byte-order
    // mark only when the text itself begins with U+FEFF, so that reading it
    // back gives the same text), through a FileOutput: the old file stays
    // intact unless the whole new text was written. A link at `path` is
    // replaced, never written through.
    bool SaveTextFile(const QString& text, const QString& path, QString* error = nullptr) const;

    // Deletes the file at `path`.
    bool DeleteFile(const QString& path, QString* error = nullptr) const;

    // Decoding used by the reads: UTF-8 (a leading byte-order mark dropped), or
    // Windows-1252 when the bytes are not valid UTF-8; UTF-16 when the file
    // begins with its byte-order mark.
    static QString decodeText(const QByteArray& bytes);

    // The same decoding in two steps, for a file decoded in parts: the
    // encoding of the whole file and the length of its byte-order mark, then
    // the bytes after the mark, or a part of them cut between characters.
    enum class Encoding
    {
        Utf8,
        Windows1252,
        Utf16LE,
        Utf16BE
    };
    static Encoding encodingOf(QByteArrayView bytes, qsizetype* markLength);
    static QString decodeText(QByteArrayView bytes, Encoding encoding);

    // Lines of a file's text: they end at CR LF, LF or CR; empty lines inside
    // the text are kept, and a final line break does not start another line.
    static QStringList splitFileLines(const QString& text);
};
