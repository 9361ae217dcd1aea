#include "base/FileDescriptor.h"
#include "net/FtpClient.h"
#include "support/net/RealFtpServer.h"

#include <arpa/inet.h>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <netinet/in.h>
#include <poll.h>
#include <random>
#include <sys/socket.h>
#include <unistd.h>

// Found by argument-dependent lookup, so it lives beside the type: names the server in test listings.
void PrintTo(FtpServerKind kind, std::ostream* out)
{
    *out << (kind == FtpServerKind::Vsftpd ? "vsftpd" : "pyftpdlib");
}

namespace {

const char* KindName(FtpServerKind kind)
{
    return kind == FtpServerKind::Vsftpd ? "vsftpd" : "pyftpdlib";
}

// One server of each kind for the whole run; a server that cannot start fails every test that needs it.
RealFtpServer* ServerOf(FtpServerKind kind, std::string& startError)
{
    static std::map<FtpServerKind, std::unique_ptr<RealFtpServer>> servers;
    static std::map<FtpServerKind, std::string> errors;
    if (!servers.count(kind) && !errors.count(kind)) {
        try {
            servers[kind] = RealFtpServer::Start(kind);
        } catch (const std::exception& error) {
            errors[kind] = error.what();
        }
    }
    startError = errors.count(kind) ? errors[kind] : "";
    return servers.count(kind) ? servers[kind].get() : nullptr;
}

// Removes the test files when the test program ends.
struct TestFileDirectory {
    std::string path = MakeTempDirectory("tallo-ftp-files-");
    ~TestFileDirectory() { RemoveTree(path); }
};

// Test files, made once: empty, a small page with mixed line ends and every byte value, 100 MB of noise.
std::string TestFile(std::size_t size)
{
    static std::map<std::size_t, std::string> made;
    static TestFileDirectory files;
    const std::string& directory = files.path;
    if (made.count(size))
        return made[size];
    std::string path = directory + "/file-" + std::to_string(size) + ".bin";
    std::ofstream out(path, std::ios::binary);
    std::string block;
    if (size > 0 && size < 100000) {
        block = "<html>\r\n<body>\nLF only\rCR only\r\n";
        for (int byte = 0; byte < 256; ++byte)
            block += static_cast<char>(byte);
        while (block.size() < size)
            block += block;
        block.resize(size);
        out << block;
    } else {
        std::mt19937_64 random(size);
        std::vector<std::uint64_t> chunk(1 << 16);
        for (std::size_t written = 0; written < size;) {
            for (auto& word : chunk)
                word = random();
            std::size_t bytes = std::min(size - written, chunk.size() * sizeof(std::uint64_t));
            out.write(reinterpret_cast<const char*>(chunk.data()), static_cast<std::streamsize>(bytes));
            written += bytes;
        }
    }
    made[size] = path;
    return path;
}

bool SameBytes(const std::string& a, const std::string& b)
{
    std::ifstream left(a, std::ios::binary), right(b, std::ios::binary);
    if (!left || !right)
        return false;
    std::vector<char> x(1 << 20), y(1 << 20);
    for (;;) {
        left.read(x.data(), static_cast<std::streamsize>(x.size()));
        right.read(y.data(), static_cast<std::streamsize>(y.size()));
        if (left.gcount() != right.gcount() || !std::equal(x.begin(), x.begin() + left.gcount(), y.begin()))
            return false;
        if (left.gcount() == 0)
            return true;
    }
}

struct Events {
    std::vector<std::string> list;
    bool failed = false;
    void Wire(TFtpClient& client)
    {
        client.OnConnect = [this](TSocketConnection&) { list.push_back("Connect"); };
        client.OnConnectionFailed = [this](TSocketConnection&) { list.push_back("ConnectionFailed"); };
        client.OnSuccess = [this](TFtpClient&, TCmdType type) { list.push_back("Success(" + std::to_string(type) + ")"); };
        client.OnFailure = [this](TFtpClient&, bool&, TCmdType type) {
            list.push_back("Failure(" + std::to_string(type) + ")");
        };
    }
};

class RealServer : public ::testing::TestWithParam<FtpServerKind> {
protected:
    void SetUp() override
    {
        std::string error;
        server = ServerOf(GetParam(), error);
        ASSERT_NE(server, nullptr) << error;
        client.Host = "127.0.0.1";
        client.Port = server->Port();
        client.UserID = server->User();
        client.Password = server->Password();
        events.Wire(client);
    }

    std::string ErrorOf(const std::function<void()>& action)
    {
        try {
            action();
        } catch (const std::exception& error) {
            return error.what();
        }
        return "(no error)";
    }

