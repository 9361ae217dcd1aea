#include "app/NewU.h"

#include "markup/dialogs/ColorSwatch.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextDocument>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QStringList kEncodings = {
    QStringLiteral("UTF-8"),       QStringLiteral("ASCII"),       QStringLiteral("CP1256"),
    QStringLiteral("ISO-8859-1"),  QStringLiteral("ISO-8859-2"),  QStringLiteral("ISO-8859-6"),
    QStringLiteral("ISO-8859-15"), QStringLiteral("Windows-1252"),
};

QPushButton* MakeButton(const QString& text, QWidget* parent)
{
    auto* button = new QPushButton(text, parent);
    // Enter must not press any button of this dialog.
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

std::string Utf8(const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    return std::string(bytes.constData(), std::size_t(bytes.size()));
}

}  // namespace

TForm24::TForm24(QWidget* parent)
    : TButtonClosedDialog(kHelpContext, parent),
      ComboBox1(new QComboBox(this)),
      Edit1(new QLineEdit(this)),
      Edit2(new QLineEdit(this)),
      Edit3(new QLineEdit(this)),
      Edit4(new QLineEdit(this)),
      Edit5(new QLineEdit(this)),
      Edit6(new QLineEdit(this)),
      Edit7(new QLineEdit(this)),
      Memo1(new QPlainTextEdit(this)),
      Shape1(new ColorSwatch(this)),
      Shape2(new ColorSwatch(this)),
      Shape3(new ColorSwatch(this)),
      Shape4(new ColorSwatch(this)),
      Shape5(new ColorSwatch(this)),
      Button1(MakeButton(QStringLiteral("Select"), this)),
      Button2(MakeButton(QStringLiteral("Select"), this)),
      Button3(MakeButton(QStringLiteral("Select"), this)),
      Button4(MakeButton(QStringLiteral("Select"), this)),
      Button5(MakeButton(QStringLiteral("Select"), this)),
      Button6(MakeButton(QStringLiteral("OK"), this)),
      Button7(MakeButton(QStringLiteral("Cancel"), this))
{
    setWindowTitle(QStringLiteral("New HTML Page"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);

    ComboBox1->setEditable(true);
    ComboBox1->setInsertPolicy(QComboBox::NoInsert);
    ComboBox1->addItems(kEncodings);
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setTabChangesFocus(true);

    auto* fields = new QVBoxLayout;
    fields->setSpacing(2);
    const std::pair<const char*, QWidget*> fieldRows[] = {
        {"Encoding", ComboBox1}, {"Author", Edit1}, {"Description", Edit2}, {"Keywords (Separator - comma)", Edit3},
        {"Title", Edit4},        {"Background Image", Edit5}, {"Top Margin", Edit6}, {"Left Margin", Edit7},
        {"Text", Memo1},
    };
    for (const auto& [label, field] : fieldRows) {
        fields->addWidget(new QLabel(QString::fromLatin1(label), this));
        fields->addWidget(field);
        if (field != Memo1)
            fields->addSpacing(4);
    }
    Memo1->setMinimumSize(300, 110);

    auto* colours = new QGridLayout;
    colours->setVerticalSpacing(2);
    const std::tuple<const char*, ColorSwatch*, QPushButton*> colourRows[] = {
        {"Background Color", Shape1, Button1}, {"Text Color", Shape2, Button2},
        {"Link Color", Shape3, Button3},       {"Visited Link Color", Shape4, Button4},
        {"Active Link Color", Shape5, Button5},
    };
    int row = 0;
    for (const auto& [label, swatch, button] : colourRows) {
        colours->addWidget(new QLabel(QString::fromLatin1(label), this), row++, 0, 1, 2);
        colours->addWidget(swatch, row, 0);
        colours->addWidget(button, row++, 1);
        colours->setRowMinimumHeight(row++, 8);
    }
    colours->setRowStretch(row, 1);

    auto* columns = new QHBoxLayout;
    columns->setSpacing(24);
    columns->addLayout(fields, 1);
    columns->addLayout(colours);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Button6);
    buttons->addWidget(Button7);
    buttons->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 12, 12, 12);
    layout->addLayout(columns);
    layout->addSpacing(6);
    layout->addLayout(buttons);

    QWidget* tabOrder[] = {ComboBox1, Edit1, Edit2, Edit3, Edit4, Edit5, Edit6, Edit7,
                           Button1, Button2, Button3, Button4, Button5, Memo1, Button6, Button7};
    for (std::size_t i = 1; i < std::size(tabOrder); ++i)
        setTabOrder(tabOrder[i - 1], tabOrder[i]);

    connect(Button1, &QPushButton::clicked, this, &TForm24::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TForm24::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &TForm24::Button3Click);
    connect(Button4, &QPushButton::clicked, this, &TForm24::Button4Click);
    connect(Button5, &QPushButton::clicked, this, &TForm24::Button5Click);
    connect(Button6, &QPushButton::clicked, this, &TForm24::Button6Click);
    connect(Button7, &QPushButton::clicked, this, &TForm24::Button7Click);

    Reset();
    setFixedSize(sizeHint().expandedTo(QSize(560, 0)));
}

void TForm24::Reset()
{
    ComboBox1->setCurrentIndex(0);
    ComboBox1->setEditText(kEncodings.constFirst());
    for (QLineEdit* edit : {Edit1, Edit2, Edit3, Edit4, Edit5})
        edit->clear();
    Edit6->setText(QStringLiteral("10"));
    Edit7->setText(QStringLiteral("10"));
    Memo1->clear();
    Shape1->SetColor(QColor(0xFF, 0xFF, 0xFF));
    Shape2->SetColor(QColor(0x00, 0x00, 0x00));
    Shape3->SetColor(QColor(0x00, 0x00, 0xFF));
    Shape4->SetColor(QColor(0x00, 0x00, 0xFF));
    Shape5->SetColor(QColor(0x00, 0x00, 0xFF));
    ComboBox1->setFocus();
}

PageSkeletonFields TForm24::SkeletonFields() const
{
    PageSkeletonFields fields;
    fields.encoding = Utf8(ComboBox1->currentText());
    fields.author = Utf8(Edit1->text());
    fields.description = Utf8(Edit2->text());
    fields.keywords = Utf8(Edit3->text());
    fields.title = Utf8(Edit4->text());
    fields.backgroundImage = Utf8(Edit5->text());
    fields.topMargin = Utf8(Edit6->text());
    fields.leftMargin = Utf8(Edit7->text());
    // The raw text keeps typed no-break spaces, which the plain-text form turns into spaces.
    QString text = Memo1->document()->toRawText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    text.replace(QChar::LineSeparator, QLatin1Char('\n'));
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    fields.text = Utf8(text);
    fields.backgroundColor = Shape1->Rgb();
    fields.textColor = Shape2->Rgb();
    fields.linkColor = Shape3->Rgb();
    fields.visitedLinkColor = Shape4->Rgb();
    fields.activeLinkColor = Shape5->Rgb();
    return fields;
}

void TForm24::Button1Click() { colorChooser_.ChooseInto(this, *Shape1); }
void TForm24::Button2Click() { colorChooser_.ChooseInto(this, *Shape2); }
void TForm24::Button3Click() { colorChooser_.ChooseInto(this, *Shape3); }
void TForm24::Button4Click() { colorChooser_.ChooseInto(this, *Shape4); }
void TForm24::Button5Click() { colorChooser_.ChooseInto(this, *Shape5); }
void TForm24::Button6Click() { accept(); }
void TForm24::Button7Click() { reject(); }

