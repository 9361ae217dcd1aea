#include "editor/control/EditorModel.h"

#include "editor/control/EditTransaction.h"
#include "editor/control/EditorCommandRunner.h"

#include <algorithm>
#include <cassert>

namespace {

bool KeepsDesiredColumn(TEditorCommand command)
{
    switch (command) {
    case ecUp: case ecDown: case ecPageUp: case ecPageDown:
    case ecSelUp: case ecSelDown: case ecSelPageUp: case ecSelPageDown:
        return true;
    default:
        return false;
    }
}

TUndoKind UndoKindOf(TEditorCommand command)
{
    switch (command) {
    case ecChar: return TUndoKind::Typing;
    case ecDeleteLastChar: return TUndoKind::DeleteBackward;
    case ecDeleteChar: return TUndoKind::DeleteForward;
    default: return TUndoKind::Other;
    }
}

// An upper bound of the longest line that inserting text between a line's head and another's tail
// leaves (text between its first and last break counts whole).
std::uint64_t LongestLineAfter(std::size_t head, std::string_view inserted, std::size_t tail)
{
    const std::size_t firstBreak = inserted.find('\n');
    if (firstBreak == std::string_view::npos) return std::uint64_t{head} + inserted.size() + tail;
    const std::size_t lastPart = inserted.size() - inserted.rfind('\n') - 1;
    return std::max<std::uint64_t>({std::uint64_t{head} + firstBreak, std::uint64_t{lastPart} + tail, inserted.size()});
}

}  // namespace

TEditorModel::TEditorModel()
{
    document_.Highlight().OnRepaint = [this] { NoteRestyled(); };
}

TEditorModel::~TEditorModel()
{
    // The store outlives this body; a highlighter detached as it goes must not reach a model half gone.
    document_.Highlight().OnRepaint = nullptr;
}

// --- whole text -------------------------------------------------------------------------------

void TEditorModel::SetText(std::string bytes)
{
    document_.SetText(std::move(bytes));
    ResetAfterNewText();
}

void TEditorModel::LoadBytes(std::string bytes)
{
    document_.LoadBytes(std::move(bytes));
    ResetAfterNewText();
}

void TEditorModel::LoadFromFile(const std::string& path)
{
    document_.LoadFromFile(path);
    ResetAfterNewText();
}

void TEditorModel::ResetAfterNewText()
{
    caret_ = anchor_ = {};
    desiredDisplayColumn_ = -1;
    bookmarks_ = {};
    // An open transaction stays open (its scope still closes it), but the edits it collected refer
    // to text that is gone: its step starts afresh on the new text.
    pendingStep_.Edits.clear();
    pendingStep_.Before = CurrentSelection();
    pendingChange_.NewText = true;
    pendingChange_.LineShifts.clear();
    Notify();
}

void TEditorModel::SetHighlighter(TCustomHighlighter* highlighter)
{
    document_.SetHighlighter(highlighter);
    NoteRestyled();
}

// --- caret and selection ----------------------------------------------------------------------

void TEditorModel::SetCaret(TTextPosition position, TSelectionUpdate update)
{
    position.Line = std::clamp(position.Line, 0, document_.LineCount() - 1);
    position.Column = std::max(0, position.Column);
    if (!settings_.Options.Has(eoScrollPastEol))
        position.Column = std::min(position.Column, document_.LineLength(position.Line));
    if (update == TSelectionUpdate::Clear) anchor_ = position;
    caret_ = position;
    BreakUndoGroupOutsideActions();
    Notify();
}

void TEditorModel::SetSelection(TTextPosition anchor, TTextPosition caret)
{
    SetCaret(anchor);
    SetCaret(caret, TSelectionUpdate::Extend);
}

bool TEditorModel::HasSelection() const
{
    return anchor_ != caret_;
}

TTextPosition TEditorModel::BlockBegin() const
{
    return std::min(anchor_, caret_);
}

TTextPosition TEditorModel::BlockEnd() const
{
    return std::max(anchor_, caret_);
}

void TEditorModel::SetSelectionMode(TSelectionMode mode)
{
    settings_.SelectionMode = mode;
    Notify();
}

std::pair<int, int> TEditorModel::SelectedDisplayColumns(int line) const
{
    if (!HasSelection()) return {0, 0};
    const TTextPosition begin = BlockBegin(), end = BlockEnd();
    if (line < begin.Line || line > end.Line) return {0, 0};
    switch (settings_.SelectionMode) {
    case smColumn: {
        const int a = DisplayColumn(anchor_), c = DisplayColumn(caret_);
        return {std::min(a, c), std::max(a, c)};
    }
    case smLine:
        return {0, std::max(DisplayColumn({line, document_.LineLength(line)}) + 1, 1)};
    case smNormal: break;
    }
    const int first = line == begin.Line ? DisplayColumn(begin) : 0;
    // A selected line break shows as one column behind the line's text.
    const int last = line == end.Line ? DisplayColumn(end) : DisplayColumn({line, document_.LineLength(line)}) + 1;
    return {first, std::max(first, last)};
}

