// Inkwright's benchmark: drives the real main window offscreen, and inkwright-batch as a process,
// and prints each figure as the median of several runs beside a reference measured in the same
// run (inkwright_bench --help). Every result is checked; a wrong one makes it exit with 1.
#include "frmMain.h"
#include "modGeneral.h"
#include "prompts/keywordFile.h"
#include "prompts/promptComposer.h"
#include "prompts/promptExport.h"
#include "uiLook.h"

#include <QtTest>
#include <QtWidgets>

#include <cstdio>
#include <sched.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

int runs = 5;       // per figure
bool smoke = false; // tiny sizes, goals not judged
QString folder;     // the program folder: the templates and the promoted product's record
QStringList said;   // what the message boxes said, each answered with OK
QString saveAs;     // the answer to the save dialog
PromptFields fields{.topicTemplate = {}, // the templates, read when the program folder is made
                    .angleTemplate = {},
                    .mainKeyword = u"Herb Garden"_s,
                    .approxWords = u"400"_s,
                    .promote = true,
                    .productName = u"Herb Garden Guide"_s,
                    .format = u"ebook"_s,
                    .description = u"Teaches beginners to grow herbs on a windowsill"_s};
volatile qsizetype sink = 0; // keeps the optimiser from dropping work whose result is unused

// Figures written for reading: 1,000,000; 2.41x; 33 MB, 2.6 GB; 856 us, 12 ms, 2.79 s.
const auto fixed = [](double value, int decimals, const char* unit) {
    return QString::number(value, 'f', decimals) + QLatin1StringView(unit);
};
const auto count = [](qsizetype n) { return QLocale(QLocale::English).toString(qlonglong(n)); };
const auto ratio = [](double value) { return fixed(value, value < 10 ? 2 : 1, "x"); };
const auto megabytes = [](double bytes) {
    return bytes >= 1e9 ? fixed(bytes / 1e9, 1, " GB") : fixed(bytes / 1e6, bytes < 1e7, " MB");
};
const auto duration = [](double ns) {
    return ns >= 1e9   ? fixed(ns / 1e9, 2, " s")
           : ns >= 1e6 ? fixed(ns / 1e6, ns < 1e7, " ms")
                       : fixed(ns / 1e3, 0, " us");
};
double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n == 0 ? 0 : n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// The table, printed a row at a time as the figures come: measurement, keywords, median,
// reference, ratio, goal and verdict, counts and figures to the right.
int missed = 0, wrong = 0; // goals missed, results found wrong
void printRow(const QStringList& cells, QChar fill = u' ')
{
    static const int width[7] = {-61, 20, 16, -50, 7, -18, -6}; // to the left when negative
    QString line;
    for (int i = 0; i < 7; ++i)
        line += u"%1  "_s.arg(cells.value(i), width[i], fill);
    std::printf("%s\n", qPrintable(line.remove(QRegularExpression(u" +$"_s))));
}
// A row of the table; its goal, if any, judged by `met`.
void row(QStringList cells, const QString& goal = {}, bool met = true)
{
    missed += !smoke && !goal.isEmpty() && !met;
    cells.resize(5);
    const QString verdict = smoke ? u"(smoke)"_s : met ? u"met"_s : u"MISSED"_s;
    printRow(cells << goal << (goal.isEmpty() ? QString() : verdict));
}
// A figure beside a reference figure of the same run, their ratio, and the figure's goal.
void versus(const QString& what, const QString& keywords, double value, const QString& refName,
            double ref, const QString& goal, bool met, QString (*unit)(double) = duration)
{
    row({what, keywords, unit(value), refName + u": "_s + unit(ref), ratio(value / ref)}, goal,
        met);
}
bool check(bool ok, const QString& what) // prints a wrong result; returns `ok`
{
    if (!ok) {
        std::printf("WRONG RESULT: %s\n", qPrintable(what));
        ++wrong;
    }
    return ok;
}
void printHeading()
{
    std::printf("Inkwright benchmark: median of %d runs, %s build, Qt %s, platform \"%s\", "
                "on one of %d cores, MB = 10^6 bytes\n\n",
                runs, INKWRIGHT_BUILD_TYPE, qVersion(), qPrintable(QGuiApplication::platformName()),
                int(sysconf(_SC_NPROCESSORS_ONLN)));
    printRow(u"Measurement|Keywords|Median|Reference, same run|Ratio|Goal"_s.split(u'|'));
    printRow({}, u'-'); // the rule under the heading
}

