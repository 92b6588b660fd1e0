// A command button that Enter presses as well as Space, as the window's users expect.
#pragma once

#include <QPushButton>

// Outside a dialog Qt lets only Space press a focused button; this one takes Enter too. A held
// Enter presses it once, so that a repeating key cannot send the same command again and again.
class CommandButton : public QPushButton {
public:
    CommandButton(const QString& caption, QWidget* parent) : QPushButton(caption, parent) {}

protected:
    void keyPressEvent(QKeyEvent* event) override;
};
