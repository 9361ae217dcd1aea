#pragma once
// The "Label" dialog: the control the label belongs to and the label's text.

#include "markup/dialogs/MarkupDialog.h"
#include "markup/InsertionRules.h"

class QLineEdit;
class QPushButton;

class TForm18 : public TMarkupDialog {
    Q_OBJECT
public:
    explicit TForm18(QWidget* parent = nullptr);

    static constexpr int kHelpContext = 36;

    void Reset(const QString& selectedText = {}) override;
    TMarkup Markup() const override;

    QLineEdit* Edit1;      // Label For
    QLineEdit* Edit2;      // Text
    QPushButton* Button1;  // OK
    QPushButton* Button2;  // Cancel

public slots:
    void Button1Click();
    void Button2Click();
};
