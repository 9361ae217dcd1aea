// Where a file fetched from the server lands, and when its server copy counts as changed since.

#include "site/RemoteEdits.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

TEST(RemoteEdits, SitePathOfARemotePath)
{
    struct Case {
        std::string RemoteFolder, RemotePath;
        std::optional<std::string> SitePath;
    };
    const Case cases[] = {
        {"upload", "upload/news.html", "news.html"},
        {"upload/", "upload/a/b.css", "a/b.css"},
        {"/www", "/www/index.html", "index.html"},
        {"/", "/index.html", "index.html"},
        {"", "a/index.html", "a/index.html"},
        {"", "/etc/passwd", std::nullopt},
        {"upload", "uploads/x.html", std::nullopt},    // a sibling sharing the prefix
        {"upload", "upload", std::nullopt},            // the folder itself is no file
        {"upload", "upload/../secret", std::nullopt},  // climbing out
        {"upload", "upload/./x.html", std::nullopt},
        {"upload", "upload//x.html", std::nullopt},
        {"upload", "outside.txt", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SitePathOf(c.RemoteFolder, c.RemotePath), c.SitePath) << c.RemoteFolder << " " << c.RemotePath;
}

TEST(RemoteEdits, CachePathKeepsEveryServerNameInsideTheCache)
{
    struct Case {
        std::string Server, RemotePath, Path;
    };
    const Case cases[] = {
        {"me@host_21", "upload/news.html", "/c/remote/me@host_21/upload/news.html"},
        {"me@sftp://host", "/var/www/x", "/c/remote/me@sftp:__host/var/www/x"},
        {"..", "../../etc/passwd", "/c/remote/_../etc/passwd"},
        {"s", "a/./b/../c", "/c/remote/s/a/b/c"},
        {"s", "/", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CachePathFor("/c", c.Server, c.RemotePath), c.Path) << c.Server << " " << c.RemotePath;
}

TEST(RemoteEdits, ServerCopyNameTellsTheCopiesApart)
{
    const std::pair<std::string, std::string> cases[] = {
        {"page.html", "page (server).html"},
        {"css/site.min.css", "css/site.min (server).css"},
        {"v1.2/README", "v1.2/README (server)"},
        {".htaccess", ".htaccess (server)"},
        {"img/.hidden", "img/.hidden (server)"},
    };
    for (const auto& [path, copy] : cases)
        EXPECT_EQ(ServerCopyName(path), copy) << path;
}

TEST(RemoteEdits, ServerCopyAgainstTheFetch)
{
    const TRemoteEntry fetched{"x", TRemoteKind::File, 10, 1000};
    struct Case {
        std::optional<TRemoteEntry> Then, Now;
        TServerCopy Copy;
    };
    const Case cases[] = {
        {fetched, fetched, TServerCopy::AsFetched},
        {fetched, TRemoteEntry{"x", TRemoteKind::File, 11, 1000}, TServerCopy::Changed},
        {fetched, TRemoteEntry{"x", TRemoteKind::File, 10, 1001}, TServerCopy::Changed},
        {fetched, std::nullopt, TServerCopy::Gone},
        // A server that tells neither size nor time cannot vouch for its copy.
        {TRemoteEntry{"x"}, TRemoteEntry{"x"}, TServerCopy::Changed},
        {std::nullopt, fetched, TServerCopy::Changed},
    };
    for (const Case& c : cases) {
        TFetchedFile file{"x", "/nowhere/x", c.Then, {}};
        EXPECT_EQ(CompareServerCopy(file, c.Now), c.Copy);
    }
}
