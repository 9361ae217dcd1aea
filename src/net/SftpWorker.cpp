#include "net/SftpWorker.h"

#include "base/FileDescriptor.h"
#include "base/PathName.h"
#include "net/ServerAddress.h"
#include "net/SocketErrors.h"

#include <libssh/libssh.h>
#include <libssh/sftp.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using State = TSftpSession::State;
// Keys the system's administrator lists for every user, as OpenSSH reads them.
constexpr const char* kSystemKnownHosts = "/etc/ssh/ssh_known_hosts";
constexpr std::size_t kChunkSize = 64 * 1024;  // every SFTP server takes writes of this size

struct SessionFree {
    void operator()(ssh_session session) const { ssh_free(session); }
};
struct SftpFree {
    void operator()(sftp_session sftp) const { sftp_free(sftp); }
};
struct KeyFree {
    void operator()(ssh_key key) const { ssh_key_free(key); }
};

bool Aborted(const State& state)
{
    return state.abortReason.load() != static_cast<int>(TSftpAbortReason::None);
}

void EnterStep(State& state, TTransferStep step)
{
    if (Aborted(state)) throw ESftpError(step, "Aborted");
    state.step = static_cast<int>(step);
}

std::string HostForMessages(const TSftpTarget& target)
{
    const std::string host = WithoutBrackets(target.Host);
    if (target.Port == 22) return host;
    const bool literalV6 = host.find(':') != std::string::npos;
    return (literalV6 ? "[" + host + "]" : host) + ":" + std::to_string(target.Port);
}

// A closed session no longer waits for its worker unless the worker uses libssh: past that point it
// must make none.
void ClaimLibssh(State& state)
{
    std::lock_guard guard(state.lock);
    if (state.closing) throw ESftpError(TTransferStep::Connect, "Aborted");
    state.usesLibssh = true;
}

// Abort shuts the connection down through a descriptor of its own: libssh may close its descriptor at
// any time, and the number may then name another file of the process.
void PublishSocket(State& state, int fd)
{
    std::lock_guard guard(state.lock);
    state.socket = fcntl(fd, F_DUPFD_CLOEXEC, 0);
    if (Aborted(state)) shutdown(fd, SHUT_RDWR);
}

void WithdrawSocket(State& state)
{
    std::lock_guard guard(state.lock);
    if (state.socket >= 0) close(state.socket);
    state.socket = -1;
}

// A connect that an abort can end: non-blocking, polled in short slices.
bool ConnectWithAbort(State& state, int fd, const addrinfo& address)
{
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
    if (connect(fd, address.ai_addr, address.ai_addrlen) != 0 && errno != EINPROGRESS) return false;
    pollfd waiting{fd, POLLOUT, 0};
    while (poll(&waiting, 1, 50) == 0) {
        if (Aborted(state)) return false;
    }
    int error = 0;
    socklen_t size = sizeof error;
    getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size);
    if (error != 0) {
        errno = error;
        return false;
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return true;
}

int ConnectSocket(State& state, const TSftpTarget& target)
{
    EnterStep(state, TTransferStep::LookUp);
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const std::string host = WithoutBrackets(target.Host);
    const int rc = host.empty() ? EAI_NONAME
                                : getaddrinfo(host.c_str(), std::to_string(target.Port).c_str(), &hints, &found);
    if (rc != 0 || !found)
        throw ESftpError(TTransferStep::LookUp, SocketErrorMessage(SocketErrorCodeFromLookup(rc ? rc : EAI_NONAME)));
    std::unique_ptr<addrinfo, decltype(&freeaddrinfo)> addresses(found, freeaddrinfo);

    EnterStep(state, TTransferStep::Connect);
    int lastError = ECONNREFUSED;
    for (const addrinfo* address = found; address; address = address->ai_next) {
        const int fd = socket(address->ai_family, address->ai_socktype | SOCK_CLOEXEC, address->ai_protocol);
        if (fd < 0) {
            lastError = errno;
            continue;
        }
        PublishSocket(state, fd);
        // Each write waits for its acknowledgement: without this, delayed acknowledgements stall every
        // one of them for tens of milliseconds.
        const int on = 1;
        setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        if (ConnectWithAbort(state, fd, *address)) return fd;
        lastError = errno;
        WithdrawSocket(state);
        close(fd);
        if (Aborted(state)) break;
    }
    throw ESftpError(TTransferStep::Connect, SocketErrorMessage(SocketErrorCodeFromErrno(lastError)));
}