const auto nowNs = [] { return QDeadlineTimer::current().deadlineNSecs(); }; // as probes see it
template <typename Work> double timeNs(Work&& work)
{
    const qint64 start = nowNs();
    work();
    return double(nowNs() - start);
}
template <typename Work> double medianNs(Work&& work) // of `runs` runs
{
    std::vector<double> ns;
    for (int run = 0; run < runs; ++run)
        ns.push_back(timeNs(work));
    return median(ns);
}
const auto readFile = [](const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
};
const auto writeFile = [](const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.flush();
};
// A field of /proc/<process>/status ("VmRSS", "VmHWM") in bytes.
double status(const char* field, const QString& process = u"self"_s)
{
    const QByteArray text = readFile(u"/proc/"_s + process + u"/status"_s);
    const qsizetype at = text.indexOf(QByteArray(field) + ':');
    return at < 0 ? 0 : text.mid(at + qstrlen(field) + 1).trimmed().split(' ')[0].toDouble() * 1024;
}
double resetPeak() // starts a new VmHWM from the resident size, which it returns
{
    sink = writeFile(u"/proc/self/clear_refs"_s, "5");
    return status("VmRSS");
}

// Long-tail keywords as a keyword tool exports them: most hold the main keyword in some letter
// case, some do not, a few are the main keyword itself, some have letters beyond ASCII.
QStringList makeKeywords(qsizetype n)
{
    static const QStringList words =
        u"indoor|best|small|organic|vertical|easy|diy|kitchen|balcony|winter|cheap|hydroponic|"
        u"raised bed|container|windowsill|beginner|ideas|for beginners|kit|layout|design|"
        u"plants list|tips|in pots|with kids|on a budget|care guide|soil mix|watering schedule|"
        u"problems|tools|for apartments"_s.split(u'|');
    QStringList keywords;
    keywords.reserve(n);
    for (qsizetype i = 0; i < n; ++i) {
        const QString &b = words[i % 16], &a = words[16 + i / 16 % 16];
        QString k = i % 50 == 0  ? (i % 100 == 0 ? u"Herb Garden"_s : u" herb garden "_s)
                    : i % 4 == 0 ? b + u" herb garden "_s + a
                    : i % 4 == 1 ? u"Herb Garden "_s + a
                    : i % 4 == 2 ? b + u" herb garden"_s
                                 : b + u" herbs "_s + a;
        if (i % 97 == 3)
            k += u" caf\u00e9"_s;
        keywords.append(i >= 256 ? k + u' ' + QString::number(i / 256) : k);
    }
    return keywords;
}

// Fills the program folder with the shipped templates and the product of `fields`, which it
// completes.
bool makeFolder()
{
    const QDir dir(folder);
    bool ok = dir.mkpath(u"templates"_s) && dir.mkpath(u"products"_s);
    for (auto [name, text] : {std::pair{u"topic.txt"_s, &fields.topicTemplate},
                              std::pair{u"topic-angle.txt"_s, &fields.angleTemplate}}) {
        const QString path = dir.filePath(u"templates/"_s + name);
        ok = ok && QFile::copy(QStringLiteral(INKWRIGHT_SHIPPED_TEMPLATES "/") + name, path);
        *text = tsFile::decodeText(readFile(path));
    }
    const QStringList record{fields.productName, fields.format, fields.description};
    return ok
           && writeFile(dir.filePath(u"products/"_s + fields.productName + u".txt"_s),
                        record.join(u"\r\n"_s).toUtf8());
}

