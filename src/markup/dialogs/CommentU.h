#pragma once
// The "Comment" dialog: the text of an HTML comment, refused while empty.

#include "markup/TextMarkup.h"
#include "markup/dialogs/MarkupDialog.h"

#include <string>

class QLabel;
class QPlainTextEdit;
class QPushButton;

class TForm22 : public TMarkupDialog {
    Q_OBJECT
public:
    explicit TForm22(QWidget* parent = nullptr);

    static constexpr int kHelpContext = 40;

    void Reset(const QString& selectedText = {}) override;
    TMarkup Markup() const override;
    std::u32string Text() const;  // lines joined by CR LF

    QLabel* Label1;
    QPlainTextEdit* Memo1;
    QPushButton* Button1;  // OK
    QPushButton* Button2;  // Cancel

public slots:
    void Button1Click();
    void Button2Click();
};
