// Pieces that the program's windows share when they build their controls as designed.
#pragma once

#include <QColor>
#include <QRect>
#include <QString>
#include <initializer_list>

class QFrame;
class QWidget;

// Tab walks the controls in the order given.
void ChainTabOrder(std::initializer_list<QWidget*> order);

// One stroke of a drawn line: a strip filled with its colour.
QFrame* NewLineStroke(QWidget* parent, const QString& name, const QRect& geometry,
                      const QColor& colour);
