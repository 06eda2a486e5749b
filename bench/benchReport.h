#pragma once

#include <QString>
#include <QStringList>

#include <vector>

// The benchmark's report: figures written for reading, the table of rows with
// their goals, the checks of results, and the clock and memory readings that
// every measurement shares.
namespace bench {

QString count(qsizetype n);      // 1,000,000
QString duration(double ns);     // 419 ns, 4.2 us, 12 ms, 1.80 s
QString megabytes(double bytes); // 1.9 MB, 194 MB (MB = 10^6 bytes)
QString ratio(double value);     // 0.24x, 13.3x

double median(std::vector<double> values);

// The monotonic clock in nanoseconds, which a parent and its child process share.
qint64 nowNs();

// The nanoseconds `work` takes.
template <typename Work> double timeNs(Work&& work)
{
    const qint64 start = nowNs();
    work();
    return double(nowNs() - start);
}

// The median of the nanoseconds `step(run)` returns over `runs` runs.
template <typename Step> double medianOf(int runs, Step&& step)
{
    std::vector<double> ns;
    for (int run = 0; run < runs; ++run)
        ns.push_back(step(run));
    return median(ns);
}

// Says on standard error what is being measured.
void progress(const QString& what);

// A field of /proc/<pid>/status in kB ("VmRSS", "VmHWM"), of this process
// when pid is 0; -1 when it cannot be read.
qint64 statusKb(const char* field, qint64 pid = 0);
// Starts a new peak of resident memory (VmHWM) from the current resident size.
bool resetPeakMemory();
// The highest resident size of the whole run so far, in bytes.
double runPeakBytes();

struct Row
{
    QString measurement, keywords, median, reference, ratio, goal, verdict;
};

class Report
{
public:
    explicit Report(bool judge)
        : m_judge(judge)
    {
    }

    void add(Row row) { m_rows.push_back(std::move(row)); }
    // A row with a goal, judged met or missed unless goals are not judged.
    void add(Row row, bool met);
    // A row of a duration against a reference duration and their ratio; of a peak of memory
    // against a resident size and their difference; of a growth against a reference growth.
    // Each with a goal, judged by `met`, unless the goal is empty.
    void time(const QString& what, const QString& keywords, double ns, const QString& refName,
              double refNs, const QString& goal = {}, bool met = true);
    void memory(const QString& what, const QString& keywords, double peak, const QString& refName,
                double base, const QString& goal = {}, bool met = true);
    void growth(const QString& what, const QString& sizes, double grows, const QString& refName,
                double refGrows, const QString& goal = {}, bool met = true);
    // Records a wrong result; returns `ok`.
    bool check(bool ok, const QString& what);

    // Prints the table under a heading, the run's peak of memory, the goals missed and the
    // wrong results; the program's exit code: 1 when a result was wrong.
    int finish(int runs) const;

private:
    bool m_judge;
    int m_missed = 0;
    std::vector<Row> m_rows;
    QStringList m_failures;
};

} // namespace bench
