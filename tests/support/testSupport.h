#pragma once

#include "frmMain.h"
#include "modGeneral.h"

#include <QTemporaryDir>
#include <QTest>

// Answers the program's message boxes in place of the user, in the order the
// test expects them, and its save dialogs with `saveAs`. A box the test did not expect, or one with
// another title or text, fails the test at once; done() tells whether every expected box came.
class MessageBoxScript
{
public:
    MessageBoxScript();
    ~MessageBoxScript();
    MessageBoxScript(const MessageBoxScript&) = delete;
    MessageBoxScript& operator=(const MessageBoxScript&) = delete;

    void expect(const QString& title, const QString& text, int answer = modGeneral::vbOK);
    bool done() const { return m_expected.isEmpty(); }
    QString pending() const;
    QStringList addresses; // what the program asked the platform to open
    QString saveAs;        // the answer of save dialogs; empty: cancelled

private:
    struct Expected
    {
        QString title, text;
        int answer;
    };
    QList<Expected> m_expected;
};

// A temporary program folder with templates/ and an empty products/.
class ProgramFolder
{
public:
    explicit ProgramFolder(
        const QByteArray& topic = "About #KEYWORD# in #WORDS# words. #PRO#End.",
        const QByteArray& angle = "About #KEYWORD#, angle #ANGLE#, #WORDS# words. #PRO#End.");
    QString path(const QString& relative = QString()) const;
    bool write(const QString& relative, const QByteArray& bytes) const;
    bool writeRecord(const QString& record, const QString& lines) const;
    QByteArray read(const QString& relative) const;

private:
    QTemporaryDir m_dir;
};

// The control of `window` named `name`; fails the test when there is none.
template <typename T = QWidget> T* control(const QWidget* window, const char* name)
{
    T* found = window->findChild<T*>(QLatin1StringView(name));
    if (!found)
        QTest::qFail(name, __FILE__, __LINE__);
    return found;
}

// Replaces the text of a box as a user does: select all, then paste.
void paste(QWidget* box, const QString& text);
void click(QWidget* widget);

// The class of a top-level window still shown, or nothing: each test closes
// what it opened.
QString windowLeftOpen();
