#include "markup/dialogs/DialogParts.h"

#include <QComboBox>
#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextDocument>
#include <QVBoxLayout>
#include <limits>

QPushButton* MakeButton(const QString& text, QWidget* parent)
{
    auto* button = new QPushButton(text, parent);
    // Enter must not press any button of a mark-up dialog.
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

QLineEdit* MakeLineEdit(QWidget* parent)
{
    auto* edit = new QLineEdit(parent);
    edit->setMaxLength(std::numeric_limits<int>::max());
    return edit;
}

QComboBox* MakeChoiceList(const QStringList& items, QWidget* parent)
{
    auto* list = new QComboBox(parent);
    list->setEditable(false);
    list->addItems(items);
    list->setCurrentIndex(-1);
    return list;
}

QPlainTextEdit* MakeMemo(QWidget* parent)
{
    auto* memo = new QPlainTextEdit(parent);
    memo->setLineWrapMode(QPlainTextEdit::NoWrap);
    memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memo->setTabChangesFocus(true);
    memo->setMinimumSize(300, 120);
    return memo;
}

QBoxLayout* LabelledFields(QWidget* parent, std::initializer_list<std::pair<const char*, QWidget*>> fields)
{
    auto* layout = new QVBoxLayout;
    layout->setSpacing(2);
    for (const auto& [label, field] : fields) {
        auto* caption = new QLabel(QString::fromUtf8(label), parent);
        caption->setBuddy(field);
        layout->addWidget(caption);
        layout->addWidget(field);
        layout->addSpacing(6);
    }
    return layout;
}

void LayOutDialog(QDialog& dialog, const QString& caption, QLayout* body, QPushButton* ok, QPushButton* cancel,
                  std::initializer_list<QWidget*> tabOrder)
{
    dialog.setWindowTitle(caption);
    dialog.setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    buttons->addStretch();

    auto* layout = new QVBoxLayout(&dialog);
    layout->setContentsMargins(12, 12, 12, 12);
    layout->addLayout(body);
    layout->addSpacing(6);
    layout->addLayout(buttons);

    QWidget* previous = nullptr;
    for (QWidget* widget : tabOrder) {
        if (previous) QWidget::setTabOrder(previous, widget);
        previous = widget;
    }
    dialog.setFixedSize(dialog.sizeHint().expandedTo(QSize(300, 0)));
}

std::u32string U32(const QString& text)
{
    return text.toStdU32String();
}

std::u32string ChosenItem(const QComboBox& list)
{
    return list.currentIndex() < 0 ? std::u32string() : U32(list.currentText());
}

std::u32string MemoText(const QPlainTextEdit& memo)
{
    // The raw text keeps typed no-break spaces, which the plain-text form turns into spaces.
    QString text = memo.document()->toRawText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    text.replace(QChar::LineSeparator, QLatin1Char('\n'));
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return U32(text);
}

void SetMemoText(QPlainTextEdit& memo, const QString& text)
{
    QString lines = text;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    lines.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    memo.setPlainText(lines);
}
