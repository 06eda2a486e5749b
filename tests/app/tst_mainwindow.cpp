// The main window: start-up in both editions, its layout, the promotion box and the links.
#include "app/frmMain.h"
#include "app/linkLabel.h"
#include "testSupport.h"

#include <QTest>
#include <QtWidgets>

#include <optional>

using namespace Qt::StringLiterals;

namespace {

// Name, container, left, top, width and height in twips, caption.
const struct Control
{
    const char *name, *container;
    int left, top, width, height;
    const char* caption;
} controls[] = {
    {"Picture1", "frmMain", 0, 0, 16845, 780, ""},
    {"lblSoftwareName", "Picture1", 270, 225, 5370, 420, "Inkwright"},
    {"Frame4", "frmMain", 405, 1080, 6360, 6180, "Step 1: Enter Your Keywords "},
    {"Label9", "Frame4", 360, 540, 2085, 330, "Your Main Keyword:"},
    {"txtMainKeyword", "Frame4", 2385, 450, 3120, 420, ""},
    {"Label10", "Frame4", 360, 1080, 4065, 330, "Related Keywords (Long-Tail Keywords):"},
    {"lblPicKeywords", "Frame4", 4680, 1080, 1455, 240, "Keyword Ideas"},
    {"txtSelectedKeyword", "Frame4", 360, 1485, 5775, 4290, ""},
    {"Frame3", "frmMain", 6930, 1080, 9600, 6180, "Step 2: Create Article Prompts "},
    {"Label12", "Frame3", 225, 585, 1860, 330, "Approx. Words:"},
    {"txtApproxWords", "Frame3", 1935, 540, 645, 375, "400"},
    {"frPro", "Frame3", 2700, 360, 6630, 645, ""},
    {"chkPromoteProduct", "frPro", 270, 180, 2445, 330, " Promote Product"},
    {"cboPromoteProduct", "frPro", 2610, 180, 3075, 360, ""},
    {"Label11", "frPro", 5715, 270, 825, 240, "Manage"},
    {"cmdCreatePrompt", "Frame3", 1755, 990, 6270, 645, "Create Article Prompts For The Keywords"},
    {"Label8", "Frame3", 225, 1755, 2445, 330, "Prompts:"},
    {"lblSaveasPDF", "Frame3", 6030, 1755, 3300, 240, "Copy to Clipboard (All)"},
    {"lstPrompts", "Frame3", 225, 2115, 9105, 1740, ""},
    {"Label6", "Frame3", 225, 4230, 2445, 330, "Your Selected Prompt:"},
    {"lblCopyToClipboard", "Frame3", 5985, 4185, 3255, 240, "Copy to Clipboard (Selected)"},
    {"txtPrompt", "Frame3", 270, 4590, 9105, 1050, ""},
    {"Label7", "Frame3", 225, 5715, 5775, 330,
     "You can use this prompt with ChatGPT or other AI platforms."},
    {"Command1", "frmMain", 6705, 7515, 3345, 600, "Close"},
};

} // namespace

class tst_MainWindow : public QObject
{
    Q_OBJECT
    std::optional<ProgramFolder> folder;
    std::optional<MessageBoxScript> script;
    std::optional<frmMain> w;

    bool open(bool full = true) { return openMainWindow(w, full, folder->path()); }

private Q_SLOTS:
    void init()
    {
        folder.emplace();
        script.emplace();
    }

    void cleanup()
    {
        QVERIFY2(script->done(), qPrintable(script->pending()));
        script.reset();
        w.reset();
        QVERIFY2(windowLeftOpen().isEmpty(), qPrintable(windowLeftOpen()));
    }

    void startup_data()
    {
        QTest::addColumn<bool>("full");
        QTest::addColumn<QByteArray>("topic"); // null: a folder stands in its place
        QTest::addColumn<QByteArray>("angle"); // null: missing
        QTest::newRow("full edition") << true << QByteArray("#KEYWORD#") << QByteArray("#ANGLE#");
        QTest::newRow("basic edition") << false << QByteArray("#KEYWORD#") << QByteArray("#ANGLE#");
        QTest::newRow("topic unreadable") << true << QByteArray() << QByteArray("#ANGLE#");
        QTest::newRow("both unreadable") << false << QByteArray() << QByteArray();
        QTest::newRow("empty templates are fine") << true << QByteArray("") << QByteArray("");
    }