std::u32string TEditorModel::SelectedText() const
{
    return DecodeText(SelectedBytes(), document_.Encoding());
}

std::string TEditorModel::SelectedBytes() const
{
    if (!HasSelection()) return {};
    const TTextPosition begin = BlockBegin(), end = BlockEnd();
    std::string bytes;
    switch (settings_.SelectionMode) {
    case smNormal:
        bytes = document_.BytesBetween(document_.ClampToText(begin), document_.ClampToText(end), "\r\n");
        break;
    case smColumn: {
        const int a = DisplayColumn(anchor_), c = DisplayColumn(caret_);
        const int left = std::min(a, c), right = std::max(a, c);
        for (int line = begin.Line; line <= end.Line; ++line) {
            if (line > begin.Line) bytes += "\r\n";
            const std::size_t first = document_.ByteOffsetOf({line, ColumnAtDisplay(line, left)});
            const std::size_t last = document_.ByteOffsetOf({line, ColumnAtDisplay(line, right)});
            bytes.append(document_.LineBytes(line).substr(first, last - first));
        }
        break;
    }
    case smLine:
        for (int line = begin.Line; line <= end.Line; ++line) {
            bytes.append(document_.LineBytes(line));
            if (line + 1 < document_.LineCount()) bytes += "\r\n";
        }
        break;
    }
    return bytes;
}

void TEditorModel::DeleteSelection(TUndoKind kind)
{
    if (!HasSelection()) return;
    const TTextPosition begin = BlockBegin(), end = BlockEnd();
    switch (settings_.SelectionMode) {
    case smNormal:
        ReplaceRange(begin, document_.ClampToText(end), {}, kind);
        caret_ = anchor_ = begin;
        break;
    case smColumn: {
        const int a = DisplayColumn(anchor_), c = DisplayColumn(caret_);
        const int left = std::min(a, c), right = std::max(a, c);
        for (int line = begin.Line; line <= end.Line; ++line) {
            const TTextPosition from{line, ColumnAtDisplay(line, left)};
            const TTextPosition to = document_.ClampToText({line, ColumnAtDisplay(line, right)});
            if (from < to) ReplaceRange(from, to, {}, kind);
        }
        caret_ = anchor_ = {begin.Line, ColumnAtDisplay(begin.Line, left)};
        break;
    }
    case smLine:
        if (end.Line + 1 < document_.LineCount())
            ReplaceRange({begin.Line, 0}, {end.Line + 1, 0}, {}, kind);
        else if (begin.Line > 0)
            ReplaceRange({begin.Line - 1, document_.LineLength(begin.Line - 1)},
                         {end.Line, document_.LineLength(end.Line)}, {}, kind);
        else
            ReplaceRange({0, 0}, {end.Line, document_.LineLength(end.Line)}, {}, kind);
        caret_ = anchor_ = document_.ClampToText({begin.Line, 0});
        break;
    }
}

void TEditorModel::InsertAtCaret(std::string_view bytes, TUndoKind kind)
{
    const TTextPosition end = ReplaceRange(caret_, caret_, bytes, kind);
    caret_ = anchor_ = end;
}

void TEditorModel::ReplaceSelection(std::u32string_view text)
{
    const std::string bytes = document_.EncodeOrThrow(text);
    TEditTransaction transaction(*this);
    DeleteSelection(TUndoKind::Other);
    InsertAtCaret(bytes, TUndoKind::Other);
}

std::int64_t TEditorModel::SelectionStart() const
{
    if (!HasSelection()) return document_.CharIndexOf(caret_);
    TTextPosition begin = BlockBegin();
    switch (settings_.SelectionMode) {
    case smLine: begin.Column = 0; break;
    case smColumn:
        // The block's left edge, which is the caret's column when it was drawn leftwards.
        begin.Column = ColumnAtDisplay(begin.Line, std::min(DisplayColumn(anchor_), DisplayColumn(caret_)));
        break;
    case smNormal: break;
    }
    return document_.CharIndexOf(begin);
}

void TEditorModel::SetSelectionStart(std::int64_t index)
{
    const TTextPosition position = document_.PositionOfCharIndex(index);
    anchor_ = caret_ = position;
    BreakUndoGroupOutsideActions();
    Notify();
}

std::int64_t TEditorModel::SelectionLength() const
{
    if (!HasSelection()) return 0;
    if (settings_.SelectionMode == smNormal)
        return document_.CharIndexOf(BlockEnd()) - document_.CharIndexOf(BlockBegin());
    return static_cast<std::int64_t>(SelectedText().size());
}

