#pragma once
// The editor control without its widget: caret and selection, the desired column, modes, key
// dispatch, bookmarks and settings, over a TTextDocument that holds the text, encoding, undo list
// and highlight store. Positions are (line, character column), both from 0; character indexes count
// every line break as 2. Everything that changes text goes through ReplaceRange, which records undo
// and keeps the caret and bookmarks in step; an action's edits are grouped by a TEditTransaction.
// Callers read the page from Document() and change it here; a view follows OnChanged alone.

#include "editor/control/EditorCommands.h"
#include "editor/control/EditorSettings.h"
#include "editor/control/KeyStrokes.h"
#include "editor/text/TextDocument.h"
#include "editor/text/TextPosition.h"
#include "editor/text/UndoList.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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

// What a transaction groups: its edits as one undo step, or only the change notice.
enum class TTransactionScope { UndoStep, NoticeOnly };

// One edit that took lines away or added some: the lines First..First+Removed-1 went, then
// Inserted lines came in at First; the lines below moved with them.
struct TLineShift {
    int First = 0;
    int Removed = 0;
    int Inserted = 0;
    friend bool operator==(const TLineShift&, const TLineShift&) = default;
};

// What one action changed, sent once when the outermost transaction ends (or at once outside any);
// the one notice a view follows, for the text as for its colours.
struct TEditorChange {
    // The lines whose text changed, as the text now stands; -1 when no text changed.
    int FirstLine = -1;
    int LastLine = -1;
    // The action's edits that moved lines, in the order they were made, so that what a view shows
    // of a line can follow it; after NewText only the shifts since then.
    std::vector<TLineShift> LineShifts;
    bool NewText = false;           // the whole text was set or loaded
    bool CaretMoved = false;
    bool SelectionChanged = false;  // anchor, caret or selection mode
    // Colours anywhere may differ: a highlighter was attached or detached, or its attributes changed.
    bool Restyled = false;
    // An action ended (anything but a restyle alone): a view brings its caret into view.
    bool ActionEnded = false;
    bool TextChanged() const { return NewText || FirstLine >= 0; }
};

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

    // The page: its text, lines, positions, encoding, saving and undo list are read there; its
    // text changes only here, so that caret, bookmarks, undo steps and the notice follow.
    TTextDocument& Document() { return document_; }
    const TTextDocument& Document() const { return document_; }

    // --- display columns ----------------------------------------------------------------------
    // Tabs expanded to the settings' TabWidth; past the end: 1 per column.
    int DisplayColumn(TTextPosition position) const { return document_.DisplayColumn(position, settings_.TabWidth); }
    int ColumnAtDisplay(int line, int displayColumn) const
    {
        return document_.ColumnAtDisplay(line, displayColumn, settings_.TabWidth);
    }

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
    void SetInsertMode(bool on) { settings_.InsertMode = on; Notify(); }
    // The display column up and down moves aim for: kept over a run of such moves, taken afresh
    // from the caret once anything else (a click, an undo, a command) placed it.
    int DesiredDisplayColumn();

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

    // Replaces the text between two positions (either order) by bytes in the page's encoding,
    // lines separated by '\n'; text written past a line's end is preceded by blanks up to there.
    // The one way text changes; returns the end of the inserted text and leaves the caret and
    // selection to the caller (inside a TEditTransaction for an undo step that restores them).
    TTextPosition ReplaceRange(TTextPosition from, TTextPosition to, std::string_view bytes,
                               TUndoKind kind = TUndoKind::Other);
    // Removes the selected text in the selection mode's shape; the caret goes where it began.
    void DeleteSelection(TUndoKind kind);
    // Inserts bytes in the page's encoding at the caret and puts the caret behind them.
    void InsertAtCaret(std::string_view bytes, TUndoKind kind);

    // --- bookmarks ----------------------------------------------------------------------------
    std::optional<TTextPosition> Bookmark(int index) const { return bookmarks_.at(index); }
    void SetBookmark(int index, std::optional<TTextPosition> position);

    // --- parts --------------------------------------------------------------------------------
    EditorSettings& Settings() { return settings_; }
    const EditorSettings& Settings() const { return settings_; }
    TEditKeyStrokes& Keystrokes() { return keystrokes_; }
    // Attaching or detaching (nullptr) is announced as a restyle, as are the attached one's
    // attribute changes.
    void SetHighlighter(TCustomHighlighter* highlighter);
    void SetHost(TEditorHost* host) { host_ = host ? host : &defaultHost_; }
    TEditorHost& Host() const { return *host_; }

    // The change notice: once per action, after every change of the text and after caret,
    // selection, mode or bookmark changes; and after a restyle.
    std::function<void(const TEditorChange&)> OnChanged;
    // Whether a transaction is open, so that a notice is still to come.
    bool InTransaction() const { return transactionDepth_ > 0; }

private:
    // Only a transaction opens and closes an action.
    friend class TEditTransaction;
    // Edits between the begin and end of an undo-step transaction undo as one step; the caret and
    // selection at its end are what redo restores.
    void BeginTransaction(TTransactionScope scope, TUndoKind kind);
    void EndTransaction();
    void CloseUndoStep();

    // Something was changed: the notice goes now, or when the outermost transaction ends.
    void Notify();
    void NoteLinesChanged(int line, int removedBreaks, int insertedBreaks);
    void NoteRestyled();
    void SendNotice();
    void ResetAfterNewText();
    TSelectionState CurrentSelection() const { return {anchor_, caret_, settings_.SelectionMode}; }
    void RestoreSelection(const TSelectionState& state);
    TTextPosition ApplyEdit(int line, std::size_t offset, std::string_view removed, std::string_view inserted);
    void MoveBookmarks(int fromLine, int toLine, int endLine);
    void BreakUndoGroupOutsideActions();

    TTextDocument document_;
    EditorSettings settings_;
    TEditKeyStrokes keystrokes_;
    TKeyTranslator keyTranslator_;
    TEditorHost defaultHost_;
    TEditorHost* host_ = &defaultHost_;

    TTextPosition caret_;
    TTextPosition anchor_;
    int desiredDisplayColumn_ = -1;  // kept over up and down moves
    TTextPosition desiredColumnCaret_;  // where the last up or down move left the caret
    std::array<std::optional<TTextPosition>, 10> bookmarks_;

    // An action in progress: its edits collect here and become one undo step.
    int transactionDepth_ = 0;
    int undoStepDepth_ = 0;  // the depth of the transaction that opened pendingStep_; 0 when none
    TUndoStep pendingStep_;
    // The notice being gathered, and the selection the last notice reported.
    bool noticePending_ = false;  // an action changed something; a restyle alone leaves it false
    TEditorChange pendingChange_;
    TSelectionState noticedSelection_;
};
