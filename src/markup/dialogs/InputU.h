#pragma once
// The "Input" dialog: the input field's type from ten fixed ones, its name and its value.

#include "markup/dialogs/MarkupDialog.h"
#include "markup/InsertionRules.h"

class QComboBox;
class QLineEdit;
class QPushButton;

class TForm15 : public TMarkupDialog {
    Q_OBJECT
public:
    explicit TForm15(QWidget* parent = nullptr);

    static constexpr int kHelpContext = 33;

    // "Text", no name, no value.
    void Reset(const QString& selectedText = {}) override;
    TMarkup Markup() const override;

    QComboBox* ComboBox1;  // Type
    QLineEdit* Edit1;      // Name
    QLineEdit* Edit2;      // Value
    QPushButton* Button1;  // OK
    QPushButton* Button2;  // Cancel

public slots:
    void Button1Click();
    void Button2Click();
};
