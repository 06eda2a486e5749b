#include "benchReport.h"

#include <QFile>
#include <QGuiApplication>
#include <QLocale>
#include <QThread>

#include <algorithm>
#include <chrono>
#include <cstdio>

#include <fcntl.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace bench {

QString count(qsizetype n)
{
    return QLocale(QLocale::English).toString(qlonglong(n));
}

QString duration(double ns)
{
    const auto figure = [](double value, int decimals, const char* unit) {
        return QString::number(value, 'f', decimals) + QLatin1StringView(unit);
    };
    if (ns >= 1e9)
        return figure(ns / 1e9, 2, " s");
    if (ns >= 1e6)
        return figure(ns / 1e6, ns >= 1e7 ? 0 : 1, " ms");
    if (ns >= 1e3)
        return figure(ns / 1e3, ns >= 1e4 ? 0 : 1, " us");
    return figure(ns, 0, " ns");
}

QString megabytes(double bytes)
{
    if (bytes >= 1e9)
        return QString::number(bytes / 1e9, 'f', 1) + u" GB"_s;
    return QString::number(bytes / 1e6, 'f', bytes < 1e7 ? 1 : 0) + u" MB"_s;
}

QString ratio(double value)
{
    return QString::number(value, 'f', value < 10 ? 2 : 1) + u"x"_s;
}

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

qint64 nowNs()
{
    return std::chrono::steady_clock::now().time_since_epoch() / std::chrono::nanoseconds(1);
}

void progress(const QString& what)
{
    std::fprintf(stderr, "  %s\n", qPrintable(what));
}

qint64 statusKb(const char* field, qint64 pid)
{
    QFile status(pid ? u"/proc/%1/status"_s.arg(pid) : u"/proc/self/status"_s);
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray prefix = QByteArray(field) + ':';
    const QList<QByteArray> lines = status.readAll().split('\n');
    for (const QByteArray& line : lines) {
        if (line.startsWith(prefix))
            return line.mid(prefix.size()).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

// The highest VmHWM seen before a reset.
static qint64 earlierPeakKb = 0;

bool resetPeakMemory()
{
    earlierPeakKb = std::max(earlierPeakKb, statusKb("VmHWM"));
    const int fd = ::open("/proc/self/clear_refs", O_WRONLY);
    const bool ok = fd >= 0 && ::write(fd, "5", 1) == 1;
    if (fd >= 0)
        ::close(fd);
    return ok;
}

double runPeakBytes()
{
    return double(std::max(earlierPeakKb, statusKb("VmHWM"))) * 1024;
}

void Report::add(Row row, bool met)
{
    row.verdict = !m_judge ? u"(smoke)"_s : met ? u"met"_s : u"MISSED"_s;
    m_missed += m_judge && !met;
    m_rows.push_back(std::move(row));
}

void Report::time(const QString& what, const QString& keywords, double ns, const QString& refName,
                  double refNs, const QString& goal, bool met)
{
    const Row row{
        what, keywords, duration(ns), refName + u": "_s + duration(refNs), ratio(ns / refNs),
        goal, {}};
    goal.isEmpty() ? add(row) : add(row, met);
}

void Report::memory(const QString& what, const QString& keywords, double peak,
                    const QString& refName, double base, const QString& goal, bool met)
{
    const Row row{what,
                  keywords,
                  megabytes(peak),
                  refName + u": "_s + megabytes(base),
                  u"+"_s + megabytes(peak - base),
                  goal,
                  {}};
    goal.isEmpty() ? add(row) : add(row, met);
}

void Report::growth(const QString& what, const QString& sizes, double grows, const QString& refName,
                    double refGrows, const QString& goal, bool met)
{
    const Row row{what, sizes, ratio(grows), refName + u" grows "_s + ratio(refGrows), {},
                  goal, {}};
    goal.isEmpty() ? add(row) : add(row, met);
}

bool Report::check(bool ok, const QString& what)
{
    if (!ok) {
        m_failures.append(what);
        std::fprintf(stderr, "WRONG RESULT: %s\n", qPrintable(what));
    }
    return ok;
}

int Report::finish(int runs) const
{
#ifdef NDEBUG
    const QString build = u"release"_s;
#else
    const QString build = u"debug"_s;
#endif
    const QString heading =
        u"\nInkwright benchmark: median of %1 runs, %2 build, Qt %3, platform "
        "\"%4\", %5 cores, MB = 10^6 bytes"_s.arg(runs)
            .arg(build, QString::fromLatin1(qVersion()), QGuiApplication::platformName())
            .arg(QThread::idealThreadCount());
    std::vector<Row> rows{{u"Measurement"_s, u"Keywords"_s, u"Median"_s, u"Reference, same run"_s,
                           u"Ratio"_s, u"Goal"_s, QString()}};
    rows.insert(rows.end(), m_rows.begin(), m_rows.end());
    const auto fields = [](const Row& r) {
        return std::vector<const QString*>{&r.measurement, &r.keywords, &r.median, &r.reference,
                                           &r.ratio,       &r.goal,     &r.verdict};
    };
    std::vector<qsizetype> width(7, 0);
    for (const Row& r : rows) {
        const auto f = fields(r);
        for (size_t i = 0; i < f.size(); ++i)
            width[i] = std::max(width[i], f[i]->size());
    }
    std::printf("%s\n\n", qPrintable(heading));
    for (size_t n = 0; n < rows.size(); ++n) {
        const auto f = fields(rows[n]);
        QString line, rule;
        for (size_t i = 0; i < f.size(); ++i) {
            // Counts and figures read best aligned to the right.
            const bool right = i == 1 || i == 2 || i == 4;
            line +=
                (right ? f[i]->rightJustified(width[i]) : f[i]->leftJustified(width[i])) + u"  "_s;
            rule += QString(width[i], u'-') + u"  "_s;
        }
        const auto chopBlanks = [](QString text) {
            while (text.endsWith(u' '))
                text.chop(1);
            return text;
        };
        std::printf("%s\n", qPrintable(chopBlanks(line)));
        if (n == 0)
            std::printf("%s\n", qPrintable(chopBlanks(rule)));
    }
    std::printf("\nPeak resident memory of the whole benchmark (VmHWM): %s\n",
                qPrintable(megabytes(runPeakBytes())));
    if (m_judge)
        std::printf("Goals missed: %d\n", m_missed);
    for (const QString& failure : m_failures)
        std::printf("WRONG RESULT: %s\n", qPrintable(failure));
    std::fflush(stdout);
    return m_failures.isEmpty() ? 0 : 1;
}

} // namespace bench
