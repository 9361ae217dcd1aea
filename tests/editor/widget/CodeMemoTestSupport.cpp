#include "editor/widget/CodeMemoTestSupport.h"

#include <QFontMetrics>
#include <QTest>
#include <cstdlib>

void RunKeys(TCodeMemo& memo, const std::vector<KeyStep>& steps)
{
    for (const KeyStep& step : steps) {
        if (const auto* text = std::get_if<const char*>(&step)) {
            // Characters beyond ASCII have no key code of their own: they come as text.
            for (const QChar ch : QString::fromUtf8(*text)) {
                if (ch.unicode() < 0x80) QTest::keyClick(&memo, ch.toLatin1());
                else QTest::sendKeyEvent(QTest::Click, &memo, Qt::Key_unknown, QString(ch), Qt::NoModifier);
            }
        } else {
            const KeyPress& key = std::get<KeyPress>(step);
            QTest::keyClick(&memo, key.Key, key.Modifiers);
        }
    }
}

QPoint CellPoint(const TCodeMemo& memo, int line, int column)
{
    const QFontMetrics metrics(memo.font());
    const int charWidth = metrics.horizontalAdvance(QLatin1Char('M'));
    const int top = memo.TopLine();
    // The text starts 2 pixels into the viewport; aim a little left of the cell's middle so the
    // point rounds to the cell's left edge.
    return QPoint(2 + column * charWidth + charWidth / 4, (line - top) * metrics.height() + metrics.height() / 2);
}

int CountPixelsNear(const QImage& image, QColor color, int tolerance)
{
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    int count = 0;
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width(); ++x) {
            const int distance = std::abs(qRed(row[x]) - color.red()) + std::abs(qGreen(row[x]) - color.green()) +
                                 std::abs(qBlue(row[x]) - color.blue());
            if (distance <= tolerance) ++count;
        }
    }
    return count;
}
