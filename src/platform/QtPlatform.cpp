#include "platform/QtPlatform.h"

#include "platform/FileFilter.h"
#include "platform/HelpWindow.h"
#include "platform/NativePath.h"
#include "platform/PrinterSetupDialog.h"

#include <QApplication>
#include <QClipboard>
#include <QColorDialog>
#include <QDesktopServices>
#include <QDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScreen>

namespace {

QWidget* ActiveWindowOr(QWidget* parent)
{
    return parent ? parent->window() : QApplication::activeWindow();
}

// The desktop's print dialog offers its page range, selection and page set whatever its options
// say; a print always covers all pages, so that part of the dialog is taken away each time it shows.
class TAllPagesPrintDialog : public QPrintDialog {
public:
    using QPrintDialog::QPrintDialog;

    void setVisible(bool visible) override
    {
        QPrintDialog::setVisible(visible);
        if (!visible)
            return;
        auto* group = findChild<QWidget*>(QStringLiteral("gbPrintRange"));
        if (!group)
            return;
        for (QRadioButton* choice : group->findChildren<QRadioButton*>()) {
            const bool all = choice->objectName() == QLatin1String("printAll");
            choice->setEnabled(all);
            if (all)
                choice->setChecked(true);
        }
        group->hide();
    }
};

}  // namespace

QtPlatform::QtPlatform(QString boxCaption) : boxCaption_(std::move(boxCaption)) {}
QtPlatform::~QtPlatform()
{
    if (helpWindow_ && !helpWindow_->parentWidget())
        delete helpWindow_.data();
}

// Box texts carry file names and server replies: they are shown as written, never read as HTML.
void QtPlatform::ShowMessage(const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, boxCaption_, text, QMessageBox::NoButton, ActiveWindowOr(nullptr));
    box.setTextFormat(Qt::PlainText);
    box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    box.exec();
}

void QtPlatform::ShowError(const QString& text)
{
    QMessageBox box(QMessageBox::Critical, boxCaption_, text, QMessageBox::NoButton, ActiveWindowOr(nullptr));
    box.setTextFormat(Qt::PlainText);
    box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    box.exec();
}

bool QtPlatform::Confirm(const QString& caption, const QString& text)
{
    QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::NoButton, ActiveWindowOr(nullptr));
    box.setTextFormat(Qt::PlainText);
    QPushButton* yes = box.addButton(QStringLiteral("&Yes"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(QStringLiteral("&No"), QMessageBox::NoRole);
    box.setDefaultButton(yes);
    box.setEscapeButton(no);
    box.exec();
    return box.clickedButton() == yes;
}

int QtPlatform::Ask(const QString& caption, const QString& text, const QStringList& buttons)
{
    QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::NoButton, ActiveWindowOr(nullptr));
    box.setTextFormat(Qt::PlainText);
    QList<QPushButton*> pushButtons;
    for (const QString& button : buttons)
        pushButtons << box.addButton(button, QMessageBox::ActionRole);
    if (!pushButtons.isEmpty())
        box.setDefaultButton(pushButtons.first());
    box.exec();
    return static_cast<int>(pushButtons.indexOf(qobject_cast<QPushButton*>(box.clickedButton())));
}

std::optional<QString> QtPlatform::RunFileDialog(QWidget* parent, const FileDialogOptions& options,
                                                 FileDialogMode mode, QString& lastPath)
{
    QFileDialog dialog(ActiveWindowOr(parent), options.title);
    QStringList nameFilters;
    for (const std::string& nameFilter : ToNameFilters(options.filter.toStdString()))
        nameFilters << QString::fromStdString(nameFilter);
    if (!nameFilters.isEmpty())
        dialog.setNameFilters(nameFilters);
    dialog.setDefaultSuffix(options.defaultSuffix);
    if (mode == FileDialogMode::Open) {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        // The file need not exist: opening a missing one reports the failure itself.
        dialog.setFileMode(QFileDialog::AnyFile);
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
    }

    // A dialog without a path of its own starts in the folder last used, never with a file chosen
    // for another page: accepting that name would write over the other page's file unasked.
    const QString start =
        options.initialPath.isEmpty() && !lastPath.isEmpty() ? QFileInfo(lastPath).absolutePath() : options.initialPath;
    if (!start.isEmpty()) {
        const QFileInfo info(start);
        if (info.isDir()) {
            dialog.setDirectory(info.absoluteFilePath());
        } else {
            dialog.setDirectory(info.absolutePath());
            dialog.selectFile(info.fileName());
        }
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    lastPath = dialog.selectedFiles().constFirst();
    return lastPath;
}

std::optional<QString> QtPlatform::GetOpenFileName(QWidget* parent, const FileDialogOptions& options)
{
    return RunFileDialog(parent, options, FileDialogMode::Open, lastOpenPath_);
}

std::optional<QString> QtPlatform::GetSaveFileName(QWidget* parent, const FileDialogOptions& options)
{
    return RunFileDialog(parent, options, FileDialogMode::Save, lastSavePath_);
}

std::optional<QColor> QtPlatform::GetColor(QWidget* parent, const QColor& initial)
{
    const QColor chosen = QColorDialog::getColor(initial, ActiveWindowOr(parent));
    if (!chosen.isValid())
        return std::nullopt;
    return chosen;
}

bool QtPlatform::ExecPrintDialog(QWidget* parent, QPrinter& printer)
{
    TAllPagesPrintDialog dialog(&printer, ActiveWindowOr(parent));
    if (printer.toPage() > 0) {
        dialog.setMinMax(1, printer.toPage());
        // The page count stays in sight while the dialog's options are folded away.
        dialog.setWindowTitle(printer.toPage() == 1 ? QStringLiteral("Print (1 page)")
                                                    : QStringLiteral("Print (%1 pages)").arg(printer.toPage()));
    }
    // Every print covers all pages: no range, selection or current page; a PDF file may be chosen.
    // Set after the range, which would switch the page range back on.
    dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintShowPageSize);
    return dialog.exec() == QDialog::Accepted;
}

