#pragma once
// The colour swatch next to a "Select" button: a framed rectangle filled with the colour it holds.

#include <QColor>
#include <QFrame>
#include <cstdint>

class ColorSwatch : public QFrame {
    Q_OBJECT
public:
    explicit ColorSwatch(QWidget* parent = nullptr);

    QColor Color() const { return color_; }
    void SetColor(const QColor& color);
    // The colour as 0xRRGGBB, the form pages are written from.
    std::uint32_t Rgb() const;

    QSize sizeHint() const override { return {65, 25}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor color_ = Qt::white;
};