struct Window // the full edition's main window on the program folder, with the main keyword
{
    frmMain form{true, folder};
    QListView* list = c<QListView>("lstPrompts");
    explicit Window(bool promote, const QStringList& keywords = {}) // and their batch, if any
    {
        form.show();
        if (!QTest::qWaitForWindowExposed(&form))
            qFatal("The main window was not shown");
        c<QLineEdit>("txtMainKeyword")->setText(fields.mainKeyword);
        c<QCheckBox>("chkPromoteProduct")->setChecked(promote);
        type(keywords);
        if (!keywords.isEmpty())
            createBatch();
    }
    template <typename T = QWidget> T* c(const char* name)
    {
        return form.findChild<T*>(QLatin1StringView(name));
    }
    void type(const QStringList& keywords)
    {
        c<QPlainTextEdit>("txtSelectedKeyword")->setPlainText(keywords.join(u'\n'));
        QCoreApplication::processEvents();
    }
    void createBatch() // the click, until the prompt list is laid out and painted
    {
        QTest::mouseClick(c("cmdCreatePrompt"), Qt::LeftButton);
        list->doItemsLayout();
        QCoreApplication::processEvents();
    }
    double pick(int row) // a click on an entry, until the prompt box has painted
    {
        const QRect entry = list->visualRect(list->model()->index(row, 0));
        return timeNs([&] {
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, entry.center());
            c("txtPrompt")->repaint();
        });
    }
    bool shows(QString prompt) // in the prompt box, whose line ends are LF
    {
        return c<QPlainTextEdit>("txtPrompt")->toPlainText() == prompt.replace(u"\r\n"_s, u"\n"_s);
    }
};

// A probe: a child process, as fresh as a program, that prints two figures. startup FOLDER T:
// from T until the main window (with no folder, an empty widget of its size) has painted, and its
// resident memory then. paste FOLDER lines|line N: from Ctrl+V of N keyword lines, or one line of
// N characters, until the keyword box has painted, and 1 if it holds the text, 2 if it refused it
// as too long a keyword, 0 otherwise. keywords FILE: reading the keyword file as inkwright-batch
// does, and the keywords' count.
int runProbe(const QString& kind, const QString& how, qint64 n)
{
    double figures[2] = {};
    if (kind == u"startup"_s) {
        std::unique_ptr<QWidget> window(folder.isEmpty() ? new QWidget : new frmMain(true, folder));
        if (folder.isEmpty())
            window->setFixedSize(uiLook::px(16845), uiLook::px(8385));
        window->show();
        while (!window->windowHandle()->isExposed()) // a widget paints as it is exposed
            QCoreApplication::processEvents();
        figures[0] = double(nowNs() - n), figures[1] = status("VmRSS");
    } else if (kind == u"paste"_s) {
        Window window(false);
        auto* box = window.c<QPlainTextEdit>("txtSelectedKeyword");
        const QString text = how == u"lines"_s ? makeKeywords(n).join(u'\n') : QString(n, u'k');
        QGuiApplication::clipboard()->setText(text);
        box->setFocus();
        QCoreApplication::processEvents();
        figures[0] = timeNs([box] {
            QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
            box->repaint();
        });
        const bool refused = said.value(0).startsWith(u"Keyword Too Long: "_s);
        figures[1] = box->toPlainText() == text ? 1 : refused && box->document()->isEmpty() ? 2 : 0;
    } else {
        QStringList keywords;
        figures[0] = timeNs([&] { KeywordFile::read(tsFile(), folder, keywords, nullptr); });
        figures[1] = double(keywords.size());
    }
    std::printf("%.0f %.0f\n", figures[0], figures[1]);
    return 0;
}

// Runs a probe; the two figures it printed, or none if it did not end within `ms`.
QList<double> probe(const QStringList& args, int ms = 30'000)
{
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), QStringList{u"--probe"_s} + args);
    const auto out = child.waitForFinished(ms)
                         ? child.readAllStandardOutput().simplified().split(' ')
                         : QList<QByteArray>();
    return out.size() == 2 ? QList<double>{out[0].toDouble(), out[1].toDouble()} : QList<double>();
}

