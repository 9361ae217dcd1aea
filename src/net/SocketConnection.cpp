#include "net/SocketConnection.h"

#include "net/HostLookup.h"
#include "net/MessagePump.h"
#include "net/ServerAddress.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cctype>
#include <cerrno>
#include <netdb.h>
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

std::string NumericAddress(const sockaddr_storage& address, socklen_t length)
{
    char text[NI_MAXHOST] = {};
    if (::getnameinfo(reinterpret_cast<const sockaddr*>(&address), length, text, sizeof text, nullptr, 0,
                      NI_NUMERICHOST) != 0)
        return {};
    return text;
}

// A connection that went away between its arrival and accept(): the wait goes on.
bool IsVanishedConnection(int errnoValue)
{
    return errnoValue == ECONNABORTED || errnoValue == EAGAIN || errnoValue == EWOULDBLOCK;
}

bool StartsWithReplyCode(const std::string& text)
{
    return text.size() >= 3 && std::isdigit(static_cast<unsigned char>(text[0])) &&
           std::isdigit(static_cast<unsigned char>(text[1])) && std::isdigit(static_cast<unsigned char>(text[2]));
}
}  // namespace

const char* PhaseName(TSocketPhase phase)
{
    switch (phase) {
    case TSocketPhase::Idle: return "Idle";
    case TSocketPhase::Resolving: return "Resolving";
    case TSocketPhase::Connecting: return "Connecting";
    case TSocketPhase::Connected: return "Connected";
    case TSocketPhase::Failed: return "Failed";
    case TSocketPhase::Listening: return "Listening";
    case TSocketPhase::Incoming: return "Incoming";
    case TSocketPhase::Destroying: return "Destroying";
    }
    return "?";
}

TSocketConnection::TSocketConnection()
{
    timer_.SetEnabled(false);
    timer_.SetOnTimer([this](TThreadTimer&) { TimerTriggered(); });
    Report(8, "Create");
    socket_.Reset(NewSocket(Linger::ResetOnClose, family_));
    if (!socket_.Valid())
        throw ESockError("Initializaton of windows sockets failed");
}

TSocketConnection::~TSocketConnection()
{
    // Destruction starts by marking the object, so no event reaches handlers that may be gone already.
    SetPhase(TSocketPhase::Destroying);
    Report(8, "Destroy");
    TSocketConnection::Abort();
    Cancel();
    timer_.SetEnabled(false);
}

void TSocketConnection::SetPhase(TSocketPhase next)
{
    const TSocketPhase previous = phase_;
    if (previous == next || previous == TSocketPhase::Destroying)
        return;
    phase_ = next;
    if (next == TSocketPhase::Destroying)
        return;
    PhaseEntered(next);
    if (OnPhaseChange)
        OnPhaseChange(*this, previous, next);
}

