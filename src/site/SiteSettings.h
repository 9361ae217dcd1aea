#pragma once
// The settings of a site, kept in ".tallo-site" in the site's folder: a few "key = value" lines a person
// can read and edit (profile, remote, url, parallel, and one "exclude = PATTERN" line per pattern to leave
// out, in gitignore syntax). Lines starting with "#" and blank lines are comments. The file is written
// whole through a temporary file and a rename, so a failed write leaves the old one as it was.

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

inline constexpr const char* kSiteSettingsName = ".tallo-site";
inline constexpr int kMaxParallel = 8;

// A settings file that cannot be read, written or understood; the text names the file and the line.
class ESiteSettingsError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct TSiteSettings {
    std::string Profile;  // a profile name of connect.set
    std::string Remote;   // the remote folder; empty: the profile's Directory
    std::string Url;      // the site's address, for the check after publishing; may be empty
    int Parallel = 2;     // connections at once, 1 to kMaxParallel
    std::vector<std::string> Excludes;
};

// The patterns a new site starts with.
std::vector<std::string> DefaultExcludes();

// Throws ESiteSettingsError naming the line for an unknown key, a line without "=", or a bad number.
TSiteSettings ParseSiteSettings(std::string_view text, const std::string& fileName);
std::string FormatSiteSettings(const TSiteSettings& settings);

std::string SiteSettingsPath(const std::string& siteFolder);
// Throws ESiteSettingsError when the file is missing or unreadable ("not a site" names the folder).
TSiteSettings LoadSiteSettings(const std::string& siteFolder);
void SaveSiteSettings(const std::string& siteFolder, const TSiteSettings& settings);
