// A caption that keeps itself exactly as large as its text.
#include "design/auto_size_label.h"

#include <QEvent>

AutoSizeLabel::AutoSizeLabel(const QString& text, Anchor anchor, QWidget* parent)
    : QLabel(text, parent), anchor_(anchor) {
    parent->installEventFilter(this);
}

void AutoSizeLabel::FitToText() {
    const QSize size = sizeHint();
    QRect place = geometry();
    if (anchor_ == Anchor::Right) {
        place.setLeft(place.right() + 1 - size.width());
    } else {
        place.setWidth(size.width());
    }
    place.setHeight(size.height());
    setGeometry(place);
}

bool AutoSizeLabel::event(QEvent* event) {
    const bool handled = QLabel::event(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::Show) FitToText();
    return handled;
}

bool AutoSizeLabel::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parent() && event->type() == QEvent::LayoutRequest) FitToText();
    return QLabel::eventFilter(watched, event);
}
