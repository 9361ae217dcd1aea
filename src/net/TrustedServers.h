#pragma once
// The servers whose certificates the user chose to trust although they do not verify (self-signed, or for
// another name): one line per server, "host port fingerprint", the SHA-256 fingerprint as TTlsCertificate
// gives it. The file is private to the user (mode 0600 in a 0700 folder) and is replaced whole through a
// temporary file, so a crash never leaves half of it. Lines this class does not understand are kept.

#include "net/TlsSession.h"

#include <string>

// A certificate that does not verify, as put to the user: the server, what it showed, and the fingerprint
// trusted for that server before. With one trusted before, it is a changed certificate: refused like a
// changed SSH host key unless the user explicitly replaces the old one.
struct TUntrustedCertificate {
    std::string Host;
    int Port = 21;
    TTlsCertificate Certificate;
    std::string PinnedFingerprint;  // empty: not seen before

    bool Changed() const { return !PinnedFingerprint.empty(); }
};

// What a refused certificate's error says; for a changed one the warning names both fingerprints and the
// file that holds the old one.
std::string CertificateRefusal(const TUntrustedCertificate& question, const std::string& trustedServersPath);

class TTrustedServers {
public:
    explicit TTrustedServers(std::string path) : path_(std::move(path)) {}

    const std::string& Path() const { return path_; }
    // True when the file names exactly this certificate for this server. A missing file trusts nothing.
    bool Trusts(const std::string& host, int port, const std::string& fingerprint) const;
    // The fingerprint recorded for the server; empty when there is none.
    std::string FingerprintOf(const std::string& host, int port) const;
    // Records the certificate for the server, in place of one recorded before (a renewed certificate).
    // Throws std::runtime_error naming the file when it cannot be written; the old file is then kept.
    void Remember(const std::string& host, int port, const std::string& fingerprint) const;

private:
    std::string path_;
};

// $XDG_CONFIG_HOME/tallo/trusted_servers, or ~/.config/tallo/trusted_servers; empty without a home folder.
std::string DefaultTrustedServersPath();
