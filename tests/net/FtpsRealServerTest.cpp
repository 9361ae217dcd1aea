// FTP with explicit TLS, and FTP over IPv6, against vsftpd started on loopback: uploads byte for byte in
// both modes (the data connection resumes the control connection's TLS session, which this vsftpd
// requires), the verdict on the server's certificate, and the step a failure is reported in.

#include "net/FtpClient.h"
#include "support/net/RealFtpServer.h"
#include "support/net/TlsTestCertificates.h"

#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <sys/stat.h>

namespace {

enum class Server { Signed, SelfSigned, Plain, PlainIpv6, SignedIpv6 };

RealFtpServer& Started(Server which)
{
    static std::map<Server, std::unique_ptr<RealFtpServer>> servers;
    auto& server = servers[which];
    if (!server) {
        const TlsTestCertificates& certificates = TestCertificates();
        FtpServerOptions options;
        if (which == Server::Signed || which == Server::SignedIpv6)
            options = {"127.0.0.1", certificates.Certificate, certificates.Key};
        if (which == Server::SelfSigned)
            options = {"127.0.0.1", certificates.SelfSigned, certificates.SelfSignedKey};
        if (which == Server::PlainIpv6 || which == Server::SignedIpv6)
            options.Address = "::1";
        server = RealFtpServer::Start(FtpServerKind::Vsftpd, options);
    }
    return *server;
}

std::string Contents(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string TestFile(const std::string& folder, std::size_t size)
{
    std::string bytes;
    for (std::size_t i = 0; bytes.size() < size; ++i)
        bytes += static_cast<char>((i * 7919) >> 3);
    bytes.resize(size);
    const std::string path = folder + "/page-" + std::to_string(size) + ".html";
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

class Ftps : public ::testing::Test {
protected:
    void SetUp() override
    {
        TestCertificates();  // before the first TLS connection: it names the trust store
        folder = MakeTempDirectory("tallo-ftps-test-");
    }
    void TearDown() override { RemoveTree(folder); }

    void Aim(TFtpClient& client, RealFtpServer& server, const std::string& host = "localhost")
    {
        client.Host = host;
        client.Port = server.Port();
        client.UserID = server.User();
        client.Password = server.Password();
        client.Security = TFtpSecurity::ExplicitTls;
        client.TrustedServersPath = folder + "/config/tallo/trusted_servers";
        client.TimeOut = 20000;
    }

    std::string folder;
};

TEST_F(Ftps, UploadsArriveByteForByte)
{
    struct Case {
        Server server;
        const char* host;
        TFtpSecurity security;
        bool passive;
        std::size_t size;
    } const cases[] = {
        {Server::Signed, "localhost", TFtpSecurity::ExplicitTls, true, 0},
        {Server::Signed, "localhost", TFtpSecurity::ExplicitTls, true, 5000},
        {Server::Signed, "127.0.0.1", TFtpSecurity::ExplicitTls, false, 5000},
        {Server::Signed, "localhost", TFtpSecurity::ExplicitTls, true, 12 << 20},
        {Server::Signed, "localhost", TFtpSecurity::ExplicitTls, false, 12 << 20},
        {Server::PlainIpv6, "[::1]", TFtpSecurity::None, true, 5000},
        {Server::PlainIpv6, "::1", TFtpSecurity::None, false, 5000},
        {Server::SignedIpv6, "[::1]", TFtpSecurity::ExplicitTls, true, 5000},
        {Server::SignedIpv6, "[::1]", TFtpSecurity::ExplicitTls, false, 5000},
    };
    const bool ipv6 = HasIpv6Loopback();
    for (const Case& c : cases) {
        const bool overIpv6 = c.server == Server::PlainIpv6 || c.server == Server::SignedIpv6;
        SCOPED_TRACE(std::string(c.host) + (c.passive ? " passive " : " active ") + std::to_string(c.size));
        if (overIpv6 && !ipv6) {
            std::cout << "[ SKIPPED  ] this machine has no IPv6 loopback address (::1)\n";
            continue;
        }
        RealFtpServer& server = Started(c.server);
        const std::string local = TestFile(folder, c.size);
        TFtpClient client;
        Aim(client, server, c.host);
        client.Security = c.security;
        client.Passive = c.passive;
        // The test authority signed the certificate for localhost and 127.0.0.1 only.
        client.OnUntrustedCertificate = [&](const TUntrustedCertificate&) {
            return overIpv6 ? TTrustAnswer::TrustAndRemember : TTrustAnswer::Refuse;
        };
        client.Connect();
        client.ChangeDirectory(server.UploadDirectory());
        const std::string remote = std::string(c.passive ? "p-" : "a-") + std::to_string(c.size) + ".html";
        client.Upload(local, remote);
        EXPECT_EQ(client.Step(), TTransferStep::Send);
        client.Disconnect();
        const std::string stored = server.UploadPath() + "/" + remote;
        EXPECT_TRUE(Contents(stored) == Contents(local)) << stored;
        ::unlink(stored.c_str());
    }
}

TEST_F(Ftps, CertificateVerdicts)
{
    struct Case {
        const char* name;
        Server server;
        std::optional<TTrustAnswer> answer;  // none: no handler
        int questions;
        const char* error;              // empty: logs in
        const char* before = nullptr;   // a fingerprint trusted for the server before
    } const cases[] = {
        {"verified by the trust store", Server::Signed, std::nullopt, 0, ""},
        {"server without TLS", Server::Plain, TTrustAnswer::TrustAndRemember, 0, "does not offer TLS"},
        {"self-signed, nobody asked", Server::SelfSigned, std::nullopt, 0, "is not trusted"},
        {"self-signed, refused", Server::SelfSigned, TTrustAnswer::Refuse, 1, "is not trusted"},
        {"self-signed, trusted", Server::SelfSigned, TTrustAnswer::TrustAndRemember, 1, ""},
        // Changed since trusted: "trust" as for a new one does not answer it, only "replace" does.
        {"self-signed, another one trusted before", Server::SelfSigned, TTrustAnswer::TrustAndRemember, 1,
         "WARNING: the certificate of localhost (port ", "AA:BB"},
        {"self-signed, another one trusted before, replaced", Server::SelfSigned, TTrustAnswer::ReplaceRemembered, 1,
         "", "AA:BB"},
        {"self-signed, remembered", Server::SelfSigned, TTrustAnswer::Refuse, 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RealFtpServer& server = Started(c.server);
        TFtpClient client;
        Aim(client, server);
        if (c.before)
            TTrustedServers(client.TrustedServersPath).Remember("localhost", server.Port(), c.before);
        int questions = 0;
        std::string fingerprint;
        if (c.answer)
            client.OnUntrustedCertificate = [&](const TUntrustedCertificate& question) {
                ++questions;
                fingerprint = question.Certificate.Fingerprint;
                EXPECT_EQ(question.PinnedFingerprint, c.before ? c.before : "");
                return *c.answer;
            };
        std::string error;
        try {
            client.Connect();
            client.Disconnect();
        } catch (const std::exception& e) {
            error = e.what();
        }
        EXPECT_EQ(questions, c.questions);
        if (*c.error) {
            EXPECT_NE(error.find(c.error), std::string::npos) << error;
            // Refused before anything of the log-in went out.
            EXPECT_EQ(client.Step(), TTransferStep::Secure);
        } else {
            EXPECT_EQ(error, "");
        }
        if (questions == 1 && *c.error) {
            EXPECT_NE(error.find(fingerprint), std::string::npos) << "the refusal names the fingerprint";
            if (c.before) EXPECT_NE(error.find(c.before), std::string::npos) << "and the one trusted before";
        }
    }
    struct stat file {}, config {};
    ASSERT_EQ(::stat((folder + "/config/tallo/trusted_servers").c_str(), &file), 0);
    ASSERT_EQ(::stat((folder + "/config/tallo").c_str(), &config), 0);
    EXPECT_EQ(file.st_mode & 0777, 0600u);
    EXPECT_EQ(config.st_mode & 0777, 0700u);
    EXPECT_EQ(Contents(folder + "/config/tallo/trusted_servers"),
              "localhost " + std::to_string(Started(Server::SelfSigned).Port()) + " " +
                  TestCertificates().SelfSignedFingerprint + "\n");
}

TEST_F(Ftps, FailuresNameTheirStep)
{
    struct Case {
        const char* name;
        std::function<void(TFtpClient&)> change;
        TTransferStep step;
    } const cases[] = {
        {"unknown host", [](TFtpClient& c) { c.Host = "no-such-host.invalid"; }, TTransferStep::LookUp},
        {"nobody listening", [](TFtpClient& c) { c.Port = FreeLoopbackPort(); }, TTransferStep::Connect},
        {"wrong user", [](TFtpClient& c) { c.UserID = "somebody"; }, TTransferStep::LogIn},
        {"missing folder", [](TFtpClient& c) { c.OnConnect = [&c](TSocketConnection&) { c.ChangeDirectory("nowhere"); }; },
         TTransferStep::Directory},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TFtpClient client;
        Aim(client, Started(Server::Signed));
        c.change(client);
        EXPECT_ANY_THROW(client.Connect());
        EXPECT_EQ(client.Step(), c.step);
    }
}

}  // namespace
