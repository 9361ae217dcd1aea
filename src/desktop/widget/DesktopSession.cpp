#include "desktop/widget/DesktopSession.h"

#include "app/MainU.h"
#include "app/UHTML.h"
#include "base/FileWrites.h"
#include "desktop/InstanceProtocol.h"
#include "desktop/RecoveryFolder.h"
#include "desktop/widget/FileChangeWatch.h"
#include "desktop/widget/FileDrops.h"
#include "desktop/widget/RecoveryCopies.h"
#include "desktop/widget/SingleInstance.h"
#include "editor/control/EditorModel.h"
#include "editor/widget/CodeMemo.h"

#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTimer>
#include <algorithm>

namespace {

// How often files that arrived while a dialog was open look again.
constexpr int kDialogRetryMilliseconds = 250;

// The caret at the start of the line (the last one when the page is shorter), scrolled into view.
void PutCaretOnLine(TEditorModel& editor, int line)
{
    const int index = std::clamp(line, 1, editor.Document().LineCount()) - 1;
    editor.SetSelectionStart(editor.Document().CharIndexOf(TTextPosition{index, 0}));
}

// The pages in equal columns across the frame, left to right, the last one in front.
void PlaceSideBySide(QMdiArea& frame, const QList<TForm2*>& pages)
{
    const QSize room = frame.viewport()->size();
    const int width = room.width() / static_cast<int>(pages.size());
    for (qsizetype i = 0; i < pages.size(); ++i) {
        QMdiSubWindow* window = pages[i]->SubWindow();
        window->showNormal();
        window->setGeometry(static_cast<int>(i) * width, 0, width, room.height());
    }
    frame.setActiveSubWindow(pages.back()->SubWindow());
}

}  // namespace

TDesktopSession::TDesktopSession(TForm1& mainWindow, std::unique_ptr<TRecoveryCopies> recovery,
                                 std::unique_ptr<TSingleInstance> instance)
    : mainWindow_(mainWindow), recovery_(std::move(recovery)), instance_(std::move(instance))
{
    connect(&mainWindow, &TForm1::DocumentCreated, this, &TDesktopSession::Attach);
    if (instance_)
        connect(instance_.get(), &TSingleInstance::FilesRequested, this,
                [this](const QStringList& files, const QList<int>& lines, bool sideBySide) {
                    OpenFiles(files, lines, sideBySide);
                });
    new TFileDrops(mainWindow, [this](const QStringList& files) { OpenFiles(files); });
    // Coming back to the editor from another program counts as activating the page in front.
    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        if (state == Qt::ApplicationActive)
            CheckActiveDocument();
    });
}

std::unique_ptr<TDesktopSession> TDesktopSession::ForUser(TForm1& mainWindow)
{
    SetInterruptedSaveFolder(InterruptedSaveFolderIn(DefaultRecoveryFolder()));
    return std::make_unique<TDesktopSession>(mainWindow, std::make_unique<TRecoveryCopies>(DefaultRecoveryFolder()),
                                             TSingleInstance::Listen(DefaultInstanceSocketPath()));
}

TDesktopSession::~TDesktopSession() = default;

void TDesktopSession::Attach(TForm2* document)
{
    new TFileChangeWatch(*document);
    if (recovery_)
        recovery_->Attach(*document);
}

void TDesktopSession::Start(const QStringList& files, const QList<int>& lines)
{
    if (recovery_)
        recovery_->OfferLeftovers(mainWindow_);
    started_ = true;
    const QList<PendingFile> waiting = std::exchange(pending_, {});
    for (qsizetype i = 0; i < files.size(); ++i)
        pending_.append({files[i], i < lines.size() ? lines[i] : 0});
    pending_ += waiting;
    OpenPending();
}

void TDesktopSession::OpenFiles(const QStringList& files, const QList<int>& lines, bool sideBySide)
{
    for (qsizetype i = 0; i < files.size(); ++i)
        pending_.append({files[i], i < lines.size() ? lines[i] : 0, sideBySide});
    // Not inside the drop or socket event that brought them: opening may show an error box.
    QTimer::singleShot(0, this, &TDesktopSession::OpenPending);
}

void TDesktopSession::OpenPending()
{
    if (!started_ || pending_.isEmpty())
        return;
    if (QApplication::activeModalWidget()) {
        QTimer::singleShot(kDialogRetryMilliseconds, this, &TDesktopSession::OpenPending);
        return;
    }
    const QList<PendingFile> files = std::exchange(pending_, {});
    Raise();
    QList<TForm2*> beside;
    for (const PendingFile& file : files) {
        TForm2* page = file.Line > 0 ? OpenAtLine(file.Path, file.Line) : mainWindow_.OpenPage(file.Path);
        if (page && file.SideBySide)
            beside << page;
    }
    if (beside.size() > 1)
        PlaceSideBySide(*mainWindow_.MdiArea, beside);
}

TForm2* TDesktopSession::OpenAtLine(const QString& file, int line)
{
    TForm2* page = nullptr;
    for (TForm2* document : mainWindow_.Documents()) {
        if (document->FileName == file) {
            page = document;
            break;
        }
    }
    if (page)
        page->BringToFront();
    else
        page = mainWindow_.OpenPage(file);
    if (page)
        PutCaretOnLine(page->CodeMemo1->Model(), line);
    return page;
}

void TDesktopSession::CheckActiveDocument()
{
    if (TForm2* document = mainWindow_.ActiveDocument()) {
        if (auto* watch = document->findChild<TFileChangeWatch*>())
            watch->Check();
    }
}

void TDesktopSession::Raise()
{
    mainWindow_.setWindowState((mainWindow_.windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    mainWindow_.raise();
    mainWindow_.activateWindow();
}
