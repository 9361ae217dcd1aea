#include "markup/dialogs/ListU.h"

#include "markup/dialogs/DialogParts.h"
#include "platform/Platform.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

TForm12::TForm12(QWidget* parent)
    : TMarkupDialog(kHelpContext, parent),
      RadioGroup1(new QGroupBox(QStringLiteral("Type"), this)),
      RadioButtons{},
      Edit1(MakeLineEdit(this)),
      Edit2(MakeLineEdit(this)),
      Button1(MakeButton(QStringLiteral("Add"), this)),
      ListBox1(new QListWidget(this)),
      Button2(MakeButton(QStringLiteral("Delete"), this)),
      Button3(MakeButton(QStringLiteral("Move Up"), this)),
      Button4(MakeButton(QStringLiteral("Move Down"), this)),
      Button5(MakeButton(QStringLiteral("OK"), this)),
      Button6(MakeButton(QStringLiteral("Cancel"), this)),
      typeButtons_(new QButtonGroup(this))
{
    auto* types = new QVBoxLayout(RadioGroup1);
    for (int i = 0; i < 3; ++i) {
        RadioButtons[i] = new QRadioButton(QString::fromUtf8(kListTypeItems[i]), RadioGroup1);
        typeButtons_->addButton(RadioButtons[i], i);
        types->addWidget(RadioButtons[i]);
    }
    ListBox1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListBox1->setMinimumSize(220, 160);

    QBoxLayout* entry = LabelledFields(this, {{"Text", Edit1}, {"Description", Edit2}});
    entry->addWidget(Button1, 0, Qt::AlignLeft);
    entry->addStretch();
    auto* moves = new QVBoxLayout;
    for (QPushButton* button : {Button2, Button3, Button4})
        moves->addWidget(button);
    moves->addStretch();

    auto* body = new QGridLayout;
    body->setHorizontalSpacing(12);
    body->addWidget(RadioGroup1, 0, 0);
    body->addLayout(entry, 1, 0);
    body->addWidget(new QLabel(QStringLiteral("List"), this), 0, 1, Qt::AlignBottom);
    body->addWidget(ListBox1, 1, 1);
    body->addLayout(moves, 1, 2);
    LayOutDialog(*this, QStringLiteral("List"), body, Button5, Button6,
                 {RadioButtons[0], RadioButtons[1], RadioButtons[2], Edit1, Edit2, Button1, ListBox1, Button2,
                  Button3, Button4, Button5, Button6});

    // Toggled rather than clicked, so that choosing a type with the arrow keys counts as well.
    connect(typeButtons_, &QButtonGroup::idToggled, this, [this](int, bool checked) {
        if (checked)
            RadioGroup1Click();
    });
    connect(Button1, &QPushButton::clicked, this, &TForm12::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TForm12::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &TForm12::Button3Click);
    connect(Button4, &QPushButton::clicked, this, &TForm12::Button4Click);
    connect(Button5, &QPushButton::clicked, this, &TForm12::Button5Click);
    connect(Button6, &QPushButton::clicked, this, &TForm12::Button6Click);
    Reset();
}

void TForm12::Reset(const QString&)
{
    RadioButtons[static_cast<int>(TListType::Ordered)]->setChecked(true);
    RadioGroup1Click();
    Edit1->clear();
    Edit2->clear();
    entries_.Reset();
    ShowEntries(TChoice::Clear);
    Edit1->setFocus();
}

TListType TForm12::Type() const
{
    return static_cast<TListType>(std::max(typeButtons_->checkedId(), 0));
}

void TForm12::RadioGroup1Click()
{
    Edit2->setEnabled(Type() == TListType::Definition);
    entries_.ChangeType(Type());
    ShowEntries(TChoice::Keep);
}

void TForm12::Button1Click()
{
    if (!entries_.Add(U32(Edit1->text()), U32(Edit2->text()))) {
        platform().ShowMessage(QStringLiteral("The Text must not be empty!"));
        return;
    }
    Edit1->clear();
    if (entries_.Type() == TListType::Definition)
        Edit2->clear();
    ShowEntries(TChoice::Keep);
}

void TForm12::Button2Click()
{
    if (const int chosen = ChosenEntry(); chosen >= 0) {
        entries_.Delete(chosen);
        ShowEntries(TChoice::Clear);
    }
}

void TForm12::Button3Click()
{
    if (const int chosen = ChosenEntry(); chosen >= 0 && entries_.MoveUp(chosen))
        ShowEntries(TChoice::Clear);
}

void TForm12::Button4Click()
{
    if (const int chosen = ChosenEntry(); chosen >= 0 && entries_.MoveDown(chosen))
        ShowEntries(TChoice::Clear);
}

void TForm12::Button5Click()
{
    if (entries_.Texts().empty()) {
        platform().ShowMessage(QStringLiteral("The List must not be empty!"));
        return;
    }
    accept();
}

void TForm12::Button6Click() { reject(); }

int TForm12::ChosenEntry() const
{
    const QList<QListWidgetItem*> chosen = ListBox1->selectedItems();
    if (chosen.isEmpty()) {
        platform().ShowMessage(QStringLiteral("Please, select list item!"));
        return -1;
    }
    return ListBox1->row(chosen.constFirst());
}

void TForm12::ShowEntries(TChoice choice)
{
    const QList<QListWidgetItem*> chosen = ListBox1->selectedItems();
    const int kept = choice == TChoice::Keep && !chosen.isEmpty() ? ListBox1->row(chosen.constFirst()) : -1;
    ListBox1->clear();
    for (const std::u32string& text : entries_.Texts())
        ListBox1->addItem(QString::fromStdU32String(text));
    if (kept >= 0 && kept < ListBox1->count()) {
        ListBox1->setCurrentRow(kept);
        return;
    }
    ListBox1->setCurrentItem(nullptr);
    ListBox1->clearSelection();
}

TMarkup TForm12::Markup() const
{
    return ListMarkup(Entries());
}