// From starting a process until its main window has painted, and its resident memory then;
// beside an empty widget of the same size, the two kinds of process taken in turn.
void measureStartup()
{
    std::vector<double> ns[2], bytes[2]; // the window's, the empty widget's
    for (int run = 0; run < 2 * runs; ++run) {
        const auto out =
            probe({u"startup"_s, run % 2 ? QString() : folder, {}, QString::number(nowNs())});
        if (!check(out.size() == 2, u"the start-up probe gave no figure"_s))
            return;
        ns[run % 2].push_back(out[0]), bytes[run % 2].push_back(out[1]);
    }
    const double t = median(ns[0]), m = median(bytes[0]);
    versus(u"Start-up to window shown"_s, {}, t, u"empty Qt window"_s, median(ns[1]), u"< 150 ms"_s,
           t < 150e6);
    versus(u"Resident memory at first paint"_s, {}, m, u"empty Qt window"_s, median(bytes[1]),
           u"< 60 MB"_s, m < 60e6, megabytes);
}

// "Copy to Clipboard (All)", promotion on, from the click until the clipboard holds the text,
// beside memcpy of as many bytes into a new buffer.
void measureCopyAll()
{
    const qsizetype n = smoke ? 100 : 100'000;
    const QStringList keywords = makeKeywords(n);
    Window window(true, keywords);
    QClipboard* clipboard = QGuiApplication::clipboard();
    const auto copyAllText = [&] { // built for the first run's check alone
        QString text;
        for (const QString& k : keywords)
            text += u"Keyword: "_s + k + u"\r\nPrompt: "_s + Prompts::withCrLf(promptFor(fields, k))
                    + u"\r\n\r\n"_s;
        return text;
    };
    std::vector<double> ns;
    for (int run = 0; run < runs; ++run) {
        clipboard->clear();
        QCoreApplication::processEvents();
        ns.push_back(timeNs([&] { QTest::mouseClick(window.c("lblSaveasPDF"), Qt::LeftButton); }));
        check(std::exchange(said, {}) == QStringList{u"Done: Done. Prompts copied to clipboard."_s}
                  && (run > 0 || clipboard->text() == copyAllText()),
              u"Copy All of %1 keywords"_s.arg(n));
    }
    const QByteArray given = clipboard->mimeData()->data(u"text/plain"_s);
    clipboard->clear();
    const double t = median(ns); // beside copying as many bytes into a new buffer each run
    const double ref = medianNs([&] { sink = QByteArray(given.constData(), given.size()).size(); });
    versus(u"Copy to Clipboard (All)"_s, count(n), t,
           u"memcpy of its "_s + megabytes(double(given.size())), ref, u"< 0.5 s and <= 8x"_s,
           t < 0.5e9 && t / ref <= 8);
}

// Batch creation of 100,000 and then of 1,000,000 keywords, from the click until the list is laid
// out and painted, beside QString::split of the same keyword text, and its growth; picking entries
// of the larger batch, and its last entry, reached with End.
void measureBatches()
{
    const qsizetype sizes[2] = {smoke ? 100 : 100'000, smoke ? 1'000 : 1'000'000};
    Window window(false);
    double ns[2] = {}, ref[2] = {};
    QStringList keywords;
    for (const int i : {0, 1}) {
        keywords = makeKeywords(sizes[i]);
        window.type(keywords);
        const QString text = keywords.join(u'\n');
        ns[i] = medianNs([&] { window.createBatch(); });
        ref[i] = medianNs([&] { sink = text.split(u'\n').size(); });
        check(window.list->model()->rowCount() == sizes[i] && std::exchange(said, {}).isEmpty(),
              u"the batch of %1"_s.arg(sizes[i]));
        versus(u"Batch creation"_s, count(sizes[i]), ns[i], u"QString::split"_s, ref[i],
               i ? u"< 1 s"_s : u"< 100 ms"_s, ns[i] < (i ? 1e9 : 100e6));
    }
    row({u"Batch growth"_s, count(sizes[0]) + u" -> "_s + count(sizes[1]), ratio(ns[1] / ns[0]),
         u"QString::split grows "_s + ratio(ref[1] / ref[0])},
        u"<= 12x"_s, ns[1] / ns[0] <= 12);
    const qsizetype n = sizes[1];
    PromptFields plain = fields;
    plain.promote = false;
    std::vector<double> picks;
    for (int run = 0; run < runs; ++run) {
        const int entry = int(n / 2 + run * 37 % (n / 2));
        window.list->scrollTo(window.list->model()->index(entry, 0),
                              QAbstractItemView::PositionAtCenter);
        QCoreApplication::processEvents();
        picks.push_back(window.pick(entry));
        check(window.shows(promptFor(plain, keywords.at(entry))), u"picking entry %1"_s.arg(entry));
    }
    row({u"Picking an entry"_s, count(n), duration(median(picks))}, u"< 5 ms"_s,
        median(picks) < 5e6);
    QTest::keyClick(window.list, Qt::Key_End);
    check(window.list->currentIndex().row() == n - 1
              && window.shows(promptFor(plain, keywords.last())),
          u"the last entry of %1 was not reached"_s.arg(n));
}

