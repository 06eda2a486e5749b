#include "frmPro.h"

#include "app/frmMain.h"
#include "app/modGeneral.h"
#include "app/uiLook.h"
#include "productRecord.h"

#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

using uiLook::twips;

namespace {

template <typename Widget>
Widget* named(Widget* widget, const char* name, const QFont& font)
{
    widget->setObjectName(QLatin1StringView(name));
    widget->setFont(font);
    return widget;
}

QPushButton* button(QWidget* parent, const char* name, const QString& text, const QRect& geometry,
                    bool bold = false)
{
    auto* b = named(new QPushButton(text, parent), name, uiLook::font(uiLook::LabelSize, bold));
    b->setGeometry(geometry);
    b->setAutoDefault(false);
    return b;
}

// A label placed by its top-left corner and as wide as its text.
QLabel* label(QWidget* parent, const char* name, const QString& text, int left, int top,
              bool bold = false)
{
    auto* l = named(new QLabel(text, parent), name, uiLook::font(uiLook::LabelSize, bold));
    l->move(uiLook::px(left), uiLook::px(top));
    l->adjustSize();
    return l;
}

QLineEdit* lineEdit(QWidget* parent, const char* name, const QRect& geometry)
{
    auto* e = named(new QLineEdit(parent), name, uiLook::font(uiLook::InputSize));
    e->setGeometry(geometry);
    return e;
}

const QString MissingInfo = QStringLiteral("Missing Info");

} // namespace

frmPro::frmPro(frmMain& mainWindow)
    : QDialog(&mainWindow)
    , m_main(mainWindow)
{
    buildControls();
    Form_Load();
}

void frmPro::buildControls()
{
    setObjectName(QStringLiteral("frmPro"));
    setWindowTitle(QStringLiteral("Pro Settings"));
    setModal(true);
    setFixedSize(uiLook::px(8610), uiLook::px(6315));
    setFont(uiLook::font(uiLook::LabelSize));

    Label1 = named(new QLabel(QStringLiteral("Products Database"), this), "Label1",
                   uiLook::font(uiLook::FrameTitleSize, true));
    Label1->setGeometry(twips(540, 360, 3480, 420));
    cmdAddNew = button(this, "cmdAddNew", QStringLiteral("Add New Product"), twips(540, 900, 2670, 510));
    cmdEditProduct = button(this, "cmdEditProduct", QStringLiteral("Edit Product"), twips(3285, 900, 2265, 510));
    cmdDeleteProduct =
        button(this, "cmdDeleteProduct", QStringLiteral("Delete Product"), twips(5625, 900, 2265, 510));
    lstProductsFiltered = named(new QListWidget(this), "lstProductsFiltered", uiLook::font(uiLook::InputSize));
    lstProductsFiltered->setGeometry(twips(540, 1620, 7350, 2985));
    lstProductsFiltered->setSelectionMode(QAbstractItemView::SingleSelection);
    lstProductsFiltered->setUniformItemSizes(true);
    cmdClose = button(this, "cmdClose", QStringLiteral("Close"), twips(2430, 5085, 3345, 600), true);

    frProduct = named(new QGroupBox(this), "frProduct", uiLook::font(uiLook::LabelSize));
    frProduct->resize(uiLook::px(7395), uiLook::px(5190));
    frProduct->setAutoFillBackground(true);
    frProduct->hide();
    Label6 = label(frProduct, "Label6", QStringLiteral("Product Details"), 540, 360, true);
    Label2 = label(frProduct, "Label2", QStringLiteral("Product / Service Name:"), 540, 945);
    txtProductName = lineEdit(frProduct, "txtProductName", twips(2925, 855, 4065, 465));
    Label3 = label(frProduct, "Label3", QStringLiteral("Format:"), 540, 1620);
    txtFormat = lineEdit(frProduct, "txtFormat", twips(1440, 1530, 2130, 465));
    Label4 = label(frProduct, "Label4", QStringLiteral("ebook, software etc."), 3690, 1620);
    uiLook::setTextColor(Label4, uiLook::HintGrey);
    Label5 = label(frProduct, "Label5", QStringLiteral("Quickly describe what the product / service does:"),
                   540, 2205);
    txtDescription = lineEdit(frProduct, "txtDescription", twips(540, 2610, 6405, 465));
    Label7 = label(frProduct, "Label7", QStringLiteral("Filename:"), 540, 3375);
    txtFilename = lineEdit(frProduct, "txtFilename", twips(1620, 3240, 2400, 465));
    Label8 = label(frProduct, "Label8", QStringLiteral(".txt"), 4185, 3330);
    cmdSave = button(frProduct, "cmdSave", QStringLiteral("Save"), twips(450, 4230, 3075, 600));
    cmdCancel = button(frProduct, "cmdCancel", QStringLiteral("Cancel"), twips(3690, 4230, 3075, 600));
    setFilenameLocked(false);

    const QList<QWidget*> order = {cmdClose,       cmdAddNew, cmdEditProduct, cmdDeleteProduct,
                                   lstProductsFiltered, txtProductName, txtFormat, txtDescription,
                                   txtFilename,    cmdSave,   cmdCancel};
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order.at(i - 1), order.at(i));
    cmdClose->setFocus();

    connect(cmdAddNew, &QPushButton::clicked, this, &frmPro::cmdAddNew_Click);
    connect(cmdEditProduct, &QPushButton::clicked, this, &frmPro::cmdEditProduct_Click);
    connect(lstProductsFiltered, &QListWidget::itemDoubleClicked, this, &frmPro::cmdEditProduct_Click);
    connect(cmdDeleteProduct, &QPushButton::clicked, this, &frmPro::cmdDeleteProduct_Click);
    connect(cmdSave, &QPushButton::clicked, this, &frmPro::cmdSave_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmPro::cmdCancel_Click);
    connect(cmdClose, &QPushButton::clicked, this, &frmPro::cmdClose_Click);
}

