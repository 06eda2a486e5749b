#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include <memory>
#include <thread>

// The lines of a file or of standard input, read on a thread of their own a
// few lines ahead of their use, so that a slow or endless input never holds up
// the event loop and a long one takes no more memory than a short one.
class LineReader : public QObject
{
    Q_OBJECT

public:
    // Longer than any prompt the program composes, written as JSON.
    static constexpr qsizetype MaxLineBytes = qsizetype(128) << 20;

    struct Line
    {
        qint64 number = 0; // counting from 1, blank lines included
        QByteArray bytes;  // without the line break; empty when not whole
        bool whole = true; // false: longer than MaxLineBytes, and the last line read
    };

    explicit LineReader(QObject* parent = nullptr);
    ~LineReader() override;

    // Opens the file at `path`, or standard input for "-", and starts reading.
    // False, with the reason in `error`, when it cannot be read.
    bool start(const QString& path, QString& error);

    // Takes the next line, if one has been read.
    bool next(Line& line);

    // Every line has been taken and the input ended, or reading it failed.
    bool atEnd() const;

    // Why reading failed; empty when it did not.
    QString error() const;

    // The number of non-blank lines, once known: a file is counted before it
    // is read, standard input when it ends. -1 before.
    qint64 total() const;

Q_SIGNALS:
    // Lines were read, the input ended, or its total became known.
    void linesReady();

private:
    struct Shared;
    std::shared_ptr<Shared> m_shared;
    std::thread m_thread;
};
