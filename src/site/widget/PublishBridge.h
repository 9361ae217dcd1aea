#pragma once
// Carries what a publish running on worker threads tells (files started and finished, bytes, the
// whole's progress) to the queue on the user-interface thread. Byte counts arrive for every packet, so
// they are gathered and shown at most once per pass of the event loop; starts and ends are passed on in
// order. Trust questions are asked on the user-interface thread while the worker waits.

#include "site/SitePublisher.h"

#include <QObject>
#include <QPointer>
#include <deque>
#include <map>
#include <memory>
#include <mutex>

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
    void Deliver();

    QPointer<TPublishQueue> queue_;
    std::mutex mutex_;
    TPending pending_;
    std::mutex listenersMutex_;
    std::deque<std::unique_ptr<TCountingListener>> listeners_;  // live as long as the publish
};
