#pragma once
// The worker side of TSftpSession and the state it shares with the waiting thread. The worker owns every
// libssh object; the waiting thread only reads progress, answers the host-key question and may abort by
// shutting the socket down (through a duplicate descriptor of its own), which ends any blocking libssh
// call at once.

#include "net/SftpSession.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>

enum class TSftpAbortReason { None, Cancel, TimeOut };
enum class TSftpOutcome { Success, Failed, FileError };

struct TSftpSession::State {
    std::atomic<int> step{static_cast<int>(TTransferStep::LookUp)};
    std::atomic<std::uint64_t> sent{0};
    std::atomic<std::uint64_t> total{0};
    std::atomic<int> abortReason{static_cast<int>(TSftpAbortReason::None)};
    std::atomic<bool> done{false};  // the request in hand (the upload, the opening, a job) is over
    std::atomic<bool> open{false};  // an opened connection waits for jobs
    // Steady-clock ticks after which the waiting thread aborts (AbortAfter); 0: none set.
    std::atomic<std::int64_t> abortAt{0};

    std::mutex lock;  // guards everything below
    std::condition_variable changed;
    int socket = -1;  // the worker's connection, duplicated for Abort; closed when withdrawn
    std::optional<THostKeyQuestion> question;
    bool questionTaken = false;
    std::optional<TTrustAnswer> answer;
    TSftpOutcome outcome = TSftpOutcome::Success;
    TTransferStep failedStep = TTransferStep::LookUp;
    std::string message;
    std::function<void(TSftpConnection&)> job;  // the next job for an open connection
    bool closing = false;
    bool usesLibssh = false;  // the worker made libssh objects (or is about to); Close then waits for it
};

// The known-hosts files a server's key is looked up in. New keys the user trusts go into Own only.
struct TKnownHostsFiles {
    std::string Own;
    std::string OpenSsh;  // the user's ~/.ssh/known_hosts; empty without a home folder
};

// The whole upload, run on the worker thread; ends with done set.
void RunSftpUpload(TSftpSession::State& state, const TSftpTarget& target, const std::string& localPath,
                   const TKnownHostsFiles& knownHosts);

// Opens the connection, then runs posted jobs until closed, aborted or the connection is lost.
void RunSftpConnection(TSftpSession::State& state, const TSftpTarget& target, const TKnownHostsFiles& knownHosts);
void PostSftpJob(TSftpSession::State& state, TTransferStep step, std::function<void(TSftpConnection&)> job);
enum class TSftpWorkerRelease { Join, Detach };
// Tells the worker to end; Join when it has libssh objects to let go of first, Detach when it never will.
TSftpWorkerRelease CloseSftpWorker(TSftpSession::State& state);

void AbortSftpWorker(TSftpSession::State& state, TSftpAbortReason reason);
std::optional<THostKeyQuestion> TakeHostKeyQuestion(TSftpSession::State& state);
void AnswerHostKeyQuestion(TSftpSession::State& state, TTrustAnswer answer);
void WaitForSftpWorker(TSftpSession::State& state, std::chrono::milliseconds most);
// Returns on success; otherwise throws what the outcome or the abort calls for.
void RaiseSftpOutcome(TSftpSession::State& state);
