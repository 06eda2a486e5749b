// The main window's side of the product catalogue: the product box, the
// promoted product, and the way into the product manager.
#include "app/frmMain.h"
#include "app/modGeneral.h"
#include "frmPro.h"
#include "productRecord.h"

#include <QComboBox>
#include <QFrame>

void frmMain::LoadProducts()
{
    lstProducts.clear();
    cboPromoteProduct->clear();
    QStringList names;
    ProductRecords::listRecordNames(tsFile1, m_paths.productsFolder(), lstProducts, names);
    cboPromoteProduct->addItems(names);
    if (cboPromoteProduct->count() > 0)
        cboPromoteProduct->setCurrentIndex(0);
}

bool frmMain::LoadPromotedProduct()
{
    lstFileContent.clear();
    const QString name = cboPromoteProduct->currentText();
    // The box may hold typed text: only a plain name inside the products
    // folder is looked up, and the product fields change only when the whole
    // record could be read.
    if (ProductRecords::isPlainRecordName(name)
        && tsFile1.LoadListFile(lstFileContent, m_paths.recordFile(name)) && lstFileContent.count() >= 3) {
        lstFileContent.select(0, &txtProductName);
        lstFileContent.select(1, &txtFormat);
        lstFileContent.select(2, &txtDescription);
        return true;
    }
    modGeneral::MsgBox(this, QStringLiteral("The file can't be opened."), modGeneral::vbInfoOk,
                       QStringLiteral("Invalid File"));
    return false;
}

void frmMain::Label11_Click()
{
    if (frPro->isHidden())
        return;
    frmPro manager(*this);
    manager.exec();
}
