#include "site/widget/PublishBridge.h"

#include "site/widget/PublishQueue.h"
#include "site/widget/SiteJobs.h"

#include <QTimer>

namespace {

// The file the calling worker is sending: each worker drives its own session, so the session's byte
// counts on that thread belong to it.
thread_local std::string currentPath;

constexpr std::chrono::milliseconds kDeliveryInterval{100};

}  // namespace

class TPublishBridge::TCountingListener : public TTransferListener {
public:
    TCountingListener(TPublishBridge& bridge, TTransferListener& inner) : bridge_(bridge), inner_(inner) {}
    void StepStarted(TTransferStep step) override { inner_.StepStarted(step); }
    void BytesMoved(std::uint64_t done, std::uint64_t total) override
    {
        inner_.BytesMoved(done, total);
        if (!currentPath.empty())
            bridge_.Bytes(currentPath, done, total);
    }
    TTrustAnswer AskCertificate(const TCertificateQuestion& question) override { return inner_.AskCertificate(question); }
    TTrustAnswer AskHostKey(const THostKeyQuestion& question) override { return inner_.AskHostKey(question); }

private:
    TPublishBridge& bridge_;
    TTransferListener& inner_;
};

TPublishBridge::TPublishBridge(TPublishQueue& queue) : queue_(&queue), timer_(std::make_unique<QTimer>())
{
    timer_->setSingleShot(true);
    QObject::connect(timer_.get(), &QTimer::timeout, [this] { Deliver(); });
}

TPublishBridge::~TPublishBridge()
{
    timer_.reset();
    Deliver();
}

void TPublishBridge::ItemStarted(const TPublishItem& item)
{
    currentPath = item.Status.Path;
    std::unique_lock lock(mutex_);
    pending_.Started.push_back(item.Status.Path);
    Post(lock);
}

void TPublishBridge::ItemFinished(const TItemResult& result)
{
    currentPath.clear();
    std::unique_lock lock(mutex_);
    pending_.Bytes.erase(result.Path);
    pending_.Finished.push_back(result);
    Post(lock);
}

void TPublishBridge::Progress(const TPublishProgress& progress)
{
    std::unique_lock lock(mutex_);
    pending_.Progress = progress;
    Post(lock);
}

void TPublishBridge::Bytes(const std::string& path, std::uint64_t done, std::uint64_t total)
{
    std::unique_lock lock(mutex_);
    pending_.Bytes[path] = {done, total};
    Post(lock);
}

TTrustAnswer TPublishBridge::AskCertificate(const TCertificateQuestion& question)
{
    return TWindowTrustListener().AskCertificate(question);
}

TTrustAnswer TPublishBridge::AskHostKey(const THostKeyQuestion& question)
{
    return TWindowTrustListener().AskHostKey(question);
}

std::unique_ptr<TRemoteSession> TPublishBridge::MakeCounted(const TConnectionProfile& profile,
                                                            const TSessionOptions& options,
                                                            TTransferListener& publisherListener)
{
    TCountingListener* listener = nullptr;
    {
        const std::lock_guard lock(listenersMutex_);
        listeners_.push_back(std::make_unique<TCountingListener>(*this, publisherListener));
        listener = listeners_.back().get();
    }
    return MakeRemoteSession(profile, options, *listener);
}

void TPublishBridge::Post(std::unique_lock<std::mutex>& lock)
{
    if (pending_.Posted)
        return;
    pending_.Posted = true;
    lock.unlock();
    if (queue_)
        QMetaObject::invokeMethod(queue_.data(), [this] { DeliverSoon(); }, Qt::QueuedConnection);
}

void TPublishBridge::DeliverSoon()
{
    const auto since = std::chrono::steady_clock::now() - lastDelivery_;
    if (since >= kDeliveryInterval)
        Deliver();
    else if (timer_ && !timer_->isActive())
        timer_->start(std::chrono::duration_cast<std::chrono::milliseconds>(kDeliveryInterval - since));
}

void TPublishBridge::Deliver()
{
    lastDelivery_ = std::chrono::steady_clock::now();
    TPending taken;
    {
        const std::lock_guard lock(mutex_);
        std::swap(taken, pending_);
    }
    if (!queue_)
        return;
    for (const std::string& path : taken.Started)
        queue_->ItemStarted(QString::fromStdString(path));
    if (!taken.Started.empty())
        queue_->ShowRow(QString::fromStdString(taken.Started.back()));
    for (const auto& [path, bytes] : taken.Bytes)
        queue_->ItemBytes(QString::fromStdString(path), bytes.first, bytes.second);
    for (const TItemResult& result : taken.Finished)
        queue_->ItemFinished(result);
    if (taken.Progress)
        queue_->Progress(*taken.Progress);
}
