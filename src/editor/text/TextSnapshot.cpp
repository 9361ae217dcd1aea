#include "editor/text/TextSnapshot.h"

#include <new>

TTextSnapshot TTextBuffer::Snapshot() const
{
    return TTextSnapshot(*this);
}

TTextSnapshot::TTextSnapshot(const TTextBuffer& buffer)
    : block_(buffer.block_),
      lineCount_(buffer.lines_.size()),
      ranged_(buffer.ranged_),
      lineBreak_(buffer.lineBreak_)
{
    owned_.reserve(buffer.owned_.size());
    for (const TOwnedLine& line : buffer.owned_) owned_.emplace_back(line.View());
    lines_.reset(static_cast<LineSlot*>(std::malloc(lineCount_ * sizeof(LineSlot))));
    if (!lines_) throw std::bad_alloc();
    buffer.lines_.CopyTo(lines_.get());
}

std::size_t TTextSnapshot::Length(const LineSlot& slot) const
{
    return Line(slot).size();
}

std::string_view TTextSnapshot::Line(const LineSlot& slot) const
{
    if (slot.Owned()) return owned_[slot.Index()];
    return TTextBuffer::ViewBytes(*block_, ranged_, slot);
}

bool TTextSnapshot::WriteSaved(const std::function<bool(std::string_view)>& write) const
{
    const std::string_view lineBreak = LineBreakBytes(lineBreak_);
    std::size_t i = 0;
    while (i < lineCount_) {
        if (i > 0 && !write(lineBreak)) return false;
        // An empty view may lie past a block handed to an edited line: it is a line of its own.
        if (lines_[i].Owned() || ViewOffset(lines_[i]) > block_->size()) {
            if (!write(Line(lines_[i++]))) return false;
            continue;
        }
        // Lines that still stand in the loaded block as the save writes them, breaks included,
        // go out as one piece: an unedited stretch of a large page is not taken apart line by line.
        const std::string_view block = *block_;
        const std::size_t start = ViewOffset(lines_[i]);
        std::size_t end = start + Length(lines_[i]);
        for (++i; i < lineCount_ && !lines_[i].Owned() && ViewOffset(lines_[i]) == end + lineBreak.size() &&
                  block.substr(end, lineBreak.size()) == lineBreak;
             ++i)
            end = ViewOffset(lines_[i]) + Length(lines_[i]);
        if (!write(block.substr(start, end - start))) return false;
    }
    return true;
}

std::string TTextSnapshot::SavedBytes() const
{
    std::string bytes;
    WriteSaved([&](std::string_view piece) {
        bytes.append(piece);
        return true;
    });
    return bytes;
}

std::size_t TTextSnapshot::SavedSize() const
{
    if (lineCount_ == 0) return 0;
    std::size_t size = 0;
    for (std::size_t i = 0; i < lineCount_; ++i) size += Length(lines_[i]);
    return size + (lineCount_ - 1) * LineBreakBytes(lineBreak_).size();
}
