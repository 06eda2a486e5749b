// The product manager window, driven through its real controls: adding,
// editing and deleting records, the checks before a record is written, the
// failures it reports, and how the main window's product box follows.
#include "app/frmMain.h"
#include "app/modGeneral.h"
#include "catalogue/frmPro.h"
#include "testSupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMap>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QSet>
#include <QTest>
#include <QTimer>

#include <memory>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#include <unistd.h>
#endif

using namespace Qt::StringLiterals;

namespace {

const QString MissingInfo = u"Missing Info"_s;
const QString NeedName = u"Please enter the name of the product / service."_s;
const QString NeedFormat = u"Please enter the format of the product / service."_s;
const QString NeedDescription = u"Please enter a description of the product / service."_s;
const QString NeedFilename = u"Please enter a filename to save this product / service."_s;
const QString Ooops = u"Ooops"_s;
const QString InUse = u"Oooops! That file is already in use. Please use another filename."_s;
const QString Unusable = u"That filename can't be used. Please use another filename."_s;
const QString SaveError = u"There was an error saving the product file."_s;
const QString SelectFirst = u"Please select a product first."_s;
const QString NothingToDelete = u"Nothing to delete"_s;
const QString Confirm = u"Confirm"_s;
const QString DeleteFile = u"Delete file?"_s;
const QString DeleteError = u"There was an error with the deletion of the selected file."_s;
const QString CantOpen = u"The file can't be opened."_s;
const QString InvalidFile = u"Invalid File"_s;

// Layout figures are in twips; 15 twips make one logical pixel, rounded.
constexpr int px(int twips)
{
    return (twips + 7) / 15;
}

bool runningAsRoot()
{
#ifdef Q_OS_UNIX
    return ::geteuid() == 0;
#else
    return false;
#endif
}

// Every file and folder below `root`, with the bytes of each file: two
// snapshots compare equal only when nothing was written, created or removed.
QMap<QString, QByteArray> snapshot(const QString& root)
{
    QMap<QString, QByteArray> entries;
    const QDir base(root);
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QFileInfo info = it.fileInfo();
        QByteArray content = QByteArrayLiteral("<folder>");
        if (info.isFile()) {
            QFile file(path);
            content =
                file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArrayLiteral("<unreadable>");
        }
        entries.insert(base.relativeFilePath(path), content);
    }
    return entries;
}

QStringList itemTexts(const QListWidget* list)
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts.append(list->item(i)->text());
    return texts;
}

QStringList itemTexts(const QComboBox* box)
{
    QStringList texts;
    for (int i = 0; i < box->count(); ++i)
        texts.append(box->itemText(i));
    return texts;
}

QStringList sorted(QStringList list)
{
    list.sort();
    return list;
}

// The product manager's controls, found by name.
struct ManagerControls
{
    QPushButton* cmdAddNew = nullptr;
    QPushButton* cmdEditProduct = nullptr;
    QPushButton* cmdDeleteProduct = nullptr;
    QPushButton* cmdClose = nullptr;
    QListWidget* lstProductsFiltered = nullptr;
    QWidget* frProduct = nullptr;
    QLineEdit* txtProductName = nullptr;
    QLineEdit* txtFormat = nullptr;
    QLineEdit* txtDescription = nullptr;
    QLineEdit* txtFilename = nullptr;
    QPushButton* cmdSave = nullptr;
    QPushButton* cmdCancel = nullptr;
    QStringList missing;

    ManagerControls() = default;
    explicit ManagerControls(const QWidget& window)
    {
        find(window, cmdAddNew, "cmdAddNew");
        find(window, cmdEditProduct, "cmdEditProduct");
        find(window, cmdDeleteProduct, "cmdDeleteProduct");
        find(window, cmdClose, "cmdClose");
        find(window, lstProductsFiltered, "lstProductsFiltered");
        find(window, frProduct, "frProduct");
        find(window, txtProductName, "txtProductName");
        find(window, txtFormat, "txtFormat");
        find(window, txtDescription, "txtDescription");
        find(window, txtFilename, "txtFilename");
        find(window, cmdSave, "cmdSave");
        find(window, cmdCancel, "cmdCancel");
    }

    // The controls the panel lies over while it is shown.
    QList<QWidget*> covered() const
    {
        return {cmdAddNew, cmdEditProduct, cmdDeleteProduct, lstProductsFiltered, cmdClose};
    }

    QStringList fieldTexts() const
    {
        return {txtProductName->text(), txtFormat->text(), txtDescription->text(),
                txtFilename->text()};
    }

private:
    template <typename T> void find(const QWidget& window, T*& control, const char* name)
    {
        control = window.findChild<T*>(QLatin1StringView(name));
        if (!control)
            missing.append(QLatin1StringView(name));
    }
};

// The main window of the full edition on a temporary program folder, and the
// product manager opened over it.
struct ManagerOverMain
{
    explicit ManagerOverMain(const ProgramFolder& folder, bool fullEdition = true)
        : main(fullEdition, folder.path())
    {
        main.show();
        productBox = main.findChild<QComboBox*>(u"cboPromoteProduct"_s);
    }

    void open()
    {
        window = std::make_unique<frmPro>(main);
        window->show();
        ui = ManagerControls(*window);
    }

    frmMain main;
    QComboBox* productBox = nullptr;
    std::unique_ptr<frmPro> window;
    ManagerControls ui;
};

void click(QWidget* widget)
{
    QTest::mouseClick(widget, Qt::LeftButton);
}

// Replaces the text of an entry box the way a user does: select all, type.
void typeInto(QLineEdit* box, const QString& text)
{
    QTest::mouseClick(box, Qt::LeftButton);
    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
    if (text.isEmpty())
        QTest::keyClick(box, Qt::Key_Delete);
    else
        QTest::keyClicks(box, text);
}

// Replaces the text of an entry box by pasting `text` from the clipboard.
void pasteInto(QLineEdit* box, const QString& text)
{
    QGuiApplication::clipboard()->setText(text);
    QTest::mouseClick(box, Qt::LeftButton);
    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
}

QListWidgetItem* itemNamed(const QListWidget* list, const QString& text)
{
    for (int i = 0; i < list->count(); ++i) {
        if (list->item(i)->text() == text)
            return list->item(i);
    }
    return nullptr;
}

bool selectItem(QListWidget* list, const QString& text)
{
    QListWidgetItem* item = itemNamed(list, text);
    if (!item)
        return false;
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(item).center());
    return list->selectedItems() == QList<QListWidgetItem*>{item};
}

// Fills the panel after "Add New Product" and leaves it open.
void fillNewRecord(const ManagerControls& ui, const QString& name, const QString& format,
                   const QString& description, const QString& recordName)
{
    click(ui.cmdAddNew);
    typeInto(ui.txtProductName, name);
    typeInto(ui.txtFormat, format);
    typeInto(ui.txtDescription, description);
    typeInto(ui.txtFilename, recordName);
}

QByteArray recordBytes(const QString& name, const QString& format, const QString& description)
{
    return (name + u"\r\n"_s + format + u"\r\n"_s + description).toUtf8();
}

bool isFilenameLocked(const QLineEdit* box)
{
    return box->isReadOnly() && box->palette().color(QPalette::Base) ==
                                    QGuiApplication::palette().color(QPalette::Button);
}

bool isFilenameOpen(const QLineEdit* box)
{
    return !box->isReadOnly() && box->palette().color(QPalette::Base) == QColor(255, 255, 255);
}

} // namespace

#define OPEN_MANAGER(m)                                                                            \
    (m).open();                                                                                    \
    QVERIFY2((m).ui.missing.isEmpty(),                                                             \
             qPrintable(u"controls not found: "_s + (m).ui.missing.join(u", "_s)));                \
    QVERIFY((m).productBox)

#define VERIFY_BOXES_DONE(boxes)                                                                   \
    QVERIFY2((boxes).done(), qPrintable(u"message boxes not shown: "_s + (boxes).pending()))

// After a save or a deletion: both lists show the folder, nothing is selected
// in the manager, and the main window's box shows its first record.
#define VERIFY_LISTS_SHOW(m, names)                                                                \
    do {                                                                                           \
        const QStringList shownNames = itemTexts((m).ui.lstProductsFiltered);                      \
        QCOMPARE(sorted(shownNames), sorted(names));                                               \
        QCOMPARE(itemTexts((m).productBox), shownNames);                                           \
        QVERIFY((m).ui.lstProductsFiltered->selectedItems().isEmpty());                            \
        if (shownNames.isEmpty()) {                                                                \
            QCOMPARE((m).productBox->currentText(), QString());                                    \
        } else {                                                                                   \
            QCOMPARE((m).productBox->currentIndex(), 0);                                           \
            QCOMPARE((m).productBox->currentText(), shownNames.constFirst());                      \
        }                                                                                          \
    } while (false)

