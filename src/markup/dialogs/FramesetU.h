#pragma once
// The "Frame Set" dialog: the rows' and columns' widths and the border width of a frame set.

#include "markup/dialogs/MarkupDialog.h"
#include "markup/InsertionRules.h"

class QLineEdit;
class QPushButton;

class TForm19 : public TMarkupDialog {
    Q_OBJECT
public:
    explicit TForm19(QWidget* parent = nullptr);

    static constexpr int kHelpContext = 37;

    void Reset(const QString& selectedText = {}) override;
    TMarkup Markup() const override;

    QLineEdit* Edit1;      // Rows Width
    QLineEdit* Edit2;      // Columns Width
    QLineEdit* Edit3;      // Border Width
    QPushButton* Button1;  // OK
    QPushButton* Button2;  // Cancel

public slots:
    void Button1Click();
    void Button2Click();
};
