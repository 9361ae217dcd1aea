#include "editor/text/BackgroundStateScan.h"

#include "editor/text/TextBuffer.h"

#include <algorithm>
#include <string_view>

namespace {

// Where the first line starting at or after `from` starts, by the load rule; text.size() if none.
std::size_t NextLineStart(std::string_view text, std::size_t from)
{
    const std::size_t breakAt = from + LengthToLineBreak(text.data() + from, text.size() - from);
    if (breakAt >= text.size()) return text.size();
    const bool crLf = text[breakAt] == '\r' && breakAt + 1 < text.size() && text[breakAt + 1] == '\n';
    return breakAt + (crLf ? 2 : 1);
}

}  // namespace

TBackgroundStateScan::TBackgroundStateScan(std::shared_ptr<const std::string> text,
                                           std::unique_ptr<TCustomHighlighter> scanner,
                                           std::unique_ptr<TCustomHighlighter> secondScanner, int lineCount)
    : text_(std::move(text)),
      scanner_(std::move(scanner)),
      secondScanner_(std::move(secondScanner)),
      lineCount_(lineCount),
      states_(new std::uint8_t[static_cast<std::size_t>(lineCount)])
{
    // The second first: the first thread may join it.
    if (secondScanner_) secondThread_ = std::thread([this] { RunFromMiddle(); });
    thread_ = std::thread([this] { RunFromTop(); });
}

TBackgroundStateScan::~TBackgroundStateScan()
{
    stop_.store(true, std::memory_order_relaxed);
    thread_.join();
    if (secondThread_.joinable()) secondThread_.join();
}

void TBackgroundStateScan::Publish(int lines)
{
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        if (lines > done_.load(std::memory_order_relaxed)) done_.store(lines, std::memory_order_release);
    }
    progressed_.notify_all();
}

void TBackgroundStateScan::PublishFromMiddle(int lines)
{
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        secondDone_ = lines;
        const int done = middle_.Line + lines;
        if (joined_ && done > done_.load(std::memory_order_relaxed)) done_.store(done, std::memory_order_release);
    }
    progressed_.notify_all();
}

void TBackgroundStateScan::Joined(int line)
{
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        joined_ = true;
        const int done = std::max(line, middle_.Line + secondDone_);
        if (done > done_.load(std::memory_order_relaxed)) done_.store(done, std::memory_order_release);
    }
    progressed_.notify_all();
}

int TBackgroundStateScan::WaitForLines(int lines)
{
    lines = std::min(lines, lineCount_);
    std::unique_lock<std::mutex> lock(mutex_);
    progressed_.wait(lock, [&] { return done_.load(std::memory_order_relaxed) >= lines; });
    return done_.load(std::memory_order_relaxed);
}

TBackgroundStateScan::Start TBackgroundStateScan::ScanLines(TCustomHighlighter& scanner, Start from, int endLine)
{
    const std::string_view text = *text_;
    std::size_t start = from.Byte;
    int state = from.State;
    for (int line = from.Line; line < endLine; ++line) {
        const std::size_t length = LengthToLineBreak(text.data() + start, text.size() - start);
        scanner.SetState(state);
        scanner.StartLine(text.substr(start, length), line);
        scanner.ScanToLineEnd();
        state = scanner.GetState();
        states_[static_cast<std::size_t>(line)] = static_cast<std::uint8_t>(state);
        // The load rule: every LF, and every CR not followed by LF, ends a line.
        const std::size_t end = start + length;
        const bool crLf = end + 1 < text.size() && text[end] == '\r' && text[end + 1] == '\n';
        start = std::min(text.size(), end + (crLf ? 2 : 1));
    }
    return {start, endLine, state};
}

void TBackgroundStateScan::RunFromMiddle()
{
    const std::string_view text = *text_;
    const std::size_t byte = NextLineStart(text, text.size() / 2);
    if (byte >= text.size()) return;
    const int line = static_cast<int>(CountLineBreaks(text.substr(0, byte)));
    if (line <= 0 || line >= lineCount_) return;
    secondScanner_->ResetState();
    Start at{byte, line, secondScanner_->GetState()};
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        if (line < topClaimed_) return;  // the first thread is already there
        middle_ = at;
    }
    while (at.Line < lineCount_) {
        if (stop_.load(std::memory_order_relaxed) || stopSecond_.load(std::memory_order_relaxed)) return;
        at = ScanLines(*secondScanner_, at, std::min(lineCount_, at.Line + kPublishLines));
        PublishFromMiddle(at.Line - line);
    }
}

void TBackgroundStateScan::StopSecond()
{
    stopSecond_.store(true, std::memory_order_relaxed);
    if (secondThread_.joinable()) secondThread_.join();  // its writes end before this thread's begin
}

bool TBackgroundStateScan::MeetSecond(Start& at)
{
    if (at.State == middle_.State) {
        Joined(at.Line);
        return true;
    }
    int secondEnd = 0;
    for (int scanned = 1; at.Line < lineCount_; ++scanned) {
        if (at.Line >= secondEnd) {
            const std::lock_guard<std::mutex> lock(mutex_);
            secondEnd = middle_.Line + secondDone_;
        }
        if (at.Line >= secondEnd) break;  // caught up with the second thread: no use for it
        const int theirs = states_[static_cast<std::size_t>(at.Line)];  // read before this scan writes it
        at = ScanLines(*scanner_, at, at.Line + 1);
        if (at.State == theirs) {
            Joined(at.Line);
            return true;
        }
        if (stop_.load(std::memory_order_relaxed)) return true;
        if (scanned % kPublishLines == 0) Publish(at.Line);
    }
    StopSecond();
    return false;
}

void TBackgroundStateScan::RunFromTop()
{
    scanner_->ResetState();
    Start at{0, 0, scanner_->GetState()};
    bool alone = !secondScanner_;
    while (at.Line < lineCount_) {
        if (stop_.load(std::memory_order_relaxed)) return;
        int end = std::min(lineCount_, at.Line + kPublishLines);
        if (!alone) {
            int middleLine;
            {
                // The lines up to `end` are claimed, so that the second thread cannot start among them.
                const std::lock_guard<std::mutex> lock(mutex_);
                middleLine = middle_.Line;
                if (middleLine > at.Line) end = std::min(end, middleLine);
                topClaimed_ = end;
            }
            if (middleLine > 0 && middleLine == at.Line) {
                if (MeetSecond(at)) return;
                alone = true;
                continue;
            }
        }
        at = ScanLines(*scanner_, at, end);
        Publish(at.Line);
    }
    Publish(at.Line);
}