class tst_ProductManager : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup();

    void controlsAndLayout_data();
    void controlsAndLayout();
    void windowAtOpening();

    void addWritesTheRecord_data();
    void addWritesTheRecord();
    void lineBreaksInFieldsBecomeBlanks();
    void saveRefusesAndWritesNothing_data();
    void saveRefusesAndWritesNothing();
    void failedSaveIsReported_data();
    void failedSaveIsReported();
    void failedSaveKeepsTheOldRecord();
    void readOnlyProductsFolder();

    void editShowsTheRecord();
    void doubleClickEdits();
    void saveUnchangedRewritesTheRecord_data();
    void saveUnchangedRewritesTheRecord();
    void editingSavesChangesUnderTheSameName();
    void editingTheRecordWithoutName();
    void editOfAShortRecord_data();
    void editOfAShortRecord();
    void editWithoutRecordsDoesNothing_data();
    void editWithoutRecordsDoesNothing();
    void editWithNothingSelected();

    void deleteWithYes();
    void deleteWithNo();
    void deleteWithNothingSelected_data();
    void deleteWithNothingSelected();
    void deleteOfARecordAlreadyGone();

    void cancelKeepsTheText();
    void cancelAfterEditThenAddUnlocksTheFilename();
    void coveredControlsCannotBeUsed_data();
    void coveredControlsCannotBeUsed();
    void escAndEnterStartNothing_data();
    void escAndEnterStartNothing();

    void manageLinkOpensAFreshManager();
    void basicEditionCannotOpenTheManager();
};

void tst_ProductManager::cleanup()
{
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (const QWidget* window : windows) {
        QVERIFY2(!window->isVisible(), qPrintable(u"window left open: "_s + window->objectName()));
        QVERIFY2(!qobject_cast<const frmPro*>(window), "a product manager outlived its test");
        QVERIFY2(!qobject_cast<const frmMain*>(window), "a main window outlived its test");
    }
    QVERIFY(!QApplication::activeModalWidget());
}

// ---------------------------------------------------------------------------
// Layout

void tst_ProductManager::controlsAndLayout_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("inPanel");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QRect>("twips"); // width and height 0: placed by position only
    QTest::addColumn<bool>("bold");

    const auto row = [](const char* name, bool inPanel, const QString& text, QRect twips,
                        bool bold = false) {
        QTest::newRow(name) << QString::fromLatin1(name) << inPanel << text << twips << bold;
    };
    row("Label1", false, u"Products Database"_s, QRect(540, 360, 3480, 420), true);
    row("cmdAddNew", false, u"Add New Product"_s, QRect(540, 900, 2670, 510));
    row("cmdEditProduct", false, u"Edit Product"_s, QRect(3285, 900, 2265, 510));
    row("cmdDeleteProduct", false, u"Delete Product"_s, QRect(5625, 900, 2265, 510));
    row("lstProductsFiltered", false, QString(), QRect(540, 1620, 7350, 2985));
    row("cmdClose", false, u"Close"_s, QRect(2430, 5085, 3345, 600), true);
    row("Label6", true, u"Product Details"_s, QRect(540, 360, 0, 0), true);
    row("Label2", true, u"Product / Service Name:"_s, QRect(540, 945, 0, 0));
    row("txtProductName", true, QString(), QRect(2925, 855, 4065, 465));
    row("Label3", true, u"Format:"_s, QRect(540, 1620, 0, 0));
    row("txtFormat", true, QString(), QRect(1440, 1530, 2130, 465));
    row("Label4", true, u"ebook, software etc."_s, QRect(3690, 1620, 0, 0));
    row("Label5", true, u"Quickly describe what the product / service does:"_s,
        QRect(540, 2205, 0, 0));
    row("txtDescription", true, QString(), QRect(540, 2610, 6405, 465));
    row("Label7", true, u"Filename:"_s, QRect(540, 3375, 0, 0));
    row("txtFilename", true, QString(), QRect(1620, 3240, 2400, 465));
    row("Label8", true, u".txt"_s, QRect(4185, 3330, 0, 0));
    row("cmdSave", true, u"Save"_s, QRect(450, 4230, 3075, 600));
    row("cmdCancel", true, u"Cancel"_s, QRect(3690, 4230, 3075, 600));
}

void tst_ProductManager::controlsAndLayout()
{
    QFETCH(QString, name);
    QFETCH(bool, inPanel);
    QFETCH(QString, text);
    QFETCH(QRect, twips);
    QFETCH(bool, bold);

    ProgramFolder folder;
    ManagerOverMain m(folder);
    OPEN_MANAGER(m);

    QWidget* control = m.window->findChild<QWidget*>(name);
    QVERIFY(control);
    QCOMPARE(control->parentWidget(), inPanel ? m.ui.frProduct : m.window.get());
    QCOMPARE(control->pos(), QPoint(px(twips.x()), px(twips.y())));
    if (twips.width() > 0)
        QCOMPARE(control->size(), QSize(px(twips.width()), px(twips.height())));
    QCOMPARE(control->font().bold(), bold);

    if (auto* label = qobject_cast<QLabel*>(control)) {
        QCOMPARE(label->text(), text);
        // A label placed by position shows its whole caption inside the panel.
        QVERIFY(label->width() >= label->fontMetrics().horizontalAdvance(text));
        QVERIFY(label->geometry().right() < label->parentWidget()->width());
    } else if (auto* button = qobject_cast<QPushButton*>(control)) {
        QCOMPARE(button->text(), text);
        QVERIFY(!button->isDefault());
        QVERIFY(!button->autoDefault());
    } else if (auto* box = qobject_cast<QLineEdit*>(control)) {
        QCOMPARE(box->text(), QString());
        QVERIFY(!box->isReadOnly());
    } else {
        QVERIFY(qobject_cast<QListWidget*>(control));
    }
}

void tst_ProductManager::windowAtOpening()
{
    ProgramFolder folder;
    QVERIFY(folder.writeRecord(u"alpha"_s, u"Alpha"_s, u"ebook"_s, u"Does alpha"_s));
    QVERIFY(folder.writeRecord(u"beta"_s, u"Beta"_s, u"course"_s, u"Does beta"_s));
    MessageBoxScript boxes;
    ManagerOverMain m(folder);
    OPEN_MANAGER(m);
    frmPro& pro = *m.window;

    QCOMPARE(pro.windowTitle(), u"Pro Settings"_s);
    QVERIFY(pro.isModal());
    const QSize client(px(8610), px(6315));
    QCOMPARE(pro.size(), client);
    QCOMPARE(pro.minimumSize(), client);
    QCOMPARE(pro.maximumSize(), client);
    const QPoint screenCentre = pro.screen()->availableGeometry().center();
    QVERIFY2((pro.frameGeometry().center() - screenCentre).manhattanLength() <= 2,
             "the window opens centred on the screen");

    // The panel: hidden, placed just above and left of "Add New Product".
    QVERIFY(m.ui.frProduct->isHidden());
    QCOMPARE(m.ui.frProduct->geometry(), QRect(px(490), px(800), px(7395), px(5190)));

    auto* hint = pro.findChild<QLabel*>(u"Label4"_s);
    QVERIFY(hint);
    QCOMPARE(hint->palette().color(QPalette::WindowText), QColor(128, 128, 128));

    QCOMPARE(m.ui.lstProductsFiltered->selectionMode(), QAbstractItemView::SingleSelection);
    QCOMPARE(sorted(itemTexts(m.ui.lstProductsFiltered)), (QStringList{u"alpha"_s, u"beta"_s}));
    QVERIFY(m.ui.lstProductsFiltered->selectedItems().isEmpty());

    QVERIFY(!m.ui.txtFilename->isReadOnly());
    QCOMPARE(m.ui.txtFilename->palette().color(QPalette::Base),
             QGuiApplication::palette().color(QPalette::Base));
    for (QWidget* control : m.ui.covered())
        QVERIFY(control->isEnabled());

    QVERIFY(QTest::qWaitForWindowActive(&pro));
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(m.ui.cmdClose));
    VERIFY_BOXES_DONE(boxes);
}

// ---------------------------------------------------------------------------
// Adding

