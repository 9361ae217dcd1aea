#pragma once
// A page's saved bytes frozen at one moment, to be written out on another thread while editing
// goes on. Taking one copies the line index in two block moves and the lines edited since the
// load; the loaded block is shared, so a snapshot of a large page costs a few milliseconds, not a
// copy of the page.

#include "editor/text/TextBuffer.h"

#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class TTextSnapshot {
public:
    TTextSnapshot() = default;
    explicit TTextSnapshot(const TTextBuffer& buffer);

    // The bytes the save rule writes, piece by piece; stops and returns false when write does.
    bool WriteSaved(const std::function<bool(std::string_view)>& write) const;
    std::string SavedBytes() const;
    std::size_t SavedSize() const;

private:
    using LineSlot = TTextBuffer::LineSlot;
    struct FreeSlots {
        void operator()(LineSlot* lines) const { std::free(lines); }
    };

    std::size_t Length(const LineSlot& slot) const;
    std::string_view Line(const LineSlot& slot) const;

    std::shared_ptr<const std::string> block_;
    // Raw memory, not a vector: filling a large index with zeros first would double its cost.
    std::unique_ptr<LineSlot[], FreeSlots> lines_;
    std::size_t lineCount_ = 0;
    std::vector<TTextBuffer::RangedView> ranged_;
    std::vector<std::string> owned_;
    TLineBreak lineBreak_ = TLineBreak::CrLf;
};
