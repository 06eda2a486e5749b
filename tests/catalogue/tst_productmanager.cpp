// The product manager window, driven through its real controls over the main window.
#include "app/frmMain.h"
#include "catalogue/frmPro.h"
#include "testSupport.h"

#include <QtTest>
#include <QtWidgets>
#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#endif

using namespace Qt::StringLiterals;

namespace {

const QString MissingInfo = u"Missing Info"_s, Ooops = u"Ooops"_s, Confirm = u"Confirm"_s;
const QString InvalidFile = u"Invalid File"_s, CantOpen = u"The file can't be opened."_s;
constexpr auto px = [](int twips) { return (twips + 7) / 15; }; // 15 twips a pixel, rounded
const auto click = [](QWidget* widget) { QTest::mouseClick(widget, Qt::LeftButton); };

QStringList texts(const QAbstractItemModel* model)
{
    QStringList result;
    for (int row = 0; row < model->rowCount(); ++row)
        result.append(model->index(row, 0).data().toString());
    return result;
}

// Replaces the text of an entry box as a user does: select all, paste.
void typeInto(QLineEdit* box, const QString& text)
{
    QGuiApplication::clipboard()->setText(text);
    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
}

// Clicks the list item with this text; true when it is then the one selected.
bool clickItem(QListWidget* list, const QString& text)
{
    const QList<QListWidgetItem*> found = list->findItems(text, Qt::MatchExactly);
    const QRect place = found.size() == 1 ? list->visualItemRect(found.constFirst()) : QRect();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, place.center());
    return found.size() == 1 && list->selectedItems() == found;
}

// A program folder, the message-box answerer, the main window and the manager over it.
struct Manager
{
    ProgramFolder folder;
    MessageBoxScript boxes;
    std::unique_ptr<frmMain> main;
    std::unique_ptr<frmPro> pro;

    // Adds records "<name>", "ebook", "Does <name>", then opens the windows.
    bool open(const QStringList& records, bool withManager = true, bool fullEdition = true)
    {
        for (const QString& name : records)
            folder.writeRecord(name, name, u"ebook"_s, u"Does "_s + name);
        main = std::make_unique<frmMain>(fullEdition, folder.path());
        main->show();
        if (withManager)
            (pro = std::make_unique<frmPro>(*main))->show();
        return QTest::qWaitForWindowActive(pro ? static_cast<QWidget*>(pro.get()) : main.get());
    }
    frmPro* operator->() const { return pro.get(); }
    QMap<QString, QByteArray> files() const
    {
        QMap<QString, QByteArray> result;
        for (const QString& name :
             QDir(folder.productsPath()).entryList(QDir::Files | QDir::Hidden))
            result.insert(name, folder.read(u"products/"_s + name));
        return result;
    }
    QStringList fields() const
    {
        return {pro->txtProductName->text(), pro->txtFormat->text(), pro->txtDescription->text(),
                pro->txtFilename->text()};
    }
    void fill(const QStringList& texts) const // name, format, description, file name
    {
        const QList<QLineEdit*> entries = pro->frProduct->findChildren<QLineEdit*>();
        for (qsizetype i = 0; i < entries.size(); ++i)
            typeInto(entries.at(i), texts.value(i));
    }
    // "locked" (read-only, grey) or "open" (editable, white) file name box.
    QString lock() const
    {
        const bool locked = pro->txtFilename->isReadOnly();
        const QColor base = locked ? pro->palette().color(QPalette::Button) : QColor(Qt::white);
        const bool coloured = pro->txtFilename->palette().color(QPalette::Base) == base;
        return (locked ? u"locked"_s : u"open"_s) + (coloured ? u""_s : u" (wrong colour)"_s);
    }
    // How many of the controls that the panel lies over can be used.
    qsizetype usable() const
    {
        const QWidgetList covered{pro->cmdAddNew, pro->cmdEditProduct, pro->cmdDeleteProduct,
                                  pro->lstProductsFiltered, pro->cmdClose};
        return std::ranges::count_if(covered, &QWidget::isEnabled);
    }
};

// Both lists show these records, the product box its first, and none is selected.
#define VERIFY_LISTS(m, ...)                                                                       \
    do {                                                                                           \
        const QStringList wanted(__VA_ARGS__);                                                     \
        QCOMPARE(texts((m)->lstProductsFiltered->model()), wanted);                                \
        QCOMPARE(texts((m).main->cboPromoteProduct->model()), wanted);                             \
        QVERIFY((m)->lstProductsFiltered->selectedItems().isEmpty());                              \
        QCOMPARE((m).main->cboPromoteProduct->currentText(), wanted.value(0));                     \
    } while (false)

