// Hostile input from every side: odd products folders and record files,
// unreadable or strange templates, keyword lists far beyond normal use, text
// that looks like placeholders, and a batch too large to copy. Each case checks
// the exact message the user gets and that nothing on disk changed unless the
// user asked for it.
#include "app/frmMain.h"
#include "app/linkLabel.h"
#include "app/modGeneral.h"
#include "catalogue/frmPro.h"
#include "testSupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QMap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTest>

#include <memory>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

using namespace Qt::StringLiterals;

namespace {

const QString MissingInfo = u"Missing Info"_s;
const QString NeedKeywords = u"Please enter one or more long-tailed keywords."_s;
const QString NeedProduct = u"Please add a product to promote."_s;
const QString InvalidFile = u"Invalid File"_s;
const QString CantOpen = u"The file can't be opened."_s;
const QString ErrorTitle = u"Error"_s;
const QString SaveError = u"There was an error saving the product file."_s;
const QString DeleteError = u"There was an error with the deletion of the selected file."_s;
const QString Ooops = u"Ooops"_s;
const QString InUse = u"Oooops! That file is already in use. Please use another filename."_s;
const QString NothingToDelete = u"Nothing to delete"_s;
const QString SelectFirst = u"Please select a product first."_s;
const QString Confirm = u"Confirm"_s;
const QString DeleteFile = u"Delete file?"_s;
const QString DoneTitle = u"Done"_s;
const QString Deleted = u"Done."_s;
const QString NothingToCopy = u"Nothing to copy."_s;
const QString PromptCopied = u"Done. Prompt copied to clipboard."_s;
const QString PromptsCopied = u"Done. Prompts copied to clipboard."_s;
const QString Suffix = u" (click to see the prompt)"_s;

// Templates that show every placeholder's value between bars.
const QByteArray TopicTemplate = "T #KEYWORD#|#WORDS#|#PRO#";
const QByteArray AngleTemplate = "A #KEYWORD#|#ANGLE#|#WORDS#|#PRO#";

QString promotion(const QString& name, const QString& format, const QString& description)
{
    return u"In the middle of the article begin preselling the following product: '"_s + name +
           u"'. Product Format: "_s + format + u". What it does: "_s + description + u". "_s;
}

QString allPromptsBlock(const QString& keyword, const QString& prompt)
{
    return u"Keyword: "_s + keyword + u"\r\nPrompt: "_s + prompt + u"\r\n\r\n"_s;
}

bool runningAsRoot()
{
#ifdef Q_OS_UNIX
    return ::geteuid() == 0;
#else
    return false;
#endif
}

// Every entry below `root`: folders, links and files, each file by its size
// and a digest of its bytes. Two snapshots are equal only when nothing was
// written, created, removed or replaced.
QMap<QString, QByteArray> snapshot(const QString& root)
{
    QMap<QString, QByteArray> entries;
    const QDir base(root);
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QFileInfo info = it.fileInfo();
        QByteArray what;
        if (info.isSymLink()) {
            what = "link to " + info.symLinkTarget().toUtf8();
        } else if (info.isDir()) {
            what = "folder";
        } else {
            QFile file(path);
            QCryptographicHash digest(QCryptographicHash::Sha256);
            if (file.open(QIODevice::ReadOnly) && digest.addData(&file))
                what = QByteArray::number(info.size()) + ' ' + digest.result().toHex();
            else
                what = "unreadable file of " + QByteArray::number(info.size()) + " bytes";
        }
        entries.insert(base.relativeFilePath(path), what);
    }
    return entries;
}

// A file of `size` bytes that takes no room on disk: only its size counts.
bool writeSparseFile(const QString& path, qint64 size)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.resize(size);
}

// Takes the read permission from a file or folder until the guard goes.
class PermissionsTaken
{
public:
    PermissionsTaken(const QString& path, QFile::Permissions kept)
        : m_file(path), m_old(m_file.permissions())
    {
        m_ok = m_file.setPermissions(kept);
    }
    ~PermissionsTaken() { m_file.setPermissions(m_old); }
    PermissionsTaken(const PermissionsTaken&) = delete;
    PermissionsTaken& operator=(const PermissionsTaken&) = delete;
    bool ok() const { return m_ok; }

private:
    QFile m_file;
    QFile::Permissions m_old;
    bool m_ok = false;
};

void click(QWidget* widget)
{
    QTest::mouseClick(widget, Qt::LeftButton);
}

// Replaces the text of a single-line box by pasting: the way names in other
// scripts, and text with characters a keyboard does not type, arrive.
void pasteInto(QLineEdit* box, const QString& text)
{
    box->setFocus();
    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(box, Qt::Key_Delete);
    if (!text.isEmpty()) {
        QGuiApplication::clipboard()->setText(text);
        QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
    }
}

QStringList itemTexts(const QComboBox* box)
{
    QStringList texts;
    for (int i = 0; i < box->count(); ++i)
        texts.append(box->itemText(i));
    return texts;
}

QStringList itemTexts(const QListWidget* list)
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts.append(list->item(i)->text());
    return texts;
}

template <typename T> T* findControl(const QWidget& window, const char* name, QStringList& missing)
{
    T* control = window.findChild<T*>(QLatin1StringView(name));
    if (!control)
        missing.append(QLatin1StringView(name));
    return control;
}

// The main window on a program folder, with its controls found by name.
struct MainWindow
{
    explicit MainWindow(const ProgramFolder& folder, bool fullEdition = true)
        : window(std::make_unique<frmMain>(fullEdition, folder.path()))
    {
        const QWidget& w = *window;
        mainKeyword = findControl<QLineEdit>(w, "txtMainKeyword", missing);
        keywords = findControl<QPlainTextEdit>(w, "txtSelectedKeyword", missing);
        words = findControl<QLineEdit>(w, "txtApproxWords", missing);
        promote = findControl<QCheckBox>(w, "chkPromoteProduct", missing);
        products = findControl<QComboBox>(w, "cboPromoteProduct", missing);
        create = findControl<QPushButton>(w, "cmdCreatePrompt", missing);
        prompts = findControl<QListView>(w, "lstPrompts", missing);
        prompt = findControl<QPlainTextEdit>(w, "txtPrompt", missing);
        copySelected = findControl<LinkLabel>(w, "lblCopyToClipboard", missing);
        copyAll = findControl<LinkLabel>(w, "lblSaveasPDF", missing);
    }

    bool show()
    {
        if (!missing.isEmpty())
            return false;
        window->show();
        return QTest::qWaitForWindowExposed(window.get());
    }

    void setMainKeyword(const QString& text) { pasteInto(mainKeyword, text); }

