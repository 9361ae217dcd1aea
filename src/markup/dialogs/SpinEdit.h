#pragma once
// A number field with up and down arrows that takes whatever is typed: a number outside its range
// counts as the nearest end, text that is not a number as 1, and the field shows the value it
// counts once it loses the focus. Each change of the value is reported at once.

#include <QSpinBox>

class TSpinEdit : public QSpinBox {
    Q_OBJECT
public:
    TSpinEdit(int minimum, int maximum, QWidget* parent = nullptr);

protected:
    QValidator::State validate(QString& input, int& pos) const override;
    int valueFromText(const QString& text) const override;
    void fixup(QString& input) const override;
};
