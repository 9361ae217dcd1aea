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
    std::size_t i = 0;
    while (i < lineCount_) {
        if (i > 0 && !write(lineBreak)) return false;
        if (lines_[i].Owned) {
            if (!write(Line(lines_[i++]))) return false;
            continue;
        }
        // Lines that still stand in the loaded block as the save writes them, breaks included,
        // go out as one piece: an unedited stretch of a large page is not taken apart line by line.
        const std::string_view block = *block_;
        const std::size_t start = lines_[i].Ref;
        std::size_t end = start + lines_[i].Length;
        for (++i; i < lineCount_ && !lines_[i].Owned && lines_[i].Ref == end + lineBreak.size() &&
                  block.substr(end, lineBreak.size()) == lineBreak;
             ++i)
            end = lines_[i].Ref + lines_[i].Length;
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
    for (std::size_t i = 0; i < lineCount_; ++i) size += lines_[i].Length;
    return size + (lineCount_ - 1) * LineBreakBytes(lineBreak_).size();
}
