#pragma once
// Highlighter states at places inside long lines. A minified page is one line of megabytes: its
// end state, and the colours of a stretch in view, would otherwise need a scan from the line's
// start after every keystroke. Every few kilobytes the scan leaves a stop (a place where it can
// resume, and its state). An edit keeps the stops before it and moves those after it aside; a new
// scan runs from the last stop before the edit and ends where it meets a moved stop in the same
// state, beyond which nothing can differ.

#include "highlight/CustomHighlighter.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <string_view>
#include <vector>

struct TScanStop {
    std::size_t Offset = 0;
    int State = 0;
};

class TLongLineStates {
public:
    // Lines from this length on keep stops, one about every stride bytes.
    static constexpr std::size_t kLongLineBytes = 64 * 1024;
    static constexpr std::size_t kStride = 16 * 1024;

    static bool IsLong(std::string_view text) { return text.size() >= kLongLineBytes; }

    // The end state of a long line that starts in startState.
    int EndState(TCustomHighlighter& highlighter, int line, std::string_view text, int startState);
    // The last stop at or before offset (the line's start at least), scanning as far as needed.
    TScanStop StopBefore(TCustomHighlighter& highlighter, int line, std::string_view text, int startState,
                         std::size_t offset);

    // How far the stops of a line that starts in startState reach.
    std::size_t ScannedTo(int line, int startState) { return StopsOf(line, startState).Valid.back().Offset; }

    void LineEdited(int line, std::size_t offset, std::size_t removed, std::size_t inserted);
    void LineChanged(int line) { lines_.erase(line); }
    void LinesInserted(int first, int count);
    void LinesRemoved(int first, int count);
    void Clear() { lines_.clear(); }

private:
    // A state depends on a few bytes after its place (a word ends before the byte that stops it,
    // "<!--" is looked at whole), so stops this close to an edit are not kept.
    static constexpr std::size_t kMargin = 8;

    struct Stops {
        int StartState = 0;
        std::vector<TScanStop> Valid;       // from the line's start; the last at the line's end once scanned
        std::vector<TScanStop> Candidates;  // stops beyond edits, moved with them, not yet confirmed
        std::size_t DirtyEnd = 0;           // end of the edited bytes: no candidate before it can agree
    };

    Stops& StopsOf(int line, int startState);
    void ScanTo(TCustomHighlighter& highlighter, Stops& stops, int line, std::string_view text, std::size_t offset);

    std::map<int, Stops> lines_;
};
