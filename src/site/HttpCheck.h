#pragma once
// The check after publishing: each published page fetched from the site's address with an HTTP HEAD
// (libcurl, redirects followed), its status and length compared with what was sent, so that a wrong
// remote folder or a stale cache shows before a visitor sees it.

#include <cstdint>
#include <optional>
#include <string>

struct THttpCheck {
    std::string Path;
    std::string Url;
    long Status = 0;                      // 0 when no answer came
    std::optional<std::uint64_t> Length;  // as the server says, where it says
    std::string Error;                    // libcurl's words when no answer came
    bool Matches = false;                 // status 200 and, where a length was given, the size sent
};

// url: the site's address ("https://example.org/" or with a folder); path relative to the site.
std::string PageUrl(const std::string& url, const std::string& path);
THttpCheck CheckPublishedPage(const std::string& url, const std::string& path, std::uint64_t sentSize,
                              int timeoutSeconds = 20);
