// The output lamp: a filled circle whose colour tells whether the supply's output is on.
#pragma once

#include <QColor>
#include <QWidget>

class OutputLamp : public QWidget {
public:
    explicit OutputLamp(QWidget* parent);

    // Green means on; screen readers hear "on" or "off" with it.
    void setBackColor(const QColor& color);
    QColor backColor() const { return backColor_; }

    static QColor OnColor() { return QColor(0, 255, 0); }
    static QColor OffColor() { return QColor(255, 0, 0); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor backColor_;
};