void tst_ProductManager::addWritesTheRecord_data()
{
    QTest::addColumn<QString>("productName");
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("description");
    QTest::addColumn<QString>("recordName");

    QTest::newRow("plain") << u"Herb Garden Guide"_s << u"ebook"_s
                           << u"Teaches beginners to grow herbs on a windowsill"_s
                           << u"herb-guide"_s;
    QTest::newRow("blanks kept as typed")
        << u"  Spaced Name "_s << u" pdf"_s << u"does things  "_s << u" leading blank"_s;
    QTest::newRow("fields of blanks") << u" "_s << u"   "_s << u"  "_s << u"blank fields"_s;
    QTest::newRow("symbols in fields")
        << u"A \"quoted\" <name>"_s << u"a|b"_s << u"50% off: *now*?"_s << u"symbols"_s;
    QTest::newRow("dots inside the name") << u"N"_s << u"F"_s << u"D"_s << u"v1.2 notes"_s;
    QTest::newRow("longer than a device name") << u"N"_s << u"F"_s << u"D"_s << u"CONSOLE"_s;
    QTest::newRow("COM10") << u"N"_s << u"F"_s << u"D"_s << u"COM10"_s;
    QTest::newRow("LPT0") << u"N"_s << u"F"_s << u"D"_s << u"LPT0"_s;
    QTest::newRow("device name inside") << u"N"_s << u"F"_s << u"D"_s << u"con-notes"_s;
    QTest::newRow("leading dot") << u"N"_s << u"F"_s << u"D"_s << u".hidden"_s;
}

void tst_ProductManager::addWritesTheRecord()
{
    QFETCH(QString, productName);
    QFETCH(QString, format);
    QFETCH(QString, description);
    QFETCH(QString, recordName);

    ProgramFolder folder;
    QVERIFY(folder.writeRecord(u"Apple"_s, u"Apple"_s, u"app"_s, u"Does apple"_s));
    QVERIFY(folder.writeRecord(u"zebra"_s, u"Zebra"_s, u"ebook"_s, u"Does zebra"_s));
    const QByteArray appleBytes = folder.read(u"products/Apple.txt"_s);
    MessageBoxScript boxes;
    ManagerOverMain m(folder);
    // The user had chosen the last record in the main window.
    QTest::keyClick(m.main.findChild<QCheckBox*>(u"chkPromoteProduct"_s), Qt::Key_Space);
    QVERIFY(m.productBox->isEnabled());
    m.productBox->setFocus();
    QTest::keyClick(m.productBox, Qt::Key_Down);
    QCOMPARE(m.productBox->currentText(), u"zebra"_s);
    OPEN_MANAGER(m);

    fillNewRecord(m.ui, productName, format, description, recordName);
    QCOMPARE(m.ui.fieldTexts(), (QStringList{productName, format, description, recordName}));
    click(m.ui.cmdSave);

    QCOMPARE(folder.read(u"products/"_s + recordName + u".txt"_s),
             recordBytes(productName, format, description));
    QCOMPARE(folder.read(u"products/Apple.txt"_s), appleBytes);
    QCOMPARE(QDir(folder.productsPath()).entryList(QDir::Files | QDir::Hidden).size(), 3);
    QVERIFY(m.ui.frProduct->isHidden());
    QVERIFY(!m.ui.txtFilename->isReadOnly());
    VERIFY_LISTS_SHOW(m, (QStringList{u"Apple"_s, u"zebra"_s, recordName}));
    for (QWidget* control : m.ui.covered())
        QVERIFY(control->isEnabled());
    QVERIFY(boxes.shown().isEmpty());
    VERIFY_BOXES_DONE(boxes);
}

void tst_ProductManager::lineBreaksInFieldsBecomeBlanks()
{
    ProgramFolder folder;
    MessageBoxScript boxes;
    ManagerOverMain m(folder);
    OPEN_MANAGER(m);

    click(m.ui.cmdAddNew);
    pasteInto(m.ui.txtProductName, u"Two\r\nLines"_s);
    pasteInto(m.ui.txtFormat, u"e\nbook"_s);
    pasteInto(m.ui.txtDescription, u"first\rsecond\u2028third"_s);
    typeInto(m.ui.txtFilename, u"pasted"_s);
    click(m.ui.cmdSave);

    const QByteArray bytes = folder.read(u"products/pasted.txt"_s);
    QCOMPARE(bytes, QByteArray("Two Lines\r\ne book\r\nfirst second third"));
    VERIFY_LISTS_SHOW(m, QStringList{u"pasted"_s});
    VERIFY_BOXES_DONE(boxes);
}

void tst_ProductManager::saveRefusesAndWritesNothing_data()
{
    QTest::addColumn<QString>("productName");
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("description");
    QTest::addColumn<QString>("recordName");
    QTest::addColumn<bool>("pasted"); // the file name arrives through the clipboard
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("text");

    const QString n = u"Name"_s, f = u"ebook"_s, d = u"Does things"_s;
    // The order of the checks: name, format, description, then the file name.
    QTest::newRow("no name") << QString() << f << d << u"new"_s << false << MissingInfo << NeedName;
    QTest::newRow("nothing at all")
        << QString() << QString() << QString() << QString() << false << MissingInfo << NeedName;
    QTest::newRow("no name, no format")
        << QString() << QString() << d << u"new"_s << false << MissingInfo << NeedName;
    QTest::newRow("no format") << n << QString() << d << u"new"_s << false << MissingInfo
                               << NeedFormat;
    QTest::newRow("no format, no description")
        << n << QString() << QString() << u"taken"_s << false << MissingInfo << NeedFormat;
    QTest::newRow("no description")
        << n << f << QString() << u"new"_s << false << MissingInfo << NeedDescription;
    QTest::newRow("no description, taken name")
        << n << f << QString() << u"taken"_s << false << MissingInfo << NeedDescription;
    QTest::newRow("no description, unusable name")
        << n << f << QString() << u"a/b"_s << false << MissingInfo << NeedDescription;
    QTest::newRow("no file name") << n << f << d << QString() << false << MissingInfo
                                  << NeedFilename;
    QTest::newRow("taken name") << n << f << d << u"taken"_s << false << Ooops << InUse;

    const char* const unusable[] = {"back\\slash", "sub/dir",    "../escape", "co:lon", "star*",
                                    "what?",       "say\"hi\"",  "<angle",    "angle>", "pi|pe",
                                    ".",           "..",         "dot.",      "blank ", "CON",
                                    "con",         "PRN",        "AUX",       "NUL",    "COM1",
                                    "COM5",        "com9",       "LPT1",      "lpt4",   "LPT9",
                                    "CON.txt",     "nul.tar.gz", "Com1.doc",  "LPT9.x", "aux .md"};
    for (const char* name : unusable)
        QTest::newRow(name) << n << f << d << QString::fromLatin1(name) << false << Ooops
                            << Unusable;
    QTest::newRow("tab") << n << f << d << u"tab\there"_s << true << Ooops << Unusable;
    QTest::newRow("control character")
        << n << f << d << u"bell\u0007"_s << true << Ooops << Unusable;
    QTest::newRow("escape character")
        << n << f << d << u"\u001Bstart"_s << true << Ooops << Unusable;
    QTest::newRow("delete character") << n << f << d << u"del\u007F"_s << true << Ooops << Unusable;
    QTest::newRow("unusable and taken") << n << f << d << u"taken?"_s << false << Ooops << Unusable;
}

void tst_ProductManager::saveRefusesAndWritesNothing()
{
    QFETCH(QString, productName);
    QFETCH(QString, format);
    QFETCH(QString, description);
    QFETCH(QString, recordName);
    QFETCH(bool, pasted);
    QFETCH(QString, title);
    QFETCH(QString, text);

    ProgramFolder folder;
    QVERIFY(folder.writeRecord(u"taken"_s, u"Taken"_s, u"ebook"_s, u"Already here"_s));
    QVERIFY(QDir(folder.productsPath()).mkdir(u"sub"_s));
    MessageBoxScript boxes;
    ManagerOverMain m(folder);
    OPEN_MANAGER(m);
    const QMap<QString, QByteArray> before = snapshot(folder.path());

    click(m.ui.cmdAddNew);
    typeInto(m.ui.txtProductName, productName);
    typeInto(m.ui.txtFormat, format);
    typeInto(m.ui.txtDescription, description);
    if (pasted)
        pasteInto(m.ui.txtFilename, recordName);
    else
        typeInto(m.ui.txtFilename, recordName);
    const QStringList typed{productName, format, description, recordName};
    QCOMPARE(m.ui.fieldTexts(), typed);

    boxes.expect(title, text);
    click(m.ui.cmdSave);
    VERIFY_BOXES_DONE(boxes);
    QCOMPARE(boxes.shown().constLast().style, int(modGeneral::vbInfoOk));

    QCOMPARE(snapshot(folder.path()), before);
    QVERIFY(m.ui.frProduct->isVisible());
    QCOMPARE(m.ui.fieldTexts(), typed);
    QVERIFY(isFilenameOpen(m.ui.txtFilename));
    QCOMPARE(itemTexts(m.ui.lstProductsFiltered), QStringList{u"taken"_s});
    QCOMPARE(itemTexts(m.productBox), QStringList{u"taken"_s});

    // The panel is still usable: with a good file name the record is written.
    typeInto(m.ui.txtProductName, u"Name"_s);
    typeInto(m.ui.txtFormat, u"ebook"_s);
    typeInto(m.ui.txtDescription, u"Does things"_s);
    typeInto(m.ui.txtFilename, u"fresh"_s);
    click(m.ui.cmdSave);
    QCOMPARE(folder.read(u"products/fresh.txt"_s),
             recordBytes(u"Name"_s, u"ebook"_s, u"Does things"_s));
    QCOMPARE(folder.read(u"products/taken.txt"_s),
             recordBytes(u"Taken"_s, u"ebook"_s, u"Already here"_s));
    VERIFY_LISTS_SHOW(m, (QStringList{u"fresh"_s, u"taken"_s}));
    VERIFY_BOXES_DONE(boxes);
}

