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
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTextDocument>

#include <memory>

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

// All prompts go on the clipboard as one plain text in UTF-8, which every
// reader gets back as the same text (Qt decodes "text/plain" bytes as UTF-8),
// in half the memory that the UTF-16 text takes: a big batch makes hundreds
// of megabytes. A text that UTF-8 cannot carry goes on as it is.
void putAllOnClipboard(const AllPrompts& all)
{
    if (!all.isValidUtf16()) {
        putOnClipboard(all.text());
        return;
    }
    auto mimeData = std::make_unique<QMimeData>();
    mimeData->setData(QStringLiteral("text/plain"), all.utf8());
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setMimeData(mimeData.release());
}

// Wrapping at word boundaries takes time that grows with the square of a run
// of text with no blank in it, so a prompt holding one (a binary file read as
// a template) is wrapped anywhere instead.
bool hasLongUnbrokenRun(const QString& text)
{
    constexpr qsizetype longest = 4096;
    qsizetype run = 0;
    for (const QChar c : text) {
        if (c.isSpace())
            run = 0;
        else if (++run > longest)
            return true;
    }
    return false;
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
    // The document's own text, with its paragraph separators: splitting reads
    // them as line breaks, and the keywords keep their no-break spaces.
    const QString keywordText = txtSelectedKeyword->document()->toRawText();
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
    const QString prompt = ComposePrompt(lstKeywords.items.at(row));
    txtPrompt->setWordWrapMode(hasLongUnbrokenRun(prompt) ? QTextOption::WrapAnywhere
                                                          : QTextOption::WrapAtWordBoundaryOrAnywhere);
    txtPrompt->setPlainText(prompt);
}

void frmMain::lblCopyToClipboard_Click()
{
    if (m_promptModel->rowCount() == 0) {
        missingInfo(this, QStringLiteral("Please generate some prompts first."));
        return;
    }
    // The box keeps its lines as paragraphs; toPlainText() would end them with
    // LF and turn no-break spaces into blanks. The clipboard gets the text as
    // the box holds it, with CR LF line breaks.
    QString prompt = txtPrompt->document()->toRawText();
    prompt.replace(QChar::ParagraphSeparator, QStringLiteral("\r\n"));
    prompt.replace(QChar::LineSeparator, QStringLiteral("\r\n"));
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
        const AllPrompts all = composer.allPrompts(lstKeywords.items);
        if (all.length() > MaxCopyAllChars) {
            refusedLength = all.length();
        } else {
            putAllOnClipboard(all);
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