    // Replaces the long-tail keywords the way a list arrives: pasted.
    void pasteKeywords(const QString& text)
    {
        keywords->setFocus();
        QTest::keyClick(keywords, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(keywords, Qt::Key_Delete);
        if (!text.isEmpty()) {
            QGuiApplication::clipboard()->setText(text);
            QTest::keyClick(keywords, Qt::Key_V, Qt::ControlModifier);
        }
    }

    // Ticks or unticks "Promote Product" with a click on its box.
    void setPromote(bool on)
    {
        if (promote->isChecked() == on)
            return;
        QStyleOptionButton option;
        option.initFrom(promote);
        const QRect box =
            promote->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, promote);
        QTest::mouseClick(promote, Qt::LeftButton, Qt::NoModifier, box.center());
    }

    void chooseProduct(const QString& recordName) { pasteInto(products->lineEdit(), recordName); }

    int rows() const { return prompts->model()->rowCount(); }

    QString entry(int row) const { return prompts->model()->index(row, 0).data().toString(); }

    // Picks an entry with the mouse and returns the prompt shown.
    QString pick(int row)
    {
        const QModelIndex index = prompts->model()->index(row, 0);
        prompts->scrollTo(index);
        QTest::mouseClick(prompts->viewport(), Qt::LeftButton, Qt::NoModifier,
                          prompts->visualRect(index).center());
        return prompt->toPlainText();
    }

    // A batch from these inputs, promotion left as it is.
    void makeBatch(const QString& main, const QString& keywordText)
    {
        setMainKeyword(main);
        pasteKeywords(keywordText);
        click(create);
    }

    std::unique_ptr<frmMain> window;
    QLineEdit* mainKeyword = nullptr;
    QPlainTextEdit* keywords = nullptr;
    QLineEdit* words = nullptr;
    QCheckBox* promote = nullptr;
    QComboBox* products = nullptr;
    QPushButton* create = nullptr;
    QListView* prompts = nullptr;
    QPlainTextEdit* prompt = nullptr;
    LinkLabel* copySelected = nullptr;
    LinkLabel* copyAll = nullptr;
    QStringList missing;
};

// The product manager over a main window, as "Manage" opens it.
struct Manager
{
    explicit Manager(frmMain& mainWindow) : window(std::make_unique<frmPro>(mainWindow))
    {
        const QWidget& w = *window;
        add = findControl<QPushButton>(w, "cmdAddNew", missing);
        edit = findControl<QPushButton>(w, "cmdEditProduct", missing);
        remove = findControl<QPushButton>(w, "cmdDeleteProduct", missing);
        list = findControl<QListWidget>(w, "lstProductsFiltered", missing);
        panel = findControl<QWidget>(w, "frProduct", missing);
        name = findControl<QLineEdit>(w, "txtProductName", missing);
        format = findControl<QLineEdit>(w, "txtFormat", missing);
        description = findControl<QLineEdit>(w, "txtDescription", missing);
        filename = findControl<QLineEdit>(w, "txtFilename", missing);
        save = findControl<QPushButton>(w, "cmdSave", missing);
        cancel = findControl<QPushButton>(w, "cmdCancel", missing);
        closeButton = findControl<QPushButton>(w, "cmdClose", missing);
    }

    bool show()
    {
        if (!missing.isEmpty())
            return false;
        window->show();
        return QTest::qWaitForWindowExposed(window.get());
    }

    bool select(const QString& recordName)
    {
        for (int i = 0; i < list->count(); ++i) {
            QListWidgetItem* item = list->item(i);
            if (item->text() != recordName)
                continue;
            QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier,
                              list->visualItemRect(item).center());
            return list->selectedItems() == QList<QListWidgetItem*>{item};
        }
        return false;
    }

    // "Add New Product" with every box filled by pasting.
    void fillNew(const QString& productName, const QString& productFormat, const QString& what,
                 const QString& recordName)
    {
        click(add);
        pasteInto(name, productName);
        pasteInto(format, productFormat);
        pasteInto(description, what);
        pasteInto(filename, recordName);
    }

    QStringList panelTexts() const
    {
        return {name->text(), format->text(), description->text(), filename->text()};
    }

    std::unique_ptr<frmPro> window;
    QPushButton* add = nullptr;
    QPushButton* edit = nullptr;
    QPushButton* remove = nullptr;
    QListWidget* list = nullptr;
    QWidget* panel = nullptr;
    QLineEdit* name = nullptr;
    QLineEdit* format = nullptr;
    QLineEdit* description = nullptr;
    QLineEdit* filename = nullptr;
    QPushButton* save = nullptr;
    QPushButton* cancel = nullptr;
    QPushButton* closeButton = nullptr;
    QStringList missing;
};

QString clipboardText()
{
    return QGuiApplication::clipboard()->text();
}

} // namespace

#define VERIFY_BOXES_DONE(boxes)                                                                   \
    QVERIFY2((boxes).done(), qPrintable(u"message boxes not shown: "_s + (boxes).pending()))

#define SHOW(window)                                                                               \
    QVERIFY2((window).show(),                                                                      \
             qPrintable(u"controls not found: "_s + (window).missing.join(u", "_s)))

class tst_BadInput : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup();

    // The products folder.
    void productsFolderWithoutRecords_data();
    void productsFolderWithoutRecords();
    void readOnlyProductsFolder();
    void folderNamedLikeARecord();
    void unusualRecordContent_data();
    void unusualRecordContent();
    void nonLatinRecordNames_data();
    void nonLatinRecordNames();
    void recordChangedBehindTheProgramsBack_data();
    void recordChangedBehindTheProgramsBack();

    // The templates.
    void unusualTemplates_data();
    void unusualTemplates();
    void bothTemplatesMissing();

    // The input boxes.
    void keywordListOfAMillionLines();
    void unusualKeywordLines_data();
    void unusualKeywordLines();
    void placeholdersInTheInputs_data();
    void placeholdersInTheInputs();
    void mainKeywordEmptiedAfterTheBatch();

    // The clipboard.
    void copyAllRefusesTooMuchText();
};

void tst_BadInput::cleanup()
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
// The products folder

void tst_BadInput::productsFolderWithoutRecords_data()
{
    QTest::addColumn<QString>("state");
    QTest::addColumn<bool>("canSave");
    QTest::newRow("missing") << u"missing"_s << false;
    QTest::newRow("empty") << u"empty"_s << true;
    QTest::newRow("a file in its place") << u"file"_s << false;
    QTest::newRow("only other files and folders") << u"others"_s << true;
}

