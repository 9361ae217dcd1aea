// SFTP uploads against a real server on 127.0.0.1: bytes arrive whole, every step's failure is named,
// the host key is checked before the password goes out, and Cancel ends a transfer.

#include "base/FileDescriptor.h"
#include "net/MessagePump.h"
#include "net/SftpSession.h"
#include "net/SocketErrors.h"
#include "support/ScopedEnvironment.h"
#include "support/net/RealFtpServer.h"
#include "support/net/SftpTestServer.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <cstdlib>
#include <fstream>
#include <netinet/in.h>
#include <poll.h>
#include <sstream>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteTestFile(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

class SftpSessionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        server_ = SftpTestServer::Start();
        work_ = MakeTempDirectory("tallo-sftp-client-");
        knownHosts_ = work_ + "/config/tallo/known_hosts";
        page_ = work_ + "/index.html";
        WriteTestFile(page_, "<html>\r\n\xC3\xA9\0tail</html>\r\n");
    }
    void TearDown() override { RemoveTree(work_); }

    TSftpTarget Target() const { return {"127.0.0.1", server_->Port(), server_->User(), server_->Password(), ""}; }

    // Uploads, trusting a new key; returns how often the key was put to the user.
    int Upload(const TSftpTarget& target, TTrustAnswer answer = TTrustAnswer::TrustAndRemember)
    {
        int questions = 0;
        TSftpSession session(knownHosts_);
        session.OnNewHostKey = [&](const THostKeyQuestion& question) {
            ++questions;
            EXPECT_EQ(question.KeyType, "ssh-ed25519");
            EXPECT_EQ(question.Fingerprint.rfind("SHA256:", 0), 0u);
            return answer;
        };
        session.Upload(target, page_);
        return questions;
    }

    std::unique_ptr<SftpTestServer> server_;
    std::string work_, knownHosts_, page_;
};

