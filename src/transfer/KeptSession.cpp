#include "transfer/KeptSession.h"

TKeptSession::TKeptSession(TConnectionProfile profile, TSessionOptions options, std::unique_ptr<TTransferListener> listener)
    : profile_(std::move(profile)), options_(std::move(options)), listener_(std::move(listener))
{
}

TKeptSession::~TKeptSession()
{
    if (idle_)
        idle_->Cancel();  // a server gone silent must not hold the window's close for its QUIT reply
}

void TKeptSession::Use(const std::function<void(TRemoteSession&)>& operation)
{
    std::unique_ptr<TRemoteSession> session;
    {
        const std::lock_guard lock(mutex_);
        session = std::move(idle_);
    }
    if (!session)
        session = OpenRemoteSession(profile_, options_, *listener_);
    try {
        operation(*session);
    } catch (const ETransferError& error) {
        if (error.Kind() != TFailureKind::Permanent)
            throw;
        const std::lock_guard lock(mutex_);
        if (!idle_)
            idle_ = std::move(session);
        throw;
    }
    const std::lock_guard lock(mutex_);
    if (!idle_)
        idle_ = std::move(session);
}
