#include "markup/dialogs/InputU.h"

#include "markup/FormMarkup.h"
#include "markup/dialogs/DialogParts.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

namespace {

QStringList InputTypes()
{
    QStringList items;
    for (const char* item : kInputTypes) items << QString::fromUtf8(item);
    return items;
}

}  // namespace

TForm15::TForm15(QWidget* parent)
    : TMarkupDialog(kHelpContext, parent),
      ComboBox1(MakeChoiceList(InputTypes(), this)),
      Edit1(MakeLineEdit(this)),
      Edit2(MakeLineEdit(this)),
      Button1(MakeButton(QStringLiteral("OK"), this)),
      Button2(MakeButton(QStringLiteral("Cancel"), this))
{
    Edit1->setMinimumWidth(260);
    QBoxLayout* body = LabelledFields(this, {{"Type", ComboBox1}, {"Name", Edit1}, {"Value", Edit2}});
    LayOutDialog(*this, QStringLiteral("Input"), body, Button1, Button2, {ComboBox1, Edit1, Edit2, Button1, Button2});
    connect(Button1, &QPushButton::clicked, this, &TForm15::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TForm15::Button2Click);
}

void TForm15::Reset(const QString&)
{
    ComboBox1->setCurrentIndex(0);
    Edit1->clear();
    Edit2->clear();
    ComboBox1->setFocus();
}

TMarkup TForm15::Markup() const
{
    return InputMarkup(ChosenItem(*ComboBox1), U32(Edit1->text()), U32(Edit2->text()));
}

void TForm15::Button1Click() { accept(); }
void TForm15::Button2Click() { reject(); }
