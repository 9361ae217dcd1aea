#pragma once
// The bytes of an edited line. A long line keeps free room before and after its bytes, and an
// edit moves the bytes on its shorter side only, so typing at either end of a line of megabytes
// (a minified page) moves almost nothing; room runs out only after a share of the line's size.
// Enter in a long line copies nothing: both halves keep the one storage, each its own part of it,
// and Backspace that joins them again makes the room between them the line's gap.
// Inside a long line a gap stays where it was last edited, so that typing and undoing in the
// middle of a line of megabytes moves nothing. Reading a range moves the gap out of that range
// only; reading the whole line closes it, which costs what an edit without the gap would.

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

class TOwnedLine {
public:
    // Lines from this size on keep room and grow by a share of their size.
    static constexpr std::size_t kLongLineBytes = 1 << 20;

    TOwnedLine() = default;
    // A copy of a long line keeps room on both sides from the start: the line split off by Enter
    // in a line of megabytes is typed into at its start next.
    explicit TOwnedLine(std::string_view bytes);
    // Takes a string's bytes over without a copy.
    explicit TOwnedLine(std::string&& bytes);
    // Not copied: a copy would write into the storage part of the line it came from.
    TOwnedLine(const TOwnedLine&) = delete;
    TOwnedLine& operator=(const TOwnedLine&) = delete;
    TOwnedLine(TOwnedLine&&) noexcept = default;
    TOwnedLine& operator=(TOwnedLine&&) noexcept = default;

    // The whole line; closes the gap.
    std::string_view View() const
    {
        if (!long_) return short_;
        CloseGap();
        return std::string_view(long_->Storage.get() + long_->Begin, Size());
    }
    // The bytes begin..end, moving the gap out of them to whichever of their ends is nearer.
    std::string_view Range(std::size_t begin, std::size_t end) const;
    std::size_t Size() const { return long_ ? long_->End - long_->Begin - long_->GapLength : short_.size(); }
    // Bytes that can go in front of the line without moving it.
    std::size_t RoomInFront() const { return long_ ? long_->Begin - long_->Low : 0; }

    void Insert(std::size_t offset, std::string_view bytes);
    void Erase(std::size_t offset, std::size_t length);
    void Truncate(std::size_t length);
    void Append(std::string_view bytes) { Insert(Size(), bytes); }
    void Release();

    // Cuts a long line at offset and gives back the tail, which shares this line's storage.
    TOwnedLine SplitOff(std::size_t offset);
    // Whether next was split off this line and both still stand side by side in one storage.
    bool SharesStorageBefore(const TOwnedLine& next) const;
    // Appends next, for which SharesStorageBefore holds, without moving either; next is left to be
    // released.
    void TakeIn(const TOwnedLine& next);

private:
    void MakeLong();
    void Rebuild(std::size_t offset, std::string_view bytes);
    bool FillGap(std::size_t offset, std::string_view bytes);
    bool GapIsFar(std::size_t offset) const;
    // The gap moves and closes inside the line's own part of the storage: its bytes stay the same.
    void MoveGapTo(std::size_t offset) const;
    void CloseGap() const;

    // A long line's storage: the line owns Low..High of it and its bytes stand at Begin..End, but
    // for the GapLength bytes from GapAt on.
    struct TLongPart {
        std::shared_ptr<char[]> Storage;
        std::size_t Low = 0, Begin = 0, End = 0, High = 0;
        std::size_t GapAt = 0, GapLength = 0;
    };

    std::string short_;  // the bytes of a line shorter than kLongLineBytes
    // Kept apart, so that the many short lines of a large paste cost no more than a string each.
    std::unique_ptr<TLongPart> long_;
};
