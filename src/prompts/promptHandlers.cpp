// The main window's prompt workflow: templates, the batch, the prompt list
// and the clipboard.
#include "app/frmMain.h"
#include "app/modGeneral.h"
#include "promptListModel.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QListView>
#include <QLocale>
#include <QPlainTextEdit>

namespace {

const QString MissingInfo = QStringLiteral("Missing Info");

void missingInfo(QWidget* parent, const QString& text)
{
    modGeneral::MsgBox(parent, text, modGeneral::vbInfoOk, MissingInfo);
}

// Shows the busy cursor for as long as it lives.
class BusyCursor
{
public:
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

void putOnClipboard(const QString& text)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setText(text);
}

} // namespace

void frmMain::LoadTemplates()
{
    m_unreadTemplates.clear();
    const auto load = [this](QString& holder, const QString& path) {
        QString why;
        if (!tsFile1.LoadTextFile(holder, path, &why))
            m_unreadTemplates.append(DataPaths::forDisplay(path) + QStringLiteral(" (") + why + u')');
    };
    load(txtPromptBasic, m_paths.topicTemplate());
    load(txtPromptPro, m_paths.angleTemplate());
}

PromptFields frmMain::currentFields() const
{
    return PromptFields{txtPromptBasic,     txtPromptPro,    txtMainKeyword->text(),
                        txtApproxWords->text(), chkPromoteProduct->isChecked(), txtProductName,
                        txtFormat,          txtDescription};
}

QString frmMain::ComposePrompt(QString keyword) const
{
    return composePrompt(currentFields(), keyword);
}

void frmMain::chkPromoteProduct_Click()
{
    cboPromoteProduct->setEnabled(chkPromoteProduct->isChecked());
}

void frmMain::cmdCreatePrompt_Click()
{
    lstKeywords.clear();
    m_promptModel->clear();

    if (txtMainKeyword->text().isEmpty()) {
        missingInfo(this, QStringLiteral("Please enter your main keyword."));
        return;
    }
    const QString keywordText = txtSelectedKeyword->toPlainText();
    if (keywordText.isEmpty()) {
        missingInfo(this, QStringLiteral("Please enter one or more long-tailed keywords."));
        return;
    }
    if (txtApproxWords->text().isEmpty()) {
        missingInfo(this, QStringLiteral("Please fill the 'Approx. Words' field."));
        return;
    }
    if (chkPromoteProduct->isChecked()) {
        if (cboPromoteProduct->currentText().isEmpty()) {
            missingInfo(this, QStringLiteral("Please add a product to promote."));
            return;
        }
        if (!LoadPromotedProduct())
            return;
    }

    tsTools1.SplitToList(keywordText, QStringLiteral("\r\n"), lstKeywords, QString());
    if (lstKeywords.count() == 0) {
        // Only line breaks: there is no keyword to make a prompt for.
        missingInfo(this, QStringLiteral("Please enter one or more long-tailed keywords."));
        return;
    }
    lstKeywords.current = lstKeywords.count() - 1;
    m_promptModel->setKeywords(lstKeywords.items);
}

void frmMain::lstPrompts_Click(const QItemSelection& selected)
{
    if (selected.indexes().isEmpty())
        return;
    // The entry at row i belongs to keyword i, so the keyword is taken from
    // there rather than cut back out of the entry text.
    const int row = selected.indexes().constFirst().row();
    if (row < 0 || row >= lstKeywords.count())
        return;
    txtPrompt->setPlainText(ComposePrompt(lstKeywords.items.at(row)));
}

void frmMain::lblCopyToClipboard_Click()
{
    if (m_promptModel->rowCount() == 0) {
        missingInfo(this, QStringLiteral("Please generate some prompts first."));
        return;
    }
    const QString prompt = txtPrompt->toPlainText();
    if (prompt.isEmpty()) {
        missingInfo(this, QStringLiteral("Nothing to copy."));
        return;
    }
    putOnClipboard(prompt);
    modGeneral::MsgBox(this, QStringLiteral("Done. Prompt copied to clipboard."), modGeneral::vbInfoOk,
                       QStringLiteral("Done"));
}

void frmMain::lblSaveasPDF_Click()
{
    if (m_promptModel->rowCount() == 0) {
        missingInfo(this, QStringLiteral("Please generate some prompts first."));
        return;
    }
    qsizetype refusedLength = 0;
    {
        BusyCursor busy;
        const PromptComposer composer(currentFields());
        const qsizetype length = composer.allPromptsLength(lstKeywords.items);
        if (length > MaxCopyAllChars) {
            refusedLength = length;
        } else {
            putOnClipboard(composer.allPromptsText(lstKeywords.items));
            lstKeywords.current = lstKeywords.count() - 1;
        }
    }
    if (refusedLength > 0) {
        const QLocale locale;
        modGeneral::MsgBox(
            this,
            QStringLiteral("The prompts of this batch make %1 million characters of text, more than "
                           "can be copied at once (at most %2 million).\n\nPlease create the batch "
                           "from fewer keywords and copy the prompts in parts.")
                .arg(locale.toString(double(refusedLength) / 1e6, 'f', 0),
                     locale.toString(double(MaxCopyAllChars) / 1e6, 'f', 0)),
            modGeneral::vbInfoOk, QStringLiteral("Too Much Text"));
        return;
    }
    modGeneral::MsgBox(this, QStringLiteral("Done. Prompts copied to clipboard."), modGeneral::vbInfoOk,
                       QStringLiteral("Done"));
}