void tst_ProductManager::failedSaveIsReported_data()
{
    QTest::addColumn<QString>("breakage");
    QTest::newRow("products folder removed") << u"removed"_s;
    QTest::newRow("products folder replaced by a file") << u"file"_s;
    QTest::newRow("record name too long") << u"long"_s;
}

// A save the file system refuses is reported, writes nothing and keeps the
// panel open with everything typed.
void tst_ProductManager::failedSaveIsReported()
{
    QFETCH(QString, breakage);

    ProgramFolder folder;
    QVERIFY(folder.writeRecord(u"kept"_s, u"Kept"_s, u"ebook"_s, u"Stays"_s));
    MessageBoxScript boxes;
    ManagerOverMain m(folder);
    OPEN_MANAGER(m);

    QString recordName = u"new record"_s;
    if (breakage == u"removed"_s) {
        QVERIFY(QDir(folder.productsPath()).removeRecursively());
    } else if (breakage == u"file"_s) {
        QVERIFY(QDir(folder.productsPath()).removeRecursively());
        QVERIFY(folder.write(u"products"_s, QByteArrayLiteral("not a folder")));
    } else {
        recordName = QString(300, u'n');
    }
    const QMap<QString, QByteArray> before = snapshot(folder.path());

    fillNewRecord(m.ui, u"Name"_s, u"ebook"_s, u"Does things"_s, recordName);
    boxes.expect(u"Error"_s, SaveError);
    click(m.ui.cmdSave);
    VERIFY_BOXES_DONE(boxes);

    QCOMPARE(snapshot(folder.path()), before);
    QVERIFY(m.ui.frProduct->isVisible());
    QCOMPARE(m.ui.fieldTexts(), (QStringList{u"Name"_s, u"ebook"_s, u"Does things"_s, recordName}));
    QVERIFY(isFilenameOpen(m.ui.txtFilename));
}

// A write that fails half-way (here: the file size limit of the process, as on
// a full disk) leaves the record as it was.
void tst_ProductManager::failedSaveKeepsTheOldRecord()
{
#ifndef Q_OS_UNIX
    QSKIP("needs a file size limit");
#else
    ProgramFolder folder;
    QVERIFY(folder.writeRecord(u"kept"_s, u"Kept"_s, u"ebook"_s, u"Stays as it was"_s));
    const QByteArray old = folder.read(u"products/kept.txt"_s);
    MessageBoxScript boxes;
    ManagerOverMain m(folder);
    OPEN_MANAGER(m);

    QVERIFY(selectItem(m.ui.lstProductsFiltered, u"kept"_s));
    click(m.ui.cmdEditProduct);
    QVERIFY(m.ui.frProduct->isVisible());
    const QString longer = QString(200, u'x');
    typeInto(m.ui.txtDescription, longer);

    rlimit saved{};
    QCOMPARE(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit tiny = saved;
    tiny.rlim_cur = 16;
    struct sigaction ignore
    {
    };
    ignore.sa_handler = SIG_IGN;
    struct sigaction previous
    {
    };
    QCOMPARE(::sigaction(SIGXFSZ, &ignore, &previous), 0);
    QCOMPARE(::setrlimit(RLIMIT_FSIZE, &tiny), 0);
    auto restore = qScopeGuard([&] {
        ::setrlimit(RLIMIT_FSIZE, &saved);
        ::sigaction(SIGXFSZ, &previous, nullptr);
    });
    boxes.expect(u"Error"_s, SaveError);
    click(m.ui.cmdSave);
    restore.dismiss();
    ::setrlimit(RLIMIT_FSIZE, &saved);
    ::sigaction(SIGXFSZ, &previous, nullptr);
    VERIFY_BOXES_DONE(boxes);

    QCOMPARE(folder.read(u"products/kept.txt"_s), old);
    QCOMPARE(QDir(folder.productsPath()).entryList(QDir::Files | QDir::Hidden),
             QStringList{u"kept.txt"_s});
    QVERIFY(m.ui.frProduct->isVisible());
    QCOMPARE(m.ui.fieldTexts(), (QStringList{u"Kept"_s, u"ebook"_s, longer, u"kept"_s}));
    QVERIFY(isFilenameLocked(m.ui.txtFilename));

    // Once the write can succeed, the same panel saves.
    click(m.ui.cmdSave);
    QCOMPARE(folder.read(u"products/kept.txt"_s), recordBytes(u"Kept"_s, u"ebook"_s, longer));
    QVERIFY(m.ui.frProduct->isHidden());
    VERIFY_BOXES_DONE(boxes);
#endif
}

void tst_ProductManager::readOnlyProductsFolder()
{
    if (runningAsRoot())
        QSKIP("permissions are not enforced for root");
    ProgramFolder folder;
    QVERIFY(folder.writeRecord(u"kept"_s, u"Kept"_s, u"ebook"_s, u"Stays"_s));
    const QByteArray old = folder.read(u"products/kept.txt"_s);
    MessageBoxScript boxes;
    ManagerOverMain m(folder);
    OPEN_MANAGER(m);

    QFile products(folder.productsPath());
    const QFile::Permissions writable = products.permissions();
    QVERIFY(products.setPermissions(QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup |
                                    QFile::ExeGroup));
    auto restore = qScopeGuard([&] { products.setPermissions(writable); });

    // Adding.
    fillNewRecord(m.ui, u"Name"_s, u"ebook"_s, u"Does things"_s, u"new"_s);
    boxes.expect(u"Error"_s, SaveError);
    click(m.ui.cmdSave);
    VERIFY_BOXES_DONE(boxes);
    QVERIFY(m.ui.frProduct->isVisible());
    QCOMPARE(m.ui.fieldTexts(), (QStringList{u"Name"_s, u"ebook"_s, u"Does things"_s, u"new"_s}));
    QVERIFY(!folder.exists(u"products/new.txt"_s));

    // Editing.
    click(m.ui.cmdCancel);
    QVERIFY(selectItem(m.ui.lstProductsFiltered, u"kept"_s));
    click(m.ui.cmdEditProduct);
    typeInto(m.ui.txtDescription, u"Changed"_s);
    boxes.expect(u"Error"_s, SaveError);
    click(m.ui.cmdSave);
    VERIFY_BOXES_DONE(boxes);
    QVERIFY(m.ui.frProduct->isVisible());
    QCOMPARE(m.ui.fieldTexts(), (QStringList{u"Kept"_s, u"ebook"_s, u"Changed"_s, u"kept"_s}));
    QCOMPARE(folder.read(u"products/kept.txt"_s), old);
    QCOMPARE(QDir(folder.productsPath()).entryList(QDir::Files | QDir::Hidden),
             QStringList{u"kept.txt"_s});
}

// ---------------------------------------------------------------------------
// Editing

void tst_ProductManager::editShowsTheRecord()
{
    ProgramFolder folder;
    QVERIFY(folder.writeRecord(u"alpha"_s, u"Alpha"_s, u"ebook"_s, u"Does alpha"_s));
    QVERIFY(
        folder.writeRecord(u"beta"_s, u" Beta Course "_s, u"video course"_s, u"Teaches beta"_s));
    MessageBoxScript boxes;
    ManagerOverMain m(folder);
    OPEN_MANAGER(m);
    QVERIFY(QTest::qWaitForWindowActive(m.window.get()));

    QVERIFY(selectItem(m.ui.lstProductsFiltered, u"beta"_s));
    QVERIFY(m.ui.frProduct->isHidden()); // a single click only selects
    click(m.ui.cmdEditProduct);

    QVERIFY(m.ui.frProduct->isVisible());
    QCOMPARE(m.ui.fieldTexts(),
             (QStringList{u" Beta Course "_s, u"video course"_s, u"Teaches beta"_s, u"beta"_s}));
    QVERIFY(isFilenameLocked(m.ui.txtFilename));
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(m.ui.txtProductName));
    for (QWidget* control : m.ui.covered())
        QVERIFY(!control->isEnabled());

    // The record name cannot be changed while editing.
    typeInto(m.ui.txtFilename, u"renamed"_s);
    QTest::keyClick(m.ui.txtFilename, Qt::Key_Backspace);
    QCOMPARE(m.ui.txtFilename->text(), u"beta"_s);
    QVERIFY(boxes.shown().isEmpty());
    VERIFY_BOXES_DONE(boxes);
}

