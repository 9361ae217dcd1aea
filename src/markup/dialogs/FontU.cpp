#include "markup/dialogs/FontU.h"

#include "markup/dialogs/ColorSwatch.h"
#include "markup/dialogs/DialogParts.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

// Fixed: pages name faces their readers may have, not the ones installed here.
const QStringList TForm7::kFaceNames = {
    "Arial",          "Arial Black",     "Arial Narrow",        "Book Antiqua",         "Calibri",
    "Century",        "Comic Sans MS",   "Courier",             "Courier New",          "Fixedsys",
    "Garamond",       "Georgia",         "Impact",              "Lucida Console",       "Lucida Sans Unicode",
    "Microsoft Sans Serif", "Modern",    "Monotype Corsiva",    "MS Outlook",           "MS Sans Serif",
    "MS Serif",       "Roman",           "Small Fonts",         "Sylfaen",              "Symbol",
    "System",         "Tahoma",          "Terminal",            "Times New Roman",      "Verdana",
};

TForm7::TForm7(QWidget* parent)
    : TMarkupDialog(kHelpContext, parent),
      ComboBox1(MakeChoiceList(kFaceNames, this)),
      Edit1(MakeLineEdit(this)),
      Shape1(new ColorSwatch(this)),
      Button1(MakeButton(QStringLiteral("Select"), this)),
      Edit2(MakeLineEdit(this)),
      Button2(MakeButton(QStringLiteral("OK"), this)),
      Button3(MakeButton(QStringLiteral("Cancel"), this))
{
    auto* colour = new QHBoxLayout;
    colour->addWidget(Shape1);
    colour->addWidget(Button1);
    colour->addStretch();
    QBoxLayout* body = LabelledFields(this, {{"Name", ComboBox1}, {"Size", Edit1}});
    auto* colourLabel = new QLabel(QStringLiteral("Color"), this);
    body->addWidget(colourLabel);
    body->addLayout(colour);
    body->addSpacing(6);
    body->addWidget(new QLabel(QStringLiteral("Text"), this));
    body->addWidget(Edit2);
    Edit2->setMinimumWidth(280);
    LayOutDialog(*this, QStringLiteral("Font"), body, Button2, Button3,
                 {ComboBox1, Edit1, Button1, Edit2, Button2, Button3});
    connect(Button1, &QPushButton::clicked, this, &TForm7::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TForm7::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &TForm7::Button3Click);
    Reset(QString());
}

void TForm7::Reset(const QString& selectedText)
{
    Edit2->setText(selectedText);
    ComboBox1->setCurrentIndex(-1);
    Edit1->clear();
    Shape1->SetColor(Qt::black);
    ComboBox1->setFocus();
}

TFontFields TForm7::Fields() const
{
    return {ChosenItem(*ComboBox1), U32(Edit1->text()), Shape1->Rgb(), U32(Edit2->text())};
}

void TForm7::Button1Click() { colorChooser_.ChooseInto(this, *Shape1); }
void TForm7::Button2Click() { accept(); }
void TForm7::Button3Click() { reject(); }

TMarkup TForm7::Markup() const
{
    return FontMarkup(Fields());
}
