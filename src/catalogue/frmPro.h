#pragma once

#include "components/holderList.h"

#include <QDialog>

class frmMain;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

// The product manager: lists the product records by name and adds, edits and
// deletes them. It works through the main window's file service and tells the
// main window to refill its product box after every change.
class frmPro final : public QDialog
{
    Q_OBJECT
public:
    explicit frmPro(frmMain& mainWindow);

    QLabel* Label1 = nullptr;
    QPushButton* cmdAddNew = nullptr;
    QPushButton* cmdEditProduct = nullptr;
    QPushButton* cmdDeleteProduct = nullptr;
    QListWidget* lstProductsFiltered = nullptr;
    QPushButton* cmdClose = nullptr;

    QGroupBox* frProduct = nullptr;
    QLabel* Label6 = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* txtProductName = nullptr;
    QLabel* Label3 = nullptr;
    QLineEdit* txtFormat = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label5 = nullptr;
    QLineEdit* txtDescription = nullptr;
    QLabel* Label7 = nullptr;
    QLineEdit* txtFilename = nullptr;
    QLabel* Label8 = nullptr;
    QPushButton* cmdSave = nullptr;
    QPushButton* cmdCancel = nullptr;

    // Hidden holders.
    HolderList lstProducts;
    HolderList lstFileContent;
    QString txtFileContent;

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void buildControls();
    void Form_Load();
    void RefreshProductList();
    QString selectedRecordName() const;
    void setPanelShown(bool shown);
    void setFilenameLocked(bool locked);

    void cmdAddNew_Click();
    void cmdEditProduct_Click();
    void cmdSave_Click();
    void cmdCancel_Click();
    void cmdDeleteProduct_Click();
    void cmdClose_Click();

    frmMain& m_main;
    bool m_centred = false;
};