int TSocketConnection::NewSocket(Linger linger, int family)
{
    int fd = ::socket(family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_TCP);
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

void TSocketConnection::RenewSocket()
{
    DropTls();
    linger_ = Linger::Graceful;
    socket_.Reset(NewSocket(linger_, family_));
    if (!socket_.Valid())
        CheckError(errno);
    SetPhase(TSocketPhase::Idle);
}

void TSocketConnection::Report(int level, const std::string& text)
{
    if (ReportLevel < level)
        return;
    status_ = Masked(text);
    if (phase_ == TSocketPhase::Destroying || !OnStatus)
        return;
    try {
        OnStatus(*this, status_);
    } catch (...) {
        // A status handler must not break the operation that reports.
    }
}

void TSocketConnection::AddSecret(const std::string& secret)
{
    if (!secret.empty())
        secrets_.push_back(secret);
}

std::string TSocketConnection::Masked(std::string text) const
{
    // Every occurrence goes, inside words too (a server may glue the password to other text). Only a
    // leading reply code stays readable: an occurrence wholly inside it shows nothing but the code.
    const std::size_t code = StartsWithReplyCode(text) ? 3 : 0;
    std::vector<std::pair<std::size_t, std::size_t>> ranges;
    for (const std::string& secret : secrets_)
        for (std::size_t at = text.find(secret); at != std::string::npos; at = text.find(secret, at + 1))
            if (at + secret.size() > code)
                ranges.emplace_back(at, at + secret.size());
    if (ranges.empty())
        return text;
    std::sort(ranges.begin(), ranges.end());
    std::string masked;
    std::size_t copied = 0;
    for (std::size_t i = 0; i < ranges.size();) {
        auto [begin, end] = ranges[i];
        for (++i; i < ranges.size() && ranges[i].first <= end; ++i)
            end = std::max(end, ranges[i].second);
        masked.append(text, copied, begin - copied).append("****");
        copied = end;
    }
    return masked.append(text, copied);
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
    events = WaitEvents(events);
    pollfd entry{socket_.Get(), events, 0};
    int ready = ::poll(&entry, events != 0 && socket_.Valid() ? 1 : 0, timeout);
    if (ready > 0) {
        if (phase_ == TSocketPhase::Connecting && (entry.revents & (POLLOUT | POLLERR | POLLHUP))) {
            int error = 0;
            socklen_t length = sizeof error;
            ::getsockopt(socket_.Get(), SOL_SOCKET, SO_ERROR, &error, &length);
            if (error == 0) {
                SetPhase(TSocketPhase::Connected);
                SocketConnected();
            } else {
                lastError_ = SocketErrorCodeFromErrno(error);
                SetPhase(TSocketPhase::Failed);
            }
        } else if (phase_ == TSocketPhase::Listening && (entry.revents & (POLLIN | POLLERR | POLLHUP))) {
            SetPhase(entry.revents & POLLERR ? TSocketPhase::Failed : TSocketPhase::Incoming);
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
    Abort();
}

void TSocketConnection::Abort()
{
    Report(8, "Abort");
    Cancel();
}

void TSocketConnection::Cancel()
{
    // No status report: another thread may cancel, and the status belongs to the waiting one.
    cancel_ = true;
}

void TSocketConnection::HoldCancel()
{
    cancelHeld_ = true;
    cancel_ = true;
}

void TSocketConnection::ReleaseCancel()
{
    cancelHeld_ = false;
    cancel_ = false;
}

TSocketConnection::LookupOutcome TSocketConnection::Resolve()
{
    const std::string name = WithoutBrackets(Proxy.empty() ? Host : Proxy);
    remote_ = {};
    remoteLength_ = 0;
    candidates_.clear();
    auto* v4 = reinterpret_cast<sockaddr_in*>(&remote_);
    auto* v6 = reinterpret_cast<sockaddr_in6*>(&remote_);
    if (::inet_pton(AF_INET, name.c_str(), &v4->sin_addr) == 1) {
        v4->sin_family = AF_INET;
        remoteLength_ = sizeof(sockaddr_in);
        return LookupOutcome::Resolved;
    }
    if (::inet_pton(AF_INET6, name.c_str(), &v6->sin6_addr) == 1) {
        v6->sin6_family = AF_INET6;
        remoteLength_ = sizeof(sockaddr_in6);
        return LookupOutcome::Resolved;
    }
    remote_ = {};
    TimerOn();
    HostLookup lookup(name);
    while (!lookup.Done() && !timedOut_ && !cancel_)
        WaitPass(0, kLookupSliceMs);
    TimerOff();
    if (timedOut_)
        return LookupOutcome::TimedOut;
    if (cancel_) {
        ClearCancel();
        return LookupOutcome::Canceled;
    }
    if (lookup.ErrorCode() != 0) {
        lastError_ = lookup.ErrorCode();
        return LookupOutcome::Failed;
    }
    candidates_ = lookup.Addresses();
    remote_ = candidates_.front().Address;
    remoteLength_ = candidates_.front().Length;
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

void TSocketConnection::ResolveRemote()
{
    bool invalidHostAsked = false;
    for (;;) {
        Report(8, "Resolve Host");
        LookupOutcome outcome = Resolve();
        if (outcome == LookupOutcome::TimedOut)
            throw ESockError("Host Lookup Timed Out");
        if (outcome == LookupOutcome::Canceled)
            throw ESockError("Host Lookup Canceled");
        if (remoteLength_ != 0)
            return;
        bool handled = false;
        if (!invalidHostAsked && OnInvalidHost) {
            invalidHostAsked = true;
            OnInvalidHost(*this, handled);
        }
        if (!handled)
            throw ESockError("Null Remote Address");
    }
}

void TSocketConnection::StartConnecting()
{
    const auto port = htons(static_cast<std::uint16_t>((Proxy.empty() ? Port : ProxyPort) & 0xFFFF));
    if (remote_.ss_family == AF_INET6)
        reinterpret_cast<sockaddr_in6*>(&remote_)->sin6_port = port;
    else
        reinterpret_cast<sockaddr_in*>(&remote_)->sin_port = port;
    // A socket is made for one address family: an address of the other one needs a fresh socket.
    if (remote_.ss_family != family_) {
        family_ = remote_.ss_family;
        socket_.Reset(NewSocket(linger_, family_));
        if (!socket_.Valid()) {
            const int error = errno;
            SetPhase(TSocketPhase::Failed);
            CheckError(error);
        }
    }
    SetPhase(TSocketPhase::Connecting);
    if (::connect(socket_.Get(), reinterpret_cast<const sockaddr*>(&remote_), remoteLength_) == 0) {
        SetPhase(TSocketPhase::Connected);
        SocketConnected();
    } else if (errno == EINPROGRESS || errno == EINTR) {
        // The answer arrives during the wait.
    } else if (IsAnswerToTheAttempt(errno)) {
        // Reported like the same answer arriving later.
        lastError_ = SocketErrorCodeFromErrno(errno);
        SetPhase(TSocketPhase::Failed);
    } else {
        const int error = errno;
        SetPhase(TSocketPhase::Failed);
        CheckError(error);
    }
}

void TSocketConnection::AwaitConnection()
{
    for (std::size_t next = 1;; ++next) {
        while (phase_ == TSocketPhase::Connecting && !timedOut_ && !cancel_)
            WaitPass(POLLOUT, kWaitSliceMs);
        // A name with an IPv6 and an IPv4 address may have its server listening on only one of them.
        if (phase_ != TSocketPhase::Failed || timedOut_ || cancel_ || next >= candidates_.size())
            return;
        remote_ = candidates_[next].Address;
        remoteLength_ = candidates_[next].Length;
        family_ = remote_.ss_family;
        socket_.Reset(NewSocket(linger_, family_));
        StartConnecting();
    }
}

void TSocketConnection::Connect()
{
    Report(8, "Connecting");
    // A second Connect started from an event handler while this one waits would replace the socket under
    // the waiting attempt, which then never ends.
    if (phase_ == TSocketPhase::Resolving || phase_ == TSocketPhase::Connecting)
        CheckError(EALREADY);
    ClearCancel();
    if (Connected())
        throw ESockError("Already connected");
    if (phase_ != TSocketPhase::Idle)
        RenewSocket();

    SetPhase(TSocketPhase::Resolving);
    try {
        ResolveRemote();
    } catch (...) {
        SetPhase(TSocketPhase::Idle);
        throw;
    }
    StartConnecting();
    TimerOn();
    AwaitConnection();
    TimerOff();
    if (phase_ == TSocketPhase::Connected && !timedOut_ && !cancel_)
        return;
    // The attempt is over (a handler may have closed the socket already): a failure handler may start
    // the next one.
    if (phase_ != TSocketPhase::Idle)
        SetPhase(TSocketPhase::Failed);
    if (OnConnectionFailed)
        OnConnectionFailed(*this);
    bool canceled = cancel_;
    ClearCancel();
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
    while (!Connected()) {
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
    if (!socket_.Valid())
        return;
    DropTls();
    const bool closed = socket_.Close();
    const int closeError = errno;
    if (phase_ == TSocketPhase::Destroying)
        return;
    // The fresh socket comes first, so that an OnDisconnect handler can connect again at once.
    linger_ = Linger::Graceful;
    socket_.Reset(NewSocket(linger_, family_));
    const int socketError = errno;
    SetPhase(TSocketPhase::Idle);
    if (!closed && closeError != EINTR)
        CheckError(closeError);
    if (OnDisconnect)
        OnDisconnect(*this);
    if (!socket_.Valid())
        CheckError(socketError);
}

void TSocketConnection::HandlePeerClosed()
{
    if (Connected())
        RequestCloseSocket();
}

void TSocketConnection::Listen(const std::string& localAddress)
{
    Report(8, "Listening");
    sockaddr_storage local{};
    socklen_t localLength = 0;
    const auto port = htons(static_cast<std::uint16_t>(Port & 0xFFFF));
    auto* v4 = reinterpret_cast<sockaddr_in*>(&local);
    auto* v6 = reinterpret_cast<sockaddr_in6*>(&local);
    if (::inet_pton(AF_INET, localAddress.c_str(), &v4->sin_addr) == 1) {
        v4->sin_family = AF_INET;
        v4->sin_port = port;
        localLength = sizeof(sockaddr_in);
    } else if (::inet_pton(AF_INET6, localAddress.c_str(), &v6->sin6_addr) == 1) {
        v6->sin6_family = AF_INET6;
        v6->sin6_port = port;
        localLength = sizeof(sockaddr_in6);
    } else {
        throw ESockError("Invalid local address: " + localAddress);
    }
    if (phase_ != TSocketPhase::Idle || family_ != local.ss_family) {
        family_ = local.ss_family;
        RenewSocket();
    }
    if (::bind(socket_.Get(), reinterpret_cast<const sockaddr*>(&local), localLength) != 0 ||
        ::listen(socket_.Get(), 1) != 0) {
        const int error = errno;
        // A socket that failed to bind or listen is replaced before its next use.
        SetPhase(TSocketPhase::Failed);
        CheckError(error);
        return;
    }
    SetPhase(TSocketPhase::Listening);
}

int TSocketConnection::Accept()
{
    Report(4, "Accepting");
    sockaddr_storage peer{};
    socklen_t length = 0;
    TFileDescriptor accepted;
    {
        // One time-out for the whole wait, however many strangers come meanwhile.
        TTimeOutScope timer(*this);
        while (!accepted.Valid()) {
            while (phase_ == TSocketPhase::Listening && !cancel_) {
                WaitPass(POLLIN, kWaitSliceMs);
                if (phase_ == TSocketPhase::Listening && StopAcceptingWhen && StopAcceptingWhen())
                    cancel_ = true;
            }
            if (cancel_) {
                ClearCancel();
                throw ESockError(timedOut_ ? "Accepting Timed Out" : "Accepting Canceled");
            }
            if (phase_ != TSocketPhase::Incoming)
                throw ESockError("Error creating Data Connection");
            length = sizeof peer;
            accepted.Reset(::accept4(socket_.Get(), reinterpret_cast<sockaddr*>(&peer), &length,
                                     SOCK_NONBLOCK | SOCK_CLOEXEC));
            if (!accepted.Valid() && !IsVanishedConnection(errno)) {
                CheckError(errno);
                throw ESockError("Error creating Data Connection");
            }
            const std::string from = accepted.Valid() ? NumericAddress(peer, length) : std::string();
            if (accepted.Valid() && !AcceptOnlyFrom.empty() && from != AcceptOnlyFrom) {
                Report(4, "Closed a connection from " + from);
                accepted.Close();
            }
            if (!accepted.Valid())
                SetPhase(TSocketPhase::Listening);
        }
    }
    remote_ = peer;
    remoteLength_ = length;
    if (cancel_) {
        ClearCancel();
        throw EAbortError("Socket send aborted");
    }
    return accepted.Release();
}

void TSocketConnection::AdoptSocket(int acceptedSocket)
{
    DropTls();
    socket_.Reset(acceptedSocket);
    SetPhase(TSocketPhase::Connected);
}

void TSocketConnection::LingerOff()
{
    ::linger option{0, 0};
    ::setsockopt(socket_.Get(), SOL_SOCKET, SO_LINGER, &option, sizeof option);
}

std::string TSocketConnection::LocalAddress() const
{
    sockaddr_storage local{};
    socklen_t length = sizeof local;
    ::getsockname(socket_.Get(), reinterpret_cast<sockaddr*>(&local), &length);
    char text[INET6_ADDRSTRLEN] = {};
    if (local.ss_family == AF_INET6)
        ::inet_ntop(AF_INET6, &reinterpret_cast<sockaddr_in6*>(&local)->sin6_addr, text, sizeof text);
    else
        ::inet_ntop(AF_INET, &reinterpret_cast<sockaddr_in*>(&local)->sin_addr, text, sizeof text);
    return text;
}

std::string TSocketConnection::PeerAddress() const
{
    sockaddr_storage peer{};
    socklen_t length = sizeof peer;
    if (::getpeername(socket_.Get(), reinterpret_cast<sockaddr*>(&peer), &length) != 0)
        return {};
    return NumericAddress(peer, length);
}

std::string TSocketConnection::LocalAddressText() const
{
    std::string text = LocalAddress();
    std::replace(text.begin(), text.end(), '.', ',');
    return text;
}

int TSocketConnection::LocalPort() const
{
    sockaddr_storage local{};
    socklen_t length = sizeof local;
    ::getsockname(socket_.Get(), reinterpret_cast<sockaddr*>(&local), &length);
    // The port sits at the same place in both families' address records.
    return ntohs(reinterpret_cast<sockaddr_in*>(&local)->sin_port);
}

std::string TSocketConnection::LocalPortText() const
{
    const unsigned port = static_cast<unsigned>(LocalPort());
    return "," + std::to_string(port >> 8) + "," + std::to_string(port & 0xFF);
}
