#pragma once
// The lines of one page, as bytes without their line breaks. A loaded file stays in one block and
// lines are views into it until edited, so a large page costs little more than its own size.
// The primitive edits below are the only way the text changes; observers hear of each one.

#include "editor/text/GapVector.h"
#include "editor/text/OwnedLine.h"
#include "editor/text/TextEncoding.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

class TTextSnapshot;

// The break written after every line but the last when the page is saved.
enum class TLineBreak { CrLf, Lf, Cr };

std::string_view LineBreakBytes(TLineBreak lineBreak);

// The load rule's line ends in bytes: every LF, and every CR not followed by LF.
std::size_t CountLineBreaks(std::string_view bytes);
// The bytes before the first CR or LF (all of them without one).
std::size_t LengthToLineBreak(const char* data, std::size_t size);

// The largest page the editor can hold: positions are int lines and int character columns, so a
// line may hold at most INT_MAX bytes (a character is at least one byte) and a page at most
// INT_MAX - 1 lines. Process-wide so that tests can lower them instead of allocating gigabytes.
struct TTextLimits {
    std::uint64_t MaxLineBytes;
    std::uint64_t MaxLines;
};
TTextLimits DefaultTextLimits();
TTextLimits TextLimits();
void SetTextLimits(const TTextLimits& limits);

// A text the buffer cannot hold (a limit above, or too little memory for the line index). The
// message is the reason, a sentence for the user; the text is left as it was. Editors report it
// as they report text the page's encoding cannot store.
class ETextLimitError : public EEncodingError {
public:
    using EEncodingError::EEncodingError;
};

class TTextBufferObserver {
public:
    virtual ~TTextBufferObserver() = default;
    // The bytes of one line changed; the number of lines did not.
    virtual void LineChanged(int line) = 0;
    // The same for an edit inside the line: removed bytes at offset became inserted ones.
    virtual void LineEdited(int line, std::size_t /*offset*/, std::size_t /*removed*/, std::size_t /*inserted*/)
    {
        LineChanged(line);
    }
    // count lines now stand at first..first+count-1; the lines from first on moved down.
    virtual void LinesInserted(int first, int count) = 0;
    // The lines first..first+count-1 are gone; the lines after them moved up.
    virtual void LinesRemoved(int first, int count) = 0;
    // line was split at offset: its tail of tailLength bytes is now line + 1.
    virtual void LineSplit(int line, std::size_t offset, std::size_t tailLength)
    {
        LineEdited(line, offset, tailLength, 0);
        LinesInserted(line + 1, 1);
    }
    // line + 1, of tailLength bytes, was appended to line, which had headLength bytes.
    virtual void LinesJoined(int line, std::size_t headLength, std::size_t tailLength)
    {
        LinesRemoved(line + 1, 1);
        LineEdited(line, headLength, 0, tailLength);
    }
    // The whole text was replaced (load, replace all).
    virtual void TextReplaced() = 0;
};

class TTextBuffer {
public:
    TTextBuffer();  // a new page: one empty line, CR LF breaks

    // Replace-all rule: split at CR LF, CR or LF; a final break adds no empty line. Breaks of a
    // replaced text are not remembered: a page whose text was replaced saves with CR LF.
    // SetText and LoadBytes throw ETextLimitError and then change nothing.
    void SetText(std::string bytes);
    // Load rule: as SetText, but the break style is remembered (CR if only CR seen, LF if only LF
    // seen, else CR LF) and a final break gives an empty last line.
    void LoadBytes(std::string bytes);
    // Whether the bytes last given to SetText or LoadBytes were valid UTF-8 (found while splitting
    // them, so that a large page is not read once more for it). True for a new page.
    bool TextIsUtf8() const { return textIsUtf8_; }
    // Save rule: every line followed by the remembered break except the last.
    std::string SavedBytes() const;
    std::size_t SavedSize() const;
    // The same bytes piece by piece; stops and returns false when write does.
    bool WriteSaved(const std::function<bool(std::string_view)>& write) const;

    TLineBreak LineBreak() const { return lineBreak_; }
    void SetLineBreak(TLineBreak lineBreak) { lineBreak_ = lineBreak; }

    int LineCount() const { return static_cast<int>(lines_.size()); }
    // Valid until the next edit; a range or window of a line until the next read of that line
    // too. A whole long line costs a move of part of it
    // after an edit inside it; readers of part of a line read LineRange instead.
    std::string_view Line(int line) const;
    // The bytes begin..end of a line, end at most its size; cheap after an edit near them.
    std::string_view LineRange(int line, std::size_t begin, std::size_t end) const;
    // The line with its own offsets, of which only begin..end are sure to hold its bytes (those of
    // a long line that was edited; all of them otherwise), for readers that index the whole line.
    std::string_view LineWindow(int line, std::size_t begin, std::size_t end) const;
    std::size_t LineSize(int line) const { return SlotLength(lines_[static_cast<std::size_t>(line)]); }

