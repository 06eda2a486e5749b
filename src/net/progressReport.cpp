#include "progressReport.h"

#include <algorithm>

using namespace Qt::StringLiterals;

ProgressReport::ProgressReport(std::FILE* stream, bool terminal)
    : m_stream(stream)
    , m_terminal(terminal)
{
    m_clock.start();
}

void ProgressReport::setTotal(qint64 total)
{
    m_total = total;
    update(false);
}

QString ProgressReport::counted() const
{
    return m_total < 0 ? QString::number(done()) : u"%1/%2"_s.arg(done()).arg(m_total);
}

void ProgressReport::written(const QString& path)
{
    ++m_written;
    if (!m_terminal)
        put(u"[%1] %2"_s.arg(counted(), path));
    update(false);
}

void ProgressReport::skipped()
{
    ++m_skipped;
    update(false);
}

void ProgressReport::failed(const QString& keyword, const QString& reason)
{
    ++m_failed;
    note(u"failed: '%1': %2"_s.arg(keyword.simplified(), reason));
}

void ProgressReport::note(const QString& text)
{
    put(text);
    update(true);
}

void ProgressReport::finish()
{
    update(true);
    if (m_shown > 0)
        std::fputc('\n', m_stream);
    m_shown = 0;
    std::fprintf(m_stream, "%lld written, %lld skipped, %lld failed\n", m_written, m_skipped,
                 m_failed);
    std::fflush(m_stream);
}

// A line of its own: on a terminal, over the updating line, which comes back
// below it. Control characters from a keyword or a server's message (an escape
// sequence could rewrite the terminal) are shown as "?".
void ProgressReport::put(QString line)
{
    for (QChar& c : line) {
        if (c.category() == QChar::Other_Control)
            c = u'?';
    }
    const QByteArray text = line.toUtf8();
    if (m_shown > 0)
        std::fprintf(m_stream, "\r%-*s\r", int(m_shown), "");
    m_shown = 0;
    std::fprintf(m_stream, "%s\n", text.constData());
    if (!m_terminal)
        std::fflush(m_stream);
    m_shownAt = -1000;
}

// The updating line, at most ten times a second unless `now`.
void ProgressReport::update(bool now)
{
    const qint64 elapsed = m_clock.elapsed();
    if (!m_terminal || (!now && elapsed - m_shownAt < 100))
        return;
    m_shownAt = elapsed;
    const double minutes = elapsed / 60000.0;
    QString line = u"%1 done: %2 written, %3 skipped, %4 failed"_s.arg(counted())
                       .arg(m_written)
                       .arg(m_skipped)
                       .arg(m_failed);
    if (minutes > 0.05)
        line += u", %1 articles/min"_s.arg(m_written / minutes, 0, 'f', 1);
    const QByteArray text = line.toUtf8();
    std::fprintf(m_stream, "\r%s%*s", text.constData(),
                 int(std::max<qsizetype>(m_shown - text.size(), 0)), "");
    m_shown = std::max(m_shown, text.size());
    std::fflush(m_stream);
}
