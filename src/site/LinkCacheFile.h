#pragma once
// The link check's references kept between runs of the site window and the command line (".tallo-site.links"
// beside the settings), so that a check of a site whose pages have not moved reads none of them. Each page is kept
// with the size and time it had when read; a page that moved since is read again (see CheckSiteLinks).
// The file is only a cache: one that is missing, unreadable or damaged counts as empty.

#include "site/LinkCheck.h"

#include <string>

std::string LinkCacheFilePath(const std::string& siteFolder);
TReferenceCache LoadLinkCache(const std::string& siteFolder);
// Replaces the file whole; false when it could not be written (the next open then reads the pages).
bool SaveLinkCache(const std::string& siteFolder, const TReferenceCache& cache);

// The link check (see CheckSiteLinks) through cache, which is first filled from the site's cache file
// when it is empty; the file is written again when the check changed the cache.
TLinkReport CheckSiteLinksKept(const std::string& siteFolder, const TLocalFiles& files,
                               const std::vector<std::string>& pages, TReferenceCache& cache);
