#include "editor/text/TextBuffer.h"

#include <algorithm>
#include <atomic>
#include <cassert>
#include <climits>
#include <cstring>
#include <new>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// Far beyond any page a machine can hold in memory today; keeps offset arithmetic clear of overflow.
constexpr std::uint64_t kMaxPageBytes = (1ull << 40) - 1;

// Calls onBreak with the offset of every CR and LF, in order, and says whether every byte is
// ASCII. Loading a large page is mostly this search, so it takes 16 bytes at a time and walks the
// bits of the matches; the ASCII test rides along, so that a page of ASCII (most pages) needs no
// pass of its own to be known as UTF-8.
template <typename OnBreak>
bool ForEachBreakByte(const char* data, std::size_t size, OnBreak&& onBreak)
{
    std::size_t base = 0;
    unsigned highBits = 0;
#if defined(__SSE2__)
    const __m128i cr = _mm_set1_epi8('\r'), lf = _mm_set1_epi8('\n');
    for (; base + 16 <= size; base += 16) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + base));
        highBits |= static_cast<unsigned>(_mm_movemask_epi8(chunk));
        auto mask = static_cast<unsigned>(
            _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(chunk, cr), _mm_cmpeq_epi8(chunk, lf))));
        for (; mask != 0; mask &= mask - 1) onBreak(base + static_cast<std::size_t>(__builtin_ctz(mask)));
    }
#endif
    for (; base < size; ++base) {
        highBits |= static_cast<unsigned char>(data[base]) & 0x80u;
        if (data[base] == '\r' || data[base] == '\n') onBreak(base);
    }
    return highBits == 0;
}

// Inlined where a line's length is looked for each time its bytes are asked for.
[[gnu::always_inline]] inline std::size_t LengthToBreak(const char* data, std::size_t size)
{
    std::size_t length = 0;
#if defined(__SSE2__)
    const __m128i cr = _mm_set1_epi8('\r'), lf = _mm_set1_epi8('\n');
    for (; length + 16 <= size; length += 16) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + length));
        const auto mask = static_cast<unsigned>(
            _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(chunk, cr), _mm_cmpeq_epi8(chunk, lf))));
        if (mask != 0) return length + static_cast<std::size_t>(__builtin_ctz(mask));
    }
#endif
    while (length < size && data[length] != '\r' && data[length] != '\n') ++length;
    return length;
}

}  // namespace

// The load counts them so that the index is allocated once at its final size instead of growing by
// copies. Counted 16 bytes at a time in byte-wide counters, summed before they can overflow.
std::size_t CountLineBreaks(std::string_view bytes)
{
    const char* p = bytes.data();
    const char* const end = p + bytes.size();
    std::size_t breaks = 0;
#if defined(__SSE2__)
    const __m128i cr = _mm_set1_epi8('\r'), lf = _mm_set1_epi8('\n'), zero = _mm_setzero_si128();
    while (end - p >= 17) {
        __m128i counts = zero;
        for (int round = 0; round < 255 && end - p >= 17; ++round, p += 16) {
            const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
            const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 1));
            const __m128i lfs = _mm_cmpeq_epi8(chunk, lf);
            const __m128i lonelyCrs = _mm_andnot_si128(_mm_cmpeq_epi8(next, lf), _mm_cmpeq_epi8(chunk, cr));
            counts = _mm_sub_epi8(counts, _mm_or_si128(lfs, lonelyCrs));  // a match is -1
        }
        const __m128i sums = _mm_sad_epu8(counts, zero);
        breaks += static_cast<std::size_t>(_mm_cvtsi128_si32(sums)) +
                  static_cast<std::size_t>(_mm_cvtsi128_si32(_mm_srli_si128(sums, 8)));
    }
#endif
    for (; p < end; ++p) {
        if (*p == '\n') ++breaks;
        else if (*p == '\r' && !(p + 1 < end && p[1] == '\n')) ++breaks;
    }
    return breaks;
}

std::size_t LengthToLineBreak(const char* data, std::size_t size)
{
    return LengthToBreak(data, size);
}

