#include "editor/text/OwnedLine.h"

#include "editor/text/HugePages.h"

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

}  // namespace

TOwnedLine::TOwnedLine(std::string_view bytes)
{
    if (bytes.size() < kLongLineBytes) {
        short_ = bytes;
        return;
    }
    const std::size_t room = bytes.size() / 32;
    high_ = room + bytes.size() + room;
    storage_ = NewStorage(high_);
    begin_ = room;
    end_ = room + bytes.size();
    std::memcpy(storage_.get() + begin_, bytes.data(), bytes.size());
}

TOwnedLine::TOwnedLine(std::string&& bytes) : short_(std::move(bytes))
{
    if (short_.size() >= kLongLineBytes) MakeLong();
}

// The string's spare capacity (a loaded page's block has some) becomes room behind the line.
void TOwnedLine::MakeLong()
{
    auto taken = std::make_unique<std::string>(std::move(short_));
    const std::size_t size = taken->size();
    taken->resize(taken->capacity());
    high_ = taken->size();
    storage_ = std::shared_ptr<char[]>(taken->data(), [string = taken.get()](char*) { delete string; });
    taken.release();
    low_ = begin_ = 0;
    end_ = size;
}

void TOwnedLine::Insert(std::size_t offset, std::string_view bytes)
{
    const std::size_t count = bytes.size();
    if (count == 0) return;
    if (!storage_) {
        if (short_.size() < kLongLineBytes) {
            short_.insert(offset, bytes);
            return;
        }
        MakeLong();
    }
    const std::size_t size = Size();
    char* const data = storage_.get();
    const bool headIsShorter = offset < size / 2;
    if (headIsShorter && begin_ - low_ >= count) {
        std::memmove(data + begin_ - count, data + begin_, offset);
        begin_ -= count;
    } else if (!headIsShorter && high_ - end_ >= count) {
        std::memmove(data + begin_ + offset + count, data + begin_ + offset, size - offset);
        end_ += count;
    } else {
        Rebuild(offset, bytes);
        return;
    }
    std::memcpy(data + begin_ + offset, bytes.data(), count);
}

// Makes room on both sides: in place where the line's part of the storage has spare room (a
// loaded page's block has, and so has each half of a split line), else by one copy into new
// storage, which the other half of a split line, if any, no longer shares.
void TOwnedLine::Rebuild(std::size_t offset, std::string_view bytes)
{
    const std::size_t oldSize = Size(), count = bytes.size();
    const std::size_t size = oldSize + count;
    const std::size_t spare = high_ - low_ >= size ? high_ - low_ - size : 0;
    if (spare > 0 && spare >= size / 32) {
        char* const data = storage_.get();
        const std::size_t begin = low_ + spare / 2;
        // Whichever part moves away from the other goes first, so that neither lands on the other.
        const auto moveTail = [&] { std::memmove(data + begin + offset + count, data + begin_ + offset, oldSize - offset); };
        const auto moveHead = [&] { std::memmove(data + begin, data + begin_, offset); };
        if (begin > begin_) {
            moveTail();
            moveHead();
        } else {
            moveHead();
            moveTail();
        }
        std::memcpy(data + begin + offset, bytes.data(), count);
        begin_ = begin;
        end_ = begin + size;
        return;
    }
    const std::size_t room = size / 32;
    const std::string_view old = View();
    std::shared_ptr<char[]> grown = NewStorage(room + size + room);
    char* const data = grown.get();
    std::memcpy(data + room, old.data(), offset);
    std::memcpy(data + room + offset, bytes.data(), count);
    std::memcpy(data + room + offset + count, old.data() + offset, oldSize - offset);
    storage_ = std::move(grown);
    low_ = 0;
    begin_ = room;
    end_ = room + size;
    high_ = room + size + room;
}

void TOwnedLine::Erase(std::size_t offset, std::size_t length)
{
    if (length == 0) return;
    if (!storage_) {
        short_.erase(offset, length);
        return;
    }
    char* const data = storage_.get();
    const std::size_t size = Size();
    if (offset < (size - length) / 2) {
        std::memmove(data + begin_ + length, data + begin_, offset);
        begin_ += length;
    } else {
        std::memmove(data + begin_ + offset, data + begin_ + offset + length, size - offset - length);
        end_ -= length;
    }
}

void TOwnedLine::Truncate(std::size_t length)
{
    if (storage_)
        end_ = begin_ + length;
    else
        short_.resize(length);
}

void TOwnedLine::Release()
{
    std::string().swap(short_);
    storage_.reset();
    low_ = begin_ = end_ = high_ = 0;
}

// The cut leaves no room between the halves, so that joining them again costs nothing; the first
// byte typed at the tail's start makes room in the tail's part of the storage.
TOwnedLine TOwnedLine::SplitOff(std::size_t offset)
{
    assert(storage_ && offset <= Size());
    TOwnedLine tail;
    tail.storage_ = storage_;
    tail.low_ = tail.begin_ = begin_ + offset;
    tail.end_ = end_;
    tail.high_ = high_;
    end_ = high_ = begin_ + offset;
    return tail;
}

bool TOwnedLine::SharesStorageBefore(const TOwnedLine& next) const
{
    return storage_ && storage_ == next.storage_ && high_ == next.low_;
}

void TOwnedLine::TakeIn(const TOwnedLine& next)
{
    assert(SharesStorageBefore(next));
    char* const data = storage_.get();
    const std::size_t size = Size(), nextSize = next.Size(), gap = next.begin_ - end_;
    if (gap > 0 && size <= nextSize) {
        std::memmove(data + begin_ + gap, data + begin_, size);
        begin_ += gap;
        end_ += gap;
    } else if (gap > 0) {
        std::memmove(data + end_, data + next.begin_, nextSize);
    }
    end_ += nextSize;
    high_ = next.high_;
}
