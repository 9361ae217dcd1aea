#pragma once
// One editor per user: the running editor listens on a local socket in the user's runtime folder,
// and a later start that names files hands them over there instead of opening a window of its own.
// Holding an flock on "<socket>.lock" is what makes an editor the listening one, so a socket file
// left by a crashed run is known stale and taken over, and two starts never both listen.
//
// A request is NUL-terminated fields: "tallo-open/1", the number of files in decimal, then each
// file's absolute path. A request that names lines is "tallo-open/2", the number of files, then each
// file's absolute path followed by its line in decimal (from 1; 0: none). Requests without lines stay
// in the first form, so editors that know only it keep taking them. "tallo-open/3" has the fields of the
// second and asks for the files to be shown side by side (two versions compared). The editor answers
// "ok" once it has taken the files.

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct TOpenRequest {
    std::vector<std::string> Paths;
    // Empty, or one per path: the line the caret goes to (from 1), 0 where none was named.
    std::vector<int> Lines;
    bool SideBySide = false;
    bool operator==(const TOpenRequest&) const = default;
};

std::string EncodeOpenRequest(const TOpenRequest& request);

enum class TRequestState { Incomplete, Complete, Invalid };
// A request larger than this is refused rather than buffered.
constexpr std::size_t kMaxOpenRequestBytes = 1 << 20;
// A line beyond this is refused as nonsense rather than clamped.
constexpr int kMaxRequestLine = 1 << 30;
TRequestState DecodeOpenRequest(std::string_view bytes, TOpenRequest& request);

// "$XDG_RUNTIME_DIR/tallo.socket"; empty when the runtime folder is not set or is not private.
std::string DefaultInstanceSocketPath();
// A folder (not a link to one) of this user's that only this user may enter: mode 0700.
bool IsPrivateFolder(const std::string& folder);

// The running editor's end of the socket.
class TInstanceListener {
public:
    // None when another editor listens already, or the socket cannot be made.
    static std::unique_ptr<TInstanceListener> Listen(const std::string& socketPath);
    ~TInstanceListener();

    int Descriptor() const { return listenFd_; }
    // A waiting connection from this user, non-blocking; -1 when there is none.
    int Accept() const;

private:
    TInstanceListener(std::string socketPath, int lockFd, int listenFd)
        : socketPath_(std::move(socketPath)), lockFd_(lockFd), listenFd_(listenFd) {}

    std::string socketPath_;
    int lockFd_;
    int listenFd_;
};

// One request arriving on an accepted connection.
class TRequestReader {
public:
    // Reads what has arrived; Invalid also when the peer hung up before the request was whole.
    TRequestState ReadFrom(int fd);
    const TOpenRequest& Request() const { return request_; }

private:
    std::string bytes_;
    TOpenRequest request_;
};

// Answers a whole request; the connection is the caller's to close.
void SendOpenReply(int fd);

enum class THandOver { Done, NoEditor, Failed };
// A later start's end: gives the files to the running editor and waits for its answer. A listener
// of another user counts as no editor: the files are not sent. An editor that refuses the lines or the
// side-by-side request (one that knows only the first form) is given the paths alone.
THandOver HandOver(const std::string& socketPath, const TOpenRequest& request, int timeoutMilliseconds);
