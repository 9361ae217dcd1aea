#pragma once
// Runs a publish plan: the uploads go through a queue served by 1 to 8 sessions, each driven by a thread
// of its own; then the removals and the record updates. A transient failure (a 4xx reply, a reset, a
// time-out) is tried again after a pause (0.5, 1, 2 s) on a fresh session, at most 3 times; a permanent
// one ends that file and the others go on. Each upload that ends is written to the record at once, so a
// publish stopped in the middle resumes where it was. Where the session did not say how the server lists
// an uploaded file, the folder is listed once its last upload ends and the record takes the times from there. Cancel (any thread) ends the waits in progress.
//
// The observer hears, from the worker threads but one call at a time, what starts, what ends and the
// progress of all transfers together; it also answers the sessions' trust questions.

#include "site/PublishPlan.h"
#include "site/PublishRecord.h"
#include "transfer/RemoteSession.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

struct TPublishProgress {
    std::size_t FilesDone = 0;
    std::size_t FilesTotal = 0;  // uploads and removals
    std::uint64_t BytesDone = 0;
    std::uint64_t BytesTotal = 0;
    double Seconds = 0;          // since the start
};

enum class TItemOutcome : std::uint8_t { Done, Failed, Cancelled };

struct TItemResult {
    std::string Path;
    TPublishAction Action = TPublishAction::Upload;
    TItemOutcome Outcome = TItemOutcome::Done;
    std::string Error;  // for Failed: what went wrong, with the server's words
    int Attempts = 0;
    std::uint64_t Bytes = 0;
};

class TPublishObserver {
public:
    virtual ~TPublishObserver() = default;
    virtual void ItemStarted(const TPublishItem&) {}
    virtual void ItemRetrying(const TPublishItem&, int /*attempt*/, const std::string& /*error*/) {}
    virtual void ItemFinished(const TItemResult&) {}
    virtual void Progress(const TPublishProgress&) {}
    virtual TTrustAnswer AskCertificate(const TCertificateQuestion&) { return TTrustAnswer::Refuse; }
    virtual TTrustAnswer AskHostKey(const THostKeyQuestion&) { return TTrustAnswer::Refuse; }
};

// A listener that passes everything on to another, which can be changed while the session lives: the
// session that lists the server is opened with one, so that the publish can take it over as it is.
class TRelayListener : public TTransferListener {
public:
    explicit TRelayListener(TTransferListener& target) : target_(&target) {}
    void PointTo(TTransferListener& target) { target_ = &target; }
    void StepStarted(TTransferStep step) override { target_.load()->StepStarted(step); }
    void BytesMoved(std::uint64_t done, std::uint64_t total) override { target_.load()->BytesMoved(done, total); }
    TTrustAnswer AskCertificate(const TCertificateQuestion& question) override
    {
        return target_.load()->AskCertificate(question);
    }
    TTrustAnswer AskHostKey(const THostKeyQuestion& question) override { return target_.load()->AskHostKey(question); }

private:
    std::atomic<TTransferListener*> target_;
};

// Makes one more session to the site's server (MakeRemoteSession: not yet connected; the publisher
// opens it), telling the given listener what it does.
using TSessionOpener = std::function<std::unique_ptr<TRemoteSession>(TTransferListener&)>;

struct TPublishReport {
    std::vector<TItemResult> Results;  // every item run, in the order they ended
    bool Cancelled = false;
    std::size_t Failed() const;
};

class TSitePublisher {
public:
    TSitePublisher(std::string siteFolder, std::string remoteFolder, TPublishRecord& record, TSessionOpener opener,
                   TPublishObserver& observer, int parallel);
    ~TSitePublisher();

    // first: a session already open (the one that listed the server) with the relay it was opened with,
    // or null. remoteFolders: the folders the server has (TRemoteTree::Folders); others are made.
    TPublishReport Run(const TPublishPlan& plan, std::unique_ptr<TRemoteSession> first, TRelayListener* relay,
                       const std::set<std::string>& remoteFolders);
    void Cancel();

private:
    class TWorker;
    friend class TWorker;

    const TPublishItem* NextItem();
    void Finish(const TPublishItem& item, TItemResult result);
    // Counts an upload of the folder as ended; when it was the last, hands over the entries that wait for
    // the folder's listing (true).
    bool LastUploadOf(const std::string& folder, std::vector<std::pair<std::string, TRecordEntry>>& awaiting);
    void Moved(std::uint64_t bytes);
    TPublishProgress ProgressNow() const;
    bool Cancelled() const { return cancelled_; }

    std::string siteFolder_;
    std::string remoteFolder_;
    TPublishRecord& record_;
    TSessionOpener opener_;
    TPublishObserver& observer_;
    int parallel_;

    mutable std::mutex mutex_;  // everything below, and every observer call
    std::vector<const TPublishItem*> queue_;
    std::size_t next_ = 0;
    std::vector<TRemoteSession*> live_;
    std::map<std::string, std::size_t> uploadsLeft_;  // by folder
    std::map<std::string, std::vector<std::pair<std::string, TRecordEntry>>> awaitingTimes_;  // by folder
    TPublishReport report_;
    TPublishProgress progress_;
    std::uint64_t bytesFinished_ = 0;
    std::chrono::steady_clock::time_point start_;
    std::atomic<bool> cancelled_ = false;
    std::string lastOpenError_;
};
