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

class TKeptSession::TInUse {
public:
    TInUse(TKeptSession& kept, TRemoteSession& session) : kept_(kept), session_(session)
    {
        const std::lock_guard lock(kept_.mutex_);
        if (kept_.cancelled_)
            throw ETransferError(TTransferStep::LookUp, TFailureKind::Cancelled, 0, "Cancelled");
        kept_.inUse_.insert(&session_);
    }
    ~TInUse()
    {
        const std::lock_guard lock(kept_.mutex_);
        kept_.inUse_.erase(&session_);
    }

private:
    TKeptSession& kept_;
    TRemoteSession& session_;
};

void TKeptSession::Use(const std::function<void(TRemoteSession&)>& operation)
{
    std::unique_ptr<TRemoteSession> session;
    {
        const std::lock_guard lock(mutex_);
        session = std::move(idle_);
    }
    const bool connected = session != nullptr;
    if (!connected)
        session = MakeRemoteSession(profile_, options_, *listener_);
    {
        const TInUse inUse(*this, *session);
        if (!connected)
            session->Open();
        try {
            operation(*session);
        } catch (const ETransferError& error) {
            if (error.Kind() != TFailureKind::Permanent)
                throw;
            const std::lock_guard lock(mutex_);
            if (!idle_ && !cancelled_)
                idle_ = std::move(session);
            throw;
        }
    }
    const std::lock_guard lock(mutex_);
    if (!idle_ && !cancelled_)
        idle_ = std::move(session);
}

void TKeptSession::Cancel()
{
    const std::lock_guard lock(mutex_);
    cancelled_ = true;
    for (TRemoteSession* session : inUse_)
        session->Cancel();
    if (idle_)
        idle_->Cancel();
}