namespace {

[[noreturn]] [[gnu::cold]] void ThrowLineTooLong(const TTextLimits& limits)
{
    throw ETextLimitError("A line is longer than " + std::to_string(limits.MaxLineBytes) + " characters.");
}

TTextLimits& CurrentLimits()
{
    static TTextLimits limits = DefaultTextLimits();
    return limits;
}

}  // namespace

TTextLimits DefaultTextLimits()
{
    return {static_cast<std::uint64_t>(INT_MAX), static_cast<std::uint64_t>(INT_MAX) - 1};
}

TTextLimits TextLimits()
{
    return CurrentLimits();
}

void SetTextLimits(const TTextLimits& limits)
{
    CurrentLimits() = limits;
}

std::string_view LineBreakBytes(TLineBreak lineBreak)
{
    switch (lineBreak) {
    case TLineBreak::Lf: return "\n";
    case TLineBreak::Cr: return "\r";
    case TLineBreak::CrLf: break;
    }
    return "\r\n";
}

TTextBuffer::TTextBuffer() : block_(std::make_shared<std::string>())
{
    lines_.push_back(LineSlot{});
}

// Inlined into the load's loop, which runs once a line; the rare ranged view is kept out of it.
inline TTextBuffer::LineSlot TTextBuffer::View(std::uint64_t offset, std::uint64_t length, TViewEnd end)
{
    if (end == TViewEnd::AtBreak && length < kBreakViewBytes && offset < LineSlot::kTagged) [[likely]]
        return LineSlot{static_cast<std::uint32_t>(offset)};
    return NewRanged(offset, length);
}

TTextBuffer::LineSlot TTextBuffer::NewRanged(std::uint64_t offset, std::uint64_t length)
{
    std::uint32_t index;
    if (!freeRanged_.empty()) {
        index = freeRanged_.back();
        freeRanged_.pop_back();
        ranged_[index] = {offset, length};
    } else {
        if (ranged_.size() > LineSlot::kIndexMask) throw ETextLimitError("The page has more long lines than the editor can hold.");
        index = static_cast<std::uint32_t>(ranged_.size());
        ranged_.push_back({offset, length});
    }
    return LineSlot{index | LineSlot::kTagged | LineSlot::kRangedBit};
}

TTextBuffer::TViewEnd TTextBuffer::ViewEndAt(std::uint64_t end) const
{
    if (end >= block_->size()) return TViewEnd::AtBreak;
    const char next = (*block_)[end];
    return next == '\r' || next == '\n' ? TViewEnd::AtBreak : TViewEnd::Inside;
}

void TTextBuffer::ReplaceView(LineSlot& slot, std::uint64_t offset, std::uint64_t length)
{
    const LineSlot old = slot;
    slot = View(offset, length, ViewEndAt(offset + length));
    ReleaseSlot(old);
}

std::string_view TTextBuffer::ViewBytes(const std::string& block, const std::vector<RangedView>& ranged, LineSlot slot)
{
    if (!slot.BreakView()) {
        const RangedView& view = ranged[slot.Index()];
        // An empty view may lie past a block given away (MakeOwned).
        return view.Length == 0 ? std::string_view() : std::string_view(block.data() + view.Offset, view.Length);
    }
    const std::size_t offset = slot.Bits;
    if (offset >= block.size()) return {};
    const char* const start = block.data() + offset;
    return std::string_view(start, LengthToBreak(start, block.size() - offset));
}