// Without a single record the product box stays empty, promotion asks for a
// product, the manager has nothing to edit or delete, and a new record is
// either written or refused with a message; the program never creates the
// products folder.
void tst_BadInput::productsFolderWithoutRecords()
{
    QFETCH(QString, state);
    QFETCH(bool, canSave);

    ProgramFolder folder(TopicTemplate, AngleTemplate);
    QVERIFY(folder.isValid());
    if (state == u"missing"_s || state == u"file"_s)
        QVERIFY(QDir(folder.productsPath()).removeRecursively());
    if (state == u"file"_s)
        QVERIFY(folder.write(u"products"_s, "Herb Guide\r\nebook\r\nnot a folder"));
    if (state == u"others"_s) {
        QVERIFY(folder.write(u"products/notes.md"_s, "Herb Guide\r\nebook\r\nGrows herbs"));
        QVERIFY(folder.write(u"products/README"_s, "Herb Guide\r\nebook\r\nGrows herbs"));
        QVERIFY(folder.write(u"products/txt"_s, "Herb Guide\r\nebook\r\nGrows herbs"));
        QVERIFY(folder.write(u"products/old/inside.txt"_s, "Herb Guide\r\nebook\r\nGrows herbs"));
    }
    const QMap<QString, QByteArray> before = snapshot(folder.path());

    MessageBoxScript boxes;
    MainWindow main(folder);
    SHOW(main);
    main.window->reportStartupProblems();
    QCOMPARE(main.products->count(), 0);
    QCOMPARE(main.products->currentText(), QString());

    main.setPromote(true);
    boxes.expect(MissingInfo, NeedProduct);
    main.makeBatch(u"herbs"_s, u"herbs indoors"_s);
    VERIFY_BOXES_DONE(boxes);
    QCOMPARE(main.rows(), 0);

    Manager manager(*main.window);
    SHOW(manager);
    QCOMPARE(manager.list->count(), 0);
    click(manager.edit); // nothing listed: nothing happens
    QVERIFY(manager.panel->isHidden());
    boxes.expect(NothingToDelete, SelectFirst);
    click(manager.remove);
    VERIFY_BOXES_DONE(boxes);
    QCOMPARE(snapshot(folder.path()), before);

    manager.fillNew(u"Herb Guide"_s, u"ebook"_s, u"Grows herbs"_s, u"herb-guide"_s);
    if (!canSave) {
        boxes.expect(ErrorTitle, SaveError);
        click(manager.save);
        VERIFY_BOXES_DONE(boxes);
        QCOMPARE(snapshot(folder.path()), before);
        QVERIFY(manager.panel->isVisible());
        QCOMPARE(manager.panelTexts(),
                 (QStringList{u"Herb Guide"_s, u"ebook"_s, u"Grows herbs"_s, u"herb-guide"_s}));
        QCOMPARE(manager.list->count(), 0);
        QCOMPARE(main.products->count(), 0);
        return;
    }
    click(manager.save);
    VERIFY_BOXES_DONE(boxes);
    QVERIFY(manager.panel->isHidden());
    QCOMPARE(folder.read(u"products/herb-guide.txt"_s),
             QByteArray("Herb Guide\r\nebook\r\nGrows herbs"));
    QMap<QString, QByteArray> expected = before;
    expected.insert(u"products/herb-guide.txt"_s,
                    snapshot(folder.path()).value(u"products/herb-guide.txt"_s));
    QCOMPARE(snapshot(folder.path()), expected);
    QCOMPARE(itemTexts(manager.list), QStringList{u"herb-guide"_s});
    QCOMPARE(itemTexts(main.products), QStringList{u"herb-guide"_s});
    manager.window.reset();

    // The new record is promoted at once.
    click(main.create);
    QCOMPARE(main.rows(), 1);
    QCOMPARE(main.pick(0),
             u"A herbs|indoors|400|"_s + promotion(u"Herb Guide"_s, u"ebook"_s, u"Grows herbs"_s));
    VERIFY_BOXES_DONE(boxes);
}

// A folder the program may read but not write: records are listed, promoted
// and shown for editing; every write and deletion is refused with a message
// and leaves the records as they were.
void tst_BadInput::readOnlyProductsFolder()
{
    ProgramFolder folder(TopicTemplate, AngleTemplate);
    QVERIFY(folder.writeRecord(u"kept"_s, u"Kept Guide"_s, u"ebook"_s, u"Stays as it was"_s));
    PermissionsTaken readOnly(folder.productsPath(), QFile::ReadOwner | QFile::ExeOwner);
    QVERIFY(readOnly.ok());
    const QMap<QString, QByteArray> before = snapshot(folder.path());

    MessageBoxScript boxes;
    MainWindow main(folder);
    SHOW(main);
    QCOMPARE(itemTexts(main.products), QStringList{u"kept"_s});
    main.setPromote(true);
    main.makeBatch(u"herbs"_s, u"herbs indoors"_s);
    QCOMPARE(main.rows(), 1);
    QCOMPARE(main.pick(0), u"A herbs|indoors|400|"_s +
                               promotion(u"Kept Guide"_s, u"ebook"_s, u"Stays as it was"_s));

    Manager manager(*main.window);
    SHOW(manager);
    QVERIFY(manager.select(u"kept"_s));
    click(manager.edit);
    QVERIFY(manager.panel->isVisible());
    QCOMPARE(manager.panelTexts(),
             (QStringList{u"Kept Guide"_s, u"ebook"_s, u"Stays as it was"_s, u"kept"_s}));
    click(manager.cancel);
    QCOMPARE(snapshot(folder.path()), before);
    VERIFY_BOXES_DONE(boxes);

    if (runningAsRoot())
        QSKIP("the folder's permissions do not bind the superuser");

    // Changing the record.
    QVERIFY(manager.select(u"kept"_s));
    click(manager.edit);
    pasteInto(manager.description, u"Changed"_s);
    boxes.expect(ErrorTitle, SaveError);
    click(manager.save);
    VERIFY_BOXES_DONE(boxes);
    QVERIFY(manager.panel->isVisible());
    QCOMPARE(manager.panelTexts(),
             (QStringList{u"Kept Guide"_s, u"ebook"_s, u"Changed"_s, u"kept"_s}));
    click(manager.cancel);

    // Adding one.
    manager.fillNew(u"New Guide"_s, u"course"_s, u"Is new"_s, u"new"_s);
    boxes.expect(ErrorTitle, SaveError);
    click(manager.save);
    VERIFY_BOXES_DONE(boxes);
    QVERIFY(manager.panel->isVisible());
    QCOMPARE(manager.panelTexts(),
             (QStringList{u"New Guide"_s, u"course"_s, u"Is new"_s, u"new"_s}));
    click(manager.cancel);

    // Deleting it.
    QVERIFY(manager.select(u"kept"_s));
    boxes.expect(Confirm, DeleteFile, modGeneral::vbYes);
    boxes.expect(ErrorTitle, DeleteError);
    click(manager.remove);
    VERIFY_BOXES_DONE(boxes);

    QCOMPARE(snapshot(folder.path()), before);
    QCOMPARE(itemTexts(manager.list), QStringList{u"kept"_s});
    QCOMPARE(itemTexts(main.products), QStringList{u"kept"_s});
}