    // Primitive edits. Byte offsets must lie within the line and on character starts.
    void InsertText(int line, std::size_t offset, std::string_view bytes);  // bytes hold no breaks
    void RemoveText(int line, std::size_t offset, std::size_t length);
    void SplitLine(int line, std::size_t offset);  // the tail becomes line + 1
    void JoinLine(int line);                       // line + 1 is appended to line
    // Bulk forms for many whole lines at once.
    void InsertLines(int first, const std::vector<std::string_view>& lines);
    void RemoveLines(int first, int count);

    void AddObserver(TTextBufferObserver* observer);
    void RemoveObserver(TTextBufferObserver* observer);

    // Lines held as copies of their own rather than views into the loaded block.
    std::size_t OwnedLineCount() const { return owned_.size() - freeOwned_.size(); }

    // The bytes last given to SetText or LoadBytes while no edit has changed the lines since (the
    // lines are then those bytes split by the load rule); none after an edit.
    std::shared_ptr<const std::string> UneditedText() const { return edited_ ? nullptr : block_; }

    // The saved bytes frozen as they are now, cheaply: the loaded block is shared, not copied.
    TTextSnapshot Snapshot() const;

private:
    friend class TTextSnapshot;

    // 4 bytes a line, so that a page of millions of short lines costs little beyond its bytes. A
    // line is a view into block_ that ends at a line break or at the block's end (its length is
    // found there; the offset is the slot itself), a string of owned_, or a view of any length kept
    // in ranged_ (long lines, views cut by edits, places beyond the first 2 GB).
    struct LineSlot {
        std::uint32_t Bits = 0;

        static constexpr std::uint32_t kTagged = 1u << 31;  // not a view that ends at a break
        static constexpr std::uint32_t kRangedBit = 1u << 30;
        static constexpr std::uint32_t kIndexMask = kRangedBit - 1;

        bool BreakView() const { return (Bits & kTagged) == 0; }
        bool Owned() const { return (Bits & (kTagged | kRangedBit)) == kTagged; }
        std::uint32_t Index() const { return Bits & kIndexMask; }  // into owned_ or ranged_
    };
    struct RangedView {
        std::uint64_t Offset;
        std::uint64_t Length;
    };
    // Views that end at a break are shorter than this, so that finding their length stays cheap.
    static constexpr std::uint64_t kBreakViewBytes = 4096;

    // The bytes and the start of a slot that is no owned line, in the block and ranged views given.
    static std::string_view ViewBytes(const std::string& block, const std::vector<RangedView>& ranged, LineSlot slot);
    static std::uint64_t ViewOffset(const std::vector<RangedView>& ranged, LineSlot slot)
    {
        return slot.BreakView() ? slot.Bits : ranged[slot.Index()].Offset;
    }

    enum class TViewEnd { AtBreak, Inside };

    // The save rule over count lines: lines that stand in the block as saved, breaks included, go
    // out as one piece, so that an unedited stretch of a large page is not taken apart line by line.
    static bool WriteSavedLines(std::string_view block, std::string_view lineBreak, std::size_t count,
                                const std::function<std::string_view(std::size_t)>& lineAt,
                                const std::function<bool(std::string_view)>& write);

    void Split(std::string bytes, bool keepFinalEmptyLine, bool rememberBreak);
    TOwnedLine& MakeOwned(int line);
    void ReleaseSlot(const LineSlot& slot);
    LineSlot NewOwned(std::string_view bytes);
    LineSlot NewOwned(TOwnedLine&& line);
    LineSlot View(std::uint64_t offset, std::uint64_t length, TViewEnd end);
    [[gnu::cold]] LineSlot NewRanged(std::uint64_t offset, std::uint64_t length);
    TViewEnd ViewEndAt(std::uint64_t end) const;
    // Points slot at other bytes of the block, letting go of what it held.
    void ReplaceView(LineSlot& slot, std::uint64_t offset, std::uint64_t length);
    std::uint64_t ViewOffset(const LineSlot& slot) const { return ViewOffset(ranged_, slot); }
    std::size_t SlotLength(const LineSlot& slot) const;
    bool OnlyLineWithBytes(int line) const;

    // Shared so that a snapshot written out on another thread keeps it alive after a reload or
    // after the block is handed to an edited line (the hand-over copies while a snapshot holds it).
    std::shared_ptr<std::string> block_;
    TGapVector<LineSlot> lines_;
    std::vector<RangedView> ranged_;
    std::vector<std::uint32_t> freeRanged_;
    std::vector<TOwnedLine> owned_;
    std::vector<std::uint32_t> freeOwned_;
    TLineBreak lineBreak_ = TLineBreak::CrLf;
    bool textIsUtf8_ = true;
    bool edited_ = false;  // since the last SetText or LoadBytes
    std::vector<TTextBufferObserver*> observers_;
};
