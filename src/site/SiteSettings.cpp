#include "site/SiteSettings.h"

#include "base/FileWrites.h"
#include "site/TextFiles.h"

#include <cerrno>
#include <cstring>

namespace {

std::string_view Trimmed(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos)
        return {};
    const std::size_t last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

int ParseParallel(std::string_view value, const std::string& where)
{
    if (value.size() == 1 && value[0] >= '1' && value[0] <= '0' + kMaxParallel)
        return value[0] - '0';
    throw ESiteSettingsError(where + ": parallel must be a number from 1 to " + std::to_string(kMaxParallel));
}

}  // namespace

std::vector<std::string> DefaultExcludes()
{
    return {".git/", "*.bak", "*~"};
}

TSiteSettings ParseSiteSettings(std::string_view text, const std::string& fileName)
{
    TSiteSettings settings;
    settings.Excludes.clear();
    int lineNumber = 0;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = Trimmed(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        ++lineNumber;
        if (line.empty() || line[0] == '#')
            continue;
        const std::string where = fileName + ":" + std::to_string(lineNumber);
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos)
            throw ESiteSettingsError(where + ": expected \"key = value\"");
        const std::string_view key = Trimmed(line.substr(0, equals));
        const std::string value(Trimmed(line.substr(equals + 1)));
        if (key == "profile")
            settings.Profile = value;
        else if (key == "remote")
            settings.Remote = value;
        else if (key == "url")
            settings.Url = value;
        else if (key == "parallel")
            settings.Parallel = ParseParallel(value, where);
        else if (key == "exclude")
            settings.Excludes.push_back(value);
        else
            throw ESiteSettingsError(where + ": unknown setting \"" + std::string(key) + "\"");
    }
    return settings;
}

std::string FormatSiteSettings(const TSiteSettings& settings)
{
    std::string text = "# Site settings of tallo-site. Patterns to leave out follow gitignore syntax.\n";
    text += "profile = " + settings.Profile + "\n";
    text += "remote = " + settings.Remote + "\n";
    text += "url = " + settings.Url + "\n";
    text += "parallel = " + std::to_string(settings.Parallel) + "\n";
    for (const std::string& pattern : settings.Excludes)
        text += "exclude = " + pattern + "\n";
    return text;
}

std::string SiteSettingsPath(const std::string& siteFolder)
{
    return siteFolder + "/" + kSiteSettingsName;
}

TSiteSettings LoadSiteSettings(const std::string& siteFolder)
{
    const std::string path = SiteSettingsPath(siteFolder);
    std::string text;
    if (int error = ReadWholeFile(path, text); error != 0) {
        if (error == ENOENT)
            throw ESiteSettingsError(siteFolder + " is not a site (no " + kSiteSettingsName +
                                     "; \"tallo-site init PROFILE\" makes one)");
        throw ESiteSettingsError("Cannot open file " + path + ". " + std::strerror(error));
    }
    return ParseSiteSettings(text, path);
}

void SaveSiteSettings(const std::string& siteFolder, const TSiteSettings& settings)
{
    const std::string path = SiteSettingsPath(siteFolder);
    if (int error = ReplacePrivateFile(path, FormatSiteSettings(settings)); error != 0)
        throw ESiteSettingsError("Cannot create file " + path + ". " + std::strerror(error));
}
