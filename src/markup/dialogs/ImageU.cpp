#include "markup/dialogs/ImageU.h"

#include "markup/dialogs/ColorSwatch.h"
#include "markup/dialogs/DialogParts.h"
#include "platform/Platform.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

TForm11::TForm11(QWidget* parent)
    : TMarkupDialog(kHelpContext, parent),
      Edit1(MakeLineEdit(this)),
      Edit2(MakeLineEdit(this)),
      Edit3(MakeLineEdit(this)),
      ComboBox1(MakeChoiceList({"Left", "Center", "Right"}, this)),
      Edit4(MakeLineEdit(this)),
      Edit5(MakeLineEdit(this)),
      Edit6(MakeLineEdit(this)),
      Shape1(new ColorSwatch(this)),
      Button3(MakeButton(QStringLiteral("Select"), this)),
      Button1(MakeButton(QStringLiteral("OK"), this)),
      Button2(MakeButton(QStringLiteral("Cancel"), this))
{
    Edit1->setMinimumWidth(280);
    QBoxLayout* body = LabelledFields(this, {{"File Name", Edit1}, {"Width", Edit2}, {"Height", Edit3},
                                             {"Alignment", ComboBox1}, {"Title", Edit4}, {"Alt", Edit5},
                                             {"Border Width", Edit6}});
    auto* colour = new QHBoxLayout;
    colour->addWidget(Shape1);
    colour->addWidget(Button3);
    colour->addStretch();
    body->addWidget(new QLabel(QStringLiteral("Border Color"), this));
    body->addLayout(colour);
    LayOutDialog(*this, QStringLiteral("Image"), body, Button1, Button2,
                 {Edit1, Edit2, Edit3, ComboBox1, Edit4, Edit5, Edit6, Button3, Button1, Button2});
    connect(Button1, &QPushButton::clicked, this, &TForm11::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TForm11::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &TForm11::Button3Click);
    Reset();
}

void TForm11::Reset(const QString&)
{
    for (QLineEdit* edit : {Edit1, Edit2, Edit3, Edit4, Edit5, Edit6})
        edit->clear();
    ComboBox1->setCurrentIndex(-1);
    Shape1->SetColor(Qt::black);
    Edit1->setFocus();
}

TImageFields TForm11::Fields() const
{
    return {U32(Edit1->text()), U32(Edit2->text()), U32(Edit3->text()), ChosenItem(*ComboBox1),
            U32(Edit4->text()), U32(Edit5->text()), U32(Edit6->text()), Shape1->Rgb()};
}

void TForm11::Button1Click()
{
    if (Edit1->text().isEmpty()) {
        platform().ShowMessage(QStringLiteral("The File Name must not be empty!"));
        return;
    }
    accept();
}

void TForm11::Button2Click() { reject(); }
void TForm11::Button3Click() { colorChooser_.ChooseInto(this, *Shape1); }

TMarkup TForm11::Markup() const
{
    return ImageMarkup(Fields());
}
