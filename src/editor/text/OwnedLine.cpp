#include "editor/text/OwnedLine.h"

#include "editor/text/HugePages.h"

#include <algorithm>
#include <cassert>
#include <cstring>

namespace {

// Storage not filled with zeros first: it is written over at once, and on a line of megabytes
// the filling would cost as much as the copy.
std::shared_ptr<char[]> NewStorage(std::size_t size)
{
    std::shared_ptr<char[]> storage(new char[size]);
    AskForHugePages(storage.get(), size);
    return storage;
}

// The room an edit that moves one side of a long line leaves as the gap for the next keystrokes.
constexpr std::size_t kGapBytes = 64 * 1024;

}  // namespace

std::string_view TOwnedLine::Range(std::size_t begin, std::size_t end) const
{
    assert(begin <= end && end <= Size());
    if (!long_) return std::string_view(short_).substr(begin, end - begin);
    const std::size_t gap = long_->GapAt - long_->Begin;
    if (long_->GapLength > 0 && begin < gap && gap < end) MoveGapTo(gap - begin <= end - gap ? begin : end);
    const std::size_t at = long_->Begin + begin + (begin >= long_->GapAt - long_->Begin ? long_->GapLength : 0);
    return std::string_view(long_->Storage.get() + at, end - begin);
}

void TOwnedLine::MoveGapTo(std::size_t offset) const
{
    char* const data = long_->Storage.get();
    const std::size_t target = long_->Begin + offset, length = long_->GapLength;
    if (length > 0 && target < long_->GapAt)
        std::memmove(data + target + length, data + target, long_->GapAt - target);
    else if (length > 0 && target > long_->GapAt)
        std::memmove(data + long_->GapAt, data + long_->GapAt + length, target - long_->GapAt);
    long_->GapAt = target;
}

// The shorter side moves, and the gap's bytes become room on the other.
void TOwnedLine::CloseGap() const
{
    if (long_->GapLength == 0) return;
    char* const data = long_->Storage.get();
    const std::size_t head = long_->GapAt - long_->Begin, tail = long_->End - long_->GapAt - long_->GapLength;
    if (head < tail) {
        std::memmove(data + long_->Begin + long_->GapLength, data + long_->Begin, head);
        long_->Begin += long_->GapLength;
    } else {
        std::memmove(data + long_->GapAt, data + long_->GapAt + long_->GapLength, tail);
        long_->End -= long_->GapLength;
    }
    long_->GapLength = 0;
}

// Whether moving the gap to offset costs more than closing it and moving the shorter side there.
bool TOwnedLine::GapIsFar(std::size_t offset) const
{
    if (long_->GapLength == 0) return false;
    const std::size_t size = Size(), gap = long_->GapAt - long_->Begin;
    const std::size_t distance = offset > gap ? offset - gap : gap - offset;
    return distance > std::min(gap, size - gap) + std::min(offset, size - offset);
}

bool TOwnedLine::FillGap(std::size_t offset, std::string_view bytes)
{
    if (long_->GapLength < bytes.size() || GapIsFar(offset)) return false;
    MoveGapTo(offset);
    std::memcpy(long_->Storage.get() + long_->GapAt, bytes.data(), bytes.size());
    long_->GapAt += bytes.size();
    long_->GapLength -= bytes.size();
    return true;
}

TOwnedLine::TOwnedLine(std::string_view bytes)
{
    if (bytes.size() < kLongLineBytes) {
        short_ = bytes;
        return;
    }
    const std::size_t room = bytes.size() / 32;
    long_ = std::make_unique<TLongPart>();
    long_->High = room + bytes.size() + room;
    long_->Storage = NewStorage(long_->High);
    long_->Begin = room;
    long_->End = room + bytes.size();
    std::memcpy(long_->Storage.get() + long_->Begin, bytes.data(), bytes.size());
}

TOwnedLine::TOwnedLine(std::string&& bytes) : short_(std::move(bytes))
{
    if (short_.size() >= kLongLineBytes) MakeLong();
}

// The string's spare capacity (a loaded page's block has some) becomes room behind the line.
void TOwnedLine::MakeLong()
{
    // Allocated before the bytes move, so that running out of memory leaves the line as it was.
    auto part = std::make_unique<TLongPart>();
    auto taken = std::make_shared<std::string>();
    taken->swap(short_);
    part->End = taken->size();
    taken->resize(taken->capacity());
    part->High = taken->size();
    part->Storage = std::shared_ptr<char[]>(taken, taken->data());
    long_ = std::move(part);
}

