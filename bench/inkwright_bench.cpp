// Inkwright's benchmark. It drives the real main window offscreen at the
// sizes of keyword-tool exports and prints, for every figure, the median of
// several runs beside a reference measured in the same run on the same
// machine, so that a noisy machine shows as noise in both columns.
//
//   inkwright_bench [--runs N] [--smoke] [--only PART] [--templates DIR]
//
//   --runs N         runs per figure (at least 5, the default)
//   --smoke          tiny sizes, no goal judged: a quick check that every
//                    measured path still gives the right result
//   --only PART      one part only: startup, compose, copy or batch (batch
//                    includes picking), for profiling
//   --templates DIR  the prompt templates to use (default: the shipped ones)
//
// Every measured result is checked (entry count, the prompt shown, the whole
// clipboard text), and the fast "Copy to Clipboard (All)" text is compared
// with the sequential composition on random input; the program exits with 1
// when one is wrong.

#include "app/frmMain.h"
#include "app/linkLabel.h"
#include "app/modGeneral.h"
#include "app/uiLook.h"
#include "prompts/promptComposer.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QListView>
#include <QLocale>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <memory>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

#ifndef INKWRIGHT_SHIPPED_TEMPLATES
#define INKWRIGHT_SHIPPED_TEMPLATES "templates"
#endif

using namespace Qt::StringLiterals;

