#include "desktop/widget/DesktopSession.h"

#include "desktop/widget/FileChangeWatch.h"
#include "desktop/widget/FileDrops.h"
#include "desktop/InstanceProtocol.h"
#include "app/MainU.h"
#include "desktop/widget/RecoveryCopies.h"
#include "desktop/widget/SingleInstance.h"
#include "base/FileWrites.h"
#include "desktop/RecoveryFolder.h"

#include <QApplication>
#include <QTimer>

namespace {

// How often files that arrived while a dialog was open look again.
constexpr int kDialogRetryMilliseconds = 250;

}  // namespace

TDesktopSession::TDesktopSession(TForm1& mainWindow, std::unique_ptr<TRecoveryCopies> recovery,
                                 std::unique_ptr<TSingleInstance> instance)
    : mainWindow_(mainWindow), recovery_(std::move(recovery)), instance_(std::move(instance))
{
    connect(&mainWindow, &TForm1::DocumentCreated, this, &TDesktopSession::Attach);
    if (instance_)
        connect(instance_.get(), &TSingleInstance::FilesRequested, this, &TDesktopSession::OpenFiles);
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

void TDesktopSession::Start(const QStringList& files)
{
    if (recovery_)
        recovery_->OfferLeftovers(mainWindow_);
    started_ = true;
    pending_ = files + pending_;
    OpenPending();
}

void TDesktopSession::OpenFiles(const QStringList& files)
{
    pending_ += files;
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
    const QStringList files = std::exchange(pending_, {});
    Raise();
    for (const QString& file : files)
        mainWindow_.OpenPage(file);
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
