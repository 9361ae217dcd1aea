#pragma once
// The "Text" dialog that the six text style commands share: one field with the text to style.
// Each command sets the caption and help topic before showing it; they stay until the next one.

#include "markup/dialogs/MarkupDialog.h"
#include "markup/TextMarkup.h"

class QLabel;
class QLineEdit;
class QPushButton;

class TForm9 : public TMarkupDialog {
    Q_OBJECT
public:
    explicit TForm9(QWidget* parent = nullptr);

    // Caption, topic and tags of the style, kept until the next command names another.
    void SetStyle(TTextStyle style);
    // The field pre-filled with the selected text.
    void Reset(const QString& selectedText = {}) override;
    TMarkup Markup() const override;
    std::u32string Text() const;

    QLabel* Label1;
    QLineEdit* Edit1;
    QPushButton* Button1;  // OK
    QPushButton* Button2;  // Cancel

public slots:
    void Button1Click();
    void Button2Click();

private:
    TTextStyle style_ = TTextStyle::Bold;
};
