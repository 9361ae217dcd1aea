#include "editor/TextBuffer.h"

#include <algorithm>
#include <cassert>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// The first CR or LF at or after p, or end. Loading a large page is mostly this search.
const char* FindLineBreak(const char* p, const char* end)
{
#if defined(__SSE2__)
    const __m128i cr = _mm_set1_epi8('\r'), lf = _mm_set1_epi8('\n');
    while (end - p >= 16) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const int mask = _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(chunk, cr), _mm_cmpeq_epi8(chunk, lf)));
        if (mask) return p + __builtin_ctz(static_cast<unsigned>(mask));
        p += 16;
    }
#endif
    while (p < end && *p != '\r' && *p != '\n') ++p;
    return p;
}

}  // namespace

std::string_view LineBreakBytes(TLineBreak lineBreak)
{
    switch (lineBreak) {
    case TLineBreak::Lf: return "\n";
    case TLineBreak::Cr: return "\r";
    case TLineBreak::CrLf: break;
    }
    return "\r\n";
}

TTextBuffer::TTextBuffer() : block_(std::make_shared<const std::string>())
{
    lines_.push_back(LineSlot{});
}

void TTextBuffer::SetText(std::string bytes)
{
    Split(std::move(bytes), /*keepFinalEmptyLine=*/false, /*rememberBreak=*/false);
}

void TTextBuffer::LoadBytes(std::string bytes)
{
    Split(std::move(bytes), /*keepFinalEmptyLine=*/true, /*rememberBreak=*/true);
}

void TTextBuffer::Split(std::string bytes, bool keepFinalEmptyLine, bool rememberBreak)
{
    lines_.clear();
    owned_.clear();
    owned_.shrink_to_fit();
    freeOwned_.clear();
    block_ = std::make_shared<const std::string>(std::move(bytes));

    const char* data = block_->data();
    const std::size_t size = block_->size();
    // A generous guess of the line count spares regrowth of the index; the part never used is
    // never touched, so it costs address space, not memory.
    lines_.reserve(size / 24 + 16);

    bool sawCrLf = false, sawCr = false, sawLf = false;
    std::size_t lineStart = 0;
    bool endedWithBreak = false;
    while (true) {
        const std::size_t breakAt = static_cast<std::size_t>(FindLineBreak(data + lineStart, data + size) - data);
        if (breakAt >= size) break;
        lines_.push_back(LineSlot{lineStart, static_cast<std::uint32_t>(breakAt - lineStart), 0});
        std::size_t after = breakAt + 1;
        if (data[breakAt] == '\r' && after < size && data[after] == '\n') {
            sawCrLf = true;
            ++after;
        } else if (data[breakAt] == '\r') {
            sawCr = true;
        } else {
            sawLf = true;
        }
        lineStart = after;
        endedWithBreak = lineStart == size;
    }
    if (lineStart < size || keepFinalEmptyLine || !endedWithBreak)
        lines_.push_back(LineSlot{lineStart, static_cast<std::uint32_t>(size - lineStart), 0});

    if (!rememberBreak)
        lineBreak_ = TLineBreak::CrLf;
    else if (sawCr && !sawLf && !sawCrLf)
        lineBreak_ = TLineBreak::Cr;
    else if (sawLf && !sawCr && !sawCrLf)
        lineBreak_ = TLineBreak::Lf;
    else
        lineBreak_ = TLineBreak::CrLf;

    for (auto* observer : observers_) observer->TextReplaced();
}

std::size_t TTextBuffer::SavedSize() const
{
    std::size_t size = 0;
    for (std::size_t i = 0; i < lines_.size(); ++i) size += lines_[i].Length;
    return size + (lines_.size() - 1) * LineBreakBytes(lineBreak_).size();
}

std::string TTextBuffer::SavedBytes() const
{
    const std::string_view lineBreak = LineBreakBytes(lineBreak_);
    std::string out;
    out.reserve(SavedSize());
    const int count = LineCount();
    for (int i = 0; i < count; ++i) {
        if (i > 0) out.append(lineBreak);
        out.append(Line(i));
    }
    return out;
}

bool TTextBuffer::WriteSaved(const std::function<bool(std::string_view)>& write) const
{
    const std::string_view lineBreak = LineBreakBytes(lineBreak_);
    const int count = LineCount();
    for (int i = 0; i < count; ++i) {
        if (i > 0 && !write(lineBreak)) return false;
        if (!write(Line(i))) return false;
    }
    return true;
}

std::string_view TTextBuffer::Line(int line) const
{
    const LineSlot& slot = lines_[static_cast<std::size_t>(line)];
    if (slot.Owned) return owned_[slot.Ref];
    return std::string_view(block_->data() + slot.Ref, slot.Length);
}

