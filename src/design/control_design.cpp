// Pieces that the program's windows share when they build their controls as designed.
#include "design/control_design.h"

#include <QFrame>
#include <QPalette>

void ChainTabOrder(std::initializer_list<QWidget*> order) {
    QWidget* previous = nullptr;
    for (QWidget* widget : order) {
        if (previous) QWidget::setTabOrder(previous, widget);
        previous = widget;
    }
}

QFrame* NewLineStroke(QWidget* parent, const QString& name, const QRect& geometry,
                      const QColor& colour) {
    auto* line = Placed(new QFrame(parent), name, geometry);
    line->setAutoFillBackground(true);
    QPalette palette = line->palette();
    palette.setColor(QPalette::Window, colour);
    line->setPalette(palette);
    return line;
}
