#include "editor/text/HighlightStore.h"

#include "highlight/CustomHighlighter.h"

#include <algorithm>
#include <cassert>

void WalkLineTokens(TCustomHighlighter& highlighter, std::string_view line, int lineIndex,
                    const std::function<void(const TLineToken&)>& visit, std::size_t from)
{
    if (from == 0) highlighter.StartLine(line, lineIndex);
    else highlighter.StartLineAt(line, lineIndex, from);
    int emptyInARow = 0;
    while (!highlighter.AtLineEnd()) {
        TLineToken token;
        token.Start = highlighter.TokenStart();
        token.Attribute = highlighter.TokenAttribute();
        token.Kind = highlighter.TokenKind();
        highlighter.NextToken();
        token.Length = highlighter.TokenStart() - token.Start;
        if (token.Length <= 0) {
            if (++emptyInARow == 2) throw EHighlighterError("The highlighter seems to be in an infinite loop");
            continue;
        }
        emptyInARow = 0;
        visit(token);
    }
}

THighlightStore::THighlightStore(TTextBuffer& buffer) : buffer_(buffer)
{
    buffer_.AddObserver(this);
    TextReplaced();
}

THighlightStore::~THighlightStore()
{
    StopBackgroundScan();
    SetHighlighter(nullptr);
    buffer_.RemoveObserver(this);
}

void THighlightStore::SetHighlighter(TCustomHighlighter* highlighter)
{
    if (highlighter_ && listenerId_ >= 0) highlighter_->RemoveChangeListener(listenerId_);
    highlighter_ = highlighter;
    listenerId_ = -1;
    if (highlighter_) {
        listenerId_ = highlighter_->AddChangeListener([this] {
            RequestWholeScan();
            if (OnRepaint) OnRepaint();
        });
    }
    RequestWholeScan();
}

void THighlightStore::RequestWholeScan()
{
    stale_.clear();
    longLines_.Clear();
    if (buffer_.LineCount() > 0) stale_.push_back({0, buffer_.LineCount()});
    StartBackgroundScan();
}

void THighlightStore::StartBackgroundScan()
{
    StopBackgroundScan();
    if (!highlighter_ || buffer_.LineCount() < TBackgroundStateScan::kMinLines) return;
    std::shared_ptr<const std::string> text = buffer_.UneditedText();
    std::unique_ptr<TCustomHighlighter> scanner = highlighter_->NewScanner();
    if (!text || !scanner) return;
    background_ = std::make_unique<TBackgroundStateScan>(std::move(text), std::move(scanner),
                                                         highlighter_->NewScanner(), buffer_.LineCount());
}

void THighlightStore::TakeBackgroundStates(int line, TBackgroundWait wait)
{
    // While the scan runs the text is as loaded, so the stale lines are one run to the end.
    if (stale_.empty()) {
        StopBackgroundScan();
        return;
    }
    StaleRun& run = stale_.front();
    if (line < run.First) return;
    const int done = wait == TBackgroundWait::Yes ? background_->WaitForLines(line + 1) : background_->LinesDone();
    const int end = std::min(done, run.End);
    if (run.First < end) {
        states_.Assign(static_cast<std::size_t>(run.First), background_->EndStates(run.First),
                       static_cast<std::size_t>(end - run.First));
        run.First = end;
    }
    if (run.First == run.End) {
        stale_.erase(stale_.begin());
        StopBackgroundScan();
    }
}

int THighlightStore::ValidUpTo() const
{
    return stale_.empty() ? buffer_.LineCount() : stale_.front().First;
}

void THighlightStore::MarkStale(int first, int count)
{
    const int end = std::min(first + count, buffer_.LineCount());
    if (first >= end) return;
    // Insert in order, then merge runs that overlap or touch.
    auto at = std::lower_bound(stale_.begin(), stale_.end(), first,
                               [](const StaleRun& run, int line) { return run.End < line; });
    if (at != stale_.end() && at->First <= end) {
        at->First = std::min(at->First, first);
        at->End = std::max(at->End, end);
    } else {
        at = stale_.insert(at, StaleRun{first, end});
    }
    auto next = at + 1;
    while (next != stale_.end() && next->First <= at->End) {
        at->End = std::max(at->End, next->End);
        next = stale_.erase(next);
        at = next - 1;
    }
}

void THighlightStore::LineChanged(int line)
{
    StopBackgroundScan();
    MarkStale(line, 1);
    longLines_.LineChanged(line);
}

void THighlightStore::LineEdited(int line, std::size_t offset, std::size_t removed, std::size_t inserted)
{
    StopBackgroundScan();
    MarkStale(line, 1);
    longLines_.LineEdited(line, offset, removed, inserted);
}

void THighlightStore::LinesInserted(int first, int count)
{
    StopBackgroundScan();
    states_.insert(static_cast<std::size_t>(first), static_cast<std::size_t>(count), 0);
    longLines_.LinesInserted(first, count);
    for (StaleRun& run : stale_) {
        if (run.First >= first) {
            run.First += count;
            run.End += count;
        } else if (run.End > first) {
            run.End += count;
        }
    }
    // The inserted lines, and the line below them, whose line above is now another.
    MarkStale(first, count + 1);
}

void THighlightStore::LinesRemoved(int first, int count)
{
    StopBackgroundScan();
    states_.erase(static_cast<std::size_t>(first), static_cast<std::size_t>(count));
    longLines_.LinesRemoved(first, count);
    const auto map = [&](int line) { return line <= first ? line : std::max(first, line - count); };
    std::vector<StaleRun> mapped;
    mapped.reserve(stale_.size());
    for (const StaleRun& run : stale_) {
        const StaleRun moved{map(run.First), map(run.End)};
        if (moved.First >= moved.End) continue;
        if (!mapped.empty() && mapped.back().End >= moved.First)
            mapped.back().End = std::max(mapped.back().End, moved.End);
        else
            mapped.push_back(moved);
    }
    stale_ = std::move(mapped);
    // The line that now follows the gap has another line above it.
    MarkStale(first, 1);
}

