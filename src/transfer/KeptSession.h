#pragma once
// One session to a server kept open between short operations (a listing, a download, a rename), so that
// each does not log in anew. An operation borrows it; one that finds it lent out runs on a session of
// its own, which is kept afterwards when the place is free by then. A session whose operation failed
// on the way (a reset, a time-out, a cancel, a local error) is dropped rather than kept, since its state
// is in doubt; a refusal by the server (a 5xx reply) leaves it as good as it was. The session itself
// reconnects once when the server dropped it while it waited.

#include "transfer/RemoteSession.h"

#include <functional>
#include <memory>
#include <mutex>
#include <set>

class TKeptSession {
public:
    TKeptSession(TConnectionProfile profile, TSessionOptions options, std::unique_ptr<TTransferListener> listener);
    // The session kept is let go without waiting for the server's goodbye.
    ~TKeptSession();
    TKeptSession(const TKeptSession&) = delete;
    TKeptSession& operator=(const TKeptSession&) = delete;

    const TConnectionProfile& Profile() const { return profile_; }
    // Runs operation on a session of the profile (any thread); what it throws comes back.
    void Use(const std::function<void(TRemoteSession&)>& operation);
    // For a window going away: ends the operations running now (a connection or log-in included) as
    // cancelled, and every later one fails so at once.
    void Cancel();

private:
    // A session's place among those in use, from before it connects until its operation ends.
    class TInUse;

    TConnectionProfile profile_;
    TSessionOptions options_;
    std::unique_ptr<TTransferListener> listener_;  // shared by every session made here
    std::mutex mutex_;
    std::unique_ptr<TRemoteSession> idle_;
    std::set<TRemoteSession*> inUse_;
    bool cancelled_ = false;
};