std::size_t TTextBuffer::SlotLength(const LineSlot& slot) const
{
    if (slot.Owned()) return owned_[slot.Index()].Size();
    return ViewBytes(*block_, ranged_, slot).size();
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
    const TTextLimits limits = CurrentLimits();
    auto block = std::make_shared<std::string>(std::move(bytes));
    const char* data = block->data();
    const std::size_t size = block->size();
    if (size > kMaxPageBytes) throw ETextLimitError("The page is larger than the editor can hold.");
    const auto checkLineCount = [&](std::size_t lines) {
        if (lines > limits.MaxLines)
            throw ETextLimitError("The page has more than " + std::to_string(limits.MaxLines) + " lines.");
    };

    // Built aside and swapped in, so that a page refused half-way leaves the old one untouched.
    TTextBuffer built;
    built.lines_.clear();
    bool sawCrLf = false, sawCr = false, sawLf = false;
    try {
        // Room for lines of all but the shortest lengths; the part never used costs address space
        // only, and a page of short lines then fills its index without a copy (which would hold
        // the old and the new index at once). A page of shorter lines has the rest of its lines
        // counted once, so that the index grows once to its final size rather than by doubling.
        built.lines_.reserve(std::min<std::size_t>(size / 4 + 16, limits.MaxLines + 1));
        const auto addLine = [&](std::size_t start, std::size_t length) __attribute__((always_inline)) {
            if (length > limits.MaxLineBytes) [[unlikely]]
                ThrowLineTooLong(limits);
            if (built.lines_.size() == built.lines_.capacity()) [[unlikely]] {
                const std::size_t lines = built.lines_.size() + CountLineBreaks({data + start, size - start}) + 1;
                checkLineCount(lines);
                built.lines_.ReserveWithRoom(lines);
            }
            built.lines_.push_back(built.View(start, length, TViewEnd::AtBreak));
        };
        std::size_t lineStart = 0;
        bool sawBreak = false;
        const bool ascii = ForEachBreakByte(data, size, [&](std::size_t breakAt) __attribute__((always_inline)) {
            if (breakAt < lineStart) return;  // the LF of a CR LF, taken with its CR
            addLine(lineStart, breakAt - lineStart);
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
            sawBreak = true;
        });
        const bool endedWithBreak = sawBreak && lineStart == size;
        if (lineStart < size || keepFinalEmptyLine || !endedWithBreak) addLine(lineStart, size - lineStart);
        checkLineCount(built.lines_.size());
        built.textIsUtf8_ = ascii || IsValidUtf8(*block);
    } catch (const std::bad_alloc&) {
        throw ETextLimitError("There is not enough memory for the page's line index.");
    }

    lines_ = std::move(built.lines_);
    ranged_ = std::move(built.ranged_);
    freeRanged_.clear();
    textIsUtf8_ = built.textIsUtf8_;
    edited_ = false;
    block_ = std::move(block);
    owned_.clear();
    owned_.shrink_to_fit();
    freeOwned_.clear();

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
    for (std::size_t i = 0; i < lines_.size(); ++i) size += SlotLength(lines_[i]);
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
    return WriteSavedLines(*block_, LineBreakBytes(lineBreak_), lines_.size(),
                           [this](std::size_t line) { return Line(static_cast<int>(line)); }, write);
}

bool TTextBuffer::WriteSavedLines(std::string_view block, std::string_view lineBreak, std::size_t count,
                                  const std::function<std::string_view(std::size_t)>& lineAt,
                                  const std::function<bool(std::string_view)>& write)
{
    const std::less<const char*> before;
    const char* const blockEnd = block.data() + block.size();
    const auto inBlock = [&](std::string_view bytes) {
        return bytes.data() != nullptr && !before(bytes.data(), block.data()) && !before(blockEnd, bytes.data());
    };
    std::size_t line = 0;
    while (line < count) {
        if (line > 0 && !write(lineBreak)) return false;
        const std::string_view first = lineAt(line++);
        const char* end = first.data() + first.size();
        if (inBlock(first)) {
            for (; line < count; ++line) {
                if (static_cast<std::size_t>(blockEnd - end) < lineBreak.size() ||
                    std::string_view(end, lineBreak.size()) != lineBreak)
                    break;
                const std::string_view next = lineAt(line);
                if (next.data() != end + lineBreak.size()) break;
                end = next.data() + next.size();
            }
        }
        if (!write(std::string_view(first.data(), static_cast<std::size_t>(end - first.data())))) return false;
    }
    return true;
}

std::string_view TTextBuffer::Line(int line) const
{
    const LineSlot& slot = lines_[static_cast<std::size_t>(line)];
    if (slot.Owned()) return owned_[slot.Index()].View();
    return ViewBytes(*block_, ranged_, slot);
}

std::string_view TTextBuffer::LineRange(int line, std::size_t begin, std::size_t end) const
{
    const LineSlot& slot = lines_[static_cast<std::size_t>(line)];
    if (slot.Owned()) return owned_[slot.Index()].Range(begin, end);
    return ViewBytes(*block_, ranged_, slot).substr(begin, end - begin);
}

