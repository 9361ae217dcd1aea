#include "net/SocketConnection.h"

#include "net/HostLookup.h"
#include "net/MessagePump.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cctype>
#include <cerrno>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
// How long one wait pass may sleep, and how often the interface is pumped during a busy transfer.
constexpr int kWaitSliceMs = 5;
constexpr int kLookupSliceMs = 2;
constexpr auto kPumpInterval = std::chrono::milliseconds(5);

// What the peer or the way to it answers to a connection attempt (and a momentary lack of local ports):
// the same failure whether connect() reports it at once or later.
bool IsAnswerToTheAttempt(int errnoValue)
{
    return errnoValue == ECONNREFUSED || errnoValue == ETIMEDOUT || errnoValue == EHOSTUNREACH ||
           errnoValue == ECONNRESET || errnoValue == EAGAIN;
}

// Marks a Connect as under way for as long as it runs, on every way out.
class ConnectInProgress {
public:
    explicit ConnectInProgress(bool& flag) : flag_(flag) { flag_ = true; }
    ~ConnectInProgress() { flag_ = false; }
    ConnectInProgress(const ConnectInProgress&) = delete;
    ConnectInProgress& operator=(const ConnectInProgress&) = delete;

private:
    bool& flag_;
};
}  // namespace

TSocketConnection::TSocketConnection()
{
    timer_.SetEnabled(false);
    timer_.SetOnTimer([this](TThreadTimer&) { TimerTriggered(); });
    Report(8, "Create");
    socket_ = NewSocket(Linger::ResetOnClose);
    if (socket_ < 0)
        throw ESockError("Initializaton of windows sockets failed");
}

TSocketConnection::~TSocketConnection()
{
    // Destruction starts by marking the object, so no event reaches handlers that may be gone already.
    destroying_ = true;
    Report(8, "Destroy");
    TSocketConnection::Abort();
    Cancel();
    timer_.SetEnabled(false);
    CloseSocketHandle();
}

int TSocketConnection::NewSocket(Linger linger)
{
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_TCP);
    if (fd < 0)
        return fd;
    // Commands go out whole in one send, and file blocks should not wait for acknowledgements.
    int on = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    if (linger == Linger::ResetOnClose) {
        ::linger option{1, 0};
        ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &option, sizeof option);
    }
    return fd;
}

void TSocketConnection::CloseSocketHandle()
{
    if (socket_ >= 0)
        ::close(socket_);
    socket_ = -1;
}

void TSocketConnection::Report(int level, const std::string& text)
{
    if (ReportLevel < level)
        return;
    status_ = Masked(text);
    if (destroying_ || !OnStatus)
        return;
    try {
        OnStatus(*this, status_);
    } catch (...) {
        // A status handler must not break the operation that reports.
    }
}

std::string TSocketConnection::Masked(std::string text) const
{
    // Only whole occurrences after the reply code: a short password must not garble the code or the
    // words around it.
    constexpr std::size_t kReplyCodeLength = 4;
    if (secret_.empty())
        return text;
    auto isWordCharacter = [](char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; };
    for (std::size_t at = text.find(secret_, kReplyCodeLength); at != std::string::npos;) {
        std::size_t end = at + secret_.size();
        bool whole = !isWordCharacter(text[at - 1]) && (end == text.size() || !isWordCharacter(text[end]));
        if (whole) {
            text.replace(at, secret_.size(), "****");
            end = at + 4;
        }
        at = text.find(secret_, whole ? end : at + 1);
    }
    return text;
}

void TSocketConnection::SocketConnected()
{
    if (OnConnect)
        OnConnect(*this);
}

void TSocketConnection::CheckError(int errnoValue)
{
    int code = SocketErrorCodeFromErrno(errnoValue);
    lastError_ = code;
    if (code == kWouldBlockCode || code <= 10000)
        return;
    std::string text = LookUpErrorMessage(code);
    if (OnError)
        OnError(*this, static_cast<std::uint16_t>(code), text);
    throw ESockError(text);
}

std::string TSocketConnection::LookUpErrorMessage(int code)
{
    Report(8, "Looking Up Error Message");
    return SocketErrorMessage(code);
}

void TSocketConnection::PumpIfDue()
{
    auto now = std::chrono::steady_clock::now();
    if (now - lastPump_ < kPumpInterval)
        return;
    lastPump_ = now;
    PumpMessages();
}

