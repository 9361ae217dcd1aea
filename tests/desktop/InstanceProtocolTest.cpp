// One editor per user: the request format, the socket and its lock, the command line, and the
// stamps that tell a file changed behind the editor's back.
#include "desktop/CommandLine.h"
#include "desktop/FileStamp.h"
#include "desktop/InstanceProtocol.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <future>
#include <cstdlib>
#include <iostream>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace std::string_literals;

namespace {

struct RequestCase {
    const char* name;
    std::string bytes;
    TRequestState state;
};

class OpenRequestFormat : public testing::TestWithParam<RequestCase> {};

TEST_P(OpenRequestFormat, Decodes)
{
    TOpenRequest request;
    EXPECT_EQ(DecodeOpenRequest(GetParam().bytes, request), GetParam().state);
}

const std::string kTwoFiles = EncodeOpenRequest({{"/a b.html", "/x/\xff.htm"}});

INSTANTIATE_TEST_SUITE_P(
    Requests, OpenRequestFormat,
    testing::Values(RequestCase{"Whole", kTwoFiles, TRequestState::Complete},
                    RequestCase{"NoFiles", "tallo-open/1\0" "0\0"s, TRequestState::Complete},
                    RequestCase{"Empty", "", TRequestState::Incomplete},
                    RequestCase{"HalfTag", "tallo-op", TRequestState::Incomplete},
                    RequestCase{"LastPathCut", kTwoFiles.substr(0, kTwoFiles.size() - 1), TRequestState::Incomplete},
                    RequestCase{"OtherTag", "tallo-open/9\0" "0\0"s, TRequestState::Invalid},
                    RequestCase{"NotOurs", "GET / HTTP/1.0\r\n", TRequestState::Invalid},
                    RequestCase{"RelativePath", "tallo-open/1\0" "1\0a.html\0"s, TRequestState::Invalid},
                    RequestCase{"BadCount", "tallo-open/1\0" "x\0"s, TRequestState::Invalid},
                    RequestCase{"TrailingBytes", kTwoFiles + "/c\0"s, TRequestState::Invalid}),
    [](const auto& info) { return info.param.name; });

TEST(OpenRequestFormat, KeepsPathsAsTheyAre)
{
    TOpenRequest request;
    ASSERT_EQ(DecodeOpenRequest(kTwoFiles, request), TRequestState::Complete);
    EXPECT_EQ(request.Paths, (std::vector<std::string>{"/a b.html", "/x/\xff.htm"}));
}

// Requests with lines, or asking for the files side by side: the first form is still what a plain
// request is sent as, so editors that know only it keep working.
TEST(OpenRequestFormat, CarriesLinesAndSideBySideInLaterFormsOnly)
{
    EXPECT_EQ(kTwoFiles, "tallo-open/1\0" "2\0" "/a b.html\0" "/x/\xff.htm\0"s);
    const TOpenRequest withLines{{"/a.html", "/b.html"}, {12, 0}};
    EXPECT_EQ(EncodeOpenRequest(withLines), "tallo-open/2\0" "2\0" "/a.html\0" "12\0" "/b.html\0" "0\0"s);
    const TOpenRequest sideBySide{{"/a.html", "/b.html"}, {}, true};
    EXPECT_EQ(EncodeOpenRequest(sideBySide), "tallo-open/3\0" "2\0" "/a.html\0" "0\0" "/b.html\0" "0\0"s);
    const struct {
        const char* name;
        std::string bytes;
        TRequestState state;
        std::vector<int> lines;
        bool sideBySide = false;
    } cases[] = {
        {"paths only", kTwoFiles, TRequestState::Complete, {}},
        {"lines", EncodeOpenRequest(withLines), TRequestState::Complete, {12, 0}},
        {"side by side", EncodeOpenRequest(sideBySide), TRequestState::Complete, {0, 0}, true},
        {"side by side cut", "tallo-open/3\0" "1\0" "/a.html\0"s, TRequestState::Incomplete, {}},
        {"line not yet arrived", "tallo-open/2\0" "1\0" "/a.html\0" "1"s, TRequestState::Incomplete, {}},
        {"line missing", "tallo-open/2\0" "1\0" "/a.html\0"s, TRequestState::Incomplete, {}},
        {"line not a number", "tallo-open/2\0" "1\0" "/a.html\0" "x\0"s, TRequestState::Invalid, {}},
        {"negative line", "tallo-open/2\0" "1\0" "/a.html\0" "-3\0"s, TRequestState::Invalid, {}},
        {"empty line", "tallo-open/2\0" "1\0" "/a.html\0" "\0"s, TRequestState::Invalid, {}},
        {"huge line", "tallo-open/2\0" "1\0" "/a.html\0" "99999999999\0"s, TRequestState::Invalid, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TOpenRequest request;
        EXPECT_EQ(DecodeOpenRequest(c.bytes, request), c.state);
        if (c.state == TRequestState::Complete) EXPECT_EQ(request.Lines, c.lines);
        if (c.state == TRequestState::Complete) EXPECT_EQ(request.SideBySide, c.sideBySide);
    }
}

class InstanceSocket : public testing::Test {
protected:
    void SetUp() override
    {
        folder_ = testing::TempDir() + "tallo_instance_" + std::to_string(::getpid());
        fs::remove_all(folder_);
        fs::create_directories(folder_);
        socket_ = folder_ + "/tallo.socket";
    }
    void TearDown() override { fs::remove_all(folder_); }

    // Serves one request the way the running editor does, on another thread.
    static std::future<TOpenRequest> ServeOne(const TInstanceListener& listener)
    {
        return std::async(std::launch::async, [&listener] {
            TRequestReader reader;
            for (int attempt = 0; attempt < 500; ++attempt) {
                const int fd = listener.Accept();
                if (fd < 0) {
                    ::usleep(10000);
                    continue;
                }
                TRequestState state = TRequestState::Incomplete;
                for (int wait = 0; wait < 500 && state == TRequestState::Incomplete; ++wait) {
                    state = reader.ReadFrom(fd);
                    if (state == TRequestState::Incomplete) ::usleep(10000);
                }
                if (state == TRequestState::Complete) SendOpenReply(fd);
                ::close(fd);
                break;
            }
            return reader.Request();
        });
    }

    std::string folder_;
    std::string socket_;
};

TEST_F(InstanceSocket, HandsFilesToTheListeningEditor)
{
    auto listener = TInstanceListener::Listen(socket_);
    ASSERT_TRUE(listener);
    EXPECT_FALSE(TInstanceListener::Listen(socket_));  // one editor listens
    auto served = ServeOne(*listener);
    const TOpenRequest request{{"/home/u/index.html", "/home/u/b.html"}};
    EXPECT_EQ(HandOver(socket_, request, 5000), THandOver::Done);
    EXPECT_EQ(served.get(), request);
}

TEST_F(InstanceSocket, AStaleSocketIsTakenOver)
{
    EXPECT_EQ(HandOver(socket_, {{"/a"}}, 200), THandOver::NoEditor);
    {
        // A socket file left by an editor that crashed: bound, then its process gone.
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        socket_.copy(address.sun_path, socket_.size());
        ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        ::close(fd);
    }
    EXPECT_EQ(HandOver(socket_, {{"/a"}}, 200), THandOver::NoEditor);
    auto listener = TInstanceListener::Listen(socket_);
    ASSERT_TRUE(listener);
    auto served = ServeOne(*listener);
    EXPECT_EQ(HandOver(socket_, {{"/a"}}, 5000), THandOver::Done);
    EXPECT_EQ(served.get().Paths, std::vector<std::string>{"/a"});
    listener.reset();
    EXPECT_FALSE(fs::exists(socket_));
}

// Another user, for the cases that need one; only root can act as another user.
constexpr uid_t kOtherUser = 65534;

TEST_F(InstanceSocket, FilesAreNotHandedToAListenerOfAnotherUser)
{
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to listen as another user";
    fs::permissions(folder_, fs::perms::all);  // the other user makes its socket here
    int ready[2], hold[2];
    ASSERT_EQ(::pipe(ready), 0);
    ASSERT_EQ(::pipe(hold), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(ready[0]);
        ::close(hold[1]);
        const bool other = ::setgid(kOtherUser) == 0 && ::setuid(kOtherUser) == 0;
        const auto listener = other ? TInstanceListener::Listen(socket_) : nullptr;
        const char listening = listener ? 1 : 0;
        (void)!::write(ready[1], &listening, 1);
        char end;
        (void)!::read(hold[0], &end, 1);  // listens until the test lets go
        ::_exit(0);
    }
    ::close(ready[1]);
    ::close(hold[0]);
    char listening = 0;
    EXPECT_EQ(::read(ready[0], &listening, 1), 1);
    EXPECT_EQ(listening, 1);
    if (listening) EXPECT_EQ(HandOver(socket_, {{"/home/u/private.html"}}, 2000), THandOver::NoEditor);
    ::close(hold[1]);
    ::close(ready[0]);
    ::waitpid(child, nullptr, 0);
}

// The socket goes into the runtime folder only when nobody else may enter it.
TEST(RuntimeFolder, HoldsTheSocketOnlyWhenPrivateToTheUser)
{
    const std::string base = testing::TempDir() + "tallo_runtime_" + std::to_string(::getpid());
    fs::remove_all(base);
    fs::create_directories(base);
    enum class Kind { Folder, LinkToPrivateFolder, OtherUsersFolder };
    const struct {
        const char* name;
        Kind kind;
        fs::perms mode;
        bool used;
    } cases[] = {
        {"private", Kind::Folder, fs::perms::owner_all, true},
        {"open_to_everyone", Kind::Folder, fs::perms::all, false},
        {"group_may_enter", Kind::Folder, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec, false},
        {"link_to_a_private_folder", Kind::LinkToPrivateFolder, fs::perms::owner_all, false},
        {"another_users", Kind::OtherUsersFolder, fs::perms::owner_all, false},
    };
    const char* saved = std::getenv("XDG_RUNTIME_DIR");
    const std::string previous = saved ? saved : "";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.kind == Kind::OtherUsersFolder && ::geteuid() != 0) {
            std::cout << "skipped " << c.name << ": needs root to give a folder to another user\n";
            continue;
        }
        const std::string folder = base + "/" + c.name;
        const std::string made = c.kind == Kind::LinkToPrivateFolder ? folder + ".real" : folder;
        fs::create_directory(made);
        fs::permissions(made, c.mode);
        if (c.kind == Kind::LinkToPrivateFolder) fs::create_directory_symlink(made, folder);
        if (c.kind == Kind::OtherUsersFolder) ASSERT_EQ(::chown(made.c_str(), kOtherUser, kOtherUser), 0);
        ::setenv("XDG_RUNTIME_DIR", folder.c_str(), 1);
        EXPECT_EQ(DefaultInstanceSocketPath(), c.used ? folder + "/tallo.socket" : "");
    }
    if (saved) ::setenv("XDG_RUNTIME_DIR", previous.c_str(), 1);
    else ::unsetenv("XDG_RUNTIME_DIR");
    fs::remove_all(base);
}