// Picking an entry after one whose prompt is a run of a million characters without a blank,
// beside picking it after a short prompt: the box must not wrap the long run again by words.
void measureLongRun()
{
    const qsizetype n = smoke ? 10'000 : 1'000'000;
    QTemporaryDir other;
    const QString kept = std::exchange(folder, other.path());
    check(QDir(folder).mkpath(u"templates"_s)
              && writeFile(folder + u"/templates/topic.txt"_s, QByteArray(n, 'x'))
              && writeFile(folder + u"/templates/topic-angle.txt"_s, "About #ANGLE#."),
          u"the long template could not be written"_s);
    Window window(false, {fields.mainKeyword, u"herb garden ideas"_s, u"herb garden tips"_s});
    folder = kept;
    std::vector<double> after, alone;
    for (int run = 0; run < runs; ++run) {
        window.pick(0);
        after.push_back(window.pick(1));
        window.pick(2);
        alone.push_back(window.pick(1));
    }
    check(window.shows(u"About ideas."_s), u"the entry after the long prompt"_s);
    versus(u"Picking an entry after a prompt without a blank"_s, count(n), median(after),
           u"after a short prompt"_s, median(alone), u"< 5 ms"_s, median(after) < 5e6);
}

// Pasting into the keyword box, each run in its own process; a run that takes over ten seconds is
// not repeated, and one is stopped after a minute.
void measurePaste()
{
    for (const bool lines : {false, true}) {
        const qsizetype n = (lines ? 1'000'000 : 10'000'000) / (smoke ? 1'000 : 1);
        std::vector<double> ns;
        QList<double> out;
        do {
            out = probe({u"paste"_s, folder, lines ? u"lines"_s : u"line"_s, QString::number(n)},
                        60'000);
            check(out.isEmpty() || out[1] != 0, u"pasting changed the text"_s);
            ns.push_back(out.isEmpty() ? 60e9 : out[0]);
        } while (!out.isEmpty() && int(ns.size()) < runs && ns.back() < 10e9);
        const QString figure = (out.isEmpty() ? u"> 60 s"_s : duration(median(ns)))
                               + (int(ns.size()) < runs ? u" (%1 run)"_s.arg(ns.size()) : u""_s)
                               + (out.value(1) == 2 ? u" (refused)"_s : u""_s);
        const QString what =
            lines ? u"a keyword a line"_s : u"one line of %1 characters"_s.arg(count(n));
        row({u"Paste into the keyword box, "_s + what, lines ? count(n) : u"1"_s, figure},
            u"<= 1 s"_s, median(ns) <= 1e9);
    }
}

// A keyword tool's CSV export of a million rows read into keywords (a drop on the keyword box,
// inkwright-batch --keywords) beside reading the same file's bytes and decoding them as UTF-8.
void measureKeywordFile()
{
    const qsizetype n = smoke ? 1'000 : 1'000'000;
    const QStringList keywords = makeKeywords(n);
    QByteArray csv = "Keyword,Volume,Keyword Difficulty,CPC,Competition,Results\r\n";
    for (qsizetype i = 0; i < n; ++i) {
        const QByteArray k = keywords[i].toUtf8();
        csv += (i % 10 == 0 ? '"' + k + ", more\"" : k) + ',' + QByteArray::number(i * 7 % 90000)
               + ",42,1.25,0.31," + QByteArray::number(i * 131) + "\r\n";
    }
    const QString path = QDir(folder).filePath(u"keywords.csv"_s);
    check(writeFile(path, csv), u"the keyword file could not be written"_s);
    QStringList found;
    const double t = medianNs([&] { KeywordFile::read(tsFile(), path, found, nullptr); });
    const double ref = medianNs([&] { sink = QString::fromUtf8(readFile(path)).size(); });
    check(found.size() == n && found[10] == keywords[10] + u", more"_s,
          u"the keyword file gave other keywords"_s);
    versus(u"Keyword file read into keywords, a CSV export of %1"_s.arg(megabytes(csv.size())),
           count(n), t, u"read and decoded as UTF-8"_s, ref, u"<= 2x"_s, t <= 2 * ref);
}

// "Export All Prompts..." (Ctrl+S), promotion on, until the Done box, beside one plain write of the
// same bytes; inkwright-batch from its start to its end, beside the window's export, reading the
// keyword file alone in a fresh process, and 0.15 s; the peaks of resident memory.
void measureExport()
{
    const qsizetype n = smoke ? 1'000 : 1'000'000;
    const QStringList keywords = makeKeywords(n);
    // In memory where it can be, so that the figures are the program's and not a busy disk's.
    QTemporaryDir out(QDir(u"/dev/shm"_s).exists() ? u"/dev/shm/inkwright-XXXXXX"_s
                                                   : QDir::tempPath() + u"/inkwright-XXXXXX"_s);
    const QString keywordFile = out.filePath(u"keywords.txt"_s);
    check(writeFile(keywordFile, keywords.join(u'\n').toUtf8()), u"the keyword file"_s);
    Window window(true, keywords);
    for (const auto& [name, format] : {std::pair{u".txt"_s, PromptExport::Format::Text},
                                       std::pair{u".jsonl"_s, PromptExport::Format::JsonLines}}) {
        const QString target = out.filePath(u"prompts"_s + name);
        const QString expected = out.filePath(u"expected"_s + name);
        PromptExport::writeFile(expected, fields, keywords, format);
        const auto wrote = [&] { // compares the file a megabyte at a time, and removes it
            QFile one(target), two(expected);
            bool same = one.open(QIODevice::ReadOnly) && two.open(QIODevice::ReadOnly)
                        && one.size() == two.size();
            while (same && !one.atEnd())
                same = one.read(1 << 20) == two.read(1 << 20);
            return one.remove() && same;
        };
        saveAs = target;
        const QStringList done{u"Done: Done. Prompts exported to %1."_s.arg(target)};
        const QStringList batchArgs{
            u"--main"_s, fields.mainKeyword, u"--product"_s, fields.productName, u"--folder"_s,
            folder,      u"--keywords"_s,    keywordFile,    u"--out"_s,         target};
        // The window and the program in turn, so that a change in the machine's load falls on
        // both; each run, as each plain write, after its file was compared and removed.
        std::vector<double> ns, before, peak, batchNs, batchPeak, writeNs, readNs;
        for (int run = 0; run < runs; ++run) {
            window.form.activateWindow(); // the progress dialog's going leaves none active
            check(QTest::qWaitForWindowActive(&window.form), u"the window is inactive"_s);
            before.push_back(resetPeak());
            ns.push_back(
                timeNs([&] { QTest::keyClick(window.list, Qt::Key_S, Qt::ControlModifier); }));
            peak.push_back(status("VmHWM"));
            check(std::exchange(said, {}) == done && wrote(), u"the window's "_s + name);
            QProcess batch;
            double most = 0;
            batchNs.push_back(timeNs([&] {
                batch.start(QCoreApplication::applicationDirPath() + u"/inkwright-batch"_s,
                            batchArgs);
                while (!batch.waitForFinished(2) && batch.state() != QProcess::NotRunning)
                    most = std::max(most, status("VmHWM", QString::number(batch.processId())));
            }));
            batchPeak.push_back(most);
            check(batch.exitStatus() == QProcess::NormalExit && batch.exitCode() == 0 && wrote(),
                  u"inkwright-batch's "_s + name);
        }
        for (int run = 0; run < runs; ++run) {
            const auto read = probe({u"keywords"_s, keywordFile});
            check(read.value(1) == double(n), u"the keyword probe read other keywords"_s);
            readNs.push_back(read.value(0));
        }
        const QByteArray bytes = readFile(expected); // read now, so the window's size is its own
        for (int run = 0; run < runs; ++run) {
            writeNs.push_back(timeNs([&] { sink = writeFile(target, bytes); }));
            check(sink && wrote(), u"the plain write of "_s + name);
        }
        QFile::remove(expected);
        const double t = median(ns), grew = median(peak) - median(before), tb = median(batchNs);
        versus(u"Export All Prompts (window), "_s + name, count(n), t,
               u"one write of its "_s + megabytes(double(bytes.size())), median(writeNs),
               u"<= 2 s and <= 1.5x"_s, t <= 2e9 && t <= 1.5 * median(writeNs));
        row({u"  peak memory during the export"_s, count(n), megabytes(median(peak)),
             u"resident before: "_s + megabytes(median(before)), u"+"_s + megabytes(grew)},
            u"<= +64 MB"_s, grew <= 64e6); // the peak is reset to the resident before each run
        const double budget = t + median(readNs) + 0.15e9;
        versus(u"inkwright-batch, "_s + name, count(n), tb,
               u"window's export + reading alone + 0.15 s"_s, budget, u"<= 1x"_s, tb <= budget);
        row({u"  reading and splitting the keyword file alone"_s, count(n),
             duration(median(readNs))});
        row({u"  peak memory of the process"_s, count(n), megabytes(median(batchPeak))},
            u"< 64 MB"_s, median(batchPeak) < 64e6);
    }
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    modGeneral::setMessageBoxHandler([](const modGeneral::MessageBoxCall& call) {
        said << call.title + u": "_s + call.text;
        return int(modGeneral::vbOK);
    });
    modGeneral::setSaveFileNameHandler([](const auto&) { return saveAs; });
    const QStringList args = QCoreApplication::arguments();
    if (args.value(1) == u"--probe"_s) { // --probe KIND FOLDER-OR-FILE [HOW] [N]
        folder = args.value(3);
        return runProbe(args.value(2), args.value(4), args.value(5).toLongLong());
    }
    const QStringList parts = u"startup copy batch longrun paste export keywords"_s.split(u' ');
    void (*const measure[])() = {measureStartup, measureCopyAll, measureBatches,    measureLongRun,
                                 measurePaste,   measureExport,  measureKeywordFile};
    QCommandLineParser parser;
    parser.addOptions(
        {{u"runs"_s, u"Runs per figure, at least 5."_s, u"N"_s, u"5"_s},
         {u"smoke"_s, u"Tiny sizes, goals not judged (the ctest run)."_s},
         {u"only"_s, u"The one part to measure: "_s + parts.join(u", "_s), u"PART"_s}});
    parser.addHelpOption();
    parser.process(app);
    const QString only = parser.value(u"only"_s);
    if (!only.isEmpty() && !parts.contains(only))
        parser.showHelp(2);
    runs = std::max(5, parser.value(u"runs"_s).toInt());
    smoke = parser.isSet(u"smoke"_s);
    QTemporaryDir dir;
    folder = dir.path();
    if (!dir.isValid() || !makeFolder()) {
        std::fprintf(stderr, "The shipped templates could not be read, or no folder made.\n");
        return 1;
    }
    // One core for the benchmark and every process it starts: on a virtual machine, a process
    // that lands on another core than the one that last touched the memory it is given can pay
    // several times the system time for the same writes, whatever the program does.
    cpu_set_t core;
    CPU_ZERO(&core);
    CPU_SET(sched_getcpu(), &core);
    sched_setaffinity(0, sizeof core, &core);
    std::setvbuf(stdout, nullptr, _IOLBF, 0); // each row as it comes
    printHeading();
    for (int i = 0; i < parts.size(); ++i)
        if (only.isEmpty() || only == parts[i])
            measure[i]();
    if (!smoke)
        std::printf("\nGoals missed: %d\n", missed);
    if (wrong)
        std::printf("Wrong results: %d\n", wrong);
    return wrong ? 1 : 0;
}