// Name, in the panel, caption, place in twips (no width: sized to its caption), bold.
using Placed = std::tuple<const char*, bool, const char*, QRect, bool>;
const Placed Layout[] = {
    {"Label1", false, "Products Database", {540, 360, 3480, 420}, true},
    {"cmdAddNew", false, "Add New Product", {540, 900, 2670, 510}, false},
    {"cmdEditProduct", false, "Edit Product", {3285, 900, 2265, 510}, false},
    {"cmdDeleteProduct", false, "Delete Product", {5625, 900, 2265, 510}, false},
    {"lstProductsFiltered", false, "", {540, 1620, 7350, 2985}, false},
    {"cmdClose", false, "Close", {2430, 5085, 3345, 600}, true},
    {"frProduct", false, "", {490, 800, 7395, 5190}, false},
    {"Label6", true, "Product Details", {540, 360, 0, 0}, true},
    {"Label2", true, "Product / Service Name:", {540, 945, 0, 0}, false},
    {"txtProductName", true, "", {2925, 855, 4065, 465}, false},
    {"Label3", true, "Format:", {540, 1620, 0, 0}, false},
    {"txtFormat", true, "", {1440, 1530, 2130, 465}, false},
    {"Label4", true, "ebook, software etc.", {3690, 1620, 0, 0}, false},
    {"Label5", true, "Quickly describe what the product / service does:", {540, 2205, 0, 0}, false},
    {"txtDescription", true, "", {540, 2610, 6405, 465}, false},
    {"Label7", true, "Filename:", {540, 3375, 0, 0}, false},
    {"txtFilename", true, "", {1620, 3240, 2400, 465}, false},
    {"Label8", true, ".txt", {4185, 3330, 0, 0}, false},
    {"cmdSave", true, "Save", {450, 4230, 3075, 600}, false},
    {"cmdCancel", true, "Cancel", {3690, 4230, 3075, 600}, false},
};

} // namespace

class tst_ProductManager : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { QVERIFY2(windowLeftOpen().isEmpty(), qPrintable(windowLeftOpen())); }

    // Save: the record written, or the checks in order (name, format, description, file name).
    void save_data()
    {
        QTest::addColumn<QString>("edit");     // the record file edited, or none: adding
        QTest::addColumn<QString>("typed");    // into the four boxes, separated by ';'
        QTest::addColumn<QString>("title");    // of the message, or none: saved
        QTest::addColumn<QString>("expected"); // message, or the record written
        const auto row = [](const char* tag, const QString& edit, const QString& typed,
                            const QString& title, const QString& expected) {
            QTest::newRow(tag) << edit << typed << title << expected;
        };
        const QString needs = u"Please enter %1 of the product / service."_s;
        const QString needFile = u"Please enter a filename to save this product / service."_s;
        row("line breaks become blanks", {}, u"Two\r\nLines;e\nbook;one\rtwo\u2028three;lines"_s,
            {}, u"Two Lines\r\ne book\r\none two three"_s);
        row("edited", u"taken.txt"_s, u"N;F;Changed;taken"_s, {}, u"N\r\nF\r\nChanged"_s);
        row("nothing", {}, u";;;"_s, MissingInfo, needs.arg(u"the name"_s));
        row("no format", {}, u"N;;;taken"_s, MissingInfo, needs.arg(u"the format"_s));
        row("no description", {}, u"N;F;;x."_s, MissingInfo, needs.arg(u"a description"_s));
        row("no file name", {}, u"N;F;D;"_s, MissingInfo, needFile);
        row("edited, no name", u".txt"_s, u"A;B;C;"_s, MissingInfo, needFile);
        row("taken", {}, u"N;F;D;taken"_s, Ooops,
            u"Oooops! That file is already in use. Please use another filename."_s);
        row("final dot", {}, u"N;F;D;x."_s, Ooops, // "x." exists: refused as unusable, not taken
            u"That filename can't be used. Please use another filename."_s);
        const QString saveError = u"There was an error saving the product file."_s;
        row("products folder gone", {}, u"N;F;D;new"_s, u"Error"_s, saveError);
#ifdef Q_OS_UNIX
        row("size limit", u"taken.txt"_s, u"N;F;Over 16 bytes;taken"_s, u"Error"_s, saveError);
#endif
    }
    void save()
    {
        QFETCH(QString, edit);
        QFETCH(QString, typed);
        const QByteArray tag = QTest::currentDataTag();
        QFETCH(QString, title);
        QFETCH(QString, expected);
        Manager m;
        QVERIFY(m.folder.write(u"products/.txt"_s, "A\r\nB\r\nC"));
        QVERIFY(m.open({u"taken"_s, u"x."_s, u"zebra"_s}));
        const QStringList listed = texts(m->lstProductsFiltered->model());
        m.main->cboPromoteProduct->setCurrentIndex(2); // the user had chosen another record
        QVERIFY(edit.isEmpty() || clickItem(m->lstProductsFiltered, edit.chopped(4)));
        click(edit.isEmpty() ? m->cmdAddNew : m->cmdEditProduct);
        const QStringList fields = typed.split(u';');
        m.fill(fields);
        QVERIFY(tag != "products folder gone" || QDir(m.folder.productsPath()).removeRecursively());
        QMap<QString, QByteArray> files = m.files();
        if (!title.isEmpty())
            m.boxes.expect(title, expected);
#ifdef Q_OS_UNIX
        rlimit saved{};
        ::getrlimit(RLIMIT_FSIZE, &saved);
        const rlimit limit{tag == "size limit" ? 16 : saved.rlim_cur, saved.rlim_max};
        const auto previous = std::signal(SIGXFSZ, SIG_IGN);
        ::setrlimit(RLIMIT_FSIZE, &limit);
#endif
        click(m->cmdSave);
#ifdef Q_OS_UNIX
        ::setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previous);
