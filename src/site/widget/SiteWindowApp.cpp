#include "site/widget/SiteWindowApp.h"

#include "base/UserFolders.h"
#include "desktop/CommandLine.h"
#include "net/MessagePump.h"
#include "platform/QtPlatform.h"
#include "site/SiteSettings.h"
#include "site/widget/SiteJobs.h"
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

TStartedOpen StartSiteOpen(const std::string& folder, const std::string& connectSetPath)
{
    try {
        const TSite site = TSite::Open(folder);
        const TConnectionProfile profile = site.FindProfile(connectSetPath);
        auto server = std::make_shared<TKeptSession>(SessionProfile(profile), TSessionOptions{}, std::make_unique<TWindowTrustListener>());
        return StartWindowSnapshot({site, profile, std::move(server), std::make_shared<TReferenceCache>()});
    } catch (const std::exception&) {
        return {};
    }
}

int RunSiteWindow(int argc, char** argv, const std::string& folderGiven)
{
    const std::string folder = folderGiven.empty() ? folderGiven : AbsolutePath(folderGiven, CurrentFolder());
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tallo Site"));
    QApplication::setDesktopFileName(QStringLiteral("io.github.tallo.Site"));
    QtPlatform desktop(QApplication::applicationName());
    setPlatform(&desktop);
    // The New FTP Connection dialog's "Test" waits on this thread and keeps the window alive meanwhile.
    SetMessagePump([] { platform().ProcessEvents(); });
    int exitCode = 0;
    {
        // The site is read and the server listed while the window is made; the dialog for a new site
        // waits until the window is up.
        const bool isSite = !folder.empty() && QFile::exists(QFile::decodeName((folder + "/" + kSiteSettingsName).c_str()));
        TStartedOpen started = isSite ? StartSiteOpen(folder, TProfileFile::PathInCurrentFolder()) : TStartedOpen{};
        TSiteWindow window(TProfileFile::PathInCurrentFolder(), QFile::decodeName(SiteWindowSettingsPath().c_str()));
        window.show();
        if (isSite)
            window.OpenSite(folder, std::move(started));
        else if (!folder.empty())
            QTimer::singleShot(0, &window, [&window, folder] { window.NewSiteForFolder(folder); });
        exitCode = QApplication::exec();
    }
    SetMessagePump(nullptr);
    setPlatform(nullptr);
    return exitCode;
}
