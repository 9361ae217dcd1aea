#include "app/ReplaceU.h"

#include "platform/Platform.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

QPushButton* MakeButton(const QString& text, QWidget* parent)
{
    auto* button = new QPushButton(text, parent);
    // Enter must not press any button of this dialog.
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

}  // namespace

TForm5::TForm5(QWidget* parent)
    : TButtonClosedDialog(kHelpContext, parent),
      Edit1(new QLineEdit(this)),
      Edit2(new QLineEdit(this)),
      CheckBox1(new QCheckBox(QStringLiteral("Match case"), this)),
      CheckBox2(new QCheckBox(QStringLiteral("Find whole words only"), this)),
      RadioButton1(new QRadioButton(QStringLiteral("Up"), this)),
      RadioButton2(new QRadioButton(QStringLiteral("Down"), this)),
      Button1(MakeButton(QStringLiteral("Replace"), this)),
      Button3(MakeButton(QStringLiteral("Replace All"), this)),
      Button2(MakeButton(QStringLiteral("Cancel"), this))
{
    setWindowTitle(QStringLiteral("Replace"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    // The direction is one tab stop, on the chosen button; the arrow keys move between the two.
    for (QRadioButton* button : {RadioButton1, RadioButton2}) {
        button->setFocusPolicy(Qt::ClickFocus);
        connect(button, &QRadioButton::toggled, button,
                [button](bool checked) { button->setFocusPolicy(checked ? Qt::StrongFocus : Qt::ClickFocus); });
    }
    RadioButton2->setChecked(true);

    auto* fields = new QGridLayout;
    auto* findLabel = new QLabel(QStringLiteral("Find what:"), this);
    auto* replaceLabel = new QLabel(QStringLiteral("Replace with:"), this);
    findLabel->setBuddy(Edit1);
    replaceLabel->setBuddy(Edit2);
    fields->addWidget(findLabel, 0, 0);
    fields->addWidget(Edit1, 0, 1, 1, 2);
    fields->addWidget(replaceLabel, 1, 0);
    fields->addWidget(Edit2, 1, 1, 1, 2);
    fields->addWidget(CheckBox1, 2, 0, 1, 2);
    fields->addWidget(RadioButton1, 2, 2);
    fields->addWidget(CheckBox2, 3, 0, 1, 2);
    fields->addWidget(RadioButton2, 3, 2);
    fields->setRowStretch(4, 1);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(Button1);
    buttons->addWidget(Button3);
    buttons->addWidget(Button2);
    buttons->addStretch();

    auto* layout = new QHBoxLayout(this);
    layout->addLayout(fields, 1);
    layout->addLayout(buttons);

    QWidget* const tabOrder[] = {Edit1,        Edit2,   CheckBox1, CheckBox2, RadioButton1,
                                 RadioButton2, Button1, Button3,   Button2};
    for (std::size_t i = 0; i + 1 < std::size(tabOrder); ++i)
        setTabOrder(tabOrder[i], tabOrder[i + 1]);

    connect(Button1, &QPushButton::clicked, this, &TForm5::Button1Click);
    connect(Button3, &QPushButton::clicked, this, &TForm5::Button3Click);
    connect(Button2, &QPushButton::clicked, this, &TForm5::Button2Click);
    setFixedSize(sizeHint().expandedTo(QSize(420, 0)));
}

bool TForm5::FieldsFilled()
{
    if (Edit1->text().isEmpty()) {
        platform().ShowMessage(QStringLiteral("The \"Find what\" must not be empty!"));
        return false;
    }
    if (Edit2->text().isEmpty()) {
        platform().ShowMessage(QStringLiteral("The \"Replace with\" must not be empty!"));
        return false;
    }
    return true;
}

void TForm5::Button1Click()
{
    if (!FieldsFilled())
        return;
    Outcome = TReplaceOutcome::ReplaceOneByOne;
    accept();
}

void TForm5::Button3Click()
{
    if (!FieldsFilled())
        return;
    Outcome = TReplaceOutcome::ReplaceAll;
    accept();
}

void TForm5::Button2Click() { reject(); }

void TForm5::showEvent(QShowEvent* event)
{
    Outcome = TReplaceOutcome::None;
    QDialog::showEvent(event);
}

