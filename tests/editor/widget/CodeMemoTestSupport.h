#pragma once
// Helpers for driving a real TCodeMemo offscreen: key scripts, points of text cells, pixel counts.

#include "editor/widget/CodeMemo.h"

#include <QImage>
#include <QPoint>
#include <string>
#include <variant>
#include <vector>

// One step of a key script: text typed with keyClicks, or one key with its modifiers.
struct KeyPress {
    Qt::Key Key;
    Qt::KeyboardModifiers Modifiers = Qt::NoModifier;
};
using KeyStep = std::variant<const char*, KeyPress>;

void RunKeys(TCodeMemo& memo, const std::vector<KeyStep>& steps);

// The viewport point in the middle of the text cell at 0-based line and display column.
QPoint CellPoint(const TCodeMemo& memo, int line, int column);

// Pixels within a small distance of the colour.
int CountPixelsNear(const QImage& image, QColor color, int tolerance = 40);
