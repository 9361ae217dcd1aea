#pragma once
// The "Replace" dialog: what to find, what to put in its place, the two options and the direction.
// Made once and never reset, so it opens with the user's last values on any page. Only its
// buttons decide how it ends; Enter and Esc do nothing.

#include "platform/ButtonClosedDialog.h"

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

enum class TReplaceOutcome { None, ReplaceOneByOne, ReplaceAll };

class TForm5 : public TButtonClosedDialog {
    Q_OBJECT
public:
    explicit TForm5(QWidget* parent = nullptr);

    static constexpr int kHelpContext = 17;

    // None each time the dialog is shown; set only by "Replace" and "Replace All".
    TReplaceOutcome Outcome = TReplaceOutcome::None;

    QLineEdit* Edit1;         // Find what:
    QLineEdit* Edit2;         // Replace with:
    QCheckBox* CheckBox1;     // Match case
    QCheckBox* CheckBox2;     // Find whole words only
    QRadioButton* RadioButton1;  // Up
    QRadioButton* RadioButton2;  // Down
    QPushButton* Button1;     // Replace
    QPushButton* Button3;     // Replace All
    QPushButton* Button2;     // Cancel

public slots:
    void Button1Click();
    void Button3Click();
    void Button2Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    // The two fields must hold text; shows the message and returns false when one is empty.
    bool FieldsFilled();
};