struct CommandLineCase {
    const char* name;
    std::vector<std::string> arguments;
    bool newWindow;
    std::vector<std::string> files;
    bool error;
    TInformation information = TInformation::None;
    std::vector<int> lines = {};  // empty: none named
};

class CommandLineParsing : public testing::TestWithParam<CommandLineCase> {};

TEST_P(CommandLineParsing, Parses)
{
    const CommandLineCase& c = GetParam();
    const TCommandLine parsed = ParseCommandLine(c.arguments);
    EXPECT_EQ(parsed.NewWindow, c.newWindow);
    EXPECT_EQ(parsed.Files, c.files);
    EXPECT_EQ(!parsed.Error.empty(), c.error);
    EXPECT_EQ(parsed.Information, c.information);
    if (!c.error) EXPECT_EQ(parsed.Lines, c.lines.empty() ? std::vector<int>(c.files.size(), 0) : c.lines);
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, CommandLineParsing,
    testing::Values(CommandLineCase{"Nothing", {}, false, {}, false},
                    CommandLineCase{"Files", {"a.html", "b/c.htm"}, false, {"a.html", "b/c.htm"}, false},
                    CommandLineCase{"NewWindow", {"--new-window", "a.html"}, true, {"a.html"}, false},
                    CommandLineCase{"DashFileAfterEnd", {"--", "-x.html", "--new-window"}, false,
                                    {"-x.html", "--new-window"}, false},
                    CommandLineCase{"LoneDashIsAFile", {"-"}, false, {"-"}, false},
                    CommandLineCase{"UnknownOption", {"--bogus", "a.html"}, false, {"a.html"}, true},
                    CommandLineCase{"Help", {"-h", "a.html"}, false, {"a.html"}, false, TInformation::Usage},
                    CommandLineCase{"Version", {"--version"}, false, {}, false, TInformation::Version},
                    CommandLineCase{"VersionAfterEndIsAFile", {"--", "--version"}, false, {"--version"}, false},
                    CommandLineCase{"LineBeforeAFile", {"+12", "a.html", "b.html"}, false, {"a.html", "b.html"},
                                    false, TInformation::None, {12, 0}},
                    CommandLineCase{"PlusNotDigitsIsAFile", {"+x", "+"}, false, {"+x", "+"}, false},
                    CommandLineCase{"PlusAfterEndIsAFile", {"--", "+3"}, false, {"+3"}, false},
                    CommandLineCase{"LineZero", {"+0", "a.html"}, false, {"a.html"}, true},
                    CommandLineCase{"LineTooLarge", {"+99999999999", "a.html"}, false, {"a.html"}, true},
                    CommandLineCase{"LineWithoutFile", {"a.html", "+4"}, false, {"a.html"}, true}),
    [](const auto& info) { return info.param.name; });

