#pragma once
// Everything the program asks of the desktop goes through this one interface, so that tests can
// run every window offscreen with a scripted stand-in that records message boxes and answers dialogs.

#include <QColor>
#include <QString>
#include <QStringList>
#include <optional>

class QDialog;
class QWidget;
class QPrinter;

struct FileDialogOptions {
    QString title;
    // Filter in the program's own "text|pattern|text|pattern" form.
    QString filter;
    QString defaultSuffix;  // without the dot, e.g. "html"
    QString initialPath;
};

class Platform {
public:
    virtual ~Platform() = default;

    // Caption: the program's name ("Tallo HTML Editor" in the editor), no icon, one "OK".
    virtual void ShowMessage(const QString& text) = 0;
    // The application's default error box: shows an error's text.
    virtual void ShowError(const QString& text) = 0;
    // Caption as given (normally "Confirm"), question icon, "&Yes" and "&No". True for Yes.
    virtual bool Confirm(const QString& caption, const QString& text) = 0;
    // A question answered by one of its buttons (captions with "&" mnemonics; the first is the
    // default, and Esc chooses none). The index of the button chosen, -1 when none was; a desktop
    // that cannot ask (a benchmark's) answers none.
    virtual int Ask(const QString& /*caption*/, const QString& /*text*/, const QStringList& /*buttons*/) { return -1; }

    virtual std::optional<QString> GetOpenFileName(QWidget* parent, const FileDialogOptions& options) = 0;
    virtual std::optional<QString> GetSaveFileName(QWidget* parent, const FileDialogOptions& options) = 0;
    // Opens with `initial`: each dialog's own chooser (markup/ColorChooser.h) passes the colour last
    // confirmed in it, black the first time. Empty when cancelled.
    virtual std::optional<QColor> GetColor(QWidget* parent, const QColor& initial) = 0;
    // Print dialog on the given printer, showing its page range 1 to toPage() as the page count;
    // true when the user confirmed.
    virtual bool ExecPrintDialog(QWidget* parent, QPrinter& printer) = 0;
    // Printer set-up dialog: chooses the printer, paper and orientation; true when confirmed.
    virtual bool ExecPrinterSetup(QWidget* parent, QPrinter& printer) = 0;

    // Shows a dialog modally and returns its result code (QDialog::Accepted or Rejected).
    virtual int ExecModal(QDialog& dialog) = 0;
    // Shows a window without blocking, brought to the front.
    virtual void ShowModeless(QWidget& window) = 0;

    // The shell verb "Open" on a file path or a web address.
    virtual void ShellOpen(const QString& pathOrUrl) = 0;
    // Help: context 0 opens the contents (topics window), 2 to 41 a topic.
    virtual void ShowHelp(int context) = 0;

    virtual QString ClipboardText() = 0;
    virtual void SetClipboardText(const QString& text) = 0;

    // Delivers pending user-interface events; network waits call it while they wait.
    virtual void ProcessEvents() = 0;
};

// The platform in use: the Qt one in the program, the scripted one in tests.
Platform& platform();
// Installs a platform and returns the one it replaces (null at start), so tests can restore it.
Platform* setPlatform(Platform* platform);
