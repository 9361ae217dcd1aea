#include "desktop/InstanceProtocol.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

constexpr std::string_view kRequestTag = "tallo-open/1";
constexpr std::string_view kLinesRequestTag = "tallo-open/2";
constexpr std::string_view kSideBySideRequestTag = "tallo-open/3";
constexpr std::string_view kReply = "ok";
constexpr std::size_t kMaxFiles = 65536;

using Clock = std::chrono::steady_clock;

std::string LockPathOf(const std::string& socketPath)
{
    return socketPath + ".lock";
}

bool SocketAddress(const std::string& path, sockaddr_un& address)
{
    address = {};
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address.sun_path) return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

// The next NUL-terminated field, or none when it has not all arrived.
bool NextField(std::string_view& rest, std::string_view& field)
{
    const auto end = rest.find('\0');
    if (end == std::string_view::npos) return false;
    field = rest.substr(0, end);
    rest.remove_prefix(end + 1);
    return true;
}

int RemainingMilliseconds(Clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

bool SendAll(int fd, std::string_view bytes, Clock::time_point deadline)
{
    while (!bytes.empty()) {
        const ssize_t sent = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent > 0) {
            bytes.remove_prefix(static_cast<std::size_t>(sent));
            continue;
        }
        if (sent < 0 && errno == EINTR) continue;
        if (sent < 0 && errno != EAGAIN && errno != EWOULDBLOCK) return false;
        pollfd waiting{fd, POLLOUT, 0};
        if (::poll(&waiting, 1, RemainingMilliseconds(deadline)) <= 0) return false;
    }
    return true;
}

bool PeerIsThisUser(int fd)
{
    ucred peer{};
    socklen_t size = sizeof peer;
    return ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 && peer.uid == ::geteuid();
}

bool ReceiveReply(int fd, Clock::time_point deadline)
{
    std::string reply;
    while (reply.size() < kReply.size()) {
        pollfd waiting{fd, POLLIN, 0};
        if (::poll(&waiting, 1, RemainingMilliseconds(deadline)) <= 0) return false;
        char buffer[16];
        const ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
        if (got < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (got <= 0) return false;
        reply.append(buffer, static_cast<std::size_t>(got));
    }
    return reply.starts_with(kReply);
}

// A connection to the listening editor, retried while it is still starting; -1 at the deadline.
int ConnectWhileStarting(const sockaddr_un& address, Clock::time_point deadline)
{
    while (true) {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        if (fd < 0) return -1;
        if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) return fd;
        ::close(fd);
        if (RemainingMilliseconds(deadline) == 0) return -1;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

// Checks what bind made of the socket's mode, for a system that does not carry it over.
bool OwnerOnlySocketFile(const std::string& socketPath)
{
    struct stat info {};
    if (::lstat(socketPath.c_str(), &info) != 0 || !S_ISSOCK(info.st_mode)) return false;
    return (info.st_mode & 077) == 0 || ::chmod(socketPath.c_str(), S_IRUSR | S_IWUSR) == 0;
}

// A count or line in decimal digits only, at most limit.
bool ParseCount(std::string_view field, std::size_t limit, std::size_t& value)
{
    const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), value);
    return error == std::errc() && end == field.data() + field.size() && !field.empty() && value <= limit;
}

}  // namespace

std::string EncodeOpenRequest(const TOpenRequest& request)
{
    const bool withLines = !request.Lines.empty() || request.SideBySide;
    std::string bytes(request.SideBySide ? kSideBySideRequestTag : withLines ? kLinesRequestTag : kRequestTag);
    bytes += '\0';
    bytes += std::to_string(request.Paths.size());
    bytes += '\0';
    for (std::size_t i = 0; i < request.Paths.size(); ++i) {
        bytes += request.Paths[i];
        bytes += '\0';
        if (!withLines) continue;
        bytes += std::to_string(i < request.Lines.size() ? request.Lines[i] : 0);
        bytes += '\0';
    }
    return bytes;
}

TRequestState DecodeOpenRequest(std::string_view bytes, TOpenRequest& request)
{
    if (bytes.size() > kMaxOpenRequestBytes) return TRequestState::Invalid;
    std::string_view rest = bytes, tag, count;
    const std::string_view tags[] = {kRequestTag, kLinesRequestTag, kSideBySideRequestTag};
    if (!NextField(rest, tag))
        return std::any_of(std::begin(tags), std::end(tags), [&](std::string_view known) { return known.starts_with(bytes); })
                   ? TRequestState::Incomplete
                   : TRequestState::Invalid;
    if (std::find(std::begin(tags), std::end(tags), tag) == std::end(tags)) return TRequestState::Invalid;
    const bool withLines = tag != kRequestTag;
    if (!NextField(rest, count)) return TRequestState::Incomplete;
    std::size_t files = 0;
    if (!ParseCount(count, kMaxFiles, files)) return TRequestState::Invalid;
    TOpenRequest decoded;
    decoded.SideBySide = tag == kSideBySideRequestTag;
    for (std::size_t i = 0; i < files; ++i) {
        std::string_view path, line;
        if (!NextField(rest, path)) return TRequestState::Incomplete;
        if (!path.starts_with('/')) return TRequestState::Invalid;
        decoded.Paths.emplace_back(path);
        if (!withLines) continue;
        if (!NextField(rest, line)) return TRequestState::Incomplete;
        std::size_t number = 0;
        if (!ParseCount(line, kMaxRequestLine, number)) return TRequestState::Invalid;
        decoded.Lines.push_back(static_cast<int>(number));
    }
    if (!rest.empty()) return TRequestState::Invalid;
    request = std::move(decoded);
    return TRequestState::Complete;
}

