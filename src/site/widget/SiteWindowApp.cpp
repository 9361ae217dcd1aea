#include "site/widget/SiteWindowApp.h"

#include "base/UserFolders.h"
#include "net/MessagePump.h"
#include "platform/QtPlatform.h"
#include "site/SiteSettings.h"
#include "site/widget/SiteWindow.h"
#include "upload/ProfileFile.h"

#include <QApplication>
#include <QFile>
#include <QTimer>

std::string SiteWindowSettingsPath()
{
    const std::string config = UserConfigFolder();
    return config.empty() ? std::string() : config + "/tallo/tallo-site.conf";
}

int RunSiteWindow(int argc, char** argv, const std::string& folder)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tallo Site"));
    QApplication::setDesktopFileName(QStringLiteral("tallo-site"));
    QtPlatform desktop;
    setPlatform(&desktop);
    // The New FTP Connection dialog's "Test" waits on this thread and keeps the window alive meanwhile.
    SetMessagePump([] { platform().ProcessEvents(); });
    int exitCode = 0;
    {
        TSiteWindow window(TProfileFile::PathInCurrentFolder(), QFile::decodeName(SiteWindowSettingsPath().c_str()));
        window.show();
        // A site is read and its server listed while the window paints for the first time; the dialog
        // for a new one waits until the window is up.
        if (!folder.empty() && QFile::exists(QFile::decodeName((folder + "/" + kSiteSettingsName).c_str())))
            window.OpenSite(folder);
        else if (!folder.empty())
            QTimer::singleShot(0, &window, [&window, folder] { window.NewSiteForFolder(folder); });
        exitCode = QApplication::exec();
    }
    SetMessagePump(nullptr);
    setPlatform(nullptr);
    return exitCode;
}
