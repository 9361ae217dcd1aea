// Sending and receiving on a connected TSocketConnection, in the clear or through TLS.
#include "net/SocketConnection.h"

#include "base/FileDescriptor.h"
#include "net/ReadableText.h"
#include "net/ReplyParsing.h"

#include <algorithm>
#include <chrono>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kWaitSliceMs = 5;
// How long a TLS close waits for the peer to close its side.
constexpr auto kTlsCloseWait = std::chrono::seconds(2);
constexpr int kSendFlags = MSG_NOSIGNAL | MSG_DONTWAIT;

ssize_t Receive(int fd, char* buffer, std::size_t length, int flags)
{
    ssize_t n;
    do
        n = ::recv(fd, buffer, length, flags | MSG_DONTWAIT);
    while (n < 0 && errno == EINTR);
    return n;
}

ssize_t Send(int fd, const char* data, std::size_t length)
{
    ssize_t n;
    do
        n = ::send(fd, data, length, kSendFlags);
    while (n < 0 && errno == EINTR);
    return n;
}

bool WouldBlock(int errnoValue)
{
    return errnoValue == EAGAIN || errnoValue == EWOULDBLOCK;
}

}  // namespace

void TSocketConnection::Write(std::string_view text)
{
    Report(8, "Write");
    while (!text.empty()) {
        std::size_t length = std::min(text.size(), kBufferSize);
        std::memcpy(buffer_, text.data(), length);
        SendBuffer(buffer_, length);
        text.remove_prefix(length);
    }
}

void TSocketConnection::Writeln(std::string_view text)
{
    Report(8, "Writeln");
    std::string line(text);
    line += "\r\n";
    Write(line);
}

void TSocketConnection::SendAll(const char* data, std::size_t length, const std::function<void(std::size_t)>& onSent)
{
    std::size_t sent = 0;
    while (sent < length && !cancel_) {
        const ssize_t n = SendBytes(data + sent, length - sent);
        if (n > 0) {
            sent += static_cast<std::size_t>(n);
            if (onSent)
                onSent(static_cast<std::size_t>(n));
        } else if (n == 0) {
            break;
        } else if (WouldBlock(errno)) {
            WaitPass(POLLOUT, kWaitSliceMs);
        } else {
            CheckError(errno);
        }
    }
}

void TSocketConnection::SendBuffer(const char* data, std::size_t length)
{
    Report(4, "Sending Buffer");
    {
        TTimeOutScope timer(*this);
        if (!cancel_) {
            if (length == 0) {
                length = ::strnlen(data, kBufferSize);
                if (length >= kBufferSize)
                    throw ESockError("Text to send is longer than 65535 bytes");
            }
            SendAll(data, length, nullptr);
        }
    }
    if (cancel_) {
        ClearCancel();
        throw EAbortError("Socket send aborted");
    }
}

std::string TSocketConnection::ReadLn()
{
    Report(8, "ReadLn");
    TTimeOutScope timer(*this);
    return ReadLineInRunningTimer();
}

std::string TSocketConnection::ReadLineInRunningTimer()
{
    std::string line;
    while (!cancel_) {
        ssize_t n = ReceiveBytes(buffer_, kBufferSize, MSG_PEEK);
        if (n == 0) {
            HandlePeerClosed();
            return {};
        }
        if (n < 0) {
            int error = errno;
            lastError_ = SocketErrorCodeFromErrno(error);
            if (lastError_ == kNotConnectedCode)
                return {};
            if (!WouldBlock(error))
                CheckError(error);
            WaitPass(POLLIN, kWaitSliceMs);
            continue;
        }
        auto* end = static_cast<char*>(std::memchr(buffer_, '\n', static_cast<std::size_t>(n)));
        std::size_t take = end ? static_cast<std::size_t>(end - buffer_) + 1 : static_cast<std::size_t>(n);
        ReceiveBytes(buffer_, take, 0);
        line.append(buffer_, take);
        if (end)
            return line;
        if (line.size() >= kBufferSize)
            throw ESockError("Reply line longer than 65536 bytes");
    }
    ClearCancel();
    throw EAbortError("Socket readln aborted");
}