// A folder whose name looks like a record file is not a record: it is not
// listed, cannot be promoted, and its name cannot be taken by a new record.
void tst_BadInput::folderNamedLikeARecord()
{
    ProgramFolder folder(TopicTemplate, AngleTemplate);
    QVERIFY(folder.writeRecord(u"good"_s, u"Good Guide"_s, u"ebook"_s, u"Helps"_s));
    QVERIFY(QDir(folder.productsPath()).mkdir(u"dir.txt"_s));
    QVERIFY(folder.write(u"products/dir.txt/inside.txt"_s, "Inside\r\nebook\r\nHidden away"));
    const QMap<QString, QByteArray> before = snapshot(folder.path());

    MessageBoxScript boxes;
    MainWindow main(folder);
    SHOW(main);
    QCOMPARE(itemTexts(main.products), QStringList{u"good"_s});

    main.setPromote(true);
    main.chooseProduct(u"dir"_s);
    boxes.expect(InvalidFile, CantOpen);
    main.makeBatch(u"herbs"_s, u"herbs indoors"_s);
    VERIFY_BOXES_DONE(boxes);
    QCOMPARE(main.rows(), 0);

    Manager manager(*main.window);
    SHOW(manager);
    QCOMPARE(itemTexts(manager.list), QStringList{u"good"_s});
    manager.fillNew(u"Other Guide"_s, u"pdf"_s, u"Other things"_s, u"dir"_s);
    boxes.expect(Ooops, InUse);
    click(manager.save);
    VERIFY_BOXES_DONE(boxes);
    QVERIFY(manager.panel->isVisible());
    QCOMPARE(manager.panelTexts(),
             (QStringList{u"Other Guide"_s, u"pdf"_s, u"Other things"_s, u"dir"_s}));
    QCOMPARE(snapshot(folder.path()), before);
}

void tst_BadInput::unusualRecordContent_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<qint64>("sparseSize");  // when not 0: an empty file of this size instead
    QTest::addColumn<QStringList>("fields"); // empty: the record cannot be used

    const QStringList unusable;
    QTest::newRow("zero bytes") << QByteArray("") << qint64(0) << unusable;
    QTest::newRow("one line") << QByteArray("Only a name") << qint64(0) << unusable;
    QTest::newRow("two lines") << QByteArray("Name\r\nebook") << qint64(0) << unusable;
    QTest::newRow("two lines and a final break")
        << QByteArray("Name\r\nebook\r\n") << qint64(0) << unusable;
    QTest::newRow("line breaks only") << QByteArray("\r\n\r\n") << qint64(0) << unusable;
    QTest::newRow("larger than anything the program reads")
        << QByteArray() << qint64(tsFile::MaxReadBytes + 1) << unusable;

    QTest::newRow("binary bytes with NULs")
        << QByteArrayLiteral("N\0a\x01me\r\nfo\0rm\x7f\r\n\0de\x1bsc\0") << qint64(0)
        << QStringList{u"N\0a\x01me"_s, u"fo\0rm\x7f"_s, u"\0de\x1bsc\0"_s};
    QTest::newRow("invalid UTF-8, read as Windows-1252")
        << QByteArray("Caf\xe9 Cr\xe8me\r\nE-book \x80 9\r\nGr\xfc\xdf"
                      "e \x93hi\x94")
        << qint64(0) << QStringList{u"Café Crème"_s, u"E-book € 9"_s, u"Grüße “hi”"_s};
    QTest::newRow("UTF-8 with a byte-order mark")
        << QByteArray("\xef\xbb\xbf\xc3\x89t\xc3\xa9\r\nebook\r\n\xe2\x80\x94 summer") << qint64(0)
        << QStringList{u"Été"_s, u"ebook"_s, u"— summer"_s};

    // Three short lines and then megabytes of more lines, which are ignored.
    QByteArray several = "Big Guide\r\nebook\r\nIs followed by a lot";
    const QByteArray filler = "\r\nan extra line that the record does not need, repeated";
    while (several.size() < 5 * 1024 * 1024)
        several += filler;
    QTest::newRow("several megabytes")
        << several << qint64(0)
        << QStringList{u"Big Guide"_s, u"ebook"_s, u"Is followed by a lot"_s};
}

// A record file that is short, binary, not UTF-8 or huge: wherever it is read
// it is either used as three fields or refused with "The file can't be
// opened."; it is never changed, and it can still be deleted.
void tst_BadInput::unusualRecordContent()
{
    QFETCH(QByteArray, bytes);
    QFETCH(qint64, sparseSize);
    QFETCH(QStringList, fields);

    ProgramFolder folder(TopicTemplate, AngleTemplate);
    QVERIFY(folder.writeRecord(u"a-good"_s, u"Good Guide"_s, u"ebook"_s, u"Helps"_s));
    if (sparseSize > 0)
        QVERIFY(writeSparseFile(folder.recordPath(u"odd"_s), sparseSize));
    else
        QVERIFY(folder.write(u"products/odd.txt"_s, bytes));
    const QMap<QString, QByteArray> before = snapshot(folder.path());
    const bool usable = !fields.isEmpty();

    MessageBoxScript boxes;
    MainWindow main(folder);
    SHOW(main);
    QCOMPARE(itemTexts(main.products), (QStringList{u"a-good"_s, u"odd"_s}));

    // Promoted from the main window.
    main.setPromote(true);
    main.chooseProduct(u"odd"_s);
    if (!usable)
        boxes.expect(InvalidFile, CantOpen);
    main.makeBatch(u"herbs"_s, u"herbs indoors"_s);
    VERIFY_BOXES_DONE(boxes);
    if (usable) {
        QCOMPARE(main.rows(), 1);
        QCOMPARE(main.pick(0),
                 u"A herbs|indoors|400|"_s + promotion(fields.at(0), fields.at(1), fields.at(2)));
    } else {
        QCOMPARE(main.rows(), 0);
    }

    // Opened for editing in the manager.
    Manager manager(*main.window);
    SHOW(manager);
    QCOMPARE(itemTexts(manager.list), (QStringList{u"a-good"_s, u"odd"_s}));
    QVERIFY(manager.select(u"odd"_s));
    if (!usable)
        boxes.expect(InvalidFile, CantOpen);
    click(manager.edit);
    VERIFY_BOXES_DONE(boxes);
    if (usable) {
        QVERIFY(manager.panel->isVisible());
        QCOMPARE(manager.panelTexts(), fields + QStringList{u"odd"_s});
        click(manager.cancel);
    } else {
        QVERIFY(manager.panel->isHidden());
    }
    QCOMPARE(snapshot(folder.path()), before);

    // Deleted: the one change the user asks for.
    QVERIFY(manager.select(u"odd"_s));
    boxes.expect(Confirm, DeleteFile, modGeneral::vbYes);
    boxes.expect(DoneTitle, Deleted);
    click(manager.remove);
    VERIFY_BOXES_DONE(boxes);
    QMap<QString, QByteArray> expected = before;
    expected.remove(u"products/odd.txt"_s);
    QCOMPARE(snapshot(folder.path()), expected);
    QCOMPARE(itemTexts(manager.list), QStringList{u"a-good"_s});
    QCOMPARE(itemTexts(main.products), QStringList{u"a-good"_s});
}

