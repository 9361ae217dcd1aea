#pragma once
// The "Link" dialog: address, target window, title and the linked text; refuses an empty address.

#include "markup/dialogs/MarkupDialog.h"
#include "markup/LinkMarkup.h"

class QComboBox;
class QLineEdit;
class QPushButton;

class TForm6 : public TMarkupDialog {
    Q_OBJECT
public:
    explicit TForm6(QWidget* parent = nullptr);

    static constexpr int kHelpContext = 18;

    // Empty address and title, "Default Window", the text from the selection.
    void Reset(const QString& selectedText = {}) override;
    TMarkup Markup() const override;
    TLinkFields Fields() const;

    QLineEdit* Edit1;      // URL
    QComboBox* ComboBox1;  // Target
    QLineEdit* Edit2;      // Title
    QLineEdit* Edit3;      // Text
    QPushButton* Button1;  // OK
    QPushButton* Button2;  // Cancel

public slots:
    void Button1Click();
    void Button2Click();
};
