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
    return TTextBuffer::WriteSavedLines(*block_, LineBreakBytes(lineBreak_), lineCount_,
                                        [this](std::size_t line) { return Line(lines_[line]); }, write);
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