void tst_BadInput::nonLatinRecordNames_data()
{
    QTest::addColumn<QString>("recordName");
    QTest::addColumn<QStringList>("fields");
    QTest::newRow("Cyrillic") << u"Кофе и чай"_s
                              << QStringList{u"Гид по кофе"_s, u"книга"_s, u"Учит варить кофе"_s};
    QTest::newRow("Japanese") << u"日本茶ガイド"_s
                              << QStringList{u"日本茶の本"_s, u"電子書籍"_s, u"お茶の入れ方"_s};
    QTest::newRow("Arabic, right to left")
        << u"دليل القهوة"_s << QStringList{u"دليل"_s, u"كتاب"_s, u"يعلم القهوة"_s};
    QTest::newRow("Greek and accents")
        << u"Οδηγός Été"_s << QStringList{u"Οδηγός"_s, u"βιβλίο"_s, u"Été à Athènes"_s};
    QTest::newRow("combining accent")
        << u"Cafe\u0301 guide"_s << QStringList{u"Cafe\u0301"_s, u"pdf"_s, u"Brews"_s};
    QTest::newRow("beyond the basic plane")
        << u"☕ Guide 😀"_s << QStringList{u"Mug 😀"_s, u"e-book"_s, u"𝒻ancy ☕"_s};
}

// A record named in another script goes through its whole life: added,
// listed in both windows, promoted, edited, deleted; its file carries the
// name in UTF-8 and its text as typed.
void tst_BadInput::nonLatinRecordNames()
{
    QFETCH(QString, recordName);
    QFETCH(QStringList, fields);

    ProgramFolder folder(TopicTemplate, AngleTemplate);
    QVERIFY(folder.isValid());
    MessageBoxScript boxes;
    MainWindow main(folder);
    SHOW(main);

    auto manager = std::make_unique<Manager>(*main.window);
    SHOW(*manager);
    manager->fillNew(fields.at(0), fields.at(1), fields.at(2), recordName);
    click(manager->save);
    VERIFY_BOXES_DONE(boxes);
    QVERIFY(manager->panel->isHidden());
    const QStringList files = QDir(folder.productsPath()).entryList(QDir::Files | QDir::Hidden);
    QCOMPARE(files, QStringList{recordName + u".txt"_s});
    QCOMPARE(folder.read(u"products/"_s + files.constFirst()), fields.join(u"\r\n"_s).toUtf8());
    QCOMPARE(itemTexts(manager->list), QStringList{recordName});
    QCOMPARE(itemTexts(main.products), QStringList{recordName});
    manager.reset();

    // Promoted.
    main.setPromote(true);
    QCOMPARE(main.products->currentText(), recordName);
    main.makeBatch(u"Promo"_s, u"promo "_s + recordName);
    QCOMPARE(main.rows(), 1);
    QCOMPARE(main.pick(0), u"A Promo|"_s + recordName.toLower() + u"|400|"_s +
                               promotion(fields.at(0), fields.at(1), fields.at(2)));

    // Edited, saved unchanged, deleted.
    manager = std::make_unique<Manager>(*main.window);
    SHOW(*manager);
    QVERIFY(manager->select(recordName));
    click(manager->edit);
    QVERIFY(manager->panel->isVisible());
    QCOMPARE(manager->panelTexts(), fields + QStringList{recordName});
    click(manager->save);
    QVERIFY(manager->panel->isHidden());
    QCOMPARE(folder.read(u"products/"_s + files.constFirst()), fields.join(u"\r\n"_s).toUtf8());

    QVERIFY(manager->select(recordName));
    boxes.expect(Confirm, DeleteFile, modGeneral::vbYes);
    boxes.expect(DoneTitle, Deleted);
    click(manager->remove);
    VERIFY_BOXES_DONE(boxes);
    QCOMPARE(QDir(folder.productsPath())
                 .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList());
    QCOMPARE(manager->list->count(), 0);
    QCOMPARE(main.products->count(), 0);
}

void tst_BadInput::recordChangedBehindTheProgramsBack_data()
{
    QTest::addColumn<QString>("change");
    QTest::newRow("removed") << u"removed"_s;
    QTest::newRow("replaced by a folder") << u"folder"_s;
    QTest::newRow("cut to one line") << u"cut"_s;
}

// The lists show what the folder held when they were filled; a record changed
// since by another program is reported when it is read or deleted, and what
// is there now is left alone.
void tst_BadInput::recordChangedBehindTheProgramsBack()
{
    QFETCH(QString, change);

    ProgramFolder folder(TopicTemplate, AngleTemplate);
    QVERIFY(folder.writeRecord(u"alpha"_s, u"Alpha"_s, u"ebook"_s, u"Does alpha"_s));
    QVERIFY(folder.writeRecord(u"beta"_s, u"Beta"_s, u"course"_s, u"Does beta"_s));
    MessageBoxScript boxes;
    MainWindow main(folder);
    SHOW(main);
    Manager manager(*main.window);
    SHOW(manager);
    QCOMPARE(itemTexts(manager.list), (QStringList{u"alpha"_s, u"beta"_s}));

    QVERIFY(QFile::remove(folder.recordPath(u"beta"_s)));
    if (change == u"folder"_s)
        QVERIFY(QDir(folder.productsPath()).mkdir(u"beta.txt"_s));
    if (change == u"cut"_s)
        QVERIFY(folder.write(u"products/beta.txt"_s, "Beta"));
    const QMap<QString, QByteArray> before = snapshot(folder.path());

    QVERIFY(manager.select(u"beta"_s));
    boxes.expect(InvalidFile, CantOpen);
    click(manager.edit);
    VERIFY_BOXES_DONE(boxes);
    QVERIFY(manager.panel->isHidden());

    QVERIFY(manager.select(u"beta"_s));
    boxes.expect(Confirm, DeleteFile, modGeneral::vbYes);
    if (change == u"cut"_s) {
        // A file is still there, and it is the one the user deletes.
        boxes.expect(DoneTitle, Deleted);
        click(manager.remove);
        VERIFY_BOXES_DONE(boxes);
        QVERIFY(!folder.exists(u"products/beta.txt"_s));
        QCOMPARE(itemTexts(manager.list), QStringList{u"alpha"_s});
        return;
    }
    boxes.expect(ErrorTitle, DeleteError);
    click(manager.remove);
    VERIFY_BOXES_DONE(boxes);
    QCOMPARE(snapshot(folder.path()), before);
    // Nothing was refreshed after the failure.
    QCOMPARE(itemTexts(manager.list), (QStringList{u"alpha"_s, u"beta"_s}));
    QCOMPARE(itemTexts(main.products), (QStringList{u"alpha"_s, u"beta"_s}));
    manager.window.reset();

    // The main window still lists it; promoting it is refused.
    main.setPromote(true);
    main.chooseProduct(u"beta"_s);
    boxes.expect(InvalidFile, CantOpen);
    main.makeBatch(u"herbs"_s, u"herbs indoors"_s);
    VERIFY_BOXES_DONE(boxes);
    QCOMPARE(main.rows(), 0);
    QCOMPARE(snapshot(folder.path()), before);
}

// ---------------------------------------------------------------------------
// The templates

