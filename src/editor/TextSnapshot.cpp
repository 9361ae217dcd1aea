#include "editor/TextSnapshot.h"

TTextSnapshot TTextBuffer::Snapshot() const
{
    TTextSnapshot snapshot;
    snapshot.block_ = block_;
    snapshot.lineBreak_ = lineBreak_;
    const std::size_t count = lines_.size();
    snapshot.lines_.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
        const LineSlot& slot = lines_[i];
        if (!slot.Owned) {
            snapshot.lines_[i] = {slot.Ref, slot.Length, 0};
            continue;
        }
        snapshot.lines_[i] = {snapshot.copies_.size(), slot.Length, 1};
        snapshot.copies_.append(owned_[slot.Ref]);
    }
    return snapshot;
}

std::string_view TTextSnapshot::Line(const Piece& piece) const
{
    const char* base = piece.Copied ? copies_.data() : block_->data();
    return std::string_view(base + piece.Offset, piece.Length);
}

bool TTextSnapshot::WriteSaved(const std::function<bool(std::string_view)>& write) const
{
    const std::string_view lineBreak = LineBreakBytes(lineBreak_);
    for (std::size_t i = 0; i < lines_.size(); ++i) {
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
    if (lines_.empty()) return 0;
    std::size_t size = 0;
    for (const Piece& piece : lines_) size += piece.Length;
    return size + (lines_.size() - 1) * LineBreakBytes(lineBreak_).size();
}