std::string_view TTextBuffer::LineWindow(int line, std::size_t begin, std::size_t end) const
{
    const LineSlot& slot = lines_[static_cast<std::size_t>(line)];
    if (!slot.Owned()) return ViewBytes(*block_, ranged_, slot);
    const TOwnedLine& owned = owned_[slot.Index()];
    // The storage holds the line's size around the range wherever the gap stands.
    return std::string_view(owned.Range(begin, end).data() - begin, owned.Size());
}

TTextBuffer::LineSlot TTextBuffer::NewOwned(std::string_view bytes)
{
    return NewOwned(TOwnedLine(bytes));
}

TTextBuffer::LineSlot TTextBuffer::NewOwned(TOwnedLine&& line)
{
    std::uint32_t index;
    if (!freeOwned_.empty()) {
        index = freeOwned_.back();
        freeOwned_.pop_back();
        owned_[index] = std::move(line);
    } else {
        if (owned_.size() > LineSlot::kIndexMask) throw ETextLimitError("The page has more edited lines than the editor can hold.");
        index = static_cast<std::uint32_t>(owned_.size());
        owned_.push_back(std::move(line));
    }
    return LineSlot{index | LineSlot::kTagged};
}

void TTextBuffer::ReleaseSlot(const LineSlot& slot)
{
    if (slot.BreakView()) return;
    if (slot.Owned()) {
        owned_[slot.Index()].Release();
        freeOwned_.push_back(slot.Index());
    } else {
        freeRanged_.push_back(slot.Index());
    }
}

TOwnedLine& TTextBuffer::MakeOwned(int line)
{
    LineSlot& slot = lines_[static_cast<std::size_t>(line)];
    if (slot.Owned()) return owned_[slot.Index()];
    const LineSlot view = slot;
    if (ViewOffset(view) == 0 && OnlyLineWithBytes(line) && block_.use_count() == 1) {
        // A page of one line (a minified page) hands its block to the line instead of copying it,
        // unless a snapshot still reads it. A snapshot let go on another thread wrote nothing to
        // the block, but its reads must be done before the bytes change.
        std::atomic_thread_fence(std::memory_order_acquire);
        const std::size_t length = SlotLength(view);
        std::string whole = std::move(*block_);
        whole.resize(length);
        block_ = std::make_shared<std::string>();
        slot = NewOwned(TOwnedLine(std::move(whole)));
    } else {
        slot = NewOwned(Line(line));
    }
    ReleaseSlot(view);
    return owned_[slot.Index()];
}

bool TTextBuffer::OnlyLineWithBytes(int line) const
{
    if (LineCount() > 2) return false;
    for (int other = 0; other < LineCount(); ++other) {
        if (other != line && (lines_[static_cast<std::size_t>(other)].Owned() || LineSize(other) != 0)) return false;
    }
    return true;
}

void TTextBuffer::InsertText(int line, std::size_t offset, std::string_view bytes)
{
    if (bytes.empty()) return;
    edited_ = true;
    assert(offset <= LineSize(line));
    MakeOwned(line).Insert(offset, bytes);
    for (auto* observer : observers_) observer->LineEdited(line, offset, 0, bytes.size());
}

void TTextBuffer::RemoveText(int line, std::size_t offset, std::size_t length)
{
    if (length == 0) return;
    edited_ = true;
    assert(offset + length <= LineSize(line));
    LineSlot& slot = lines_[static_cast<std::size_t>(line)];
    const std::size_t slotLength = SlotLength(slot);
    if (!slot.Owned() && offset + length == slotLength) {
        ReplaceView(slot, ViewOffset(slot), offset);  // a view shrinks without a copy
    } else if (!slot.Owned() && offset == 0) {
        ReplaceView(slot, ViewOffset(slot) + length, slotLength - length);
    } else {
        MakeOwned(line).Erase(offset, length);
    }
    for (auto* observer : observers_) observer->LineEdited(line, offset, length, 0);
}

