#pragma once
// Writes a run's recovery copies on a thread of its own, so that writing out a large page never
// holds up typing. Work is done in the order it was asked for, except that a newer copy of a page
// replaces one still waiting, and removing a page's copy drops its waiting write.

#include "desktop/RecoveryFolder.h"
#include "editor/text/TextSnapshot.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

class TRecoveryWriter {
public:
    explicit TRecoveryWriter(TRecoverySession& session);
    // Finishes the work asked for, then stops.
    ~TRecoveryWriter();
    TRecoveryWriter(const TRecoveryWriter&) = delete;
    TRecoveryWriter& operator=(const TRecoveryWriter&) = delete;

    void Write(int page, std::string caption, std::string fileName, TTextSnapshot text);
    void Remove(int page);
    // Runs a job on the writer's thread after everything asked for before it.
    void Run(std::function<void()> job);
    // Returns once everything asked for so far is done.
    void WaitUntilIdle();

    // Copies written so far and the time the last one took; a copy that failed is not counted.
    std::uint64_t WrittenCount() const;
    double LastWriteSeconds() const;

private:
    enum class TJobKind { Write, Remove, Run };
    struct Job {
        TJobKind Kind = TJobKind::Run;
        int Page = 0;
        std::string Caption;
        std::string FileName;
        TTextSnapshot Text;
        std::function<void()> Function;
    };

    void Push(Job job);
    void Loop();
    void Do(const Job& job);

    TRecoverySession& session_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable idle_;
    std::deque<Job> queue_;
    bool busy_ = false;
    bool stopping_ = false;
    std::uint64_t written_ = 0;
    double lastWriteSeconds_ = 0;
    std::thread thread_;
};