TEST_F(SftpSessionTest, UploadsByteForByteAndRemembersTheKeyPrivately)
{
    EXPECT_EQ(Upload(Target()), 1);
    EXPECT_EQ(ReadFile(server_->Root() + "/index.html"), ReadFile(page_));
    struct stat info {};
    ASSERT_EQ(stat(knownHosts_.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);

    TSftpTarget intoFolder = Target();
    intoFolder.Directory = "upload/";
    EXPECT_EQ(Upload(intoFolder), 0) << "a remembered key is not asked about again";
    EXPECT_EQ(ReadFile(server_->Root() + "/upload/index.html"), ReadFile(page_));
}

TEST_F(SftpSessionTest, EachFailureNamesItsStep)
{
    struct Case {
        const char* name;
        std::function<void(TSftpTarget&, std::string& knownHosts)> arrange;
        TTrustAnswer answer;
        TTransferStep step;
        bool passwordSent;
    };
    const Case cases[] = {
        {"unknown host", [](TSftpTarget& t, std::string&) { t.Host = "no-such-host.invalid"; },
         TTrustAnswer::TrustAndRemember, TTransferStep::LookUp, false},
        {"nothing listening", [](TSftpTarget& t, std::string&) { t.Port = FreeLoopbackPort(); },
         TTrustAnswer::TrustAndRemember, TTransferStep::Connect, false},
        {"key refused by the user", [](TSftpTarget&, std::string&) {}, TTrustAnswer::Refuse,
         TTransferStep::Secure, false},
        {"key changed", [this](TSftpTarget&, std::string& known) {
             mkdir((work_ + "/config").c_str(), 0700);
             mkdir((work_ + "/config/tallo").c_str(), 0700);
             WriteTestFile(known, server_->ForeignKnownHostsLine());
         }, TTrustAnswer::TrustAndRemember, TTransferStep::Secure, false},
        {"wrong password", [](TSftpTarget& t, std::string&) { t.Password += "x"; },
         TTrustAnswer::TrustAndRemember, TTransferStep::LogIn, true},
        {"missing folder", [](TSftpTarget& t, std::string&) { t.Directory = "nowhere"; },
         TTrustAnswer::TrustAndRemember, TTransferStep::Directory, true},
        {"folder is a file", [this](TSftpTarget& t, std::string&) {
             WriteTestFile(server_->Root() + "/plain", "x");
             t.Directory = "plain";
         }, TTrustAnswer::TrustAndRemember, TTransferStep::Directory, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RemoveTree(work_ + "/config");
        const int attemptsBefore = server_->LogInAttempts();
        TSftpTarget target = Target();
        c.arrange(target, knownHosts_);
        try {
            Upload(target, c.answer);
            ADD_FAILURE() << "upload succeeded";
        } catch (const ESftpError& error) {
            EXPECT_EQ(error.Step(), c.step) << error.what();
            EXPECT_EQ(std::string(error.what()).find(server_->Password()), std::string::npos);
        }
        EXPECT_EQ(server_->LogInAttempts() > attemptsBefore, c.passwordSent);
    }
}

TEST_F(SftpSessionTest, KeysTheUsersOpenSshKnowsAreTrustedAndNeverWritten)
{
    const std::string home = work_ + "/home", openSsh = home + "/.ssh/known_hosts";
    const std::string ownLine = server_->OwnKnownHostsLine(), foreignLine = server_->ForeignKnownHostsLine();
    struct Case {
        const char* name;
        std::string line;  // what ~/.ssh/known_hosts holds
        bool hashed;       // the names hashed, as OpenSSH's HashKnownHosts writes them
        int questions;
        bool refused;      // as a changed key
    } const cases[] = {
        {"plain entry", ownLine, false, 0, false},
        {"hashed entry", ownLine, true, 0, false},
        {"another key listed", foreignLine, false, 0, true},
        {"another key listed, hashed", foreignLine, true, 0, true},
        {"only other servers listed", "other.example " + ownLine.substr(ownLine.find(' ') + 1), false, 1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RemoveTree(work_ + "/config");
        RemoveTree(home);
        mkdir(home.c_str(), 0700);
        mkdir((home + "/.ssh").c_str(), 0700);
        WriteTestFile(openSsh, c.line);
        if (c.hashed)
            ASSERT_EQ(std::system(("ssh-keygen -q -H -f '" + openSsh + "' >/dev/null 2>&1").c_str()), 0);
        const std::string listed = ReadFile(openSsh);
        ASSERT_EQ(listed.rfind(c.hashed ? "|1|" : c.line.substr(0, 3), 0), 0u) << listed;
        const ScopedEnvironment useHome("HOME", home.c_str());
        const int attemptsBefore = server_->LogInAttempts();
        try {
            EXPECT_EQ(Upload(Target()), c.questions);
            EXPECT_FALSE(c.refused) << "uploaded";
        } catch (const ESftpError& error) {
            EXPECT_TRUE(c.refused) << error.what();
            EXPECT_EQ(error.Step(), TTransferStep::Secure);
            EXPECT_NE(std::string(error.what()).find(openSsh), std::string::npos) << error.what();
            EXPECT_EQ(server_->LogInAttempts(), attemptsBefore) << "no password went to a changed key";
        }
        EXPECT_EQ(ReadFile(openSsh), listed) << "the user's OpenSSH file is never written";
        EXPECT_EQ(access(knownHosts_.c_str(), F_OK) == 0, c.questions == 1) << "only new trust is written, ours";
    }
}

TEST_F(SftpSessionTest, CancelEndsATransferAndTheNextOneWorks)
{
    WriteTestFile(page_, std::string(64 << 20, 'x'));
    TSftpSession session(knownHosts_);
    session.OnNewHostKey = [](const THostKeyQuestion&) { return TTrustAnswer::TrustAndRemember; };
    session.OnProgress = [&](std::uint64_t sent, std::uint64_t) {
        if (sent > (1 << 20)) session.Abort();
    };
    EXPECT_THROW(session.Upload(Target(), page_), EAbortError);

    WriteTestFile(page_, "small");
    session.OnProgress = nullptr;
    session.Upload(Target(), page_);
    EXPECT_EQ(ReadFile(server_->Root() + "/index.html"), "small");
}

// The lowest descriptor of this process connected to 127.0.0.1:port; -1 when there is none.
int DescriptorConnectedTo(int port)
{
    for (int fd = 0; fd < 1024; ++fd) {
        sockaddr_in peer{};
        socklen_t length = sizeof peer;
        if (::getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &length) == 0 && peer.sin_family == AF_INET &&
            ntohs(peer.sin_port) == port)
            return fd;
    }
    return -1;
}

TEST(SftpAbort, NeverTouchesADescriptorNumberTheWorkerNoLongerOwns)
{
    // A server that never says a word keeps the worker inside libssh's connect.
    TFileDescriptor silent(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ASSERT_EQ(::bind(silent.Get(), reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(silent.Get(), 1), 0);
    ::getsockname(silent.Get(), reinterpret_cast<sockaddr*>(&address), &length);
    const int port = ntohs(address.sin_port);

    // Once the worker is connected, its descriptor number is made to name another socket, as when libssh
    // closes it and the process opens something else under that number. That socket stays open here as
    // well, so only a shutdown (not libssh closing the number) reaches its other end.
    const std::string work = MakeTempDirectory("tallo-sftp-abort-");
    TSftpSession session(work + "/known_hosts");
    int other[2] = {-1, -1};
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, other), 0);
    TFileDescriptor otherSocket(other[0]), otherEnd(other[1]);
    bool replaced = false;
    SetMessagePump([&] {
        pollfd pending{silent.Get(), POLLIN, 0};
        if (replaced || ::poll(&pending, 1, 0) != 1)
            return;
        const int worker = DescriptorConnectedTo(port);
        ASSERT_GE(worker, 0);
        ::dup2(otherSocket.Get(), worker);
        replaced = true;
        session.Abort();
    });
    EXPECT_THROW(session.Upload({"127.0.0.1", port, "ann", "secret", ""}, "/dev/null"), EAbortError);
    SetMessagePump({});
    ASSERT_TRUE(replaced);
    pollfd touched{otherEnd.Get(), POLLIN, 0};
    EXPECT_EQ(::poll(&touched, 1, 200), 0) << "the abort shut down a socket that was not the worker's";
    RemoveTree(work);
    // Closing the other socket (before the session, which waits for its worker) lets the worker, still
    // waiting in libssh on that number, come to its end.
}

// libssh is torn down when the process ends: a worker still letting go of its connection then crashes
// it. So the connection is gone by the time Close, or the session's end, returns.
TEST_F(SftpSessionTest, TheWorkerHasLetGoOfTheConnectionWhenTheSessionCloses)
{
    enum class TEnd { Close, Destroy };
    for (const TEnd end : {TEnd::Close, TEnd::Destroy}) {
        SCOPED_TRACE(end == TEnd::Close ? "Close" : "destroyed");
        auto session = std::make_unique<TSftpSession>(knownHosts_);
        session->OnNewHostKey = [](const THostKeyQuestion&) { return TTrustAnswer::TrustAndRemember; };
        session->Open(Target());
        session->Run(TTransferStep::Directory, [](TSftpConnection&) {});
        const int worker = DescriptorConnectedTo(server_->Port());
        ASSERT_GE(worker, 0);
        if (end == TEnd::Close) session->Close();
        else session.reset();
        sockaddr_in peer{};
        socklen_t length = sizeof peer;
        EXPECT_NE(::getpeername(worker, reinterpret_cast<sockaddr*>(&peer), &length), 0);
    }
}

}  // namespace