void tst_ProductManager::doubleClickEdits()
{
    ProgramFolder folder;
    QVERIFY(folder.writeRecord(u"alpha"_s, u"Alpha"_s, u"ebook"_s, u"Does alpha"_s));
    QVERIFY(folder.writeRecord(u"beta"_s, u"Beta"_s, u"course"_s, u"Does beta"_s));
    MessageBoxScript boxes;
    ManagerOverMain m(folder);
    OPEN_MANAGER(m);

    QListWidgetItem* item = itemNamed(m.ui.lstProductsFiltered, u"beta"_s);
    QVERIFY(item);
    const QPoint at = m.ui.lstProductsFiltered->visualItemRect(item).center();
    QTest::mouseClick(m.ui.lstProductsFiltered->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(m.ui.lstProductsFiltered->viewport(), Qt::LeftButton, {}, at);

    QVERIFY(m.ui.frProduct->isVisible());
    QCOMPARE(m.ui.fieldTexts(), (QStringList{u"Beta"_s, u"course"_s, u"Does beta"_s, u"beta"_s}));
    QVERIFY(isFilenameLocked(m.ui.txtFilename));
    VERIFY_BOXES_DONE(boxes);
}

void tst_ProductManager::saveUnchangedRewritesTheRecord_data()
{
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("plain") << QByteArray("Herb Garden Guide\r\nebook\r\nTeaches beginners")
                           << QByteArray("Herb Garden Guide\r\nebook\r\nTeaches beginners");
    QTest::newRow("blanks around fields")
        << QByteArray("  Name \r\n pdf\r\n desc  ") << QByteArray("  Name \r\n pdf\r\n desc  ");
    QTest::newRow("fields of blanks")
        << QByteArray(" \r\n  \r\n   ") << QByteArray(" \r\n  \r\n   ");
    QTest::newRow("accents")
        << QByteArray("Kr\xC3\xA4uter \xE2\x80\x94 Guide\r\nE-Book\r\nF\xC3\xBCr Anf\xC3\xA4nger")
        << QByteArray("Kr\xC3\xA4uter \xE2\x80\x94 Guide\r\nE-Book\r\nF\xC3\xBCr Anf\xC3\xA4nger");
    // Only the first three lines are a record; saving writes exactly three.
    QTest::newRow("extra lines") << QByteArray("N\r\nF\r\nD\r\nextra\r\n")
                                 << QByteArray("N\r\nF\r\nD");
    QTest::newRow("bare line feeds") << QByteArray("N\nF\nD") << QByteArray("N\r\nF\r\nD");
}

void tst_ProductManager::saveUnchangedRewritesTheRecord()
{
    QFETCH(QByteArray, stored);
    QFETCH(QByteArray, expected);

    ProgramFolder folder;
    QVERIFY(folder.write(u"products/record.txt"_s, stored));
    QVERIFY(folder.writeRecord(u"other"_s, u"Other"_s, u"ebook"_s, u"Does other"_s));
    const QByteArray otherBytes = folder.read(u"products/other.txt"_s);
    MessageBoxScript boxes;
    ManagerOverMain m(folder);
    OPEN_MANAGER(m);

    QVERIFY(selectItem(m.ui.lstProductsFiltered, u"record"_s));
    click(m.ui.cmdEditProduct);
    QVERIFY(m.ui.frProduct->isVisible());
    click(m.ui.cmdSave);

    QCOMPARE(folder.read(u"products/record.txt"_s), expected);
    QCOMPARE(folder.read(u"products/other.txt"_s), otherBytes);
    QCOMPARE(QDir(folder.productsPath()).entryList(QDir::Files | QDir::Hidden).size(), 2);
    QVERIFY(m.ui.frProduct->isHidden());
    VERIFY_LISTS_SHOW(m, (QStringList{u"other"_s, u"record"_s}));
    VERIFY_BOXES_DONE(boxes);
}

void tst_ProductManager::editingSavesChangesUnderTheSameName()
{
    ProgramFolder folder;
    QVERIFY(folder.writeRecord(u"alpha"_s, u"Alpha"_s, u"ebook"_s, u"Does alpha"_s));
    QVERIFY(folder.writeRecord(u"beta"_s, u"Beta"_s, u"course"_s, u"Does beta"_s));
    MessageBoxScript boxes;
    ManagerOverMain m(folder);
    OPEN_MANAGER(m);

    QVERIFY(selectItem(m.ui.lstProductsFiltered, u"beta"_s));
    click(m.ui.cmdEditProduct);
    typeInto(m.ui.txtProductName, u"Beta Deluxe"_s);
    typeInto(m.ui.txtFormat, u"software"_s);
    typeInto(m.ui.txtDescription, u"Does beta, better"_s);
    click(m.ui.cmdSave);

    QCOMPARE(folder.read(u"products/beta.txt"_s),
             QByteArray("Beta Deluxe\r\nsoftware\r\nDoes beta, better"));
    QCOMPARE(folder.read(u"products/alpha.txt"_s), QByteArray("Alpha\r\nebook\r\nDoes alpha"));
    QVERIFY(m.ui.frProduct->isHidden());
    VERIFY_LISTS_SHOW(m, (QStringList{u"alpha"_s, u"beta"_s}));
    // Saving leaves the lock as it was; Add New Product lifts it.
    QVERIFY(m.ui.txtFilename->isReadOnly());
    click(m.ui.cmdAddNew);
    QVERIFY(isFilenameOpen(m.ui.txtFilename));

    // An empty field is refused while editing too, and the record stays.
    click(m.ui.cmdCancel);
    QVERIFY(selectItem(m.ui.lstProductsFiltered, u"alpha"_s));
    click(m.ui.cmdEditProduct);
    typeInto(m.ui.txtFormat, QString());
    boxes.expect(MissingInfo, NeedFormat);
    click(m.ui.cmdSave);
    VERIFY_BOXES_DONE(boxes);
    QVERIFY(m.ui.frProduct->isVisible());
    QCOMPARE(folder.read(u"products/alpha.txt"_s), QByteArray("Alpha\r\nebook\r\nDoes alpha"));
}

// A file called ".txt" is listed with an empty record name; editing it ends
// at the file-name check of Save.
void tst_ProductManager::editingTheRecordWithoutName()
{
    ProgramFolder folder;
    QVERIFY(folder.write(u"products/.txt"_s, QByteArray("Nameless\r\nebook\r\nNo record name")));
    MessageBoxScript boxes;
    ManagerOverMain m(folder);
    OPEN_MANAGER(m);
    QCOMPARE(itemTexts(m.ui.lstProductsFiltered), QStringList{QString()});

    click(m.ui.cmdEditProduct);
    QVERIFY(m.ui.frProduct->isVisible());
    QCOMPARE(m.ui.fieldTexts(),
             (QStringList{u"Nameless"_s, u"ebook"_s, u"No record name"_s, QString()}));
    QVERIFY(isFilenameLocked(m.ui.txtFilename));
    const QMap<QString, QByteArray> before = snapshot(folder.path());

    boxes.expect(MissingInfo, NeedFilename);
    click(m.ui.cmdSave);
    VERIFY_BOXES_DONE(boxes);
    QCOMPARE(snapshot(folder.path()), before);
    QVERIFY(m.ui.frProduct->isVisible());
}

void tst_ProductManager::editOfAShortRecord_data()
{
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<bool>("removed"); // the file goes after the list was filled
    QTest::addColumn<QStringList>("expected");

    const QString keepName = u"typed name"_s, keepFormat = u"typed format"_s,
                  keepDescription = u"typed description"_s;
    QTest::newRow("two lines") << QByteArray("Short\r\nebook") << false
                               << QStringList{u"Short"_s, u"ebook"_s, keepDescription};
    QTest::newRow("two lines and a break") << QByteArray("Short\r\nebook\r\n") << false
                                           << QStringList{u"Short"_s, u"ebook"_s, keepDescription};
    QTest::newRow("one line") << QByteArray("Short") << false
                              << QStringList{u"Short"_s, keepFormat, keepDescription};
    QTest::newRow("empty file") << QByteArray("") << false
                                << QStringList{keepName, keepFormat, keepDescription};
    QTest::newRow("removed behind the program's back")
        << QByteArray("N\r\nF\r\nD") << true << QStringList{keepName, keepFormat, keepDescription};
}

void tst_ProductManager::editOfAShortRecord()
{
    QFETCH(QByteArray, stored);
    QFETCH(bool, removed);
    QFETCH(QStringList, expected);

    ProgramFolder folder;
    QVERIFY(folder.write(u"products/short.txt"_s, stored));
    MessageBoxScript boxes;
    ManagerOverMain m(folder);
    OPEN_MANAGER(m);

    // Text left in the panel by an earlier, cancelled addition.
    fillNewRecord(m.ui, u"typed name"_s, u"typed format"_s, u"typed description"_s,
                  u"typed file"_s);
    click(m.ui.cmdCancel);
    if (removed)
        QVERIFY(QFile::remove(folder.recordPath(u"short"_s)));
    const QMap<QString, QByteArray> before = snapshot(folder.path());

    QVERIFY(selectItem(m.ui.lstProductsFiltered, u"short"_s));
    boxes.expect(InvalidFile, CantOpen);
    click(m.ui.cmdEditProduct);
    VERIFY_BOXES_DONE(boxes);

    QVERIFY(m.ui.frProduct->isHidden());
    QCOMPARE(m.ui.fieldTexts(), expected + QStringList{u"typed file"_s});
    QVERIFY(isFilenameOpen(m.ui.txtFilename));
    for (QWidget* control : m.ui.covered())
        QVERIFY(control->isEnabled());
    QCOMPARE(snapshot(folder.path()), before);
    QCOMPARE(itemTexts(m.ui.lstProductsFiltered), QStringList{u"short"_s});
}

void tst_ProductManager::editWithoutRecordsDoesNothing_data()
{
    QTest::addColumn<QString>("folderState");
    QTest::newRow("empty products folder") << u"empty"_s;
    QTest::newRow("only other files") << u"others"_s;
    QTest::newRow("no products folder") << u"missing"_s;
}

void tst_ProductManager::editWithoutRecordsDoesNothing()
{
    QFETCH(QString, folderState);

    ProgramFolder folder;
    if (folderState == u"others"_s) {
        QVERIFY(folder.write(u"products/notes.md"_s, QByteArray("N\r\nF\r\nD")));
        QVERIFY(QDir(folder.productsPath()).mkdir(u"folder.txt"_s));
    } else if (folderState == u"missing"_s) {
        QVERIFY(QDir(folder.productsPath()).removeRecursively());
    }
    MessageBoxScript boxes;
    ManagerOverMain m(folder);
    OPEN_MANAGER(m);
    QCOMPARE(m.ui.lstProductsFiltered->count(), 0);

    click(m.ui.cmdAddNew);
    typeInto(m.ui.txtProductName, u"typed"_s);
    click(m.ui.cmdCancel);

    click(m.ui.cmdEditProduct);
    QVERIFY(m.ui.frProduct->isHidden());
    QCOMPARE(m.ui.fieldTexts(), (QStringList{u"typed"_s, QString(), QString(), QString()}));
    QVERIFY(isFilenameOpen(m.ui.txtFilename));
    QVERIFY(boxes.shown().isEmpty());
    VERIFY_BOXES_DONE(boxes);
}

void tst_ProductManager::editWithNothingSelected()
{
    ProgramFolder folder;
    QVERIFY(folder.writeRecord(u"alpha"_s, u"Alpha"_s, u"ebook"_s, u"Does alpha"_s));
    MessageBoxScript boxes;
    ManagerOverMain m(folder);
    OPEN_MANAGER(m);

    boxes.expect(InvalidFile, CantOpen);
    click(m.ui.cmdEditProduct);
    VERIFY_BOXES_DONE(boxes);
    QVERIFY(m.ui.frProduct->isHidden());
    QCOMPARE(m.ui.fieldTexts(), (QStringList{QString(), QString(), QString(), QString()}));

    // The same after a save, which leaves nothing selected.
    fillNewRecord(m.ui, u"Beta"_s, u"ebook"_s, u"Does beta"_s, u"beta"_s);
    click(m.ui.cmdSave);
    QVERIFY(m.ui.frProduct->isHidden());
    boxes.expect(InvalidFile, CantOpen);
    click(m.ui.cmdEditProduct);
    VERIFY_BOXES_DONE(boxes);
    QVERIFY(m.ui.frProduct->isHidden());
}

// ---------------------------------------------------------------------------
// Deleting

void tst_ProductManager::deleteWithYes()
{
    ProgramFolder folder;
    QVERIFY(folder.writeRecord(u"alpha"_s, u"Alpha"_s, u"ebook"_s, u"Does alpha"_s));
    QVERIFY(folder.writeRecord(u"beta"_s, u"Beta"_s, u"course"_s, u"Does beta"_s));
    QVERIFY(folder.writeRecord(u"gamma"_s, u"Gamma"_s, u"app"_s, u"Does gamma"_s));
    MessageBoxScript boxes;
    ManagerOverMain m(folder);
    OPEN_MANAGER(m);

    // The first record goes: the box must move on to the next one.
    QVERIFY(selectItem(m.ui.lstProductsFiltered, u"alpha"_s));
    boxes.expect(Confirm, DeleteFile, modGeneral::vbYes);
    boxes.expect(u"Done"_s, u"Done."_s);
    click(m.ui.cmdDeleteProduct);
    VERIFY_BOXES_DONE(boxes);
    QCOMPARE(boxes.shown().at(0).style, int(modGeneral::vbQuestionYesNo));
    QCOMPARE(boxes.shown().at(1).style, int(modGeneral::vbInfoOk));

    QVERIFY(!folder.exists(u"products/alpha.txt"_s));
    QCOMPARE(folder.read(u"products/beta.txt"_s), QByteArray("Beta\r\ncourse\r\nDoes beta"));
    QCOMPARE(folder.read(u"products/gamma.txt"_s), QByteArray("Gamma\r\napp\r\nDoes gamma"));
    VERIFY_LISTS_SHOW(m, (QStringList{u"beta"_s, u"gamma"_s}));

    // The last records go too; the lists end empty.
    for (const QString& name : {u"gamma"_s, u"beta"_s}) {
        QVERIFY(selectItem(m.ui.lstProductsFiltered, name));
        boxes.expect(Confirm, DeleteFile, modGeneral::vbYes);
        boxes.expect(u"Done"_s, u"Done."_s);
        click(m.ui.cmdDeleteProduct);
        VERIFY_BOXES_DONE(boxes);
    }
    QCOMPARE(QDir(folder.productsPath())
                 .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList());
    VERIFY_LISTS_SHOW(m, QStringList());
}

void tst_ProductManager::deleteWithNo()
{
    ProgramFolder folder;
    QVERIFY(folder.writeRecord(u"alpha"_s, u"Alpha"_s, u"ebook"_s, u"Does alpha"_s));
    QVERIFY(folder.writeRecord(u"beta"_s, u"Beta"_s, u"course"_s, u"Does beta"_s));
    MessageBoxScript boxes;
    ManagerOverMain m(folder);
    OPEN_MANAGER(m);
    const QMap<QString, QByteArray> before = snapshot(folder.path());

    QVERIFY(selectItem(m.ui.lstProductsFiltered, u"beta"_s));
    boxes.expect(Confirm, DeleteFile, modGeneral::vbNo);
    click(m.ui.cmdDeleteProduct);
    VERIFY_BOXES_DONE(boxes);
    QCOMPARE(boxes.shown().size(), 1);

    QCOMPARE(snapshot(folder.path()), before);
    QCOMPARE(sorted(itemTexts(m.ui.lstProductsFiltered)), (QStringList{u"alpha"_s, u"beta"_s}));
    QCOMPARE(sorted(itemTexts(m.productBox)), (QStringList{u"alpha"_s, u"beta"_s}));
}

void tst_ProductManager::deleteWithNothingSelected_data()
{
    QTest::addColumn<int>("records");
    QTest::newRow("empty list") << 0;
    QTest::newRow("records, none selected") << 2;
}

void tst_ProductManager::deleteWithNothingSelected()
{
    QFETCH(int, records);

    ProgramFolder folder;
    for (int i = 0; i < records; ++i)
        QVERIFY(folder.writeRecord(u"record %1"_s.arg(i), u"Name"_s, u"ebook"_s, u"Does"_s));
    MessageBoxScript boxes;
    ManagerOverMain m(folder);
    OPEN_MANAGER(m);
    const QMap<QString, QByteArray> before = snapshot(folder.path());

    boxes.expect(NothingToDelete, SelectFirst);
    click(m.ui.cmdDeleteProduct);
    VERIFY_BOXES_DONE(boxes);
    QCOMPARE(snapshot(folder.path()), before);
    QCOMPARE(m.ui.lstProductsFiltered->count(), records);

    // A deletion leaves nothing selected, so a second one needs a new choice.
    if (records > 0) {
        QVERIFY(selectItem(m.ui.lstProductsFiltered, u"record 0"_s));
        boxes.expect(Confirm, DeleteFile, modGeneral::vbYes);
        boxes.expect(u"Done"_s, u"Done."_s);
        click(m.ui.cmdDeleteProduct);
        boxes.expect(NothingToDelete, SelectFirst);
        click(m.ui.cmdDeleteProduct);
        VERIFY_BOXES_DONE(boxes);
        QCOMPARE(m.ui.lstProductsFiltered->count(), records - 1);
    }
}

void tst_ProductManager::deleteOfARecordAlreadyGone()
{
    ProgramFolder folder;
    QVERIFY(folder.writeRecord(u"alpha"_s, u"Alpha"_s, u"ebook"_s, u"Does alpha"_s));
    QVERIFY(folder.writeRecord(u"beta"_s, u"Beta"_s, u"course"_s, u"Does beta"_s));
    MessageBoxScript boxes;
    ManagerOverMain m(folder);
    OPEN_MANAGER(m);
    const QStringList listed = itemTexts(m.ui.lstProductsFiltered);

    QVERIFY(selectItem(m.ui.lstProductsFiltered, u"beta"_s));
    QVERIFY(QFile::remove(folder.recordPath(u"beta"_s)));
    boxes.expect(Confirm, DeleteFile, modGeneral::vbYes);
    boxes.expect(u"Error"_s, DeleteError);
    click(m.ui.cmdDeleteProduct);
    VERIFY_BOXES_DONE(boxes);

    // Nothing was refreshed after the failure.
    QCOMPARE(itemTexts(m.ui.lstProductsFiltered), listed);
    QCOMPARE(itemTexts(m.productBox), listed);
    QCOMPARE(folder.read(u"products/alpha.txt"_s), QByteArray("Alpha\r\nebook\r\nDoes alpha"));
    QVERIFY(m.window->isVisible());
}

// ---------------------------------------------------------------------------
// Cancel, covered controls, keys

void tst_ProductManager::cancelKeepsTheText()
{
    ProgramFolder folder;
    MessageBoxScript boxes;
    ManagerOverMain m(folder);
    OPEN_MANAGER(m);

    fillNewRecord(m.ui, u"Name"_s, u"ebook"_s, u"Does things"_s, u"record"_s);
    click(m.ui.cmdCancel);
    QVERIFY(m.ui.frProduct->isHidden());
    QCOMPARE(m.ui.fieldTexts(),
             (QStringList{u"Name"_s, u"ebook"_s, u"Does things"_s, u"record"_s}));
    QVERIFY(isFilenameOpen(m.ui.txtFilename));
    QCOMPARE(snapshot(folder.productsPath()), (QMap<QString, QByteArray>()));
    for (QWidget* control : m.ui.covered())
        QVERIFY(control->isEnabled());

    // The next Add New Product starts empty.
    click(m.ui.cmdAddNew);
    QVERIFY(m.ui.frProduct->isVisible());
    QCOMPARE(m.ui.fieldTexts(), (QStringList{QString(), QString(), QString(), QString()}));
    VERIFY_BOXES_DONE(boxes);
}

void tst_ProductManager::cancelAfterEditThenAddUnlocksTheFilename()
{
    ProgramFolder folder;
    QVERIFY(folder.writeRecord(u"alpha"_s, u"Alpha"_s, u"ebook"_s, u"Does alpha"_s));
    MessageBoxScript boxes;
    ManagerOverMain m(folder);
    OPEN_MANAGER(m);

    QVERIFY(selectItem(m.ui.lstProductsFiltered, u"alpha"_s));
    click(m.ui.cmdEditProduct);
    QVERIFY(isFilenameLocked(m.ui.txtFilename));
    typeInto(m.ui.txtDescription, u"half edited"_s);
    click(m.ui.cmdCancel);
    QVERIFY(m.ui.frProduct->isHidden());
    QCOMPARE(m.ui.fieldTexts(),
             (QStringList{u"Alpha"_s, u"ebook"_s, u"half edited"_s, u"alpha"_s}));
    QVERIFY(isFilenameLocked(m.ui.txtFilename));
    QCOMPARE(folder.read(u"products/alpha.txt"_s), QByteArray("Alpha\r\nebook\r\nDoes alpha"));

    click(m.ui.cmdAddNew);
    QCOMPARE(m.ui.fieldTexts(), (QStringList{QString(), QString(), QString(), QString()}));
    QVERIFY(isFilenameOpen(m.ui.txtFilename));
    typeInto(m.ui.txtFilename, u"second"_s);
    QCOMPARE(m.ui.txtFilename->text(), u"second"_s);

    // With the box open again, an existing name is refused.
    typeInto(m.ui.txtProductName, u"Other"_s);
    typeInto(m.ui.txtFormat, u"ebook"_s);
    typeInto(m.ui.txtDescription, u"Does other"_s);
    typeInto(m.ui.txtFilename, u"alpha"_s);
    boxes.expect(Ooops, InUse);
    click(m.ui.cmdSave);
    VERIFY_BOXES_DONE(boxes);
    QCOMPARE(folder.read(u"products/alpha.txt"_s), QByteArray("Alpha\r\nebook\r\nDoes alpha"));
}

void tst_ProductManager::coveredControlsCannotBeUsed_data()
{
    QTest::addColumn<bool>("editing");
    QTest::newRow("adding") << false;
    QTest::newRow("editing") << true;
}

void tst_ProductManager::coveredControlsCannotBeUsed()
{
    QFETCH(bool, editing);

    ProgramFolder folder;
    QVERIFY(folder.writeRecord(u"alpha"_s, u"Alpha"_s, u"ebook"_s, u"Does alpha"_s));
    MessageBoxScript boxes;
    ManagerOverMain m(folder);
    OPEN_MANAGER(m);
    QVERIFY(QTest::qWaitForWindowActive(m.window.get()));

    QVERIFY(selectItem(m.ui.lstProductsFiltered, u"alpha"_s));
    if (editing) {
        click(m.ui.cmdEditProduct);
    } else {
        fillNewRecord(m.ui, u"Name"_s, u"ebook"_s, u"Does"_s, u"new"_s);
    }
    QVERIFY(m.ui.frProduct->isVisible());
    const QStringList texts = m.ui.fieldTexts();
    const QMap<QString, QByteArray> before = snapshot(folder.path());

    // A click where a covered control lies lands on the panel and starts nothing.
    for (QWidget* control : m.ui.covered()) {
        QVERIFY2(!control->isEnabled(), qPrintable(control->objectName()));
        const QPoint centre = control->geometry().center();
        QWidget* hit = m.window->childAt(centre);
        QVERIFY2(hit == m.ui.frProduct || m.ui.frProduct->isAncestorOf(hit),
                 qPrintable(control->objectName()));
        QVERIFY(hit != m.ui.cmdSave && hit != m.ui.cmdCancel);
        QTest::mouseClick(hit, Qt::LeftButton, {}, hit->mapFrom(m.window.get(), centre));
        QTest::mouseDClick(hit, Qt::LeftButton, {}, hit->mapFrom(m.window.get(), centre));
        QVERIFY(m.window->isVisible());
        QVERIFY(m.ui.frProduct->isVisible());
        QCOMPARE(m.ui.fieldTexts(), texts);
    }
    // Nor can they be reached with the keyboard.
    m.ui.txtProductName->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(m.ui.txtProductName));
    QSet<QWidget*> reached;
    for (int i = 0; i < 24; ++i) {
        QTest::keyClick(QApplication::focusWidget(), i < 12 ? Qt::Key_Tab : Qt::Key_Backtab,
                        i < 12 ? Qt::NoModifier : Qt::ShiftModifier);
        reached.insert(QApplication::focusWidget());
    }
    for (QWidget* control : m.ui.covered())
        QVERIFY2(!reached.contains(control), qPrintable(control->objectName()));
    QVERIFY(reached.contains(m.ui.txtDescription));
    QVERIFY(reached.contains(m.ui.cmdSave));

    QCOMPARE(snapshot(folder.path()), before);
    QVERIFY(m.ui.lstProductsFiltered->selectedItems().size() == 1);
    QVERIFY(boxes.shown().isEmpty());
    VERIFY_BOXES_DONE(boxes);
}

