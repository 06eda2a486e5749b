#pragma once

#include "frmMain.h"

#include <QListView>
#include <QStringList>
#include <QTemporaryDir>

// What the benchmark measures on: keyword lists, a program folder, and the main window driven
// through its controls with its message boxes and save dialog answered.
namespace bench {

class Report;

struct Options
{
    int runs;     // runs per figure
    bool smoke;   // tiny sizes, no goal judged
    QString only; // the one part to measure, if any
    QString templates;
};

// Keeps the optimiser from dropping work whose result is otherwise unused.
inline volatile qsizetype sink = 0;

inline const QString MainKeyword = QStringLiteral("Herb Garden");
inline const QString RecordName = QStringLiteral("Herb Garden Guide");

// Long-tail keywords as a keyword tool exports them: most hold the main keyword in some letter
// case, some do not, a few are the main keyword itself, some have letters beyond ASCII.
QStringList makeKeywords(qsizetype n);

// A program folder with the templates of `templates` and one product record; `fields` are
// what the window composes from with that product promoted, read here apart from the window.
struct Workspace
{
    explicit Workspace(const QString& templates);
    QString path() const { return dir.path(); }

    QTemporaryDir dir;
    PromptFields fields;
    bool ok = false;
};

// Answers message boxes with OK and save dialogs with `saveAs`, keeping what the boxes said.
struct Answers
{
    Answers();
    ~Answers();
    QStringList take() { return std::exchange(shown, QStringList()); }

    QStringList shown;
    QString saveAs;
};

// The full edition's main window on a program folder, shown, with the main keyword typed and
// promotion set.
struct Window
{
    Window(const QString& folder, bool promote);

    template <typename T = QWidget> T* c(const char* name)
    {
        return form.findChild<T*>(QLatin1StringView(name));
    }
    QListView* list() { return c<QListView>("lstPrompts"); }
    int rows() { return list()->model()->rowCount(); }
    void setKeywords(const QStringList& keywords);
    // "Create Article Prompts For The Keywords", until the list is laid out and painted; the
    // nanoseconds it took.
    double createBatch();

    frmMain form;
};

// The child process of the start-up measurement: shows the main window on `folder` (an empty
// widget of its size when `folder` is empty) and, once it has painted, prints the monotonic
// clock and its resident memory in kB.
int startupProbe(int& argc, char** argv, const QString& folder);

// The child process of the paste measurement: pastes into the keyword box of the main window on
// `folder` `n` keyword lines, or one line of `n` characters without a blank, and prints the
// nanoseconds from Ctrl+V until the box has painted, then 1 when the box holds the text, 2 when
// the text was refused as too long a keyword, 0 otherwise.
int pasteProbe(int& argc, char** argv, const QString& folder, bool lines, qsizetype n);

// "Export All Prompts..." from the window and inkwright-batch, in benchExport.cpp.
void measureExport(const Options& options, const Workspace& workspace, Report& report);

} // namespace bench
