#pragma once

#include <QLabel>

// A label drawn and used as a link: blue, underlined, the up-arrow pointer,
// reachable with Tab and activated by a click or Space. Enter starts nothing:
// the windows have no default button.
class LinkLabel final : public QLabel
{
    Q_OBJECT
public:
    explicit LinkLabel(QWidget* parent = nullptr);

Q_SIGNALS:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    bool m_pressed = false;
};