    RealFtpServer* server = nullptr;
    TFtpClient client;
    Events events;
};

TEST_P(RealServer, LogInAndQuit)
{
    client.Connect();
    EXPECT_TRUE(client.Connected());
    client.Disconnect();
    EXPECT_FALSE(client.Connected());
    EXPECT_EQ(events.list, std::vector<std::string>{"Connect"});
}

TEST_P(RealServer, RefusedLogIn)
{
    if (GetParam() == FtpServerKind::Vsftpd)
        client.UserID = "somebody";  // this server takes anonymous log-ins only
    else
        client.Password = "not the password";
    std::string error = ErrorOf([&] { client.Connect(); });
    EXPECT_EQ(error.rfind("530", 0), 0u) << error;
    EXPECT_FALSE(client.Connected());
    EXPECT_EQ(events.list, std::vector<std::string>{"ConnectionFailed"});
}

TEST_P(RealServer, ChangeDirectory)
{
    client.Connect();
    client.ChangeDirectory(server->UploadDirectory());
    std::string error = ErrorOf([&] { client.ChangeDirectory("no-such-directory"); });
    EXPECT_EQ(error.rfind("550", 0), 0u) << error;
    EXPECT_EQ(events.list, (std::vector<std::string>{"Connect", "Success(0)", "Failure(0)"}));
    client.Disconnect();
}

// The port of the one listening socket of this process (the servers run in processes of their own).
int ListeningPortOfThisProcess()
{
    for (int fd = 0; fd < 1024; ++fd) {
        int listening = 0;
        socklen_t size = sizeof listening;
        sockaddr_in local{};
        socklen_t length = sizeof local;
        if (::getsockopt(fd, SOL_SOCKET, SO_ACCEPTCONN, &listening, &size) == 0 && listening &&
            ::getsockname(fd, reinterpret_cast<sockaddr*>(&local), &length) == 0)
            return ntohs(local.sin_port);
    }
    return 0;
}

TFileDescriptor ConnectFrom(const char* source, int port)
{
    TFileDescriptor fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    ::inet_pton(AF_INET, source, &address.sin_addr);
    if (::bind(fd.Get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
        return {};
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    ::inet_pton(AF_INET, "127.0.0.1", &address.sin_addr);
    if (::connect(fd.Get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
        return {};
    return fd;
}

// Everything that arrives until the other side closes (or a few seconds pass).
std::string ReceivedUntilClosed(int fd)
{
    std::string received;
    char buffer[4096];
    pollfd entry{fd, POLLIN, 0};
    while (::poll(&entry, 1, 3000) > 0) {
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0)
            break;
        received.append(buffer, static_cast<std::size_t>(n));
    }
    return received;
}

TEST_P(RealServer, ActiveDataConnectionIsTakenOnlyFromTheServer)
{
    const std::string local = TestFile(5000);
    client.Passive = false;
    // Without the check the server's own connection is never taken; this ends the wait for its reply.
    client.TimeOut = 10000;
    client.ReportLevel = 1;
    // Another host connects to the data port between PORT and STOR: before vsftpd, which connects after
    // STOR (pyftpdlib connects at PORT already, so there it comes second).
    TFileDescriptor stranger;
    client.OnStatus = [&](TSocketConnection&, const std::string& status) {
        if (status.rfind("STOR ", 0) == 0)
            stranger = ConnectFrom("127.0.0.2", ListeningPortOfThisProcess());
    };
    client.Connect();
    client.ChangeDirectory(server->UploadDirectory());
    EXPECT_EQ(ErrorOf([&] { client.Upload(local, "active-stranger.bin"); }), "(no error)");
    client.Disconnect();
    ASSERT_TRUE(stranger.Valid());
    EXPECT_EQ(ReceivedUntilClosed(stranger.Get()), "");
    const std::string stored = server->UploadPath() + "/active-stranger.bin";
    EXPECT_TRUE(SameBytes(local, stored));
    ::unlink(stored.c_str());
}

INSTANTIATE_TEST_SUITE_P(Servers, RealServer, ::testing::Values(FtpServerKind::Vsftpd, FtpServerKind::Pyftpdlib),
                         [](const auto& info) { return std::string(KindName(info.param)); });

enum class Mode { Passive, Active };

void PrintTo(Mode mode, std::ostream* out)
{
    *out << (mode == Mode::Passive ? "passive" : "active");
}
using UploadCase = std::tuple<FtpServerKind, Mode, std::size_t>;

class RealServerUpload : public ::testing::TestWithParam<UploadCase> {};

TEST_P(RealServerUpload, FileArrivesByteForByte)
{
    auto [kind, mode, size] = GetParam();
    std::string error;
    RealFtpServer* server = ServerOf(kind, error);
    ASSERT_NE(server, nullptr) << error;
    std::string local = TestFile(size);
    std::string remoteName = std::string(mode == Mode::Passive ? "passive-" : "active-") + std::to_string(size) + ".bin";

    TFtpClient client;
    Events events;
    events.Wire(client);
    client.Host = "127.0.0.1";
    client.Port = server->Port();
    client.UserID = server->User();
    client.Password = server->Password();
    client.Passive = mode == Mode::Passive;
    client.Connect();
    client.ChangeDirectory(server->UploadDirectory());
    client.Upload(local, remoteName);
    client.Disconnect();

    std::string stored = server->UploadPath() + "/" + remoteName;
    EXPECT_TRUE(SameBytes(local, stored)) << stored << " differs from " << local;
    EXPECT_EQ(events.list, (std::vector<std::string>{"Connect", "Success(0)", "Success(9)"}));
    ::unlink(stored.c_str());
}

INSTANTIATE_TEST_SUITE_P(
    Servers, RealServerUpload,
    ::testing::Combine(::testing::Values(FtpServerKind::Vsftpd, FtpServerKind::Pyftpdlib),
                       ::testing::Values(Mode::Passive, Mode::Active),
                       ::testing::Values(std::size_t{0}, std::size_t{5000}, std::size_t{100} << 20)),
    [](const auto& info) {
        return std::string(KindName(std::get<0>(info.param))) +
               (std::get<1>(info.param) == Mode::Passive ? "_passive_" : "_active_") +
               std::to_string(std::get<2>(info.param)) + "_bytes";
    });

}  // namespace
