// TLS through OpenSSL against a real server (openssl s_server on 127.0.0.1): the certificate is judged
// against the trust store and the host name, data goes both ways over a non-blocking socket, and a second
// connection takes the first one's session up again.

#include "net/TlsSession.h"
#include "support/net/RealFtpServer.h"
#include "support/net/TlsTestCertificates.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <csignal>
#include <fcntl.h>
#include <functional>
#include <poll.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

int ConnectLoopback(int port)
{
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        return -1;
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
    return fd;
}

// openssl s_server echoing each line reversed, one process per test.
class EchoServer {
public:
    EchoServer(const std::string& certificate, const std::string& key) : port_(FreeLoopbackPort())
    {
        pid_ = fork();
        if (pid_ == 0) {
            const std::string accept = "127.0.0.1:" + std::to_string(port_);
            freopen("/dev/null", "w", stdout);
            freopen("/dev/null", "w", stderr);
            execlp("openssl", "openssl", "s_server", "-quiet", "-rev", "-accept", accept.c_str(), "-cert",
                   certificate.c_str(), "-key", key.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        for (int i = 0; i < 500; ++i) {  // until it listens
            if (const int fd = ConnectLoopback(port_); fd >= 0) {
                close(fd);
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        throw std::runtime_error("openssl s_server did not start");
    }
    ~EchoServer()
    {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    int Port() const { return port_; }

private:
    int port_;
    pid_t pid_ = -1;
};

// Repeats a TLS call, waiting on the socket as it asks, until it needs no more waiting.
template <typename Call>
auto Drive(int fd, Call call)
{
    for (;;) {
        TTlsWait wait = TTlsWait::None;
        auto result = call(wait);
        if (wait == TTlsWait::None) return result;
        pollfd ready{fd, static_cast<short>(wait == TTlsWait::Readable ? POLLIN : POLLOUT), 0};
        if (poll(&ready, 1, 5000) != 1) throw std::runtime_error("TLS wait timed out");
    }
}

void Handshake(int fd, TTlsSession& tls)
{
    Drive(fd, [&](TTlsWait& wait) { return (wait = tls.Handshake()), 0; });
}

std::string EchoLine(int fd, TTlsSession& tls, const std::string& line)
{
    std::size_t sent = 0;
    while (sent < line.size())
        sent += Drive(fd, [&](TTlsWait& wait) { return tls.Send(line.data() + sent, line.size() - sent, wait); });
    std::string reply;
    while (reply.find('\n') == std::string::npos) {
        char buffer[256];
        const std::size_t got = Drive(fd, [&](TTlsWait& wait) { return tls.Receive(buffer, sizeof buffer, wait); });
        if (got == 0) break;
        reply.append(buffer, got);
    }
    return reply;
}

TEST(TlsSessionTest, JudgesTheCertificateByTrustStoreAndHostName)
{
    const TlsTestCertificates& certificates = TestCertificates();
    EchoServer signedServer(certificates.Certificate, certificates.Key);
    EchoServer selfSigned(certificates.SelfSigned, certificates.SelfSignedKey);
    // Names as browsers check them: no common name in place of alternative names, no partial wildcards.
    const TlsTestPair nameOnlyInSubject = IssueTestCertificate("localhost", "");
    const TlsTestPair partialWildcard = IssueTestCertificate("partial", "DNS:w*.example.com");
    const TlsTestPair labelWildcard = IssueTestCertificate("label", "DNS:*.example.com");
    EchoServer subjectOnly(nameOnlyInSubject.Certificate, nameOnlyInSubject.Key);
    EchoServer partial(partialWildcard.Certificate, partialWildcard.Key);
    EchoServer wholeLabel(labelWildcard.Certificate, labelWildcard.Key);
    struct Case {
        const EchoServer& server;
        const char* hostName;
        bool verifies;
    } const cases[] = {
        {signedServer, "localhost", true},
        {signedServer, "127.0.0.1", true},
        {signedServer, "other.example", false},
        {selfSigned, "localhost", false},
        {subjectOnly, "localhost", false},
        {partial, "www.example.com", false},
        {wholeLabel, "www.example.com", true},
        {wholeLabel, "a.www.example.com", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.hostName);
        const int fd = ConnectLoopback(c.server.Port());
        ASSERT_GE(fd, 0);
        TTlsSession tls(fd, c.hostName);
        Handshake(fd, tls);
        const TTlsCertificate certificate = tls.PeerCertificate();
        EXPECT_EQ(certificate.Problem.empty(), c.verifies) << certificate.Problem;
        if (&c.server == &selfSigned) EXPECT_EQ(certificate.Fingerprint, certificates.SelfSignedFingerprint);
        tls.Close();
        close(fd);
    }
}

TEST(TlsSessionTest, CarriesDataAndResumesTheSessionOnASecondConnection)
{
    const TlsTestCertificates& certificates = TestCertificates();
    EchoServer server(certificates.Certificate, certificates.Key);
    const int control = ConnectLoopback(server.Port());
    TTlsSession first(control, "localhost");
    Handshake(control, first);
    EXPECT_EQ(EchoLine(control, first, "hello\n"), "olleh\n");
    EXPECT_FALSE(first.Resumed());
    first.Close();
    close(control);  // the test server serves one connection at a time

    const int data = ConnectLoopback(server.Port());
    TTlsSession second(data, "localhost", &first);
    Handshake(data, second);
    EXPECT_TRUE(second.Resumed());
    EXPECT_EQ(EchoLine(data, second, "data\n"), "atad\n");
    second.Close();
    close(data);
}

TEST(TlsSessionTest, APeerGoneMidTransferIsAnErrorNotTheEndOfTheProgram)
{
    const TlsTestCertificates& certificates = TestCertificates();
    int fd = -1;
    std::unique_ptr<TTlsSession> tls;
    {
        EchoServer server(certificates.Certificate, certificates.Key);
        fd = ConnectLoopback(server.Port());
        tls = std::make_unique<TTlsSession>(fd, "localhost");
        Handshake(fd, *tls);
    }  // the server is killed: its end of the connection resets
    const std::string block(16384, 'x');
    EXPECT_THROW(
        for (int i = 0; i < 200; ++i) {
            TTlsWait wait = TTlsWait::None;
            tls->Send(block.data(), block.size(), wait);
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        },
        ETlsError);
    tls->Close();
    close(fd);
}

}  // namespace
