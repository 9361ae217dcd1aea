// tallo-site: publishes a folder of pages to a web server (see kSiteUsage). Without arguments, or with
// only an existing folder, it opens the site window.

#include "base/FileError.h"
#include "site/PublishRecord.h"
#include "site/SiteSettings.h"
#include "site/cli/SiteCommands.h"

#include <cstdio>
#include <optional>
#include <stdexcept>
#include <sys/stat.h>

#ifdef TALLO_SITE_WINDOW
#include "site/widget/SiteWindowApp.h"
#endif

namespace {

int Run(const TSiteCommand& command)
{
    switch (command.Kind) {
    case TSiteCommandKind::Help: std::fputs(kSiteUsage, stdout); return kExitDone;
    case TSiteCommandKind::Version: std::printf("tallo-site %s\n", TALLO_VERSION); return kExitDone;
    case TSiteCommandKind::Init: return RunInit(command);
    case TSiteCommandKind::Status: return RunStatus(command);
    case TSiteCommandKind::Check: return RunCheck(command);
    case TSiteCommandKind::Publish: return RunPublish(command);
    case TSiteCommandKind::None: break;
    }
    std::fputs(kSiteUsage, stderr);
    return kExitUsage;
}

#ifdef TALLO_SITE_WINDOW
// The window's folder when the arguments ask for the window: none, or one existing folder that is no command.
std::optional<std::string> WindowFolder(int argc, char** argv)
{
    struct stat info {};
    if (argc == 1)
        return std::string();
    const std::string word = argc == 2 ? argv[1] : "";
    for (const char* command : {"init", "status", "check", "publish", "help", "version"})
        if (word == command)
            return std::nullopt;
    if (argc == 2 && !word.starts_with('-') && ::stat(argv[1], &info) == 0 && S_ISDIR(info.st_mode))
        return std::string(argv[1]);
    return std::nullopt;
}
#endif

}  // namespace

int main(int argc, char** argv)
{
#ifdef TALLO_SITE_WINDOW
    if (const std::optional<std::string> folder = WindowFolder(argc, argv))
        return RunSiteWindow(argc, argv, *folder);
#endif
    TSiteCommand command;
    try {
        command = ParseSiteCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const std::invalid_argument& error) {
        std::fprintf(stderr, "tallo-site: %s\n%s", error.what(), kSiteUsage);
        return kExitUsage;
    }
    try {
        return Run(command);
    } catch (const ESiteSettingsError& error) {
        std::fprintf(stderr, "tallo-site: %s\n", error.what());
    } catch (const ERecordError& error) {
        std::fprintf(stderr, "tallo-site: %s\n", error.what());
    } catch (const EFileError& error) {
        std::fprintf(stderr, "tallo-site: %s\n", error.what());
    } catch (const ETransferError& error) {
        std::fprintf(stderr, "tallo-site: %s\n", error.what());
        return kExitTransferFailed;
    }
    return kExitUsage;
}
