// The rules of a site that need no server: which files the patterns leave out, which references a
// page makes and how each resolves, and the record surviving a kill in the middle of a line; and one
// that needs a silent server: a cancel ends a publish whose sessions are still logging in.

#include "site/ExcludePatterns.h"
#include "site/FileHash.h"
#include "site/LinkCacheFile.h"
#include "site/LinkCheck.h"
#include "site/PageReferences.h"
#include "site/PublishRecord.h"
#include "site/Site.h"
#include "site/SitePublisher.h"
#include "site/SiteSettings.h"
#include "site/SiteStatus.h"
#include "site/TextFiles.h"
#include "support/TestFiles.h"
#include "support/net/RealFtpServer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sys/stat.h>
#include <thread>

namespace {

TEST(SiteRulesTest, PatternsLeaveOutWhatGitWould)
{
    const TExcludePatterns patterns({".git/", "*.bak", "!keep.bak", "/drafts", "build/", "img/**/*.psd", "a?c.txt",
                                     "[Tt]emp*", "\\#hash", "# a comment", "logs/**", "**/cache"});
    const struct {
        const char* Path;
        TPathKind Kind;
        bool Excluded;
    } cases[] = {
        {".git", TPathKind::Folder, true},
        {"sub/.git", TPathKind::Folder, true},
        {".git", TPathKind::File, false},  // a trailing "/" matches folders only
        {"old.bak", TPathKind::File, true},
        {"sub/old.bak", TPathKind::File, true},
        {"keep.bak", TPathKind::File, false},  // negated by a later line
        {"drafts", TPathKind::Folder, true},
        {"sub/drafts", TPathKind::Folder, false},  // anchored to the site folder
        {"img/a/b/x.psd", TPathKind::File, true},
        {"img/x.psd", TPathKind::File, true},  // "**/" also matches no folder
        {"other/x.psd", TPathKind::File, false},
        {"abc.txt", TPathKind::File, true},
        {"ab/c.txt", TPathKind::File, false},  // "?" does not match "/"
        {"Temp1", TPathKind::File, true},
        {"temp", TPathKind::File, true},
        {"xtemp", TPathKind::File, false},
        {"#hash", TPathKind::File, true},
        {"# a comment", TPathKind::File, false},
        {"logs/a/b.txt", TPathKind::File, true},
        {"logs", TPathKind::Folder, false},  // "x/**" matches inside x only
        {"a/b/cache", TPathKind::File, true},
    };
    for (const auto& each : cases)
        EXPECT_EQ(patterns.Excludes(each.Path, each.Kind), each.Excluded) << each.Path;
    EXPECT_TRUE(patterns.ExcludesWithFolders("build/out/page.html", TPathKind::File));
    EXPECT_TRUE(patterns.ExcludesWithFolders("drafts/keep.bak", TPathKind::File));  // no way back out of a left-out folder
}

TEST(SiteRulesTest, SomeNamesAreNeverPublished)
{
    for (const char* name : {"connect.set", ".tallo-site", ".tallo-site.record", ".tallo-site.journal",
                             "..tallo-site.a1B2c3", ".connect.set.x9Y8z7"})
        EXPECT_TRUE(IsNeverPublishedName(name)) << name;
    for (const char* name : {"index.html", "connect.set.html", "tallo-site"})
        EXPECT_FALSE(IsNeverPublishedName(name)) << name;
}

TEST(SiteRulesTest, SettingsReadBackAndBadLinesNamed)
{
    TSiteSettings settings{"my site", "public_html/x", "https://example.org/", 4, {".git/", "!keep.bak"}};
    const TSiteSettings back = ParseSiteSettings(FormatSiteSettings(settings), ".tallo-site");
    EXPECT_EQ(back.Profile, "my site");
    EXPECT_EQ(back.Remote, "public_html/x");
    EXPECT_EQ(back.Url, "https://example.org/");
    EXPECT_EQ(back.Parallel, 4);
    EXPECT_EQ(back.Excludes, settings.Excludes);
    for (const char* bad : {"profile x", "colour = red", "parallel = 9", "parallel = two"}) {
        try {
            ParseSiteSettings(std::string("# c\n") + bad + "\n", "S");
            ADD_FAILURE() << bad;
        } catch (const ESiteSettingsError& error) {
            EXPECT_EQ(std::string(error.what()).rfind("S:2: ", 0), 0u) << error.what();
        }
    }
}

TEST(SiteRulesTest, ReferencesFoundWithTheirLines)
{
    const std::string page = "<html>\n<BODY background=\"bg.gif\">\n<!-- <a href=\"commented.html\"> -->\n"
                             "<a\n href='a&amp;b.html'>x</a><img src=pic.png alt=\"href=no.html\">\n"
                             "<script>var s = '<a href=\"script.html\">';</script>\n"
                             "<style>\nbody { background: url( \"css/bg.png\" ) }\n</style>\n"
                             "<form action=\"go.cgi\"><p style=\"background:url(dot.png)\">\n";
    std::vector<std::pair<std::string, int>> found;
    for (const TPageReference& reference : FindPageReferences(page))
        found.emplace_back(reference.Value, reference.Line);
    const std::vector<std::pair<std::string, int>> expected = {
        {"bg.gif", 2}, {"a&b.html", 5}, {"pic.png", 5}, {"css/bg.png", 8}, {"go.cgi", 10}, {"dot.png", 10}};
    EXPECT_EQ(found, expected);
}

TEST(SiteRulesTest, ReferencesResolveAgainstThePage)
{
    const struct {
        const char* Page;
        const char* Reference;
        const char* Resolved;  // nullptr: not checked
        bool Outside;
    } cases[] = {
        {"index.html", "img/a.png", "img/a.png", false},
        {"sub/page.html", "../img/a.png?v=2#x", "img/a.png", false},
        {"sub/page.html", "./b%20c.html", "sub/b c.html", false},
        {"sub/page.html", "../../x.html", nullptr, true},
        {"index.html", "#top", nullptr, false},
        {"index.html", "/abs.html", nullptr, false},
        {"index.html", "//cdn.example.org/x.js", nullptr, false},
        {"index.html", "mailto:me@example.org", nullptr, false},
        {"index.html", "javascript:void(0)", nullptr, false},
        {"index.html", "data:image/png;base64,xx", nullptr, false},
        {"index.html", "HTTP://example.org/", nullptr, false},
        {"index.html", "  ", nullptr, false},
        {"a/index.html", "./", "a", false},
    };
    for (const auto& each : cases) {
        bool outside = false;
        const std::optional<std::string> resolved = ResolveReference(each.Page, each.Reference, outside);
        EXPECT_EQ(resolved.value_or("(none)"), each.Resolved ? each.Resolved : "(none)") << each.Reference;
        EXPECT_EQ(outside, each.Outside) << each.Reference;
    }
}

TEST(SiteRulesTest, LinkCheckNamesEachProblem)
{
    const std::string site = MakeTempDirectory("tallo-links-");
    std::filesystem::create_directories(site + "/img");
    std::ofstream(site + "/img/Logo.png") << "x";
    std::ofstream(site + "/secret.bak") << "x";
    std::ofstream(site + "/index.html") << "<img src=\"img/Logo.png\">\n<img src=\"img/logo.png\">\n"
                                           "<a href=\"nope.html\">\n<a href=\"secret.bak\">\n<a href=\"../up.html\">\n"
                                           "<a href=\"img/\">\n";
    const TLinkReport report = CheckSiteLinks(site, ScanSite(site, TExcludePatterns({"*.bak"})));
    std::vector<std::string> problems;
    for (const TLinkProblem& problem : report.at("index.html").Problems)
        problems.push_back(LinkProblemText(problem));
    EXPECT_EQ(problems, (std::vector<std::string>{
                            "index.html:2: letter case differs: img/logo.png (the file is img/Logo.png)",
                            "index.html:3: no such file: nope.html",
                            "index.html:4: file left out of publishing: secret.bak",
                            "index.html:5: outside the site: ../up.html",
                        }));
    EXPECT_EQ(report.at("index.html").Targets, std::vector<std::string>{"img/Logo.png"});
    RemoveTree(site);
}

TEST(SiteRulesTest, LinkCheckCacheReadsOnlyPagesThatMoved)
{
    const std::string site = MakeTempDirectory("tallo-link-cache-");
    const auto write = [&](const std::string& path, const std::string& text, bool settled) {
        std::ofstream(site + "/" + path, std::ios::trunc) << text;
        if (settled)  // older than the racy window, so the cache may keep it
            std::filesystem::last_write_time(site + "/" + path, std::filesystem::file_time_type::clock::now() - std::chrono::hours(1));
    };
    const auto problems = [&](TReferenceCache& cache) {
        std::vector<std::string> texts;
        for (const auto& [page, links] : CheckSiteLinks(site, ScanSite(site, TExcludePatterns()), {}, &cache))
            for (const TLinkProblem& problem : links.Problems)
                texts.push_back(LinkProblemText(problem));
        return texts;
    };
    struct Step {
        const char* What;
        std::function<void()> Change;
        std::vector<std::string> Problems;
        std::size_t Cached;
    };
    const std::vector<Step> steps{
        {"first check", [&] { write("a.html", "<img src=\"x.png\">", true); write("b.html", "<a href=\"a.html\">", true); },
         {"a.html:1: no such file: x.png"}, 2},
        {"a missing file appears: a cached page is checked anew", [&] { write("x.png", "x", true); }, {}, 2},
        {"a page changes", [&] { write("b.html", "\n<a href=\"gone.html\">", true); }, {"b.html:2: no such file: gone.html"}, 2},
        {"a page just written is not kept", [&] { write("c.html", "<a href=\"y.png\">", false); },
         {"b.html:2: no such file: gone.html", "c.html:1: no such file: y.png"}, 2},
        {"a page is deleted", [&] { std::filesystem::remove(site + "/b.html"); }, {"c.html:1: no such file: y.png"}, 1},
    };
    TReferenceCache cache;
    for (const Step& step : steps) {
        step.Change();
        EXPECT_EQ(problems(cache), step.Problems) << step.What;
        EXPECT_EQ(cache.size(), step.Cached) << step.What;
    }
    RemoveTree(site);
}

TEST(SiteRulesTest, LinkCacheFileKeepsEveryByteAndCountsADamagedOneAsEmpty)
{
    const std::string site = MakeTempDirectory("tallo-link-cache-file-");
    const TReferenceCache kept{{"a\nb 1:.html", {{7, -3}, {{"x y\n:z.png", 3}, {"", 1}}}}, {"c.htm", {{0, 42}, {}}}};
    ASSERT_TRUE(SaveLinkCache(site, kept));
    std::string bytes;
    ASSERT_EQ(ReadWholeFile(LinkCacheFilePath(site), bytes), 0);
    const auto flatten = [](const TReferenceCache& cache) {
        std::vector<std::string> rows;
        for (const auto& [path, page] : cache) {
            rows.push_back(path + "|" + std::to_string(page.Stamp.Size) + "|" + std::to_string(page.Stamp.ModifiedNs));
            for (const TPageReference& reference : page.References)
                rows.push_back(std::to_string(reference.Line) + "|" + reference.Value);
        }
        return rows;
    };
    const struct {
        const char* What;
        std::string Bytes;  // written as the file; empty: no file
        bool Whole;
    } cases[] = {
        {"as written", bytes, true},
        {"cut short", bytes.substr(0, bytes.size() - 4), false},
        {"a length past the end", bytes.substr(0, bytes.find(':')) + "9" + bytes.substr(bytes.find(':')), false},
        {"another header", "# tallo-site links 2" + bytes.substr(bytes.find('\n')), false},
        {"a count far past the end", "# tallo-site links 1\n1 2 99999999999999999 3:a.h\n", false},
        {"no file", "", false},
    };
    for (const auto& c : cases) {
        std::filesystem::remove(LinkCacheFilePath(site));
        if (!c.Bytes.empty())
            std::ofstream(LinkCacheFilePath(site), std::ios::binary) << c.Bytes;
        EXPECT_EQ(flatten(LoadLinkCache(site)), c.Whole ? flatten(kept) : std::vector<std::string>{}) << c.What;
    }
    RemoveTree(site);
}

TEST(SiteRulesTest, RecordKeepsWholeLinesAcrossAKill)
{
    const std::string site = MakeTempDirectory("tallo-record-");
    const TRecordEntry entry{10, 1700000000123456789, std::string(64, 'a'), 1700000005, 10, 1700000006};
    {
        TPublishRecord record(site);
        record.Store("a\tb%.html", entry);
        record.Store("gone.html", entry);
        record.Forget("gone.html");
    }
    // A kill in the middle of the next line leaves it without its line end.
    std::ofstream(site + "/.tallo-site.journal", std::ios::app) << "F\tc.html\t10\t17";
    TPublishRecord reloaded(site);
    reloaded.Load();
    ASSERT_EQ(reloaded.Entries().size(), 1u);
    const TRecordEntry* back = reloaded.Find("a\tb%.html");
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->ModifiedNs, entry.ModifiedNs);
    EXPECT_EQ(back->RemoteTime, entry.RemoteTime);
    reloaded.Compact();
    EXPECT_FALSE(std::filesystem::exists(reloaded.JournalPath()));
    TPublishRecord compacted(site);
    compacted.Load();
    EXPECT_EQ(compacted.Entries().size(), 1u);
    EXPECT_TRUE(IsRacy(entry, 1700000005000000000));   // changed in the second the hash was taken
    EXPECT_FALSE(IsRacy(entry, 1700000004999999999));
    RemoveTree(site);
}

