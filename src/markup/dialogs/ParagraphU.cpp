#include "markup/dialogs/ParagraphU.h"

#include "markup/dialogs/DialogParts.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QPlainTextEdit>
#include <QPushButton>

TForm8::TForm8(QWidget* parent)
    : TMarkupDialog(kHelpContext, parent),
      ComboBox1(MakeChoiceList({"Left", "Center", "Right"}, this)),
      Memo1(MakeMemo(this)),
      Button1(MakeButton(QStringLiteral("OK"), this)),
      Button2(MakeButton(QStringLiteral("Cancel"), this))
{
    QBoxLayout* body = LabelledFields(this, {{"Alignment", ComboBox1}, {"Text", Memo1}});
    LayOutDialog(*this, QStringLiteral("Paragraph"), body, Button1, Button2, {ComboBox1, Memo1, Button1, Button2});
    connect(Button1, &QPushButton::clicked, this, &TForm8::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TForm8::Button2Click);
}

void TForm8::Reset(const QString& selectedText)
{
    ComboBox1->setCurrentIndex(-1);
    SetMemoText(*Memo1, selectedText);
    ComboBox1->setFocus();
}

std::u32string TForm8::Alignment() const { return ChosenItem(*ComboBox1); }
std::u32string TForm8::Text() const { return MemoText(*Memo1); }

void TForm8::Button1Click() { accept(); }
void TForm8::Button2Click() { reject(); }

TMarkup TForm8::Markup() const
{
    return ParagraphMarkup(Alignment(), Text());
}
