#pragma once
// The platform on a Qt desktop: Qt's message boxes and standard dialogs, the desktop's default
// programs for "Open", the system clipboard and our own help window.

#include "platform/Platform.h"

#include <QPointer>
#include <QUrl>

class HelpWindow;

class QtPlatform : public Platform {
public:
    // Message and error boxes carry the program's name; the editor's is the default.
    explicit QtPlatform(QString boxCaption = QStringLiteral("Tallo HTML Editor"));
    ~QtPlatform() override;

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
    enum class FileDialogMode { Open, Save };
    std::optional<QString> RunFileDialog(QWidget* parent, const FileDialogOptions& options, FileDialogMode mode,
                                         QString& lastPath);

    // The last path accepted in any open or save dialog: its folder is where a dialog without a path
    // of its own starts.
    QString lastOpenPath_;
    QString lastSavePath_;
    // Reparented under a running modal dialog, which would otherwise block it; it may die with that dialog.
    QPointer<HelpWindow> helpWindow_;
    QString boxCaption_;
};

// What shell "Open" hands to the desktop: a web address (anything with a scheme) as it is,
// anything else as a local file, made absolute.
QUrl ShellOpenUrl(const QString& pathOrUrl);

// Places a window's centre on the centre of another window (or of the screen when there is none).
void CentreOn(QWidget& window, const QWidget* opener);
