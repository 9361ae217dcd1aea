#include "markup/dialogs/TableU.h"

#include "markup/dialogs/ColorSwatch.h"
#include "markup/dialogs/DialogParts.h"
#include "markup/dialogs/GridCells.h"
#include "markup/dialogs/SpinEdit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QHeaderView>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>

namespace {

constexpr int kMaxCount = 100;

QLayout* SwatchRow(ColorSwatch* swatch, QPushButton* select)
{
    auto* row = new QHBoxLayout;
    row->addWidget(swatch);
    row->addWidget(select);
    row->addStretch();
    return row;
}

}  // namespace

TForm13::TForm13(QWidget* parent)
    : TMarkupDialog(kHelpContext, parent),
      ComboBox1(MakeChoiceList({"Left", "Center", "Right"}, this)),
      Edit1(MakeLineEdit(this)),
      Shape1(new ColorSwatch(this)),
      Button1(MakeButton(QStringLiteral("Select"), this)),
      Edit2(MakeLineEdit(this)),
      Edit3(MakeLineEdit(this)),
      Edit4(MakeLineEdit(this)),
      Shape2(new ColorSwatch(this)),
      Button2(MakeButton(QStringLiteral("Select"), this)),
      Edit5(MakeLineEdit(this)),
      SpinEdit1(new TSpinEdit(1, kMaxCount, this)),
      SpinEdit2(new TSpinEdit(1, kMaxCount, this)),
      CheckBox1(new QCheckBox(QStringLiteral("Head"), this)),
      StringGrid1(MakeGrid(1, 1, TGridHeadings::Hidden, this)),
      StringGrid2(MakeGrid(1, 1, TGridHeadings::Hidden, this)),
      CheckBox2(new QCheckBox(QStringLiteral("Foot"), this)),
      StringGrid3(MakeGrid(1, 1, TGridHeadings::Hidden, this)),
      Button3(MakeButton(QStringLiteral("OK"), this)),
      Button4(MakeButton(QStringLiteral("Cancel"), this))
{
    QBoxLayout* attributes = LabelledFields(this, {{"Alignment", ComboBox1}, {"Width", Edit1}});
    attributes->addWidget(new QLabel(QStringLiteral("Background Color"), this));
    attributes->addLayout(SwatchRow(Shape1, Button1));
    attributes->addSpacing(6);
    attributes->addLayout(
        LabelledFields(this, {{"Cell Padding", Edit2}, {"Cell Spacing", Edit3}, {"Border Width", Edit4}}));
    attributes->addWidget(new QLabel(QStringLiteral("Border Color"), this));
    attributes->addLayout(SwatchRow(Shape2, Button2));
    attributes->addStretch();

    auto* counts = new QGridLayout;
    counts->addWidget(new QLabel(QStringLiteral("Rows Count"), this), 0, 0);
    counts->addWidget(new QLabel(QStringLiteral("Columns Count"), this), 0, 1);
    counts->addWidget(SpinEdit1, 1, 0);
    counts->addWidget(SpinEdit2, 1, 1);
    QBoxLayout* contents = LabelledFields(this, {{"Title", Edit5}});
    contents->addLayout(counts);
    contents->addWidget(CheckBox1);
    contents->addWidget(StringGrid1);
    contents->addWidget(new QLabel(QStringLiteral("Values"), this));
    contents->addWidget(StringGrid2, 1);
    contents->addWidget(CheckBox2);
    contents->addWidget(StringGrid3);
    for (QTableWidget* row : {StringGrid1, StringGrid3}) {
        // One row always in view; the columns scroll with the body's, so a column lines up in all three.
        row->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        row->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        row->setFixedHeight(row->verticalHeader()->defaultSectionSize() + 2 * row->frameWidth());
        connect(StringGrid2->horizontalScrollBar(), &QScrollBar::valueChanged, row->horizontalScrollBar(),
                &QScrollBar::setValue);
    }
    StringGrid2->setMinimumSize(420, 180);

    auto* body = new QHBoxLayout;
    body->setSpacing(18);
    body->addLayout(attributes);
    body->addLayout(contents, 1);
    LayOutDialog(*this, QStringLiteral("Table"), body, Button3, Button4,
                 {ComboBox1, Edit1, Button1, Edit2, Edit3, Edit4, Button2, Edit5, SpinEdit1, SpinEdit2, CheckBox1,
                  StringGrid1, StringGrid2, CheckBox2, StringGrid3, Button3, Button4});

    connect(Button1, &QPushButton::clicked, this, &TForm13::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TForm13::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &TForm13::Button3Click);
    connect(Button4, &QPushButton::clicked, this, &TForm13::Button4Click);
    connect(SpinEdit1, &QSpinBox::valueChanged, this, &TForm13::SpinEdit1Change);
    connect(SpinEdit2, &QSpinBox::valueChanged, this, &TForm13::SpinEdit2Change);
    connect(CheckBox1, &QCheckBox::toggled, this, &TForm13::CheckBox1Click);
    connect(CheckBox2, &QCheckBox::toggled, this, &TForm13::CheckBox2Click);
    Reset();
}

