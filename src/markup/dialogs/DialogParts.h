#pragma once
// What the mark-up dialogs share: buttons that Enter never presses, fields under their labels,
// the OK and Cancel row, fixed size, tab order, and field texts turned into the text pages get
// (memo lines joined by CR LF, drop-down lists with no choice as empty text).

#include <QString>
#include <QStringList>
#include <initializer_list>
#include <string>
#include <utility>

class QBoxLayout;
class QComboBox;
class QDialog;
class QLayout;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

class QWidget;

QPushButton* MakeButton(const QString& text, QWidget* parent);
// A one-line field without the toolkit's length limit, so a long selection taken into it comes
// back whole instead of cut off.
QLineEdit* MakeLineEdit(QWidget* parent);
// A drop-down list that only offers its items (no typing), with nothing chosen.
QComboBox* MakeChoiceList(const QStringList& items, QWidget* parent);
// A multi-line field with both scroll bars and no wrapping; Tab leaves it.
QPlainTextEdit* MakeMemo(QWidget* parent);

// Each field under its label, top to bottom.
QBoxLayout* LabelledFields(QWidget* parent, std::initializer_list<std::pair<const char*, QWidget*>> fields);
// The body of a dialog with its "OK" and "Cancel" buttons side by side at the bottom, fixed in
// size and titled; the widgets take the tab order given.
void LayOutDialog(QDialog& dialog, const QString& caption, QLayout* body, QPushButton* ok, QPushButton* cancel,
                  std::initializer_list<QWidget*> tabOrder);

std::u32string U32(const QString& text);
// The chosen item's text, empty when nothing is chosen.
std::u32string ChosenItem(const QComboBox& list);
// The memo's lines joined by CR LF, exactly as typed.
std::u32string MemoText(const QPlainTextEdit& memo);
// Fills the memo from text whose lines are joined by CR LF (or CR or LF).
void SetMemoText(QPlainTextEdit& memo, const QString& text);
