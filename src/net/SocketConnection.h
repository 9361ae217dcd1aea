#pragma once
// One TCP socket with blocking-style operations for code on the user-interface thread. The socket is
// non-blocking; every wait sleeps briefly in poll() and pumps the user interface (MessagePump.h), so the
// program stays responsive while it connects, sends or reads, and ends on Cancel and on the time-out.
// What the connection is doing is one phase (TSocketPhase), changed in one place. IPv4 and IPv6; a
// connection may be wrapped in TLS (StartTls), after which every read and write goes through it.

#include "base/FileDescriptor.h"
#include "net/HostLookup.h"
#include "net/SocketErrors.h"
#include "net/ThreadTimer.h"
#include "net/TlsSession.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <netinet/in.h>
#include <sys/socket.h>
#include <string>
#include <string_view>
#include <vector>

// What a socket connection is doing: exactly one phase at a time, changed in one place.
enum class TSocketPhase : std::uint8_t {
    Idle,        // a fresh socket, ready to connect or listen
    Resolving,   // Connect is looking the host up
    Connecting,  // Connect waits for the peer's answer
    Connected,
    Failed,      // the last attempt failed; its socket is replaced before the next one
    Listening,   // waiting for one incoming connection
    Incoming,    // an incoming connection waits to be accepted
    Destroying,
};

const char* PhaseName(TSocketPhase phase);

class TSocketConnection {
public:
    using TNotifyEvent = std::function<void(TSocketConnection& sender)>;
    using THandledEvent = std::function<void(TSocketConnection& sender, bool& handled)>;
    using TStatusEvent = std::function<void(TSocketConnection& sender, const std::string& status)>;
    using TErrorEvent =
        std::function<void(TSocketConnection& sender, std::uint16_t errorCode, const std::string& errorMessage)>;
    using TPhaseEvent = std::function<void(TSocketConnection& sender, TSocketPhase from, TSocketPhase to)>;

    static constexpr std::size_t kBufferSize = 65536;

    TSocketConnection();
    virtual ~TSocketConnection();
    TSocketConnection(const TSocketConnection&) = delete;
    TSocketConnection& operator=(const TSocketConnection&) = delete;

    std::string Host;      // host name, dotted IPv4 address, or IPv6 address (in brackets or not)
    int Port = 0;          // only the low 16 bits are used
    int TimeOut = 0;       // milliseconds per wait; 0 never times out
    int ReportLevel = 0;   // status texts up to this level are reported
    TNotifyEvent OnDisconnect;
    TNotifyEvent OnConnect;
    THandledEvent OnInvalidHost;  // may correct Host and set handled for one more look-up
    TNotifyEvent OnHostResolved;
    TStatusEvent OnStatus;
    TNotifyEvent OnConnectionFailed;
    std::string Proxy;     // when set, connections go to Proxy:ProxyPort instead of Host:Port
    int ProxyPort = 0;
    TNotifyEvent OnPacketSent;  // after each successful send of a file block
    TErrorEvent OnError;        // before a socket error is raised
    THandledEvent OnConnectionRequired;
    // Asked on every pass of the accept wait; true gives the wait up as if it were cancelled.
    std::function<bool()> StopAcceptingWhen;
    // The one address (numeric, as PeerAddress gives it) an incoming connection may come from; Accept
    // closes connections from elsewhere and waits on. Empty: any address.
    std::string AcceptOnlyFrom;
    // Hears every change of phase (for progress displays and traces); it must not call back into the
    // connection.
    TPhaseEvent OnPhaseChange;

    virtual int Accept();
    virtual void Connect();
    virtual void Disconnect();
    // Sends the command and CR LF, reads one reply line and takes the reply number from its leading digits.
    virtual std::string Transaction(const std::string& command);
    virtual void Abort();

