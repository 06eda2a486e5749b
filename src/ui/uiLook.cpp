#include "uiLook.h"

#include "linkLabel.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPalette>
#include <QPlainTextEdit>
#include <QScreen>
#include <QWidget>

namespace uiLook {

QFont font(qreal pointSize, bool bold)
{
    QFont f;
    f.setFamilies({QStringLiteral("Verdana"), QStringLiteral("DejaVu Sans")});
    f.setPointSizeF(pointSize);
    f.setBold(bold);
    return f;
}

QFont linkFont()
{
    QFont f = font(LabelSize);
    f.setUnderline(true);
    return f;
}

void setTextColor(QWidget* widget, const QColor& color)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, color);
    palette.setColor(QPalette::Text, color);
    widget->setPalette(palette);
}

namespace {

qreal sizeOf(const QWidget* widget)
{
    if (qobject_cast<const QLineEdit*>(widget) || qobject_cast<const QPlainTextEdit*>(widget)
        || qobject_cast<const QAbstractItemView*>(widget) || qobject_cast<const QComboBox*>(widget))
        return InputSize;
    return LabelSize;
}

void applyLook(QWidget* widget, const QString& look, bool bold)
{
    if (qobject_cast<LinkLabel*>(widget)) {
        widget->setFont(linkFont());
        setTextColor(widget, LinkBlue);
    } else if (qobject_cast<QGroupBox*>(widget) || look == u"heading") {
        widget->setFont(font(FrameTitleSize, true));
    } else if (look == u"title") {
        widget->setFont(font(12, true));
        setTextColor(widget, Qt::white);
        widget->setAttribute(Qt::WA_TranslucentBackground);
    } else if (look == u"hint") {
        widget->setFont(font(HintSize));
        setTextColor(widget, HintGrey);
    } else {
        widget->setFont(font(sizeOf(widget), bold));
    }
    if (look == u"header") {
        widget->setAutoFillBackground(true);
        QPalette band = widget->palette();
        band.setColor(QPalette::Window, HeaderPurple);
        widget->setPalette(band);
    } else if (look == u"create") {
        widget->setStyleSheet(
            QStringLiteral("QPushButton { background-color: rgb(192, 255, 192); border: 1px solid "
                           "rgb(112, 160, 112);"
                           " border-radius: 3px; }"
                           "QPushButton:hover { border-color: rgb(48, 112, 48); }"
                           "QPushButton:pressed { background-color: rgb(160, 224, 160); }"
                           "QPushButton:focus { border: 2px solid rgb(48, 112, 48); }"));
    }
}

} // namespace

void apply(QWidget* window)
{
    // Bold comes from the form; it is read before any font is set, so that no
    // control takes it over from its container.
    QList<QWidget*> widgets = window->findChildren<QWidget*>();
    QList<bool> bold;
    for (const QWidget* widget : widgets)
        bold.append(widget->font().bold());
    window->setFont(font(LabelSize));
    for (qsizetype i = 0; i < widgets.size(); ++i)
        applyLook(widgets[i], widgets[i]->property("look").toString(), bold[i]);
}

void centreOnScreen(QWidget* window)
{
    const QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect frame = window->frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window->move(frame.topLeft());
}

} // namespace uiLook
