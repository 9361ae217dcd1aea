#include "editor/text/BackgroundStateScan.h"

#include <algorithm>
#include <string_view>

TBackgroundStateScan::TBackgroundStateScan(std::shared_ptr<const std::string> text,
                                           std::unique_ptr<TCustomHighlighter> scanner, int lineCount)
    : text_(std::move(text)), scanner_(std::move(scanner)), states_(static_cast<std::size_t>(lineCount))
{
    thread_ = std::thread([this] { Run(); });
}

TBackgroundStateScan::~TBackgroundStateScan()
{
    stop_.store(true, std::memory_order_relaxed);
    thread_.join();
}

void TBackgroundStateScan::Publish(int lines)
{
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        done_.store(lines, std::memory_order_release);
    }
    progressed_.notify_all();
}

int TBackgroundStateScan::WaitForLines(int lines)
{
    lines = std::min(lines, static_cast<int>(states_.size()));
    std::unique_lock<std::mutex> lock(mutex_);
    progressed_.wait(lock, [&] { return done_.load(std::memory_order_relaxed) >= lines; });
    return done_.load(std::memory_order_relaxed);
}

void TBackgroundStateScan::Run()
{
    const std::string_view text = *text_;
    const int lineCount = static_cast<int>(states_.size());
    std::size_t start = 0;
    scanner_->ResetState();
    int state = scanner_->GetState();
    int line = 0;
    for (; line < lineCount; ++line) {
        if (line % kPublishLines == 0) {
            Publish(line);
            if (stop_.load(std::memory_order_relaxed)) return;
        }
        // The load rule: every LF, and every CR not followed by LF, ends a line.
        std::size_t end = start;
        while (end < text.size() && text[end] != '\n' && text[end] != '\r') ++end;
        scanner_->SetState(state);
        scanner_->StartLine(text.substr(start, end - start), line);
        scanner_->ScanToLineEnd();
        state = scanner_->GetState();
        states_[static_cast<std::size_t>(line)] = static_cast<std::uint8_t>(state);
        const bool crLf = end + 1 < text.size() && text[end] == '\r' && text[end + 1] == '\n';
        start = std::min(text.size(), end + (crLf ? 2 : 1));
    }
    Publish(line);
}
