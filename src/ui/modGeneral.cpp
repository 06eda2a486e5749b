#include "modGeneral.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
#include <QUrl>

namespace modGeneral {

namespace {
MessageBoxHandler messageBoxHandler;
OpenDocumentHandler openDocumentHandler;
SaveFileNameHandler saveFileNameHandler;
} // namespace

void setMessageBoxHandler(MessageBoxHandler handler)
{
    messageBoxHandler = std::move(handler);
}

void setOpenDocumentHandler(OpenDocumentHandler handler)
{
    openDocumentHandler = std::move(handler);
}

void setSaveFileNameHandler(SaveFileNameHandler handler)
{
    saveFileNameHandler = std::move(handler);
}

int MsgBox(QWidget* parent, const QString& text, int style, const QString& title)
{
    if (messageBoxHandler)
        return messageBoxHandler(MessageBoxCall{text, style, title});

    const bool yesNo = (style & 0x7) == vbYesNo;
    const QMessageBox::Icon icon =
        (style & 0x70) == vbQuestion ? QMessageBox::Question : QMessageBox::Information;
    QMessageBox box(icon, title, text, yesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok,
                    parent);
    if (yesNo) {
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::No);
    }
    const int chosen = box.exec();
    if (!yesNo)
        return vbOK;
    return chosen == QMessageBox::Yes ? vbYes : vbNo;
}

void Show(QWidget* parent, const Refusal& message)
{
    MsgBox(parent, message.text, vbInfoOk, message.title);
}

bool Ask(QWidget* parent, const Refusal& question)
{
    return MsgBox(parent, question.text, vbQuestionYesNo, question.title) == vbYes;
}

void OpenDocument(const QString& address)
{
    if (openDocumentHandler) {
        openDocumentHandler(address);
        return;
    }
    QDesktopServices::openUrl(QUrl::fromUserInput(address));
}

QString SaveFileName(QWidget* parent, const QString& title, const QString& suggestedName,
                     const QString& filters, const QString& filter)
{
    if (saveFileNameHandler)
        return saveFileNameHandler(SaveFileNameCall{title, suggestedName, filters, filter});
    QString chosen = filter;
    return QFileDialog::getSaveFileName(parent, title, suggestedName, filters, &chosen);
}

} // namespace modGeneral
