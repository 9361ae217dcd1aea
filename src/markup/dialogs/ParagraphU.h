#pragma once
// The "Paragraph" dialog: an optional alignment and the paragraph's text, several lines allowed.

#include "markup/TextMarkup.h"
#include "markup/dialogs/MarkupDialog.h"

#include <string>

class QComboBox;
class QPlainTextEdit;
class QPushButton;

class TForm8 : public TMarkupDialog {
    Q_OBJECT
public:
    explicit TForm8(QWidget* parent = nullptr);

    static constexpr int kHelpContext = 20;

    // No alignment; the memo holds the selected text, one memo line per page line.
    void Reset(const QString& selectedText = {}) override;
    TMarkup Markup() const override;
    std::u32string Alignment() const;
    std::u32string Text() const;  // lines joined by CR LF

    QComboBox* ComboBox1;     // Alignment
    QPlainTextEdit* Memo1;    // Text
    QPushButton* Button1;     // OK
    QPushButton* Button2;     // Cancel

public slots:
    void Button1Click();
    void Button2Click();
};