void SetUpSession(ssh_session session, const TSftpTarget& target, int fd, const TKnownHostsFiles& knownHosts)
{
    bool readUserConfig = false;  // ~/.ssh/config could send the upload elsewhere than the profile says
    unsigned int port = static_cast<unsigned int>(target.Port);
    socket_t socket = fd;
    const std::string host = WithoutBrackets(target.Host);
    ssh_options_set(session, SSH_OPTIONS_PROCESS_CONFIG, &readUserConfig);
    ssh_options_set(session, SSH_OPTIONS_HOST, host.c_str());
    ssh_options_set(session, SSH_OPTIONS_PORT, &port);
    if (!target.User.empty()) ssh_options_set(session, SSH_OPTIONS_USER, target.User.c_str());
    // Both files name the key types to prefer, so a server the user's OpenSSH knows by an older key type
    // shows that key rather than one nobody has seen.
    ssh_options_set(session, SSH_OPTIONS_KNOWNHOSTS, knownHosts.Own.c_str());
    if (!knownHosts.OpenSsh.empty()) ssh_options_set(session, SSH_OPTIONS_GLOBAL_KNOWNHOSTS, knownHosts.OpenSsh.c_str());
    ssh_options_set(session, SSH_OPTIONS_FD, &socket);
}

std::string ServerKeyFingerprint(ssh_session session, std::string& keyType)
{
    ssh_key rawKey = nullptr;
    if (ssh_get_server_publickey(session, &rawKey) != SSH_OK)
        throw ESftpError(TTransferStep::Secure, ssh_get_error(session));
    std::unique_ptr<ssh_key_struct, KeyFree> key(rawKey);
    keyType = ssh_key_type_to_char(ssh_key_type(key.get()));
    unsigned char* hash = nullptr;
    size_t length = 0;
    if (ssh_get_publickey_hash(key.get(), SSH_PUBLICKEY_HASH_SHA256, &hash, &length) != 0)
        throw ESftpError(TTransferStep::Secure, "Cannot read the server's key");
    char* text = ssh_get_fingerprint_hash(SSH_PUBLICKEY_HASH_SHA256, hash, length);
    ssh_clean_pubkey_hash(&hash);
    std::string fingerprint = text ? text : "";
    ssh_string_free_char(text);
    return fingerprint;
}

TTrustAnswer AskAboutHostKey(State& state, THostKeyQuestion question)
{
    std::unique_lock guard(state.lock);
    state.question = std::move(question);
    state.changed.notify_all();
    state.changed.wait(guard, [&] { return state.answer.has_value() || Aborted(state) || state.closing; });
    return state.answer.value_or(TTrustAnswer::Refuse);
}

// The folder of the known-hosts file, made private to the user where it is made here.
void PrepareKnownHostsFolder(const std::string& knownHosts)
{
    for (std::size_t slash = knownHosts.find('/', 1); slash != std::string::npos;
         slash = knownHosts.find('/', slash + 1))
        mkdir(knownHosts.substr(0, slash).c_str(), 0700);
}

void RememberHostKey(ssh_session session, const std::string& knownHosts)
{
    PrepareKnownHostsFolder(knownHosts);
    // Made private before libssh appends to it. Not through umask: that is the whole process's, and
    // this runs beside the interface thread, whose files would be made with the wrong mode meanwhile.
    if (const int made = open(knownHosts.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600); made >= 0)
        close(made);
    // libssh writes to the file in its first slot: this program's own, never the user's OpenSSH file.
    ssh_options_set(session, SSH_OPTIONS_KNOWNHOSTS, knownHosts.c_str());
    const int rc = ssh_session_update_known_hosts(session);
    if (rc != SSH_OK)
        throw ESftpError(TTransferStep::Secure, std::string("Cannot remember the server's key: ") + ssh_get_error(session));
    chmod(knownHosts.c_str(), 0600);
}

// What one known-hosts file alone says of the server's key (hashed names and "[host]:port" entries
// included): libssh reads both of its slots, so both name the file.
ssh_known_hosts_e VerdictOf(ssh_session session, const std::string& file)
{
    ssh_options_set(session, SSH_OPTIONS_KNOWNHOSTS, file.c_str());
    ssh_options_set(session, SSH_OPTIONS_GLOBAL_KNOWNHOSTS, file.c_str());
    return ssh_session_is_known_server(session);
}

enum class TKeyStanding { Listed, Unknown, Changed };

struct TKnownHostsVerdict {
    TKeyStanding Standing = TKeyStanding::Unknown;
    std::string ChangedIn;  // the file listing another key, for a changed one
};

