#include "markup/dialogs/SpinEdit.h"

#include <algorithm>

TSpinEdit::TSpinEdit(int minimum, int maximum, QWidget* parent) : QSpinBox(parent)
{
    setRange(minimum, maximum);
    setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
}

QValidator::State TSpinEdit::validate(QString&, int&) const
{
    return QValidator::Acceptable;
}

int TSpinEdit::valueFromText(const QString& text) const
{
    bool number = false;
    const qlonglong value = text.trimmed().toLongLong(&number);
    if (!number)
        return 1;
    return static_cast<int>(std::clamp<qlonglong>(value, minimum(), maximum()));
}

void TSpinEdit::fixup(QString& input) const
{
    input = textFromValue(valueFromText(input));
}
