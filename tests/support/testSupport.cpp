#include "testSupport.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>

MessageBoxScript::MessageBoxScript()
{
    modGeneral::setMessageBoxHandler([this](const modGeneral::MessageBoxCall& call) {
        const QString shown = call.title + QStringLiteral(": ") + call.text;
        if (m_expected.isEmpty()) {
            QTest::qFail(qPrintable(QStringLiteral("unexpected box ") + shown), __FILE__, __LINE__);
            return int(modGeneral::vbNo);
        }
        const Expected e = m_expected.takeFirst();
        if (e.title != call.title || e.text != call.text)
            QTest::qFail(qPrintable(shown + QStringLiteral(" -- expected ") + e.title
                                    + QStringLiteral(": ") + e.text),
                         __FILE__, __LINE__);
        return e.answer;
    });
    modGeneral::setOpenDocumentHandler(
        [this](const QString& address) { addresses.append(address); });
    modGeneral::setSaveFileNameHandler(
        [this](const modGeneral::SaveFileNameCall&) { return saveAs; });
}

MessageBoxScript::~MessageBoxScript()
{
    modGeneral::setMessageBoxHandler(nullptr);
    modGeneral::setOpenDocumentHandler(nullptr);
    modGeneral::setSaveFileNameHandler(nullptr);
}

void MessageBoxScript::expect(const QString& title, const QString& text, int answer)
{
    m_expected.append(Expected{title, text, answer});
}

QString MessageBoxScript::pending() const
{
    QStringList missing;
    for (const Expected& e : m_expected)
        missing.append(e.title + QStringLiteral(": ") + e.text);
    return missing.join(QStringLiteral(" | "));
}

ProgramFolder::ProgramFolder(const QByteArray& topic, const QByteArray& angle)
{
    QDir(m_dir.path()).mkdir(QStringLiteral("products"));
    write(QStringLiteral("templates/topic.txt"), topic);
    write(QStringLiteral("templates/topic-angle.txt"), angle);
}

QString ProgramFolder::path(const QString& relative) const
{
    return relative.isEmpty() ? m_dir.path() : m_dir.filePath(relative);
}

bool ProgramFolder::write(const QString& relative, const QByteArray& bytes) const
{
    QDir().mkpath(QFileInfo(path(relative)).absolutePath());
    QFile file(path(relative));
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

bool ProgramFolder::writeRecord(const QString& record, const QString& lines) const
{
    return write(QStringLiteral("products/") + record + QStringLiteral(".txt"),
                 QString(lines).replace(u'|', QStringLiteral("\r\n")).toUtf8());
}

QByteArray ProgramFolder::read(const QString& relative) const
{
    QFile file(path(relative));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

void paste(QWidget* box, const QString& text)
{
    QGuiApplication::clipboard()->setText(text);
    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
    if (text.isEmpty())
        QTest::keyClick(box, Qt::Key_Delete);
    else
        QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
}

void click(QWidget* widget)
{
    QTest::mouseClick(widget, Qt::LeftButton);
}

QString windowLeftOpen()
{
    for (const QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->isVisible() && widget->windowType() != Qt::ToolTip)
            return QString::fromLatin1(widget->metaObject()->className());
    }
    return QString();
}