void tst_ProductManager::escAndEnterStartNothing_data()
{
    QTest::addColumn<QString>("state");
    QTest::addColumn<QString>("focus");
    QTest::addColumn<int>("key");

    const QList<QPair<const char*, int>> keys = {
        {"Esc", Qt::Key_Escape}, {"Return", Qt::Key_Return}, {"Enter", Qt::Key_Enter}};
    const QList<QPair<QString, QString>> places = {{u"browsing"_s, u"cmdClose"_s},
                                                   {u"browsing"_s, u"cmdDeleteProduct"_s},
                                                   {u"browsing"_s, u"lstProductsFiltered"_s},
                                                   {u"adding"_s, u"txtFilename"_s},
                                                   {u"adding"_s, u"cmdCancel"_s},
                                                   {u"editing"_s, u"txtDescription"_s},
                                                   {u"editing"_s, u"cmdSave"_s}};
    for (const auto& [state, focus] : places) {
        for (const auto& [keyName, key] : keys) {
            QTest::addRow("%s, %s, %s", qPrintable(state), qPrintable(focus), keyName)
                << state << focus << key;
        }
    }
}

void tst_ProductManager::escAndEnterStartNothing()
{
    QFETCH(QString, state);
    QFETCH(QString, focus);
    QFETCH(int, key);

    ProgramFolder folder;
    QVERIFY(folder.writeRecord(u"alpha"_s, u"Alpha"_s, u"ebook"_s, u"Does alpha"_s));
    MessageBoxScript boxes;
    ManagerOverMain m(folder);
    OPEN_MANAGER(m);
    QVERIFY(QTest::qWaitForWindowActive(m.window.get()));

    QVERIFY(selectItem(m.ui.lstProductsFiltered, u"alpha"_s));
    if (state == u"adding"_s) {
        fillNewRecord(m.ui, u"Name"_s, u"ebook"_s, u"Does"_s, u"new"_s);
    } else if (state == u"editing"_s) {
        click(m.ui.cmdEditProduct);
        typeInto(m.ui.txtDescription, u"changed"_s);
    }
    const bool panelShown = m.ui.frProduct->isVisible();
    QCOMPARE(panelShown, state != u"browsing"_s);
    const QStringList texts = m.ui.fieldTexts();
    const QMap<QString, QByteArray> before = snapshot(folder.path());

    auto* target = m.window->findChild<QWidget*>(focus);
    QVERIFY(target);
    target->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), target);
    QTest::keyClick(target, Qt::Key(key),
                    key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);

    QVERIFY(m.window->isVisible());
    QCOMPARE(m.window->result(), 0);
    QCOMPARE(m.ui.frProduct->isVisible(), panelShown);
    QCOMPARE(m.ui.fieldTexts(), texts);
    QCOMPARE(snapshot(folder.path()), before);
    QCOMPARE(m.ui.lstProductsFiltered->count(), 1);
    QVERIFY(boxes.shown().isEmpty());
    VERIFY_BOXES_DONE(boxes);
}