std::string TSocketConnection::Read(std::size_t count)
{
    Report(8, "Read( " + std::to_string(count) + " )");
    if (count == 0) {
        ssize_t n = ReceiveBytes(buffer_, kBufferSize, 0);
        if (n > 0)
            return std::string(buffer_, static_cast<std::size_t>(n));
        if (n == 0)
            HandlePeerClosed();
        else
            CheckError(errno);
        return {};
    }
    if (count > kBufferSize)
        throw ESockError("Cannot read more than 65536 bytes at once");
    TTimeOutScope timer(*this);
    while (!cancel_) {
        ssize_t n = ReceiveBytes(buffer_, count, MSG_PEEK);
        if (n == static_cast<ssize_t>(count)) {
            ReceiveBytes(buffer_, count, 0);
            return std::string(buffer_, count);
        }
        if (n == 0) {
            HandlePeerClosed();
            return {};
        }
        if (n < 0 && !WouldBlock(errno))
            CheckError(errno);
        // Part of the bytes may already wait, which keeps poll() ready: sleep the slice instead.
        WaitPass(n < 0 ? POLLIN : 0, kWaitSliceMs);
    }
    ClearCancel();
    throw EAbortError("Socket send aborted");
}

std::size_t TSocketConnection::ReadSome(char* into, std::size_t most)
{
    TTimeOutScope timer(*this);
    while (!cancel_) {
        const ssize_t n = ReceiveBytes(into, most, 0);
        if (n > 0)
            return static_cast<std::size_t>(n);
        if (n == 0) {
            HandlePeerClosed();
            return 0;
        }
        if (!WouldBlock(errno))
            CheckError(errno);
        WaitPass(POLLIN, kWaitSliceMs);
    }
    ClearCancel();
    throw EAbortError(timedOut_ ? "Socket receive timed out" : "Socket receive aborted");
}

std::string TSocketConnection::Transaction(const std::string& command)
{
    Report(8, "Transaction");
    replyNumber_ = 0;
    Writeln(command);
    std::string reply = ReadLn();
    lastReply_ = Masked(reply);
    if (!reply.empty()) {
        Report(1, ReadableServerText(lastReply_));
        try {
            replyNumber_ = ReplyNumberOf(reply);
        } catch (const ESockError& error) {
            throw ESockError(Masked(error.what()));
        }
    }
    return lastReply_;
}

void TSocketConnection::SendFile(const std::string& path)
{
    Report(8, "SendFile");
    TFileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!file.Valid())
        throw EFileError("Cannot open file \"" + path + "\". " + std::strerror(errno));
    struct stat info {};
    if (::fstat(file.Get(), &info) != 0 || !S_ISREG(info.st_mode))
        throw EFileError("Cannot open file \"" + path + "\". Not a regular file");
    ::posix_fadvise(file.Get(), 0, 0, POSIX_FADV_SEQUENTIAL);

    // The time-out counts from the last progress: a large file may take long, a stalled peer may not.
    TTimeOutScope timer(*this);
    const std::function<void(std::size_t)> onPacketSent = [this](std::size_t count) {
        timer_.SetEnabled(true);
        bytesSent_ += static_cast<std::int64_t>(count);
        if (OnPacketSent)
            OnPacketSent(*this);
        PumpIfDue();
    };
    std::int64_t position = 0;
    while (position < info.st_size && !cancel_) {
        std::size_t want = static_cast<std::size_t>(std::min<std::int64_t>(kBufferSize, info.st_size - position));
        ssize_t got;
        do
            got = ::read(file.Get(), buffer_, want);
        while (got < 0 && errno == EINTR);
        if (got < 0)
            throw EFileError("Cannot read file \"" + path + "\". " + std::strerror(errno));
        if (got == 0)
            break;  // the file shrank since it was measured
        position += got;
        SendAll(buffer_, static_cast<std::size_t>(got), onPacketSent);
    }
    if (cancel_) {
        ClearCancel();
        throw EAbortError("Socket send aborted");
    }
}

bool TSocketConnection::DataAvailable()
{
    Report(8, "Data Available");
    char probe;
    return ReceiveBytes(&probe, 1, MSG_PEEK) > 0;
}

bool TSocketConnection::Readable() const
{
    pollfd entry{socket_.Get(), POLLIN, 0};
    return HasBufferedInput() || (socket_.Valid() && ::poll(&entry, 1, 0) > 0);
}

void TSocketConnection::ClearInput()
{
    Report(8, "Clearing Input");
    ReceiveBytes(buffer_, kBufferSize, 0);
}

