#include "testSupport.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

MessageBoxScript::MessageBoxScript()
{
    modGeneral::setMessageBoxHandler(
        [this](const modGeneral::MessageBoxCall& call) { return answer(call); });
}

MessageBoxScript::~MessageBoxScript()
{
    modGeneral::setMessageBoxHandler(nullptr);
}

void MessageBoxScript::expect(const QString& title, const QString& text, int answer)
{
    m_expected.append(Expected{title, text, answer});
}

QString MessageBoxScript::pending() const
{
    QStringList missing;
    for (qsizetype i = m_next; i < m_expected.size(); ++i)
        missing.append(m_expected.at(i).title + QStringLiteral(": ") + m_expected.at(i).text);
    return missing.join(QStringLiteral(" | "));
}

int MessageBoxScript::answer(const modGeneral::MessageBoxCall& call)
{
    m_shown.append(call);
    const bool yesNo = (call.style & 0x7) == modGeneral::vbYesNo;
    if (m_next >= m_expected.size()) {
        const QByteArray what = (QStringLiteral("unexpected message box \"") + call.title +
                                 QStringLiteral("\": ") + call.text)
                                    .toUtf8();
        QTest::qFail(what.constData(), __FILE__, __LINE__);
        return yesNo ? modGeneral::vbNo : modGeneral::vbOK;
    }
    const Expected& e = m_expected.at(m_next++);
    if (e.title != call.title || e.text != call.text) {
        const QByteArray what =
            (QStringLiteral("message box \"") + call.title + QStringLiteral("\": ") + call.text +
             QStringLiteral(" -- expected \"") + e.title + QStringLiteral("\": ") + e.text)
                .toUtf8();
        QTest::qFail(what.constData(), __FILE__, __LINE__);
    }
    return e.answer;
}

OpenedAddresses::OpenedAddresses()
{
    modGeneral::setOpenDocumentHandler(
        [this](const QString& address) { m_addresses.append(address); });
}

OpenedAddresses::~OpenedAddresses()
{
    modGeneral::setOpenDocumentHandler(nullptr);
}

ProgramFolder::ProgramFolder(const QByteArray& topic, const QByteArray& angle)
{
    QDir dir(m_dir.path());
    dir.mkpath(QStringLiteral("templates"));
    dir.mkpath(QStringLiteral("products"));
    if (!topic.isNull())
        write(QStringLiteral("templates/topic.txt"), topic);
    if (!angle.isNull())
        write(QStringLiteral("templates/topic-angle.txt"), angle);
}

QString ProgramFolder::recordPath(const QString& recordName) const
{
    return m_dir.filePath(QStringLiteral("products/") + recordName + QStringLiteral(".txt"));
}

bool ProgramFolder::write(const QString& relativePath, const QByteArray& bytes) const
{
    const QString full = m_dir.filePath(relativePath);
    QDir().mkpath(QFileInfo(full).absolutePath());
    QFile file(full);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

bool ProgramFolder::writeRecord(const QString& recordName, const QString& name,
                                const QString& format, const QString& description) const
{
    return write(
        QStringLiteral("products/") + recordName + QStringLiteral(".txt"),
        (name + QStringLiteral("\r\n") + format + QStringLiteral("\r\n") + description).toUtf8());
}

QByteArray ProgramFolder::read(const QString& relativePath) const
{
    QFile file(m_dir.filePath(relativePath));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool ProgramFolder::exists(const QString& relativePath) const
{
    return QFileInfo::exists(m_dir.filePath(relativePath));
}

bool openMainWindow(std::optional<frmMain>& window, bool fullEdition, const QString& folder)
{
    window.emplace(fullEdition, folder);
    window->show();
    return QTest::qWaitForWindowActive(&*window);
}

QString windowLeftOpen()
{
    for (const QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->isVisible() && widget->windowType() != Qt::ToolTip)
            return QString::fromLatin1(widget->metaObject()->className());
    }
    return QString();
}
