// The main window as the user meets it: start-up state in both editions, the
// layout, the promotion check box, the links, "Close", the start-up report of
// unreadable templates and the product box filled from the products folder.
#include "app/frmMain.h"
#include "app/linkLabel.h"
#include "testSupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFrame>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyleOptionButton>
#include <QTest>
#include <QUrl>

using namespace Qt::StringLiterals;

namespace {

// Records every message box instead of showing it, for boxes whose text holds
// details (a path, a reason) that a test checks piece by piece.
class MessageBoxLog
{
public:
    MessageBoxLog()
    {
        modGeneral::setMessageBoxHandler([this](const modGeneral::MessageBoxCall& call) {
            calls.append(call);
            return int(modGeneral::vbOK);
        });
    }
    ~MessageBoxLog() { modGeneral::setMessageBoxHandler(nullptr); }
    MessageBoxLog(const MessageBoxLog&) = delete;
    MessageBoxLog& operator=(const MessageBoxLog&) = delete;

    QList<modGeneral::MessageBoxCall> calls;
};

template <typename T> T* control(const frmMain& w, const QString& name)
{
    T* found = w.findChild<T*>(name);
    if (!found)
        qWarning("no control named %s", qPrintable(name));
    return found;
}

// Clicks a check box where the user clicks it: on its box, not its caption.
void clickCheckBox(QCheckBox* box)
{
    QStyleOptionButton option;
    option.initFrom(box);
    const QRect indicator =
        box->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, box);
    QTest::mouseClick(box, Qt::LeftButton, Qt::NoModifier, indicator.center());
}

void replaceText(QLineEdit* edit, const QString& text)
{
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
}

bool showWindow(frmMain& w)
{
    w.show();
    return QTest::qWaitForWindowExposed(&w) && QTest::qWaitForWindowActive(&w);
}

QStringList comboItems(const QComboBox* box)
{
    QStringList items;
    for (int i = 0; i < box->count(); ++i)
        items.append(box->itemText(i));
    return items;
}

QColor pixelAt(QWidget* widget, const QPoint& point)
{
    return widget->grab().toImage().pixelColor(point);
}

} // namespace

class tst_MainWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup();

    void startupState_data();
    void startupState();
    void promoteCheckBoxEnablesProductBox_data();
    void promoteCheckBoxEnablesProductBox();
    void layout_data();
    void layout();
    void windowHasFixedSize();
    void look_data();
    void look();
    void colours();
    void tabOrderReachesLinks_data();
    void tabOrderReachesLinks();
    void keywordIdeasOpensAddress_data();
    void keywordIdeasOpensAddress();
    void keywordIdeasReleasedOutsideDoesNothing();
    void closeButtonClosesWindow();
    void unreadableTemplatesAreReported_data();
    void unreadableTemplatesAreReported();
    void emptyTemplatesAreNotAnError();
    void productBoxListsRecords_data();
    void productBoxListsRecords();
    void productBoxEmptyOrMissingFolder_data();
    void productBoxEmptyOrMissingFolder();
    void enterAndEscapeStartNoCommand_data();
    void enterAndEscapeStartNoCommand();
};

void tst_MainWindow::cleanup()
{
    QStringList open;
    const QWidgetList widgets = QApplication::topLevelWidgets();
    for (const QWidget* widget : widgets) {
        if (widget->isVisible() && widget->windowType() != Qt::ToolTip)
            open.append(QString::fromLatin1(widget->metaObject()->className()) + u' ' +
                        widget->objectName());
    }
    QVERIFY2(open.isEmpty(), qPrintable(u"windows left open: "_s + open.join(u", "_s)));
}

void tst_MainWindow::startupState_data()
{
    QTest::addColumn<bool>("fullEdition");
    QTest::newRow("full edition") << true;
    QTest::newRow("basic edition") << false;
}

