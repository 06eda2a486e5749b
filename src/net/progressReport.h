#pragma once

#include <QElapsedTimer>
#include <QString>

#include <cstdio>

// What inkwright-write tells on standard error while it runs: on a terminal
// one line that updates (done/total, rate, failures), otherwise one line per
// article; a line for each failure either way; and the counts at the end.
class ProgressReport
{
public:
    // `terminal`: the stream is a terminal, whose line can be rewritten.
    ProgressReport(std::FILE* stream, bool terminal);

    void setTotal(qint64 total);
    void written(const QString& path);
    void skipped();
    void failed(const QString& keyword, const QString& reason);

    // A line of its own, above the updating line.
    void note(const QString& text);

    // "N written, M skipped, K failed", on a line of its own.
    void finish();

    qint64 failures() const { return m_failed; }

private:
    qint64 done() const { return m_written + m_skipped + m_failed; }
    QString counted() const;
    void update(bool now);
    void put(QString line);

    std::FILE* m_stream;
    bool m_terminal;
    qint64 m_total = -1;
    qint64 m_written = 0;
    qint64 m_skipped = 0;
    qint64 m_failed = 0;
    qsizetype m_shown = 0; // characters of the updating line on the terminal
    QElapsedTimer m_clock;
    qint64 m_shownAt = -1000;
};