    // Ends the current wait, send or read with EAbortError; any thread may call it.
    void Cancel();
    // A cancel that outlasts the wait it ends: every later wait ends at once too, until ReleaseCancel.
    // For a caller that gives up a whole operation of several exchanges.
    void HoldCancel();
    void ReleaseCancel();
    void CheckConnection();
    void Write(std::string_view text);
    void Writeln(std::string_view text);
    // Sends all bytes; a length of 0 sends the zero-terminated data.
    void SendBuffer(const char* data, std::size_t length);
    // count 0: whatever is waiting now; else waits for exactly count bytes (empty when the peer closed).
    std::string Read(std::size_t count);
    // One line including its LF; empty when the peer closed the connection.
    std::string ReadLn();
    // Waits for bytes and takes up to most of them; 0 when the peer closed the connection.
    std::size_t ReadSome(char* into, std::size_t most);
    void SendFile(const std::string& path);
    // Binds to the given local IPv4 or IPv6 address at Port (0: any free port) and listens for one
    // connection.
    void Listen(const std::string& localAddress);
    bool DataAvailable();
    // True when bytes or the peer's close are waiting to be read; reports no status.
    bool Readable() const;
    void ClearInput();
    void ResolveHost();
    // Closes the socket and, unless being destroyed, makes a fresh one so the object can connect again.
    void RequestCloseSocket();
    std::string LookUpErrorMessage(int code);
    void TimerOn();
    void TimerOff();

    // Makes a socket returned by Accept this object's connected socket, closing the listening one.
    void AdoptSocket(int acceptedSocket);
    // Graceful close from now on: data already queued is delivered when the socket closes.
    void LingerOff();

    std::string LocalAddress() const;      // dotted IPv4 form, or the IPv6 text form
    std::string LocalAddressText() const;  // the dotted form with commas for dots, as PORT writes it
    std::string LocalPortText() const;     // ",high,low"
    int LocalPort() const;
    // The numeric address of the connected peer (IPv6 with its scope where it has one); empty when none.
    std::string PeerAddress() const;
    // AF_INET or AF_INET6: the family of the address the socket is connected to (or made for).
    int Family() const { return family_; }

    // Wraps the connected socket in TLS and runs the handshake, with the waits' time-out and cancel.
    // resumeFrom: a connection whose TLS session this one takes up again (an FTP data connection). The
    // certificate is not judged here: the caller reads Tls()->PeerCertificate().
    void StartTls(const std::string& hostName, const TSocketConnection* resumeFrom = nullptr);
    const TTlsSession* Tls() const { return tls_.get(); }

    TSocketPhase Phase() const { return phase_; }
    // Connected, or an incoming connection waits on a listening socket.
    bool Connected() const { return phase_ == TSocketPhase::Connected || phase_ == TSocketPhase::Incoming; }
    bool TimedOut() const { return timedOut_; }
    int ReplyNumber() const { return replyNumber_; }
    const std::string& LastReply() const { return lastReply_; }
    int LastError() const { return lastError_; }
    const std::string& Status() const { return status_; }
    std::int64_t BytesTotal() const { return bytesTotal_; }
    std::int64_t BytesSent() const { return bytesSent_; }

protected:
    void Report(int level, const std::string& text);
    // The socket-level connect event; the FTP client gives OnConnect the meaning "logged in" instead.
    virtual void SocketConnected();
    // Hears every change of phase, for subclasses that follow the steps of a connection.
    virtual void PhaseEntered(TSocketPhase) {}
    // Checks a failed socket call: "would block" is no error; anything else fires OnError and raises.
    void CheckError(int errnoValue);

    // The cancel request that ends the current wait; operations that start afresh clear it, unless held.
    bool CancelRequested() const { return cancel_; }
    void ClearCancel() { cancel_ = cancelHeld_.load(); }
    // One line (as ReadLn) while the caller runs the time-out timer, e.g. over a whole reply.
    std::string ReadLineInRunningTimer();
    void SetReplyNumber(int number) { replyNumber_ = number; }
    // Stored with the password masked.
    void SetLastReply(const std::string& reply) { lastReply_ = Masked(reply); }
    void SetBytesTotal(std::int64_t bytes) { bytesTotal_ = bytes; }
    // A wait of a connection this one drives (a data connection) timed out.
    void MarkTimedOut() { timedOut_ = true; }