namespace {

// ---------------------------------------------------------------- clock, memory

// The monotonic clock, which a parent and its child process share.
qint64 monotonicNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// A field of /proc/self/status in kB ("VmRSS", "VmHWM"), or -1.
qint64 statusKb(const char* field)
{
    QFile status(u"/proc/self/status"_s);
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

// The highest VmHWM seen before any reset, so the whole run's peak is known.
qint64 earlierPeakKb = 0;

// Starts a new peak of resident memory (VmHWM) from the current resident size.
bool resetPeakMemory()
{
    earlierPeakKb = std::max(earlierPeakKb, statusKb("VmHWM"));
    const int fd = ::open("/proc/self/clear_refs", O_WRONLY);
    if (fd < 0)
        return false;
    const bool ok = ::write(fd, "5", 1) == 1;
    ::close(fd);
    return ok;
}

// Keeps the optimiser from dropping work whose result is otherwise unused.
volatile qsizetype sink = 0;

// Copies `bytes` from `source` into a new buffer: the floor for any code that
// produces that many new bytes.
double memcpyNewBufferNs(const void* source, size_t bytes)
{
    QElapsedTimer timer;
    timer.start();
    char* target = static_cast<char*>(std::malloc(bytes));
    if (!target)
        return 0;
    std::memcpy(target, source, bytes);
    const double ns = double(timer.nsecsElapsed());
    sink = sink + target[bytes / 2];
    std::free(target);
    return ns;
}

// Copies `bytes` from `source` into a buffer that has been written before, so
// no page of it is new: the bare speed of the memory.
double memcpyReusedBufferNs(const void* source, size_t bytes)
{
    std::vector<char> target(bytes);
    std::memcpy(target.data(), source, bytes);
    QElapsedTimer timer;
    timer.start();
    std::memcpy(target.data(), source, bytes);
    const double ns = double(timer.nsecsElapsed());
    sink = sink + target[bytes / 2];
    return ns;
}

// ---------------------------------------------------------------- formatting

QString count(qsizetype n)
{
    return QLocale(QLocale::English).toString(qlonglong(n));
}

QString duration(double ns)
{
    if (ns >= 1e9)
        return QString::number(ns / 1e9, 'f', 2) + u" s"_s;
    if (ns >= 1e7)
        return QString::number(ns / 1e6, 'f', 0) + u" ms"_s;
    if (ns >= 1e6)
        return QString::number(ns / 1e6, 'f', 1) + u" ms"_s;
    if (ns >= 1e4)
        return QString::number(ns / 1e3, 'f', 0) + u" us"_s;
    if (ns >= 1e3)
        return QString::number(ns / 1e3, 'f', 1) + u" us"_s;
    return QString::number(ns, 'f', 0) + u" ns"_s;
}

QString megabytes(double bytes)
{
    return QString::number(bytes / 1e6, 'f', bytes < 1e7 ? 1 : 0) + u" MB"_s;
}

QString ratio(double value)
{
    return QString::number(value, 'f', value < 10 ? 2 : 1) + u"x"_s;
}

struct Row
{
    QString measurement;
    QString keywords;
    QString median;
    QString reference;
    QString ratio;
    QString goal;
    QString verdict;
};

class Report
{
public:
    explicit Report(bool judge)
        : m_judge(judge)
    {
    }

    void add(Row row) { m_rows.push_back(std::move(row)); }

    // A row with a goal: `met` decides the verdict unless goals are not judged.
    void add(Row row, bool met)
    {
        row.verdict = !m_judge ? u"(smoke)"_s : met ? u"met"_s : u"MISSED"_s;
        if (m_judge && !met)
            ++m_missed;
        m_rows.push_back(std::move(row));
    }

    void fail(const QString& what)
    {
        m_failures.append(what);
        std::fprintf(stderr, "WRONG RESULT: %s\n", qPrintable(what));
    }

    bool check(bool ok, const QString& what)
    {
        if (!ok)
            fail(what);
        return ok;
    }

    int missed() const { return m_missed; }
    const QStringList& failures() const { return m_failures; }

    void print(const QString& heading) const
    {
        const Row header{u"Measurement"_s, u"Keywords"_s, u"Median"_s, u"Reference, same run"_s,
                         u"Ratio"_s,       u"Goal"_s,     u""_s};
        std::vector<qsizetype> width(7, 0);
        const auto fields = [](const Row& r) {
            return std::vector<const QString*>{&r.measurement, &r.keywords, &r.median, &r.reference,
                                               &r.ratio,       &r.goal,     &r.verdict};
        };
        for (const Row* r : rowsWith(header)) {
            const auto f = fields(*r);
            for (size_t i = 0; i < f.size(); ++i)
                width[i] = std::max(width[i], f[i]->size());
        }
        std::printf("%s\n\n", qPrintable(heading));
        const auto line = [&](const Row& r) {
            const auto f = fields(r);
            QString text;
            for (size_t i = 0; i < f.size(); ++i) {
                // Counts and figures read best aligned to the right.
                const bool right = i == 1 || i == 2 || i == 4;
                text += right ? f[i]->rightJustified(width[i]) : f[i]->leftJustified(width[i]);
                text += u"  "_s;
            }
            while (text.endsWith(u' '))
                text.chop(1);
            std::printf("%s\n", qPrintable(text));
        };
        line(header);
        QString rule;
        for (const qsizetype w : width)
            rule += QString(w, u'-') + u"  "_s;
        rule.chop(2);
        std::printf("%s\n", qPrintable(rule));
        for (const Row& r : m_rows)
            line(r);
        std::fflush(stdout);
    }

private:
    std::vector<const Row*> rowsWith(const Row& header) const
    {
        std::vector<const Row*> all{&header};
        for (const Row& r : m_rows)
            all.push_back(&r);
        return all;
    }

    bool m_judge;
    int m_missed = 0;
    std::vector<Row> m_rows;
    QStringList m_failures;
};

void progress(const QString& what)
{
    std::fprintf(stderr, "  %s\n", qPrintable(what));
}

// ---------------------------------------------------------------- test data

const QString MainKeyword = u"Herb Garden"_s;
const QString ApproxWords = u"400"_s;
const QString RecordName = u"Herb Garden Guide"_s;
const QString ProductName = u"Herb Garden Guide"_s;
const QString ProductFormat = u"ebook"_s;
const QString ProductDescription = u"Teaches beginners to grow herbs on a windowsill"_s;

// Long-tail keywords as a keyword tool exports them: most contain the main
// keyword in some letter case, some do not, a few are the main keyword itself,
// a few have letters beyond ASCII.
QStringList makeKeywords(qsizetype n)
{
    static const char* const before[] = {"indoor",     "best",      "small",      "organic",
                                         "vertical",   "easy",      "diy",        "kitchen",
                                         "balcony",    "winter",    "cheap",      "hydroponic",
                                         "raised bed", "container", "windowsill", "beginner"};
    static const char* const after[] = {"ideas",
                                        "for beginners",
                                        "kit",
                                        "layout",
                                        "design",
                                        "plants list",
                                        "tips",
                                        "in pots",
                                        "with kids",
                                        "on a budget",
                                        "care guide",
                                        "soil mix",
                                        "watering schedule",
                                        "problems",
                                        "tools",
                                        "for apartments"};
    QStringList keywords;
    keywords.reserve(n);
    for (qsizetype i = 0; i < n; ++i) {
        const QLatin1StringView b(before[i % 16]);
        const QLatin1StringView a(after[(i / 16) % 16]);
        QString k;
        if (i % 50 == 0)
            k = i % 100 == 0 ? u"Herb Garden"_s : u" herb garden "_s;
        else if (i % 4 == 0)
            k = b + u" herb garden "_s + a;
        else if (i % 4 == 1)
            k = u"Herb Garden "_s + a;
        else if (i % 4 == 2)
            k = b + u" herb garden"_s;
        else
            k = b + u" herbs "_s + a;
        if (i % 97 == 3)
            k += u" caf\u00e9"_s;
        if (i >= 256)
            k += u' ' + QString::number(i / 256);
        keywords.append(k);
    }
    return keywords;
}

// A program folder with the shipped templates and one product record.
class Workspace
{
public:
    explicit Workspace(const QString& templatesFrom)
    {
        const QDir root(m_dir.path());
        m_ok = m_dir.isValid() && root.mkpath(u"templates"_s) && root.mkpath(u"products"_s);
        for (const QString& name : {u"topic.txt"_s, u"topic-angle.txt"_s}) {
            QFile source(templatesFrom + u'/' + name);
            m_ok = m_ok && source.open(QIODevice::ReadOnly);
            const QByteArray bytes = source.readAll();
            (name == u"topic.txt"_s ? m_topic : m_angle) = QString::fromUtf8(bytes);
            QFile target(root.filePath(u"templates/"_s + name));
            m_ok = m_ok && target.open(QIODevice::WriteOnly) && target.write(bytes) == bytes.size();
        }
        QFile record(root.filePath(u"products/"_s + RecordName + u".txt"_s));
        const QByteArray recordText =
            (ProductName + u"\r\n"_s + ProductFormat + u"\r\n"_s + ProductDescription).toUtf8();
        m_ok = m_ok && record.open(QIODevice::WriteOnly)
               && record.write(recordText) == recordText.size();
    }

    bool isValid() const { return m_ok && !m_topic.isEmpty() && !m_angle.isEmpty(); }
    QString path() const { return m_dir.path(); }

    // What the window composes from, built here independently of the window.
    PromptFields fields(bool promote) const
    {
        return PromptFields{m_topic,
                            m_angle,
                            MainKeyword,
                            ApproxWords,
                            promote,
                            promote ? ProductName : QString(),
                            promote ? ProductFormat : QString(),
                            promote ? ProductDescription : QString()};
    }

private:
    QTemporaryDir m_dir;
    QString m_topic;
    QString m_angle;
    bool m_ok = false;
};

// Answers the window's message boxes with OK and keeps what they said.
class MessageBoxes
{
public:
    MessageBoxes()
    {
        modGeneral::setMessageBoxHandler([this](const modGeneral::MessageBoxCall& call) {
            m_shown.append(call.title + u": "_s + call.text);
            return int(modGeneral::vbOK);
        });
    }
    ~MessageBoxes() { modGeneral::setMessageBoxHandler(nullptr); }
    MessageBoxes(const MessageBoxes&) = delete;
    MessageBoxes& operator=(const MessageBoxes&) = delete;

    QStringList take() { return std::exchange(m_shown, QStringList()); }

private:
    QStringList m_shown;
};

// A plain-text box gives its text back with LF line ends.
QString asShownInBox(QString text)
{
    text.replace(u"\r\n"_s, u"\n"_s);
    text.replace(u'\r', u'\n');
    return text;
}

// Whether `text` is exactly the "Copy to Clipboard (All)" text of `keywords`,
// built block by block with the sequential composition.
bool isAllPromptsText(const QString& text, const QStringList& keywords, const PromptFields& fields,
                      QString* why)
{
    qsizetype at = 0;
    for (qsizetype i = 0; i < keywords.size(); ++i) {
        const QString block = u"Keyword: "_s + keywords.at(i) + u"\r\nPrompt: "_s
                              + composePrompt(fields, keywords.at(i)) + u"\r\n\r\n"_s;
        if (QStringView(text).mid(at, block.size()) != block) {
            *why = u"block %1 (keyword \"%2\") differs"_s.arg(i).arg(keywords.at(i));
            return false;
        }
        at += block.size();
    }
    if (at != text.size()) {
        *why = u"%1 characters too many"_s.arg(text.size() - at);
        return false;
    }
    return true;
}

struct Options
{
    int runs = 5;
    bool smoke = false;
    QString only;
    QString templates = QStringLiteral(INKWRIGHT_SHIPPED_TEMPLATES);
};

// ---------------------------------------------------------------- start-up

// Child process: shows a window and, once it has been exposed and painted,
// prints the monotonic time and the resident memory, then ends.
class FirstFrame final : public QObject
{
public:
    explicit FirstFrame(QWidget* window)
        : m_window(window)
    {
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Expose && m_window->windowHandle()
            && m_window->windowHandle()->isExposed())
            m_exposed = true;
        if (event->type() == QEvent::Paint && watched == m_window)
            m_painted = true;
        if (m_exposed && m_painted && !m_reported) {
            m_reported = true;
            // Queued, so it runs once the expose and its painting are done.
            QTimer::singleShot(0, this, [] {
                std::printf("%lld %lld\n", static_cast<long long>(monotonicNs()),
                            static_cast<long long>(statusKb("VmRSS")));
                std::fflush(stdout);
                QCoreApplication::quit();
            });
        }
        return false;
    }

private:
    QWidget* m_window;
    bool m_exposed = false;
    bool m_painted = false;
    bool m_reported = false;
};

int startupProbe(int& argc, char** argv, const QString& folder, bool bare)
{
    QApplication app(argc, argv);
    std::unique_ptr<QWidget> window;
    if (bare) {
        window = std::make_unique<QWidget>();
        window->setFixedSize(uiLook::px(16845), uiLook::px(8385));
    } else {
        window = std::make_unique<frmMain>(true, folder);
    }
    FirstFrame watch(window.get());
    window->winId();
    window->windowHandle()->installEventFilter(&watch);
    window->installEventFilter(&watch);
    window->show();
    return QApplication::exec();
}

struct StartupSample
{
    double ns = 0;
    double rssKb = 0;
    bool ok = false;
};

StartupSample runStartupProbe(const QString& folder, bool bare)
{
    QProcess process;
    process.setProgram(QCoreApplication::applicationFilePath());
    process.setProcessChannelMode(QProcess::SeparateChannels);
    const qint64 started = monotonicNs();
    QStringList arguments{u"--startup-probe"_s, folder};
    if (bare)
        arguments.append(u"--bare"_s);
    process.setArguments(arguments);
    process.start();
    StartupSample sample;
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        return sample;
    const QList<QByteArray> parts = process.readAllStandardOutput().trimmed().split(' ');
    if (parts.size() != 2)
        return sample;
    sample.ns = double(parts.at(0).toLongLong() - started);
    sample.rssKb = double(parts.at(1).toLongLong());
    sample.ok = sample.ns > 0 && sample.rssKb > 0;
    return sample;
}

void measureStartup(const Options& options, const Workspace& workspace, Report& report)
{
    progress(u"start-up, %1 processes of each kind"_s.arg(options.runs));
    std::vector<double> ns, rss, bareNs, bareRss;
    for (int run = 0; run < options.runs; ++run) {
        // Alternating the two kinds spreads the machine's noise over both.
        for (const bool bare : {true, false}) {
            const StartupSample s = runStartupProbe(workspace.path(), bare);
            if (!report.check(s.ok, u"the start-up probe gave no figure"_s))
                return;
            (bare ? bareNs : ns).push_back(s.ns);
            (bare ? bareRss : rss).push_back(s.rssKb);
        }
    }
    const double t = median(ns), tBare = median(bareNs);
    const double m = median(rss) * 1024, mBare = median(bareRss) * 1024;
    report.add({u"Start-up to window shown"_s,
                u""_s,
                duration(t),
                u"empty Qt window: "_s + duration(tBare),
                ratio(t / tBare),
                u"< 150 ms"_s,
                {}},
               t < 150e6);
    report.add({u"Resident memory at first paint"_s,
                u""_s,
                megabytes(m),
                u"empty Qt window: "_s + megabytes(mBare),
                ratio(m / mBare),
                u"< 60 MB"_s,
                {}},
               m < 60e6);
}

// ---------------------------------------------------------------- composition

// The text of "Copy to Clipboard (All)" built the plain way, block by block
// with the sequential composition.
QString sequentialAllPrompts(const PromptFields& fields, const QStringList& keywords)
{
    QString text;
    for (const QString& k : keywords)
        text += u"Keyword: "_s + k + u"\r\nPrompt: "_s + composePrompt(fields, k) + u"\r\n\r\n"_s;
    return text;
}

// The fast "Copy to Clipboard (All)" text, in UTF-16 and in UTF-8, against
// the sequential composition, on random keywords and fields made of the
// pieces that matter: the main keyword in both cases, placeholders and broken
// placeholders, blanks, letters beyond ASCII, a surrogate pair and, now and
// then, a lone surrogate.
void checkAllPromptsOnRandomInput(const Workspace& workspace, Report& report)
{
    static const QString bits[] = {
        u"herb"_s,         u"garden"_s,     u"Herb Garden"_s, u"herb garden"_s, u" "_s,
        u"  "_s,           u"#"_s,          u"#WORDS"_s,      u"#WORDS#"_s,     u"#PRO#"_s,
        u"#ANGLE#"_s,      u"#KEYWORD#"_s,  u"ANGLE"_s,       u"PRO#"_s,        u"caf\u00e9"_s,
        u"\u4e2d\u6587"_s, u"\U0001F33F"_s, u"\u00a0"_s,      u"x"_s,           u"Z"_s,
        u"\r\n"_s};
    const QString loneSurrogate(QChar(char16_t(0xD83C)));
    QRandomGenerator random(20240607);
    const auto text = [&](int maxBits, bool mayBreakUtf16) {
        QString t;
        const int count = int(random.bounded(maxBits + 1));
        for (int i = 0; i < count; ++i)
            t += mayBreakUtf16 && random.bounded(40) == 0
                     ? loneSurrogate
                     : bits[random.bounded(int(std::size(bits)))];
        return t;
    };
    int utf8Cases = 0;
    for (int round = 0; round < 300; ++round) {
        const bool breakUtf16 = round % 3 == 2;
        PromptFields fields = workspace.fields(round % 2 == 0);
        if (round % 4 != 0) {
            fields.topicTemplate = text(8, breakUtf16);
            fields.angleTemplate = text(12, breakUtf16);
        }
        fields.mainKeyword = text(2, breakUtf16);
        fields.approxWords = text(2, breakUtf16);
        fields.productName = text(2, breakUtf16);
        fields.format = text(1, breakUtf16);
        fields.description = text(3, breakUtf16);
        QStringList keywords;
        for (int i = int(random.bounded(6)); i > 0; --i)
            keywords.append(text(5, breakUtf16));
        if (round % 9 == 4) {
            // A main keyword that is half a surrogate pair, kept out of the
            // prompts, cuts the pairs of the keywords: only the angles break.
            fields.mainKeyword = loneSurrogate;
            fields.topicTemplate.remove(Prompts::Keyword);
            fields.angleTemplate.remove(Prompts::Keyword);
            keywords.append(u"x\U0001F33F"_s);
        }

        const QString expected = sequentialAllPrompts(fields, keywords);
        const AllPrompts all = PromptComposer(fields).allPrompts(keywords);
        if (!report.check(
                all.length() == expected.size() && all.text() == expected,
                u"the prepared Copy All text differs from the sequential one (round %1)"_s.arg(
                    round)))
            return;
        // Judging a text unfit for UTF-8 is only ever slower; judging it fit
        // wrongly would change the copied text.
        if (!report.check(!all.isValidUtf16() || QStringView(expected).isValidUtf16(),
                          u"Copy All takes a lone surrogate for UTF-8 (round %1)"_s.arg(round)))
            return;
        if (all.isValidUtf16()) {
            ++utf8Cases;
            if (!report.check(
                    all.utf8() == expected.toUtf8(),
                    u"the UTF-8 Copy All text differs from the sequential one (round %1)"_s.arg(
                        round)))
                return;
        }
    }
    report.check(utf8Cases > 100, u"too few random cases reached the UTF-8 text"_s);
}

void measureComposition(const Options& options, const Workspace& workspace, Report& report)
{
    checkAllPromptsOnRandomInput(workspace, report);

    const qsizetype n = options.smoke ? 100 : 100'000;
    progress(u"ComposePrompt alone, %1 keywords"_s.arg(count(n)));
    const QStringList keywords = makeKeywords(n);
    const PromptFields fields = workspace.fields(true);

    // The prepared form must give exactly what the sequential one gives.
    {
        const PromptComposer composer(fields);
        for (const QString& k : keywords) {
            if (!report.check(composer.compose(k) == composePrompt(fields, k),
                              u"PromptComposer differs from composePrompt for \"%1\""_s.arg(k)))
                break;
        }
    }

    std::vector<double> prepared, sequential, reference;
    qsizetype bytes = 0;
    for (int run = 0; run < options.runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        qsizetype total = 0;
        {
            const PromptComposer composer(fields);
            for (const QString& k : keywords)
                total += composer.compose(k).size();
        }
        prepared.push_back(double(timer.nsecsElapsed()) / double(n));

        timer.start();
        qsizetype total2 = 0;
        for (const QString& k : keywords)
            total2 += composePrompt(fields, k).size();
        sequential.push_back(double(timer.nsecsElapsed()) / double(n));
        report.check(total == total2, u"the two compositions differ in length"_s);

        bytes = total * qsizetype(sizeof(QChar));
        const QByteArray source(bytes, 'x');
        reference.push_back(memcpyNewBufferNs(source.constData(), size_t(bytes)) / double(n));
    }
    const double ref = median(reference);
    const QString refText = u"memcpy of a prompt (%1 B): "_s.arg(bytes / n) + duration(ref);
    report.add({u"ComposePrompt, prepared (PromptComposer)"_s, count(n),
                duration(median(prepared)) + u"/prompt"_s, refText, ratio(median(prepared) / ref),
                u""_s, u""_s});
    report.add({u"ComposePrompt, sequential (composePrompt)"_s, count(n),
                duration(median(sequential)) + u"/prompt"_s, refText,
                ratio(median(sequential) / ref), u""_s, u""_s});
}

// ---------------------------------------------------------------- the window

struct Window
{
    explicit Window(const Workspace& workspace)
        : form(true, workspace.path())
    {
        form.show();
        exposed = QTest::qWaitForWindowExposed(&form);
        form.txtMainKeyword->setText(MainKeyword);
        form.txtApproxWords->setText(ApproxWords);
    }

