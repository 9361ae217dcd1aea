#pragma once
// The "Text Area" dialog: the text area's name, rows, columns and its starting text.

#include "markup/dialogs/MarkupDialog.h"
#include "markup/FormMarkup.h"

class QLineEdit;
class QPlainTextEdit;
class QPushButton;

class TForm17 : public TMarkupDialog {
    Q_OBJECT
public:
    explicit TForm17(QWidget* parent = nullptr);

    static constexpr int kHelpContext = 35;

    void Reset(const QString& selectedText = {}) override;
    TMarkup Markup() const override;
    TTextAreaFields Fields() const;

    QLineEdit* Edit1;       // Name
    QLineEdit* Edit2;       // Rows Count
    QLineEdit* Edit3;       // Columns Count
    QPlainTextEdit* Memo1;  // Text
    QPushButton* Button1;   // OK
    QPushButton* Button2;   // Cancel

public slots:
    void Button1Click();
    void Button2Click();
};
