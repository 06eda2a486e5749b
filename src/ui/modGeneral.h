#pragma once

#include "components/refusal.h"

#include <QString>

#include <functional>

class QWidget;

// The program's one door to modal message boxes, file dialogs and the
// platform's opener of documents and web addresses. Nothing else in the
// program shows a message box or a file dialog or opens an address, so tests
// can answer and observe them all here.
namespace modGeneral {

// Style values of a message box.
enum MsgStyle : int
{
    vbYesNo = 4,
    vbQuestion = 32,
    vbInformation = 64,
    vbInfoOk = vbInformation,               // information icon, OK button
    vbQuestionYesNo = vbQuestion | vbYesNo, // question icon, Yes and No buttons
};

// Answers of a message box.
enum MsgAnswer : int
{
    vbOK = 1,
    vbYes = 6,
    vbNo = 7
};

// Shows a modal message box over `parent` and returns the button chosen.
int MsgBox(QWidget* parent, const QString& text, int style, const QString& title);

// What the core decided to tell the user, in an information box; and a
// question of the core's, true when the user answers Yes.
void Show(QWidget* parent, const Refusal& message);
bool Ask(QWidget* parent, const Refusal& question);

// Hands a document path or web address to the platform's default handler and
// does not look at the outcome.
void OpenDocument(const QString& address);

// Asks for the name of a file to write, starting from `suggestedName` and
// offering `filters` ("Text files (*.txt);;CSV files (*.csv)"), `filter` of
// them chosen. The empty text when the user cancels.
QString SaveFileName(QWidget* parent, const QString& title, const QString& suggestedName,
                     const QString& filters, const QString& filter);

// What a message box showed, for anyone who answers in its place.
struct MessageBoxCall
{
    QString text;
    int style = vbInfoOk;
    QString title;
};

// While a handler is set, message boxes are not shown: the handler is called
// and its return value is the answer. An empty handler restores the real
// boxes. The same for the opener of addresses.
using MessageBoxHandler = std::function<int(const MessageBoxCall&)>;
void setMessageBoxHandler(MessageBoxHandler handler);

using OpenDocumentHandler = std::function<void(const QString&)>;
void setOpenDocumentHandler(OpenDocumentHandler handler);

// What a save dialog offered; the handler's return value is the file chosen.
struct SaveFileNameCall
{
    QString title;
    QString suggestedName;
    QString filters;
    QString filter;
};
using SaveFileNameHandler = std::function<QString(const SaveFileNameCall&)>;
void setSaveFileNameHandler(SaveFileNameHandler handler);

} // namespace modGeneral