void TTextBuffer::SplitLine(int line, std::size_t offset)
{
    edited_ = true;
    const auto at = static_cast<std::size_t>(line);
    assert(offset <= LineSize(line));
    LineSlot tail;
    const LineSlot slot = lines_[at];
    if (!slot.Owned()) {
        // Both halves stay views into the loaded block.
        const std::uint64_t start = ViewOffset(slot), end = start + SlotLength(slot);
        tail = View(start + offset, end - start - offset, ViewEndAt(end));
        lines_[at] = View(start, offset, ViewEndAt(start + offset));
        ReleaseSlot(slot);
    } else if (const std::size_t length = SlotLength(slot);
               offset >= TOwnedLine::kLongLineBytes && length - offset >= TOwnedLine::kLongLineBytes) {
        // Both halves are long: they share the line's storage, and nothing is copied.
        TOwnedLine tailLine = owned_[slot.Index()].SplitOff(offset);
        tail = NewOwned(std::move(tailLine));
    } else if (length >= TOwnedLine::kLongLineBytes && offset < length - offset) {
        // The head is the shorter part of a long line: it is copied, and the line's storage stays
        // with the tail, so that Enter near the start of a line of megabytes copies little.
        lines_[at] = NewOwned(LineRange(line, 0, offset));
        owned_[slot.Index()].Erase(0, offset);
        tail = slot;
    } else {
        tail = NewOwned(LineRange(line, offset, length));  // may reallocate owned_, so no reference is held
        owned_[slot.Index()].Truncate(offset);
    }
    lines_.insert(at + 1, 1, tail);
    const std::size_t tailLength = SlotLength(tail);
    for (auto* observer : observers_) observer->LineSplit(line, offset, tailLength);
}

void TTextBuffer::JoinLine(int line)
{
    edited_ = true;
    assert(line + 1 < LineCount());
    const auto at = static_cast<std::size_t>(line);
    const LineSlot next = lines_[at + 1];
    const LineSlot current = lines_[at];
    const std::size_t currentLength = SlotLength(current);
    const std::size_t nextLength = SlotLength(next);
    if (current.Owned() && next.Owned() && owned_[current.Index()].SharesStorageBefore(owned_[next.Index()])) {
        // The halves of a split long line close the room between them.
        owned_[current.Index()].TakeIn(owned_[next.Index()]);
        ReleaseSlot(next);
    } else if (!current.Owned() && !next.Owned() && ViewOffset(current) + currentLength == ViewOffset(next)) {
        // Neighbours in the block: no copy.
        ReplaceView(lines_[at], ViewOffset(current), currentLength + nextLength);
        ReleaseSlot(next);
    } else if (next.Owned() && nextLength >= TOwnedLine::kLongLineBytes && currentLength < nextLength &&
               owned_[next.Index()].RoomInFront() >= currentLength) {
        // The shorter head goes into the room in front of a long tail.
        owned_[next.Index()].Insert(0, Line(line));
        ReleaseSlot(current);
        lines_[at] = next;
    } else if (current.Owned()) {
        // Neither the owned lines nor the block move when an owned line grows: no copy of the tail
        // first, which on a line of megabytes would cost its size again.
        owned_[current.Index()].Append(Line(line + 1));
        ReleaseSlot(next);
    } else {
        const std::string tailCopy(Line(line + 1));  // making the line owned may move what it views
        MakeOwned(line).Append(tailCopy);
        ReleaseSlot(next);
    }
    lines_.erase(at + 1, 1);
    for (auto* observer : observers_) observer->LinesJoined(line, currentLength, nextLength);
}

void TTextBuffer::InsertLines(int first, const std::vector<std::string_view>& lines)
{
    if (lines.empty()) return;
    edited_ = true;
    const auto at = static_cast<std::size_t>(first);
    lines_.insert(at, lines.size(), LineSlot{});
    for (std::size_t i = 0; i < lines.size(); ++i) lines_[at + i] = NewOwned(lines[i]);
    for (auto* observer : observers_) observer->LinesInserted(first, static_cast<int>(lines.size()));
}

void TTextBuffer::RemoveLines(int first, int count)
{
    if (count <= 0) return;
    edited_ = true;
    assert(first + count <= LineCount() && count < LineCount());
    for (int i = first; i < first + count; ++i) ReleaseSlot(lines_[static_cast<std::size_t>(i)]);
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