void tst_MainWindow::startupState()
{
    QFETCH(bool, fullEdition);
    ProgramFolder folder;
    QVERIFY(folder.isValid());
    MessageBoxScript script;
    frmMain w(fullEdition, folder.path());
    QVERIFY(showWindow(w));

    QCOMPARE(w.windowTitle(), u"Inkwright"_s);
    auto* softwareName = control<QLabel>(w, u"lblSoftwareName"_s);
    QVERIFY(softwareName);
    QCOMPARE(softwareName->text(), u"Inkwright"_s);
    QVERIFY(softwareName->isVisible());

    auto* strip = control<QFrame>(w, u"frPro"_s);
    auto* check = control<QCheckBox>(w, u"chkPromoteProduct"_s);
    auto* products = control<QComboBox>(w, u"cboPromoteProduct"_s);
    auto* manage = control<LinkLabel>(w, u"Label11"_s);
    QVERIFY(strip && check && products && manage);
    QCOMPARE(strip->isVisible(), fullEdition);
    QCOMPARE(check->isVisible(), fullEdition);
    QCOMPARE(manage->isVisible(), fullEdition);
    QVERIFY(!check->isChecked());
    if (fullEdition) {
        QVERIFY(!products->isEnabled());
        QVERIFY(check->isEnabled());
        QCOMPARE(check->text(), u" Promote Product"_s);
        QCOMPARE(check->toolTip(), u"Promote product (affiliate etc) inside the article."_s);
    }

    QCOMPARE(QApplication::focusWidget(), control<QPlainTextEdit>(w, u"txtSelectedKeyword"_s));
    QCOMPARE(control<QLineEdit>(w, u"txtApproxWords"_s)->text(), u"400"_s);
    QCOMPARE(control<QLineEdit>(w, u"txtMainKeyword"_s)->text(), QString());
    QCOMPARE(control<QPlainTextEdit>(w, u"txtSelectedKeyword"_s)->toPlainText(), QString());
    QCOMPARE(control<QPlainTextEdit>(w, u"txtPrompt"_s)->toPlainText(), QString());
    QCOMPARE(control<QListView>(w, u"lstPrompts"_s)->model()->rowCount(), 0);

    // The captions the user reads.
    const QList<QPair<QString, QString>> captions = {
        {u"Label9"_s, u"Your Main Keyword:"_s},
        {u"Label10"_s, u"Related Keywords (Long-Tail Keywords):"_s},
        {u"lblPicKeywords"_s, u"Keyword Ideas"_s},
        {u"Label12"_s, u"Approx. Words:"_s},
        {u"Label11"_s, u"Manage"_s},
        {u"Label8"_s, u"Prompts:"_s},
        {u"lblSaveasPDF"_s, u"Copy to Clipboard (All)"_s},
        {u"Label6"_s, u"Your Selected Prompt:"_s},
        {u"lblCopyToClipboard"_s, u"Copy to Clipboard (Selected)"_s},
        {u"Label7"_s, u"You can use this prompt with ChatGPT or other AI platforms."_s},
    };
    for (const auto& [name, caption] : captions) {
        auto* label = control<QLabel>(w, name);
        QVERIFY2(label, qPrintable(name));
        QCOMPARE(label->text(), caption);
    }
    QCOMPARE(control<QGroupBox>(w, u"Frame4"_s)->title(), u"Step 1: Enter Your Keywords "_s);
    QCOMPARE(control<QGroupBox>(w, u"Frame3"_s)->title(), u"Step 2: Create Article Prompts "_s);
    QCOMPARE(control<QPushButton>(w, u"cmdCreatePrompt"_s)->text(),
             u"Create Article Prompts For The Keywords"_s);
    QCOMPARE(control<QPushButton>(w, u"Command1"_s)->text(), u"Close"_s);

    QCOMPARE(script.shown().size(), 0);
    QVERIFY2(script.done(), qPrintable(script.pending()));
}

void tst_MainWindow::promoteCheckBoxEnablesProductBox_data()
{
    QTest::addColumn<bool>("byKeyboard");
    QTest::newRow("mouse") << false;
    QTest::newRow("keyboard") << true;
}