// Each file's status against the record and the server's listing; the site's side is compared first
// (as the window does while the server is still being listed) and the listing added after.
TEST(SiteRulesTest, StatusOfEachFileAgainstRecordAndServer)
{
    const std::string site = MakeTempDirectory("tallo-status-");
    const TRecordEntry recorded{10, 1700000000000000000, std::string(64, 'a'), 1700000005, 10, 1700000000};
    TPublishRecord record(site);
    TLocalFiles local;
    TRemoteTree remote;
    const struct {
        const char* Path;
        bool Recorded;
        std::optional<TLocalFile> Local;
        std::optional<std::uint64_t> ListedSize;  // nothing: not on the server
        const char* State;                        // "-": not reported
    } cases[] = {
        {"same.html", true, TLocalFile{10, recorded.ModifiedNs}, 10, "unchanged"},
        {"edited.html", true, TLocalFile{12, recorded.ModifiedNs}, 10, "changed"},
        {"theirs.html", true, TLocalFile{10, recorded.ModifiedNs}, 11, "conflict"},
        {"both.html", true, TLocalFile{12, recorded.ModifiedNs}, 11, "conflict"},
        {"gone-there.html", true, TLocalFile{10, recorded.ModifiedNs}, std::nullopt, "new"},
        {"deleted.html", true, std::nullopt, 10, "deleted"},
        {"deleted-both.html", true, std::nullopt, std::nullopt, "deleted"},
        {"fresh.html", false, TLocalFile{3, 1}, std::nullopt, "new"},
        {"fresh-there-too.html", false, TLocalFile{3, 1}, 3, "new"},
        {"theirs-only.html", false, std::nullopt, 4, "server-only"},
        {"left-out.bak", true, std::nullopt, 10, "-"},
    };
    for (const auto& c : cases) {
        if (c.Recorded)
            record.Store(c.Path, recorded);
        if (c.Local)
            local[c.Path] = *c.Local;
        if (c.ListedSize)
            remote.Files[c.Path] = TRemoteEntry{c.Path, TRemoteKind::File, c.ListedSize, 1700000000};
    }
    std::map<std::string, std::string> shown;
    for (const TFileStatus& status : ComputeSiteStatus(site, local, record, &remote, TExcludePatterns({"*.bak"})))
        shown[status.Path] = FileStateName(status.State);
    for (const auto& c : cases)
        EXPECT_EQ(shown.contains(c.Path) ? shown[c.Path] : "-", c.State) << c.Path;
    RemoveTree(site);
}

