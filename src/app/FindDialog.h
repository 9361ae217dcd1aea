#pragma once
// The desktop's modeless Find dialog: a find-what text, whole-word and match-case boxes and the
// direction up or down. "Find Next" raises the find event and leaves the dialog open; "Cancel",
// Esc and the close box hide it. It keeps its values between uses.

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

class TFindDialog : public QDialog {
    Q_OBJECT
public:
    explicit TFindDialog(QWidget* parent = nullptr);

    QString FindText() const;
    void SetFindText(const QString& text);
    bool MatchCase() const;
    bool WholeWord() const;
    // True when the direction is up.
    bool Backwards() const;

    // Presses "Find Next" (does nothing while the find-what text is empty, as the button is off then).
    void FindNextClick();

    QLineEdit* FindEdit;
    QCheckBox* WholeWordBox;
    QCheckBox* MatchCaseBox;
    QRadioButton* UpButton;
    QRadioButton* DownButton;
    QPushButton* FindNextButton;
    QPushButton* CancelButton;

signals:
    // The find event: each press of "Find Next".
    void OnFind();
};
