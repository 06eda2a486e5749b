// Inkwright's benchmark. It drives the real main window offscreen, and inkwright-batch as a
// process, at the sizes of keyword-tool exports, and prints for every figure the median of
// several runs beside a reference measured in the same run on the same machine.
//
//   inkwright_bench [--runs N] [--smoke] [--only PART] [--templates DIR]
//
// --runs N: runs per figure (at least 5); --smoke: tiny sizes, no goal judged; --only PART:
// startup, compose, copy, batch, paste or export; --templates DIR: other templates than the
// shipped ones. Every result is checked, and a wrong one makes the program exit with 1.
#include "benchReport.h"
#include "benchSupport.h"

#include <QtTest>
#include <QtWidgets>

using namespace bench;
using namespace Qt::StringLiterals;

namespace {

// Copies `from` into a new buffer, page faults and all, or into one written before.
double memcpyNs(const QByteArray& from, bool reused = false)
{
    QByteArray target(reused ? from.size() : 0, '\0');
    return timeNs([&] {
        if (!reused)
            target = QByteArray(from.size(), Qt::Uninitialized);
        std::memcpy(target.data(), from.constData(), size_t(from.size()));
    });
}

// Runs this program with `args` and returns what it printed, split at blanks; nothing when it
// did not end within `ms`.
QList<QByteArray> probe(const QStringList& args, int ms = 30'000)
{
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), args);
    const bool ended = child.waitForFinished(ms);
    return ended ? child.readAllStandardOutput().simplified().split(' ') : QList<QByteArray>();
}

// From starting a process until its window, exposed, has painted; its resident memory then.
void measureStartup(const Options& o, const Workspace& ws, Report& report)
{
    progress(u"start-up, %1 processes of each kind"_s.arg(o.runs));
    std::vector<double> ns[2], kb[2]; // the window, and an empty widget of its size
    for (int run = 0; run < 2 * o.runs; ++run) {
        const qint64 started = nowNs();
        const QList<QByteArray> out =
            probe({u"--startup-probe"_s, run % 2 ? QString() : ws.path()});
        if (!report.check(out.size() == 2, u"the start-up probe gave no figure"_s))
            return;
        ns[run % 2].push_back(double(out[0].toLongLong() - started));
        kb[run % 2].push_back(out[1].toDouble() * 1024);
    }
    const double t = median(ns[0]), tBare = median(ns[1]), m = median(kb[0]), mBare = median(kb[1]);
    report.time(u"Start-up to window shown"_s, {}, t, u"empty Qt window"_s, tBare, u"< 150 ms"_s,
                t < 150e6);
    report.add({u"Resident memory at first paint"_s, QString(), megabytes(m),
                u"empty Qt window: "_s + megabytes(mBare), ratio(m / mBare), u"< 60 MB"_s,
                QString()},
               m < 60e6);
}

// The composition alone, prepared and step by step, beside a memcpy of each prompt's bytes.
void measureComposition(const Options& o, const Workspace& ws, Report& report)
{
    const qsizetype n = o.smoke ? 100 : 100'000;
    progress(u"composition, %1 keywords"_s.arg(count(n)));
    const QStringList keywords = makeKeywords(n);
    const PromptComposer composer(ws.fields);
    qsizetype units = 0;
    for (const QString& k : keywords) {
        units += composer.compose(k).value_or(QString()).size();
        if (!report.check(composer.compose(k) == composePrompt(ws.fields, k), u"composed "_s + k))
            break;
    }
    const auto perPrompt = [&](auto&& compose) {
        return medianOf(o.runs,
                        [&](int) {
                            return timeNs([&] {
                                for (const QString& k : keywords)
                                    sink = sink + compose(k).size();
                            });
                        })
               / double(n);
    };
    const double prepared = perPrompt([&](const QString& k) { return *composer.compose(k); });
    const double stepwise =
        perPrompt([&](const QString& k) { return composePrompt(ws.fields, k); });
    const QByteArray bytes(units * qsizetype(sizeof(QChar)), 'x');
    const double ref = medianOf(o.runs, [&](int) { return memcpyNs(bytes); }) / double(n);
    const QString refName = u"memcpy of a prompt (%1 B): "_s.arg(bytes.size() / n) + duration(ref);
    for (const auto& [what, t] : {std::pair{u"prepared (PromptComposer)"_s, prepared},
                                  std::pair{u"sequential (composePrompt)"_s, stepwise}}) {
        report.add({u"ComposePrompt, "_s + what, count(n), duration(t) + u"/prompt"_s, refName,
                    ratio(t / ref), QString(), QString()});
    }
}

