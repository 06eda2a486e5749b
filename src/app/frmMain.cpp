#include "frmMain.h"

#include "linkLabel.h"
#include "modGeneral.h"
#include "prompts/promptListModel.h"
#include "uiLook.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>

#ifndef INKWRIGHT_KEYWORD_IDEAS_URL
#define INKWRIGHT_KEYWORD_IDEAS_URL "https://answerthepublic.com/"
#endif

using uiLook::twips;

namespace {

template <typename Widget>
Widget* place(Widget* widget, const char* name, const QRect& geometry, const QFont& font)
{
    widget->setObjectName(QLatin1StringView(name));
    widget->setGeometry(geometry);
    widget->setFont(font);
    return widget;
}

QLabel* label(QWidget* parent, const char* name, const QString& text, const QRect& geometry,
              const QFont& font = uiLook::font(uiLook::LabelSize))
{
    return place(new QLabel(text, parent), name, geometry, font);
}

// The prompt list. Entries are picked by the user only: taking the focus does
// not quietly make the first entry current, so the first Down picks it.
class PromptList final : public QListView
{
public:
    using QListView::QListView;

protected:
    void focusInEvent(QFocusEvent* event) override
    {
        const bool hadCurrent = currentIndex().isValid();
        QListView::focusInEvent(event);
        if (!hadCurrent && currentIndex().isValid() && !selectionModel()->isSelected(currentIndex()))
            selectionModel()->clearCurrentIndex();
    }
};

} // namespace

QString frmMain::keywordIdeasAddress()
{
    return QStringLiteral(INKWRIGHT_KEYWORD_IDEAS_URL);
}

frmMain::frmMain(bool fullEdition, const QString& programFolder, QWidget* parent)
    : QWidget(parent)
    , m_paths(programFolder)
{
    buildControls();
    Form_Load(fullEdition);
}

frmMain::~frmMain() = default;