void tst_MainWindow::promoteCheckBoxEnablesProductBox()
{
    QFETCH(bool, byKeyboard);
    ProgramFolder folder;
    QVERIFY(folder.writeRecord(u"guide"_s, u"Guide"_s, u"ebook"_s, u"Helps"_s));
    MessageBoxScript script;
    frmMain w(true, folder.path());
    QVERIFY(showWindow(w));
    auto* check = control<QCheckBox>(w, u"chkPromoteProduct"_s);
    auto* products = control<QComboBox>(w, u"cboPromoteProduct"_s);
    QVERIFY(check && products);

    const auto toggle = [&] {
        if (byKeyboard) {
            check->setFocus();
            QTest::keyClick(check, Qt::Key_Space);
        } else {
            clickCheckBox(check);
        }
    };
    for (int round = 0; round < 2; ++round) {
        toggle();
        QVERIFY(check->isChecked());
        QVERIFY(products->isEnabled());
        toggle();
        QVERIFY(!check->isChecked());
        QVERIFY(!products->isEnabled());
    }
    // Ticking changes nothing but the box: the product shown stays.
    toggle();
    QCOMPARE(products->currentText(), u"guide"_s);
    QCOMPARE(script.shown().size(), 0);
    QVERIFY2(script.done(), qPrintable(script.pending()));
}

void tst_MainWindow::layout_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("container");
    QTest::addColumn<QRect>("twips");

    const struct
    {
        const char* name;
        const char* container;
        int left, top, width, height;
    } table[] = {
        {"Picture1", "frmMain", 0, 0, 16845, 780},
        {"lblSoftwareName", "Picture1", 270, 225, 5370, 420},
        {"Frame4", "frmMain", 405, 1080, 6360, 6180},
        {"Label9", "Frame4", 360, 540, 2085, 330},
        {"txtMainKeyword", "Frame4", 2385, 450, 3120, 420},
        {"Label10", "Frame4", 360, 1080, 4065, 330},
        {"lblPicKeywords", "Frame4", 4680, 1080, 1455, 240},
        {"txtSelectedKeyword", "Frame4", 360, 1485, 5775, 4290},
        {"Frame3", "frmMain", 6930, 1080, 9600, 6180},
        {"Label12", "Frame3", 225, 585, 1860, 330},
        {"txtApproxWords", "Frame3", 1935, 540, 645, 375},
        {"frPro", "Frame3", 2700, 360, 6630, 645},
        {"chkPromoteProduct", "frPro", 270, 180, 2445, 330},
        {"cboPromoteProduct", "frPro", 2610, 180, 3075, 360},
        {"Label11", "frPro", 5715, 270, 825, 240},
        {"cmdCreatePrompt", "Frame3", 1755, 990, 6270, 645},
        {"Label8", "Frame3", 225, 1755, 2445, 330},
        {"lblSaveasPDF", "Frame3", 6030, 1755, 3300, 240},
        {"lstPrompts", "Frame3", 225, 2115, 9105, 1740},
        {"Label6", "Frame3", 225, 4230, 2445, 330},
        {"lblCopyToClipboard", "Frame3", 5985, 4185, 3255, 240},
        {"txtPrompt", "Frame3", 270, 4590, 9105, 1050},
        {"Label7", "Frame3", 225, 5715, 5775, 330},
        {"Command1", "frmMain", 6705, 7515, 3345, 600},
    };
    for (const auto& row : table) {
        QTest::newRow(row.name) << QString::fromLatin1(row.name)
                                << QString::fromLatin1(row.container)
                                << QRect(row.left, row.top, row.width, row.height);
    }
}

void tst_MainWindow::layout()
{
    QFETCH(QString, name);
    QFETCH(QString, container);
    QFETCH(QRect, twips);
    ProgramFolder folder;
    frmMain w(true, folder.path());
    QVERIFY(showWindow(w));

    QWidget* widget = control<QWidget>(w, name);
    QVERIFY(widget);
    QVERIFY(widget->parentWidget());
    QCOMPARE(widget->parentWidget()->objectName(), container);
    QCOMPARE(widget->geometry(),
             QRect(twips.left() / 15, twips.top() / 15, twips.width() / 15, twips.height() / 15));
    QVERIFY(widget->isVisible());
}

void tst_MainWindow::windowHasFixedSize()
{
    ProgramFolder folder;
    frmMain w(false, folder.path());
    QVERIFY(showWindow(w));
    QCOMPARE(w.objectName(), u"frmMain"_s);
    QCOMPARE(w.size(), QSize(1123, 559));
    QCOMPARE(w.minimumSize(), QSize(1123, 559));
    QCOMPARE(w.maximumSize(), QSize(1123, 559));
    // The user cannot resize it.
    w.resize(1300, 700);
    QCOMPARE(w.size(), QSize(1123, 559));
}

