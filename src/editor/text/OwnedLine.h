#pragma once
// The bytes of an edited line. A long line keeps free room before and after its bytes, and an
// edit moves the bytes on its shorter side only, so typing at either end of a line of megabytes
// (a minified page) moves almost nothing; room runs out only after a share of the line's size.

#include <cstddef>
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
    explicit TOwnedLine(std::string&& bytes) : storage_(std::move(bytes)) {}

    std::string_view View() const { return std::string_view(storage_).substr(front_); }
    std::size_t Size() const { return storage_.size() - front_; }
    // Bytes that can go in front of the line without moving it.
    std::size_t RoomInFront() const { return front_; }

    void Insert(std::size_t offset, std::string_view bytes);
    void Erase(std::size_t offset, std::size_t length);
    void Truncate(std::size_t length) { storage_.resize(front_ + length); }
    void Append(std::string_view bytes) { Insert(Size(), bytes); }
    void Release();

private:
    void Rebuild(std::size_t offset, std::string_view bytes);

    std::string storage_;
    std::size_t front_ = 0;  // the line's first byte; the bytes before it are room
};
