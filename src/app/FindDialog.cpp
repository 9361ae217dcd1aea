#include "app/FindDialog.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

TFindDialog::TFindDialog(QWidget* parent)
    : QDialog(parent),
      FindEdit(new QLineEdit(this)),
      WholeWordBox(new QCheckBox(QStringLiteral("Match &whole word only"), this)),
      MatchCaseBox(new QCheckBox(QStringLiteral("Match &case"), this)),
      UpButton(new QRadioButton(QStringLiteral("&Up"), this)),
      DownButton(new QRadioButton(QStringLiteral("&Down"), this)),
      FindNextButton(new QPushButton(QStringLiteral("&Find Next"), this)),
      CancelButton(new QPushButton(QStringLiteral("Cancel"), this))
{
    setWindowTitle(QStringLiteral("Find"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setModal(false);

    auto* findLabel = new QLabel(QStringLiteral("Fi&nd what:"), this);
    findLabel->setBuddy(FindEdit);
    DownButton->setChecked(true);
    FindNextButton->setDefault(true);
    FindNextButton->setEnabled(false);  // on once there is something to find
    CancelButton->setAutoDefault(false);

    auto* direction = new QGroupBox(QStringLiteral("Direction"), this);
    auto* directionLayout = new QHBoxLayout(direction);
    directionLayout->addWidget(UpButton);
    directionLayout->addWidget(DownButton);

    auto* findRow = new QHBoxLayout;
    findRow->addWidget(findLabel);
    findRow->addWidget(FindEdit, 1);
    auto* boxes = new QVBoxLayout;
    boxes->addWidget(WholeWordBox);
    boxes->addWidget(MatchCaseBox);
    auto* optionsRow = new QHBoxLayout;
    optionsRow->addLayout(boxes);
    optionsRow->addWidget(direction);
    auto* fields = new QVBoxLayout;
    fields->addLayout(findRow);
    fields->addLayout(optionsRow);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(FindNextButton);
    buttons->addWidget(CancelButton);
    buttons->addStretch();
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(fields, 1);
    layout->addLayout(buttons);

    setTabOrder(FindEdit, WholeWordBox);
    setTabOrder(WholeWordBox, MatchCaseBox);
    setTabOrder(MatchCaseBox, UpButton);
    setTabOrder(UpButton, DownButton);
    setTabOrder(DownButton, FindNextButton);
    setTabOrder(FindNextButton, CancelButton);

    connect(FindEdit, &QLineEdit::textChanged, this,
            [this](const QString& text) { FindNextButton->setEnabled(!text.isEmpty()); });
    connect(FindNextButton, &QPushButton::clicked, this, &TFindDialog::FindNextClick);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
    setFixedSize(sizeHint().expandedTo(QSize(420, 0)));
}

QString TFindDialog::FindText() const { return FindEdit->text(); }
void TFindDialog::SetFindText(const QString& text) { FindEdit->setText(text); }
bool TFindDialog::MatchCase() const { return MatchCaseBox->isChecked(); }
bool TFindDialog::WholeWord() const { return WholeWordBox->isChecked(); }
bool TFindDialog::Backwards() const { return UpButton->isChecked(); }

void TFindDialog::FindNextClick()
{
    if (FindEdit->text().isEmpty())
        return;
    emit OnFind();
}
