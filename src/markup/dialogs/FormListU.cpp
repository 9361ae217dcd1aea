#include "markup/dialogs/FormListU.h"

#include "markup/dialogs/DialogParts.h"
#include "markup/dialogs/GridCells.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>

namespace {

constexpr int kTextColumn = 0;
constexpr int kValueColumn = 1;

}  // namespace

TForm16::TForm16(QWidget* parent)
    : TMarkupDialog(kHelpContext, parent),
      Edit1(MakeLineEdit(this)),
      Edit2(MakeLineEdit(this)),
      CheckBox1(new QCheckBox(QStringLiteral("Multiple Selections"), this)),
      ComboBox1(MakeChoiceList({"Left", "Center", "Right"}, this)),
      StringGrid1(MakeGrid(1, 2, TGridHeadings::Shown, this)),
      Button1(MakeButton(QStringLiteral("Add Line"), this)),
      Button3(MakeButton(QStringLiteral("OK"), this)),
      Button4(MakeButton(QStringLiteral("Cancel"), this))
{
    StringGrid1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    StringGrid1->setMinimumSize(300, 160);
    StringGrid1->horizontalHeader()->setStretchLastSection(true);
    QBoxLayout* body = LabelledFields(this, {{"Name", Edit1}, {"Size", Edit2}});
    body->addWidget(CheckBox1);
    body->addSpacing(6);
    body->addLayout(LabelledFields(this, {{"Alignment", ComboBox1}, {"Items", StringGrid1}}));
    body->addWidget(Button1, 0, Qt::AlignLeft);
    LayOutDialog(*this, QStringLiteral("List"), body, Button3, Button4,
                 {Edit1, Edit2, CheckBox1, ComboBox1, StringGrid1, Button1, Button3, Button4});
    connect(Button1, &QPushButton::clicked, this, &TForm16::Button1Click);
    connect(Button3, &QPushButton::clicked, this, &TForm16::Button3Click);
    connect(Button4, &QPushButton::clicked, this, &TForm16::Button4Click);
}

void TForm16::Reset(const QString&)
{
    Edit1->clear();
    Edit2->clear();
    CheckBox1->setChecked(false);
    ComboBox1->setCurrentIndex(-1);
    StringGrid1->setHorizontalHeaderLabels({QString(), QString()});
    ResetGrid(*StringGrid1, 1, 2);
    Edit1->setFocus();
}

TSelectListFields TForm16::Fields() const
{
    TSelectListFields fields;
    fields.Name = U32(Edit1->text());
    fields.Size = U32(Edit2->text());
    fields.Selection = CheckBox1->isChecked() ? TSelection::Multiple : TSelection::Single;
    fields.Alignment = ChosenItem(*ComboBox1);
    fields.Options.reserve(static_cast<std::size_t>(StringGrid1->rowCount()));
    for (int row = 0; row < StringGrid1->rowCount(); ++row)
        fields.Options.push_back({CellText(*StringGrid1, row, kTextColumn), CellText(*StringGrid1, row, kValueColumn)});
    return fields;
}

void TForm16::showEvent(QShowEvent* event)
{
    FormShow();
    TButtonClosedDialog::showEvent(event);
}

void TForm16::FormShow()
{
    StringGrid1->setHorizontalHeaderLabels({QStringLiteral("Text"), QStringLiteral("Value")});
}

void TForm16::Button1Click()
{
    if (StringGrid1->rowCount() + 1 < kMaxGridRows)
        StringGrid1->setRowCount(StringGrid1->rowCount() + 1);
}

void TForm16::Button3Click() { accept(); }
void TForm16::Button4Click() { reject(); }

TMarkup TForm16::Markup() const
{
    return SelectListMarkup(Fields());
}
