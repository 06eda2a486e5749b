#pragma once

#include <QIODevice>
#include <QString>

#include <memory>

// A file written whole or not at all, and how each kind of path is written:
// - a regular file, or a new one: a temporary file in the same folder, which
//   takes the file's place only on commit(); a new file gets the permissions
//   the user's umask gives, a replaced one keeps the permissions it had;
// - standard output ("-", /dev/stdout, /dev/fd/1, /proc/self/fd/1) and the
//   other descriptors named that way: written through the descriptor the
//   program already has, so a file that it was opened on for appending keeps
//   its lines;
// - any other file that is not a regular file (a device, a named pipe):
//   opened as it is, without truncation.
// Every write goes straight to the system, so a failure (a full disk) is
// known at the write, with the system's reason.
class FileOutput
{
public:
    // Whether a link at the path is written through (the file it leads to is
    // replaced) or replaced itself by the new file.
    enum class Links
    {
        Follow,
        Replace
    };

    FileOutput();
    ~FileOutput(); // cancels what was not committed
    FileOutput(const FileOutput&) = delete;
    FileOutput& operator=(const FileOutput&) = delete;

    bool open(const QString& path, Links links, QString* error);

    // Where the bytes go; valid after a successful open().
    QIODevice& device();

    // Whether what is written is held in a temporary file until commit():
    // false for a descriptor or a device, which get every byte at once.
    bool heldBack() const { return m_saving || !m_temporary.isEmpty(); }

    // Makes the written file the file at the path. False, with the reason,
    // when that fails; nothing then takes the path's place.
    bool commit(QString* error);

    // Drops what was written to a temporary file.
    void cancel();

    // Opens, writes `bytes` and commits: the file at `path` holds them whole,
    // or, with the reason in `error`, is as it was.
    static bool write(const QString& path, QByteArrayView bytes, Links links, QString* error);

private:
    std::unique_ptr<QIODevice> m_device;
    bool m_saving = false; // Windows: m_device is a QSaveFile
    QString m_temporary;   // the temporary file, when there is one
    QString m_target;      // ...and the file it replaces
};
