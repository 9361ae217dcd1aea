// tallo-site run as a program against real servers on 127.0.0.1: one site of a few dozen files taken
// through the life of a site (first publish, nothing changed, edits, a deletion, a colleague's change, a
// broken page, a publish killed in the middle, the HTTP check), on each server.

#include "support/TestFiles.h"
#include "support/net/RealFtpServer.h"
#include "support/net/SftpTestServer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

struct TToolRun {
    int Exit = -1;
    std::string Out;
};

// Starts tallo-site in the work folder (where connect.set is) with stdout into a file; returns the pid.
pid_t StartTool(const fs::path& work, const std::vector<std::string>& arguments, const fs::path& output)
{
    std::vector<std::string> words{TALLO_SITE_TOOL, "--site", "site"};
    words.insert(words.end(), arguments.begin(), arguments.end());
    // The SFTP server's host key is new to every run (remembered in the work folder, never the user's).
    if (!arguments.empty() && (arguments.front() == "publish" || arguments.front() == "status"))
        words.push_back("--trust-new");
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int out = ::open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ::dup2(out, 1);
        ::dup2(out, 2);
        // Host keys remembered per world: another test's server may have had this port with another key.
        ::setenv("XDG_CONFIG_HOME", (work / "config").c_str(), 1);
        if (::chdir(work.c_str()) == 0)
            ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    return pid;
}

TToolRun RunTool(const fs::path& work, const std::vector<std::string>& arguments)
{
    const fs::path output = work / "tool.out";
    int status = 0;
    ::waitpid(StartTool(work, arguments, output), &status, 0);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadTestFile(output)};
}

// The files "sent" in a run's plain output.
std::set<std::string> Sent(const std::string& out)
{
    std::set<std::string> sent;
    std::istringstream lines(out);
    for (std::string line; std::getline(lines, line);)
        if (line.rfind("sent ", 0) == 0)
            sent.insert(line.substr(5));
    return sent;
}

std::set<std::string> JournalPaths(const fs::path& site)
{
    std::set<std::string> paths;
    std::istringstream lines(ReadTestFile(site / ".tallo-site.journal"));
    for (std::string line; std::getline(lines, line);)
        if (line.rfind("F\t", 0) == 0)
            paths.insert(line.substr(2, line.find('\t', 2) - 2));
    return paths;
}

enum class TServerKind { Pyftpdlib, Vsftpd, Sftp };

class TSiteWorld {
public:
    explicit TSiteWorld(TServerKind kind) : work_(MakeTempDirectory("tallo-site-"))
    {
        std::string user, password, host = "127.0.0.1";
        int port = 0;
        if (kind == TServerKind::Sftp) {
            sftp_ = SftpTestServer::Start();
            user = sftp_->User(), password = sftp_->Password(), port = sftp_->Port(), host = "sftp://127.0.0.1";
            remote_ = sftp_->Root() + "/upload";
        } else {
            ftp_ = RealFtpServer::Start(kind == TServerKind::Vsftpd ? FtpServerKind::Vsftpd : FtpServerKind::Pyftpdlib,
                                        FtpServerOptions{.AnonymousMayChange = true});
            user = ftp_->User(), password = ftp_->Password(), port = ftp_->Port();
            remote_ = ftp_->UploadPath();
        }
        WriteTestFile(Work() / "connect.set", "web\r\n" + user + "\r\n" + password + "\r\n" + host + "\r\nYes\r\n" +
                                              std::to_string(port) + "\r\nupload\r\n");
        for (int i = 0; i < 12; ++i)
            WriteTestFile(Site() / ("page" + std::to_string(i) + ".html"),
                      "<html><body>\n<img src=\"img/pic" + std::to_string(i % 8) + ".png\">\n<a href=\"index.html\">home</a>\n"
                      "<div style=\"background: url('css/bg.png')\">x</div></body></html>\n");
        for (int i = 0; i < 8; ++i)
            WriteTestFile(Site() / "img" / ("pic" + std::to_string(i) + ".png"), std::string(3000 + i * 100, char('a' + i)));
        for (int i = 0; i < 6; ++i)
            WriteTestFile(Site() / "docs" / "deep" / ("note" + std::to_string(i) + ".txt"), "note " + std::to_string(i));
        WriteTestFile(Site() / "css" / "site.css", "body { color: black }");
        WriteTestFile(Site() / "css" / "bg.png", std::string(2000, 'b'));
        WriteTestFile(Site() / "index.html", "<link href=\"css/site.css\" rel=\"stylesheet\">\n<a href=\"page0.html#top\">0</a>\n");
        WriteTestFile(Site() / "draft.bak", "not for the server");
        WriteTestFile(Site() / ".git" / "HEAD", "ref");
    }
    ~TSiteWorld() { RemoveTree(work_); }

