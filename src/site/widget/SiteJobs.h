#pragma once
// Work of the site window that waits on the network or the disk runs here, on threads of its own, so
// the window never blocks: a job's result comes back to the user-interface thread as a queued call,
// and a question a worker must ask (a certificate, a host key) is put on the user-interface thread
// while the worker waits for the answer.

#include "transfer/RemoteSession.h"

#include <QObject>
#include <atomic>
#include <exception>
#include <functional>

class TSiteJobs : public QObject {
    Q_OBJECT
public:
    explicit TSiteJobs(QObject* parent = nullptr);
    // Waits for the jobs still running (their results are dropped).
    ~TSiteJobs() override;

    // work runs on a thread of its own; done then runs on the user-interface thread with what work
    // threw, if anything.
    void Start(std::function<void()> work, std::function<void(std::exception_ptr)> done);
    int Running() const { return running_; }
    // Jobs started whose done has not run yet: a job that ended is still pending until its result is
    // shown (and whatever that starts has started).
    int Pending() const { return pending_; }
    // Runs work on a thread of its own and delivers user-interface events until it ends; what it threw
    // comes back. For a step in the middle of a dialogue with the user (a conflict's "Compare").
    std::exception_ptr RunAndWait(std::function<void()> work);
    // Delivers user-interface events until no job runs.
    void WaitAll();
    // For a window going away: results still to come are dropped, and the jobs waited for.
    void DropResultsAndWait();

signals:
    void RunningChanged(int running);

private:
    std::atomic<int> running_ = 0;
    int pending_ = 0;  // on the user-interface thread only
    bool dropping_ = false;
};

// Runs question on the user-interface thread and hands back its answer; called from a worker it waits.
TTrustAnswer AskOnUiThread(const std::function<TTrustAnswer()>& question);

// A session's listener whose trust questions go to the user as the Upload window puts them.
class TWindowTrustListener : public TTransferListener {
public:
    TTrustAnswer AskCertificate(const TCertificateQuestion& question) override;
    TTrustAnswer AskHostKey(const THostKeyQuestion& question) override;
};