void TOwnedLine::Insert(std::size_t offset, std::string_view bytes)
{
    const std::size_t count = bytes.size();
    if (count == 0) return;
    if (!long_) {
        if (short_.size() < kLongLineBytes) {
            short_.insert(offset, bytes);
            return;
        }
        MakeLong();
    }
    if (FillGap(offset, bytes)) return;
    CloseGap();
    const std::size_t size = Size();
    char* const data = long_->Storage.get();
    const bool headIsShorter = offset < size / 2;
    std::size_t gap = 0;
    if (headIsShorter && long_->Begin - long_->Low >= count) {
        gap = std::min(kGapBytes, long_->Begin - long_->Low - count);
        std::memmove(data + long_->Begin - count - gap, data + long_->Begin, offset);
        long_->Begin -= count + gap;
    } else if (!headIsShorter && long_->High - long_->End >= count) {
        gap = std::min(kGapBytes, long_->High - long_->End - count);
        std::memmove(data + long_->Begin + offset + count + gap, data + long_->Begin + offset, size - offset);
        long_->End += count + gap;
    } else {
        Rebuild(offset, bytes);
        return;
    }
    std::memcpy(data + long_->Begin + offset, bytes.data(), count);
    long_->GapAt = long_->Begin + offset + count;
    long_->GapLength = gap;
}

// Makes room on both sides: in place where the line's part of the storage has spare room (a
// loaded page's block has, and so has each half of a split line), else by one copy into new
// storage, which the other half of a split line, if any, no longer shares.
void TOwnedLine::Rebuild(std::size_t offset, std::string_view bytes)
{
    const std::size_t oldSize = Size(), count = bytes.size();
    const std::size_t size = oldSize + count;
    const std::size_t spare = long_->High - long_->Low >= size ? long_->High - long_->Low - size : 0;
    if (spare > 0 && spare >= size / 32) {
        char* const data = long_->Storage.get();
        const std::size_t begin = long_->Low + spare / 2;
        // Whichever part moves away from the other goes first, so that neither lands on the other.
        const auto moveTail = [&] { std::memmove(data + begin + offset + count, data + long_->Begin + offset, oldSize - offset); };
        const auto moveHead = [&] { std::memmove(data + begin, data + long_->Begin, offset); };
        if (begin > long_->Begin) {
            moveTail();
            moveHead();
        } else {
            moveHead();
            moveTail();
        }
        std::memcpy(data + begin + offset, bytes.data(), count);
        long_->Begin = begin;
        long_->End = begin + size;
        return;
    }
    const std::size_t room = size / 32;
    const std::string_view old = View();
    std::shared_ptr<char[]> grown = NewStorage(room + size + room);
    char* const data = grown.get();
    std::memcpy(data + room, old.data(), offset);
    std::memcpy(data + room + offset, bytes.data(), count);
    std::memcpy(data + room + offset + count, old.data() + offset, oldSize - offset);
    long_->Storage = std::move(grown);
    long_->Low = 0;
    long_->Begin = room;
    long_->End = room + size;
    long_->High = room + size + room;
}

void TOwnedLine::Erase(std::size_t offset, std::size_t length)
{
    if (length == 0) return;
    if (!long_) {
        short_.erase(offset, length);
        return;
    }
    // The erased bytes join the gap.
    if (GapIsFar(offset)) CloseGap();
    MoveGapTo(offset);
    long_->GapLength += length;
}

void TOwnedLine::Truncate(std::size_t length)
{
    if (!long_) {
        short_.resize(length);
    } else if (long_->GapAt - long_->Begin >= length) {
        long_->End = long_->Begin + length;
        long_->GapLength = 0;
    } else {
        long_->End = long_->Begin + long_->GapLength + length;
    }
}

void TOwnedLine::Release()
{
    std::string().swap(short_);
    long_.reset();
}

// The cut leaves no room between the halves, so that joining them again costs nothing; the first
// byte typed at the tail's start makes room in the tail's part of the storage.
TOwnedLine TOwnedLine::SplitOff(std::size_t offset)
{
    assert(offset <= Size());
    if (!long_) MakeLong();  // a paste may have made a short line long
    if (GapIsFar(offset)) CloseGap();
    MoveGapTo(offset);  // the gap becomes room in front of the tail
    TOwnedLine tail;
    tail.long_ = std::make_unique<TLongPart>();
    tail.long_->Storage = long_->Storage;
    tail.long_->Low = long_->Begin + offset;
    tail.long_->Begin = tail.long_->Low + long_->GapLength;
    long_->GapLength = 0;
    tail.long_->End = long_->End;
    tail.long_->High = long_->High;
    long_->End = long_->High = long_->Begin + offset;
    return tail;
}

bool TOwnedLine::SharesStorageBefore(const TOwnedLine& next) const
{
    return long_ && next.long_ && long_->Storage == next.long_->Storage && long_->High == next.long_->Low;
}

void TOwnedLine::TakeIn(const TOwnedLine& next)
{
    assert(SharesStorageBefore(next));
    CloseGap();
    next.CloseGap();
    // The room between the halves becomes the gap, at the place of the join.
    long_->GapAt = long_->End;
    long_->GapLength = next.long_->Begin - long_->End;
    long_->End = next.long_->End;
    long_->High = next.long_->High;
}
