#pragma once
// The colour chooser of one dialog, shared by all its "Select" buttons. It is not set from the
// swatch: it opens with black the first time and afterwards with the colour last confirmed in it.

#include <QColor>

class ColorSwatch;
class QWidget;

class ColorChooser {
public:
    // Shows the colour dialog; on confirmation the swatch takes the chosen colour. True if confirmed.
    bool ChooseInto(QWidget* parent, ColorSwatch& swatch);
    QColor LastChosen() const { return last_; }

private:
    QColor last_ = Qt::black;
};
