#include "net/TlsSession.h"

#include <arpa/inet.h>
#include <cerrno>
#include <csignal>
#include <ctime>
#include <cstring>
#include <deque>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

namespace {

// The sessions the server handed out on a control connection and its data connections, for resuming on
// the next data connection. A TLS 1.3 ticket may be taken once only (servers with a session cache remove
// it when it is used), so each resume takes a ticket nobody used yet, the newest first; a data
// connection's own tickets come back here for the ones after it.
class TSessionPool {
public:
    ~TSessionPool()
    {
        for (SSL_SESSION* session : unused_)
            SSL_SESSION_free(session);
    }
    void Add(SSL_SESSION* session)
    {
        if (unused_.size() == kKept) {
            SSL_SESSION_free(unused_.front());
            unused_.pop_front();
        }
        unused_.push_back(session);
    }
    // The caller owns the result; nullptr when every session was used.
    SSL_SESSION* Take()
    {
        if (unused_.empty())
            return nullptr;
        SSL_SESSION* session = unused_.back();
        unused_.pop_back();
        return session;
    }

private:
    static constexpr std::size_t kKept = 8;
    std::deque<SSL_SESSION*> unused_;
};

int RememberSession(SSL* ssl, SSL_SESSION* session)
{
    if (SSL_SESSION_is_resumable(session) != 1)
        return 0;
    static_cast<std::shared_ptr<TSessionPool>*>(SSL_get_app_data(ssl))->get()->Add(session);
    return 1;  // the reference is kept
}

SSL_CTX* ClientContext()
{
    static SSL_CTX* const context = [] {
        SSL_CTX* created = SSL_CTX_new(TLS_client_method());
        SSL_CTX_set_min_proto_version(created, TLS1_2_VERSION);
        SSL_CTX_set_default_verify_paths(created);
        // The result is read after the handshake, so a failure can be shown rather than only refused.
        SSL_CTX_set_verify(created, SSL_VERIFY_NONE, nullptr);
        SSL_CTX_set_mode(created, SSL_MODE_ENABLE_PARTIAL_WRITE | SSL_MODE_ACCEPT_MOVING_WRITE_BUFFER);
        // FTP servers often close data connections without the closing alert.
        SSL_CTX_set_options(created, SSL_OP_IGNORE_UNEXPECTED_EOF);
        SSL_CTX_set_session_cache_mode(created, SSL_SESS_CACHE_CLIENT | SSL_SESS_CACHE_NO_INTERNAL_STORE);
        SSL_CTX_sess_set_new_cb(created, RememberSession);
        return created;
    }();
    return context;
}

bool IsAddressLiteral(const std::string& host)
{
    unsigned char address[16];
    return inet_pton(AF_INET, host.c_str(), address) == 1 || inet_pton(AF_INET6, host.c_str(), address) == 1;
}

std::string OpenSslErrors(const char* what)
{
    std::string text = what;
    const int savedErrno = errno;
    bool any = false;
    while (const unsigned long code = ERR_get_error()) {
        char line[256];
        ERR_error_string_n(code, line, sizeof line);
        text += any ? "; " : ": ";
        text += line;
        any = true;
    }
    if (!any && savedErrno != 0) text += std::string(": ") + std::strerror(savedErrno);
    return text;
}

// The wait a failed call asks for, or an exception when it failed for good.
TTlsWait WaitOrThrow(SSL* ssl, int result, const char* what)
{
    switch (SSL_get_error(ssl, result)) {
    case SSL_ERROR_WANT_READ: return TTlsWait::Readable;
    case SSL_ERROR_WANT_WRITE: return TTlsWait::Writable;
    default: throw ETlsError(OpenSslErrors(what));
    }
}

std::string NameText(const X509_NAME* name)
{
    char text[512];
    X509_NAME_oneline(name, text, sizeof text);
    return text;
}

std::string Sha256Fingerprint(X509* certificate)
{
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    X509_digest(certificate, EVP_sha256(), digest, &length);
    static const char hex[] = "0123456789ABCDEF";
    std::string text;
    for (unsigned int i = 0; i < length; ++i) {
        if (i) text += ':';
        text += hex[digest[i] >> 4];
        text += hex[digest[i] & 15];
    }
    return text;
}

// OpenSSL writes to the socket without MSG_NOSIGNAL: writing to a connection the peer has reset would
// raise SIGPIPE and end the program. The signal is held back for the call and a pending one taken away
// (only one this call caused), so the failure comes back as an error like any other.
class TNoSigPipe {
public:
    TNoSigPipe()
    {
        sigset_t pipe;
        sigemptyset(&pipe);
        sigaddset(&pipe, SIGPIPE);
        sigset_t pending;
        sigpending(&pending);
        wasPending_ = sigismember(&pending, SIGPIPE) == 1;
        pthread_sigmask(SIG_BLOCK, &pipe, &previous_);
    }
    ~TNoSigPipe()
    {
        sigset_t pending;
        sigpending(&pending);
        if (!wasPending_ && sigismember(&pending, SIGPIPE) == 1) {
            sigset_t pipe;
            sigemptyset(&pipe);
            sigaddset(&pipe, SIGPIPE);
            const timespec now{0, 0};
            const int savedErrno = errno;
            sigtimedwait(&pipe, nullptr, &now);
            errno = savedErrno;
        }
        pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
    }
    TNoSigPipe(const TNoSigPipe&) = delete;
    TNoSigPipe& operator=(const TNoSigPipe&) = delete;

private:
    sigset_t previous_{};
    bool wasPending_ = false;
};

}  // namespace