#endif
        QVERIFY(m.boxes.done());
        if (title.isEmpty()) {
            files.insert(fields.at(3) + u".txt"_s, expected.toUtf8());
            QVERIFY(m->frProduct->isHidden() && m.usable() == 5);
            QStringList names = listed + QStringList(edit.isEmpty() ? 1 : 0, fields.at(3));
            names.sort(Qt::CaseInsensitive);
            VERIFY_LISTS(m, names);
        } else {
            QCOMPARE(m.boxes.shown().constLast().style, int(modGeneral::vbInfoOk));
            QVERIFY(m->frProduct->isVisible());
            QCOMPARE(m.fields(), fields);
        }
        QCOMPARE(m.files(), files);
    }

    // Opening, Edit, an unchanged save, Cancel then Add, Edits that fail, keys, Delete.
    void openingAndEditing()
    {
        Manager m;
        const QByteArray stored("  Kr\xC3\xA4uter \r\n pdf\r\nF\xC3\xBCr Anf\xC3\xA4nger  ");
        QVERIFY(m.folder.write(u"products/beta.txt"_s, stored) &&
                m.folder.write(u"products/short.txt"_s, "Short"));
        QVERIFY(m.open({u"alpha"_s}));
        const auto pressStartsNothing = [&m](QWidget* target, Qt::Key key) { // Esc, Return, Enter
            const bool panelShown = m->frProduct->isVisible();
            target->setFocus();
            QTest::keyClick(target, key);
            QVERIFY(m->isVisible() && m->result() == 0 && m->frProduct->isVisible() == panelShown);
        };
        QCOMPARE(m->windowTitle(), u"Pro Settings"_s);
        const QSize size(px(8610), px(6315)); // fixed
        QVERIFY(m->isModal() && m->minimumSize() == size && m->maximumSize() == size);
        const QPoint centre = m->screen()->availableGeometry().center();
        QVERIFY((m->frameGeometry().center() - centre).manhattanLength() <= 2);
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(m->cmdClose));
        for (const auto& [name, inPanel, text, twips, bold] : Layout) {
            auto* c = m->findChild<QWidget*>(QLatin1StringView(name));
            QVERIFY2(c && (c->parentWidget() == m->frProduct) == inPanel, name);
            const QSize sized =
                twips.width() ? QSize(px(twips.width()), px(twips.height())) : c->sizeHint();
            QVERIFY2(c->geometry() == QRect(QPoint(px(twips.x()), px(twips.y())), sized), name);
            QVERIFY2(c->property("text").toString() == QString::fromUtf8(text), name);
            QVERIFY2(c->font().bold() == bold, name);
        }
        VERIFY_LISTS(m, {u"alpha"_s, u"beta"_s, u"short"_s});
        QVERIFY(m->frProduct->isHidden() && m.usable() == 5);
        pressStartsNothing(m->cmdClose, Qt::Key_Escape);
        QMap<QString, QByteArray> files = m.files();
        m.boxes.expect(InvalidFile, CantOpen); // nothing selected
        click(m->cmdEditProduct);
        QVERIFY(m.boxes.done() && m->frProduct->isHidden());

        QVERIFY(clickItem(m->lstProductsFiltered, u"beta"_s));
        pressStartsNothing(m->lstProductsFiltered, Qt::Key_Return);
        click(m->cmdEditProduct);
        QCOMPARE(m.fields(), QString::fromUtf8(stored).split(u"\r\n"_s) << u"beta"_s);
        QCOMPARE(m.lock(), u"locked"_s);
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(m->txtProductName));
        QCOMPARE(m.usable(), 0);
        pressStartsNothing(m->cmdSave, Qt::Key_Return);
        typeInto(m->txtFilename, u"renamed"_s);
        click(m->cmdSave);
        QCOMPARE(m.files(), files); // the same bytes under the same name

        QVERIFY(clickItem(m->lstProductsFiltered, u"alpha"_s));
        const QRect alpha = m->lstProductsFiltered->visualItemRect(m->lstProductsFiltered->item(0));
        QTest::mouseDClick(m->lstProductsFiltered->viewport(), Qt::LeftButton, {}, alpha.center());
        typeInto(m->txtDescription, u"half edited"_s);
        click(m->cmdCancel);
        QVERIFY(m->frProduct->isHidden() && m.usable() == 5);
        QCOMPARE(m.fields(), (QStringList{u"alpha"_s, u"ebook"_s, u"half edited"_s, u"alpha"_s}));
        click(m->cmdAddNew); // clears the boxes and unlocks the file name
        QCOMPARE(m.fields(), QStringList(4));
        QCOMPARE(m.lock(), u"open"_s);
        pressStartsNothing(m->txtFilename, Qt::Key_Enter);
        m.fill({u"name"_s, u"format"_s, u"description"_s, u"file"_s});
        click(m->cmdCancel);
        QVERIFY(clickItem(m->lstProductsFiltered, u"short"_s)); // boxes filled keep their text
        m.boxes.expect(InvalidFile, CantOpen);
        click(m->cmdEditProduct);
        QVERIFY(m.boxes.done() && m->frProduct->isHidden() && m.usable() == 5);
        QCOMPARE(m.fields(), (QStringList{u"Short"_s, u"format"_s, u"description"_s, u"file"_s}));

        QVERIFY(QFile::remove(m.folder.recordPath(u"short"_s))); // behind the program's back
        files.remove(u"short.txt"_s);
        m.boxes.expect(Confirm, u"Delete file?"_s, modGeneral::vbYes);
        m.boxes.expect(u"Error"_s, u"There was an error with the deletion of the selected file."_s);
        click(m->cmdDeleteProduct);
        m.boxes.expect(Confirm, u"Delete file?"_s, modGeneral::vbNo);
        click(m->cmdDeleteProduct);
        QVERIFY(m.boxes.done() && m.boxes.shown().constLast().style == modGeneral::vbQuestionYesNo);
        QCOMPARE(m.files(), files);
        for (const QString& name : {u"alpha"_s, u"beta"_s}) { // the box moves on
            QVERIFY(clickItem(m->lstProductsFiltered, name));
            m.boxes.expect(Confirm, u"Delete file?"_s, modGeneral::vbYes);
            m.boxes.expect(u"Done"_s, u"Done."_s);
            click(m->cmdDeleteProduct);
            QVERIFY(m.boxes.done());
            files.remove(name + u".txt"_s);
            QCOMPARE(m.files(), files);
            VERIFY_LISTS(m, QStringList(files.keys()).replaceInStrings(u".txt"_s, QString()));
        }
        m.boxes.expect(u"Nothing to delete"_s, u"Please select a product first."_s);
        click(m->cmdDeleteProduct);
        click(m->cmdEditProduct); // nothing listed: nothing to open
        QVERIFY(m.boxes.done() && m->frProduct->isHidden());
    }

    // "Manage" opens a new manager modally each time; the basic edition never does.
    void manageLink()
    {
        for (const bool fullEdition : {true, false}) {
            Manager m;
            QVERIFY(m.open({u"beta"_s}, false, fullEdition));
            auto* manage = m.main->findChild<QWidget*>(u"Label11"_s);
            QVERIFY(manage && manage->isVisible() == fullEdition);
            QList<bool> fresh; // per manager opened: modal over the main window, at its start
            QTimer watch;
            connect(&watch, &QTimer::timeout, m.main.get(), [&] {
                if (auto* pro = qobject_cast<frmPro*>(QApplication::activeModalWidget())) {
                    fresh << (pro->parentWidget() == m.main.get() && pro->frProduct->isHidden() &&
                              pro->txtFilename->text().isEmpty());
                    click(pro->cmdAddNew);
                    typeInto(pro->txtFilename, u"left behind"_s);
                    pro->close();
                }
            });
            watch.start(0);
            click(manage); // in the basic edition: events sent straight to the hidden link
            manage->setFocus();
            QTest::keyClick(manage, Qt::Key_Space);
            QCOMPARE(fresh, QList<bool>(fullEdition ? 2 : 0, true));
        }
    }
};

QTEST_MAIN(tst_ProductManager)
#include "tst_productmanager.moc"
