#include "desktop/RecoveryWriter.h"

#include "editor/text/FileIO.h"

#include <algorithm>
#include <chrono>
#include <sys/resource.h>
#include <unistd.h>

TRecoveryWriter::TRecoveryWriter(TRecoverySession& session) : session_(session), thread_([this] { Loop(); }) {}

TRecoveryWriter::~TRecoveryWriter()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_one();
    thread_.join();
}

void TRecoveryWriter::Write(int page, std::string caption, std::string fileName, TTextSnapshot text)
{
    Push(Job{TJobKind::Write, page, std::move(caption), std::move(fileName), std::move(text), {}});
}

void TRecoveryWriter::Remove(int page)
{
    Push(Job{TJobKind::Remove, page, {}, {}, {}, {}});
}

void TRecoveryWriter::Run(std::function<void()> job)
{
    Push(Job{TJobKind::Run, 0, {}, {}, {}, std::move(job)});
}

void TRecoveryWriter::Push(Job job)
{
    Job replaced;  // freed after the lock is let go: a large page's index takes a moment to free
    {
        std::lock_guard lock(mutex_);
        const auto waiting = std::find_if(queue_.begin(), queue_.end(), [&](const Job& queued) {
            return job.Kind != TJobKind::Run && queued.Kind == TJobKind::Write && queued.Page == job.Page;
        });
        const bool found = waiting != queue_.end();
        if (found) replaced = std::move(*waiting);
        // A newer text takes the older one's turn; a removal drops the waiting write and goes
        // after any write already begun.
        if (found && job.Kind == TJobKind::Write) {
            *waiting = std::move(job);
        } else {
            if (found) queue_.erase(waiting);
            queue_.push_back(std::move(job));
        }
    }
    wake_.notify_one();
}

void TRecoveryWriter::WaitUntilIdle()
{
    std::unique_lock lock(mutex_);
    idle_.wait(lock, [this] { return queue_.empty() && !busy_; });
}

std::uint64_t TRecoveryWriter::WrittenCount() const
{
    std::lock_guard lock(mutex_);
    return written_;
}

double TRecoveryWriter::LastWriteSeconds() const
{
    std::lock_guard lock(mutex_);
    return lastWriteSeconds_;
}

void TRecoveryWriter::Loop()
{
    // Copies are background work: on a busy machine typing comes first. (A thread's own nice value
    // on Linux; elsewhere this asks for the whole process and is refused without harm.)
    (void)::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), 10);
    std::unique_lock lock(mutex_);
    while (true) {
        wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
        if (queue_.empty()) return;  // stopping, and nothing left to do
        Job job = std::move(queue_.front());
        queue_.pop_front();
        busy_ = true;
        lock.unlock();
        Do(job);
        job = Job{};  // lets go of the snapshot's text outside the lock
        lock.lock();
        busy_ = false;
        idle_.notify_all();
    }
}

void TRecoveryWriter::Do(const Job& job)
{
    switch (job.Kind) {
    case TJobKind::Write:
        break;
    case TJobKind::Remove:
        session_.RemoveCopy(job.Page);
        return;
    case TJobKind::Run:
        job.Function();
        return;
    }
    const auto start = std::chrono::steady_clock::now();
    try {
        session_.WriteCopy(job.Page, job.Caption, job.FileName, job.Text);
    } catch (const EFileError&) {
        // A copy that cannot be written (disk full) leaves the previous one; the next pause tries again.
        return;
    }
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    std::lock_guard lock(mutex_);
    ++written_;
    lastWriteSeconds_ = took.count();
}
