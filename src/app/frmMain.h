#pragma once

#include "components/dataPaths.h"
#include "components/holderList.h"
#include "components/tsFile.h"
#include "components/tsParser.h"
#include "components/tsTools.h"
#include "prompts/promptComposer.h"

#include <QWidget>

class LinkLabel;
class PromptListModel;
class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QItemSelection;
class QLabel;
class QLineEdit;
class QListView;
class QPlainTextEdit;
class QPushButton;

// The main window: keywords on the left, prompts on the right, and in the full
// edition the strip that promotes a product.
class frmMain final : public QWidget
{
    Q_OBJECT
public:
    // `fullEdition` decides whether the product-promotion strip is shown;
    // `programFolder` is where templates/ and products/ are looked for.
    explicit frmMain(bool fullEdition, const QString& programFolder = DataPaths::applicationFolder(),
                     QWidget* parent = nullptr);
    ~frmMain() override;

    // Refills the product box from the products folder and shows its first
    // record. The product manager calls it after every change to the folder.
    void LoadProducts();

    // Tells the user, once the window is on screen, what start-up could not
    // read. Does nothing when all went well.
    void reportStartupProblems();

    const DataPaths& paths() const { return m_paths; }

    // The web address that "Keyword Ideas" opens (a build setting).
    static QString keywordIdeasAddress();

    // The largest "Copy to Clipboard (All)" text, in characters.
    static constexpr qsizetype MaxCopyAllChars = qsizetype(256) * 1024 * 1024;

    // Visible controls.
    QWidget* Picture1 = nullptr;
    QLabel* lblSoftwareName = nullptr;
    QGroupBox* Frame4 = nullptr;
    QLabel* Label9 = nullptr;
    QLineEdit* txtMainKeyword = nullptr;
    QLabel* Label10 = nullptr;
    LinkLabel* lblPicKeywords = nullptr;
    QPlainTextEdit* txtSelectedKeyword = nullptr;
    QGroupBox* Frame3 = nullptr;
    QLabel* Label12 = nullptr;
    QLineEdit* txtApproxWords = nullptr;
    QFrame* frPro = nullptr;
    QCheckBox* chkPromoteProduct = nullptr;
    QComboBox* cboPromoteProduct = nullptr;
    LinkLabel* Label11 = nullptr;
    QPushButton* cmdCreatePrompt = nullptr;
    QLabel* Label8 = nullptr;
    LinkLabel* lblSaveasPDF = nullptr;
    QListView* lstPrompts = nullptr;
    QLabel* Label6 = nullptr;
    LinkLabel* lblCopyToClipboard = nullptr;
    QPlainTextEdit* txtPrompt = nullptr;
    QLabel* Label7 = nullptr;
    QPushButton* Command1 = nullptr;

    // Hidden holders: the window's working storage.
    QString txtPromptBasic; // topic template
    QString txtPromptPro;   // angle template
    HolderList lstKeywords;
    HolderList lstProducts;
    HolderList lstFileContent;
    QString txtProductName; // the chosen product, kept in the hidden Frame2
    QString txtFormat;
    QString txtDescription;

    // Components, shared with the product manager.
    tsFile tsFile1;
    tsTools tsTools1;
    tsParser tsParser1;

private:
    void buildControls();
    void Form_Load(bool fullEdition);
    void LoadTemplates();
    bool LoadPromotedProduct();
    QString ComposePrompt(QString keyword) const;
    PromptFields currentFields() const;

    void Command1_Click();
    void lblPicKeywords_Click();
    void chkPromoteProduct_Click();
    void Label11_Click();
    void cmdCreatePrompt_Click();
    void lstPrompts_Click(const QItemSelection& selected);
    void lblCopyToClipboard_Click();
    void lblSaveasPDF_Click();

    DataPaths m_paths;
    PromptListModel* m_promptModel = nullptr;
    QStringList m_unreadTemplates; // "path (reason)" of each template start-up could not read
};