bool QtPlatform::ExecPrinterSetup(QWidget* parent, QPrinter& printer)
{
    TPrinterSetupDialog dialog(printer, ActiveWindowOr(parent));
    CentreOn(dialog, dialog.parentWidget());
    return dialog.exec() == QDialog::Accepted;
}

int QtPlatform::ExecModal(QDialog& dialog)
{
    CentreOn(dialog, dialog.parentWidget() ? dialog.parentWidget()->window() : QApplication::activeWindow());
    return dialog.exec();
}

void QtPlatform::ShowModeless(QWidget& window)
{
    if (!window.isVisible())
        CentreOn(window, window.parentWidget() ? window.parentWidget()->window() : QApplication::activeWindow());
    window.show();
    window.raise();
    window.activateWindow();
}

void QtPlatform::ShellOpen(const QString& pathOrUrl)
{
    QDesktopServices::openUrl(ShellOpenUrl(pathOrUrl));
}

void QtPlatform::ShowHelp(int context)
{
    // F1 in a modal dialog: the help window must take input while that dialog is running.
    QWidget* owner = QApplication::activeModalWidget();
    if (!helpWindow_)
        helpWindow_ = new HelpWindow(owner);
    else if (helpWindow_->parentWidget() != owner)
        helpWindow_->setParent(owner, Qt::Window);
    if (context == 0)
        helpWindow_->ShowContents();
    else
        helpWindow_->ShowTopic(context);
    helpWindow_->show();
    helpWindow_->raise();
    helpWindow_->activateWindow();
}

QString QtPlatform::ClipboardText()
{
    return QGuiApplication::clipboard()->text();
}

void QtPlatform::SetClipboardText(const QString& text)
{
    QGuiApplication::clipboard()->setText(text);
}

void QtPlatform::ProcessEvents()
{
    QCoreApplication::processEvents();
}

QUrl ShellOpenUrl(const QString& pathOrUrl)
{
    static const QRegularExpression withScheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]+:"));
    if (withScheme.match(pathOrUrl).hasMatch())
        return QUrl(pathOrUrl);
    if (pathOrUrl.startsWith(QStringLiteral("www."), Qt::CaseInsensitive))
        return QUrl(QStringLiteral("http://") + pathOrUrl);
    // A name that is not UTF-8 goes as its bytes, percent-encoded; fromLocalFile would lose them.
    if (pathOrUrl.startsWith(QLatin1Char('/')) && ReadablePath(pathOrUrl) != pathOrUrl) {
        const QByteArray encoded = QByteArray::fromStdString(NativePath(pathOrUrl)).toPercentEncoding("/");
        return QUrl::fromEncoded("file://" + encoded, QUrl::StrictMode);
    }
    return QUrl::fromLocalFile(QFileInfo(pathOrUrl).absoluteFilePath());
}

void CentreOn(QWidget& window, const QWidget* opener)
{
    window.adjustSize();
    QRect area;
    if (opener && opener->isVisible())
        area = opener->frameGeometry();
    else if (const QScreen* screen = window.screen())
        area = screen->availableGeometry();
    if (area.isEmpty())
        return;
    const QSize size = window.frameGeometry().size().expandedTo(window.size());
    window.move(area.center() - QPoint(size.width() / 2, size.height() / 2));
}
