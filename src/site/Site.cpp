#include "site/Site.h"

#include "upload/ProfileFile.h"

#include <sys/stat.h>

TSite::TSite(std::string folder, TSiteSettings settings)
    : folder_(std::move(folder)), settings_(std::move(settings)), patterns_(settings_.Excludes)
{
    while (folder_.size() > 1 && folder_.back() == '/')
        folder_.pop_back();
}

TSite TSite::Open(const std::string& folder)
{
    return TSite(folder, LoadSiteSettings(folder));
}

TSite TSite::Create(const std::string& folder, TSiteSettings settings)
{
    struct stat info {};
    if (::stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
        throw ESiteSettingsError("Cannot open folder " + folder + ". No such folder");
    if (::stat(SiteSettingsPath(folder).c_str(), &info) == 0)
        throw ESiteSettingsError(folder + " is a site already (" + SiteSettingsPath(folder) + ")");
    if (settings.Excludes.empty())
        settings.Excludes = DefaultExcludes();
    SaveSiteSettings(folder, settings);
    return TSite(folder, std::move(settings));
}

TConnectionProfile TSite::FindProfile(const std::string& connectSetPath) const
{
    std::optional<TProfileLines> lines;
    try {
        lines = TProfileFile(connectSetPath).Read();
    } catch (const EProfileFileError& error) {
        throw ESiteSettingsError(error.what());
    }
    const std::optional<std::size_t> start = lines ? ::FindProfile(*lines, settings_.Profile) : std::nullopt;
    if (!start)
        throw ESiteSettingsError("No profile \"" + settings_.Profile + "\" in " + connectSetPath);
    return ProfileAt(*lines, *start);
}

std::string TSite::RemoteFolder(const TConnectionProfile& profile) const
{
    return settings_.Remote.empty() ? profile.Directory : settings_.Remote;
}

TConnectionProfile SessionProfile(TConnectionProfile profile)
{
    profile.Directory.clear();
    return profile;
}