void tst_BadInput::unusualTemplates_data()
{
    QTest::addColumn<QString>("kind"); // what stands at the topic template's place
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("reason"); // empty: no message
    QTest::addColumn<QString>("topicPrompt");

    QTest::newRow("missing") << u"missing"_s << QByteArray() << u"the file does not exist"_s
                             << QString();
    QTest::newRow("empty") << u"file"_s << QByteArray("") << QString() << QString();
    QTest::newRow("a folder in its place")
        << u"folder"_s << QByteArray() << u"it is not a file"_s << QString();
    QTest::newRow("larger than anything the program reads")
        << u"sparse"_s << QByteArray() << u"the file is larger than 64 MB"_s << QString();
    QTest::newRow("not readable") << u"noaccess"_s << TopicTemplate << u"Permission denied"_s
                                  << QString();
    QTest::newRow("invalid UTF-8, read as Windows-1252")
        << u"file"_s << QByteArray("Caf\xe9 \x93#KEYWORD#\x94 \x80#WORDS#") << QString()
        << u"Café “herbs” €400"_s;
    QTest::newRow("UTF-8 with a byte-order mark")
        << u"file"_s << QByteArray("\xef\xbb\xbf\xc3\x89t\xc3\xa9 #KEYWORD#") << QString()
        << u"Été herbs"_s;
    QTest::newRow("binary bytes with NULs")
        << u"file"_s << QByteArrayLiteral("\0#KEYWORD#\x01\0#WORDS#\x7f") << QString()
        << u"\0herbs\x01\0"
           u"400\x7f"_s;
    QTest::newRow("placeholders only")
        << u"file"_s << QByteArray("#KEYWORD##WORDS##PRO##ANGLE##KEYWORD#") << QString()
        << u"herbs400#ANGLE#herbs"_s;

    QByteArray big;
    QString bigPrompt;
    for (int i = 0; big.size() < 4 * 1024 * 1024; ++i) {
        const QByteArray line =
            "Line " + QByteArray::number(i) + " of a long template about #KEYWORD#.\n";
        big += line;
        bigPrompt += QString::fromLatin1(line).replace(u"#KEYWORD#"_s, u"herbs"_s);
    }
    QTest::newRow("several megabytes") << u"file"_s << big << QString() << bigPrompt;
}

// Whatever stands where the topic template should be, the program starts,
// says once what it could not read, and composes: an unread template gives
// empty prompts, the other template still works, and no template is changed.
void tst_BadInput::unusualTemplates()
{
    QFETCH(QString, kind);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, reason);
    QFETCH(QString, topicPrompt);

    ProgramFolder folder(kind == u"file"_s || kind == u"noaccess"_s ? bytes : QByteArray(),
                         AngleTemplate);
    QVERIFY(folder.isValid());
    const QString topicPath = folder.path() + u"/templates/topic.txt"_s;
    if (kind == u"folder"_s)
        QVERIFY(QDir().mkpath(topicPath));
    if (kind == u"sparse"_s)
        QVERIFY(writeSparseFile(topicPath, tsFile::MaxReadBytes + 1));
    std::unique_ptr<PermissionsTaken> unreadable;
    if (kind == u"noaccess"_s) {
        if (runningAsRoot())
            QSKIP("the file's permissions do not bind the superuser");
        unreadable = std::make_unique<PermissionsTaken>(topicPath, QFile::WriteOwner);
        QVERIFY(unreadable->ok());
    }
    const QMap<QString, QByteArray> before = snapshot(folder.path());

    MessageBoxScript boxes;
    MainWindow main(folder);
    SHOW(main);
    if (!reason.isEmpty()) {
        boxes.expect(ErrorTitle, u"This template file could not be read:\n\n"_s +
                                     QDir::toNativeSeparators(topicPath) + u" ("_s + reason +
                                     u")\n\nPrompts that use it will be empty."_s);
    }
    main.window->reportStartupProblems();
    VERIFY_BOXES_DONE(boxes);

    main.makeBatch(u"herbs"_s, u"Herbs\r\nherbs indoors"_s);
    QCOMPARE(main.rows(), 2);
    QCOMPARE(main.pick(1), u"A herbs|indoors|400|"_s);
    QCOMPARE(main.pick(0), topicPrompt);

    if (topicPrompt.isEmpty()) {
        boxes.expect(MissingInfo, NothingToCopy);
    } else {
        boxes.expect(DoneTitle, PromptCopied);
    }
    click(main.copySelected);
    VERIFY_BOXES_DONE(boxes);
    if (!topicPrompt.isEmpty()) // the box's lines reach the clipboard with CR LF or LF endings
        QCOMPARE(clipboardText().replace(u"\r\n"_s, u"\n"_s), topicPrompt);

    boxes.expect(DoneTitle, PromptsCopied);
    click(main.copyAll);
    VERIFY_BOXES_DONE(boxes);
    QCOMPARE(clipboardText(), allPromptsBlock(u"Herbs"_s, topicPrompt) +
                                  allPromptsBlock(u"herbs indoors"_s, u"A herbs|indoors|400|"_s));
    QCOMPARE(snapshot(folder.path()), before);
}

void tst_BadInput::bothTemplatesMissing()
{
    ProgramFolder folder{QByteArray(), QByteArray()};
    QVERIFY(QDir(folder.path() + u"/templates"_s).removeRecursively());
    const QMap<QString, QByteArray> before = snapshot(folder.path());

    MessageBoxScript boxes;
    MainWindow main(folder);
    SHOW(main);
    const QString templates = folder.path() + u"/templates/"_s;
    boxes.expect(ErrorTitle,
                 u"These template files could not be read:\n\n"_s +
                     QDir::toNativeSeparators(templates + u"topic.txt"_s) +
                     u" (the file does not exist)\n"_s +
                     QDir::toNativeSeparators(templates + u"topic-angle.txt"_s) +
                     u" (the file does not exist)\n\nPrompts that use them will be empty."_s);
    main.window->reportStartupProblems();
    VERIFY_BOXES_DONE(boxes);

    main.makeBatch(u"herbs"_s, u"herbs\r\nherbs indoors"_s);
    QCOMPARE(main.rows(), 2);
    QCOMPARE(main.pick(1), QString());
    QCOMPARE(main.pick(0), QString());
    boxes.expect(MissingInfo, NothingToCopy);
    click(main.copySelected);
    boxes.expect(DoneTitle, PromptsCopied);
    click(main.copyAll);
    VERIFY_BOXES_DONE(boxes);
    QCOMPARE(clipboardText(), allPromptsBlock(u"herbs"_s, QString()) +
                                  allPromptsBlock(u"herbs indoors"_s, QString()));
    QCOMPARE(snapshot(folder.path()), before);
}

// ---------------------------------------------------------------------------
// The input boxes