bool IsPrivateFolder(const std::string& folder)
{
    struct stat info {};
    // lstat: a link could be swapped for another folder between this look and the bind.
    return ::lstat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == ::geteuid() &&
           (info.st_mode & 07777) == 0700;
}

std::string DefaultInstanceSocketPath()
{
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (!runtime || runtime[0] != '/') return {};
    // In a folder others may enter, another user could take the lock and be handed the user's files.
    if (!IsPrivateFolder(runtime)) return {};
    return std::string(runtime) + "/tallo.socket";
}

// --- the running editor's end --------------------------------------------------------------------

std::unique_ptr<TInstanceListener> TInstanceListener::Listen(const std::string& socketPath)
{
    sockaddr_un address{};
    if (!SocketAddress(socketPath, address)) return nullptr;
    const int lockFd = ::open(LockPathOf(socketPath).c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (lockFd < 0) return nullptr;
    if (::flock(lockFd, LOCK_EX | LOCK_NB) != 0) {
        ::close(lockFd);
        return nullptr;
    }
    // Whatever socket file is there belongs to an editor that is gone: the lock says so.
    ::unlink(socketPath.c_str());
    const int listenFd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    // The socket file takes the socket's own mode (less the umask), so it is born owner-only without
    // touching the process's umask, which other threads use.
    const bool bound = listenFd >= 0 && ::fchmod(listenFd, S_IRUSR | S_IWUSR) == 0 &&
                       ::bind(listenFd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
                       OwnerOnlySocketFile(socketPath);
    if (!bound || ::listen(listenFd, 16) != 0) {
        if (listenFd >= 0) ::close(listenFd);
        ::close(lockFd);
        return nullptr;
    }
    return std::unique_ptr<TInstanceListener>(new TInstanceListener(socketPath, lockFd, listenFd));
}

TInstanceListener::~TInstanceListener()
{
    ::close(listenFd_);
    ::unlink(socketPath_.c_str());
    ::close(lockFd_);
}

int TInstanceListener::Accept() const
{
    while (true) {
        const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd < 0) return -1;
        // Only the user's own programs may open files in the user's editor.
        if (PeerIsThisUser(fd)) return fd;
        ::close(fd);
    }
}

TRequestState TRequestReader::ReadFrom(int fd)
{
    while (true) {
        char buffer[4096];
        const ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return TRequestState::Incomplete;
        if (got <= 0) return TRequestState::Invalid;  // hung up (or failed) before the request was whole
        bytes_.append(buffer, static_cast<std::size_t>(got));
        const TRequestState state = DecodeOpenRequest(bytes_, request_);
        if (state != TRequestState::Incomplete) return state;
    }
}

void SendOpenReply(int fd)
{
    (void)SendAll(fd, kReply, Clock::now() + std::chrono::seconds(1));
}

// --- a later start's end -------------------------------------------------------------------------

namespace {

THandOver HandOverOnce(const std::string& socketPath, const TOpenRequest& request, int timeoutMilliseconds)
{
    sockaddr_un address{};
    if (!SocketAddress(socketPath, address)) return THandOver::NoEditor;
    {
        // Nobody holds the lock: no editor is running, whatever socket file is left.
        const int lockFd = ::open(LockPathOf(socketPath).c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW);
        if (lockFd < 0) return THandOver::NoEditor;
        const bool free = ::flock(lockFd, LOCK_EX | LOCK_NB) == 0;
        ::close(lockFd);
        if (free) return THandOver::NoEditor;
    }
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMilliseconds);
    const int fd = ConnectWhileStarting(address, deadline);
    if (fd < 0) return THandOver::Failed;
    // The paths of the user's files go only to the user's own editor.
    if (!PeerIsThisUser(fd)) {
        ::close(fd);
        return THandOver::NoEditor;
    }
    const bool done = SendAll(fd, EncodeOpenRequest(request), deadline) && ReceiveReply(fd, deadline);
    ::close(fd);
    return done ? THandOver::Done : THandOver::Failed;
}

}  // namespace

THandOver HandOver(const std::string& socketPath, const TOpenRequest& request, int timeoutMilliseconds)
{
    const THandOver handed = HandOverOnce(socketPath, request, timeoutMilliseconds);
    if (handed != THandOver::Failed || (request.Lines.empty() && !request.SideBySide)) return handed;
    return HandOverOnce(socketPath, TOpenRequest{request.Paths, {}}, timeoutMilliseconds);
}