    void setKeywords(const QStringList& keywords)
    {
        form.txtSelectedKeyword->setPlainText(keywords.join(u'\n'));
        QCoreApplication::processEvents();
    }

    int rows() const { return form.lstPrompts->model()->rowCount(); }

    // "Create Article Prompts For The Keywords", up to the list laid out and
    // painted with its new entries.
    double createBatch()
    {
        QElapsedTimer timer;
        timer.start();
        QTest::mouseClick(form.cmdCreatePrompt, Qt::LeftButton);
        form.lstPrompts->doItemsLayout();
        QCoreApplication::processEvents();
        return double(timer.nsecsElapsed());
    }

    // The last entry can be scrolled to and reads as it should.
    bool listReaches(const QString& lastKeyword)
    {
        QListView* list = form.lstPrompts;
        const QModelIndex last = list->model()->index(rows() - 1, 0);
        list->scrollTo(last);
        QCoreApplication::processEvents();
        const bool visible = list->viewport()->rect().intersects(list->visualRect(last));
        list->scrollToTop();
        return visible && last.data().toString() == lastKeyword + Prompts::EntrySuffix;
    }

    frmMain form;
    bool exposed = false;
};

void measureBatches(const Options& options, const Workspace& workspace, Report& report)
{
    const std::vector<qsizetype> sizes =
        options.smoke ? std::vector<qsizetype>{10, 100, 1'000}
                      : std::vector<qsizetype>{1'000, 10'000, 100'000, 1'000'000};
    MessageBoxes boxes;
    Window window(workspace);
    report.check(window.exposed, u"the main window was not shown"_s);
    std::vector<double> medians, referenceMedians;
    QStringList keywords;
    for (const qsizetype n : sizes) {
        progress(u"batch creation, %1 keywords"_s.arg(count(n)));
        keywords = makeKeywords(n);
        window.setKeywords(keywords);
        std::vector<double> ns, reference;
        for (int run = 0; run < options.runs; ++run) {
            // Reference: the keyword text split into a list, the least any
            // batch must do.
            const QString text = window.form.txtSelectedKeyword->toPlainText();
            QElapsedTimer timer;
            timer.start();
            const QStringList split = text.split(u'\n');
            reference.push_back(double(timer.nsecsElapsed()));
            sink = sink + split.size();

            ns.push_back(window.createBatch());
            report.check(window.rows() == n,
                         u"batch of %1 holds %2 entries"_s.arg(n).arg(window.rows()));
        }
        report.check(window.listReaches(keywords.last()),
                     u"the last entry of %1 cannot be reached"_s.arg(n));
        report.check(boxes.take().isEmpty(), u"a message box was shown by batch creation"_s);
        const double t = median(ns), ref = median(reference);
        medians.push_back(t);
        referenceMedians.push_back(ref);
        Row row{u"Batch creation"_s, count(n), duration(t), u"QString::split: "_s + duration(ref),
                ratio(t / ref),      u""_s,    u""_s};
        if (n == 100'000) {
            row.goal = u"< 100 ms"_s;
            report.add(row, t < 100e6);
        } else if (n == 1'000'000) {
            row.goal = u"< 1 s"_s;
            report.add(row, t < 1e9);
        } else {
            report.add(row);
        }
    }
    for (size_t i = 1; i < sizes.size(); ++i) {
        const double growth = medians[i] / medians[i - 1];
        Row row{u"Batch growth"_s,
                count(sizes[i - 1]) + u" -> "_s + count(sizes[i]),
                ratio(growth),
                u"QString::split grows "_s + ratio(referenceMedians[i] / referenceMedians[i - 1]),
                u""_s,
                u""_s,
                u""_s};
        if (sizes[i] == 1'000'000) {
            row.goal = u"<= 12x"_s;
            report.add(row, growth <= 12);
        } else {
            report.add(row);
        }
    }

    // Picking entries of the largest batch, each a different one.
    const qsizetype n = sizes.back();
    progress(u"picking an entry, batch of %1"_s.arg(count(n)));
    const PromptFields fields = workspace.fields(false);
    QListView* list = window.form.lstPrompts;
    std::vector<double> ns, reference;
    for (int run = 0; run < options.runs; ++run) {
        const int row = int(n / 2 + run * 37 % (n / 2));
        const QModelIndex index = list->model()->index(row, 0);
        list->scrollTo(index, QAbstractItemView::PositionAtCenter);
        QCoreApplication::processEvents();
        const QPoint at = list->visualRect(index).center();

        QElapsedTimer timer;
        timer.start();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, at);
        QCoreApplication::processEvents();
        ns.push_back(double(timer.nsecsElapsed()));

        timer.start();
        const QString expected = composePrompt(fields, keywords.at(row));
        reference.push_back(double(timer.nsecsElapsed()));
        report.check(window.form.txtPrompt->toPlainText() == asShownInBox(expected),
                     u"picking entry %1 did not show its prompt"_s.arg(row));
    }
    report.check(boxes.take().isEmpty(), u"a message box was shown by picking"_s);
    const double t = median(ns), ref = median(reference);
    report.add({u"Picking an entry"_s,
                count(n),
                duration(t),
                u"composePrompt alone: "_s + duration(ref),
                ratio(t / ref),
                u"< 5 ms"_s,
                {}},
               t < 5e6);
}

void measureCopyAll(const Options& options, const Workspace& workspace, Report& report)
{
    const std::vector<qsizetype> sizes = options.smoke
                                             ? std::vector<qsizetype>{10, 100}
                                             : std::vector<qsizetype>{1'000, 10'000, 100'000};
    const bool canResetPeak = resetPeakMemory();
    MessageBoxes boxes;
    Window window(workspace);
    // Promotion on: the check box is toggled with Space, as from the keyboard.
    window.form.chkPromoteProduct->setFocus();
    QTest::keyClick(window.form.chkPromoteProduct, Qt::Key_Space);
    report.check(window.form.chkPromoteProduct->isChecked(), u"promotion could not be ticked"_s);
    report.check(window.form.cboPromoteProduct->currentText() == RecordName,
                 u"the product is not offered"_s);
    const PromptFields fields = workspace.fields(true);
    QClipboard* clipboard = QGuiApplication::clipboard();
    const QStringList doneBox{u"Done: Done. Prompts copied to clipboard."_s};

    std::vector<double> medians, referenceMedians;
    for (const qsizetype n : sizes) {
        progress(u"Copy to Clipboard (All), %1 keywords"_s.arg(count(n)));
        const QStringList keywords = makeKeywords(n);
        window.setKeywords(keywords);
        window.createBatch();
        report.check(window.rows() == n,
                     u"batch of %1 holds %2 entries"_s.arg(n).arg(window.rows()));
        report.check(boxes.take().isEmpty(), u"a message box was shown by batch creation"_s);

        std::vector<double> ns, reference, reused, peak, before;
        double bytes = 0;
        for (int run = 0; run < options.runs; ++run) {
            // Each run starts from an empty clipboard, as the first copy does.
            clipboard->clear();
            QCoreApplication::processEvents();
            resetPeakMemory();
            before.push_back(double(statusKb("VmRSS")) * 1024);

            QElapsedTimer timer;
            timer.start();
            QTest::mouseClick(window.form.lblSaveasPDF, Qt::LeftButton);
            ns.push_back(double(timer.nsecsElapsed()));
            peak.push_back(double(statusKb("VmHWM")) * 1024);

            report.check(boxes.take() == doneBox,
                         u"Copy All of %1 did not confirm once with Done"_s.arg(n));
            if (run == 0) {
                QString why;
                report.check(isAllPromptsText(clipboard->text(), keywords, fields, &why),
                             u"Copy All of %1: clipboard text wrong: %2"_s.arg(n).arg(why));
            }
            // The reference copies as many bytes as the clipboard was given.
            const QMimeData* held = clipboard->mimeData();
            const QByteArray given = held ? held->data(u"text/plain"_s) : QByteArray();
            report.check(!given.isEmpty(), u"Copy All of %1 left no plain text"_s.arg(n));
            bytes = double(given.size());
            reference.push_back(memcpyNewBufferNs(given.constData(), size_t(given.size())));
            reused.push_back(memcpyReusedBufferNs(given.constData(), size_t(given.size())));
        }
        const double t = median(ns), ref = median(reference);
        medians.push_back(t);
        referenceMedians.push_back(ref);
        Row row{u"Copy to Clipboard (All)"_s,
                count(n),
                duration(t),
                u"memcpy of its "_s + megabytes(bytes) + u", new buffer: "_s + duration(ref),
                ratio(t / ref),
                u""_s,
                u""_s};
        if (n == 100'000) {
            row.goal = u"< 0.5 s and <= 8x"_s;
            report.add(row, t < 0.5e9 && t / ref <= 8);
        } else {
            report.add(row);
        }
        const double warm = median(reused);
        report.add({u"  against a reused buffer"_s, count(n), u""_s,
                    u"memcpy of its "_s + megabytes(bytes) + u", reused: "_s + duration(warm),
                    ratio(t / warm), u""_s, u""_s});
        report.add({u"  composed per second"_s, count(n), megabytes(bytes / (t / 1e9)) + u"/s"_s,
                    u"memcpy, new buffer: "_s + megabytes(bytes / (ref / 1e9)) + u"/s"_s, u""_s,
                    u""_s, u""_s});
        if (canResetPeak) {
            report.add({u"  peak memory during the copy"_s, count(n), megabytes(median(peak)),
                        u"resident before: "_s + megabytes(median(before)),
                        u"+"_s + megabytes(median(peak) - median(before)), u""_s, u""_s});
        }
    }
    for (size_t i = 1; i < sizes.size(); ++i) {
        report.add(
            {u"Copy All growth"_s, count(sizes[i - 1]) + u" -> "_s + count(sizes[i]),
             ratio(medians[i] / medians[i - 1]),
             u"memcpy, new buffer, grows "_s + ratio(referenceMedians[i] / referenceMedians[i - 1]),
             u""_s, u""_s, u""_s});
    }
    clipboard->clear();
}

int usage()
{
    std::fprintf(stderr,
                 "usage: inkwright_bench [--runs N] [--smoke] [--only startup|compose|copy|batch] "
                 "[--templates DIR]\n");
    return 2;
}

} // namespace

int main(int argc, char* argv[])
{
    // The window is driven offscreen unless a platform is asked for.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    if (argc >= 3 && std::strcmp(argv[1], "--startup-probe") == 0) {
        const QString folder = QString::fromLocal8Bit(argv[2]);
        const bool bare = argc >= 4 && std::strcmp(argv[3], "--bare") == 0;
        return startupProbe(argc, argv, folder, bare);
    }

    Options options;
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg(argv[i]);
        if (arg == "--smoke") {
            options.smoke = true;
        } else if (arg == "--runs" && i + 1 < argc) {
            options.runs = std::max(5, QByteArray(argv[++i]).toInt());
        } else if (arg == "--only" && i + 1 < argc) {
            options.only = QString::fromLocal8Bit(argv[++i]);
            if (!QStringList{u"startup"_s, u"compose"_s, u"copy"_s, u"batch"_s}.contains(
                    options.only))
                return usage();
        } else if (arg == "--templates" && i + 1 < argc) {
            options.templates = QString::fromLocal8Bit(argv[++i]);
        } else {
            return usage();
        }
    }

