#pragma once
// The benchmark's reporting: figures written for reading, the rows of the table with their goals
// judged, the results checked, and the table printed.
#include <QGuiApplication>
#include <QLocale>
#include <QRegularExpression>

#include <cstdio>
#include <unistd.h>

namespace bench {
using namespace Qt::StringLiterals;

inline const auto fixed = [](double value, int decimals, const char* unit) {
    return QString::number(value, 'f', decimals) + QLatin1StringView(unit);
};
inline const auto count = [](qsizetype n) {
    return QLocale(QLocale::English).toString(qlonglong(n));
};
inline const auto ratio = [](double value) { return fixed(value, value < 10 ? 2 : 1, "x"); };
inline const auto megabytes = [](double bytes) { // 1.9 MB, 194 MB, 2.5 GB
    return bytes >= 1e9 ? fixed(bytes / 1e9, 1, " GB") : fixed(bytes / 1e6, bytes < 1e7, " MB");
};
inline const auto duration = [](double ns) { // 419 ns, 4.2 us, 12 ms, 1.80 s
    return ns >= 1e9   ? fixed(ns / 1e9, 2, " s")
           : ns >= 1e6 ? fixed(ns / 1e6, ns < 1e7, " ms")
           : ns >= 1e3 ? fixed(ns / 1e3, ns < 1e4, " us")
                       : fixed(ns, 0, " ns");
};
inline double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n == 0 ? 0 : n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

struct Report
{
    bool judge = true; // goals are judged, except in a smoke run
    int missed = 0;
    QList<QStringList> rows{
        u"Measurement|Keywords|Median|Reference, same run|Ratio|Goal|"_s.split(u'|')};
    QStringList wrong;

    // Measurement, keywords, median, reference and ratio; a goal, if any, judged by `met`.
    void add(QStringList row, const QString& goal = {}, bool met = true)
    {
        missed += judge && !goal.isEmpty() && !met;
        const char* verdict = goal.isEmpty() ? "" : !judge ? "(smoke)" : met ? "met" : "MISSED";
        row.resize(5);
        rows << (row << goal << QString::fromLatin1(verdict));
    }
    // A figure beside a reference figure of the same run, and their ratio.
    void vs(const QString& what, const QString& keywords, double value, const QString& refName,
            double ref, const QString& goal = {}, bool met = true,
            QString (*unit)(double) = duration)
    {
        add({what, keywords, unit(value), refName + u": "_s + unit(ref), ratio(value / ref)}, goal,
            met);
    }
    // A peak of resident memory beside a base; the goal, if judged, is at most 64 MB above it.
    void memory(const QString& what, const QString& keywords, double peak, const QString& refName,
                double base, bool judged = true)
    {
        add({what, keywords, megabytes(peak), refName + u": "_s + megabytes(base),
             u"+"_s + megabytes(peak - base)},
            judged ? u"<= +64 MB"_s : u""_s, peak - base <= 64e6);
    }
    bool check(bool ok, const QString& what) // records a wrong result; returns `ok`
    {
        if (!ok)
            std::fprintf(stderr, "WRONG RESULT: %s\n", qPrintable(wrong.emplaceBack(what)));
        return ok;
    }

    // Prints the table and the run's peak of resident memory; returns 1 if a result was wrong.
    int print(int runs, double peakBytes)
    {
        const char* build = "release";
#ifndef NDEBUG
        build = "debug";
#endif
        std::printf("\nInkwright benchmark: median of %d runs, %s build, Qt %s, platform \"%s\", "
                    "on one of %d cores, MB = 10^6 bytes\n\n",
                    runs, build, qVersion(), qPrintable(QGuiApplication::platformName()),
                    int(sysconf(_SC_NPROCESSORS_ONLN)));
        int width[7] = {};
        for (const QStringList& row : rows)
            for (int i = 0; i < 7; ++i)
                width[i] = std::max(width[i], int(row[i].size()));
        rows.insert(1, QStringList()); // the rule under the heading
        for (const int w : width)
            rows[1] << QString(w, u'-');
        for (const QStringList& row : std::as_const(rows)) {
            QString line; // counts and figures to the right
            for (int i = 0; i < 7; ++i)
                line += u"%1  "_s.arg(row[i], (i == 1 || i == 2 || i == 4 ? 1 : -1) * width[i]);
            std::printf("%s\n", qPrintable(line.remove(QRegularExpression(u" +$"_s))));
        }
        std::printf("\nPeak resident memory of the whole benchmark (VmHWM): %s\n",
                    qPrintable(megabytes(peakBytes)));
        if (judge)
            std::printf("Goals missed: %d\n", missed);
        for (const QString& what : wrong)
            std::printf("WRONG RESULT: %s\n", qPrintable(what));
        return wrong.isEmpty() ? 0 : 1;
    }
};

} // namespace bench
