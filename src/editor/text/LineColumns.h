#pragma once
// Character and display columns of long lines without counting from the line's start. A line of
// many kilobytes (a minified page is one line of megabytes) keeps marks every few kilobytes: the
// byte offset, character column and display column (tabs expanded) of a character start. A query
// counts only from the nearest mark, and an edit recounts the stretch around it and shifts the
// marks after it. Short lines keep no marks and are counted from their start.

#include "editor/text/TextBuffer.h"
#include "editor/text/TextEncoding.h"

#include <cstdint>
#include <map>
#include <string_view>
#include <vector>

struct TColumnMark {
    std::size_t Byte = 0;
    std::int64_t Chars = 0;
    std::int64_t Display = 0;
    bool TabBefore = false;  // a tab lies between the previous mark and this one
};

class TLineColumns {
public:
    // Lines from this length on keep marks; a mark follows the last after this many bytes.
    static constexpr std::size_t kMarkedLineBytes = 64 * 1024;
    static constexpr std::size_t kMarkStride = 16 * 1024;

    TLineColumns(const TTextBuffer& buffer, const TDocumentEncoding& encoding);
    // The columns keep a reference to the encoding, which must outlive them.
    TLineColumns(const TTextBuffer&, TDocumentEncoding&&) = delete;

    std::int64_t LineChars(int line);
    std::size_t ByteOfColumn(int line, std::int64_t column);  // past the end: the line's size
    std::int64_t ColumnOfByte(int line, std::size_t offset);
    std::int64_t DisplayOfColumn(int line, std::int64_t column, int tabWidth);  // past the end: 1 per column
    std::int64_t ColumnOfDisplay(int line, std::int64_t display, int tabWidth);
    // The last mark at or before a display column (the line's start for a short line), so that a
    // painter can decode from there.
    TColumnMark MarkAtDisplay(int line, std::int64_t display, int tabWidth);

    // Kept in step by the buffer's owner.
    void LineEdited(int line, std::size_t offset, std::size_t removed, std::size_t inserted);
    void LineChanged(int line) { marks_.erase(line); }
    void LinesInserted(int first, int count);
    void LinesRemoved(int first, int count);
    // Enter and its undo in a long line: the marks on each side of the break are kept and moved
    // rather than counted again over megabytes.
    void LineSplit(int line, std::size_t offset, std::size_t tailLength);
    void LinesJoined(int line, std::size_t headLength, std::size_t tailLength);
    void Clear() { marks_.clear(); }

private:
    struct Marks {
        int TabWidth = 8;
        std::vector<TColumnMark> List;  // the line's start first, its end last
    };

    const Marks* MarksOf(int line, int tabWidth);  // tabWidth 0: whichever the marks have
    Marks Build(std::string_view bytes, int tabWidth) const;
    // Counts from `from` to the byte `to`, adding a mark every stride to `out` (not one at `to`).
    TColumnMark Count(std::string_view bytes, TColumnMark from, std::size_t to, int tabWidth,
                      std::vector<TColumnMark>* out) const;
    struct TShift {
        std::int64_t Bytes;
        std::int64_t Chars;
        std::int64_t Display;
    };
    void Shift(Marks& marks, std::size_t counted, int line, TShift shift) const;
    // The line, sure to hold its bytes from..to and the character that starts before to.
    std::string_view Window(int line, std::size_t from, std::size_t to) const;

    const TTextBuffer& buffer_;
    const TDocumentEncoding& encoding_;
    std::map<int, Marks> marks_;
};
