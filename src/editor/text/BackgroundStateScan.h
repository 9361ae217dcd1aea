#pragma once
// End states of a large page's lines computed on other cores right after the page is loaded or
// its highlighter set, so that jumping to the end of ten million lines at once finds the states
// above it ready instead of scanning them all then. The scan reads the loaded bytes themselves
// (shared, and never written while shared) and splits them by the load rule, so it touches nothing
// the editing thread changes; the highlight store stops it at the first change of the text and
// takes over only states of text that is still as loaded. Its results equal a scan on the editing
// thread, line for line.
//
// Two threads share the work: one scans from the top, the other from the middle as if a line
// started there in the state of a page's start. When the first reaches the middle it scans on,
// comparing, until a line ends in the state the second found for it: from there on the second's
// states are those of a scan from the top. Should the first catch up with the second instead, the
// second stops and the first scans on alone.

#include "highlight/CustomHighlighter.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

class TBackgroundStateScan {
public:
    // Pages with fewer lines scan fast enough on the editing thread.
    static constexpr int kMinLines = 1 << 17;

    // scanners: highlighters of the same rules as the page's, each used by one scan thread alone;
    // without the second, one thread scans the whole page.
    TBackgroundStateScan(std::shared_ptr<const std::string> text, std::unique_ptr<TCustomHighlighter> scanner,
                         std::unique_ptr<TCustomHighlighter> secondScanner, int lineCount);
    ~TBackgroundStateScan();  // stops the scan and waits for its threads
    TBackgroundStateScan(const TBackgroundStateScan&) = delete;
    TBackgroundStateScan& operator=(const TBackgroundStateScan&) = delete;

    // Lines from the first whose end states are known.
    int LinesDone() const { return done_.load(std::memory_order_acquire); }
    // Waits until at least `lines` lines are done (or all are); returns LinesDone().
    int WaitForLines(int lines);
    // The end states of the lines from `line` on, valid below LinesDone().
    const std::uint8_t* EndStates(int line) const { return states_.get() + line; }

private:
    static constexpr int kPublishLines = 4096;

    // Where a run of lines starts, and its first line's start state.
    struct Start {
        std::size_t Byte;
        int Line;
        int State;
    };

    void RunFromTop();
    void RunFromMiddle();
    // Scans the lines from `from` up to endLine into states_; returns where the next line starts.
    Start ScanLines(TCustomHighlighter& scanner, Start from, int endLine);
    // The first thread, at the middle line, scans on until its state agrees with the second's
    // (true: the second's states count from there) or it catches up with the second (false: the
    // second is stopped, and this thread goes on alone).
    bool MeetSecond(Start& at);
    void StopSecond();
    void Publish(int lines);
    void PublishFromMiddle(int lines);
    // The first scan met the second's states at `line` (line and those after are the second's).
    void Joined(int line);

    std::shared_ptr<const std::string> text_;
    std::unique_ptr<TCustomHighlighter> scanner_;
    std::unique_ptr<TCustomHighlighter> secondScanner_;
    int lineCount_;
    // Filled from both ends; not zeroed first, so that the states of a page cost only what is written.
    std::unique_ptr<std::uint8_t[]> states_;
    Start middle_{0, 0, 0};  // where the second thread started; Line 0 when there is none
    std::atomic<int> done_{0};
    std::atomic<bool> stop_{false};
    std::atomic<bool> stopSecond_{false};
    std::mutex mutex_;
    // Under mutex_: lines the second thread finished from middle_.Line, and whether its states count.
    int secondDone_ = 0;
    int topClaimed_ = 0;  // lines the first thread scans or has scanned
    bool joined_ = false;
    std::condition_variable progressed_;
    std::thread thread_;
    std::thread secondThread_;
};