void TSocketConnection::WaitPass(short events, int sliceMs)
{
    int timeout = sliceMs;
    int due = timer_.MillisecondsUntilDue();
    if (due >= 0)
        timeout = std::min(timeout, due);
    pollfd entry{socket_, events, 0};
    int ready = ::poll(&entry, events != 0 && socket_ >= 0 ? 1 : 0, timeout);
    if (ready > 0) {
        if (connecting_ && (entry.revents & (POLLOUT | POLLERR | POLLHUP))) {
            int error = 0;
            socklen_t length = sizeof error;
            ::getsockopt(socket_, SOL_SOCKET, SO_ERROR, &error, &length);
            connecting_ = false;
            ok_ = error == 0;
            if (ok_) {
                connected_ = true;
                SocketConnected();
            } else {
                lastError_ = SocketErrorCodeFromErrno(error);
            }
        } else if (listening_ && (entry.revents & (POLLIN | POLLERR | POLLHUP))) {
            ok_ = !(entry.revents & POLLERR);
            eventArrived_ = true;
            connected_ = true;
        }
    }
    timer_.FireIfDue();
    PumpIfDue();
}

void TSocketConnection::TimerOn()
{
    Report(8, "Timer On");
    timedOut_ = false;
    timer_.SetInterval(static_cast<unsigned>(std::max(TimeOut, 0)));
    timer_.SetEnabled(true);
}

void TSocketConnection::TimerOff()
{
    Report(8, "Timer Off");
    timer_.SetEnabled(false);
}

void TSocketConnection::TimerTriggered()
{
    Report(8, "Timer Triggered");
    timer_.SetEnabled(false);
    timedOut_ = true;
    eventArrived_ = true;
    Abort();
}

void TSocketConnection::Abort()
{
    Report(8, "Abort");
    Cancel();
}

void TSocketConnection::Cancel()
{
    Report(8, "Canceling");
    cancel_ = true;
}

TSocketConnection::LookupOutcome TSocketConnection::Resolve()
{
    const std::string& name = Proxy.empty() ? Host : Proxy;
    in_addr dotted{};
    if (::inet_pton(AF_INET, name.c_str(), &dotted) == 1) {
        remote_.sin_addr = dotted;
        return LookupOutcome::Resolved;
    }
    remote_.sin_addr.s_addr = 0;
    TimerOn();
    eventArrived_ = false;
    HostLookup lookup(name);
    while (!lookup.Done() && !timedOut_ && !cancel_)
        WaitPass(0, kLookupSliceMs);
    TimerOff();
    if (timedOut_)
        return LookupOutcome::TimedOut;
    if (cancel_) {
        cancel_ = false;
        return LookupOutcome::Canceled;
    }
    eventArrived_ = true;
    if (lookup.ErrorCode() != 0) {
        lastError_ = lookup.ErrorCode();
        return LookupOutcome::Failed;
    }
    remote_.sin_addr.s_addr = lookup.Address();
    if (OnHostResolved)
        OnHostResolved(*this);
    return LookupOutcome::Resolved;
}

void TSocketConnection::ResolveHost()
{
    Report(8, "Resolve Host");
    switch (Resolve()) {
    case LookupOutcome::Resolved:
        return;
    case LookupOutcome::TimedOut:
        throw ESockError("Host Lookup Timed Out");
    case LookupOutcome::Canceled:
        throw ESockError("Host Lookup Canceled");
    case LookupOutcome::Failed:
        throw ESockError("Host Lookup Failed");
    }
}

void TSocketConnection::Connect()
{
    Report(8, "Connecting");
    // A second Connect started from an event handler while this one waits would replace the socket under
    // the waiting attempt, which then never ends.
    if (connectInProgress_)
        CheckError(EALREADY);
    cancel_ = false;
    if (connected_)
        throw ESockError("Already connected");
    ConnectInProgress inProgress(connectInProgress_);
    if (socketUsed_) {
        CloseSocketHandle();
        socket_ = NewSocket(Linger::Graceful);
        if (socket_ < 0)
            CheckError(errno);
        socketUsed_ = false;
    }

    bool invalidHostAsked = false;
    for (;;) {
        Report(8, "Resolve Host");
        LookupOutcome outcome = Resolve();
        if (outcome == LookupOutcome::TimedOut)
            throw ESockError("Host Lookup Timed Out");
        if (outcome == LookupOutcome::Canceled)
            throw ESockError("Host Lookup Canceled");
        if (remote_.sin_addr.s_addr != 0)
            break;
        bool handled = false;
        if (!invalidHostAsked && OnInvalidHost) {
            invalidHostAsked = true;
            OnInvalidHost(*this, handled);
        }
        if (!handled)
            throw ESockError("Null Remote Address");
    }

    remote_.sin_family = AF_INET;
    remote_.sin_port = htons(static_cast<std::uint16_t>((Proxy.empty() ? Port : ProxyPort) & 0xFFFF));
    eventArrived_ = false;
    ok_ = true;
    socketUsed_ = true;
    if (::connect(socket_, reinterpret_cast<const sockaddr*>(&remote_), sizeof remote_) == 0) {
        connected_ = true;
        SocketConnected();
    } else if (errno == EINPROGRESS || errno == EINTR) {
        connecting_ = true;
    } else if (IsAnswerToTheAttempt(errno)) {
        // Reported like the same answer arriving later: through the ok flag.
        lastError_ = SocketErrorCodeFromErrno(errno);
        ok_ = false;
    } else {
        CheckError(errno);
    }

    TimerOn();
    while (!connected_ && !timedOut_ && !cancel_ && ok_)
        WaitPass(POLLOUT, kWaitSliceMs);
    TimerOff();
    connecting_ = false;
    // The attempt is over: a failure handler may start the next one.
    connectInProgress_ = false;
    if (!timedOut_ && !cancel_ && ok_) {
        socketUsed_ = false;
        return;
    }
    connected_ = false;
    if (OnConnectionFailed)
        OnConnectionFailed(*this);
    bool canceled = cancel_;
    cancel_ = false;
    if (timedOut_)
        throw ESockError("Connection Timed out");
    if (canceled)
        throw ESockError("Connection Canceled");
    throw ESockError("Connection Failed");
}