void TEditorModel::SetSelectionLength(std::int64_t length)
{
    const std::int64_t start = SelectionStart();
    // A run of characters is a stream selection; in column or line mode it would take other text.
    if (length > 0) settings_.SelectionMode = smNormal;
    anchor_ = document_.PositionOfCharIndex(start);
    caret_ = document_.PositionOfCharIndex(start + std::max<std::int64_t>(length, 0));
    BreakUndoGroupOutsideActions();
    Notify();
}

void TEditorModel::SelectAll()
{
    const int last = document_.LineCount() - 1;
    // In column mode the block would end at the last line's width and leave longer lines out.
    settings_.SelectionMode = smNormal;
    anchor_ = {0, 0};
    caret_ = {last, document_.LineLength(last)};
    Notify();
}

// --- edits and undo ---------------------------------------------------------------------------

TTextPosition TEditorModel::ApplyEdit(int line, std::size_t offset, std::string_view removed, std::string_view inserted)
{
    const int removedBreaks = static_cast<int>(std::count(removed.begin(), removed.end(), '\n'));
    const int insertedBreaks = static_cast<int>(std::count(inserted.begin(), inserted.end(), '\n'));
    MoveBookmarks(line, line + removedBreaks, line + insertedBreaks);
    const TTextPosition end = document_.ApplyEdit(line, offset, removed, inserted);
    NoteLinesChanged(line, removedBreaks, insertedBreaks);
    if (removedBreaks > 0 || insertedBreaks > 0)
        pendingChange_.LineShifts.push_back({line + 1, removedBreaks, insertedBreaks});
    Notify();
    return end;
}

// The touched range follows later edits: lines below an edit move by the breaks it added or took
// away, and the range grows to cover the edit's own lines.
void TEditorModel::NoteLinesChanged(int line, int removedBreaks, int insertedBreaks)
{
    TEditorChange& change = pendingChange_;
    const int editEnd = line + insertedBreaks;
    if (change.FirstLine < 0) {
        change.FirstLine = line;
        change.LastLine = editEnd;
        return;
    }
    const auto follow = [&](int noted, int inside) {
        if (noted < line) return noted;
        if (noted > line + removedBreaks) return noted + insertedBreaks - removedBreaks;
        return inside;
    };
    change.FirstLine = std::min(follow(change.FirstLine, line), line);
    change.LastLine = std::max(follow(change.LastLine, editEnd), editEnd);
}

// Bookmarks on lines below an edit follow their lines; one on a removed line moves to the edit.
void TEditorModel::MoveBookmarks(int fromLine, int toLine, int endLine)
{
    for (auto& bookmark : bookmarks_) {
        if (!bookmark || bookmark->Line <= fromLine) continue;
        if (bookmark->Line > toLine)
            bookmark->Line += endLine - toLine;
        else
            bookmark->Line = bookmark->Line == toLine ? endLine : fromLine;
    }
}

TTextPosition TEditorModel::ReplaceRange(TTextPosition from, TTextPosition to, std::string_view bytes, TUndoKind kind)
{
    if (to < from) std::swap(from, to);
    from.Line = std::clamp(from.Line, 0, document_.LineCount() - 1);
    from.Column = std::max(0, from.Column);
    to = document_.ClampToText(std::max(to, from));

    const TTextPosition requested = from;
    // Text written (or a line joined) past a line's end lands at that column: pad with blanks.
    const int fromLength = document_.LineLength(from.Line);
    std::string inserted;
    if (from.Column > fromLength && (!bytes.empty() || to.Line > from.Line))
        inserted.assign(static_cast<std::size_t>(from.Column - fromLength), ' ');
    from.Column = std::min(from.Column, fromLength);
    inserted.append(bytes);

    const std::size_t fromOffset = document_.ByteOffsetOf(from);
    const std::size_t toOffset = document_.ByteOffsetOf(to);
    const std::size_t tail = document_.LineSize(to.Line) - toOffset;
    if (LongestLineAfter(fromOffset, inserted, tail) > TextLimits().MaxLineBytes)
        throw ETextLimitError("A line would be longer than " + std::to_string(TextLimits().MaxLineBytes) + " characters.");
    std::string removed = document_.BytesBetween(from, to);
    if (removed.empty() && inserted.empty()) return requested;  // nothing to change

    TEditTransaction step(*this, kind);
    const TTextPosition end = ApplyEdit(from.Line, fromOffset, removed, inserted);
    pendingStep_.Edits.push_back(TRangeEdit{from.Line, fromOffset, std::move(removed), std::move(inserted)});
    return end;
}

void TEditorModel::BeginTransaction(TTransactionScope scope, TUndoKind kind)
{
    ++transactionDepth_;
    // The transaction that opens the step names the kind of the whole step.
    if (scope == TTransactionScope::UndoStep && undoStepDepth_ == 0) {
        undoStepDepth_ = transactionDepth_;
        pendingStep_ = TUndoStep{};
        pendingStep_.Kind = kind;
        pendingStep_.Before = CurrentSelection();
    }
}