ssize_t TSocketConnection::ReceiveBytes(char* buffer, std::size_t length, int flags)
{
    if (!tls_)
        return Receive(socket_.Get(), buffer, length, flags);
    // A peek that wants more than is read ahead reads on; so does any read with nothing read ahead.
    const std::size_t ahead = tlsInput_.size();
    if (ahead < length && ahead < kBufferSize && (ahead == 0 || (flags & MSG_PEEK))) {
        tlsInput_.resize(kBufferSize);
        std::size_t got = 0;
        try {
            got = tls_->Receive(tlsInput_.data() + ahead, kBufferSize - ahead, tlsWait_);
        } catch (const ETlsError& error) {
            tlsInput_.resize(ahead);
            throw ESockError(error.what());
        }
        tlsInput_.resize(ahead + got);
        if (tlsInput_.empty()) {
            if (tlsWait_ == TTlsWait::None)
                return 0;  // the peer closed
            errno = EAGAIN;
            return -1;
        }
    }
    const std::size_t n = std::min(length, tlsInput_.size());
    std::memcpy(buffer, tlsInput_.data(), n);
    if (!(flags & MSG_PEEK))
        tlsInput_.erase(0, n);
    return static_cast<ssize_t>(n);
}

ssize_t TSocketConnection::SendBytes(const char* data, std::size_t length)
{
    if (!tls_)
        return Send(socket_.Get(), data, length);
    std::size_t sent = 0;
    try {
        sent = tls_->Send(data, length, tlsWait_);
    } catch (const ETlsError& error) {
        throw ESockError(error.what());
    }
    if (sent == 0 && tlsWait_ != TTlsWait::None) {
        errno = EAGAIN;
        return -1;
    }
    return static_cast<ssize_t>(sent);
}

bool TSocketConnection::HasBufferedInput() const
{
    return !tlsInput_.empty() || (tls_ && tls_->Pending() > 0);
}

short TSocketConnection::WaitEvents(short requested) const
{
    // TLS may need to read before it can write, or the other way round.
    if (!tls_ || requested == 0 || tlsWait_ == TTlsWait::None)
        return requested;
    return tlsWait_ == TTlsWait::Readable ? POLLIN : POLLOUT;
}

void TSocketConnection::StartTls(const std::string& hostName, const TSocketConnection* resumeFrom)
{
    Report(8, "Starting TLS");
    DropTls();
    try {
        tls_ = std::make_unique<TTlsSession>(socket_.Get(), hostName, resumeFrom ? resumeFrom->tls_.get() : nullptr);
    } catch (const ETlsError& error) {
        throw ESockError(error.what());
    }
    {
        TTimeOutScope timer(*this);
        while (!cancel_) {
            try {
                tlsWait_ = tls_->Handshake();
            } catch (const ETlsError& error) {
                tls_.reset();
                tlsWait_ = TTlsWait::None;
                throw ESockError(error.what());
            }
            if (tlsWait_ == TTlsWait::None)
                break;
            WaitPass(POLLIN, kWaitSliceMs);
        }
    }
    if (cancel_) {
        ClearCancel();
        tls_.reset();
        tlsWait_ = TTlsWait::None;
        throw EAbortError(timedOut_ ? "TLS handshake timed out" : "TLS handshake aborted");
    }
}

void TSocketConnection::DropTls()
{
    if (tls_) {
        tls_->Close();
        AwaitPeerClose();
    }
    tls_.reset();
    tlsInput_.clear();
    tlsWait_ = TTlsWait::None;
}

void TSocketConnection::AwaitPeerClose()
{
    // The closing alert goes out first, then the end of the stream. Whatever the peer still sends (its
    // own alert, late session tickets, which are kept for the next data connection) is read through TLS
    // and dropped until it closes too: closing a socket with unread bytes resets the connection, and a
    // reset can destroy the data and the alert in flight, which the peer then takes for a broken transfer.
    ::shutdown(socket_.Get(), SHUT_WR);
    const auto until = std::chrono::steady_clock::now() + kTlsCloseWait;
    while (!cancel_ && std::chrono::steady_clock::now() < until) {
        ssize_t n = 0;
        try {
            TTlsWait wait = TTlsWait::None;
            n = static_cast<ssize_t>(tls_->Receive(buffer_, kBufferSize, wait));
            if (n == 0 && wait != TTlsWait::None) {
                n = -1;
                errno = EAGAIN;
            }
        } catch (const ETlsError&) {
            return;
        }
        if (n == 0 || (n < 0 && !WouldBlock(errno)))
            return;
        if (n < 0) {
            pollfd entry{socket_.Get(), POLLIN, 0};
            ::poll(&entry, 1, kWaitSliceMs);
            if (phase_ != TSocketPhase::Destroying)
                PumpIfDue();
        }
    }
}