void frmMain::buildControls()
{
    setObjectName(QStringLiteral("frmMain"));
    setFixedSize(uiLook::px(16845), uiLook::px(8385));
    setFont(uiLook::font(uiLook::LabelSize));

    const QFont labelFont = uiLook::font(uiLook::LabelSize);
    const QFont boldLabelFont = uiLook::font(uiLook::LabelSize, true);
    const QFont inputFont = uiLook::font(uiLook::InputSize);
    const QFont frameFont = uiLook::font(uiLook::FrameTitleSize, true);
    const QFont linkFont = uiLook::linkFont();

    // Header band.
    Picture1 = place(new QWidget(this), "Picture1", twips(0, 0, 16845, 780), labelFont);
    Picture1->setAutoFillBackground(true);
    QPalette band = Picture1->palette();
    band.setColor(QPalette::Window, uiLook::HeaderPurple);
    Picture1->setPalette(band);
    lblSoftwareName = label(Picture1, "lblSoftwareName", QString(), twips(270, 225, 5370, 420),
                            uiLook::font(12, true));
    uiLook::setTextColor(lblSoftwareName, Qt::white);
    lblSoftwareName->setAttribute(Qt::WA_TranslucentBackground);

    // Step 1: keywords.
    Frame4 = place(new QGroupBox(QStringLiteral("Step 1: Enter Your Keywords "), this), "Frame4",
                   twips(405, 1080, 6360, 6180), frameFont);
    Label9 = label(Frame4, "Label9", QStringLiteral("Your Main Keyword:"), twips(360, 540, 2085, 330));
    txtMainKeyword = place(new QLineEdit(Frame4), "txtMainKeyword", twips(2385, 450, 3120, 420), inputFont);
    Label10 = label(Frame4, "Label10", QStringLiteral("Related Keywords (Long-Tail Keywords):"),
                    twips(360, 1080, 4065, 330));
    lblPicKeywords = place(new LinkLabel(QStringLiteral("Keyword Ideas"), Frame4), "lblPicKeywords",
                           twips(4680, 1080, 1455, 240), linkFont);
    txtSelectedKeyword = place(new QPlainTextEdit(Frame4), "txtSelectedKeyword",
                               twips(360, 1485, 5775, 4290), inputFont);
    txtSelectedKeyword->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtSelectedKeyword->setTabChangesFocus(true);

    // Step 2: prompts.
    Frame3 = place(new QGroupBox(QStringLiteral("Step 2: Create Article Prompts "), this), "Frame3",
                   twips(6930, 1080, 9600, 6180), frameFont);
    Label12 = label(Frame3, "Label12", QStringLiteral("Approx. Words:"), twips(225, 585, 1860, 330),
                    boldLabelFont);
    txtApproxWords = place(new QLineEdit(QStringLiteral("400"), Frame3), "txtApproxWords",
                           twips(1935, 540, 645, 375), inputFont);

    frPro = place(new QFrame(Frame3), "frPro", twips(2700, 360, 6630, 645), labelFont);
    frPro->setFrameShape(QFrame::NoFrame);
    chkPromoteProduct = place(new QCheckBox(QStringLiteral(" Promote Product"), frPro),
                              "chkPromoteProduct", twips(270, 180, 2445, 330), boldLabelFont);
    chkPromoteProduct->setToolTip(QStringLiteral("Promote product (affiliate etc) inside the article."));
    cboPromoteProduct = place(new QComboBox(frPro), "cboPromoteProduct", twips(2610, 180, 3075, 360),
                              inputFont);
    cboPromoteProduct->setEditable(true);
    cboPromoteProduct->setInsertPolicy(QComboBox::NoInsert);
    Label11 = place(new LinkLabel(QStringLiteral("Manage"), frPro), "Label11", twips(5715, 270, 825, 240),
                    linkFont);

    cmdCreatePrompt = place(new QPushButton(QStringLiteral("Create Article Prompts For The Keywords"), Frame3),
                            "cmdCreatePrompt", twips(1755, 990, 6270, 645), boldLabelFont);
    cmdCreatePrompt->setAutoDefault(false);
    cmdCreatePrompt->setStyleSheet(QStringLiteral(
        "QPushButton { background-color: rgb(192, 255, 192); border: 1px solid rgb(112, 160, 112);"
        " border-radius: 3px; }"
        "QPushButton:hover { border-color: rgb(48, 112, 48); }"
        "QPushButton:pressed { background-color: rgb(160, 224, 160); }"
        "QPushButton:focus { border: 2px solid rgb(48, 112, 48); }"));

    Label8 = label(Frame3, "Label8", QStringLiteral("Prompts:"), twips(225, 1755, 2445, 330), boldLabelFont);
    lblSaveasPDF = place(new LinkLabel(QStringLiteral("Copy to Clipboard (All)"), Frame3), "lblSaveasPDF",
                         twips(6030, 1755, 3300, 240), linkFont);
    lblSaveasPDF->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    m_promptModel = new PromptListModel(this);
    lstPrompts = place(new PromptList(Frame3), "lstPrompts", twips(225, 2115, 9105, 1740), inputFont);
    lstPrompts->setModel(m_promptModel);
    lstPrompts->setUniformItemSizes(true);
    lstPrompts->setSelectionMode(QAbstractItemView::SingleSelection);
    lstPrompts->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lstPrompts->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);

    Label6 = label(Frame3, "Label6", QStringLiteral("Your Selected Prompt:"), twips(225, 4230, 2445, 330),
                   boldLabelFont);
    lblCopyToClipboard = place(new LinkLabel(QStringLiteral("Copy to Clipboard (Selected)"), Frame3),
                               "lblCopyToClipboard", twips(5985, 4185, 3255, 240), linkFont);
    lblCopyToClipboard->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    txtPrompt = place(new QPlainTextEdit(Frame3), "txtPrompt", twips(270, 4590, 9105, 1050), inputFont);
    txtPrompt->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtPrompt->setTabChangesFocus(true);
    Label7 = label(Frame3, "Label7", QStringLiteral("You can use this prompt with ChatGPT or other AI platforms."),
                   twips(225, 5715, 5775, 330), uiLook::font(uiLook::HintSize));
    uiLook::setTextColor(Label7, uiLook::HintGrey);

    Command1 = place(new QPushButton(QStringLiteral("Close"), this), "Command1", twips(6705, 7515, 3345, 600),
                     boldLabelFont);
    Command1->setAutoDefault(false);

    // Tab order, starting where the user types the keywords.
    const QList<QWidget*> order = {txtSelectedKeyword, txtMainKeyword, lblPicKeywords, txtApproxWords,
                                   chkPromoteProduct, cboPromoteProduct, Label11, cmdCreatePrompt,
                                   lblSaveasPDF, lstPrompts, lblCopyToClipboard, txtPrompt, Command1};
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order.at(i - 1), order.at(i));
    txtSelectedKeyword->setFocus();

    connect(Command1, &QPushButton::clicked, this, &frmMain::Command1_Click);
    connect(lblPicKeywords, &LinkLabel::clicked, this, &frmMain::lblPicKeywords_Click);
    connect(chkPromoteProduct, &QCheckBox::toggled, this, &frmMain::chkPromoteProduct_Click);
    connect(Label11, &LinkLabel::clicked, this, &frmMain::Label11_Click);
    connect(cmdCreatePrompt, &QPushButton::clicked, this, &frmMain::cmdCreatePrompt_Click);
    connect(lstPrompts->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this](const QItemSelection& selected) { lstPrompts_Click(selected); });
    connect(lblCopyToClipboard, &LinkLabel::clicked, this, &frmMain::lblCopyToClipboard_Click);
    connect(lblSaveasPDF, &LinkLabel::clicked, this, &frmMain::lblSaveasPDF_Click);
}

void frmMain::Form_Load(bool fullEdition)
{
    if (fullEdition) {
        frPro->setVisible(true);
        cboPromoteProduct->setEnabled(false);
    } else {
        frPro->setVisible(false);
    }
    tsFile1.FilePattern = QStringLiteral("*.txt");
    setWindowTitle(QStringLiteral("Inkwright"));
    lblSoftwareName->setText(QStringLiteral("Inkwright"));
    LoadTemplates();
    LoadProducts();
    uiLook::centreOnScreen(this);
}

void frmMain::reportStartupProblems()
{
    if (m_unreadTemplates.isEmpty())
        return;
    const bool one = m_unreadTemplates.size() == 1;
    const QString text = (one ? QStringLiteral("This template file could not be read:\n\n")
                              : QStringLiteral("These template files could not be read:\n\n"))
                         + m_unreadTemplates.join(u'\n')
                         + (one ? QStringLiteral("\n\nPrompts that use it will be empty.")
                                : QStringLiteral("\n\nPrompts that use them will be empty."));
    modGeneral::MsgBox(this, text, modGeneral::vbInfoOk, QStringLiteral("Error"));
}

void frmMain::Command1_Click()
{
    close();
}

void frmMain::lblPicKeywords_Click()
{
    modGeneral::OpenDocument(keywordIdeasAddress());
}
