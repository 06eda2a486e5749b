#pragma once

#include "components/holderList.h"

#include <QDialog>

#include <memory>

namespace Ui {
class frmPro;
}
class ProductCatalogue;

// The product manager: lists the product records by name and adds, edits and
// deletes them through the catalogue it is given. Its controls come from
// frmPro.ui. After every change to the folder it says so with recordsChanged().
class frmPro final : public QDialog
{
    Q_OBJECT
public:
    explicit frmPro(const ProductCatalogue& catalogue, QWidget* parent = nullptr);
    ~frmPro() override;

Q_SIGNALS:
    void recordsChanged();

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // Hidden holders.
    HolderList lstProducts;
    HolderList lstFileContent;

    void Form_Load();
    void RefreshProductList();
    QString selectedRecordName() const;
    void setPanelShown(bool shown);
    void setFilenameLocked(bool locked);
    bool filenameLocked() const;

    void cmdAddNew_Click();
    void cmdEditProduct_Click();
    void cmdSave_Click();
    void cmdCancel_Click();
    void cmdDeleteProduct_Click();
    void cmdClose_Click();

    std::unique_ptr<Ui::frmPro> ui;
    const ProductCatalogue& m_catalogue;
    QString m_openedRest; // the edited record's lines past the third, kept on Save
    bool m_centred = false;
};
