// LIST and MLSD lines as servers write them, each read into a name, kind, size and time.
#include "transfer/FtpListing.h"
#include "transfer/RemoteSession.h"

#include <gtest/gtest.h>

namespace {

constexpr std::int64_t kNow = 1704067200 + 150 * 86400;  // 2024-05-30 00:00 UTC
constexpr std::int64_t kJan1_2024 = 1704067200;

struct Expected {
    const char* line;
    bool parsed;
    const char* name;
    TRemoteKind kind;
    std::optional<std::uint64_t> size;
    std::optional<std::int64_t> time;
};

void Check(const Expected& c, const std::optional<TRemoteEntry>& entry)
{
    SCOPED_TRACE(c.line);
    ASSERT_EQ(entry.has_value(), c.parsed);
    if (!entry)
        return;
    EXPECT_EQ(entry->Name, c.name);
    EXPECT_EQ(entry->Kind, c.kind);
    EXPECT_EQ(entry->Size, c.size);
    EXPECT_EQ(entry->ModifiedUtc, c.time);
}

TEST(FtpListingTest, ListLines)
{
    const Expected cases[] = {
        {"-rw-r--r--    1 1000     1000         1234 Jan 01  2024 index.html", true, "index.html", TRemoteKind::File, 1234, kJan1_2024},
        {"-rw-r--r-- 1 owner group 5 Jan  1 10:15 with  two spaces.html\r", true, "with  two spaces.html", TRemoteKind::File, 5, kJan1_2024 + 36900},
        // A date without a year ahead of today is last year's.
        {"-rw-r--r-- 1 owner group 5 Dec 31 23:00 late.html", true, "late.html", TRemoteKind::File, 5, kJan1_2024 - 3600},
        {"drwxr-xr-x 2 ftp 4096 Feb 29 2024 no group", true, "no group", TRemoteKind::Folder, std::nullopt, kJan1_2024 + 59 * 86400},
        {"lrwxrwxrwx 1 u g 7 Jan 01 2024 current -> releases/7", true, "current", TRemoteKind::Link, 7, kJan1_2024},
        {"12-31-23  10:15PM       <DIR>          old site", true, "old site", TRemoteKind::Folder, std::nullopt, kJan1_2024 - 6300},
        {"01-01-2024  12:05AM                 42 a.htm", true, "a.htm", TRemoteKind::File, 42, kJan1_2024 + 300},
        {"total 12", false, "", TRemoteKind::File, std::nullopt, std::nullopt},
        {"drwxr-xr-x 2 u g 4096 Jan 01 2024 ..", false, "", TRemoteKind::File, std::nullopt, std::nullopt},
        {"something else entirely", false, "", TRemoteKind::File, std::nullopt, std::nullopt},
        {"13-45-23  10:15PM  <DIR>  bad date", false, "", TRemoteKind::File, std::nullopt, std::nullopt},
    };
    for (const Expected& c : cases)
        Check(c, ParseListLine(c.line, kNow));
}

TEST(FtpListingTest, MlsdLines)
{
    const Expected cases[] = {
        {"type=file;size=1234;modify=20240101000000;perm=adfrw; index.html", true, "index.html", TRemoteKind::File, 1234, kJan1_2024},
        {"Type=dir;Modify=20240101000000.123; a folder\r\n", true, "a folder", TRemoteKind::Folder, std::nullopt, kJan1_2024},
        {" type=OS.unix=symlink;size=3; link", true, "link", TRemoteKind::Link, 3, std::nullopt},
        {"type=cdir;modify=20240101000000; .", false, "", TRemoteKind::File, std::nullopt, std::nullopt},
        {"type=pdir; ..", false, "", TRemoteKind::File, std::nullopt, std::nullopt},
    };
    for (const Expected& c : cases)
        Check(c, ParseMlsdLine(c.line));
}

TEST(FtpListingTest, SafeReplaceTemporaryNames)
{
    EXPECT_TRUE(IsSafeReplaceTemporaryName(".tallo-part-0a1b2c3d-index.html"));
    EXPECT_FALSE(IsSafeReplaceTemporaryName(".tallo-part-index.html"));
    EXPECT_FALSE(IsSafeReplaceTemporaryName("tallo-part-0a1b2c3d-index.html"));
    EXPECT_FALSE(IsSafeReplaceTemporaryName(".tallo-part-0a1b2c3g-index.html"));
}

}  // namespace