void TEditorModel::EndTransaction()
{
    assert(transactionDepth_ > 0);
    if (transactionDepth_ == undoStepDepth_) CloseUndoStep();
    if (--transactionDepth_ == 0 && (noticePending_ || pendingChange_.Restyled)) SendNotice();
}

void TEditorModel::CloseUndoStep()
{
    undoStepDepth_ = 0;
    if (pendingStep_.Edits.empty()) {
        if (pendingStep_.Before != CurrentSelection()) document_.UndoList().BreakGroup();  // the caret moved
    } else {
        pendingStep_.After = CurrentSelection();
        TUndoList& undo = document_.UndoList();
        undo.SetMaxEntries(settings_.MaxUndo);
        undo.Record(std::move(pendingStep_), settings_.Options.Has(eoGroupUndo) ? TUndoGrouping::GroupLikeEdits
                                                                                : TUndoGrouping::Separate);
    }
    pendingStep_ = {};
    // Every action's end is announced, also one that changed nothing: the view shows its caret.
    Notify();
}

void TEditorModel::RestoreSelection(const TSelectionState& state)
{
    anchor_ = state.Anchor;
    caret_ = state.Caret;
    settings_.SelectionMode = state.Mode;
}

void TEditorModel::Undo()
{
    TUndoList& undo = document_.UndoList();
    if (!undo.CanUndo()) return;
    // The step's edits are announced together; undo and redo replay a step and record none.
    TEditTransaction notice(*this, TTransactionScope::NoticeOnly);
    TUndoStep step = undo.TakeUndo();
    for (auto edit = step.Edits.rbegin(); edit != step.Edits.rend(); ++edit)
        ApplyEdit(edit->Line, edit->Offset, edit->Inserted, edit->Removed);
    RestoreSelection(step.Before);
    undo.PushRedo(std::move(step));
}

void TEditorModel::Redo()
{
    TUndoList& undo = document_.UndoList();
    if (!undo.CanRedo()) return;
    // The step's edits are announced together; undo and redo replay a step and record none.
    TEditTransaction notice(*this, TTransactionScope::NoticeOnly);
    TUndoStep step = undo.TakeRedo();
    for (const TRangeEdit& edit : step.Edits) ApplyEdit(edit.Line, edit.Offset, edit.Removed, edit.Inserted);
    RestoreSelection(step.After);
    undo.PushUndo(std::move(step));
}

void TEditorModel::Notify()
{
    noticePending_ = true;
    if (transactionDepth_ == 0) SendNotice();
}

void TEditorModel::NoteRestyled()
{
    pendingChange_.Restyled = true;
    if (transactionDepth_ == 0) SendNotice();
}

void TEditorModel::SendNotice()
{
    TEditorChange change = std::move(pendingChange_);
    const TSelectionState selection = CurrentSelection();
    change.CaretMoved = selection.Caret != noticedSelection_.Caret;
    change.SelectionChanged = selection != noticedSelection_;
    change.ActionEnded = noticePending_;
    noticedSelection_ = selection;
    pendingChange_ = {};
    noticePending_ = false;
    if (OnChanged) OnChanged(change);
}

void TEditorModel::BreakUndoGroupOutsideActions()
{
    // Inside an undo step the caret moves with its edits; outside, a move ends a run of typing.
    if (undoStepDepth_ == 0) document_.UndoList().BreakGroup();
}

// --- commands ---------------------------------------------------------------------------------

void TEditorModel::ExecuteCommand(TEditorCommand command, const TCommandArgs& args)
{
    // Undo and redo replay steps themselves and must not open a step of their own.
    if (command == ecUndo) return Undo();
    if (command == ecRedo) return Redo();
    TEditTransaction transaction(*this, UndoKindOf(command));
    TEditorCommandRunner(*this).Run(command, args);
    if (KeepsDesiredColumn(command))
        desiredColumnCaret_ = caret_;
    else
        desiredDisplayColumn_ = -1;
}

bool TEditorModel::ExecuteKey(TVirtualKey key, TShiftState shift)
{
    const TEditorCommand command = keyTranslator_.Translate(keystrokes_, key, shift);
    if (command == ecNone) return false;
    ExecuteCommand(command);
    return true;
}

int TEditorModel::DesiredDisplayColumn()
{
    if (desiredDisplayColumn_ < 0 || caret_ != desiredColumnCaret_) desiredDisplayColumn_ = DisplayColumn(caret_);
    return desiredDisplayColumn_;
}

void TEditorModel::SetBookmark(int index, std::optional<TTextPosition> position)
{
    bookmarks_.at(static_cast<std::size_t>(index)) = position;
    Notify();
}
