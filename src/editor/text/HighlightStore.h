#pragma once
// The editor's side of the highlighter contract: one end state per line, kept lazily. Edits only
// mark lines as stale; states are computed when a line is painted or printed, from the first stale
// line down. A line is stale when its stored state may not follow from its text and the stored
// state of the line above (edited, inserted, or below a line whose stored state changed), so a
// computed state that agrees with the stored one lets the scan jump to the next stale line. The
// results equal those of rescanning eagerly after every edit. Long lines also keep states at stops
// inside them (LongLineStates), so that neither an edit nor the stretch in view needs a scan from
// the line's start. A large page just loaded has its states computed on the other cores meanwhile
// (BackgroundStateScan); the store takes them over as it needs them.

#include "editor/text/BackgroundStateScan.h"
#include "editor/text/GapVector.h"
#include "editor/text/LongLineStates.h"
#include "editor/text/TextBuffer.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string_view>
#include <vector>

class TCustomHighlighter;
class THighlighterAttributes;

class EHighlighterError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct TLineToken {
    int Start = 0;   // byte offset in the line
    int Length = 0;  // bytes; never 0
    THighlighterAttributes* Attribute = nullptr;  // none: the editor's own colours
    int Kind = 0;
};

// Walks the tokens of one line whose start state is already set in the highlighter, from its start
// or from a stop inside it. Skips a single empty token; two empty tokens in a row raise "The
// highlighter seems to be in an infinite loop".
void WalkLineTokens(TCustomHighlighter& highlighter, std::string_view line, int lineIndex,
                    const std::function<void(const TLineToken&)>& visit, std::size_t from = 0);

class THighlightStore : private TTextBufferObserver {
public:
    explicit THighlightStore(TTextBuffer& buffer);
    ~THighlightStore() override;
    THighlightStore(const THighlightStore&) = delete;
    THighlightStore& operator=(const THighlightStore&) = delete;

    // Attaching (or detaching with nullptr) asks for a whole scan. The store listens to the
    // highlighter's attribute changes, asks for a whole scan then and calls OnRepaint (a control
    // model turns it into a restyle in its change notice). A highlighter must stay alive until it
    // is detached or the store is destroyed.
    void SetHighlighter(TCustomHighlighter* highlighter);
    TCustomHighlighter* Highlighter() const { return highlighter_; }
    void RequestWholeScan();
    std::function<void()> OnRepaint;

    // The highlighter's state at the end of line (scanning the stale lines above it first).
    int EndState(int line);
    // Sets the highlighter to the start state of line and walks its tokens (painter, printer).
    void WalkTokens(int line, const std::function<void(const TLineToken&)>& visit);
    // The same from a place at or before fromByte (the stretch in view): the first tokens may start
    // before fromByte.
    void WalkTokensFrom(int line, std::size_t fromByte, const std::function<void(const TLineToken&)>& visit);
    // Where such a walk starts, and the highlighter's state there: the line's start and its start
    // state, or a stop inside a long line; fromByte itself without a highlighter.
    TScanStop ResumePoint(int line, std::size_t fromByte);

    // Computes end states ahead of need, about byteBudget bytes of lines at a time, so that idle
    // time readies the far end of a large page; true while stale lines remain.
    bool ScanAhead(std::size_t byteBudget);

    // Lines above this one hold valid end states.
    int ValidUpTo() const;
    // Lines handed to the highlighter to compute end states since creation (for tests and benchmarks).
    std::int64_t ScannedLines() const { return scannedLines_; }

private:
    void LineChanged(int line) override;
    void LineEdited(int line, std::size_t offset, std::size_t removed, std::size_t inserted) override;
    void LinesInserted(int first, int count) override;
    void LinesRemoved(int first, int count) override;
    void TextReplaced() override;

    static constexpr int kNearLines = 16 * 1024;

    void MarkStale(int first, int count);
    void StartBackgroundScan();
    void StopBackgroundScan() { background_.reset(); }
    // Takes over the background scan's states of the stale lines above `line`, waiting for them
    // when `wait` says so; with TBackgroundWait::No only those already done.
    enum class TBackgroundWait { No, Yes };
    void TakeBackgroundStates(int line, TBackgroundWait wait);
    void ScanUpTo(int line);
    void SetStartState(int line);
    int StartStateOf(int line);
    int ScanLine(int line);
    bool ResumesIn(std::size_t lineSize) const;
    // The line for a scan that resumes at from: its bytes from there on and the few before it that
    // a resuming highlighter looks back at, so that an edit's gap near from need not close.
    std::string_view TextFrom(int line, std::size_t from) const;

    // Runs of lines edited since their state was stored, sorted, not touching.
    struct StaleRun {
        int First;
        int End;  // one past the last
    };

    TTextBuffer& buffer_;
    TCustomHighlighter* highlighter_ = nullptr;
    int listenerId_ = -1;
    TGapVector<std::uint8_t> states_;
    std::vector<StaleRun> stale_;
    TLongLineStates longLines_;
    std::unique_ptr<TBackgroundStateScan> background_;
    std::int64_t scannedLines_ = 0;
};