struct TTlsSession::Impl {
    std::shared_ptr<TSessionPool> pool;
    SSL* ssl = nullptr;

    ~Impl() { SSL_free(ssl); }
};

TTlsSession::TTlsSession(int socket, const std::string& hostName, const TTlsSession* resumeFrom)
    : impl_(std::make_unique<Impl>())
{
    impl_->ssl = SSL_new(ClientContext());
    if (!impl_->ssl || SSL_set_fd(impl_->ssl, socket) != 1) throw ETlsError(OpenSslErrors("Cannot start TLS"));
    impl_->pool = resumeFrom ? resumeFrom->impl_->pool : std::make_shared<TSessionPool>();
    SSL_set_app_data(impl_->ssl, &impl_->pool);
    if (IsAddressLiteral(hostName)) {
        X509_VERIFY_PARAM_set1_ip_asc(SSL_get0_param(impl_->ssl), hostName.c_str());
    } else {
        SSL_set_tlsext_host_name(impl_->ssl, hostName.c_str());
        // As browsers check names: only the alternative names count, never the subject's common name,
        // and a wildcard stands for a whole left-most label ("*.example.com", not "w*.example.com").
        SSL_set_hostflags(impl_->ssl, X509_CHECK_FLAG_NEVER_CHECK_SUBJECT | X509_CHECK_FLAG_NO_PARTIAL_WILDCARDS);
        SSL_set1_host(impl_->ssl, hostName.c_str());
    }
    if (resumeFrom) {
        // A TLS 1.2 session, resumed by its identifier, may be taken again and again.
        SSL_SESSION* unused = impl_->pool->Take();
        SSL_set_session(impl_->ssl, unused ? unused : SSL_get_session(resumeFrom->impl_->ssl));
        SSL_SESSION_free(unused);
    }
    SSL_set_connect_state(impl_->ssl);
}

TTlsSession::~TTlsSession() = default;

TTlsWait TTlsSession::Handshake()
{
    ERR_clear_error();
    const TNoSigPipe guard;
    const int result = SSL_do_handshake(impl_->ssl);
    return result == 1 ? TTlsWait::None : WaitOrThrow(impl_->ssl, result, "TLS handshake failed");
}

TTlsCertificate TTlsSession::PeerCertificate() const
{
    TTlsCertificate result;
    X509* certificate = SSL_get1_peer_certificate(impl_->ssl);
    if (!certificate) {
        result.Problem = "the server sent no certificate";
        return result;
    }
    result.Subject = NameText(X509_get_subject_name(certificate));
    result.Issuer = NameText(X509_get_issuer_name(certificate));
    result.Fingerprint = Sha256Fingerprint(certificate);
    X509_free(certificate);
    const long verdict = SSL_get_verify_result(impl_->ssl);
    if (verdict != X509_V_OK) result.Problem = X509_verify_cert_error_string(verdict);
    return result;
}

bool TTlsSession::Resumed() const
{
    return SSL_session_reused(impl_->ssl) == 1;
}

std::size_t TTlsSession::Send(const char* data, std::size_t length, TTlsWait& wait)
{
    ERR_clear_error();
    std::size_t written = 0;
    const TNoSigPipe guard;
    const int result = SSL_write_ex(impl_->ssl, data, length, &written);
    wait = result == 1 ? TTlsWait::None : WaitOrThrow(impl_->ssl, result, "TLS send failed");
    return written;
}

std::size_t TTlsSession::Receive(char* buffer, std::size_t length, TTlsWait& wait)
{
    ERR_clear_error();
    std::size_t got = 0;
    const TNoSigPipe guard;
    const int result = SSL_read_ex(impl_->ssl, buffer, length, &got);
    wait = TTlsWait::None;
    if (result == 1) return got;
    if (SSL_get_error(impl_->ssl, result) == SSL_ERROR_ZERO_RETURN) return 0;
    wait = WaitOrThrow(impl_->ssl, result, "TLS receive failed");
    return 0;
}

std::size_t TTlsSession::Pending() const
{
    return static_cast<std::size_t>(SSL_pending(impl_->ssl));
}

void TTlsSession::Close()
{
    ERR_clear_error();
    const TNoSigPipe guard;
    SSL_shutdown(impl_->ssl);
    ERR_clear_error();
}