void TSocketConnection::CheckConnection()
{
    Report(8, "Checking Connection");
    bool asked = false;
    while (!connected_) {
        bool handled = false;
        if (!asked && OnConnectionRequired) {
            asked = true;
            OnConnectionRequired(*this, handled);
        }
        if (!handled)
            throw ESockError("Not Connected");
    }
}

void TSocketConnection::Disconnect()
{
    Report(8, "Disconnecting");
    RequestCloseSocket();
}

void TSocketConnection::RequestCloseSocket()
{
    Report(4, "Request Close Socket");
    connected_ = false;
    connecting_ = false;
    listening_ = false;
    if (socket_ < 0)
        return;
    int fd = socket_;
    socket_ = -1;
    if (::close(fd) != 0 && errno != EINTR)
        CheckError(errno);
    if (destroying_)
        return;
    if (OnDisconnect)
        OnDisconnect(*this);
    socket_ = NewSocket(Linger::Graceful);
    socketUsed_ = false;
    if (socket_ < 0)
        CheckError(errno);
}

void TSocketConnection::HandlePeerClosed()
{
    if (connected_)
        RequestCloseSocket();
}

void TSocketConnection::Listen(const std::string& localAddress)
{
    Report(8, "Listening");
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(static_cast<std::uint16_t>(Port & 0xFFFF));
    if (::inet_pton(AF_INET, localAddress.c_str(), &local.sin_addr) != 1)
        throw ESockError("Invalid local address: " + localAddress);
    socketUsed_ = true;
    if (::bind(socket_, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0)
        CheckError(errno);
    if (::listen(socket_, 1) != 0)
        CheckError(errno);
    listening_ = true;
    eventArrived_ = false;
    ok_ = true;
}

int TSocketConnection::Accept()
{
    Report(4, "Accepting");
    while (!eventArrived_ && !cancel_) {
        WaitPass(POLLIN, kWaitSliceMs);
        if (!eventArrived_ && StopAcceptingWhen && StopAcceptingWhen())
            cancel_ = true;
    }
    if (cancel_) {
        cancel_ = false;
        throw ESockError("Accepting Canceled");
    }
    if (!ok_)
        throw ESockError("Error creating Data Connection");
    sockaddr_in peer{};
    socklen_t length = sizeof peer;
    int accepted = ::accept4(socket_, reinterpret_cast<sockaddr*>(&peer), &length, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (accepted < 0) {
        CheckError(errno);
        throw ESockError("Error creating Data Connection");
    }
    remote_ = peer;
    if (cancel_) {
        cancel_ = false;
        ::close(accepted);
        throw EAbortError("Socket send aborted");
    }
    return accepted;
}

void TSocketConnection::AdoptSocket(int acceptedSocket)
{
    CloseSocketHandle();
    socket_ = acceptedSocket;
    listening_ = false;
    connected_ = true;
}

void TSocketConnection::LingerOff()
{
    ::linger option{0, 0};
    ::setsockopt(socket_, SOL_SOCKET, SO_LINGER, &option, sizeof option);
}

std::string TSocketConnection::LocalAddress() const
{
    sockaddr_in local{};
    socklen_t length = sizeof local;
    ::getsockname(socket_, reinterpret_cast<sockaddr*>(&local), &length);
    char text[INET_ADDRSTRLEN] = {};
    ::inet_ntop(AF_INET, &local.sin_addr, text, sizeof text);
    return text;
}

std::string TSocketConnection::LocalAddressText() const
{
    std::string text = LocalAddress();
    std::replace(text.begin(), text.end(), '.', ',');
    return text;
}

std::string TSocketConnection::LocalPortText() const
{
    sockaddr_in local{};
    socklen_t length = sizeof local;
    ::getsockname(socket_, reinterpret_cast<sockaddr*>(&local), &length);
    unsigned port = ntohs(local.sin_port);
    return "," + std::to_string(port >> 8) + "," + std::to_string(port & 0xFF);
}