void tst_MainWindow::look_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<qreal>("pointSize");
    QTest::addColumn<bool>("bold");
    QTest::addColumn<bool>("underline");

    const struct
    {
        const char* name;
        qreal size;
        bool bold;
        bool underline;
    } table[] = {
        {"lblSoftwareName", 12, true, false},
        {"Frame4", 9.75, true, false},
        {"Frame3", 9.75, true, false},
        {"Label9", 9, false, false},
        {"Label10", 9, false, false},
        {"Label12", 9, true, false},
        {"Label8", 9, true, false},
        {"Label6", 9, true, false},
        {"chkPromoteProduct", 9, true, false},
        {"cmdCreatePrompt", 9, true, false},
        {"Command1", 9, true, false},
        {"Label7", 8.25, false, false},
        {"txtMainKeyword", 9.75, false, false},
        {"txtSelectedKeyword", 9.75, false, false},
        {"txtApproxWords", 9.75, false, false},
        {"cboPromoteProduct", 9.75, false, false},
        {"lstPrompts", 9.75, false, false},
        {"txtPrompt", 9.75, false, false},
        {"lblPicKeywords", 9, false, true},
        {"Label11", 9, false, true},
        {"lblSaveasPDF", 9, false, true},
        {"lblCopyToClipboard", 9, false, true},
    };
    for (const auto& row : table)
        QTest::newRow(row.name) << QString::fromLatin1(row.name) << row.size << row.bold
                                << row.underline;
}

void tst_MainWindow::look()
{
    QFETCH(QString, name);
    QFETCH(qreal, pointSize);
    QFETCH(bool, bold);
    QFETCH(bool, underline);
    ProgramFolder folder;
    frmMain w(true, folder.path());
    QWidget* widget = control<QWidget>(w, name);
    QVERIFY(widget);
    const QFont font = widget->font();
    QCOMPARE(font.families().value(0), u"Verdana"_s);
    QCOMPARE(font.pointSizeF(), pointSize);
    QCOMPARE(font.bold(), bold);
    QCOMPARE(font.underline(), underline);
    if (underline) {
        QCOMPARE(widget->palette().color(QPalette::WindowText), QColor(0, 0, 192));
        QCOMPARE(widget->cursor().shape(), Qt::UpArrowCursor);
    }
}

void tst_MainWindow::colours()
{
    ProgramFolder folder;
    frmMain w(true, folder.path());
    QVERIFY(showWindow(w));

    auto* band = control<QWidget>(w, u"Picture1"_s);
    QVERIFY(band);
    // Right of the program name, the band shows only its own colour.
    QCOMPARE(pixelAt(band, QPoint(band->width() - 10, band->height() / 2)), QColor(64, 0, 64));
    QCOMPARE(control<QLabel>(w, u"lblSoftwareName"_s)->palette().color(QPalette::WindowText),
             QColor(Qt::white));
    QCOMPARE(control<QLabel>(w, u"Label7"_s)->palette().color(QPalette::WindowText),
             QColor(128, 128, 128));

    auto* create = control<QPushButton>(w, u"cmdCreatePrompt"_s);
    QVERIFY(create);
    // Left of the centred caption, inside the border.
    QCOMPARE(pixelAt(create, QPoint(12, create->height() / 2)), QColor(192, 255, 192));
}

void tst_MainWindow::tabOrderReachesLinks_data()
{
    QTest::addColumn<bool>("fullEdition");
    QTest::newRow("full edition") << true;
    QTest::newRow("basic edition") << false;
}

