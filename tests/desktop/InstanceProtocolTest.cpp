// One editor per user: the request format, the socket and its lock, the command line, and the
// stamps that tell a file changed behind the editor's back.
#include "desktop/CommandLine.h"
#include "desktop/FileStamp.h"
#include "desktop/InstanceProtocol.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <future>
#include <sys/socket.h>
#include <sys/un.h>
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
                    RequestCase{"OtherTag", "tallo-open/2\0" "0\0"s, TRequestState::Invalid},
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

struct CommandLineCase {
    const char* name;
    std::vector<std::string> arguments;
    bool newWindow;
    std::vector<std::string> files;
    bool error;
    TInformation information = TInformation::None;
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
                    CommandLineCase{"VersionAfterEndIsAFile", {"--", "--version"}, false, {"--version"}, false}),
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
