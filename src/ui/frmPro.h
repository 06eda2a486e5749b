#pragma once

#include "components/holderList.h"

#include <QDialog>
#include <QHash>

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

    // Hidden holders.
    HolderList lstProducts;
    HolderList lstFileContent;

Q_SIGNALS:
    void recordsChanged();

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Form_Load();
    void RefreshProductList();
    QString selectedRecordName() const;
    void setPanelShown(bool shown);
    void setFilenameLocked(bool locked);
    bool filenameLocked() const;
    void say(const QString& title, const QString& text);

    void cmdAddNew_Click();
    void cmdEditProduct_Click();
    void cmdSave_Click();
    void cmdCancel_Click();
    void cmdDeleteProduct_Click();
    void cmdClose_Click();

    void refuseChanged();

    std::unique_ptr<Ui::frmPro> ui;
    const ProductCatalogue& m_catalogue;
    QHash<QString, QString> m_listedStamps; // record name -> its state when listed
    QString m_openedText;                   // the edited record's text when Edit opened it
    QString m_openedRest;                   // ...and its lines past the third
    bool m_centred = false;
};