void tst_MainWindow::tabOrderReachesLinks()
{
    QFETCH(bool, fullEdition);
    ProgramFolder folder;
    MessageBoxScript script;
    frmMain w(fullEdition, folder.path());
    QVERIFY(showWindow(w));
    QWidget* start = QApplication::focusWidget();
    QCOMPARE(start, control<QWidget>(w, u"txtSelectedKeyword"_s));

    // Walk the whole tab chain once, as the user does with the Tab key.
    QStringList reached;
    for (int i = 0; i < 40; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QWidget* now = QApplication::focusWidget();
        QVERIFY(now);
        if (now == start)
            break;
        reached.append(now->objectName());
    }
    QCOMPARE(QApplication::focusWidget(), start);

    QVERIFY2(reached.contains(u"lblPicKeywords"_s), qPrintable(reached.join(u' ')));
    QVERIFY2(reached.contains(u"lblSaveasPDF"_s), qPrintable(reached.join(u' ')));
    QVERIFY2(reached.contains(u"lblCopyToClipboard"_s), qPrintable(reached.join(u' ')));
    QVERIFY2(reached.contains(u"txtMainKeyword"_s), qPrintable(reached.join(u' ')));
    QVERIFY2(reached.contains(u"cmdCreatePrompt"_s), qPrintable(reached.join(u' ')));
    // The hidden strip of the basic edition is out of reach.
    QCOMPARE(reached.contains(u"Label11"_s), fullEdition);
    QCOMPARE(reached.contains(u"chkPromoteProduct"_s), fullEdition);
    QCOMPARE(script.shown().size(), 0);
    QVERIFY2(script.done(), qPrintable(script.pending()));
}

void tst_MainWindow::keywordIdeasOpensAddress_data()
{
    QTest::addColumn<int>("key"); // 0: a mouse click
    QTest::newRow("mouse") << 0;
    QTest::newRow("space") << int(Qt::Key_Space);
    QTest::newRow("return") << int(Qt::Key_Return);
}

void tst_MainWindow::keywordIdeasOpensAddress()
{
    QFETCH(int, key);
    ProgramFolder folder;
    MessageBoxScript script;
    OpenedAddresses opened;
    frmMain w(true, folder.path());
    QVERIFY(showWindow(w));
    auto* keyword = control<QLineEdit>(w, u"txtMainKeyword"_s);
    auto* link = control<LinkLabel>(w, u"lblPicKeywords"_s);
    QVERIFY(keyword && link);
    QTest::keyClicks(keyword, u"garden"_s);

    if (key == 0) {
        QTest::mouseClick(link, Qt::LeftButton, Qt::NoModifier, link->rect().center());
    } else {
        // Reached with the Tab key, then activated.
        for (int i = 0; i < 40 && QApplication::focusWidget() != link; ++i)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), link);
        QTest::keyClick(link, Qt::Key(key));
    }

    QCOMPARE(opened.addresses(), QStringList{frmMain::keywordIdeasAddress()});
    const QUrl address(frmMain::keywordIdeasAddress());
    QVERIFY(address.isValid());
    QVERIFY(address.scheme() == u"https"_s || address.scheme() == u"http"_s);
    QVERIFY(!address.host().isEmpty());
    // Nothing else changes, and nothing is shown.
    QVERIFY(w.isVisible());
    QCOMPARE(keyword->text(), u"garden"_s);
    QCOMPARE(script.shown().size(), 0);
    QVERIFY2(script.done(), qPrintable(script.pending()));
}

void tst_MainWindow::keywordIdeasReleasedOutsideDoesNothing()
{
    ProgramFolder folder;
    MessageBoxScript script;
    OpenedAddresses opened;
    frmMain w(true, folder.path());
    QVERIFY(showWindow(w));
    auto* link = control<LinkLabel>(w, u"lblPicKeywords"_s);
    QVERIFY(link);
    // A press that the user drags off the link before letting go is no click.
    QTest::mousePress(link, Qt::LeftButton, Qt::NoModifier, link->rect().center());
    QTest::mouseRelease(link, Qt::LeftButton, Qt::NoModifier,
                        QPoint(link->width() + 40, link->height() + 40));
    QCOMPARE(opened.addresses(), QStringList());
    // The next real click still works.
    QTest::mouseClick(link, Qt::LeftButton, Qt::NoModifier, link->rect().center());
    QCOMPARE(opened.addresses().size(), 1);
    QVERIFY2(script.done(), qPrintable(script.pending()));
}