    fs::path Work() const { return work_; }
    fs::path Site() const { return Work() / "site"; }
    fs::path Remote() const { return remote_; }
    TToolRun Tool(const std::vector<std::string>& arguments) const { return RunTool(Work(), arguments); }

private:
    std::unique_ptr<RealFtpServer> ftp_;
    std::unique_ptr<SftpTestServer> sftp_;
    std::string work_;
    std::string remote_;
};

// Serves a folder over HTTP (python3 -m http.server) on a free port while it lives.
class THttpServer {
public:
    explicit THttpServer(const fs::path& folder) : port_(FreeLoopbackPort())
    {
        pid_ = ::fork();
        if (pid_ == 0) {
            const int null = ::open("/dev/null", O_WRONLY);
            ::dup2(null, 1);
            ::dup2(null, 2);
            const std::string port = std::to_string(port_);
            ::execl("/usr/bin/python3", "python3", "-m", "http.server", port.c_str(), "--bind", "127.0.0.1",
                    "--directory", folder.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
        for (int i = 0; i < 200 && !Listening(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
    ~THttpServer()
    {
        ::kill(pid_, SIGTERM);
        ::waitpid(pid_, nullptr, 0);
    }
    std::string Url() const { return "http://127.0.0.1:" + std::to_string(port_) + "/"; }

private:
    bool Listening() const
    {
        const int probe = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<std::uint16_t>(port_));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        const bool up = ::connect(probe, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
        ::close(probe);
        return up;
    }

    int port_;
    pid_t pid_;
};

void SetUrl(const fs::path& site, const std::string& url)
{
    std::string settings = ReadTestFile(site / ".tallo-site");
    const std::size_t at = settings.find("url = ");
    settings.replace(at, settings.find('\n', at) - at, "url = " + url);
    WriteTestFile(site / ".tallo-site", settings);
}

struct TStep {
    const char* Name;
    std::function<void(TSiteWorld&)> Prepare;
    std::vector<std::string> Arguments;
    int Exit;
    std::set<std::string> Sent;
    std::function<void(TSiteWorld&, const TToolRun&)> Check;
};

void NoCheck(TSiteWorld&, const TToolRun&) {}

std::set<std::string> AllFiles()
{
    std::set<std::string> files{"index.html", "css/site.css", "css/bg.png"};
    for (int i = 0; i < 12; ++i)
        files.insert("page" + std::to_string(i) + ".html");
    for (int i = 0; i < 8; ++i)
        files.insert("img/pic" + std::to_string(i) + ".png");
    for (int i = 0; i < 6; ++i)
        files.insert("docs/deep/note" + std::to_string(i) + ".txt");
    return files;
}

const std::vector<TStep> kLife = {
    {"first publish sends every file but the left-out ones", nullptr, {"publish"}, 0, AllFiles(),
     [](TSiteWorld& world, const TToolRun&) {
         EXPECT_EQ(ReadTestFile(world.Remote() / "img/pic3.png"), ReadTestFile(world.Site() / "img/pic3.png"));
         EXPECT_FALSE(fs::exists(world.Remote() / "draft.bak"));
         EXPECT_FALSE(fs::exists(world.Remote() / ".git"));
         EXPECT_FALSE(fs::exists(world.Remote() / ".tallo-site"));
     }},
    {"nothing changed sends nothing", nullptr, {"publish"}, 0, {}, NoCheck},
    {"a touched file with the same bytes is not sent",
     [](TSiteWorld& world) { fs::last_write_time(world.Site() / "page1.html", fs::file_time_type::clock::now()); },
     {"publish"}, 0, {}, NoCheck},
    {"one page and one picture changed",
     [](TSiteWorld& world) {
         WriteTestFile(world.Site() / "page2.html", "<p>new text</p>\n");
         WriteTestFile(world.Site() / "img/pic5.png", std::string(3500, 'z'));
     },
     {"publish"}, 0, {"page2.html", "img/pic5.png"},
     [](TSiteWorld& world, const TToolRun&) { EXPECT_EQ(ReadTestFile(world.Remote() / "page2.html"), "<p>new text</p>\n"); }},
    {"a file deleted locally stays on the server without --delete",
     [](TSiteWorld& world) { fs::remove(world.Site() / "docs/deep/note3.txt"); }, {"publish"}, 0, {},
     [](TSiteWorld& world, const TToolRun& run) {
         EXPECT_TRUE(fs::exists(world.Remote() / "docs/deep/note3.txt"));
         EXPECT_NE(run.Out.find("kept on the server docs/deep/note3.txt"), std::string::npos) << run.Out;
     }},
    {"--delete removes it", nullptr, {"publish", "--delete"}, 0, {},
     [](TSiteWorld& world, const TToolRun& run) {
         EXPECT_FALSE(fs::exists(world.Remote() / "docs/deep/note3.txt"));
         EXPECT_NE(run.Out.find("removed docs/deep/note3.txt"), std::string::npos) << run.Out;
     }},
    {"a same-size change on the server is held back by its time",
     [](TSiteWorld& world) {
         WriteTestFile(world.Remote() / "docs/deep/note1.txt", "NOTE 1");
         fs::last_write_time(world.Remote() / "docs/deep/note1.txt", fs::file_time_type::clock::now() - std::chrono::hours(2));
         WriteTestFile(world.Site() / "docs/deep/note1.txt", "note 1, longer");
     },
     {"publish"}, 3, {},
     [](TSiteWorld& world, const TToolRun& run) {
         EXPECT_EQ(ReadTestFile(world.Remote() / "docs/deep/note1.txt"), "NOTE 1");
         EXPECT_NE(run.Out.find("held: changed on the server docs/deep/note1.txt"), std::string::npos) << run.Out;
     }},
    {"a file changed on the server is held back",
     [](TSiteWorld& world) {
         WriteTestFile(world.Remote() / "css/site.css", "body { color: red } /* a colleague's fix */");
         WriteTestFile(world.Site() / "css/site.css", "body { color: blue }");
     },
     {"publish"}, 3, {},
     [](TSiteWorld& world, const TToolRun& run) {
         EXPECT_EQ(ReadTestFile(world.Remote() / "css/site.css"), "body { color: red } /* a colleague's fix */");
         EXPECT_NE(world.Tool({"status"}).Out.find("conflict    css/site.css"), std::string::npos);
         EXPECT_NE(run.Out.find("held: changed on the server css/site.css"), std::string::npos) << run.Out;
     }},
    {"--force overwrites it", nullptr, {"publish", "--force"}, 0, {"css/site.css", "docs/deep/note1.txt"},
     [](TSiteWorld& world, const TToolRun&) { EXPECT_EQ(ReadTestFile(world.Remote() / "css/site.css"), "body { color: blue }"); }},
    {"a broken link and a case mismatch hold the page back",
     [](TSiteWorld& world) {
         WriteTestFile(world.Site() / "page4.html", "<a href=\"gone.html\">x</a>\n<img src=\"IMG/pic1.png\">\n");
         WriteTestFile(world.Site() / "page6.html", "<p>fine</p>\n");
     },
     {"publish"}, 4, {"page6.html"},
     [](TSiteWorld& world, const TToolRun& run) {
         EXPECT_NE(ReadTestFile(world.Remote() / "page4.html"), ReadTestFile(world.Site() / "page4.html"));
         EXPECT_NE(run.Out.find("page4.html:1: no such file: gone.html"), std::string::npos) << run.Out;
         EXPECT_NE(run.Out.find("page4.html:2: letter case differs: IMG/pic1.png (the file is img/pic1.png)"),
                   std::string::npos) << run.Out;
     }},
    {"publish PAGE sends that page and the changed files it uses, nothing else",
     [](TSiteWorld& world) {
         WriteTestFile(world.Site() / "page7.html", "<img src=\"img/pic7.png\"><img src=\"img/pic0.png\">\n");
         WriteTestFile(world.Site() / "img/pic7.png", "changed");
         WriteTestFile(world.Site() / "page8.html", "<p>not asked for</p>\n");
     },
     {"publish", "page7.html"}, 0, {"page7.html", "img/pic7.png"}, NoCheck},
    {"--publish-anyway sends the broken page", nullptr, {"publish", "--publish-anyway"}, 0, {"page4.html", "page8.html"},
     NoCheck},
};

class SitePublishTest : public ::testing::TestWithParam<TServerKind> {};

TEST_P(SitePublishTest, LifeOfASite)
{
    TSiteWorld world(GetParam());
    ASSERT_EQ(world.Tool({"init", "web", "--parallel", "3"}).Exit, 0);
    for (const TStep& step : kLife) {
        SCOPED_TRACE(step.Name);
        if (step.Prepare)
            step.Prepare(world);
        const TToolRun run = world.Tool(step.Arguments);
        EXPECT_EQ(run.Exit, step.Exit) << run.Out;
        EXPECT_EQ(Sent(run.Out), step.Sent) << run.Out;
        step.Check(world, run);
    }
}

TEST_P(SitePublishTest, KilledPublishResumesWithoutSendingTwice)
{
    TSiteWorld world(GetParam());
    ASSERT_EQ(world.Tool({"init", "web", "--parallel", "1"}).Exit, 0);
    for (int i = 0; i < 5; ++i)
        WriteTestFile(world.Site() / ("zbig" + std::to_string(i) + ".bin"), std::string(24 << 20, char('0' + i)));
    const pid_t tool = StartTool(world.Work(), {"publish"}, world.Work() / "killed.out");
    while (JournalPaths(world.Site()).size() < 10)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    ::kill(tool, SIGKILL);
    ::waitpid(tool, nullptr, 0);
    const std::set<std::string> before = JournalPaths(world.Site());
    ASSERT_LT(before.size(), AllFiles().size() + 5) << "the publish ended before the kill";
    // Whatever is under a file's own name on the server is whole.
    for (const auto& entry : fs::recursive_directory_iterator(world.Remote()))
        if (entry.is_regular_file() && entry.path().filename().string().rfind(".tallo-part-", 0) != 0)
            EXPECT_EQ(ReadTestFile(entry.path()), ReadTestFile(world.Site() / fs::relative(entry.path(), world.Remote())))
                << entry.path();
    const TToolRun resumed = world.Tool({"publish"});
    EXPECT_EQ(resumed.Exit, 0) << resumed.Out;
    std::set<std::string> all = AllFiles();
    for (int i = 0; i < 5; ++i)
        all.insert("zbig" + std::to_string(i) + ".bin");
    std::set<std::string> both = Sent(resumed.Out);
    for (const std::string& path : before)
        EXPECT_TRUE(both.insert(path).second) << path << " sent twice";
    EXPECT_EQ(both, all);
    EXPECT_EQ(world.Tool({"publish"}).Out.find("sent "), std::string::npos);
}

TEST_P(SitePublishTest, PublishedPagesAreCheckedOverHttp)
{
    TSiteWorld world(GetParam());
    ASSERT_EQ(world.Tool({"init", "web"}).Exit, 0);
    ASSERT_EQ(world.Tool({"publish"}).Exit, 0);
    const struct {
        fs::path Served;
        const char* Expected;
    } cases[] = {
        {world.Remote(), "status 200, length 19, as sent"},
        {world.Remote() / "img", "status 404"},  // a wrong folder behind the address
    };
    for (const auto& each : cases) {
        const THttpServer http(each.Served);
        SetUrl(world.Site(), http.Url());
        WriteTestFile(world.Site() / "index.html", each.Served == world.Remote() ? "<p>served here</p>\n" : "<p>elsewhere</p>\n");
        const TToolRun run = world.Tool({"publish"});
        EXPECT_EQ(run.Exit, 0) << run.Out;
        EXPECT_NE(run.Out.find("http check " + http.Url() + "index.html: " + each.Expected), std::string::npos) << run.Out;
    }
}

std::string ServerName(const ::testing::TestParamInfo<TServerKind>& info)
{
    switch (info.param) {
    case TServerKind::Pyftpdlib: return "pyftpdlib";
    case TServerKind::Vsftpd: return "vsftpd";
    case TServerKind::Sftp: return "sftp";
    }
    return "?";
}

INSTANTIATE_TEST_SUITE_P(Servers, SitePublishTest,
                         ::testing::Values(TServerKind::Pyftpdlib, TServerKind::Vsftpd, TServerKind::Sftp), ServerName);

}  // namespace
