// The program's own 32 x 32 icon, drawn rather than shipped as a file.
#include "design/program_icon.h"

#include <QImage>
#include <QLinearGradient>
#include <QPainter>

namespace {

void DrawCase(QPainter& painter) {
    QLinearGradient shade(0, 4, 0, 29);
    shade.setColorAt(0, QColor(226, 226, 222));
    shade.setColorAt(1, QColor(150, 150, 146));
    painter.setPen(QPen(QColor(60, 60, 60), 1));
    painter.setBrush(shade);
    painter.drawRoundedRect(QRectF(1.5, 4.5, 29, 24), 3, 3);
}

// Seven-segment digits, segments a to g as bits 0 to 6, five pixels wide and seven high.
void DrawDigit(QPainter& painter, int left, int top, unsigned segments) {
    const QRect parts[] = {
        {left, top, 5, 1},     {left + 4, top, 1, 4}, {left + 4, top + 3, 1, 4},
        {left, top + 6, 5, 1}, {left, top + 3, 1, 4}, {left, top, 1, 4},
        {left, top + 3, 5, 1},
    };
    for (unsigned bit = 0; bit < 7; ++bit) {
        if (segments & (1u << bit)) painter.drawRect(parts[bit]);
    }
}

// "12.5" on a dark display.
void DrawDisplay(QPainter& painter) {
    painter.setPen(QPen(QColor(30, 30, 30), 1));
    painter.setBrush(QColor(20, 40, 20));
    painter.drawRect(QRectF(4.5, 7.5, 23, 11));
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(60, 255, 90));
    constexpr unsigned kOne = 0b0000110, kTwo = 0b1011011, kFive = 0b1101101;
    DrawDigit(painter, 6, 10, kOne);
    DrawDigit(painter, 14, 10, kTwo);
    painter.drawRect(20, 16, 1, 1);  // decimal point
    DrawDigit(painter, 22, 10, kFive);
}

void DrawTerminal(QPainter& painter, qreal x, const QColor& colour) {
    painter.setPen(QPen(QColor(40, 40, 40), 1));
    painter.setBrush(colour);
    painter.drawEllipse(QPointF(x, 23), 3, 3);
}

}  // namespace

QPixmap ProgramIcon() {
    QImage image(32, 32, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    DrawCase(painter);
    DrawDisplay(painter);
    DrawTerminal(painter, 9.5, QColor(210, 30, 30));
    DrawTerminal(painter, 22.5, QColor(30, 30, 30));
    painter.end();
    return QPixmap::fromImage(image);
}