// A million keyword lines make a million entries; the first and the last can
// be picked. The list is put into the box whole, as a drop or a paste does.
void tst_BadInput::keywordListOfAMillionLines()
{
    constexpr int lineCount = 1'000'000;
    QString list;
    list.reserve(lineCount * 12);
    for (int i = 0; i < lineCount; ++i) {
        list += u"herbs n"_s;
        list += QString::number(i);
        list += u"\r\n"_s;
    }

    ProgramFolder folder(TopicTemplate, AngleTemplate);
    MessageBoxScript boxes;
    MainWindow main(folder);
    SHOW(main);
    main.setMainKeyword(u"herbs"_s);
    main.keywords->setPlainText(list);
    click(main.create);
    QCOMPARE(main.rows(), lineCount);
    QCOMPARE(main.entry(0), u"herbs n0"_s + Suffix);
    QCOMPARE(main.entry(lineCount - 1), u"herbs n999999"_s + Suffix);

    QCOMPARE(main.pick(0), u"A herbs|n0|400|"_s);
    main.prompts->setFocus();
    QTest::keyClick(main.prompts, Qt::Key_End);
    QCOMPARE(main.prompts->currentIndex().row(), lineCount - 1);
    QCOMPARE(main.prompt->toPlainText(), u"A herbs|n999999|400|"_s);

    // The next batch starts from an empty list.
    main.pasteKeywords(u"herbs in pots"_s);
    click(main.create);
    QCOMPARE(main.rows(), 1);
    QCOMPARE(main.pick(0), u"A herbs|in pots|400|"_s);
    VERIFY_BOXES_DONE(boxes);
}