// A file is hashed only when its time moved or its hash was taken in the second it was last changed; a
// hash that settles such a doubt is marked to be written back, so the file is not hashed at every status.
TEST(SiteRulesTest, FilesAreHashedOnlyWhileInDoubt)
{
    const std::string site = MakeTempDirectory("tallo-racy-");
    constexpr std::int64_t kSecond = 1'000'000'000;
    const struct {
        const char* Path;
        std::int64_t ModifiedNs;      // the file's time
        std::int64_t RecordedNs;      // the time in the record
        std::int64_t HashedAt;        // when the record's hash was taken, seconds
        bool Hashed, RecordStale;
    } cases[] = {
        {"settled.html", 1700000000 * kSecond + 5, 1700000000 * kSecond + 5, 1700000001, false, false},
        {"racy-then.html", 1700000000 * kSecond + 5, 1700000000 * kSecond + 5, 1700000000, true, true},
        {"touched.html", 1700000000 * kSecond + 5, 1600000000 * kSecond, 1600000001, true, true},
        {"racy-still.html", 4000000000 * kSecond, 4000000000 * kSecond, 4000000000, true, false},
    };
    TPublishRecord record(site);
    TLocalFiles local;
    for (const auto& c : cases) {
        const std::string path = site + "/" + c.Path;
        WriteTestFile(path, "<p>same</p>\n");
        const timespec times[2] = {{0, UTIME_OMIT}, {c.ModifiedNs / kSecond, c.ModifiedNs % kSecond}};
        ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
        ASSERT_TRUE(StatLocalFile(path, local[c.Path]));
        record.Store(c.Path, TRecordEntry{local[c.Path].Size, c.RecordedNs, FileSha256(path), c.HashedAt, {}, {}});
    }
    std::map<std::string, TFileStatus> shown;
    for (TFileStatus& status : ComputeSiteStatus(site, local, record, nullptr, TExcludePatterns()))
        shown[status.Path] = std::move(status);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Path);
        EXPECT_EQ(FileStateName(shown[c.Path].State), std::string("unchanged"));
        EXPECT_EQ(!shown[c.Path].Hash.empty(), c.Hashed);
        EXPECT_EQ(shown[c.Path].RecordStale, c.RecordStale);
    }
    RemoveTree(site);
}

