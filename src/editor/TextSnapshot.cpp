#include "editor/TextSnapshot.h"

#include <new>

TTextSnapshot TTextBuffer::Snapshot() const
{
    return TTextSnapshot(*this);
}

TTextSnapshot::TTextSnapshot(const TTextBuffer& buffer)
    : block_(buffer.block_),
      lineCount_(buffer.lines_.size()),
      owned_(buffer.owned_),
      lineBreak_(buffer.lineBreak_)
{
    lines_.reset(static_cast<LineSlot*>(std::malloc(lineCount_ * sizeof(LineSlot))));
    if (!lines_) throw std::bad_alloc();
    buffer.lines_.CopyTo(lines_.get());
}

std::string_view TTextSnapshot::Line(const LineSlot& slot) const
{
    if (slot.Owned) return owned_[slot.Ref];
    return std::string_view(block_->data() + slot.Ref, slot.Length);
}

bool TTextSnapshot::WriteSaved(const std::function<bool(std::string_view)>& write) const
{
    const std::string_view lineBreak = LineBreakBytes(lineBreak_);
    for (std::size_t i = 0; i < lineCount_; ++i) {
        if (i > 0 && !write(lineBreak)) return false;
        if (!write(Line(lines_[i]))) return false;
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
    for (std::size_t i = 0; i < lineCount_; ++i) size += lines_[i].Length;
    return size + (lineCount_ - 1) * LineBreakBytes(lineBreak_).size();
}
