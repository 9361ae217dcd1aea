#pragma once
// A stand-in for the desktop in widget tests. It records every message box and dialog the program
// asks for, in order, and answers dialogs from queues filled by the test. An unanswered dialog
// counts as cancelled, and is still recorded, so a test can assert it was shown and with what title.
//
// Constructing one installs it as platform(); destroying it restores the previous platform.

#include "platform/Platform.h"

#include <QColor>
#include <QDialog>
#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <optional>
#include <vector>

enum class MessageKind { Plain, Error, Confirm, Question };

struct RecordedMessage {
    MessageKind kind;
    QString caption;
    QString text;
    QStringList buttons;  // a question's, the default first
};

enum class DialogKind { OpenFile, SaveFile, Color, Print, PrinterSetup, Modal };

struct RecordedDialog {
    DialogKind kind;
    QString title;             // file dialogs: the options' title; modal: the dialog's window title
    bool answered;             // false when the queue was empty and the dialog counted as cancelled
    FileDialogOptions fileOptions;  // file dialogs only
    QColor initialColor;       // colour dialogs only
};

class ScriptedPlatform : public Platform {
public:
    using ModalAction = std::function<int(QDialog&)>;
    using PrintAction = std::function<bool(QPrinter&)>;

    ScriptedPlatform();
    ~ScriptedPlatform() override;
    ScriptedPlatform(const ScriptedPlatform&) = delete;
    ScriptedPlatform& operator=(const ScriptedPlatform&) = delete;

    // --- answers, taken first in, first out; std::nullopt / false means the user cancelled ---
    std::deque<std::optional<QString>> openFileAnswers;
    std::deque<std::optional<QString>> saveFileAnswers;
    std::deque<std::optional<QColor>> colorAnswers;
    std::deque<bool> confirmAnswers;
    // Index of the button chosen; an unanswered question counts as none chosen (-1).
    std::deque<int> askAnswers;
    std::deque<PrintAction> printAnswers;
    std::deque<PrintAction> printerSetupAnswers;
    // Runs instead of the modal loop: may fill fields, click buttons; returns the dialog's result.
    std::deque<ModalAction> modalActions;

    // Convenience for the common answers.
    void AnswerModal(ModalAction action) { modalActions.push_back(std::move(action)); }
    void AcceptNextModal();  // the dialog closes confirmed, fields as they are
    void RejectNextModal();  // the dialog closes cancelled
    void AnswerPrint(bool confirmed);
    void AnswerPrinterSetup(bool confirmed);

    // --- what the program did, in order ---
    std::vector<RecordedMessage> messages;
    std::vector<RecordedDialog> dialogs;
    std::vector<QWidget*> modelessWindows;
    std::vector<QString> shellOpens;
    std::vector<int> helpContexts;
    QString clipboard;

    // Messages of one kind only, texts in order.
    std::vector<QString> MessageTexts(MessageKind kind) const;
    std::vector<QString> DialogTitles(DialogKind kind) const;
    void ClearRecords();

    // Platform
    void ShowMessage(const QString& text) override;
    void ShowError(const QString& text) override;
    bool Confirm(const QString& caption, const QString& text) override;
    int Ask(const QString& caption, const QString& text, const QStringList& buttons) override;
    std::optional<QString> GetOpenFileName(QWidget* parent, const FileDialogOptions& options) override;
    std::optional<QString> GetSaveFileName(QWidget* parent, const FileDialogOptions& options) override;
    std::optional<QColor> GetColor(QWidget* parent, const QColor& initial) override;
    bool ExecPrintDialog(QWidget* parent, QPrinter& printer) override;
    bool ExecPrinterSetup(QWidget* parent, QPrinter& printer) override;
    int ExecModal(QDialog& dialog) override;
    void ShowModeless(QWidget& window) override;
    void ShellOpen(const QString& pathOrUrl) override;
    void ShowHelp(int context) override;
    QString ClipboardText() override;
    void SetClipboardText(const QString& text) override;
    void ProcessEvents() override;

private:
    std::optional<QString> AnswerFileDialog(DialogKind kind, std::deque<std::optional<QString>>& answers,
                                            const FileDialogOptions& options);
    bool AnswerPrintDialog(DialogKind kind, const QString& title, std::deque<PrintAction>& answers,
                           QPrinter& printer);

    Platform* previous_;
};
