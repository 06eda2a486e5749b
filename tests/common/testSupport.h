#pragma once

#include "app/frmMain.h"
#include "app/modGeneral.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

// Answers the program's message boxes in place of the user, in the order the
// test expects them, and records every box shown. A box the test did not
// expect fails the test at once; `done()` tells whether every expected box was
// shown. Install one per test; the destructor restores the real boxes.
class MessageBoxScript
{
public:
    MessageBoxScript();
    ~MessageBoxScript();
    MessageBoxScript(const MessageBoxScript&) = delete;
    MessageBoxScript& operator=(const MessageBoxScript&) = delete;

    // The next box must have this title and text; it is answered with `answer`.
    void expect(const QString& title, const QString& text, int answer = modGeneral::vbOK);

    const QList<modGeneral::MessageBoxCall>& shown() const { return m_shown; }
    // True when every expected box has been shown; lists what is missing.
    bool done() const { return m_next == m_expected.size(); }
    QString pending() const;

private:
    struct Expected
    {
        QString title;
        QString text;
        int answer;
    };
    int answer(const modGeneral::MessageBoxCall& call);

    QList<Expected> m_expected;
    qsizetype m_next = 0;
    QList<modGeneral::MessageBoxCall> m_shown;
};

// Records the addresses the program asks the platform to open.
class OpenedAddresses
{
public:
    OpenedAddresses();
    ~OpenedAddresses();
    OpenedAddresses(const OpenedAddresses&) = delete;
    OpenedAddresses& operator=(const OpenedAddresses&) = delete;
    const QStringList& addresses() const { return m_addresses; }

private:
    QStringList m_addresses;
};

// A temporary program folder with templates/ and products/ in it.
class ProgramFolder
{
public:
    // Creates templates/ (with the two given templates, unless null) and an
    // empty products/.
    explicit ProgramFolder(
        const QByteArray& topic = QByteArray("About #KEYWORD# in #WORDS# words. #PRO#End."),
        const QByteArray& angle =
            QByteArray("About #KEYWORD#, angle #ANGLE#, #WORDS# words. #PRO#End."));

    bool isValid() const { return m_dir.isValid(); }
    QString path() const { return m_dir.path(); }
    QString productsPath() const { return m_dir.filePath(QStringLiteral("products")); }
    QString recordPath(const QString& recordName) const;

    // Writes raw bytes to a file below the folder (folders made as needed).
    bool write(const QString& relativePath, const QByteArray& bytes) const;
    // Writes products/<recordName>.txt as three CR LF-separated lines.
    bool writeRecord(const QString& recordName, const QString& name, const QString& format,
                     const QString& description) const;
    QByteArray read(const QString& relativePath) const;
    bool exists(const QString& relativePath) const;

private:
    QTemporaryDir m_dir;
};

// One data row per entry of a static table of cases, tagged with `tag` of
// the entry; the test reads the entry back through the "index" column.
template <typename Row, std::size_t N, typename Tag>
void addTableRows(const Row (&rows)[N], Tag Row::*tag)
{
    QTest::addColumn<int>("index");
    for (std::size_t i = 0; i < N; ++i)
        QTest::newRow(rows[i].*tag) << int(i);
}

// Shows a fresh main window on the program folder `folder` in `window` and
// waits until it is active.
bool openMainWindow(std::optional<frmMain>& window, bool fullEdition, const QString& folder);

// The class name of a window that is still shown (tooltips aside), or an
// empty text: every test closes what it opened.
QString windowLeftOpen();
