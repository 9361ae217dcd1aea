#pragma once
// End states of a large page's lines computed on another core right after the page is loaded or
// its highlighter set, so that jumping to the end of ten million lines at once finds the states
// above it ready instead of scanning them all then. The scan reads the loaded bytes themselves
// (shared, and never written while shared) and splits them by the load rule, so it touches nothing
// the editing thread changes; the highlight store stops it at the first change of the text and
// takes over only states of text that is still as loaded. Its results equal a scan on the editing
// thread, line for line.

#include "highlight/CustomHighlighter.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class TBackgroundStateScan {
public:
    // Pages with fewer lines scan fast enough on the editing thread.
    static constexpr int kMinLines = 1 << 17;

    // scanner: a highlighter of the same rules as the page's, used by the scan thread alone.
    TBackgroundStateScan(std::shared_ptr<const std::string> text, std::unique_ptr<TCustomHighlighter> scanner,
                         int lineCount);
    ~TBackgroundStateScan();  // stops the scan and waits for its thread
    TBackgroundStateScan(const TBackgroundStateScan&) = delete;
    TBackgroundStateScan& operator=(const TBackgroundStateScan&) = delete;

    // Lines from the first whose end states are known.
    int LinesDone() const { return done_.load(std::memory_order_acquire); }
    // Waits until at least `lines` lines are done (or all are); returns LinesDone().
    int WaitForLines(int lines);
    // The end state of a line below LinesDone().
    std::uint8_t EndState(int line) const { return states_[static_cast<std::size_t>(line)]; }

private:
    static constexpr int kPublishLines = 4096;

    void Run();
    void Publish(int lines);

    std::shared_ptr<const std::string> text_;
    std::unique_ptr<TCustomHighlighter> scanner_;
    std::vector<std::uint8_t> states_;
    std::atomic<int> done_{0};
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::condition_variable progressed_;
    std::thread thread_;
};
