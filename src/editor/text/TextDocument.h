#pragma once
// One page's text without a caret: the line buffer, the page's encoding, the undo list, the
// highlight store and the character index, with loading and saving. Print layout, search and upload
// read a page through this class; the control model (caret, selection, keys) edits it. Positions
// are (line, character column), both from 0; character indexes count every line break as 2. While a
// control model shows the page, text changes go through that model, which keeps the caret,
// bookmarks and undo steps in step with them.

#include "base/FileError.h"
#include "editor/text/CharIndexCache.h"
#include "editor/text/HighlightStore.h"
#include "editor/text/TextBuffer.h"
#include "editor/text/TextEncoding.h"
#include "editor/text/TextPosition.h"
#include "editor/text/UndoList.h"

#include <cstdint>
#include <string>
#include <string_view>

class TCustomHighlighter;

// The error that opening a file refuses a page beyond the text limits with; a page's bytes kept
// elsewhere (a recovery copy) are refused with the same words.
EFileError PageRefusedError(const std::string& path, const ETextLimitError& error);

// Display columns end here: a line of many tabs would otherwise count past what an int holds, and
// the painter adds the width of the view and of a tab to a column.
constexpr int kMaxDisplayColumn = 1 << 30;

class TTextDocument {
public:
    TTextDocument();
    ~TTextDocument();
    TTextDocument(const TTextDocument&) = delete;
    TTextDocument& operator=(const TTextDocument&) = delete;

    // --- whole text -------------------------------------------------------------------------
    // The encoding follows the bytes: UTF-8 when they are valid UTF-8, else Windows-1252. Both
    // clear the undo list; both throw ETextLimitError for a text the buffer cannot hold and then
    // change nothing.
    void SetText(std::string bytes);  // replace-all rule: a final break adds no empty line
    void LoadBytes(std::string bytes);  // load rule: the file's break style is remembered
    // Throws EFileError "Cannot open file <path>" (with the reason for a page beyond the text
    // limits) and then changes nothing.
    void LoadFromFile(const std::string& path);
    // Written safely; throws EFileError "Cannot create file <path>".
    void SaveToFile(const std::string& path) const;
    std::string Text() const;  // the bytes the save rule writes

    const TTextBuffer& Buffer() const { return buffer_; }
    TDocumentEncoding Encoding() const { return encoding_; }
    int LineCount() const { return buffer_.LineCount(); }
    std::string_view LineBytes(int line) const { return buffer_.Line(line); }
    // Part of a line: cheaper than the whole after an edit inside a long line.
    std::string_view LineBytes(int line, std::size_t begin, std::size_t end) const { return buffer_.LineRange(line, begin, end); }
    std::size_t LineSize(int line) const { return buffer_.LineSize(line); }
    std::string_view LineWindow(int line, std::size_t begin, std::size_t end) const { return buffer_.LineWindow(line, begin, end); }
    std::u32string LineText(int line) const;
    int LineLength(int line) const;  // characters

    // --- positions ----------------------------------------------------------------------------
    std::int64_t CharIndexOf(TTextPosition position) const;   // columns past a line's end count as its end
    TTextPosition PositionOfCharIndex(std::int64_t index) const;  // clamped; inside a break: the line's end
    std::size_t ByteOffsetOf(TTextPosition position) const;  // in its line; past the end: the line's size
    TTextPosition PositionOfByte(int line, std::size_t offset) const;
    TTextPosition ClampToText(TTextPosition position) const;  // column no further than the line's end
    // Tabs expanded to stops every tabWidth columns; past a line's end one column per character;
    // never beyond kMaxDisplayColumn.
    int DisplayColumn(TTextPosition position, int tabWidth) const;
    int ColumnAtDisplay(int line, int displayColumn, int tabWidth) const;
    // The bytes between two positions inside the text, lines joined by `lineBreak`.
    std::string BytesBetween(TTextPosition from, TTextPosition to, std::string_view lineBreak = "\n") const;

    // --- characters ---------------------------------------------------------------------------
    // Text in the page's bytes, any break style turned into '\n'; throws EEncodingError for a
    // character the page cannot hold.
    std::string EncodeOrThrow(std::u32string_view text) const;
    // The highlighter's word characters when one is attached, else letters, digits and "_";
    // in a UTF-8 page every Unicode letter also counts.
    bool IsWordChar(char32_t ch) const;

    // --- parts --------------------------------------------------------------------------------
    THighlightStore& Highlight() { return highlight_; }
    const THighlightStore& Highlight() const { return highlight_; }
    void SetHighlighter(TCustomHighlighter* highlighter) { highlight_.SetHighlighter(highlighter); }
    TCustomHighlighter* Highlighter() const { return highlight_.Highlighter(); }
    TUndoList& UndoList() { return undo_; }
    const TUndoList& UndoList() const { return undo_; }

    // Replaces `removed` (which must stand at line and byte offset) by `inserted`, both with lines
    // separated by '\n', without recording undo; returns the end of the inserted text. The control
    // model records the step and moves what follows the text.
    TTextPosition ApplyEdit(int line, std::size_t offset, std::string_view removed, std::string_view inserted);

private:
    TTextBuffer buffer_;
    TDocumentEncoding encoding_ = TDocumentEncoding::Utf8;
    TUndoList undo_;
    THighlightStore highlight_;
    mutable TCharIndexCache charIndex_;
};
