// The export of all prompts to a file: from the window, and with inkwright-batch.
#include "benchReport.h"
#include "benchSupport.h"
#include "components/tsTools.h"
#include "prompts/promptExport.h"

#include <QtTest>
#include <QtWidgets>

#include <malloc.h>

using namespace Qt::StringLiterals;

namespace bench {

namespace {

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Whether two files hold the same bytes, read a megabyte at a time.
bool sameFiles(const QString& a, const QString& b)
{
    QFile one(a), two(b);
    if (!one.open(QIODevice::ReadOnly) || !two.open(QIODevice::ReadOnly)
        || one.size() != two.size())
        return false;
    while (!one.atEnd()) {
        if (one.read(1 << 20) != two.read(1 << 20))
            return false;
    }
    return true;
}

} // namespace

// "Export All Prompts..." (Ctrl+S) of a million keywords, promotion on, until the Done box; and
// inkwright-batch with the same keywords from its start to its end; each beside one plain write
// of the same bytes, with the peak of resident memory beside what the keyword list takes.
void measureExport(const Options& o, const Workspace& ws, Report& report)
{
    const qsizetype n = o.smoke ? 1'000 : 1'000'000;
    const QStringList keywords = makeKeywords(n);
    const QString text = keywords.join(u'\n');
    // In memory where it can be, so that the figures are the program's and not a busy disk's.
    QTemporaryDir out(QDir(u"/dev/shm"_s).exists() ? u"/dev/shm/inkwright-XXXXXX"_s
                                                   : QDir::tempPath() + u"/inkwright-XXXXXX"_s);
    const QString keywordFile = out.filePath(u"keywords.txt"_s), file = out.filePath(u"prompts"_s);
    QFile keywordOut(keywordFile);
    report.check(keywordOut.open(QIODevice::WriteOnly) && keywordOut.write(text.toUtf8()) > 0
                     && keywordOut.flush(),
                 u"the keyword file"_s);
    // What the keyword list takes: the heap that splitting the keyword text adds.
    const auto heap = [] { return double(mallinfo2().uordblks + mallinfo2().hblkhd); };
    const double heapBefore = heap();
    QStringList list = tsTools::splitLines(text);
    const double listBytes = heap() - heapBefore;
    list = QStringList();

    Answers answers;
    Window window(ws.path(), true);
    window.setKeywords(keywords);
    window.createBatch();
    for (const auto& [name, format] : {std::pair{u".txt"_s, PromptExport::Format::Text},
                                       std::pair{u".jsonl"_s, PromptExport::Format::JsonLines}}) {
        progress(u"export of %1 keywords to %2"_s.arg(count(n), name));
        std::vector<double> ns[3], peak[2], before;
        const QString target = file + name, expected = out.filePath(u"expected"_s + name);
        PromptExport::writeFile(expected, ws.fields, keywords, format);
        for (int run = 0; run < o.runs; ++run) {
            answers.saveAs = target;
            // The progress dialog's going leaves no window active offscreen.
            window.form.activateWindow();
            report.check(QTest::qWaitForWindowActive(&window.form), u"the window is not active"_s);
            resetPeakMemory();
            before.push_back(double(statusKb("VmRSS")) * 1024);
            ns[0].push_back(
                timeNs([&] { QTest::keyClick(window.list(), Qt::Key_S, Qt::ControlModifier); }));
            peak[0].push_back(double(statusKb("VmHWM")) * 1024);
            report.check(answers.take()
                                 == QStringList{u"Done: Done. Prompts exported to "_s
                                                + QDir::toNativeSeparators(target) + u'.'}
                             && (run > 0 || sameFiles(target, expected)),
                         u"the window's "_s + name + u" differs"_s);
            QFile::remove(target);
        }
        // The same bytes for the plain write, held only now.
        const QByteArray bytes = fileBytes(expected);
        for (int run = 0; run < o.runs; ++run) {
            QProcess batch;
            double batchPeakKb = 0;
            ns[1].push_back(timeNs([&] {
                batch.start(QCoreApplication::applicationDirPath() + u"/inkwright-batch"_s,
                            {u"--main"_s, MainKeyword, u"--product"_s, RecordName, u"--folder"_s,
                             ws.path(), u"--keywords"_s, keywordFile, u"--out"_s, target});
                while (!batch.waitForFinished(2))
                    batchPeakKb =
                        std::max(batchPeakKb, double(statusKb("VmHWM", batch.processId())));
            }));
            peak[1].push_back(batchPeakKb * 1024);
            report.check(batch.exitCode() == 0 && (run > 0 || sameFiles(target, expected)),
                         u"inkwright-batch's "_s + name + u" differs"_s);
            QFile::remove(target);
            QFile plain(target);
            ns[2].push_back(timeNs([&] {
                sink = plain.open(QIODevice::WriteOnly) && plain.write(bytes) && plain.flush();
            }));
            plain.remove();
        }
        QFile::remove(expected);
        const QString reference = u"one write of its "_s + megabytes(double(bytes.size()));
        const double write = median(ns[2]);
        report.time(u"Export All Prompts (window), "_s + name, count(n), median(ns[0]), reference,
                    write, u"<= 2 s and <= 1.5x"_s,
                    median(ns[0]) <= 2e9 && median(ns[0]) <= 1.5 * write);
        report.memory(u"  peak memory during the export"_s, count(n), median(peak[0]),
                      u"resident before"_s, median(before), u"<= +64 MB"_s,
                      median(peak[0]) - median(before) <= 64e6);
        report.time(u"inkwright-batch, "_s + name, count(n), median(ns[1]), reference, write,
                    u"<= 2 s and <= 1.5x"_s, median(ns[1]) <= 2e9 && median(ns[1]) <= 1.5 * write);
        report.memory(u"  peak memory of the process"_s, count(n), median(peak[1]),
                      u"the keyword list"_s, listBytes, u"<= +64 MB"_s,
                      median(peak[1]) - listBytes <= 64e6);
    }
}

} // namespace bench
