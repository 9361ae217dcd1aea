#include "markup/dialogs/FrameU.h"

#include "markup/dialogs/DialogParts.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

TForm20::TForm20(QWidget* parent)
    : TMarkupDialog(kHelpContext, parent),
      Edit1(MakeLineEdit(this)),
      Edit2(MakeLineEdit(this)),
      Edit3(MakeLineEdit(this)),
      Edit4(MakeLineEdit(this)),
      Edit5(MakeLineEdit(this)),
      ComboBox1(MakeChoiceList({"Yes", "No", "Auto"}, this)),
      Button1(MakeButton(QStringLiteral("OK"), this)),
      Button2(MakeButton(QStringLiteral("Cancel"), this))
{
    Edit1->setMinimumWidth(260);
    QBoxLayout* body = LabelledFields(this, {{"Name", Edit1}, {"File Name", Edit2}, {"Border Width", Edit3},
                                             {"Margin Width", Edit4}, {"Margin Height", Edit5},
                                             {"Scrolling", ComboBox1}});
    LayOutDialog(*this, QStringLiteral("Frame"), body, Button1, Button2,
                 {Edit1, Edit2, Edit3, Edit4, Edit5, ComboBox1, Button1, Button2});
    connect(Button1, &QPushButton::clicked, this, &TForm20::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TForm20::Button2Click);
}

void TForm20::Reset(const QString&)
{
    for (QLineEdit* edit : {Edit1, Edit2, Edit3, Edit4, Edit5})
        edit->clear();
    ComboBox1->setCurrentIndex(-1);
    Edit1->setFocus();
}

TFrameFields TForm20::Fields() const
{
    return {U32(Edit1->text()), U32(Edit2->text()), U32(Edit3->text()),
            U32(Edit4->text()), U32(Edit5->text()), ChosenItem(*ComboBox1)};
}

void TForm20::Button1Click() { accept(); }
void TForm20::Button2Click() { reject(); }

TMarkup TForm20::Markup() const
{
    return FrameMarkup(Fields());
}