    void startup()
    {
        QFETCH(bool, full);
        QFETCH(QByteArray, topic);
        QFETCH(QByteArray, angle);
        folder.emplace(topic, angle);
        const QString dir = QDir::toNativeSeparators(folder->path() + u"/templates/"_s);
        QVERIFY(!topic.isNull() || QDir().mkpath(dir + u"topic.txt"_s));
        QList<modGeneral::MessageBoxCall> boxes;
        modGeneral::setMessageBoxHandler([&boxes](const modGeneral::MessageBoxCall& call) {
            boxes.append(call);
            return int(modGeneral::vbOK);
        });
        QVERIFY(open(full));
        QCOMPARE(w->windowTitle(), u"Inkwright"_s);
        QCOMPARE(QApplication::focusWidget(), w->txtSelectedKeyword);
        QCOMPARE(w->frPro->isVisible(), full);
        w->resize(1300, 700); // fixed size: 16845 x 8385 twips
        QCOMPARE(w->size(), QSize(1123, 559));
        // An unreadable template is reported once the window is on screen.
        QCOMPARE(boxes.size(), 0);
        w->reportStartupProblems();
        QCOMPARE(boxes.size(), topic.isNull() || angle.isNull() ? 1 : 0);
        for (const modGeneral::MessageBoxCall& box : boxes) {
            QCOMPARE(u"%1 (%2)"_s.arg(box.title).arg(box.style), u"Error (64)"_s);
            QCOMPARE(box.text.contains(dir + u"topic.txt"_s), topic.isNull());
            QCOMPARE(box.text.contains(dir + u"topic-angle.txt"_s), angle.isNull());
            QVERIFY2(box.text.contains(u"empty"_s), qPrintable(box.text));
        }
        if (!full)
            return;
        // Ticking enables the product box and unticking disables it, by mouse and by key.
        QCheckBox* check = w->chkPromoteProduct;
        QVERIFY(!check->isChecked() && !w->cboPromoteProduct->isEnabled());
        for (const bool byKey : {false, false, true, true}) {
            const bool ticked = !check->isChecked();
            if (byKey)
                QTest::keyClick(check, Qt::Key_Space);
            else
                QTest::mouseClick(check, Qt::LeftButton);
            QCOMPARE(check->isChecked(), ticked);
            QCOMPARE(w->cboPromoteProduct->isEnabled(), ticked);
        }
    }

    void layout_data() { addTableRows(controls, &Control::name); }

    void layout()
    {
        QFETCH(int, index);
        const Control& c = controls[index];
        QVERIFY(open());
        const QWidget* widget = w->findChild<QWidget*>(QLatin1StringView(c.name));
        QVERIFY(widget && widget->isVisible());
        QCOMPARE(widget->parentWidget()->objectName(), QLatin1StringView(c.container));
        QCOMPARE(widget->geometry(), QRect(c.left / 15, c.top / 15, c.width / 15, c.height / 15));
        const char* caption = qobject_cast<const QGroupBox*>(widget) ? "title" : "text";
        QCOMPARE(widget->property(caption).toString(), QString::fromUtf8(c.caption));
    }

    void keywordIdeasAndClose()
    {
        OpenedAddresses opened;
        QVERIFY(open());
        LinkLabel* link = w->lblPicKeywords;
        QTest::mousePress(link, Qt::LeftButton);
        QVERIFY(opened.addresses().isEmpty()); // a click is complete only on release
        QTest::mouseRelease(link, Qt::LeftButton);
        QVERIFY(link->focusPolicy() & Qt::TabFocus); // keyboard users reach it
        QTest::keyClick(link, Qt::Key_Space);
        QTest::keyClick(link, Qt::Key_Return);
        const QString address = frmMain::keywordIdeasAddress();
        QCOMPARE(opened.addresses(), QStringList(3, address));
        QTest::mouseClick(w->Command1, Qt::LeftButton);
        QTRY_VERIFY(!w->isVisible());
    }
};

QTEST_MAIN(tst_MainWindow)
#include "tst_mainwindow.moc"
