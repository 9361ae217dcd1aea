#pragma once
// The editor control without its widget: text, caret and selection, the editor commands, undo and
// redo, bookmarks and the highlight store. Positions are (line, character column), both from 0;
// character indexes count every line break as 2. Everything that changes text goes through
// ReplaceRange, which records undo and keeps the caret, bookmarks and highlighting in step.

#include "editor/CharIndexCache.h"
#include "editor/EditorCommands.h"
#include "editor/EditorSettings.h"
#include "editor/HighlightStore.h"
#include "editor/KeyStrokes.h"
#include "editor/TextBuffer.h"
#include "editor/TextEncoding.h"
#include "editor/TextPosition.h"
#include "editor/UndoList.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

class TCustomHighlighter;

// What the model needs from the view that shows it. The defaults suit a model without a view.
class TEditorHost {
public:
    virtual ~TEditorHost() = default;
    virtual int TopLine() const { return 0; }          // first visible line
    virtual int VisibleLines() const { return 1; }     // whole lines in view
    virtual int LeftColumn() const { return 0; }       // first visible display column
    virtual int VisibleColumns() const { return 80; }  // whole display columns in view
    virtual void ScrollTo(int /*topLine*/, int /*leftColumn*/) {}
    virtual std::u32string ClipboardText() { return {}; }
    virtual void SetClipboardText(const std::u32string& /*text*/) {}
    virtual void ContextHelp() {}
};

struct TCommandArgs {
    char32_t Char = 0;          // ecChar
    std::u32string Text;        // ecString, ecImeStr
    TTextPosition Position;     // ecGotoXY, ecSelGotoXY
};

enum class TSelectionUpdate { Clear, Extend };

class TEditorModel {
public:
    TEditorModel();
    ~TEditorModel();
    TEditorModel(const TEditorModel&) = delete;
    TEditorModel& operator=(const TEditorModel&) = delete;

    // --- whole text -------------------------------------------------------------------------
    // Replace-all rule (a final break adds no empty line); the page saves with CR LF. Clears undo.
    void SetText(std::string bytes);
    // Load rule; throws EFileError "Cannot open file <path>" and then changes nothing.
    void LoadFromFile(const std::string& path);
    // Load rule from bytes already read (the file's break style is remembered).
    void LoadBytes(std::string bytes);
    // Save rule, written safely; throws EFileError "Cannot create file <path>".
    void SaveToFile(const std::string& path) const;
    std::string Text() const;  // the bytes the save rule writes

    const TTextBuffer& Buffer() const { return buffer_; }
    TDocumentEncoding Encoding() const { return encoding_; }
    int LineCount() const { return buffer_.LineCount(); }
    std::string_view LineBytes(int line) const { return buffer_.Line(line); }
    std::u32string LineText(int line) const;
    int LineLength(int line) const;  // characters

    // --- positions ----------------------------------------------------------------------------
    std::int64_t CharIndexOf(TTextPosition position) const;   // columns past a line's end count as its end
    TTextPosition PositionOfCharIndex(std::int64_t index) const;  // clamped; inside a break: the line's end
    std::size_t ByteOffsetOf(TTextPosition position) const;  // in its line; past the end: the line's size
    TTextPosition PositionOfByte(int line, std::size_t offset) const;
    int DisplayColumn(TTextPosition position) const;  // tabs expanded to TabWidth; past the end: 1 per column
    int ColumnAtDisplay(int line, int displayColumn) const;
    TTextPosition ClampToText(TTextPosition position) const;  // column no further than the line's end

    // --- caret and selection ------------------------------------------------------------------
    TTextPosition Caret() const { return caret_; }
    TTextPosition Anchor() const { return anchor_; }
    void SetCaret(TTextPosition position, TSelectionUpdate update = TSelectionUpdate::Clear);
    void SetSelection(TTextPosition anchor, TTextPosition caret);
    bool HasSelection() const;
    TTextPosition BlockBegin() const;  // the earlier of anchor and caret
    TTextPosition BlockEnd() const;
    TSelectionMode SelectionMode() const { return settings_.SelectionMode; }
    void SetSelectionMode(TSelectionMode mode);
    // Selected columns [first, end) of a line in display columns; empty when none (for painting).
    std::pair<int, int> SelectedDisplayColumns(int line) const;

    // The editor operations used by commands.
    std::u32string SelectedText() const;
    // The same in the page's own bytes (lines joined by CR LF), without widening every character.
    std::string SelectedBytes() const;
    void ReplaceSelection(std::u32string_view text);  // throws EEncodingError, changing nothing
    std::int64_t SelectionStart() const;
    void SetSelectionStart(std::int64_t index);
    std::int64_t SelectionLength() const;
    void SetSelectionLength(std::int64_t length);
    int CaretLine() const { return caret_.Line + 1; }
    int CaretColumn() const { return caret_.Column + 1; }

