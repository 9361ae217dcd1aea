#pragma once
// The check that nothing broken goes out: every relative reference of every page (.html, .htm) must name
// a file of the site that is published (or a folder of it). A name that differs from a file only in letter
// case is a problem too, since web servers tell case apart. Absolute paths ("/x"), addresses with a
// scheme (http:, mailto:, data:, ...), "//host" and bare "#fragments" are not checked; "?query" and
// "#fragment" are cut off and %XX decoded before the look-up.

#include "site/PageReferences.h"
#include "site/SiteScan.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

enum class TLinkProblemKind : std::uint8_t {
    Missing,       // no such file in the site
    CaseMismatch,  // a file whose name differs only in letter case (Found names it)
    LeftOut,       // the file exists but the patterns leave it out, so it never reaches the server
    OutsideSite,   // "../" climbs above the site folder
};

struct TLinkProblem {
    std::string Page;
    int Line = 0;
    std::string Reference;  // as written in the page
    TLinkProblemKind Kind = TLinkProblemKind::Missing;
    std::string Found;      // for CaseMismatch: the site's own spelling
};

struct TPageLinks {
    std::vector<std::string> Targets;  // the site files the page references, each once
    std::vector<TLinkProblem> Problems;
};

using TLinkReport = std::map<std::string, TPageLinks>;  // by page path

bool IsPagePath(std::string_view path);

// The path relative to the site that a reference names, or nothing when it is not checked (absolute,
// scheme, fragment only, empty). outside is set when it climbs above the site folder.
std::optional<std::string> ResolveReference(std::string_view pagePath, std::string_view reference, bool& outside);

// The references of pages as last read, each with the size and time the page had then, so that a
// check run again reads only the pages that moved. A page written in the last seconds is not kept: a
// second write within the clock's step could leave size and time as they were.
struct TCachedReferences {
    TLocalFile Stamp;
    std::vector<TPageReference> References;
};
using TReferenceCache = std::map<std::string, TCachedReferences>;  // by page path

// Checks the given pages (all pages of files when pages is empty). siteFolder is where pages are read.
// With a cache, pages whose size and time match it are not read again; the cache is brought up to date
// (pages gone from files are dropped from it); cacheChanged, when given, is set when it was.
TLinkReport CheckSiteLinks(const std::string& siteFolder, const TLocalFiles& files,
                           const std::vector<std::string>& pages = {}, TReferenceCache* cache = nullptr,
                           bool* cacheChanged = nullptr);

// "page:line: what" for a person.
std::string LinkProblemText(const TLinkProblem& problem);
