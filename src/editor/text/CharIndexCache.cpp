#include "editor/text/CharIndexCache.h"

#include <algorithm>

TCharIndexCache::TCharIndexCache(TTextBuffer& buffer, const TDocumentEncoding& encoding)
    : buffer_(buffer), encoding_(encoding), columns_(buffer, encoding)
{
    buffer_.AddObserver(this);
}

void TCharIndexCache::LineChanged(int line)
{
    Invalidate(line);
    columns_.LineChanged(line);
}

void TCharIndexCache::LineEdited(int line, std::size_t offset, std::size_t removed, std::size_t inserted)
{
    Invalidate(line);
    columns_.LineEdited(line, offset, removed, inserted);
}

void TCharIndexCache::LineSplit(int line, std::size_t offset, std::size_t tailLength)
{
    Invalidate(line);
    columns_.LineSplit(line, offset, tailLength);
}

void TCharIndexCache::LinesJoined(int line, std::size_t headLength, std::size_t tailLength)
{
    Invalidate(line);
    columns_.LinesJoined(line, headLength, tailLength);
}

void TCharIndexCache::LinesInserted(int first, int count)
{
    Invalidate(first);
    columns_.LinesInserted(first, count);
}

void TCharIndexCache::LinesRemoved(int first, int count)
{
    Invalidate(first);
    columns_.LinesRemoved(first, count);
}

void TCharIndexCache::TextReplaced()
{
    Invalidate(0);
    columns_.Clear();
}

TCharIndexCache::~TCharIndexCache()
{
    buffer_.RemoveObserver(this);
}

void TCharIndexCache::Invalidate(int line)
{
    // Block b stays valid while every line before its first line is unchanged.
    const std::size_t keep = static_cast<std::size_t>(line / kBlockLines) + 1;
    if (blockStarts_.size() > keep) blockStarts_.resize(keep);
}

std::int64_t TCharIndexCache::LineChars(int line)
{
    return columns_.LineChars(line) + 2;
}

void TCharIndexCache::CountBlocksUpTo(int block)
{
    if (blockStarts_.empty()) blockStarts_.push_back(0);
    while (static_cast<int>(blockStarts_.size()) <= block) {
        const int first = (static_cast<int>(blockStarts_.size()) - 1) * kBlockLines;
        const int end = std::min(first + kBlockLines, buffer_.LineCount());
        std::int64_t index = blockStarts_.back();
        for (int line = first; line < end; ++line) index += LineChars(line);
        blockStarts_.push_back(index);
    }
}

std::int64_t TCharIndexCache::LineStartIndex(int line)
{
    const int block = line / kBlockLines;
    CountBlocksUpTo(block);
    std::int64_t index = blockStarts_[static_cast<std::size_t>(block)];
    for (int before = block * kBlockLines; before < line; ++before) index += LineChars(before);
    return index;
}

int TCharIndexCache::LineOfIndex(std::int64_t index)
{
    const int lastBlock = (buffer_.LineCount() - 1) / kBlockLines;
    // The last block whose start is at or before index.
    int block = 0;
    CountBlocksUpTo(0);
    while (block < lastBlock) {
        CountBlocksUpTo(block + 1);
        if (blockStarts_[static_cast<std::size_t>(block + 1)] > index) break;
        ++block;
    }
    std::int64_t start = blockStarts_[static_cast<std::size_t>(block)];
    int line = block * kBlockLines;
    const int last = buffer_.LineCount() - 1;
    while (line < last) {
        const std::int64_t next = start + LineChars(line);
        if (next > index) break;
        start = next;
        ++line;
    }
    return line;
}