    QApplication app(argc, argv);
    const Workspace workspace(options.templates);
    if (!workspace.isValid()) {
        std::fprintf(
            stderr,
            "The templates in %s could not be read, or no temporary folder could be made.\n",
            qPrintable(QDir::toNativeSeparators(options.templates)));
        return 1;
    }

    Report report(!options.smoke);
    std::fprintf(stderr, "Measuring (%d runs per figure)...\n", options.runs);
    const auto wanted = [&options](const QString& part) {
        return options.only.isEmpty() || options.only == part;
    };
    if (wanted(u"startup"_s))
        measureStartup(options, workspace, report);
    if (wanted(u"compose"_s))
        measureComposition(options, workspace, report);
    if (wanted(u"copy"_s))
        measureCopyAll(options, workspace, report);
    if (wanted(u"batch"_s))
        measureBatches(options, workspace, report);
    const double peakKb = double(std::max(earlierPeakKb, statusKb("VmHWM")));

    const QString heading =
        u"Inkwright benchmark: median of %1 runs, %2 build, Qt %3, platform \"%4\", %5 cores, "
        "MB = 10^6 bytes"_s.arg(options.runs)
            .arg(
#ifdef NDEBUG
                u"release"_s
#else
                u"debug"_s
#endif
                )
            .arg(QString::fromLatin1(qVersion()), QGuiApplication::platformName())
            .arg(QThread::idealThreadCount());
    std::printf("\n");
    report.print(heading);
    std::printf("\nPeak resident memory of the whole benchmark (VmHWM): %s\n",
                qPrintable(megabytes(peakKb * 1024)));
    if (!options.smoke)
        std::printf("Goals missed: %d\n", report.missed());
    std::printf(
        "\nWhat is timed (all on the full edition's main window, shipped templates, main keyword "
        "\"%s\"):\n"
        "- Start-up: from starting the process until the window, exposed, has painted; resident\n"
        "  memory then. Reference: a process that shows an empty widget of the same size.\n"
        "- Batch creation: from the click on \"Create Article Prompts For The Keywords\" until "
        "the\n"
        "  list holds every entry, is laid out and has painted. Reference: QString::split of the\n"
        "  same keyword text.\n"
        "- Picking an entry: from the click on an entry until the prompt box holds its prompt and\n"
        "  has painted. Reference: composing that prompt alone.\n"
        "- Copy to Clipboard (All), promotion on: from the click until the clipboard holds the "
        "text\n"
        "  (the Done box answered at once), starting from an empty clipboard. Reference: memcpy "
        "of\n"
        "  as many bytes as the clipboard was given, into a new buffer (page faults included, as\n"
        "  for any new text) and into one written before. Peak memory: VmHWM during the copy.\n"
        "- ComposePrompt alone: per prompt over the keyword list, promotion on.\n",
        qPrintable(MainKeyword));
    if (!report.failures().isEmpty()) {
        std::printf("\n%lld WRONG RESULT(S):\n", static_cast<long long>(report.failures().size()));
        for (const QString& f : report.failures())
            std::printf("  %s\n", qPrintable(f));
        return 1;
    }
    return 0;
}
