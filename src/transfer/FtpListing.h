#pragma once
// Reading what FTP servers say about files: the facts of MLSD and MLST lines ("type=file;size=12;
// modify=20240101120000; name"), and the lines of LIST, which has no standard: the Unix "ls -l" form
// (with or without the group, links as "a -> b", dates with a year or with a time of day in the last
// months) and the Windows/IIS form ("12-31-23  10:15PM  <DIR>  name"). Times are taken as UTC: LIST
// gives the server's local time without saying which, and MLSD gives UTC.

#include "transfer/RemoteSession.h"

#include <cstdint>
#include <optional>
#include <string_view>

// One MLSD line, or the facts line of an MLST reply (leading blank allowed). Nothing for "." and ".."
// (cdir, pdir) and for lines without a name.
std::optional<TRemoteEntry> ParseMlsdLine(std::string_view line);

// One LIST line in either form. Nothing for "total 12", "." and "..", and for lines of no known form.
// nowUtc places a date without a year: the most recent such date no later than a day ahead.
std::optional<TRemoteEntry> ParseListLine(std::string_view line, std::int64_t nowUtc);

// "YYYYMMDDHHMMSS" (fractions of a second ignored) as seconds since 1970, or nothing.
std::optional<std::int64_t> ParseFtpTimestamp(std::string_view text);
