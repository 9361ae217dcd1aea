#pragma once
// A page's saved bytes frozen at one moment, to be written out on another thread while editing
// goes on. Taking one copies only the line index and the lines edited since the load; the loaded
// block is shared, so a snapshot of a large page costs a few milliseconds, not a copy of the page.

#include "editor/TextBuffer.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class TTextSnapshot {
public:
    TTextSnapshot() = default;

    // The bytes the save rule writes, piece by piece; stops and returns false when write does.
    bool WriteSaved(const std::function<bool(std::string_view)>& write) const;
    std::string SavedBytes() const;
    std::size_t SavedSize() const;

private:
    friend class TTextBuffer;

    // A line: bytes of the shared block, or of the snapshot's own copies of edited lines.
    struct Piece {
        std::uint64_t Offset = 0;
        std::uint32_t Length = 0;
        std::uint32_t Copied = 0;
    };

    std::string_view Line(const Piece& piece) const;

    std::shared_ptr<const std::string> block_;
    std::vector<Piece> lines_;
    std::string copies_;
    TLineBreak lineBreak_ = TLineBreak::CrLf;
};
