// The program's entry: the application object, the desktop platform, the windows made once, and
// the message loop until the main window closes.
#include "app/ApplicationWindows.h"
#include "desktop/widget/CommandLineFiles.h"
#include "desktop/widget/DesktopSession.h"
#include "desktop/InstanceProtocol.h"
#include "app/MainU.h"
#include "base/ProcessUmask.h"
#include "net/MessagePump.h"
#include "platform/AppIcons.h"
#include "platform/QtPlatform.h"

#include <QApplication>
#include <QScreen>
#include <QTimer>

int main(int argc, char** argv)
{
    // Before any thread starts: reading the umask means setting it for a moment.
    ReadProcessUmask();
    if (const std::optional<int> answered = AnswerInformationRequest(argc, argv))
        return *answered;
    QApplication application(argc, argv);
    TStartFiles start;
    if (const std::optional<int> done =
            ReadCommandLine(std::vector<std::string>(argv + 1, argv + argc), DefaultInstanceSocketPath(), start))
        return *done;
    QtPlatform desktop;
    setPlatform(&desktop);
    // Network waits keep the windows alive by delivering their events while they wait.
    SetMessagePump([] { platform().ProcessEvents(); });
    // The help topics are compiled into the program; the platform's help window shows them.
    QApplication::setApplicationName(kApplicationTitle);
    QApplication::setWindowIcon(AppWindowIcon());

    std::unique_ptr<TForm1> mainWindow = CreateApplicationWindows();
    const std::unique_ptr<TDesktopSession> session = TDesktopSession::ForUser(*mainWindow);
    // Open tool windows (help, upload) must not keep the program alive once the main window closed.
    QObject::connect(mainWindow.get(), &TForm1::Closed, &application, &QApplication::quit, Qt::QueuedConnection);
    // Covering the screen first keeps the frame full-size where no window manager maximises it.
    mainWindow->setGeometry(QApplication::primaryScreen()->availableGeometry());
    mainWindow->showMaximized();
    QTimer::singleShot(0, session.get(), [&] { session->Start(start.Files, start.Lines); });
    const int exitCode = QApplication::exec();
    mainWindow.reset();
    SetMessagePump(nullptr);
    setPlatform(nullptr);
    return exitCode;
}