// ---------------------------------------------------------------------------
// Opening from the main window

void tst_ProductManager::manageLinkOpensAFreshManager()
{
    ProgramFolder folder;
    QVERIFY(folder.writeRecord(u"beta"_s, u"Beta"_s, u"course"_s, u"Does beta"_s));
    MessageBoxScript boxes;
    frmMain main(true, folder.path());
    main.show();
    QVERIFY(QTest::qWaitForWindowActive(&main));
    auto* manage = main.findChild<QLabel*>(u"Label11"_s);
    auto* productBox = main.findChild<QComboBox*>(u"cboPromoteProduct"_s);
    QVERIFY(manage);
    QVERIFY(productBox);
    QCOMPARE(manage->text(), u"Manage"_s);
    QVERIFY(manage->isVisible());

    // First opening: add a record, leave the panel in the editing state and
    // close the window from its title bar.
    bool firstDone = false;
    QTimer::singleShot(0, &main, [&] {
        auto* pro = qobject_cast<frmPro*>(QApplication::activeModalWidget());
        auto closeIt = qScopeGuard([] {
            if (QWidget* modal = QApplication::activeModalWidget())
                modal->close();
        });
        QVERIFY(pro);
        QCOMPARE(pro->parentWidget(), static_cast<QWidget*>(&main));
        QCOMPARE(pro->windowTitle(), u"Pro Settings"_s);
        QVERIFY(pro->windowModality() != Qt::NonModal);
        const ManagerControls ui(*pro);
        QVERIFY2(ui.missing.isEmpty(), qPrintable(ui.missing.join(u", "_s)));
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(ui.cmdClose));
        QCOMPARE(itemTexts(ui.lstProductsFiltered), QStringList{u"beta"_s});

        fillNewRecord(ui, u"Alpha"_s, u"ebook"_s, u"Does alpha"_s, u"alpha"_s);
        click(ui.cmdSave);
        QCOMPARE(folder.read(u"products/alpha.txt"_s), QByteArray("Alpha\r\nebook\r\nDoes alpha"));
        // The main window follows while the manager is still open.
        QCOMPARE(productBox->count(), 2);
        QCOMPARE(productBox->currentIndex(), 0);
        QCOMPARE(productBox->currentText(), ui.lstProductsFiltered->item(0)->text());

        QVERIFY(selectItem(ui.lstProductsFiltered, u"beta"_s));
        click(ui.cmdEditProduct);
        QVERIFY(ui.frProduct->isVisible());
        QVERIFY(ui.txtFilename->isReadOnly());
        closeIt.dismiss();
        pro->close();
        firstDone = true;
    });
    QTest::mouseClick(manage, Qt::LeftButton);
    QVERIFY(firstDone);
    QVERIFY(!QApplication::activeModalWidget());
    QVERIFY(main.findChildren<frmPro*>().isEmpty());
    QCOMPARE(sorted(itemTexts(productBox)), (QStringList{u"alpha"_s, u"beta"_s}));

    // Second opening, from the keyboard: a new window, back at its start.
    bool secondDone = false;
    QTimer::singleShot(0, &main, [&] {
        auto* pro = qobject_cast<frmPro*>(QApplication::activeModalWidget());
        auto closeIt = qScopeGuard([] {
            if (QWidget* modal = QApplication::activeModalWidget())
                modal->close();
        });
        QVERIFY(pro);
        const ManagerControls ui(*pro);
        QVERIFY2(ui.missing.isEmpty(), qPrintable(ui.missing.join(u", "_s)));
        QVERIFY(ui.frProduct->isHidden());
        QVERIFY(isFilenameOpen(ui.txtFilename));
        QCOMPARE(ui.txtFilename->text(), QString());
        QCOMPARE(sorted(itemTexts(ui.lstProductsFiltered)), (QStringList{u"alpha"_s, u"beta"_s}));
        QVERIFY(ui.lstProductsFiltered->selectedItems().isEmpty());
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(ui.cmdClose));
        closeIt.dismiss();
        click(ui.cmdClose);
        secondDone = true;
    });
    manage->setFocus();
    QTest::keyClick(manage, Qt::Key_Space);
    QVERIFY(secondDone);
    QVERIFY(!QApplication::activeModalWidget());
    QVERIFY(main.findChildren<frmPro*>().isEmpty());
    QVERIFY(main.isVisible());
    QVERIFY(boxes.shown().isEmpty());
    VERIFY_BOXES_DONE(boxes);
}