void tst_MainWindow::closeButtonClosesWindow()
{
    ProgramFolder folder;
    MessageBoxScript script;
    frmMain w(true, folder.path());
    QVERIFY(showWindow(w));
    auto* close = control<QPushButton>(w, u"Command1"_s);
    QVERIFY(close);
    QTest::mouseClick(close, Qt::LeftButton);
    QTRY_VERIFY(!w.isVisible());
    QCOMPARE(script.shown().size(), 0);
    QVERIFY2(script.done(), qPrintable(script.pending()));
}

void tst_MainWindow::unreadableTemplatesAreReported_data()
{
    QTest::addColumn<bool>("topicMissing");
    QTest::addColumn<bool>("angleMissing");
    QTest::addColumn<bool>("asFolder"); // the path holds a folder rather than a file

    QTest::newRow("topic missing") << true << false << false;
    QTest::newRow("angle missing") << false << true << false;
    QTest::newRow("both missing") << true << true << false;
    QTest::newRow("topic is a folder") << true << false << true;
    QTest::newRow("both are folders") << true << true << true;
}

void tst_MainWindow::unreadableTemplatesAreReported()
{
    QFETCH(bool, topicMissing);
    QFETCH(bool, angleMissing);
    QFETCH(bool, asFolder);
    ProgramFolder folder(topicMissing ? QByteArray() : QByteArray("Topic #KEYWORD#"),
                         angleMissing ? QByteArray() : QByteArray("Angle #ANGLE#"));
    QVERIFY(folder.isValid());
    const QString topicPath = folder.path() + u"/templates/topic.txt"_s;
    const QString anglePath = folder.path() + u"/templates/topic-angle.txt"_s;
    if (asFolder) {
        if (topicMissing)
            QVERIFY(QDir().mkpath(topicPath));
        if (angleMissing)
            QVERIFY(QDir().mkpath(anglePath));
    }

    MessageBoxLog log;
    frmMain w(true, folder.path());
    QVERIFY(showWindow(w));
    QCOMPARE(log.calls.size(), 0); // nothing before the window is on screen
    w.reportStartupProblems();

    QCOMPARE(log.calls.size(), 1);
    const modGeneral::MessageBoxCall& box = log.calls.constFirst();
    QCOMPARE(box.title, u"Error"_s);
    QCOMPARE(box.style, int(modGeneral::vbInfoOk));
    QCOMPARE(box.text.contains(QDir::toNativeSeparators(topicPath)), topicMissing);
    QCOMPARE(box.text.contains(QDir::toNativeSeparators(anglePath)), angleMissing);
    QVERIFY2(box.text.contains(u"empty"_s), qPrintable(box.text));
    // The window stays usable.
    QVERIFY(w.isVisible());
}

void tst_MainWindow::emptyTemplatesAreNotAnError()
{
    ProgramFolder folder{QByteArray(""), QByteArray("")};
    MessageBoxScript script;
    frmMain w(true, folder.path());
    QVERIFY(showWindow(w));
    w.reportStartupProblems();
    QCOMPARE(script.shown().size(), 0);
    QVERIFY2(script.done(), qPrintable(script.pending()));
}

void tst_MainWindow::productBoxListsRecords_data()
{
    QTest::addColumn<bool>("fullEdition");
    QTest::newRow("full edition") << true;
    QTest::newRow("basic edition") << false;
}

void tst_MainWindow::productBoxListsRecords()
{
    QFETCH(bool, fullEdition);
    ProgramFolder folder;
    QVERIFY(folder.writeRecord(u"gamma"_s, u"Gamma"_s, u"course"_s, u"Teaches"_s));
    QVERIFY(folder.writeRecord(u"Beta"_s, u"Beta"_s, u"ebook"_s, u"Explains"_s));
    QVERIFY(folder.writeRecord(u"alpha"_s, u"Alpha"_s, u"software"_s, u"Helps"_s));
    QVERIFY(folder.write(u"products/notes.md"_s, "not a record"));
    MessageBoxScript script;
    frmMain w(fullEdition, folder.path());
    QVERIFY(showWindow(w));

    auto* products = control<QComboBox>(w, u"cboPromoteProduct"_s);
    QVERIFY(products);
    QCOMPARE(comboItems(products), (QStringList{u"alpha"_s, u"Beta"_s, u"gamma"_s}));
    QCOMPARE(products->currentIndex(), 0);
    QCOMPARE(products->currentText(), u"alpha"_s);
    QVERIFY(products->isEditable());
    QCOMPARE(script.shown().size(), 0);
    QVERIFY2(script.done(), qPrintable(script.pending()));
}

