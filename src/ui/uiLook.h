#pragma once

#include <QColor>
#include <QFont>
#include <QRect>

class QWidget;

// The look the program's windows share.
namespace uiLook {

// Verdana, or DejaVu Sans where Verdana is not installed (most Linux systems).
QFont font(qreal pointSize, bool bold = false);
// The underlined label font of links.
QFont linkFont();

inline constexpr qreal FrameTitleSize = 9.75;
inline constexpr qreal LabelSize = 9.0;
inline constexpr qreal InputSize = 9.75;
inline constexpr qreal HintSize = 8.25;

inline const QColor LinkBlue{0, 0, 192};
inline const QColor HintGrey{128, 128, 128};
inline const QColor HeaderPurple{64, 0, 64};

// Positions are laid out in twips; 15 twips make one logical pixel, rounded
// to the nearest.
constexpr int px(int twips)
{
    return (twips + 7) / 15;
}

void setTextColor(QWidget* widget, const QColor& color);

// Gives every control of a window made from a .ui file its font and colours:
// the size by the kind of control, bold where the form says so, and the
// special looks named by a control's "look" property ("header", "title",
// "heading", "hint", "create"); links are LinkLabels.
void apply(QWidget* window);
void centreOnScreen(QWidget* window);

} // namespace uiLook
