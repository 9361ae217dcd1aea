#pragma once
// Base of the program's own modal dialogs: only their buttons close them (Enter and Esc do
// nothing), and F1 opens the dialog's help topic.

#include <QDialog>

class TButtonClosedDialog : public QDialog {
    Q_OBJECT
public:
    TButtonClosedDialog(int helpContext, QWidget* parent);

    // For a dialog that several commands share, each with its own topic.
    void SetHelpContext(int helpContext) { helpContext_ = helpContext; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    int helpContext_;
};
