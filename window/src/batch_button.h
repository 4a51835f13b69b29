#pragma once

#include <QPushButton>

// One of the four buttons, each of which renames the whole folder: nobody
// double-clicks to run a batch twice, so the second press of a double click
// is no click. A separate click later is one, as always.
class BatchButton : public QPushButton {
    Q_OBJECT
public:
    BatchButton(const QString& text, QWidget* parent);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    // The left button is held down for the second press of a double click.
    bool secondPress_ = false;
};