TEST(AbsolutePath, ResolvesAgainstTheFolder)
{
    const std::pair<std::string, std::string> cases[] = {
        {"a.html", "/home/u/a.html"},       {"./site//a.html", "/home/u/site/a.html"},
        {"/tmp/./b.html", "/tmp/b.html"},   {"../a.html", "/home/u/../a.html"},
        {".", "/home/u"},
    };
    for (const auto& [path, absolute] : cases) EXPECT_EQ(AbsolutePath(path, "/home/u/"), absolute) << path;
}

TEST(FileStamp, TellsAChangedFileFromADeletedOne)
{
    const std::string path = testing::TempDir() + "tallo_stamp_" + std::to_string(::getpid()) + ".html";
    std::ofstream(path) << "first";
    const TFileStamp read = TFileStamp::Of(path);
    EXPECT_EQ(CompareStamps(read, TFileStamp::Of(path)), TFileChange::None);
    // Same size, written by another program that replaces the file by a rename.
    const std::string other = path + ".new";
    std::ofstream(other) << "other";
    fs::rename(other, path);
    EXPECT_EQ(CompareStamps(read, TFileStamp::Of(path)), TFileChange::Changed);
    fs::remove(path);
    EXPECT_EQ(CompareStamps(read, TFileStamp::Of(path)), TFileChange::Deleted);
    EXPECT_EQ(CompareStamps(TFileStamp::Of(path), TFileStamp::Of(path)), TFileChange::None);
}

}  // namespace
