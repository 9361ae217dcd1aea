#include "markup/dialogs/HeaderU.h"

#include "markup/dialogs/DialogParts.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

TForm10::TForm10(QWidget* parent)
    : TMarkupDialog(kHelpContext, parent),
      ComboBox1(MakeChoiceList({"1", "2", "3", "4", "5", "6"}, this)),
      ComboBox2(MakeChoiceList({"Left", "Center", "Right"}, this)),
      Edit1(MakeLineEdit(this)),
      Button1(MakeButton(QStringLiteral("OK"), this)),
      Button2(MakeButton(QStringLiteral("Cancel"), this))
{
    Edit1->setMinimumWidth(280);
    QBoxLayout* body = LabelledFields(this, {{"Number", ComboBox1}, {"Alignment", ComboBox2}, {"Text", Edit1}});
    LayOutDialog(*this, QStringLiteral("Header"), body, Button1, Button2,
                 {ComboBox1, ComboBox2, Edit1, Button1, Button2});
    connect(Button1, &QPushButton::clicked, this, &TForm10::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TForm10::Button2Click);
}

void TForm10::Reset(const QString& selectedText)
{
    ComboBox1->setCurrentIndex(0);
    ComboBox2->setCurrentIndex(-1);
    Edit1->setText(selectedText);
    ComboBox1->setFocus();
}

THeaderFields TForm10::Fields() const
{
    return {ChosenItem(*ComboBox1), ChosenItem(*ComboBox2), U32(Edit1->text())};
}

void TForm10::Button1Click() { accept(); }
void TForm10::Button2Click() { reject(); }

TMarkup TForm10::Markup() const
{
    return HeaderMarkup(Fields());
}
