#pragma once
// The files of a site folder as they are now: every regular file (or link to one) below the folder that
// the patterns do not leave out, with its size and modification time. Left-out folders are not entered.
// Links to folders are not followed, so a loop of links cannot trap the walk.

#include "site/ExcludePatterns.h"

#include <cstdint>
#include <map>
#include <string>

struct TLocalFile {
    std::uint64_t Size = 0;
    std::int64_t ModifiedNs = 0;
};

using TLocalFiles = std::map<std::string, TLocalFile>;  // by path relative to the site, "/" between folders

// Throws EFileError when the site folder itself cannot be read; unreadable sub-folders are skipped.
TLocalFiles ScanSite(const std::string& siteFolder, const TExcludePatterns& patterns);

// The file's size and time now; false when it is gone or no regular file.
bool StatLocalFile(const std::string& path, TLocalFile& file);