void THighlightStore::TextReplaced()
{
    states_.clear();
    states_.ReserveWithRoom(static_cast<std::size_t>(buffer_.LineCount()));
    states_.insert(0, static_cast<std::size_t>(buffer_.LineCount()), 0);
    RequestWholeScan();
}

void THighlightStore::SetStartState(int line)
{
    if (line == 0)
        highlighter_->ResetState();
    else
        highlighter_->SetState(states_[static_cast<std::size_t>(line - 1)]);
}

void THighlightStore::ScanUpTo(int line)
{
    if (!highlighter_) return;
    // Lines near the scanned ones are scanned here; for lines far below, the other core is ahead.
    if (background_) {
        const bool far = stale_.empty() || line - stale_.front().First > kNearLines;
        TakeBackgroundStates(line, far ? TBackgroundWait::Yes : TBackgroundWait::No);
    }
    while (!stale_.empty() && stale_.front().First <= line) {
        const int current = stale_.front().First;
        const int state = ScanLine(current);
        assert(state >= 0 && state < 256);
        ++scannedLines_;

        std::uint8_t& stored = states_[static_cast<std::size_t>(current)];
        const bool agrees = stored == static_cast<std::uint8_t>(state);
        stored = static_cast<std::uint8_t>(state);
        if (++stale_.front().First == stale_.front().End) stale_.erase(stale_.begin());
        if (!agrees) MarkStale(current + 1, 1);
    }
}

int THighlightStore::StartStateOf(int line)
{
    SetStartState(line);
    return highlighter_->GetState();
}

bool THighlightStore::ResumesIn(std::size_t lineSize) const
{
    return lineSize >= TLongLineStates::kLongLineBytes && highlighter_->CanResumeInLine();
}

std::string_view THighlightStore::TextFrom(int line, std::size_t from) const
{
    // A highlighter looks back two bytes for a comment's end, and over a run of blanks to the byte
    // before it.
    constexpr std::size_t kLookBack = 16;
    std::size_t start = from - std::min(from, kLookBack);
    const auto blank = [&](std::size_t at) { return static_cast<unsigned char>(buffer_.LineRange(line, at, at + 1)[0]) <= 32; };
    while (start > 0 && blank(start - 1)) --start;
    if (start > 0) --start;
    return buffer_.LineWindow(line, start, buffer_.LineSize(line));
}

int THighlightStore::ScanLine(int line)
{
    const int start = StartStateOf(line);
    if (ResumesIn(buffer_.LineSize(line)))
        return longLines_.EndState(*highlighter_, line, TextFrom(line, longLines_.ScannedTo(line, start)), start);
    const std::string_view text = buffer_.Line(line);
    highlighter_->StartLine(text, line);
    highlighter_->ScanToLineEnd();
    return highlighter_->GetState();
}

bool THighlightStore::ScanAhead(std::size_t byteBudget)
{
    if (!highlighter_) return false;
    if (background_) {
        // The other core is on it: wait about as long as this slice would scan, then take what it has.
        const int first = stale_.empty() ? 0 : stale_.front().First;
        TakeBackgroundStates(first + static_cast<int>(byteBudget / 16), TBackgroundWait::Yes);
        return !stale_.empty();
    }
    std::size_t spent = 0;
    while (!stale_.empty() && spent < byteBudget) {
        const int line = stale_.front().First;
        const std::size_t size = buffer_.LineSize(line);
        if (ResumesIn(size)) {
            // A long line is readied stop by stop, so that no slice of idle time runs long.
            const int start = StartStateOf(line);
            const std::size_t from = longLines_.ScannedTo(line, start);
            const std::string_view text = TextFrom(line, from);
            const std::size_t to = std::min(text.size(), from + (byteBudget - spent));
            longLines_.StopBefore(*highlighter_, line, text, start, to);
            spent += to - from;
            if (longLines_.ScannedTo(line, start) < text.size()) break;
        } else {
            spent += size;
        }
        spent += 32;  // the cost of a line beyond its bytes
        ScanUpTo(line);
    }
    return !stale_.empty();
}

int THighlightStore::EndState(int line)
{
    ScanUpTo(line);
    return states_[static_cast<std::size_t>(line)];
}

void THighlightStore::WalkTokens(int line, const std::function<void(const TLineToken&)>& visit)
{
    WalkTokensFrom(line, 0, visit);
}

TScanStop THighlightStore::ResumePoint(int line, std::size_t fromByte)
{
    if (!highlighter_) return {fromByte, 0};
    if (line > 0) ScanUpTo(line - 1);
    const int start = StartStateOf(line);
    if (fromByte == 0 || !ResumesIn(buffer_.LineSize(line))) return {0, start};
    return longLines_.StopBefore(*highlighter_, line, TextFrom(line, longLines_.ScannedTo(line, start)), start, fromByte);
}

void THighlightStore::WalkTokensFrom(int line, std::size_t fromByte,
                                     const std::function<void(const TLineToken&)>& visit)
{
    if (!highlighter_) return;
    const TScanStop from = ResumePoint(line, fromByte);
    highlighter_->SetState(from.State);
    WalkLineTokens(*highlighter_, TextFrom(line, from.Offset), line, visit, from.Offset);
}
