// tallo-site: publishes a folder of pages to a web server (see kSiteUsage). Without arguments it prints
// the usage and exits 2; a window for the same work comes later.

#include "base/FileError.h"
#include "site/PublishRecord.h"
#include "site/SiteSettings.h"
#include "site/cli/SiteCommands.h"

#include <cstdio>
#include <stdexcept>

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

}  // namespace

int main(int argc, char** argv)
{
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
