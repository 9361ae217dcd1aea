#pragma once
// Character indexes of line starts (every line break counting 2), kept per block of lines so that
// SelectionStart at the end of a large page does not recount the whole page each time. An edit
// drops the blocks from its line on; they are counted again when next asked for. Columns inside
// long lines come from their marks (LineColumns).

#include "editor/text/LineColumns.h"
#include "editor/text/TextBuffer.h"
#include "editor/text/TextEncoding.h"

#include <cstdint>
#include <vector>

class TCharIndexCache : private TTextBufferObserver {
public:
    TCharIndexCache(TTextBuffer& buffer, const TDocumentEncoding& encoding);
    ~TCharIndexCache() override;
    TCharIndexCache(const TCharIndexCache&) = delete;
    TCharIndexCache& operator=(const TCharIndexCache&) = delete;

    // Index of the first character of line.
    std::int64_t LineStartIndex(int line);
    // The line holding index (the last line for indexes past the end); index >= 0.
    int LineOfIndex(std::int64_t index);

    TLineColumns& Columns() { return columns_; }

private:
    static constexpr int kBlockLines = 1024;

    void LineChanged(int line) override;
    void LineEdited(int line, std::size_t offset, std::size_t removed, std::size_t inserted) override;
    void LineSplit(int line, std::size_t offset, std::size_t tailLength) override;
    void LinesJoined(int line, std::size_t headLength, std::size_t tailLength) override;
    void LinesInserted(int first, int count) override;
    void LinesRemoved(int first, int count) override;
    void TextReplaced() override;

    void Invalidate(int line);
    void CountBlocksUpTo(int block);
    std::int64_t LineChars(int line);

    TTextBuffer& buffer_;
    const TDocumentEncoding& encoding_;
    TLineColumns columns_;
    // blockStarts_[b]: index of the first character of line b * kBlockLines; all kept ones are valid.
    std::vector<std::int64_t> blockStarts_;
};