void frmPro::Form_Load()
{
    // The panel sits just above and left of "Add New Product".
    frProduct->move(uiLook::px(540 - 50), uiLook::px(900 - 100));
    RefreshProductList();
}

void frmPro::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!m_centred) {
        m_centred = true;
        uiLook::centreOnScreen(this);
    }
}

void frmPro::keyPressEvent(QKeyEvent* event)
{
    // No default and no cancel button: Enter and Esc start nothing.
    switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        event->accept();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

void frmPro::RefreshProductList()
{
    lstProducts.clear();
    lstProductsFiltered->clear();
    QStringList names;
    ProductRecords::listRecordNames(m_main.tsFile1, m_main.paths().productsFolder(), lstProducts, names);
    lstProductsFiltered->addItems(names);
    lstProductsFiltered->setCurrentRow(-1);
    lstProductsFiltered->clearSelection();
}

QString frmPro::selectedRecordName() const
{
    const QList<QListWidgetItem*> selected = lstProductsFiltered->selectedItems();
    return selected.isEmpty() ? QString() : selected.constFirst()->text();
}

void frmPro::setPanelShown(bool shown)
{
    // The panel covers the list and the buttons under it; they cannot be
    // reached with the keyboard either while it is up.
    for (QWidget* covered : {static_cast<QWidget*>(cmdAddNew), static_cast<QWidget*>(cmdEditProduct),
                             static_cast<QWidget*>(cmdDeleteProduct),
                             static_cast<QWidget*>(lstProductsFiltered), static_cast<QWidget*>(cmdClose)})
        covered->setEnabled(!shown);
    frProduct->setVisible(shown);
    if (shown)
        frProduct->raise();
}

void frmPro::setFilenameLocked(bool locked)
{
    txtFilename->setReadOnly(locked);
    QPalette palette = txtFilename->palette();
    palette.setColor(QPalette::Base, locked ? palette.color(QPalette::Button) : QColor(255, 255, 255));
    txtFilename->setPalette(palette);
}

void frmPro::cmdAddNew_Click()
{
    txtProductName->clear();
    txtDescription->clear();
    txtFormat->clear();
    txtFilename->clear();
    setFilenameLocked(false);
    setPanelShown(true);
}

void frmPro::cmdEditProduct_Click()
{
    if (!lstProducts.hasCurrent())
        return;
    const QString name = selectedRecordName();
    lstFileContent.clear();
    const auto fillFrom = [this](qsizetype line, QLineEdit* box) {
        QString text;
        if (!lstFileContent.select(line, &text))
            return false;
        box->setText(text);
        return true;
    };
    if (!m_main.tsFile1.LoadListFile(lstFileContent, m_main.paths().recordFile(name))
        || !fillFrom(0, txtProductName) || !fillFrom(1, txtFormat) || !fillFrom(2, txtDescription)) {
        modGeneral::MsgBox(this, QStringLiteral("The file can't be opened."), modGeneral::vbInfoOk,
                           QStringLiteral("Invalid File"));
        return;
    }
    txtFilename->setText(name);
    setFilenameLocked(true);
    setPanelShown(true);
    txtProductName->setFocus();
}

void frmPro::cmdSave_Click()
{
    const auto refuse = [this](const QString& text, const QString& title) {
        modGeneral::MsgBox(this, text, modGeneral::vbInfoOk, title);
    };
    if (txtProductName->text().isEmpty())
        return refuse(QStringLiteral("Please enter the name of the product / service."), MissingInfo);
    if (txtFormat->text().isEmpty())
        return refuse(QStringLiteral("Please enter the format of the product / service."), MissingInfo);
    if (txtDescription->text().isEmpty())
        return refuse(QStringLiteral("Please enter a description of the product / service."), MissingInfo);

    const QString name = txtFilename->text();
    const QString path = m_main.paths().recordFile(name);
    const QString enterFilename = QStringLiteral("Please enter a filename to save this product / service.");
    if (!txtFilename->isReadOnly()) {
        switch (ProductRecords::checkNewRecordName(name)) {
        case ProductRecords::NameCheck::Empty:
            return refuse(enterFilename, MissingInfo);
        case ProductRecords::NameCheck::Unusable:
            return refuse(QStringLiteral("That filename can't be used. Please use another filename."),
                          QStringLiteral("Ooops"));
        case ProductRecords::NameCheck::Ok:
            break;
        }
        if (m_main.tsFile1.FileExists(path, false))
            return refuse(QStringLiteral("Oooops! That file is already in use. Please use another filename."),
                          QStringLiteral("Ooops"));
    } else if (name.isEmpty()) {
        return refuse(enterFilename, MissingInfo);
    }

    txtFileContent = ProductRecord{txtProductName->text(), txtFormat->text(), txtDescription->text()}.fileText();
    if (!m_main.tsFile1.SaveTextFile(txtFileContent, path))
        return refuse(QStringLiteral("There was an error saving the product file."), QStringLiteral("Error"));
    RefreshProductList();
    m_main.LoadProducts();
    setPanelShown(false);
}

void frmPro::cmdCancel_Click()
{
    setPanelShown(false);
}

void frmPro::cmdDeleteProduct_Click()
{
    if (lstProductsFiltered->selectedItems().isEmpty()) {
        modGeneral::MsgBox(this, QStringLiteral("Please select a product first."), modGeneral::vbInfoOk,
                           QStringLiteral("Nothing to delete"));
        return;
    }
    if (modGeneral::MsgBox(this, QStringLiteral("Delete file?"), modGeneral::vbQuestionYesNo,
                           QStringLiteral("Confirm"))
        != modGeneral::vbYes)
        return;
    if (!m_main.tsFile1.DeleteFile(m_main.paths().recordFile(selectedRecordName()))) {
        modGeneral::MsgBox(this, QStringLiteral("There was an error with the deletion of the selected file."),
                           modGeneral::vbInfoOk, QStringLiteral("Error"));
        return;
    }
    modGeneral::MsgBox(this, QStringLiteral("Done."), modGeneral::vbInfoOk, QStringLiteral("Done"));
    RefreshProductList();
    m_main.LoadProducts();
}

void frmPro::cmdClose_Click()
{
    close();
}
