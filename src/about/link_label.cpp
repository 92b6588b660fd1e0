// A label that works as a link: underlined, clickable, and reachable from the keyboard.
#include "about/link_label.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyleOptionFocusRect>
#include <QStylePainter>

LinkLabel::LinkLabel(const QString& text, QWidget* parent)
    : AutoSizeLabel(text, Anchor::Left, parent) {
    setTextFormat(Qt::PlainText);
    setCursor(Qt::UpArrowCursor);
    setFocusPolicy(Qt::StrongFocus);
    setMargin(1);  // room for the focus frame around the text
    QFont underlined = font();
    underlined.setUnderline(true);
    setFont(underlined);
}

// A click is a press and a release both on the label.
void LinkLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        emit clicked();
        return;
    }
    AutoSizeLabel::mouseReleaseEvent(event);
}

void LinkLabel::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Space:
        case Qt::Key_Return:
        case Qt::Key_Enter:
            emit clicked();
            return;
        default:
            AutoSizeLabel::keyPressEvent(event);
    }
}

void LinkLabel::paintEvent(QPaintEvent* event) {
    AutoSizeLabel::paintEvent(event);
    if (!hasFocus()) return;
    QStylePainter painter(this);
    QStyleOptionFocusRect option;
    option.initFrom(this);
    painter.drawPrimitive(QStyle::PE_FrameFocusRect, option);
}
