#pragma once
// TLS on a connected non-blocking socket, through OpenSSL. The socket layer calls Send and Receive in
// place of send() and recv(); "would block" comes back as a request to wait, so the layer's waits, message
// pumping and aborts stay as they are. The server's certificate is checked against the system's trust
// store and the host name after the handshake, so that a certificate that does not verify can be shown to
// the user (by its SHA-256 fingerprint) instead of only failing.

#include <cstddef>
#include <memory>
#include <stdexcept>
#include <string>

// What a TLS call needs before it can go on.
enum class TTlsWait { None, Readable, Writable };

struct TTlsCertificate {
    std::string Subject;
    std::string Issuer;
    std::string Fingerprint;  // SHA-256, upper-case hex pairs joined by ":"
    std::string Problem;      // why it does not verify; empty when it does
};

class ETlsError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TTlsSession {
public:
    // resumeFrom: the control connection whose session a data connection takes up again (servers such
    // as vsftpd refuse data connections that do not).
    TTlsSession(int socket, const std::string& hostName, const TTlsSession* resumeFrom = nullptr);
    ~TTlsSession();
    TTlsSession(const TTlsSession&) = delete;
    TTlsSession& operator=(const TTlsSession&) = delete;

    // Call until it returns None, waiting as it says; throws ETlsError when the handshake fails.
    TTlsWait Handshake();
    // After the handshake.
    TTlsCertificate PeerCertificate() const;
    bool Resumed() const;

    // Each returns the bytes done (0 with a wait when none could be done now); Receive returns 0 and
    // TTlsWait::None when the peer closed. Both throw ETlsError on a broken connection.
    std::size_t Send(const char* data, std::size_t length, TTlsWait& wait);
    std::size_t Receive(char* buffer, std::size_t length, TTlsWait& wait);
    // Decrypted bytes already waiting, which poll() on the socket cannot see.
    std::size_t Pending() const;
    // Sends the closing alert (best effort; the socket is non-blocking).
    void Close();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};
