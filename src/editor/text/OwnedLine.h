#pragma once
// The bytes of an edited line. A long line keeps free room before and after its bytes, and an
// edit moves the bytes on its shorter side only, so typing at either end of a line of megabytes
// (a minified page) moves almost nothing; room runs out only after a share of the line's size.
// Enter in a long line copies nothing: both halves keep the one storage, each its own part of it,
// and Backspace that joins them again only closes the room between them.

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

    std::string_view View() const
    {
        return storage_ ? std::string_view(storage_.get() + begin_, end_ - begin_) : std::string_view(short_);
    }
    std::size_t Size() const { return storage_ ? end_ - begin_ : short_.size(); }
    // Bytes that can go in front of the line without moving it.
    std::size_t RoomInFront() const { return begin_ - low_; }

    void Insert(std::size_t offset, std::string_view bytes);
    void Erase(std::size_t offset, std::size_t length);
    void Truncate(std::size_t length);
    void Append(std::string_view bytes) { Insert(Size(), bytes); }
    void Release();

    // Cuts a long line at offset and gives back the tail, which shares this line's storage.
    TOwnedLine SplitOff(std::size_t offset);
    // Whether next was split off this line and both still stand side by side in one storage.
    bool SharesStorageBefore(const TOwnedLine& next) const;
    // Appends next, for which SharesStorageBefore holds; next is left to be released.
    void TakeIn(const TOwnedLine& next);

private:
    void MakeLong();
    void Rebuild(std::size_t offset, std::string_view bytes);

    std::string short_;  // the bytes of a line shorter than kLongLineBytes
    // A long line's storage: the line owns low_..high_ of it and its bytes stand at begin_..end_.
    std::shared_ptr<char[]> storage_;
    std::size_t low_ = 0, begin_ = 0, end_ = 0, high_ = 0;
};
