#include "frmMain.h"

#include "inkwrightConfig.h"
#include "modGeneral.h"
#include "prompts/allPrompts.h"
#include "prompts/batchRules.h"
#include "prompts/promptExport.h"
#include "prompts/promptListModel.h"
#include "ui_frmMain.h"
#include "uiLook.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QMimeData>
#include <QProgressDialog>
#include <QStandardPaths>
#include <QTextDocument>

namespace {

// Shows the busy cursor for as long as it lives.
class BusyCursor
{
public:
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

void putOnClipboard(QMimeData* data)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setMimeData(data);
}

void putOnClipboard(const QString& text)
{
    auto* data = new QMimeData;
    data->setText(text);
    putOnClipboard(data);
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
    auto* data = new QMimeData;
    data->setData(QStringLiteral("text/plain"), all.utf8());
    putOnClipboard(data);
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

// ---- Start-up, "Close" and "Keyword Ideas"

QString frmMain::keywordIdeasAddress()
{
    return QStringLiteral(INKWRIGHT_KEYWORD_IDEAS_URL);
}

frmMain::frmMain(bool fullEdition, const QString& programFolder, QWidget* parent)
    : QWidget(parent)
    , ui(std::make_unique<Ui::frmMain>())
    , m_paths(programFolder)
    , m_catalogue(tsFile1, m_paths)
{
    ui->setupUi(this);
    uiLook::apply(this);
    setFixedSize(size());
    m_promptModel = new PromptListModel(this);
    ui->lstPrompts->setModel(m_promptModel);
    ui->txtSelectedKeyword->setFocus();

    connect(ui->Command1, &QPushButton::clicked, this, &frmMain::Command1_Click);
    connect(ui->lblPicKeywords, &LinkLabel::clicked, this, &frmMain::lblPicKeywords_Click);
    connect(ui->chkPromoteProduct, &QCheckBox::toggled, this, &frmMain::chkPromoteProduct_Click);
    connect(ui->Label11, &LinkLabel::clicked, this, &frmMain::Label11_Click);
    connect(ui->cmdCreatePrompt, &QPushButton::clicked, this, &frmMain::cmdCreatePrompt_Click);
    connect(ui->lstPrompts->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &frmMain::lstPrompts_Click);
    connect(ui->lblCopyToClipboard, &LinkLabel::clicked, this, &frmMain::lblCopyToClipboard_Click);
    connect(ui->lblSaveasPDF, &LinkLabel::clicked, this, &frmMain::lblSaveasPDF_Click);

    // The prompt list's menu, opened with a right click or the menu key. Its
    // Copy Prompt answers Ctrl+C in the list; Export answers Ctrl+S anywhere
    // in the window.
    const auto addListAction = [this](const QString& text, const QKeySequence& keys,
                                      Qt::ShortcutContext context, void (frmMain::*handler)()) {
        auto* action = new QAction(text, ui->lstPrompts);
        action->setShortcut(keys);
        action->setShortcutContext(context);
        connect(action, &QAction::triggered, this, handler);
        ui->lstPrompts->addAction(action);
    };
    addListAction(QStringLiteral("Copy Prompt"), QKeySequence::Copy, Qt::WidgetShortcut,
                  &frmMain::lblCopyToClipboard_Click);
    addListAction(QStringLiteral("Copy All Prompts"), QKeySequence(), Qt::WidgetShortcut,
                  &frmMain::lblSaveasPDF_Click);
    addListAction(QStringLiteral("Export All Prompts..."), QKeySequence::Save, Qt::WindowShortcut,
                  &frmMain::mnuExportAll_Click);
    ui->lstPrompts->setContextMenuPolicy(Qt::ActionsContextMenu);

    Form_Load(fullEdition);
}

frmMain::~frmMain() = default;

void frmMain::Form_Load(bool fullEdition)
{
    ui->frPro->setVisible(fullEdition);
    if (fullEdition)
        ui->cboPromoteProduct->setEnabled(false);
    setWindowTitle(QStringLiteral("Inkwright"));
    ui->lblSoftwareName->setText(QStringLiteral("Inkwright"));
    LoadTemplates();
    LoadProducts();
    uiLook::centreOnScreen(this);
}

void frmMain::reportStartupProblems()
{
    if (!m_unreadTemplates.isEmpty())
        modGeneral::Show(this, BatchRules::unreadTemplates(m_unreadTemplates));
}

void frmMain::Command1_Click()
{
    close();
}

void frmMain::lblPicKeywords_Click()
{
    modGeneral::OpenDocument(keywordIdeasAddress());
}

// ---- Templates and the composition of one prompt

void frmMain::LoadTemplates()
{
    m_unreadTemplates.clear();
    const auto load = [this](QString& holder, const QString& path) {
        QString why;
        if (!tsFile1.LoadTextFile(holder, path, &why))
            m_unreadTemplates.append({DataPaths::forDisplay(path), why});
    };
    load(txtPromptBasic, m_paths.topicTemplate());
    load(txtPromptPro, m_paths.angleTemplate());
}

PromptFields frmMain::currentFields() const
{
    return PromptFields{txtPromptBasic,
                        txtPromptPro,
                        ui->txtMainKeyword->text(),
                        ui->txtApproxWords->text(),
                        ui->chkPromoteProduct->isChecked(),
                        txtProductName,
                        txtFormat,
                        txtDescription};
}

std::optional<QString> frmMain::ComposePrompt(const QString& keyword) const
{
    return promptFor(currentFields(), keyword, Prompts::MaxPromptChars);
}

void frmMain::chkPromoteProduct_Click()
{
    ui->cboPromoteProduct->setEnabled(ui->chkPromoteProduct->isChecked());
}

// ---- The batch and the prompt list

void frmMain::cmdCreatePrompt_Click()
{
    lstKeywords.clear();
    m_promptModel->clear();

    // The document's own text, with its paragraph separators: splitting reads
    // them as line breaks, and the keywords keep their no-break spaces.
    const QString keywordText = ui->txtSelectedKeyword->document()->toRawText();
    const BatchRules::BatchInput input{
        ui->txtMainKeyword->text(), keywordText, ui->txtApproxWords->text(),
        ui->chkPromoteProduct->isChecked(), ui->cboPromoteProduct->currentText()};
    if (const Verdict refusal = BatchRules::checkInput(input))
        return modGeneral::Show(this, *refusal);
    if (input.promote && !LoadPromotedProduct())
        return;

    // A text of line breaks alone gives no keyword and an empty list.
    tsTools1.SplitToList(keywordText, lstKeywords);
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
    // A prompt too long to build leaves the box empty.
    const std::optional<QString> composed = ComposePrompt(lstKeywords.items.at(row));
    if (!composed) {
        ui->txtPrompt->clear();
        return modGeneral::Show(this, BatchRules::promptTooLong());
    }
    const QString& prompt = *composed;
    // The old text leaves before the wrap mode changes, or the box would wrap
    // it again in the new mode first, which for a long run by words takes
    // minutes.
    ui->txtPrompt->clear();
    ui->txtPrompt->setWordWrapMode(hasLongUnbrokenRun(prompt)
                                       ? QTextOption::WrapAnywhere
                                       : QTextOption::WrapAtWordBoundaryOrAnywhere);
    ui->txtPrompt->setPlainText(prompt);
}

// ---- The clipboard

void frmMain::lblCopyToClipboard_Click()
{
    if (m_promptModel->rowCount() == 0)
        return modGeneral::Show(this, BatchRules::noBatch());
    // The box keeps its lines as paragraphs; toPlainText() would end them with
    // LF and turn no-break spaces into blanks. The clipboard gets the text as
    // the box holds it, with CR LF line breaks.
    QString prompt = ui->txtPrompt->document()->toRawText();
    prompt.replace(QChar::ParagraphSeparator, QStringLiteral("\r\n"));
    prompt.replace(QChar::LineSeparator, QStringLiteral("\r\n"));
    if (prompt.isEmpty())
        return modGeneral::Show(this, BatchRules::nothingToCopy());
    putOnClipboard(prompt);
    modGeneral::Show(this, BatchRules::copiedPrompt());
}

void frmMain::lblSaveasPDF_Click()
{
    if (m_promptModel->rowCount() == 0)
        return modGeneral::Show(this, BatchRules::noBatch());
    Verdict refusal;
    {
        BusyCursor busy;
        const PromptComposer composer(currentFields());
        const AllPrompts all = composer.allPrompts(lstKeywords.items);
        refusal = all.fits() ? BatchRules::checkCopyLength(all.length())
                             : Verdict(BatchRules::promptTooLong());
        if (!refusal)
            putAllOnClipboard(all);
    }
    if (refusal)
        return modGeneral::Show(this, *refusal);
    modGeneral::Show(this, BatchRules::copiedPrompts());
}

// ---- The export of all prompts to a file

void frmMain::mnuExportAll_Click()
{
    if (m_promptModel->rowCount() == 0)
        return modGeneral::Show(this, BatchRules::noBatch());
    // The documents folder and the text format at first, then the folder and
    // the format of the last export of this run.
    QString folder = m_exportFolder.isEmpty()
                         ? QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)
                         : m_exportFolder;
    if (!QDir(folder).exists()) // no Documents folder, or the last one is gone
        folder = QDir::homePath();
    const PromptExport::DialogTexts texts = PromptExport::dialogTexts();
    QString path = modGeneral::SaveFileName(this, texts.saveTitle,
                                            QDir(folder).filePath(PromptExport::suggestedFileName(
                                                ui->txtMainKeyword->text(), m_exportFormat)),
                                            PromptExport::fileFilters(),
                                            PromptExport::fileFilter(m_exportFormat));
    if (path.isEmpty())
        return;
    // The dialog asked about the name as typed; the file gets ".txt" added.
    if (QFileInfo(path).suffix().isEmpty()) {
        path += QStringLiteral(".txt");
        if (QFileInfo::exists(path)
            && !modGeneral::Ask(this, BatchRules::confirmReplace(QFileInfo(path).fileName())))
            return;
    }
    m_exportFolder = QFileInfo(path).absolutePath();
    m_exportFormat = PromptExport::formatOfFile(path);

    // The dialog shows itself only when the export takes longer than a
    // moment; once shown it is modal, and setValue() lets it handle events.
    QProgressDialog progress(texts.progressText, texts.cancel, 0, 1000, this);
    progress.setWindowTitle(texts.progressTitle);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(500);
    progress.setAutoReset(false);
    const PromptExport::Outcome outcome = PromptExport::writeFile(
        path, currentFields(), lstKeywords.items, PromptExport::formatOfFile(path),
        [&progress](qsizetype written, qsizetype total) {
            progress.setValue(int(written * 1000 / total));
            return !progress.wasCanceled();
        });
    progress.close();

    const QString shown = DataPaths::forDisplay(path);
    switch (outcome.result) {
    case PromptExport::Outcome::Written:
        return modGeneral::Show(this, BatchRules::exported(shown));
    case PromptExport::Outcome::Cancelled:
        return modGeneral::Show(this, BatchRules::exportCancelled());
    case PromptExport::Outcome::Failed:
        return modGeneral::Show(this, BatchRules::exportFailed(shown, outcome.error));
    case PromptExport::Outcome::TooLong:
        return modGeneral::Show(this, BatchRules::promptTooLong());
    }
}

// ---- The product box and the product manager

void frmMain::LoadProducts()
{
    ui->cboPromoteProduct->clear();
    ui->cboPromoteProduct->addItems(m_catalogue.list());
    ui->cboPromoteProduct->setCurrentIndex(0); // none when the list is empty
}

bool frmMain::LoadPromotedProduct()
{
    // The box may hold typed text; the product fields change only when the
    // whole record could be read.
    const std::optional<ProductRecord> record =
        m_catalogue.record(ui->cboPromoteProduct->currentText());
    if (!record) {
        modGeneral::Show(this, ProductCatalogue::unusableRecord());
        return false;
    }
    txtProductName = record->name;
    txtFormat = record->format;
    txtDescription = record->description;
    return true;
}

void frmMain::Label11_Click()
{
    if (ui->frPro->isHidden())
        return;
    Q_EMIT productManagerRequested(m_catalogue);
}