void tst_BadInput::unusualKeywordLines_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("keywords"); // empty: the batch is refused
    QTest::addColumn<QStringList>("prompts");

    const QString topic = u"T herbs|400|"_s;
    QTest::newRow("line breaks only") << u"\r\n\n\r\r\n\n"_s << QStringList() << QStringList();
    QTest::newRow("lines of blanks")
        << u"   \r\n \r\n\r\n  "_s << QStringList{u"   "_s, u" "_s, u"  "_s}
        << QStringList{topic, topic, topic};
    QTest::newRow("mixed line breaks")
        << u"herbs a\r\nherbs b\nherbs c\rherbs d\n\rherbs e"_s
        << QStringList{u"herbs a"_s, u"herbs b"_s, u"herbs c"_s, u"herbs d"_s, u"herbs e"_s}
        << QStringList{u"A herbs|a|400|"_s, u"A herbs|b|400|"_s, u"A herbs|c|400|"_s,
                       u"A herbs|d|400|"_s, u"A herbs|e|400|"_s};
    QTest::newRow("Unicode line and paragraph separators")
        << u"herbs a\u2028herbs b\u2029herbs c"_s
        << QStringList{u"herbs a"_s, u"herbs b"_s, u"herbs c"_s}
        << QStringList{u"A herbs|a|400|"_s, u"A herbs|b|400|"_s, u"A herbs|c|400|"_s};
    QTest::newRow("tabs and control characters")
        << u"\therbs\t\r\nherbs\u0001\u001b"_s
        << QStringList{u"\therbs\t"_s, u"herbs\u0001\u001b"_s}
        << QStringList{u"A herbs|\t\t|400|"_s, u"A herbs|\u0001\u001b|400|"_s};
    QTest::newRow("NUL characters") << u"herbs\0x\r\n\0"_s << QStringList{u"herbs\0x"_s, u"\0"_s}
                                    << QStringList{u"A herbs|\0x|400|"_s, u"A herbs|\0|400|"_s};
    QTest::newRow("right-to-left and mixed scripts")
        << u"HERBS עשבי תיבול\r\nherbs 日本"_s
        << QStringList{u"HERBS עשבי תיבול"_s, u"herbs 日本"_s}
        << QStringList{u"A herbs|עשבי תיבול|400|"_s, u"A herbs|日本|400|"_s};
    QTest::newRow("one line of 200,000 characters")
        << u"herbs "_s + QString(200'000, u'x') << QStringList{u"herbs "_s + QString(200'000, u'x')}
        << QStringList{u"A herbs|"_s + QString(200'000, u'x') + u"|400|"_s};
}

// Keyword text as it comes from other programs: every line becomes an entry
// exactly as split, blank lines of no characters are skipped, and a text of
// line breaks alone is refused like an empty one.
void tst_BadInput::unusualKeywordLines()
{
    QFETCH(QString, text);
    QFETCH(QStringList, keywords);
    QFETCH(QStringList, prompts);

    ProgramFolder folder(TopicTemplate, AngleTemplate);
    MessageBoxScript boxes;
    MainWindow main(folder);
    SHOW(main);
    if (keywords.isEmpty())
        boxes.expect(MissingInfo, NeedKeywords);
    main.makeBatch(u"herbs"_s, text);
    VERIFY_BOXES_DONE(boxes);
    QCOMPARE(main.rows(), keywords.size());
    QString all;
    for (int row = 0; row < keywords.size(); ++row) {
        QCOMPARE(main.entry(row), keywords.at(row) + Suffix);
        QCOMPARE(main.pick(row), prompts.at(row));
        all += allPromptsBlock(keywords.at(row), prompts.at(row));
    }
    if (keywords.isEmpty())
        return;
    boxes.expect(DoneTitle, PromptsCopied);
    click(main.copyAll);
    VERIFY_BOXES_DONE(boxes);
    QCOMPARE(clipboardText(), all);
}

void tst_BadInput::placeholdersInTheInputs_data()
{
    QTest::addColumn<QString>("mainKeyword");
    QTest::addColumn<QString>("words");
    QTest::addColumn<QString>("keywords");
    QTest::addColumn<QStringList>("product"); // promoted when not empty
    QTest::addColumn<QStringList>("prompts");

    const QStringList none;
    QTest::newRow("main keyword of blanks")
        << u"   "_s << u"400"_s << u"herbs   indoors\r\n   "_s << none
        << QStringList{u"A    |herbsindoors|400|"_s, u"T    |400|"_s};
    QTest::newRow("main keyword holding #WORDS#")
        << u"#WORDS#"_s << u"300"_s << u"#words#\r\n#WORDS# tips"_s << none
        << QStringList{u"T 300|300|"_s, u"A 300|tips|300|"_s};
    QTest::newRow("main keyword holding #KEYWORD#") << u"#KEYWORD#"_s << u"400"_s << u"#keyword#"_s
                                                    << none << QStringList{u"T #KEYWORD#|400|"_s};
    QTest::newRow("main keyword holding #ANGLE#") << u"#ANGLE#"_s << u"400"_s << u"#ANGLE# pots"_s
                                                  << none << QStringList{u"A pots|pots|400|"_s};
    QTest::newRow("main keyword holding #PRO#")
        << u"Herbs #PRO#"_s << u"400"_s << u"herbs #pro#"_s << QStringList{u"N"_s, u"F"_s, u"D"_s}
        << QStringList{u"T Herbs "_s + promotion(u"N"_s, u"F"_s, u"D"_s) + u"|400|"_s +
                       promotion(u"N"_s, u"F"_s, u"D"_s)};
    QTest::newRow("word count holding #PRO#")
        << u"herbs"_s << u"#PRO#"_s << u"herbs"_s << none << QStringList{u"T herbs||"_s};
    QTest::newRow("word count holding #KEYWORD#") << u"herbs"_s << u"#KEYWORD#"_s << u"herbs"_s
                                                  << none << QStringList{u"T herbs|#KEYWORD#|"_s};
    QTest::newRow("keywords holding placeholders stay lower case")
        << u"herbs"_s << u"400"_s << u"herbs #WORDS# #PRO# #ANGLE#"_s << none
        << QStringList{u"A herbs|#words# #pro# #angle#|400|"_s};
    QTest::newRow("product fields holding placeholders")
        << u"herbs"_s << u"400"_s << u"herbs"_s
        << QStringList{u"#KEYWORD#"_s, u"#WHATITDOES#"_s, u"#PRO# #WORDS#"_s}
        << QStringList{u"T herbs|400|"_s +
                       promotion(u"#KEYWORD#"_s, u"#PRO# #WORDS#"_s, u"#PRO# #WORDS#"_s)};
    QTest::newRow("a lone # between placeholders") << u"#"_s << u"#"_s << u"#\r\nKEYWORD#"_s << none
                                                   << QStringList{u"T #|#|"_s, u"A #|keyword|#|"_s};
}

// Text that contains placeholders, or parts of them, goes in as the
// replacement order says, the same when picked and when copied with all.
void tst_BadInput::placeholdersInTheInputs()
{
    QFETCH(QString, mainKeyword);
    QFETCH(QString, words);
    QFETCH(QString, keywords);
    QFETCH(QStringList, product);
    QFETCH(QStringList, prompts);

    ProgramFolder folder(TopicTemplate, AngleTemplate);
    if (!product.isEmpty())
        QVERIFY(folder.writeRecord(u"odd"_s, product.at(0), product.at(1), product.at(2)));
    const QMap<QString, QByteArray> before = snapshot(folder.path());
    MessageBoxScript boxes;
    MainWindow main(folder);
    SHOW(main);
    pasteInto(main.words, words);
    main.setPromote(!product.isEmpty());
    main.makeBatch(mainKeyword, keywords);
    VERIFY_BOXES_DONE(boxes);
    QCOMPARE(main.rows(), prompts.size());

    QString all;
    for (int row = 0; row < prompts.size(); ++row) {
        QCOMPARE(main.pick(row), prompts.at(row));
        const QString keyword = main.entry(row).chopped(Suffix.size());
        all += allPromptsBlock(keyword, prompts.at(row));
    }
    boxes.expect(DoneTitle, PromptsCopied);
    click(main.copyAll);
    VERIFY_BOXES_DONE(boxes);
    QCOMPARE(clipboardText(), all);
    QCOMPARE(snapshot(folder.path()), before);
}

// Emptying the main keyword after a batch does not stall: every keyword is
// then its own angle, and "#KEYWORD#" becomes the empty text.
void tst_BadInput::mainKeywordEmptiedAfterTheBatch()
{
    ProgramFolder folder(TopicTemplate, AngleTemplate);
    MessageBoxScript boxes;
    MainWindow main(folder);
    SHOW(main);
    main.makeBatch(u"Herbs"_s, u"HERBS\r\nherbs in pots\r\n  "_s);
    QCOMPARE(main.rows(), 3);
    QCOMPARE(main.pick(0), u"T Herbs|400|"_s);

    pasteInto(main.mainKeyword, QString());
    QCOMPARE(main.mainKeyword->text(), QString());
    QCOMPARE(main.pick(1), u"A |herbs in pots|400|"_s);
    QCOMPARE(main.pick(0), u"A |herbs|400|"_s);
    QCOMPARE(main.pick(2), u"T |400|"_s);
    boxes.expect(DoneTitle, PromptsCopied);
    click(main.copyAll);
    VERIFY_BOXES_DONE(boxes);
    QCOMPARE(clipboardText(), allPromptsBlock(u"HERBS"_s, u"A |herbs|400|"_s) +
                                  allPromptsBlock(u"herbs in pots"_s, u"A |herbs in pots|400|"_s) +
                                  allPromptsBlock(u"  "_s, u"T |400|"_s));

    // A new batch needs the main keyword again.
    boxes.expect(MissingInfo, u"Please enter your main keyword."_s);
    click(main.create);
    VERIFY_BOXES_DONE(boxes);
    QCOMPARE(main.rows(), 0);
}

// ---------------------------------------------------------------------------
// The clipboard

// A batch whose "Copy to Clipboard (All)" text would pass frmMain::MaxCopyAllChars
// is refused with its size before any text is built, and the clipboard keeps
// what it held. Keywords whose angle holds a "#" take the step-by-step
// composition, the others the prepared one; both are counted.
void tst_BadInput::copyAllRefusesTooMuchText()
{
    const qsizetype templateSize = 3 * 1024 * 1024;
    const QByteArray angleTemplate = QByteArray(templateSize, 'x') + "#ANGLE#";
    ProgramFolder folder(TopicTemplate, angleTemplate);
    MessageBoxScript boxes;
    MainWindow main(folder);
    SHOW(main);

    QStringList keywords;
    qsizetype total = 0;
    for (int i = 0; total <= frmMain::MaxCopyAllChars; ++i) {
        const QString angle = (i % 2 ? u"#"_s : u"n"_s) + QString::number(i);
        const QString keyword = u"herbs "_s + angle;
        keywords.append(keyword);
        total += allPromptsBlock(keyword, QString()).size() + templateSize + angle.size();
    }
    QVERIFY(keywords.size() < 200);
    main.makeBatch(u"herbs"_s, keywords.join(u"\r\n"_s));
    QCOMPARE(main.rows(), keywords.size());

    const QString untouched = u"held before"_s;
    QGuiApplication::clipboard()->setText(untouched);
    boxes.expect(
        u"Too Much Text"_s,
        u"The prompts of this batch make "_s + QString::number(qRound64(double(total) / 1e6)) +
            u" million characters of text, more than can be copied at once (at most 268 million)."
            "\n\nPlease create the batch from fewer keywords and copy the prompts in parts."_s);
    click(main.copyAll);
    VERIFY_BOXES_DONE(boxes);
    QCOMPARE(clipboardText(), untouched);
    QCOMPARE(main.rows(), keywords.size());

    // A small part of the same batch copies whole.
    main.pasteKeywords(keywords.mid(0, 3).join(u"\r\n"_s));
    click(main.create);
    boxes.expect(DoneTitle, PromptsCopied);
    click(main.copyAll);
    VERIFY_BOXES_DONE(boxes);
    const QString body = QString(templateSize, u'x');
    QCOMPARE(clipboardText(), allPromptsBlock(keywords.at(0), body + u"n0"_s) +
                                  allPromptsBlock(keywords.at(1), body + u"#1"_s) +
                                  allPromptsBlock(keywords.at(2), body + u"n2"_s));
}

QTEST_MAIN(tst_BadInput)
#include "tst_badinput.moc"
