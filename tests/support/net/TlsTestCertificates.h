#pragma once
// Certificates made at test time with the openssl tool: a certificate authority, a server certificate
// it signs for "localhost" and 127.0.0.1, and a self-signed one. Tests point OpenSSL's trust store at the
// authority with SSL_CERT_FILE, which is read when the first TLS context is made.

#include <string>

struct TlsTestCertificates {
    std::string Authority;       // CA certificate (PEM)
    std::string Certificate;     // signed by Authority, for localhost and 127.0.0.1
    std::string Key;
    std::string SelfSigned;      // for localhost, signed by its own key
    std::string SelfSignedKey;
    std::string SelfSignedFingerprint;  // as "openssl x509 -fingerprint -sha256" prints it
    std::string AuthorityKey;
};

struct TlsTestPair {
    std::string Certificate;
    std::string Key;
};

// The process's certificates, made on first use (OpenSSL reads its trust store once, so one authority
// serves every test); SSL_CERT_FILE names the authority from then on. Throws std::runtime_error when the
// openssl tool fails.
const TlsTestCertificates& TestCertificates();
// A certificate the test authority signs for the subject "/CN=commonName", with altNames as its
// subjectAltName ("DNS:*.example.com,IP:127.0.0.1"), or none when altNames is empty.
TlsTestPair IssueTestCertificate(const std::string& commonName, const std::string& altNames);
