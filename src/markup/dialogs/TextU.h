#pragma once
// The "Text" dialog that the six text style commands share: one field with the text to style.
// Each command sets the caption and help topic before showing it; they stay until the next one.

#include "app/ButtonClosedDialog.h"
#include "markup/TextMarkup.h"

class QLabel;
class QLineEdit;
class QPushButton;

class TForm9 : public TButtonClosedDialog {
    Q_OBJECT
public:
    explicit TForm9(QWidget* parent = nullptr);

    // Caption and topic of the style, the field pre-filled with the selected text.
    void Prepare(TTextStyle style, const QString& selectedText);
    std::u32string Text() const;

    QLabel* Label1;
    QLineEdit* Edit1;
    QPushButton* Button1;  // OK
    QPushButton* Button2;  // Cancel

public slots:
    void Button1Click();
    void Button2Click();
};
