#pragma once

#include "catalogue/productCatalogue.h"
#include "components/dataPaths.h"
#include "components/holderList.h"
#include "components/tsFile.h"
#include "components/tsTools.h"
#include "prompts/batchRules.h"
#include "prompts/composition.h"
#include "prompts/promptExport.h"

#include <QWidget>

#include <memory>

namespace Ui {
class frmMain;
}
class PromptListModel;
class QItemSelection;

// The main window: keywords on the left, prompts on the right, and in the full
// edition the strip that promotes a product.
//
// The controls keep the names of the program's design, and so do their
// handlers (Command1_Click...). Where such a name does not say the role:
//   lblSaveasPDF       "Copy to Clipboard (All)"
//   lblCopyToClipboard "Copy to Clipboard (Selected)"
//   Label11            "Manage", which opens the product manager
//   lblPicKeywords     "Keyword Ideas"
//   Command1           "Close"
//   frPro              the product-promotion strip
//   txtSelectedKeyword the long-tail keywords; txtPrompt the prompt shown
//   txtPromptBasic     the topic template; txtPromptPro the angle template
//   mnuExportAll       the prompt list's "Export All Prompts..." (Ctrl+S) The controls, their
//   places and
// names come from frmMain.ui; frmMain.cpp holds, in this order:
//   start-up, "Close" and "Keyword Ideas";
//   the templates and the composition of one prompt;
//   the batch and the prompt list;
//   the two clipboard copies;
//   the prompt list's menu and the export of all prompts to a file;
//   the product box, the promoted product and the "Manage" link, which asks for the product
//   manager (productManager.h opens it).
class frmMain final : public QWidget
{
    Q_OBJECT
public:
    // `fullEdition` decides whether the product-promotion strip is shown;
    // `programFolder` is where templates/ and products/ are looked for.
    explicit frmMain(bool fullEdition,
                     const QString& programFolder = DataPaths::applicationFolder(),
                     QWidget* parent = nullptr);
    ~frmMain() override;

    // Refills the product box from the products folder and shows its first
    // record. Runs at start-up and whenever the product manager changed a record.
    void LoadProducts();

    // Tells the user, once the window is on screen, what start-up could not
    // read. Does nothing when all went well.
    void reportStartupProblems();

    // What a prompt is composed from now: the templates and the fields.
    PromptFields currentFields() const;

    // The web address that "Keyword Ideas" opens (a build setting).
    static QString keywordIdeasAddress();

Q_SIGNALS:
    // "Manage" was used in the full edition: the product manager should open over this window
    // on its catalogue, and call LoadProducts() after each change it makes.
    void productManagerRequested(const ProductCatalogue& catalogue);

private:
    // Hidden holders: the window's working storage.
    QString txtPromptBasic; // topic template
    QString txtPromptPro;   // angle template
    HolderList lstKeywords;
    QString txtProductName; // the chosen product, kept in the hidden Frame2
    QString txtFormat;
    QString txtDescription;

    // Components.
    tsFile tsFile1;
    tsTools tsTools1;

    void Form_Load(bool fullEdition);
    void LoadTemplates();
    bool LoadPromotedProduct();
    std::optional<QString> ComposePrompt(const QString& keyword) const;

    void Command1_Click();
    void lblPicKeywords_Click();
    void chkPromoteProduct_Click();
    void Label11_Click();
    void cmdCreatePrompt_Click();
    void lstPrompts_Click(const QItemSelection& selected);
    void lblCopyToClipboard_Click();
    void lblSaveasPDF_Click();
    void mnuExportAll_Click();

    std::unique_ptr<Ui::frmMain> ui;
    DataPaths m_paths;
    ProductCatalogue m_catalogue;
    PromptListModel* m_promptModel = nullptr;
    QList<BatchRules::UnreadFile> m_unreadTemplates; // the templates start-up could not read
    QString m_exportFolder; // where the last export of this run went, and its format
    PromptExport::Format m_exportFormat = PromptExport::Format::Text;
};