    bool InsertMode() const { return settings_.InsertMode; }
    void SetInsertMode(bool on) { settings_.InsertMode = on; Notify(false); }

    // --- commands -----------------------------------------------------------------------------
    // Runs one editor command; ecChar, ecString, ecImeStr throw EEncodingError for characters the
    // page cannot store.
    void ExecuteCommand(TEditorCommand command, const TCommandArgs& args = {});
    // Looks a key press up (with the remembered first key) and runs its command; false when no
    // command was assigned.
    bool ExecuteKey(TVirtualKey key, TShiftState shift);
    void SelectAll();
    void Undo();
    void Redo();
    bool CanUndo() const { return undo_.CanUndo(); }
    bool CanRedo() const { return undo_.CanRedo(); }
    const TUndoList& UndoList() const { return undo_; }
    // Edits between these two undo as one step (nesting allowed); the caret and selection at the
    // outer End are what redo restores.
    void BeginCompoundEdit(TUndoKind kind = TUndoKind::Other);
    void EndCompoundEdit();

    // Replaces the text between two positions (either order) by bytes in the page's encoding,
    // lines separated by '\n'; text written past a line's end is preceded by blanks up to there.
    // The one way text changes; returns the end of the inserted text and leaves the caret and
    // selection to the caller (inside BeginCompoundEdit/EndCompoundEdit for an undo step that
    // restores them).
    TTextPosition ReplaceRange(TTextPosition from, TTextPosition to, std::string_view bytes,
                               TUndoKind kind = TUndoKind::Other);

    // --- bookmarks ----------------------------------------------------------------------------
    std::optional<TTextPosition> Bookmark(int index) const { return bookmarks_.at(index); }
    void SetBookmark(int index, std::optional<TTextPosition> position) { bookmarks_.at(index) = position; }

    // --- words --------------------------------------------------------------------------------
    // The highlighter's word characters when one is attached, else letters, digits and "_";
    // in a UTF-8 page every Unicode letter also counts.
    bool IsWordChar(char32_t ch) const;

    // --- parts --------------------------------------------------------------------------------
    EditorSettings& Settings() { return settings_; }
    const EditorSettings& Settings() const { return settings_; }
    TEditKeyStrokes& Keystrokes() { return keystrokes_; }
    THighlightStore& Highlight() { return highlight_; }
    void SetHighlighter(TCustomHighlighter* highlighter) { highlight_.SetHighlighter(highlighter); }
    TCustomHighlighter* Highlighter() const { return highlight_.Highlighter(); }
    void SetHost(TEditorHost* host) { host_ = host ? host : &defaultHost_; }

    // Called after every change of the text, and after caret or selection moves.
    std::function<void()> OnChange;
    std::function<void()> OnCaretMove;

private:
    friend class TEditorCommandRunner;

    void Notify(bool textChanged);
    void ResetAfterNewText();
    TSelectionState CurrentSelection() const { return {anchor_, caret_, settings_.SelectionMode}; }
    void RestoreSelection(const TSelectionState& state);
    std::string EncodeOrThrow(std::u32string_view text) const;
    TTextPosition ApplyEdit(int line, std::size_t offset, std::string_view removed, std::string_view inserted);
    void MoveBookmarks(int fromLine, int toLine, int endLine);
    void DeleteSelection(TUndoKind kind);
    void InsertAtCaret(std::string_view bytes, TUndoKind kind);

    TTextBuffer buffer_;
    TDocumentEncoding encoding_ = TDocumentEncoding::Utf8;
    EditorSettings settings_;
    TEditKeyStrokes keystrokes_;
    TKeyTranslator keyTranslator_;
    TUndoList undo_;
    THighlightStore highlight_;
    mutable TCharIndexCache charIndex_;
    TEditorHost defaultHost_;
    TEditorHost* host_ = &defaultHost_;

    TTextPosition caret_;
    TTextPosition anchor_;
    int desiredDisplayColumn_ = -1;  // kept over up and down moves
    TTextPosition desiredColumnCaret_;  // where the last up or down move left the caret
    std::array<std::optional<TTextPosition>, 10> bookmarks_;

    // An action in progress: its edits collect here and become one undo step.
    int compoundDepth_ = 0;
    TUndoStep pendingStep_;
    bool textChangedPending_ = false;
};
