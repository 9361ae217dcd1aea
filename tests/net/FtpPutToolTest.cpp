// tallo-ftp-put against vsftpd with a self-signed certificate on loopback: --trust-new trusts a server
// seen for the first time, and never one whose certificate differs from the one trusted before.

#include "net/TrustedServers.h"
#include "support/ScopedEnvironment.h"
#include "support/net/RealFtpServer.h"
#include "support/net/TlsTestCertificates.h"

#include <array>
#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct ToolRun {
    int exitCode = -1;
    std::string output;
};

ToolRun RunTool(const std::string& arguments)
{
    ToolRun run;
    FILE* pipe = popen((std::string(TALLO_FTP_PUT) + " " + arguments + " </dev/null 2>&1").c_str(), "r");
    if (!pipe) return run;
    std::array<char, 512> chunk{};
    while (std::fgets(chunk.data(), chunk.size(), pipe)) run.output += chunk.data();
    const int status = pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

TEST(FtpPutTool, TrustNewNeverAnswersAChangedCertificate)
{
    const TlsTestCertificates& certificates = TestCertificates();  // SSL_CERT_FILE, inherited by the tool
    const auto server =
        RealFtpServer::Start(FtpServerKind::Vsftpd, {"127.0.0.1", certificates.SelfSigned, certificates.SelfSignedKey});
    const std::string folder = MakeTempDirectory("tallo-ftp-put-");
    const std::string page = folder + "/page.html", stored = server->UploadPath() + "/page.html";
    std::ofstream(page) << "<p>page</p>\n";
    const ScopedEnvironment config("XDG_CONFIG_HOME", (folder + "/config").c_str());
    const ScopedEnvironment password("TALLO_FTP_PASSWORD", server->Password().c_str());
    const TTrustedServers trusted(DefaultTrustedServersPath());
    struct Case {
        const char* name;
        const char* pinned;  // trusted for the server before the run
        bool uploads;
        std::string pinnedAfter;
    } const cases[] = {
        {"changed since trusted", "AA:BB", false, "AA:BB"},
        {"seen for the first time", nullptr, true, certificates.SelfSignedFingerprint},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RemoveTree(folder + "/config");
        std::remove(stored.c_str());
        if (c.pinned) trusted.Remember("localhost", server->Port(), c.pinned);
        const ToolRun run = RunTool("ftps://localhost " + std::to_string(server->Port()) + " " + server->User() +
                                    " " + page + " --dir upload --timeout 20 --trust-new");
        EXPECT_EQ(run.exitCode == 0, c.uploads) << run.output;
        EXPECT_EQ(access(stored.c_str(), F_OK) == 0, c.uploads);
        EXPECT_EQ(trusted.FingerprintOf("localhost", server->Port()), c.pinnedAfter);
        if (!c.uploads) {
            EXPECT_NE(run.output.find("WARNING"), std::string::npos) << run.output;
            EXPECT_NE(run.output.find("AA:BB"), std::string::npos) << run.output;
            EXPECT_NE(run.output.find(certificates.SelfSignedFingerprint), std::string::npos) << run.output;
            EXPECT_NE(run.output.find("error (TLS or host key)"), std::string::npos) << "before the log-in";
        }
    }
    RemoveTree(folder);
}

}  // namespace
