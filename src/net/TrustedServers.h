#pragma once
// The servers whose certificates the user chose to trust although they do not verify (self-signed, or for
// another name): one line per server, "host port fingerprint", the SHA-256 fingerprint as TTlsCertificate
// gives it. The file is private to the user (mode 0600 in a 0700 folder) and is replaced whole through a
// temporary file, so a crash never leaves half of it. Lines this class does not understand are kept.

#include <string>

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

// $XDG_CONFIG_HOME/tallo/trusted_servers, or ~/.config/tallo/trusted_servers.
std::string DefaultTrustedServersPath();