// "Copy to Clipboard (All)", promotion on, from the click until the clipboard holds the text,
// starting from an empty clipboard; beside memcpy of as many bytes into a new buffer and into
// one written before; the peak of resident memory during the copy.
void measureCopyAll(const Options& o, const Workspace& ws, Report& report)
{
    Answers answers;
    Window window(ws.path(), true);
    QClipboard* clipboard = QGuiApplication::clipboard();
    const std::vector<qsizetype> sizes =
        o.smoke ? std::vector<qsizetype>{10, 100} : std::vector<qsizetype>{1'000, 10'000, 100'000};
    std::vector<double> medians, references;
    for (const qsizetype n : sizes) {
        progress(u"Copy to Clipboard (All), %1 keywords"_s.arg(count(n)));
        const QStringList keywords = makeKeywords(n);
        window.setKeywords(keywords);
        window.createBatch();
        const auto copyAllText = [&] {
            QString text;
            for (const QString& k : keywords)
                text += u"Keyword: "_s + k + u"\r\nPrompt: "_s
                        + Prompts::withCrLf(composePrompt(ws.fields, k)) + u"\r\n\r\n"_s;
            return text;
        };
        std::vector<double> ns, fresh, reused, peak, before;
        double bytes = 0;
        for (int run = 0; run < o.runs; ++run) {
            clipboard->clear();
            QCoreApplication::processEvents();
            resetPeakMemory();
            before.push_back(double(statusKb("VmRSS")) * 1024);
            ns.push_back(
                timeNs([&] { QTest::mouseClick(window.c("lblSaveasPDF"), Qt::LeftButton); }));
            peak.push_back(double(statusKb("VmHWM")) * 1024);
            report.check(answers.take()
                                 == QStringList{u"Done: Done. Prompts copied to clipboard."_s}
                             && (run > 0 || clipboard->text() == copyAllText()),
                         u"Copy All of %1 keywords"_s.arg(n));
            const QByteArray given = clipboard->mimeData()->data(u"text/plain"_s);
            bytes = double(given.size());
            fresh.push_back(memcpyNs(given));
            reused.push_back(memcpyNs(given, true));
        }
        const double t = median(ns), ref = median(fresh);
        medians.push_back(t);
        references.push_back(ref);
        const QString size = u"memcpy of its "_s + megabytes(bytes), of = count(n);
        const bool judged = n == 100'000;
        report.time(u"Copy to Clipboard (All)"_s, of, t, size + u", new buffer"_s, ref,
                    judged ? u"< 0.5 s and <= 8x"_s : QString(), t < 0.5e9 && t / ref <= 8);
        report.add({u"  against a reused buffer"_s, of, QString(),
                    size + u", reused: "_s + duration(median(reused)), ratio(t / median(reused)),
                    QString(), QString()});
        report.add({u"  composed per second"_s, of, megabytes(bytes / t * 1e9) + u"/s"_s,
                    u"memcpy, new buffer: "_s + megabytes(bytes / ref * 1e9) + u"/s"_s, QString(),
                    QString(), QString()});
        report.memory(u"  peak memory during the copy"_s, of, median(peak), u"resident before"_s,
                      median(before));
    }
    for (size_t i = 1; i < sizes.size(); ++i) {
        report.growth(u"Copy All growth"_s, count(sizes[i - 1]) + u" -> "_s + count(sizes[i]),
                      medians[i] / medians[i - 1], u"memcpy, new buffer,"_s,
                      references[i] / references[i - 1]);
    }
    clipboard->clear();
}

// Batch creation at growing sizes, from the click until the list is laid out and painted, beside
// QString::split of the same keyword text; picking entries of the largest batch, beside composing
// a prompt alone; and its last entry, reached from the keyboard.
void measureBatches(const Options& o, const Workspace& ws, Report& report)
{
    const std::vector<qsizetype> sizes =
        o.smoke ? std::vector<qsizetype>{10, 100, 1'000}
                : std::vector<qsizetype>{1'000, 10'000, 100'000, 1'000'000};
    Answers answers;
    Window window(ws.path(), false);
    std::vector<double> medians, references;
    QStringList keywords;
    for (const qsizetype n : sizes) {
        progress(u"batch creation, %1 keywords"_s.arg(count(n)));
        keywords = makeKeywords(n);
        window.setKeywords(keywords);
        const QString text = keywords.join(u'\n');
        medians.push_back(medianOf(o.runs, [&](int) { return window.createBatch(); }));
        references.push_back(medianOf(
            o.runs, [&](int) { return timeNs([&] { sink = text.split(u'\n').size(); }); }));
        report.check(window.rows() == n && answers.take().isEmpty(), u"the batch of %1"_s.arg(n));
        const double t = medians.back();
        const QString goal = n == 100'000 ? u"< 100 ms"_s : n == 1'000'000 ? u"< 1 s"_s : QString();
        report.time(u"Batch creation"_s, count(n), t, u"QString::split"_s, references.back(), goal,
                    t < (n == 100'000 ? 100e6 : 1e9));
    }
    for (size_t i = 1; i < sizes.size(); ++i) {
        const double grows = medians[i] / medians[i - 1];
        report.growth(u"Batch growth"_s, count(sizes[i - 1]) + u" -> "_s + count(sizes[i]), grows,
                      u"QString::split"_s, references[i] / references[i - 1],
                      sizes[i] == 1'000'000 ? u"<= 12x"_s : QString(), grows <= 12);
    }
    const qsizetype n = sizes.back();
    progress(u"picking an entry, batch of %1"_s.arg(count(n)));
    QListView* list = window.list();
    const auto shows = [box = window.c<QPlainTextEdit>("txtPrompt")](QString prompt) {
        return box->toPlainText() == prompt.replace(u"\r\n"_s, u"\n"_s); // the box's line ends
    };
    PromptFields plain = ws.fields;
    plain.promote = false;
    std::vector<double> ns, ref;
    for (int run = 0; run < o.runs; ++run) {
        const int row = int(n / 2 + run * 37 % (n / 2));
        const QModelIndex index = list->model()->index(row, 0);
        list->scrollTo(index, QAbstractItemView::PositionAtCenter);
        QCoreApplication::processEvents();
        ns.push_back(timeNs([&] {
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                              list->visualRect(index).center());
            QCoreApplication::processEvents();
        }));
        QString prompt;
        ref.push_back(timeNs([&] { prompt = composePrompt(plain, keywords.at(row)); }));
        report.check(shows(prompt), u"picking entry %1"_s.arg(row));
    }
    report.time(u"Picking an entry"_s, count(n), median(ns), u"composePrompt alone"_s, median(ref),
                u"< 5 ms"_s, median(ns) < 5e6);
    QTest::keyClick(list, Qt::Key_End);
    report.check(list->currentIndex().row() == n - 1
                     && shows(composePrompt(plain, keywords.last())),
                 u"the last entry of %1 was not reached"_s.arg(n));
}

// A run that takes over ten seconds is not repeated, and one is stopped after a minute.
void measurePaste(const Options& o, const Workspace& ws, Report& report)
{
    for (const bool lines : {false, true}) {
        const qsizetype n = lines ? (o.smoke ? 1'000 : 1'000'000) : (o.smoke ? 10'000 : 10'000'000);
        progress(u"pasting %1 %2"_s.arg(count(n), lines ? u"keyword lines"_s : u"characters"_s));
        std::vector<double> ns;
        QList<QByteArray> out{"0", "1"};
        while (out.size() == 2 && int(ns.size()) < o.runs && (ns.empty() || ns.back() < 10e9)) {
            out = probe(
                {u"--paste-probe"_s, ws.path(), lines ? u"lines"_s : u"line"_s, QString::number(n)},
                60'000);
            report.check(out.size() != 2 || out[1] != "0", u"pasting changed the text"_s);
            ns.push_back(out.size() == 2 ? out[0].toDouble() : 60e9);
        }
        QString runs = ns.size() < size_t(o.runs) ? u" (%1 run)"_s.arg(ns.size()) : QString();
        if (out.size() == 2 && out[1] == "2")
            runs += u" (refused)"_s;
        report.add({lines
                        ? u"Paste into the keyword box, a keyword a line"_s
                        : u"Paste into the keyword box, one line of %1 characters"_s.arg(count(n)),
                    lines ? count(n) : u"1"_s,
                    (out.size() == 2 ? duration(median(ns)) : u"> 60 s"_s) + runs, QString(),
                    QString(), u"<= 1 s"_s, QString()},
                   median(ns) <= 1e9);
    }
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const QStringList args = [&] {
        QStringList list;
        for (int i = 1; i < argc; ++i)
            list.append(QString::fromLocal8Bit(argv[i]));
        return list;
    }();
    if (args.value(0) == u"--startup-probe")
        return startupProbe(argc, argv, args.value(1));
    if (args.value(0) == u"--paste-probe")
        return pasteProbe(argc, argv, args.value(1), args.value(2) == u"lines",
                          args.value(3).toLongLong());

    Options o{5, false, {}, QStringLiteral(INKWRIGHT_SHIPPED_TEMPLATES)};
    const QStringList parts{u"startup"_s, u"compose"_s, u"copy"_s,
                            u"batch"_s,   u"paste"_s,   u"export"_s};
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        const QString value = args.value(i + 1);
        if (arg == u"--smoke") {
            o.smoke = true;
        } else if (arg == u"--runs" && ++i < args.size()) {
            o.runs = std::max(5, value.toInt());
        } else if (arg == u"--only" && ++i < args.size() && parts.contains(value)) {
            o.only = value;
        } else if (arg == u"--templates" && ++i < args.size()) {
            o.templates = value;
        } else {
            std::fprintf(stderr,
                         "usage: inkwright_bench [--runs N] [--smoke] [--only %s] "
                         "[--templates DIR]\n",
                         qPrintable(parts.join(u'|')));
            return 2;
        }
    }
    QApplication app(argc, argv);
    const Workspace ws(o.templates);
    if (!ws.ok) {
        std::fprintf(stderr, "The templates in %s could not be read, or no folder could be made.\n",
                     qPrintable(o.templates));
        return 1;
    }
    Report report(!o.smoke);
    std::fprintf(stderr, "Measuring (%d runs per figure)...\n", o.runs);
    using Part = void (*)(const Options&, const Workspace&, Report&);
    const Part measure[] = {measureStartup, measureComposition, measureCopyAll,
                            measureBatches, measurePaste,       measureExport};
    for (int i = 0; i < 6; ++i) {
        if (o.only.isEmpty() || o.only == parts[i])
            measure[i](o, ws, report);
    }
    return report.finish(o.runs);
}