    // Texts to mask in every reply, status and error text from now on (the passwords of a session).
    void AddSecret(const std::string& secret);
    void ForgetSecrets() { secrets_.clear(); }
    std::string Masked(std::string text) const;

private:
    enum class LookupOutcome { Resolved, Failed, TimedOut, Canceled };
    enum class Linger { ResetOnClose, Graceful };

    // The one place where the phase changes.
    void SetPhase(TSocketPhase next);
    LookupOutcome Resolve();
    // Resolve for Connect, with one OnInvalidHost retry; raises when there is no address.
    void ResolveRemote();
    // Starts the connection attempt; the phase tells how it went.
    void StartConnecting();
    // Waits for the attempt, moving on to the name's next address where one refuses or cannot be reached.
    void AwaitConnection();
    void TimerTriggered();
    static int NewSocket(Linger linger, int family);
    // Closes the socket and makes a fresh one with the system's default (graceful) close.
    void RenewSocket();
    void HandlePeerClosed();
    // One pass of a wait: sleeps in poll() on the socket for a few milliseconds (or until the time-out
    // is due), handles what the socket reports, fires the timer when due and pumps the interface.
    void WaitPass(short events, int sliceMs);
    void PumpIfDue();
    // Sends until all of it is out, the peer takes no more or a cancel; waits when the socket is
    // full. onSent, when given, hears of every piece the socket took.
    void SendAll(const char* data, std::size_t length, const std::function<void(std::size_t)>& onSent);
    // The two primitives every read and write passes through: plain recv()/send(), or TLS. They return
    // what recv() and send() do (errno EAGAIN when they would block). A TLS peek reads ahead into
    // tlsInput_, since the socket cannot peek at decrypted bytes.
    ssize_t ReceiveBytes(char* buffer, std::size_t length, int flags);
    ssize_t SendBytes(const char* data, std::size_t length);
    // Bytes that have arrived but that poll() on the socket cannot see (decrypted, or read ahead).
    bool HasBufferedInput() const;
    // poll() events for a wait: what TLS last asked for, when it asked for something else.
    short WaitEvents(short requested) const;
    // Ends TLS with its closing alert; the socket stays open.
    void DropTls();
    void AwaitPeerClose();

    TFileDescriptor socket_;
    sockaddr_storage remote_{};
    socklen_t remoteLength_ = 0;  // 0: no address yet
    // The addresses the host name has, tried in turn while they refuse or cannot be reached.
    std::vector<TSocketAddress> candidates_;
    int family_ = AF_INET;
    Linger linger_ = Linger::ResetOnClose;  // the current socket's
    std::unique_ptr<TTlsSession> tls_;
    std::string tlsInput_;
    TTlsWait tlsWait_ = TTlsWait::None;
    char buffer_[kBufferSize + 1];
    TThreadTimer timer_;

    TSocketPhase phase_ = TSocketPhase::Idle;
    std::atomic<bool> cancel_ = false;
    std::atomic<bool> cancelHeld_ = false;
    bool timedOut_ = false;

    int replyNumber_ = 0;
    std::string lastReply_;
    int lastError_ = 0;
    std::string status_;
    std::int64_t bytesTotal_ = 0;
    std::int64_t bytesSent_ = 0;
    std::vector<std::string> secrets_;
    std::chrono::steady_clock::time_point lastPump_{};
};

// Runs the time-out timer of a connection for as long as it lives: one wait, or a group of waits that
// share one time-out (the lines of one reply).
class TTimeOutScope {
public:
    explicit TTimeOutScope(TSocketConnection& connection) : connection_(connection) { connection_.TimerOn(); }
    ~TTimeOutScope() { connection_.TimerOff(); }
    TTimeOutScope(const TTimeOutScope&) = delete;
    TTimeOutScope& operator=(const TTimeOutScope&) = delete;

private:
    TSocketConnection& connection_;
};