// The key is trusted when any file lists it, as OpenSSH does; otherwise a file that lists another key
// for the server makes it a changed key.
TKnownHostsVerdict CheckKnownHosts(ssh_session session, const TKnownHostsFiles& knownHosts)
{
    TKnownHostsVerdict verdict;
    for (const std::string& file : {knownHosts.Own, knownHosts.OpenSsh, std::string(kSystemKnownHosts)}) {
        if (file.empty()) continue;
        switch (VerdictOf(session, file)) {
        case SSH_KNOWN_HOSTS_OK: return {TKeyStanding::Listed, {}};
        case SSH_KNOWN_HOSTS_ERROR: throw ESftpError(TTransferStep::Secure, ssh_get_error(session));
        case SSH_KNOWN_HOSTS_CHANGED:
        case SSH_KNOWN_HOSTS_OTHER:
            if (verdict.Standing != TKeyStanding::Changed) verdict = {TKeyStanding::Changed, file};
            break;
        default: break;
        }
    }
    return verdict;
}

void VerifyHostKey(State& state, ssh_session session, const TSftpTarget& target, const TKnownHostsFiles& knownHosts)
{
    EnterStep(state, TTransferStep::Secure);
    const TKnownHostsVerdict verdict = CheckKnownHosts(session, knownHosts);
    if (verdict.Standing == TKeyStanding::Listed) return;
    THostKeyQuestion question{HostForMessages(target), target.Port, {}, {}};
    question.Fingerprint = ServerKeyFingerprint(session, question.KeyType);
    if (verdict.Standing == TKeyStanding::Changed) {
        throw ESftpError(TTransferStep::Secure,
                         "WARNING: the server " + question.Host + " shows a different key (" + question.KeyType + " " +
                             question.Fingerprint + ") from the one remembered for it. Someone may be "
                             "intercepting the connection, so nothing was sent. If the server's key was "
                             "changed on purpose, remove its line from " + verdict.ChangedIn + ".");
    }
    if (AskAboutHostKey(state, question) != TTrustAnswer::TrustAndRemember)
        throw ESftpError(TTransferStep::Secure, "The key of " + question.Host + " was not trusted; nothing was sent.");
    RememberHostKey(session, knownHosts.Own);
}

// Password first; servers that ask through keyboard-interactive prompts get the password for each
// prompt that does not echo.
void LogIn(State& state, ssh_session session, const TSftpTarget& target)
{
    EnterStep(state, TTransferStep::LogIn);
    int rc = ssh_userauth_password(session, nullptr, target.Password.c_str());
    if (rc == SSH_AUTH_DENIED && (ssh_userauth_list(session, nullptr) & SSH_AUTH_METHOD_INTERACTIVE)) {
        rc = ssh_userauth_kbdint(session, nullptr, nullptr);
        while (rc == SSH_AUTH_INFO) {
            const int prompts = ssh_userauth_kbdint_getnprompts(session);
            for (int i = 0; i < prompts; ++i) {
                char echo = 0;
                ssh_userauth_kbdint_getprompt(session, i, &echo);
                ssh_userauth_kbdint_setanswer(session, i, echo ? target.User.c_str() : target.Password.c_str());
            }
            rc = ssh_userauth_kbdint(session, nullptr, nullptr);
        }
    }
    if (rc == SSH_AUTH_SUCCESS) return;
    if (rc == SSH_AUTH_ERROR) throw ESftpError(TTransferStep::LogIn, ssh_get_error(session));
    throw ESftpError(TTransferStep::LogIn, "The server refused the log-in of user \"" + target.User + "\".");
}

std::string SftpErrorText(sftp_session sftp)
{
    switch (sftp_get_error(sftp)) {
    case SSH_FX_NO_SUCH_FILE:
    case SSH_FX_NO_SUCH_PATH: return "No such file or folder";
    case SSH_FX_PERMISSION_DENIED: return "Permission denied";
    case SSH_FX_WRITE_PROTECT: return "The server's disk is write-protected";
    case SSH_FX_CONNECTION_LOST: return "The connection was lost";
    default: return "The server reported a failure";
    }
}

void CheckDirectory(State& state, sftp_session sftp, const std::string& directory)
{
    if (directory.empty()) return;
    EnterStep(state, TTransferStep::Directory);
    sftp_attributes attributes = sftp_stat(sftp, directory.c_str());
    if (!attributes) throw ESftpError(TTransferStep::Directory, "\"" + directory + "\": " + SftpErrorText(sftp));
    const bool isFolder = attributes->type == SSH_FILEXFER_TYPE_DIRECTORY;
    sftp_attributes_free(attributes);
    if (!isFolder) throw ESftpError(TTransferStep::Directory, "\"" + directory + "\" is not a folder");
}