void tst_MainWindow::productBoxEmptyOrMissingFolder_data()
{
    QTest::addColumn<bool>("removeFolder");
    QTest::newRow("empty folder") << false;
    QTest::newRow("no folder") << true;
}

void tst_MainWindow::productBoxEmptyOrMissingFolder()
{
    QFETCH(bool, removeFolder);
    ProgramFolder folder;
    QVERIFY(folder.write(u"products/readme.md"_s, "only this"));
    if (removeFolder)
        QVERIFY(QDir(folder.productsPath()).removeRecursively());
    MessageBoxScript script;
    frmMain w(true, folder.path());
    QVERIFY(showWindow(w));
    auto* products = control<QComboBox>(w, u"cboPromoteProduct"_s);
    QVERIFY(products);
    QCOMPARE(products->count(), 0);
    QCOMPARE(products->currentText(), QString());
    QVERIFY(w.isVisible());
    // The program never creates the folder.
    QCOMPARE(folder.exists(u"products"_s), !removeFolder);
    QCOMPARE(script.shown().size(), 0);
    QVERIFY2(script.done(), qPrintable(script.pending()));
}

void tst_MainWindow::enterAndEscapeStartNoCommand_data()
{
    QTest::addColumn<QString>("focusName");
    QTest::addColumn<int>("key");
    const char* names[] = {"txtMainKeyword", "txtApproxWords", "chkPromoteProduct",
                           "cboPromoteProduct", "lstPrompts"};
    for (const char* name : names) {
        QTest::addRow("%s return", name) << QString::fromLatin1(name) << int(Qt::Key_Return);
        QTest::addRow("%s enter", name) << QString::fromLatin1(name) << int(Qt::Key_Enter);
        QTest::addRow("%s escape", name) << QString::fromLatin1(name) << int(Qt::Key_Escape);
    }
}

void tst_MainWindow::enterAndEscapeStartNoCommand()
{
    QFETCH(QString, focusName);
    QFETCH(int, key);
    ProgramFolder folder;
    QVERIFY(folder.writeRecord(u"guide"_s, u"Guide"_s, u"ebook"_s, u"Helps"_s));
    MessageBoxScript script;
    OpenedAddresses opened;
    frmMain w(true, folder.path());
    QVERIFY(showWindow(w));

    // Everything a batch needs is filled in, so a batch started by the key
    // would fill the prompt list without a message.
    replaceText(control<QLineEdit>(w, u"txtMainKeyword"_s), u"apple"_s);
    auto* keywords = control<QPlainTextEdit>(w, u"txtSelectedKeyword"_s);
    keywords->setFocus();
    QTest::keyClicks(keywords, u"apple pie"_s);
    auto* check = control<QCheckBox>(w, u"chkPromoteProduct"_s);
    check->setFocus();
    QTest::keyClick(check, Qt::Key_Space);
    QVERIFY(check->isChecked());

    QWidget* target = control<QWidget>(w, focusName);
    QVERIFY(target);
    target->setFocus();
    QCOMPARE(QApplication::focusWidget() == target ||
                 target->isAncestorOf(QApplication::focusWidget()),
             true);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key(key));
    QCoreApplication::processEvents();

    // A button activated by a key shows itself pressed until it clicks.
    const QList<QPushButton*> buttons = w.findChildren<QPushButton*>();
    for (const QPushButton* button : buttons)
        QVERIFY2(!button->isDown(), qPrintable(button->objectName()));
    QVERIFY(w.isVisible());
    QCOMPARE(control<QListView>(w, u"lstPrompts"_s)->model()->rowCount(), 0);
    QCOMPARE(w.lstKeywords.count(), 0);
    QVERIFY(opened.addresses().isEmpty());
    QCOMPARE(script.shown().size(), 0);
    QVERIFY2(script.done(), qPrintable(script.pending()));
}

QTEST_MAIN(tst_MainWindow)
#include "tst_mainwindow.moc"
