// The output lamp: a filled circle whose colour tells whether the supply's output is on.
#include "panel/output_lamp.h"

#include <QPainter>

OutputLamp::OutputLamp(QWidget* parent) : QWidget(parent) {
    setAccessibleName(QStringLiteral("Output lamp"));
    setBackColor(OnColor());
}

void OutputLamp::setBackColor(const QColor& color) {
    backColor_ = color;
    setAccessibleDescription(color == OnColor() ? QStringLiteral("on") : QStringLiteral("off"));
    update();
}

void OutputLamp::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(backColor_);
    painter.drawEllipse(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
}
