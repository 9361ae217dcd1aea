#include "net/SftpSession.h"

#include "base/UserFolders.h"
#include "net/MessagePump.h"
#include "net/SftpWorker.h"
#include "net/SocketErrors.h"

#include <chrono>
#include <sys/socket.h>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

// What the waiting thread has already reported, so each change is told once.
struct TReported {
    int step = -1;
    std::uint64_t sent = ~std::uint64_t{0};
    Clock::time_point lastProgress = Clock::now();
};

}  // namespace

TSftpSession::TSftpSession(std::string knownHostsPath) : knownHostsPath_(std::move(knownHostsPath))
{
}

TSftpSession::~TSftpSession()
{
    Abort();
    Close();
}

std::shared_ptr<TSftpSession::State> TSftpSession::CurrentState() const
{
    std::lock_guard guard(stateLock_);
    return state_;
}

void TSftpSession::Abort()
{
    if (const std::shared_ptr<State> state = CurrentState()) AbortSftpWorker(*state, TSftpAbortReason::Cancel);
}

void TSftpSession::AbortAfter(std::chrono::milliseconds grace)
{
    if (const std::shared_ptr<State> state = CurrentState())
        state->abortAt = (Clock::now() + grace).time_since_epoch().count();
}

std::shared_ptr<TSftpSession::State> TSftpSession::StartWorker(std::function<void(State&)> work)
{
    Close();
    auto state = std::make_shared<State>();
    std::thread worker([state, work = std::move(work)] { work(*state); });
    std::lock_guard guard(stateLock_);
    state_ = state;
    worker_ = std::move(worker);
    return state;
}

void TSftpSession::Upload(const TSftpTarget& target, const std::string& localPath)
{
    const TKnownHostsFiles knownHosts{knownHostsPath_, OpenSshKnownHostsPath()};
    const std::shared_ptr<State> state = StartWorker(
        [target, localPath, knownHosts](State& shared) { RunSftpUpload(shared, target, localPath, knownHosts); });
    Await(*state, TAbortWait::Leave);
}

void TSftpSession::Open(const TSftpTarget& target)
{
    const TKnownHostsFiles knownHosts{knownHostsPath_, OpenSshKnownHostsPath()};
    const std::shared_ptr<State> state =
        StartWorker([target, knownHosts](State& shared) { RunSftpConnection(shared, target, knownHosts); });
    Await(*state, TAbortWait::Leave);
}

bool TSftpSession::IsOpen() const
{
    const std::shared_ptr<State> state = CurrentState();
    return state && state->open.load() && state->abortReason.load() == static_cast<int>(TSftpAbortReason::None);
}

void TSftpSession::Run(TTransferStep step, const std::function<void(TSftpConnection&)>& job)
{
    const std::shared_ptr<State> state = CurrentState();
    if (!state || !IsOpen()) throw ESftpError(step, "Not connected");
    PostSftpJob(*state, step, job);
    // The job refers to the caller's objects: even after an abort, wait until the worker let go of it.
    Await(*state, TAbortWait::Finish);
}

void TSftpSession::Close()
{
    std::shared_ptr<State> state;
    std::thread worker;
    {
        std::lock_guard guard(stateLock_);
        state.swap(state_);
        worker.swap(worker_);
    }
    if (!state) return;
    // The worker keeps its state alive by itself; only libssh, torn down when the process ends, must
    // not be left in use.
    if (CloseSftpWorker(*state) == TSftpWorkerRelease::Join) worker.join();
    else worker.detach();
}

void TSftpSession::Await(State& stateRef, TAbortWait abortWait)
{
    State* const state = &stateRef;
    TReported reported;
    while (!state->done.load(std::memory_order_acquire)) {
        PumpMessages();
        const int step = state->step.load();
        const std::uint64_t sent = state->sent.load();
        if (step != reported.step || sent != reported.sent) reported.lastProgress = Clock::now();
        if (step != reported.step && OnStep) OnStep(static_cast<TTransferStep>(step));
        if (sent != reported.sent && OnProgress && step == static_cast<int>(TTransferStep::Send))
            OnProgress(sent, state->total.load());
        reported.step = step;
        reported.sent = sent;
        if (auto question = TakeHostKeyQuestion(*state)) {
            AnswerHostKeyQuestion(*state, OnNewHostKey ? OnNewHostKey(*question) : TTrustAnswer::Refuse);
            reported.lastProgress = Clock::now();  // the user's thinking time is no time-out
        }
        if (Timeout > 0 && Clock::now() - reported.lastProgress > std::chrono::seconds(Timeout))
            AbortSftpWorker(*state, TSftpAbortReason::TimeOut);
        if (const std::int64_t at = state->abortAt.load(); at != 0 && Clock::now().time_since_epoch().count() >= at)
            AbortSftpWorker(*state, TSftpAbortReason::Cancel);
        // An aborted worker may sit in a name look-up for long; the caller need not wait for it.
        if (abortWait == TAbortWait::Leave && state->abortReason.load() != static_cast<int>(TSftpAbortReason::None))
            break;
        WaitForSftpWorker(*state, std::chrono::milliseconds(2));
    }
    state->abortAt = 0;
    // The worker may finish between two looks: the last bytes still count, or a bar stops short of full.
    if (const std::uint64_t sent = state->sent.load(); sent != reported.sent && OnProgress &&
                                                       state->step.load() == static_cast<int>(TTransferStep::Send))
        OnProgress(sent, state->total.load());
    RaiseSftpOutcome(*state);
}

void TSftpSession::Check(const TSftpTarget& target)
{
    Upload(target, std::string());
}

std::string OpenSshKnownHostsPath()
{
    const std::string home = HomeFolder();
    return home.empty() ? std::string() : home + "/.ssh/known_hosts";
}

std::string DefaultKnownHostsPath()
{
    const std::string config = UserConfigFolder();
    return config.empty() ? std::string() : config + "/tallo/known_hosts";
}
