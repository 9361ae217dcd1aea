#include "support/net/TlsTestCertificates.h"

#include "base/PathName.h"
#include "support/net/RealFtpServer.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <stdexcept>

namespace {

void Run(const std::string& command)
{
    if (std::system((command + " >/dev/null 2>&1").c_str()) != 0)
        throw std::runtime_error("openssl failed: " + command);
}

std::string Output(const std::string& command)
{
    std::string text;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        std::array<char, 256> chunk{};
        while (std::fgets(chunk.data(), chunk.size(), pipe)) text += chunk.data();
        pclose(pipe);
    }
    return text;
}

TlsTestCertificates MakeTlsTestCertificates(const std::string& folder)
{
    TlsTestCertificates made{folder + "/ca.pem", folder + "/server.pem", folder + "/server.key",
                             folder + "/self.pem", folder + "/self.key", {}, folder + "/ca.key"};
    const std::string quick = " -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 2";
    Run("openssl req -x509" + quick + " -subj /CN=Tallo-Test-CA -keyout " + made.AuthorityKey + " -out " +
        made.Authority);
    Run("openssl req" + quick + " -subj /CN=localhost -keyout " + made.Key + " -out " + folder + "/server.csr");
    std::ofstream(folder + "/san.ext") << "subjectAltName=DNS:localhost,IP:127.0.0.1\n";
    Run("openssl x509 -req -in " + folder + "/server.csr -CA " + made.Authority + " -CAkey " + made.AuthorityKey +
        " -CAcreateserial -days 2 -extfile " + folder + "/san.ext -out " + made.Certificate);
    Run("openssl req -x509" + quick + " -subj /CN=localhost -keyout " + made.SelfSignedKey + " -out " +
        made.SelfSigned);
    const std::string line = Output("openssl x509 -noout -fingerprint -sha256 -in " + made.SelfSigned);
    const std::size_t equals = line.find('=');
    if (equals == std::string::npos) throw std::runtime_error("openssl printed no fingerprint");
    made.SelfSignedFingerprint = line.substr(equals + 1, line.find_last_not_of("\r\n") - equals);
    return made;
}

}  // namespace

const TlsTestCertificates& TestCertificates()
{
    static const TlsTestCertificates made = [] {
        static const std::string folder = MakeTempDirectory("tallo-tls-");
        std::atexit([] { RemoveTree(folder); });
        TlsTestCertificates certificates = MakeTlsTestCertificates(folder);
        setenv("SSL_CERT_FILE", certificates.Authority.c_str(), 1);
        return certificates;
    }();
    return made;
}

TlsTestPair IssueTestCertificate(const std::string& commonName, const std::string& altNames)
{
    static int issued = 0;
    const TlsTestCertificates& authority = TestCertificates();
    const std::string stem = FolderPart(authority.Authority) + "/issued-" + std::to_string(++issued);
    const TlsTestPair made{stem + ".pem", stem + ".key"};
    Run("openssl req -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -subj /CN=" + commonName +
        " -keyout " + made.Key + " -out " + stem + ".csr");
    std::ofstream(stem + ".ext") << (altNames.empty() ? "" : "subjectAltName=" + altNames + "\n");
    Run("openssl x509 -req -in " + stem + ".csr -CA " + authority.Authority + " -CAkey " + authority.AuthorityKey +
        " -CAcreateserial -days 2 -extfile " + stem + ".ext -out " + made.Certificate);
    return made;
}
