#include "markup/dialogs/FormU.h"

#include "markup/dialogs/DialogParts.h"
#include "platform/Platform.h"

#include <QBoxLayout>
#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

TForm14::TForm14(QWidget* parent)
    : TMarkupDialog(kHelpContext, parent),
      RadioGroup1(new QGroupBox(QStringLiteral("Method"), this)),
      RadioButtons{},
      Edit1(MakeLineEdit(this)),
      CheckBox1(new QCheckBox(QStringLiteral("Enctype (application/x-www-form-urlencoded)"), this)),
      Button1(MakeButton(QStringLiteral("OK"), this)),
      Button2(MakeButton(QStringLiteral("Cancel"), this)),
      methods_(new QButtonGroup(this))
{
    auto* methods = new QHBoxLayout(RadioGroup1);
    for (int i = 0; i < 3; ++i) {
        RadioButtons[i] = new QRadioButton(QString::fromUtf8(kFormMethods[i]), RadioGroup1);
        methods_->addButton(RadioButtons[i], i);
        methods->addWidget(RadioButtons[i]);
    }
    Edit1->setMinimumWidth(300);
    auto* body = new QVBoxLayout;
    body->addWidget(RadioGroup1);
    body->addLayout(LabelledFields(this, {{"URL", Edit1}}));
    body->addWidget(CheckBox1);
    LayOutDialog(*this, QStringLiteral("Form"), body, Button1, Button2,
                 {RadioButtons[0], RadioButtons[1], RadioButtons[2], Edit1, CheckBox1, Button1, Button2});
    connect(Button1, &QPushButton::clicked, this, &TForm14::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TForm14::Button2Click);
}

void TForm14::Reset(const QString&)
{
    RadioButtons[0]->setChecked(true);
    Edit1->clear();
    CheckBox1->setChecked(false);
    RadioButtons[0]->setFocus();
}

TMarkup TForm14::Markup() const
{
    const int method = std::max(methods_->checkedId(), 0);
    return FormMarkup(U32(QString::fromUtf8(kFormMethods[method])), U32(Edit1->text()),
                      CheckBox1->isChecked() ? TEnctype::UrlEncoded : TEnctype::None);
}

void TForm14::Button1Click()
{
    if (Edit1->text().isEmpty()) {
        platform().ShowMessage(QStringLiteral("The URL must not be empty!"));
        return;
    }
    accept();
}

void TForm14::Button2Click() { reject(); }
