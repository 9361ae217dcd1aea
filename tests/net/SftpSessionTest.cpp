// SFTP uploads against a real server on 127.0.0.1: bytes arrive whole, every step's failure is named,
// the host key is checked before the password goes out, and Cancel ends a transfer.

#include "net/SftpSession.h"
#include "net/SocketErrors.h"
#include "support/net/RealFtpServer.h"
#include "support/net/SftpTestServer.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <sys/stat.h>

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

}  // namespace
