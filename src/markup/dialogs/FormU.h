#pragma once
// The "Form" dialog: method, address and whether the url-encoded enctype is written; refuses an
// empty address.

#include "markup/dialogs/MarkupDialog.h"
#include "markup/FormMarkup.h"

#include <array>

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

class TForm14 : public TMarkupDialog {
    Q_OBJECT
public:
    explicit TForm14(QWidget* parent = nullptr);

    static constexpr int kHelpContext = 32;

    // "Post", no address, no enctype.
    void Reset(const QString& selectedText = {}) override;
    TMarkup Markup() const override;

    QGroupBox* RadioGroup1;                     // Method
    std::array<QRadioButton*, 3> RadioButtons;  // "Post", "Get", "Link"
    QLineEdit* Edit1;                           // URL
    QCheckBox* CheckBox1;                       // Enctype
    QPushButton* Button1;                       // OK
    QPushButton* Button2;                       // Cancel

public slots:
    void Button1Click();
    void Button2Click();

private:
    QButtonGroup* methods_;
};