void tst_ProductManager::basicEditionCannotOpenTheManager()
{
    ProgramFolder folder;
    QVERIFY(folder.writeRecord(u"beta"_s, u"Beta"_s, u"course"_s, u"Does beta"_s));
    MessageBoxScript boxes;
    frmMain main(false, folder.path());
    main.show();
    QVERIFY(QTest::qWaitForWindowActive(&main));
    auto* manage = main.findChild<QLabel*>(u"Label11"_s);
    QVERIFY(manage);
    QVERIFY(!manage->isVisible());

    // Should a manager open anyway, it is recorded and closed.
    int looked = 0;
    bool opened = false;
    QTimer watch;
    watch.setInterval(0);
    QObject::connect(&watch, &QTimer::timeout, &main, [&] {
        ++looked;
        if (QWidget* modal = QApplication::activeModalWidget()) {
            opened = true;
            modal->close();
        }
    });
    watch.start();
    // Even events that reach the hidden link directly open nothing.
    QTest::mouseClick(manage, Qt::LeftButton);
    QTest::keyClick(manage, Qt::Key_Space);
    QTest::keyClick(manage, Qt::Key_Return);
    QTRY_VERIFY(looked > 0);
    watch.stop();
    QVERIFY(!opened);
    QVERIFY(main.findChildren<frmPro*>().isEmpty());

    // Tab never lands on it.
    for (int i = 0; i < 30; ++i) {
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &main,
                        Qt::Key_Tab);
        QVERIFY(QApplication::focusWidget() != manage);
    }
    QVERIFY(boxes.shown().isEmpty());
    VERIFY_BOXES_DONE(boxes);
}

QTEST_MAIN(tst_ProductManager)
#include "tst_productmanager.moc"
