// Pieces that the program's windows share when they build their controls as designed.
#pragma once

#include <QColor>
#include <QRect>
#include <QString>
#include <initializer_list>

class QFrame;
class QWidget;

// The control named and put where the design has it.
template <typename Widget>
Widget* Placed(Widget* widget, const QString& name, const QRect& geometry) {
    widget->setObjectName(name);
    widget->setGeometry(geometry);
    return widget;
}

// Tab walks the controls in the order given.
void ChainTabOrder(std::initializer_list<QWidget*> order);

// One stroke of a drawn line: a strip filled with its colour.
QFrame* NewLineStroke(QWidget* parent, const QString& name, const QRect& geometry,
                      const QColor& colour);
