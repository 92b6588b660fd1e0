// A label that works as a link: underlined, clickable, and reachable from the keyboard.
#pragma once

#include "design/auto_size_label.h"

// Keeps itself as wide as its text, so that a long address is never cut off. Tab reaches it;
// Space or Enter then acts as a click, and a dotted frame shows where the focus is.
class LinkLabel : public AutoSizeLabel {
    Q_OBJECT

public:
    LinkLabel(const QString& text, QWidget* parent);

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
};
