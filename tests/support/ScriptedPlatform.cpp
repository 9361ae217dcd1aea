#include "support/ScriptedPlatform.h"

#include <QCoreApplication>
#include <QPrinter>
#include <QWidget>

namespace {
const QString kApplicationTitle = QStringLiteral("Tallo HTML Editor");

template <typename T>
std::optional<T> TakeFront(std::deque<T>& queue)
{
    if (queue.empty())
        return std::nullopt;
    T value = std::move(queue.front());
    queue.pop_front();
    return value;
}
}  // namespace

ScriptedPlatform::ScriptedPlatform() : previous_(setPlatform(this)) {}

ScriptedPlatform::~ScriptedPlatform()
{
    setPlatform(previous_);
}

void ScriptedPlatform::AcceptNextModal()
{
    AnswerModal([](QDialog& dialog) {
        dialog.accept();
        return int(QDialog::Accepted);
    });
}

void ScriptedPlatform::RejectNextModal()
{
    AnswerModal([](QDialog& dialog) {
        dialog.reject();
        return int(QDialog::Rejected);
    });
}

void ScriptedPlatform::AnswerPrint(bool confirmed)
{
    printAnswers.push_back([confirmed](QPrinter&) { return confirmed; });
}

void ScriptedPlatform::AnswerPrinterSetup(bool confirmed)
{
    printerSetupAnswers.push_back([confirmed](QPrinter&) { return confirmed; });
}

std::vector<QString> ScriptedPlatform::MessageTexts(MessageKind kind) const
{
    std::vector<QString> texts;
    for (const RecordedMessage& message : messages)
        if (message.kind == kind)
            texts.push_back(message.text);
    return texts;
}

std::vector<QString> ScriptedPlatform::DialogTitles(DialogKind kind) const
{
    std::vector<QString> titles;
    for (const RecordedDialog& dialog : dialogs)
        if (dialog.kind == kind)
            titles.push_back(dialog.title);
    return titles;
}

void ScriptedPlatform::ClearRecords()
{
    messages.clear();
    dialogs.clear();
    modelessWindows.clear();
    shellOpens.clear();
    helpContexts.clear();
}

void ScriptedPlatform::ShowMessage(const QString& text)
{
    messages.push_back({MessageKind::Plain, kApplicationTitle, text});
}

void ScriptedPlatform::ShowError(const QString& text)
{
    messages.push_back({MessageKind::Error, kApplicationTitle, text});
}

bool ScriptedPlatform::Confirm(const QString& caption, const QString& text)
{
    messages.push_back({MessageKind::Confirm, caption, text});
    return TakeFront(confirmAnswers).value_or(false);
}

int ScriptedPlatform::Ask(const QString& caption, const QString& text, const QStringList& buttons)
{
    messages.push_back({MessageKind::Question, caption, text, buttons});
    return TakeFront(askAnswers).value_or(-1);
}

std::optional<QString> ScriptedPlatform::AnswerFileDialog(DialogKind kind,
                                                          std::deque<std::optional<QString>>& answers,
                                                          const FileDialogOptions& options)
{
    std::optional<std::optional<QString>> answer = TakeFront(answers);
    dialogs.push_back({kind, options.title, answer.has_value(), options, QColor()});
    return answer ? *answer : std::nullopt;
}

std::optional<QString> ScriptedPlatform::GetOpenFileName(QWidget*, const FileDialogOptions& options)
{
    return AnswerFileDialog(DialogKind::OpenFile, openFileAnswers, options);
}

std::optional<QString> ScriptedPlatform::GetSaveFileName(QWidget*, const FileDialogOptions& options)
{
    return AnswerFileDialog(DialogKind::SaveFile, saveFileAnswers, options);
}

std::optional<QColor> ScriptedPlatform::GetColor(QWidget*, const QColor& initial)
{
    std::optional<std::optional<QColor>> answer = TakeFront(colorAnswers);
    dialogs.push_back({DialogKind::Color, QString(), answer.has_value(), {}, initial});
    return answer ? *answer : std::nullopt;
}

bool ScriptedPlatform::AnswerPrintDialog(DialogKind kind, const QString& title, std::deque<PrintAction>& answers,
                                         QPrinter& printer)
{
    std::optional<PrintAction> answer = TakeFront(answers);
    dialogs.push_back({kind, title, answer.has_value(), {}, QColor()});
    return answer ? (*answer)(printer) : false;
}

bool ScriptedPlatform::ExecPrintDialog(QWidget*, QPrinter& printer)
{
    return AnswerPrintDialog(DialogKind::Print, QStringLiteral("Print"), printAnswers, printer);
}

bool ScriptedPlatform::ExecPrinterSetup(QWidget*, QPrinter& printer)
{
    return AnswerPrintDialog(DialogKind::PrinterSetup, QStringLiteral("Print Setup"), printerSetupAnswers, printer);
}

int ScriptedPlatform::ExecModal(QDialog& dialog)
{
    std::optional<ModalAction> action = TakeFront(modalActions);
    dialogs.push_back({DialogKind::Modal, dialog.windowTitle(), action.has_value(), {}, QColor()});
    // Visible while the script runs, as under a real modal loop; hidden again afterwards.
    dialog.setResult(QDialog::Rejected);
    dialog.show();
    const int result = action ? (*action)(dialog) : int(QDialog::Rejected);
    dialog.hide();
    return result;
}

void ScriptedPlatform::ShowModeless(QWidget& window)
{
    modelessWindows.push_back(&window);
    window.show();
    window.raise();
}

void ScriptedPlatform::ShellOpen(const QString& pathOrUrl)
{
    shellOpens.push_back(pathOrUrl);
}

void ScriptedPlatform::ShowHelp(int context)
{
    helpContexts.push_back(context);
}

QString ScriptedPlatform::ClipboardText()
{
    return clipboard;
}

void ScriptedPlatform::SetClipboardText(const QString& text)
{
    clipboard = text;
}

void ScriptedPlatform::ProcessEvents()
{
    QCoreApplication::processEvents();
}
