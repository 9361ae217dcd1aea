#pragma once
// A site: a local folder with its settings (".tallo-site"), tied by name to a profile of connect.set and
// to a remote folder (the profile's Directory unless the settings name another). The entry point for the
// command line and the site window: open or create a site, walk its files, find its profile.
//
// Typical use:
//     TSite site = TSite::Open(folder);
//     TPublishRecord record(site.Folder()); record.Load();
//     TLocalFiles files = site.Scan();
//     auto session = OpenRemoteSession(SessionProfile(profile), options, listener);
//     TRemoteTree remote = ListRemoteTree(*session, site.RemoteFolder(profile), site.Patterns());
//     auto statuses = ComputeSiteStatus(site.Folder(), files, record, &remote, site.Patterns());
//     TPublishPlan plan = PlanPublish(statuses, CheckSiteLinks(site.Folder(), files), options);
//     TSitePublisher(site.Folder(), site.RemoteFolder(profile), record, opener, observer, n).Run(...);
//     record.Compact();

#include "site/ExcludePatterns.h"
#include "site/SiteScan.h"
#include "site/SiteSettings.h"
#include "upload/ConnectionProfiles.h"

#include <string>

class TSite {
public:
    // Throws ESiteSettingsError when the folder holds no readable settings.
    static TSite Open(const std::string& folder);
    // Writes new settings (the default patterns added); throws ESiteSettingsError when the folder is
    // missing or already a site.
    static TSite Create(const std::string& folder, TSiteSettings settings);

    const std::string& Folder() const { return folder_; }
    const TSiteSettings& Settings() const { return settings_; }
    TSiteSettings& Settings() { return settings_; }
    const TExcludePatterns& Patterns() const { return patterns_; }

    TLocalFiles Scan() const { return ScanSite(folder_, patterns_); }
    // The profile the settings name, read from the connect.set at the path. Throws ESiteSettingsError
    // when the file has no such profile (or cannot be read).
    TConnectionProfile FindProfile(const std::string& connectSetPath) const;
    std::string RemoteFolder(const TConnectionProfile& profile) const;

private:
    TSite(std::string folder, TSiteSettings settings);

    std::string folder_;
    TSiteSettings settings_;
    TExcludePatterns patterns_;
};

// The profile as the site's sessions use it: its Directory left out, since every path of a site names
// the remote folder itself (so that a remote folder not made yet can be made).
TConnectionProfile SessionProfile(TConnectionProfile profile);
