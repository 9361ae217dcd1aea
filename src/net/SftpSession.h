#pragma once
// SFTP for code on the user-interface thread or a worker: one upload, or a connection kept open for
// jobs run one after another. libssh's calls block, so they run on a worker thread of the session while
// the caller waits and pumps the user interface, as every network wait here does. The server's key is
// checked before the password leaves the machine, against this program's own known-hosts file and the
// ones the user's OpenSSH reads (~/.ssh/known_hosts, then the system's): a key listed in any of them is
// trusted, a key that differs from the one listed is refused as changed, and a key seen for the first
// time is put to the caller with its fingerprint. What the user trusts is written to this program's own
// file only.

#include "net/TransferStep.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>

struct ssh_session_struct;
struct sftp_session_struct;

class ESftpError : public std::runtime_error {
public:
    ESftpError(TTransferStep step, const std::string& message) : std::runtime_error(message), step_(step) {}
    TTransferStep Step() const { return step_; }

private:
    TTransferStep step_;
};

struct TSftpTarget {
    std::string Host;  // a name, an IPv4 address, or an IPv6 address with or without brackets
    int Port = 22;
    std::string User;
    std::string Password;
    std::string Directory;  // empty: the log-in folder
};

struct THostKeyQuestion {
    std::string Host;
    int Port = 22;
    std::string KeyType;      // "ssh-ed25519", "ssh-rsa", ...
    std::string Fingerprint;  // "SHA256:" and the base64 digest
};

// An open connection as a job on the worker sees it.
struct TSftpConnection {
    ssh_session_struct* Ssh = nullptr;
    sftp_session_struct* Sftp = nullptr;
    // Bytes of the job's transfer, told to OnProgress on the waiting thread.
    std::function<void(std::uint64_t done, std::uint64_t total)> Progress;
};

class TSftpSession {
public:
    explicit TSftpSession(std::string knownHostsPath);
    ~TSftpSession();
    TSftpSession(const TSftpSession&) = delete;
    TSftpSession& operator=(const TSftpSession&) = delete;

    // Asked on the calling thread when the server's key is in no known-hosts file yet.
    std::function<TTrustAnswer(const THostKeyQuestion&)> OnNewHostKey;
    std::function<void(TTransferStep)> OnStep;
    std::function<void(std::uint64_t sent, std::uint64_t total)> OnProgress;
    // Seconds without any progress before the wait gives up; 0 waits forever.
    int Timeout = 60;

    // Stores the local file under its own name in target.Directory. Throws ESftpError naming the step that
    // failed, EAbortError when Abort or the time-out ended it, EFileError when the file cannot be read.
    void Upload(const TSftpTarget& target, const std::string& localPath);
    // Goes as far as the folder (look-up, connection, host key, log-in, folder) and sends nothing, so a
    // profile can be tried out. Throws as Upload does.
    void Check(const TSftpTarget& target);
    // Ends an upload in progress from inside the wait (a Cancel button), or from any other thread.
    void Abort();
    // Abort, unless the running job ends within grace: for a job that stops by itself when asked and
    // then tidies up on the connection it still has.
    void AbortAfter(std::chrono::milliseconds grace);

    // Goes as far as the folder, as Check does, and keeps the connection open for Run.
    void Open(const TSftpTarget& target);
    // Runs one job on the open connection on the worker while this thread waits; what the job throws
    // is thrown here. After an abort or a lost connection the session must be opened again.
    void Run(TTransferStep step, const std::function<void(TSftpConnection&)>& job);
    bool IsOpen() const;
    // Disconnects. Returns once the worker is done with every libssh object, so nothing of libssh is
    // still in use when the caller or the process goes on to end; a worker aborted before it made any
    // (in a slow name look-up) is left to finish on its own.
    void Close();

    struct State;

private:
    enum class TAbortWait { Leave, Finish };
    // Waits for the worker's request, answering its host-key question; throws its failure.
    void Await(State& state, TAbortWait abortWait);
    std::shared_ptr<State> CurrentState() const;
    // Closes what runs, then starts work on a worker of its own.
    std::shared_ptr<State> StartWorker(std::function<void(State&)> work);

    mutable std::mutex stateLock_;  // Abort may come from another thread
    std::shared_ptr<State> state_;
    std::thread worker_;  // runs on state_; guarded by stateLock_
    std::string knownHostsPath_;
};

// The known-hosts file of this program: $XDG_CONFIG_HOME/tallo/known_hosts (or ~/.config/...); empty
// without a home folder.
std::string DefaultKnownHostsPath();
// The user's OpenSSH one, read and never written: ~/.ssh/known_hosts; empty without a home folder.
std::string OpenSshKnownHostsPath();
