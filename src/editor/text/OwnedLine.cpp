#include "editor/text/OwnedLine.h"

#include "editor/text/HugePages.h"

#include <cstring>

TOwnedLine::TOwnedLine(std::string_view bytes)
{
    if (bytes.size() < kLongLineBytes) {
        storage_ = bytes;
        return;
    }
    const std::size_t room = bytes.size() / 32;
    storage_.reserve(room + bytes.size() + room);
    AskForHugePages(storage_.data(), storage_.capacity());
    storage_.append(room, '\0').append(bytes);
    front_ = room;
}

void TOwnedLine::Insert(std::size_t offset, std::string_view bytes)
{
    const std::size_t size = Size(), count = bytes.size();
    if (count == 0) return;
    if (size < kLongLineBytes) {
        storage_.insert(front_ + offset, bytes);
        return;
    }
    const bool headIsShorter = offset < size / 2;
    if (headIsShorter && front_ >= count) {
        std::memmove(storage_.data() + front_ - count, storage_.data() + front_, offset);
        front_ -= count;
        std::memcpy(storage_.data() + front_ + offset, bytes.data(), count);
    } else if (!headIsShorter && storage_.capacity() - storage_.size() >= count) {
        storage_.insert(front_ + offset, bytes);
    } else {
        Rebuild(offset, bytes);
    }
}

// Makes room on both sides: in place where the string has the capacity (a loaded page's block
// has), else by one copy into new storage; the string's own growth would double the size of a line
// of megabytes and keep no room in front.
void TOwnedLine::Rebuild(std::size_t offset, std::string_view bytes)
{
    const std::size_t oldSize = Size(), count = bytes.size();
    const std::size_t size = oldSize + count;
    const std::size_t room = size / 32;
    if (storage_.capacity() >= room + size) {
        storage_.resize(room + size);
        char* data = storage_.data();
        // The tail first: it moves right past where the head lands.
        std::memmove(data + room + offset + count, data + front_ + offset, oldSize - offset);
        std::memmove(data + room, data + front_, offset);
        std::memcpy(data + room + offset, bytes.data(), count);
        front_ = room;
        return;
    }
    std::string grown;
    grown.reserve(room + size + room);
    AskForHugePages(grown.data(), grown.capacity());
    grown.append(room, '\0');
    grown.append(storage_, front_, offset).append(bytes).append(storage_, front_ + offset);
    storage_.swap(grown);
    front_ = room;
}

void TOwnedLine::Erase(std::size_t offset, std::size_t length)
{
    if (length == 0) return;
    if (offset < (Size() - length) / 2) {
        std::memmove(storage_.data() + front_ + length, storage_.data() + front_, offset);
        front_ += length;
    } else {
        storage_.erase(front_ + offset, length);
    }
}

void TOwnedLine::Release()
{
    std::string().swap(storage_);
    front_ = 0;
}
