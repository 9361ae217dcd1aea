#include "app/UHTML.h"

#include "app/PageFiles.h"
#include "editor/widget/CodeMemo.h"
#include "editor/print/EditPrint.h"
#include "editor/control/EditorSettings.h"
#include "highlight/HtmlHighlighter.h"
#include "platform/AppIcons.h"

#include <QAction>
#include <QCloseEvent>
#include <QFont>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QVBoxLayout>
#include <exception>

namespace {

QFont CourierNew(int pixelHeight)
{
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::Monospace);
    font.setPixelSize(pixelHeight);
    return font;
}

constexpr QSize kUnshownFrameDocumentSize(640, 440);
constexpr int kCascadeOffset = 24;
constexpr int kCascadeSteps = 8;

}  // namespace

TForm2::TForm2(QWidget* parent)
    : QWidget(parent),
      CodeMemo1(new TCodeMemo(this)),
      HtmlHighlighter1(std::make_unique<THtmlHighlighter>()),
      EditPrint1(std::make_unique<TEditPrint>()),
      PopupMenu1(new QMenu(this)),
      SaveDialog1(SaveDialogOptions(QStringLiteral("Save HTML File")))
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(CodeMemo1);

    CodeMemo1->setFont(CourierNew(13));
    CodeMemo1->SetGutterFont(CourierNew(11));
    CodeMemo1->Model().Settings().Gutter.ShowLineNumbers = true;
    CodeMemo1->ApplySettings();
    CodeMemo1->Model().SetHighlighter(HtmlHighlighter1.get());
    // The editor's face at 11 pixels: a proportional face would overlap on the fixed print grid.
    TEditorFont printFont = CodeMemo1->Model().Settings().Font;
    printFont.PixelHeight = 11;
    EditPrint1->SetFont(printFont);
    EditPrint1->SetHighlighter(HtmlHighlighter1.get());
    BuildPopupMenu();
    CodeMemo1->SetPopupMenu(PopupMenu1);
    setFocusProxy(CodeMemo1);
}

TForm2::~TForm2()
{
    // The editor must let go of the highlighter before it is freed.
    CodeMemo1->Model().SetHighlighter(nullptr);
}

void TForm2::BuildPopupMenu()
{
    struct Item {
        const char* caption;
        int icon;
        void (TForm2::*handler)();
    };
    static constexpr Item items[] = {
        {"U&ndo", 6, &TForm2::Undo1Click},
        {"&Redo", 7, &TForm2::Redo1Click},
        {nullptr, -1, nullptr},
        {"C&ut", 8, &TForm2::Cut1Click},
        {"C&opy", 9, &TForm2::Copy1Click},
        {"&Paste", 10, &TForm2::Paste1Click},
        {"Select &All", -1, &TForm2::SelectAll1Click},
        {nullptr, -1, nullptr},
        {"&Find...", -1, &TForm2::Find1Click},
        {"Rep&lace...", -1, &TForm2::Replace1Click},
    };
    for (const Item& item : items) {
        if (!item.caption) {
            PopupMenu1->addSeparator();
            continue;
        }
        QAction* action = PopupMenu1->addAction(QString::fromUtf8(item.caption));
        if (item.icon >= 0)
            action->setIcon(AppIcon(item.icon));
        connect(action, &QAction::triggered, this, item.handler);
    }
}

QMdiSubWindow* TForm2::PlaceIn(QMdiArea& frame)
{
    QMdiSubWindow* subWindow = frame.addSubWindow(this);
    subWindow->setAttribute(Qt::WA_DeleteOnClose);
    subWindow->setWindowTitle(caption_);
    // The editor's own size hint is tiny: a new page takes most of the frame, and each new one
    // stands a step below and to the right of the one before (cascading).
    subWindow->resize(frame.isVisible() ? frame.size() * 3 / 4 : kUnshownFrameDocumentSize);
    const int step = (static_cast<int>(frame.subWindowList().size()) - 1) % kCascadeSteps;
    subWindow->move(step * kCascadeOffset, step * kCascadeOffset);
    connect(subWindow, &QMdiSubWindow::windowStateChanged, this,
            [this](Qt::WindowStates oldState, Qt::WindowStates newState) {
                if (!(oldState & Qt::WindowActive) && (newState & Qt::WindowActive))
                    emit Activated();
            });
    subWindow->show();
    return subWindow;
}

QMdiSubWindow* TForm2::SubWindow() const
{
    return qobject_cast<QMdiSubWindow*>(parentWidget());
}

void TForm2::BringToFront()
{
    QMdiSubWindow* subWindow = SubWindow();
    if (!subWindow)
        return;
    if (subWindow->isMinimized())
        subWindow->showNormal();
    else
        subWindow->show();
    subWindow->mdiArea()->setActiveSubWindow(subWindow);
}

void TForm2::SetCaption(const QString& caption)
{
    caption_ = caption;
    setWindowTitle(caption);
    if (QMdiSubWindow* subWindow = SubWindow())
        subWindow->setWindowTitle(caption);
}

CloseAction TForm2::FormClose()
{
    // The start-up window is the one page that is never saved.
    if (caption_ != QStringLiteral("Noname")) {
        try {
            if (!FileName.isEmpty()) {
                WritePage(FileName);
            } else {
                SaveDialog1.title = SaveDialogTitle(caption_);
                if (std::optional<QString> path = platform().GetSaveFileName(this, SaveDialog1)) {
                    SaveDialog1.initialPath = *path;
                    WritePage(*path);
                    SetCaption(FileNamePart(*path));
                    if (WindowMenuItem)
                        WindowMenuItem->setText(MenuEntryText(caption_));
                    FileName = *path;
                }
            }
        } catch (const std::exception& error) {
            platform().ShowError(QString::fromStdString(error.what()));
            return CloseAction::None;
        }
    }
    delete WindowMenuItem;
    WindowMenuItem = nullptr;
    return CloseAction::Free;
}

void TForm2::closeEvent(QCloseEvent* event)
{
    if (FormClose() == CloseAction::Free)
        event->accept();
    else
        event->ignore();
}

void TForm2::LoadPage(const QString& path)
{
    CodeMemo1->Model().LoadFromFile(NativePath(path));
    emit PageRead(path);
}

bool TForm2::WritePage(const QString& path)
{
    if (path == FileName && ConfirmOverwrite && !ConfirmOverwrite())
        return false;
    CodeMemo1->Model().Document().SaveToFile(NativePath(path));
    emit PageWritten(path);
    return true;
}

void TForm2::Undo1Click() { CodeMemo1->Model().Undo(); }
void TForm2::Redo1Click() { CodeMemo1->Model().Redo(); }
void TForm2::Cut1Click() { CodeMemo1->RunCommand(ecCut); }
void TForm2::Copy1Click() { CodeMemo1->RunCommand(ecCopy); }
void TForm2::Paste1Click() { CodeMemo1->RunCommand(ecPaste); }
void TForm2::SelectAll1Click() { CodeMemo1->Model().SelectAll(); }
