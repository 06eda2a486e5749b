#include "frmPro.h"

#include "catalogue/productCatalogue.h"
#include "components/tsFile.h"
#include "modGeneral.h"
#include "ui_frmPro.h"
#include "uiLook.h"

#include <QKeyEvent>

frmPro::frmPro(const ProductCatalogue& catalogue, QWidget* parent)
    : QDialog(parent)
    , ui(std::make_unique<Ui::frmPro>())
    , m_catalogue(catalogue)
{
    ui->setupUi(this);
    uiLook::apply(this);
    setFixedSize(size());
    ui->frProduct->hide();
    setFilenameLocked(false);
    ui->cmdClose->setFocus();

    connect(ui->cmdAddNew, &QPushButton::clicked, this, &frmPro::cmdAddNew_Click);
    connect(ui->cmdEditProduct, &QPushButton::clicked, this, &frmPro::cmdEditProduct_Click);
    connect(ui->lstProductsFiltered, &QListWidget::itemDoubleClicked, this,
            &frmPro::cmdEditProduct_Click);
    connect(ui->cmdDeleteProduct, &QPushButton::clicked, this, &frmPro::cmdDeleteProduct_Click);
    connect(ui->cmdSave, &QPushButton::clicked, this, &frmPro::cmdSave_Click);
    connect(ui->cmdCancel, &QPushButton::clicked, this, &frmPro::cmdCancel_Click);
    connect(ui->cmdClose, &QPushButton::clicked, this, &frmPro::cmdClose_Click);

    Form_Load();
}

frmPro::~frmPro() = default;

void frmPro::Form_Load()
{
    // The panel sits just above and left of "Add New Product".
    ui->frProduct->move(ui->cmdAddNew->pos() - QPoint(uiLook::px(50), uiLook::px(100)));
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
    ui->lstProductsFiltered->clear();
    const QStringList names = m_catalogue.list(&lstProducts);
    ui->lstProductsFiltered->addItems(names);
    ui->lstProductsFiltered->setCurrentRow(-1);
    ui->lstProductsFiltered->clearSelection();
}

QString frmPro::selectedRecordName() const
{
    const QList<QListWidgetItem*> selected = ui->lstProductsFiltered->selectedItems();
    return selected.isEmpty() ? QString() : selected.constFirst()->text();
}

void frmPro::setPanelShown(bool shown)
{
    // The panel covers the list and the buttons under it; they cannot be
    // reached with the keyboard either while it is up.
    for (QWidget* covered : QWidgetList{ui->cmdAddNew, ui->cmdEditProduct, ui->cmdDeleteProduct,
                                        ui->lstProductsFiltered, ui->cmdClose})
        covered->setEnabled(!shown);
    ui->frProduct->setVisible(shown);
    if (shown)
        ui->frProduct->raise();
}

void frmPro::setFilenameLocked(bool locked)
{
    QLineEdit* box = ui->txtFilename;
    box->setReadOnly(locked);
    QPalette palette = box->palette();
    palette.setColor(QPalette::Base, locked ? palette.color(QPalette::Button) : QColor(Qt::white));
    box->setPalette(palette);
}

bool frmPro::filenameLocked() const
{
    return ui->txtFilename->isReadOnly();
}

void frmPro::cmdAddNew_Click()
{
    ui->txtProductName->clear();
    ui->txtDescription->clear();
    ui->txtFormat->clear();
    ui->txtFilename->clear();
    setFilenameLocked(false);
    setPanelShown(true);
}

void frmPro::cmdEditProduct_Click()
{
    if (!lstProducts.hasCurrent())
        return;
    const QString name = selectedRecordName();
    // The boxes are filled one line at a time; those filled before a missing
    // line keep their new text.
    lstFileContent.clear();
    const std::optional<ProductRecord> record = m_catalogue.record(name, &lstFileContent.items);
    for (QLineEdit* box : {ui->txtProductName, ui->txtFormat, ui->txtDescription}) {
        QString text;
        if (!lstFileContent.select(lstFileContent.current + 1, &text))
            break;
        box->setText(text);
    }
    if (!record)
        return modGeneral::Show(this, ProductCatalogue::unusableRecord());
    m_openedRest = record->rest;
    ui->txtFilename->setText(name);
    setFilenameLocked(true);
    setPanelShown(true);
    ui->txtProductName->setFocus();
}

void frmPro::cmdSave_Click()
{
    const bool editing = filenameLocked();
    const ProductRecord record{ui->txtProductName->text(), ui->txtFormat->text(),
                               ui->txtDescription->text(), editing ? m_openedRest : QString()};
    const QString name = ui->txtFilename->text();
    if (const Verdict refusal = m_catalogue.checkSave(record, name, !editing))
        return modGeneral::Show(this, *refusal);
    if (!m_catalogue.save(name, record))
        return modGeneral::Show(this, ProductCatalogue::saveFailed());
    RefreshProductList();
    Q_EMIT recordsChanged();
    setPanelShown(false);
}

void frmPro::cmdCancel_Click()
{
    setPanelShown(false);
}

void frmPro::cmdDeleteProduct_Click()
{
    if (ui->lstProductsFiltered->selectedItems().isEmpty())
        return modGeneral::Show(this, ProductCatalogue::nothingSelected());
    if (!modGeneral::Ask(this, ProductCatalogue::confirmDelete()))
        return;
    if (!m_catalogue.remove(selectedRecordName()))
        return modGeneral::Show(this, ProductCatalogue::deleteFailed());
    modGeneral::Show(this, ProductCatalogue::deleted());
    RefreshProductList();
    Q_EMIT recordsChanged();
}

void frmPro::cmdClose_Click()
{
    close();
}