std::string RemotePath(std::string directory, const std::string& localPath)
{
    const std::string name = FileNamePart(localPath);
    while (directory.size() > 1 && directory.back() == '/') directory.pop_back();
    if (directory.empty()) return name;
    return directory == "/" ? "/" + name : directory + "/" + name;
}

void SendFile(State& state, sftp_session sftp, const std::string& directory, const std::string& localPath)
{
    EnterStep(state, TTransferStep::Send);
    TFileDescriptor local(open(localPath.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat info {};
    if (!local.Valid() || fstat(local.Get(), &info) != 0)
        throw EFileError("Cannot open file \"" + localPath + "\". " + std::strerror(errno));
    if (!S_ISREG(info.st_mode)) throw EFileError("Cannot open file \"" + localPath + "\". Not a regular file");
    state.total = static_cast<std::uint64_t>(info.st_size);

    const std::string remote = RemotePath(directory, localPath);
    sftp_file file = sftp_open(sftp, remote.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (!file) throw ESftpError(TTransferStep::Send, "Cannot store \"" + remote + "\": " + SftpErrorText(sftp));
    std::unique_ptr<char[]> buffer(new char[kChunkSize]);
    std::string problem;
    for (ssize_t got; problem.empty() && (got = read(local.Get(), buffer.get(), kChunkSize)) != 0;) {
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) problem = "Cannot read file \"" + localPath + "\". " + std::strerror(errno);
        else if (sftp_write(file, buffer.get(), static_cast<size_t>(got)) != got) problem = SftpErrorText(sftp);
        else state.sent += static_cast<std::uint64_t>(got);
    }
    // Only the server's answer to the close says that every byte is stored.
    if (sftp_close(file) != SSH_NO_ERROR && problem.empty()) problem = SftpErrorText(sftp);
    if (!problem.empty()) throw ESftpError(TTransferStep::Send, "Cannot store \"" + remote + "\": " + problem);
}

void Finish(State& state, TSftpOutcome outcome, TTransferStep step, const std::string& message)
{
    std::lock_guard guard(state.lock);
    state.outcome = outcome;
    state.failedStep = step;
    state.message = message;
    state.done.store(true, std::memory_order_release);
    state.changed.notify_all();
}

// Every libssh object of one upload; the socket is withdrawn from Abort before libssh closes it.
class TSftpRun {
public:
    explicit TSftpRun(State& state) : state_(state) {}
    ~TSftpRun()
    {
        WithdrawSocket(state_);
        sftp_.reset();
        if (session_) ssh_disconnect(session_.get());
        session_.reset();
        // libssh leaves a descriptor it was given open, or may close it; by then the number may name
        // another file of the process, so it is closed only while it still names this connection.
        struct stat now {};
        if (ownSocket_ >= 0 && fstat(ownSocket_, &now) == 0 && now.st_dev == socketFile_.st_dev &&
            now.st_ino == socketFile_.st_ino)
            close(ownSocket_);
    }

    TSftpConnection Connection()
    {
        TSftpConnection connection{session_.get(), sftp_.get(), {}};
        connection.Progress = [&state = state_](std::uint64_t done, std::uint64_t total) {
            state.total = total;
            state.sent = done;
        };
        return connection;
    }

    void Run(const TSftpTarget& target, const std::string& localPath, const TKnownHostsFiles& knownHosts)
    {
        if (knownHosts.Own.empty())
            throw ESftpError(TTransferStep::Secure, "No home folder was found to keep the servers' keys in");
        ownSocket_ = ConnectSocket(state_, target);
        fstat(ownSocket_, &socketFile_);
        ClaimLibssh(state_);
        session_.reset(ssh_new());
        if (!session_) throw ESftpError(TTransferStep::Connect, "Out of memory");
        SetUpSession(session_.get(), target, ownSocket_, knownHosts);
        if (ssh_connect(session_.get()) != SSH_OK) throw ESftpError(TTransferStep::Connect, ssh_get_error(session_.get()));
        VerifyHostKey(state_, session_.get(), target, knownHosts);
        LogIn(state_, session_.get(), target);
        sftp_.reset(sftp_new(session_.get()));
        if (!sftp_ || sftp_init(sftp_.get()) != SSH_OK)
            throw ESftpError(TTransferStep::LogIn, std::string("The server offers no file transfer (SFTP): ") +
                                                   ssh_get_error(session_.get()));
        CheckDirectory(state_, sftp_.get(), target.Directory);
        if (!localPath.empty()) SendFile(state_, sftp_.get(), target.Directory, localPath);  // empty: a check
    }

private:
    State& state_;
    int ownSocket_ = -1;
    struct stat socketFile_ {};  // tells the connection from a file that later got its number
    std::unique_ptr<ssh_session_struct, SessionFree> session_;
    std::unique_ptr<sftp_session_struct, SftpFree> sftp_;
};

// Runs one request on the worker and records how it ended.
void Perform(State& state, const std::function<void()>& request)
{
    TSftpOutcome outcome = TSftpOutcome::Success;
    TTransferStep step = TTransferStep::LookUp;
    std::string message;
    try {
        request();
    } catch (const ESftpError& error) {
        outcome = TSftpOutcome::Failed;
        step = error.Step();
        message = error.what();
    } catch (const EFileError& error) {
        outcome = TSftpOutcome::FileError;
        message = error.what();
    } catch (const std::exception& error) {
        outcome = TSftpOutcome::Failed;
        step = static_cast<TTransferStep>(state.step.load());
        message = error.what();
    }
    Finish(state, outcome, step, message);
}

}  // namespace

void RunSftpUpload(State& state, const TSftpTarget& target, const std::string& localPath,
                   const TKnownHostsFiles& knownHosts)
{
    Perform(state, [&] { TSftpRun(state).Run(target, localPath, knownHosts); });
}

void RunSftpConnection(State& state, const TSftpTarget& target, const TKnownHostsFiles& knownHosts)
{
    TSftpRun run(state);
    bool opened = false;
    Perform(state, [&] {
        run.Run(target, std::string(), knownHosts);
        opened = true;
        state.open = true;
    });
    TSftpConnection connection = run.Connection();
    while (opened) {
        std::function<void(TSftpConnection&)> job;
        {
            std::unique_lock guard(state.lock);
            state.changed.wait(guard, [&] { return state.job || state.closing || Aborted(state); });
            if (!state.job || state.closing || Aborted(state)) break;
            job = std::move(state.job);
            state.job = nullptr;
        }
        Perform(state, [&] {
            try {
                job(connection);
            } catch (...) {
                if (!ssh_is_connected(connection.Ssh)) state.open = false;
                throw;
            }
        });
        job = nullptr;
        // A connection that broke under the job takes no more.
        if (!ssh_is_connected(connection.Ssh)) break;
    }
    state.open = false;
}

void PostSftpJob(State& state, TTransferStep step, std::function<void(TSftpConnection&)> job)
{
    std::lock_guard guard(state.lock);
    state.done = false;
    state.abortAt = 0;
    state.outcome = TSftpOutcome::Success;
    state.message.clear();
    state.sent = 0;
    state.total = 0;
    state.step = static_cast<int>(step);
    state.job = std::move(job);
    state.changed.notify_all();
}

TSftpWorkerRelease CloseSftpWorker(State& state)
{
    std::lock_guard guard(state.lock);
    state.closing = true;
    state.changed.notify_all();
    return state.usesLibssh ? TSftpWorkerRelease::Join : TSftpWorkerRelease::Detach;
}

void AbortSftpWorker(State& state, TSftpAbortReason reason)
{
    int none = static_cast<int>(TSftpAbortReason::None);
    state.abortReason.compare_exchange_strong(none, static_cast<int>(reason));
    std::lock_guard guard(state.lock);
    if (state.socket >= 0) shutdown(state.socket, SHUT_RDWR);
    state.changed.notify_all();
}

std::optional<THostKeyQuestion> TakeHostKeyQuestion(State& state)
{
    std::lock_guard guard(state.lock);
    if (!state.question || state.questionTaken) return std::nullopt;
    state.questionTaken = true;
    return state.question;
}

void AnswerHostKeyQuestion(State& state, TTrustAnswer answer)
{
    std::lock_guard guard(state.lock);
    state.answer = answer;
    state.changed.notify_all();
}

void WaitForSftpWorker(State& state, std::chrono::milliseconds most)
{
    std::unique_lock guard(state.lock);
    state.changed.wait_for(guard, most, [&] {
        return state.done.load() || (state.question && !state.questionTaken);
    });
}

void RaiseSftpOutcome(State& state)
{
    switch (static_cast<TSftpAbortReason>(state.abortReason.load())) {
    case TSftpAbortReason::Cancel: throw EAbortError("Upload aborted");
    case TSftpAbortReason::TimeOut: throw EAbortError("Upload timed out: the server gave no sign of progress");
    case TSftpAbortReason::None: break;
    }
    std::lock_guard guard(state.lock);
    switch (state.outcome) {
    case TSftpOutcome::Success: return;
    case TSftpOutcome::FileError: throw EFileError(state.message);
    case TSftpOutcome::Failed: throw ESftpError(state.failedStep, state.message);
    }
}
