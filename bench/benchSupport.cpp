#include "benchSupport.h"

#include "benchReport.h"
#include "components/tsFile.h"
#include "modGeneral.h"
#include "uiLook.h"

#include <QtTest>
#include <QtWidgets>

#include <cstdio>
#include <memory>

using namespace Qt::StringLiterals;

namespace bench {

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
        const QLatin1StringView b(before[i % 16]), a(after[(i / 16) % 16]);
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

Workspace::Workspace(const QString& templates)
    : fields{{},   {},         MainKeyword, u"400"_s,
             true, RecordName, u"ebook"_s,  u"Teaches beginners to grow herbs on a windowsill"_s}
{
    const QDir root(dir.path());
    ok = dir.isValid() && root.mkpath(u"templates"_s) && root.mkpath(u"products"_s);
    const auto write = [this](const QString& relative, const QByteArray& bytes) {
        QFile file(dir.filePath(relative));
        ok = ok && !bytes.isEmpty() && file.open(QIODevice::WriteOnly) && file.write(bytes) > 0;
    };
    for (auto [name, text] : {std::pair{u"topic.txt"_s, &fields.topicTemplate},
                              std::pair{u"topic-angle.txt"_s, &fields.angleTemplate}}) {
        QFile source(templates + u'/' + name);
        const QByteArray bytes = source.open(QIODevice::ReadOnly) ? source.readAll() : QByteArray();
        *text = tsFile::decodeText(bytes);
        write(u"templates/"_s + name, bytes);
    }
    const QStringList record{fields.productName, fields.format, fields.description};
    write(u"products/"_s + RecordName + u".txt"_s, record.join(u"\r\n"_s).toUtf8());
}

Answers::Answers()
{
    modGeneral::setMessageBoxHandler([this](const modGeneral::MessageBoxCall& call) {
        shown.append(call.title + u": "_s + call.text);
        return int(modGeneral::vbOK);
    });
    modGeneral::setSaveFileNameHandler(
        [this](const modGeneral::SaveFileNameCall&) { return saveAs; });
}

Answers::~Answers()
{
    modGeneral::setMessageBoxHandler(nullptr);
    modGeneral::setSaveFileNameHandler(nullptr);
}

Window::Window(const QString& folder, bool promote)
    : form(true, folder)
{
    form.show();
    if (!QTest::qWaitForWindowExposed(&form))
        qFatal("The main window was not shown");
    c<QLineEdit>("txtMainKeyword")->setText(MainKeyword);
    c<QCheckBox>("chkPromoteProduct")->setChecked(promote);
}

void Window::setKeywords(const QStringList& keywords)
{
    c<QPlainTextEdit>("txtSelectedKeyword")->setPlainText(keywords.join(u'\n'));
    QCoreApplication::processEvents();
}

double Window::createBatch()
{
    return timeNs([this] {
        QTest::mouseClick(c("cmdCreatePrompt"), Qt::LeftButton);
        list()->doItemsLayout();
        QCoreApplication::processEvents();
    });
}

namespace {
// Prints the clock and the resident memory once the watched window has painted.
struct FirstPaint final : QObject
{
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && !std::exchange(painted, true)) {
            // Queued, so it runs once the painting is done.
            QTimer::singleShot(0, qApp, [] {
                std::printf("%lld %lld\n", qlonglong(nowNs()), qlonglong(statusKb("VmRSS")));
                QCoreApplication::quit();
            });
        }
        return false;
    }
    bool painted = false;
};
} // namespace

int startupProbe(int& argc, char** argv, const QString& folder)
{
    QApplication app(argc, argv);
    std::unique_ptr<QWidget> window;
    if (folder.isEmpty()) {
        window = std::make_unique<QWidget>();
        window->setFixedSize(uiLook::px(16845), uiLook::px(8385));
    } else {
        window = std::make_unique<frmMain>(true, folder);
    }
    FirstPaint watch;
    window->installEventFilter(&watch);
    window->show();
    return QApplication::exec();
}

int pasteProbe(int& argc, char** argv, const QString& folder, bool lines, qsizetype n)
{
    QApplication app(argc, argv);
    Answers answers;
    Window window(folder, false);
    auto* box = window.c<QPlainTextEdit>("txtSelectedKeyword");
    const QString text = lines ? makeKeywords(n).join(u'\n') : QString(n, u'k');
    QGuiApplication::clipboard()->setText(text);
    box->setFocus();
    QCoreApplication::processEvents();
    const double ns = timeNs([box] {
        QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
        box->repaint();
    });
    const bool pasted = box->document()->characterCount() == text.size() + 1;
    const bool refused =
        box->document()->isEmpty() && answers.take().value(0).startsWith(u"Keyword Too Long: "_s);
    std::printf("%.0f %d\n", ns, pasted ? 1 : refused ? 2 : 0);
    return 0;
}

} // namespace bench