TTextBuffer::LineSlot TTextBuffer::NewOwned(std::string_view bytes)
{
    std::uint32_t index;
    if (!freeOwned_.empty()) {
        index = freeOwned_.back();
        freeOwned_.pop_back();
        owned_[index].assign(bytes);
    } else {
        index = static_cast<std::uint32_t>(owned_.size());
        owned_.emplace_back(bytes);
    }
    return LineSlot{index, static_cast<std::uint32_t>(bytes.size()), 1};
}

void TTextBuffer::ReleaseOwned(const LineSlot& slot)
{
    if (!slot.Owned) return;
    std::string().swap(owned_[slot.Ref]);
    freeOwned_.push_back(static_cast<std::uint32_t>(slot.Ref));
}

std::string& TTextBuffer::MakeOwned(int line)
{
    LineSlot& slot = lines_[static_cast<std::size_t>(line)];
    if (!slot.Owned) slot = NewOwned(Line(line));
    return owned_[slot.Ref];
}

void TTextBuffer::InsertText(int line, std::size_t offset, std::string_view bytes)
{
    if (bytes.empty()) return;
    assert(offset <= Line(line).size());
    std::string& text = MakeOwned(line);
    text.insert(offset, bytes);
    lines_[static_cast<std::size_t>(line)].Length = static_cast<std::uint32_t>(text.size());
    for (auto* observer : observers_) observer->LineChanged(line);
}

void TTextBuffer::RemoveText(int line, std::size_t offset, std::size_t length)
{
    if (length == 0) return;
    assert(offset + length <= Line(line).size());
    LineSlot& slot = lines_[static_cast<std::size_t>(line)];
    if (!slot.Owned && offset + length == slot.Length) {
        slot.Length = static_cast<std::uint32_t>(offset);  // a view shrinks without a copy
    } else if (!slot.Owned && offset == 0) {
        slot.Ref += length;
        slot.Length -= static_cast<std::uint32_t>(length);
    } else {
        std::string& text = MakeOwned(line);
        text.erase(offset, length);
        lines_[static_cast<std::size_t>(line)].Length = static_cast<std::uint32_t>(text.size());
    }
    for (auto* observer : observers_) observer->LineChanged(line);
}

void TTextBuffer::SplitLine(int line, std::size_t offset)
{
    const auto at = static_cast<std::size_t>(line);
    assert(offset <= Line(line).size());
    LineSlot tail;
    if (!lines_[at].Owned) {
        // Both halves stay views into the loaded block.
        tail = LineSlot{lines_[at].Ref + offset, static_cast<std::uint32_t>(lines_[at].Length - offset), 0};
        lines_[at].Length = static_cast<std::uint32_t>(offset);
    } else {
        tail = NewOwned(Line(line).substr(offset));  // may reallocate owned_, so no reference is held
        std::string& head = owned_[lines_[at].Ref];
        head.resize(offset);
        lines_[at].Length = static_cast<std::uint32_t>(offset);
    }
    lines_.insert(at + 1, 1, tail);
    for (auto* observer : observers_) observer->LineChanged(line);
    for (auto* observer : observers_) observer->LinesInserted(line + 1, 1);
}

void TTextBuffer::JoinLine(int line)
{
    assert(line + 1 < LineCount());
    const auto at = static_cast<std::size_t>(line);
    const LineSlot next = lines_[at + 1];
    const LineSlot current = lines_[at];
    if (!current.Owned && !next.Owned && current.Ref + current.Length == next.Ref) {
        lines_[at].Length += next.Length;  // neighbours in the block: no copy
    } else {
        const std::string tailCopy(Line(line + 1));
        std::string& text = MakeOwned(line);
        text.append(tailCopy);
        lines_[at].Length = static_cast<std::uint32_t>(text.size());
        ReleaseOwned(next);
    }
    lines_.erase(at + 1, 1);
    for (auto* observer : observers_) observer->LinesRemoved(line + 1, 1);
    for (auto* observer : observers_) observer->LineChanged(line);
}

void TTextBuffer::InsertLines(int first, const std::vector<std::string_view>& lines)
{
    if (lines.empty()) return;
    const auto at = static_cast<std::size_t>(first);
    lines_.insert(at, lines.size(), LineSlot{});
    for (std::size_t i = 0; i < lines.size(); ++i) lines_[at + i] = NewOwned(lines[i]);
    for (auto* observer : observers_) observer->LinesInserted(first, static_cast<int>(lines.size()));
}

void TTextBuffer::RemoveLines(int first, int count)
{
    if (count <= 0) return;
    assert(first + count <= LineCount() && count < LineCount());
    for (int i = first; i < first + count; ++i) ReleaseOwned(lines_[static_cast<std::size_t>(i)]);
    lines_.erase(static_cast<std::size_t>(first), static_cast<std::size_t>(count));
    for (auto* observer : observers_) observer->LinesRemoved(first, count);
}

void TTextBuffer::AddObserver(TTextBufferObserver* observer)
{
    observers_.push_back(observer);
}

void TTextBuffer::RemoveObserver(TTextBufferObserver* observer)
{
    std::erase(observers_, observer);
}
