#pragma once
// Carries what a publish running on worker threads tells (files started and finished, bytes, the
// whole's progress) to the queue on the user-interface thread. Byte counts arrive for every packet and
// small files end by the hundred a second, so what arrives is gathered and shown at most ten times a
// second (painting the queue for each would cost more than the publish); starts and ends are passed on
// in order, and what is left is shown when the bridge goes. Trust questions are asked on the
// user-interface thread while the worker waits. Made, used for showing and destroyed on that thread.

#include "site/SitePublisher.h"

#include <QObject>
#include <QPointer>
#include <chrono>
#include <deque>
#include <map>
#include <memory>
#include <mutex>

class QTimer;
class TPublishQueue;

class TPublishBridge : public TPublishObserver {
public:
    explicit TPublishBridge(TPublishQueue& queue);
    ~TPublishBridge() override;

    void ItemStarted(const TPublishItem& item) override;
    void ItemFinished(const TItemResult& result) override;
    void Progress(const TPublishProgress& progress) override;
    TTrustAnswer AskCertificate(const TCertificateQuestion& question) override;
    TTrustAnswer AskHostKey(const THostKeyQuestion& question) override;

    // Makes a session (not yet connected) whose byte counts also go to the row of the file its thread
    // is sending.
    std::unique_ptr<TRemoteSession> MakeCounted(const TConnectionProfile& profile, const TSessionOptions& options,
                                                TTransferListener& publisherListener);

private:
    class TCountingListener;
    struct TPending {
        std::deque<std::string> Started;
        std::deque<TItemResult> Finished;
        std::map<std::string, std::pair<std::uint64_t, std::uint64_t>> Bytes;
        std::optional<TPublishProgress> Progress;
        bool Posted = false;
    };

    void Bytes(const std::string& path, std::uint64_t done, std::uint64_t total);
    void Post(std::unique_lock<std::mutex>& lock);
    void DeliverSoon();
    void Deliver();

    QPointer<TPublishQueue> queue_;
    std::unique_ptr<QTimer> timer_;  // the next delivery, when the last was too recent
    std::chrono::steady_clock::time_point lastDelivery_;
    std::mutex mutex_;
    TPending pending_;
    std::mutex listenersMutex_;
    std::deque<std::unique_ptr<TCountingListener>> listeners_;  // live as long as the publish
};
