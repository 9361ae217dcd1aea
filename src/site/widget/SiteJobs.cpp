#include "site/widget/SiteJobs.h"

#include "upload/dialogs/ProtocolTransfer.h"

#include <QCoreApplication>
#include <QThread>
#include <chrono>
#include <thread>

TSiteJobs::TSiteJobs(QObject* parent) : QObject(parent) {}

TSiteJobs::~TSiteJobs() { DropResultsAndWait(); }

void TSiteJobs::DropResultsAndWait()
{
    dropping_ = true;
    WaitAll();
}

void TSiteJobs::Start(std::function<void()> work, std::function<void(std::exception_ptr)> done)
{
    ++pending_;
    emit RunningChanged(++running_);
    std::thread([this, work = std::move(work), done = std::move(done)]() mutable {
        std::exception_ptr failure;
        try {
            work();
        } catch (...) {
            failure = std::current_exception();
        }
        QMetaObject::invokeMethod(
            this,
            [this, done = std::move(done), failure] {
                emit RunningChanged(running_ - 1);
                if (done && !dropping_)
                    done(failure);
                --pending_;
            },
            Qt::QueuedConnection);
        // Last: once the count drops, WaitAll may let the window go.
        --running_;
    }).detach();
}

std::exception_ptr TSiteJobs::RunAndWait(std::function<void()> work)
{
    std::atomic<bool> done = false;
    std::exception_ptr failure;
    ++running_;
    std::thread worker([&] {
        try {
            work();
        } catch (...) {
            failure = std::current_exception();
        }
        done = true;
    });
    while (!done) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    worker.join();
    --running_;
    return failure;
}

void TSiteJobs::WaitAll()
{
    // A worker may be waiting for an answer from this thread, so events keep flowing while it waits.
    while (running_ > 0) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

TTrustAnswer AskOnUiThread(const std::function<TTrustAnswer()>& question)
{
    QCoreApplication* application = QCoreApplication::instance();
    if (application == nullptr || QThread::currentThread() == application->thread())
        return question();
    TTrustAnswer answer = TTrustAnswer::Refuse;
    QMetaObject::invokeMethod(application, [&] { answer = question(); }, Qt::BlockingQueuedConnection);
    return answer;
}

TTrustAnswer TWindowTrustListener::AskCertificate(const TCertificateQuestion& question)
{
    const TUntrustedCertificate asked{question.Host, question.Port, question.Certificate, question.PinnedFingerprint};
    return AskOnUiThread([&] { return AskAboutCertificate(asked); });
}

TTrustAnswer TWindowTrustListener::AskHostKey(const THostKeyQuestion& question)
{
    return AskOnUiThread([&] { return AskAboutHostKey(question); });
}
