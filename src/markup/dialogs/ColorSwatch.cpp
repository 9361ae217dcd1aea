#include "markup/dialogs/ColorSwatch.h"

#include <QPainter>

ColorSwatch::ColorSwatch(QWidget* parent) : QFrame(parent)
{
    setFixedSize(sizeHint());
}

void ColorSwatch::SetColor(const QColor& color)
{
    color_ = color;
    update();
}

std::uint32_t ColorSwatch::Rgb() const
{
    return color_.rgb() & 0xFFFFFFu;
}

void ColorSwatch::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setPen(Qt::black);
    painter.setBrush(color_);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}
