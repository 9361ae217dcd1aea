#pragma once
// The "Header" dialog: heading level 1 to 6, an optional alignment and the heading's text.

#include "markup/dialogs/MarkupDialog.h"
#include "markup/TextMarkup.h"

class QComboBox;
class QLineEdit;
class QPushButton;

class TForm10 : public TMarkupDialog {
    Q_OBJECT
public:
    explicit TForm10(QWidget* parent = nullptr);

    static constexpr int kHelpContext = 25;

    // Level "1", no alignment, the text from the selection.
    void Reset(const QString& selectedText = {}) override;
    TMarkup Markup() const override;
    THeaderFields Fields() const;

    QComboBox* ComboBox1;  // Number
    QComboBox* ComboBox2;  // Alignment
    QLineEdit* Edit1;      // Text
    QPushButton* Button1;  // OK
    QPushButton* Button2;  // Cancel

public slots:
    void Button1Click();
    void Button2Click();
};