void TForm13::Reset(const QString&)
{
    ComboBox1->setCurrentIndex(-1);
    for (QLineEdit* edit : {Edit1, Edit2, Edit3, Edit4, Edit5})
        edit->clear();
    Shape1->SetColor(Qt::white);
    Shape2->SetColor(Qt::black);
    SpinEdit1->setValue(1);
    SpinEdit2->setValue(1);
    CheckBox1->setChecked(true);
    CheckBox2->setChecked(true);
    for (QTableWidget* grid : {StringGrid1, StringGrid2, StringGrid3})
        ResetGrid(*grid, 1, 1);
    for (THiddenCells& hidden : hiddenCells_)
        hidden.Clear();
    ComboBox1->setFocus();
}

TTableFields TForm13::Fields() const
{
    TTableFields fields;
    fields.Alignment = ChosenItem(*ComboBox1);
    fields.Width = U32(Edit1->text());
    fields.BackgroundColor = Shape1->Rgb();
    fields.CellPadding = U32(Edit2->text());
    fields.CellSpacing = U32(Edit3->text());
    fields.BorderWidth = U32(Edit4->text());
    fields.BorderColor = Shape2->Rgb();
    fields.Title = U32(Edit5->text());
    fields.Head = CheckBox1->isChecked();
    fields.Foot = CheckBox2->isChecked();
    fields.HeadCells = RowTexts(*StringGrid1, 0);
    for (int row = 0; row < StringGrid2->rowCount(); ++row)
        fields.BodyRows.push_back(RowTexts(*StringGrid2, row));
    fields.FootCells = RowTexts(*StringGrid3, 0);
    return fields;
}

void TForm13::Button1Click() { colorChooser_.ChooseInto(this, *Shape1); }
void TForm13::Button2Click() { colorChooser_.ChooseInto(this, *Shape2); }
void TForm13::Button3Click() { accept(); }
void TForm13::Button4Click() { reject(); }

void TForm13::SpinEdit1Change()
{
    hiddenCells_[1].Resize(*StringGrid2, SpinEdit1->value(), StringGrid2->columnCount());
}

void TForm13::SpinEdit2Change()
{
    QTableWidget* const grids[] = {StringGrid1, StringGrid2, StringGrid3};
    for (int i = 0; i < 3; ++i)
        hiddenCells_[i].Resize(*grids[i], grids[i]->rowCount(), SpinEdit2->value());
}

void TForm13::CheckBox1Click() { StringGrid1->setEnabled(CheckBox1->isChecked()); }
void TForm13::CheckBox2Click() { StringGrid3->setEnabled(CheckBox2->isChecked()); }

TMarkup TForm13::Markup() const
{
    return TableMarkup(Fields());
}