// The server is stopped before the publish starts, so every session hangs in its log-in.
TEST(SiteRulesTest, CancelEndsAPublishWhoseSessionsAreStillLoggingIn)
{
    const auto server = RealFtpServer::Start(FtpServerKind::Pyftpdlib);
    const std::string site = MakeTempDirectory("tallo-cancel-");
    WriteTestFile(site + "/a.html", "<p>a</p>\n");
    TPublishRecord record(site);
    TPublishPlan plan;
    plan.Items.push_back({TFileStatus{"a.html", TFileState::New, TLocalChange::None, TLocalFile{9, 0}, {}, {}, 0, false},
                          TPublishAction::Upload, {}});
    const TConnectionProfile profile{"web", server->User(), server->Password(), "127.0.0.1", true,
                                     std::to_string(server->Port()), ""};
    const TSessionOptions options;  // a wait gives up after 60 s
    TPublishObserver observer;
    TSitePublisher publisher(
        site, server->UploadDirectory(), record,
        [&](TTransferListener& listener) { return MakeRemoteSession(SessionProfile(profile), options, listener); },
        observer, 2);
    server->Pause();
    std::thread canceller([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        publisher.Cancel();
    });
    const auto start = std::chrono::steady_clock::now();
    const TPublishReport report = publisher.Run(plan, nullptr, nullptr, {""});
    const auto took = std::chrono::steady_clock::now() - start;
    canceller.join();
    server->Resume();
    EXPECT_LT(took, std::chrono::seconds(options.TimeoutSeconds / 2));
    EXPECT_TRUE(report.Cancelled);
    ASSERT_EQ(report.Results.size(), 1u);
    EXPECT_EQ(report.Results[0].Outcome, TItemOutcome::Cancelled);
    RemoveTree(site);
}

}  // namespace
