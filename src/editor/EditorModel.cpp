#include "editor/EditorModel.h"

#include "editor/CharacterClass.h"
#include "editor/FileIO.h"
#include "highlight/CustomHighlighter.h"

#include <algorithm>
#include <cassert>

namespace {

// Lines of an edit text ('\n' separated).
std::vector<std::string_view> SplitAtNewlines(std::string_view text)
{
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    while (true) {
        const std::size_t newline = text.find('\n', start);
        if (newline == std::string_view::npos) break;
        parts.push_back(text.substr(start, newline - start));
        start = newline + 1;
    }
    parts.push_back(text.substr(start));
    return parts;
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

TEditorModel::TEditorModel() : highlight_(buffer_), charIndex_(buffer_, encoding_)
{
}

TEditorModel::~TEditorModel() = default;

// --- whole text -------------------------------------------------------------------------------

void TEditorModel::SetText(std::string bytes)
{
    const TDocumentEncoding encoding = IsValidUtf8(bytes) ? TDocumentEncoding::Utf8 : TDocumentEncoding::Windows1252;
    buffer_.SetText(std::move(bytes));  // a text it cannot hold leaves everything as it was
    encoding_ = encoding;
    ResetAfterNewText();
}

void TEditorModel::LoadBytes(std::string bytes)
{
    const TDocumentEncoding encoding = IsValidUtf8(bytes) ? TDocumentEncoding::Utf8 : TDocumentEncoding::Windows1252;
    buffer_.LoadBytes(std::move(bytes));
    encoding_ = encoding;
    ResetAfterNewText();
}

void TEditorModel::LoadFromFile(const std::string& path)
{
    try {
        LoadBytes(ReadWholeFile(path));
    } catch (const ETextLimitError& error) {
        throw EFileError("Cannot open file " + path + ". " + error.what());
    }
}

void TEditorModel::SaveToFile(const std::string& path) const
{
    WriteFileSafely(path, [this](const TByteSink& write) { return buffer_.WriteSaved(write); });
}

std::string TEditorModel::Text() const
{
    return buffer_.SavedBytes();
}

void TEditorModel::ResetAfterNewText()
{
    undo_.Clear();
    caret_ = anchor_ = {};
    desiredDisplayColumn_ = -1;
    bookmarks_ = {};
    pendingStep_ = {};
    compoundDepth_ = 0;
    Notify(true);
}

std::u32string TEditorModel::LineText(int line) const
{
    return DecodeText(buffer_.Line(line), encoding_);
}

int TEditorModel::LineLength(int line) const
{
    return static_cast<int>(charIndex_.Columns().LineChars(line));
}

// --- positions --------------------------------------------------------------------------------

TTextPosition TEditorModel::ClampToText(TTextPosition position) const
{
    position.Line = std::clamp(position.Line, 0, LineCount() - 1);
    position.Column = std::clamp(position.Column, 0, LineLength(position.Line));
    return position;
}

std::int64_t TEditorModel::CharIndexOf(TTextPosition position) const
{
    position = ClampToText(position);
    return charIndex_.LineStartIndex(position.Line) + position.Column;
}

TTextPosition TEditorModel::PositionOfCharIndex(std::int64_t index) const
{
    index = std::max<std::int64_t>(index, 0);
    const int line = charIndex_.LineOfIndex(index);
    const int length = LineLength(line);
    // An index on a break's second character, or past the end, stands for the line's end.
    return {line, static_cast<int>(std::min<std::int64_t>(index - charIndex_.LineStartIndex(line), length))};
}

std::size_t TEditorModel::ByteOffsetOf(TTextPosition position) const
{
    return charIndex_.Columns().ByteOfColumn(position.Line, std::max(0, position.Column));
}

TTextPosition TEditorModel::PositionOfByte(int line, std::size_t offset) const
{
    return {line, static_cast<int>(charIndex_.Columns().ColumnOfByte(line, offset))};
}

int TEditorModel::DisplayColumn(TTextPosition position) const
{
    const int tabWidth = std::max(1, settings_.TabWidth);
    return static_cast<int>(charIndex_.Columns().DisplayOfColumn(position.Line, position.Column, tabWidth));
}

int TEditorModel::ColumnAtDisplay(int line, int displayColumn) const
{
    const int tabWidth = std::max(1, settings_.TabWidth);
    return static_cast<int>(charIndex_.Columns().ColumnOfDisplay(line, displayColumn, tabWidth));
}

// --- caret and selection ----------------------------------------------------------------------

void TEditorModel::SetCaret(TTextPosition position, TSelectionUpdate update)
{
    position.Line = std::clamp(position.Line, 0, LineCount() - 1);
    position.Column = std::max(0, position.Column);
    if (!settings_.Options.Has(eoScrollPastEol)) position.Column = std::min(position.Column, LineLength(position.Line));
    if (update == TSelectionUpdate::Clear) anchor_ = position;
    caret_ = position;
    if (compoundDepth_ == 0) undo_.BreakGroup();
    Notify(false);
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
    Notify(false);
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
        return {0, std::max(DisplayColumn({line, LineLength(line)}) + 1, 1)};
    case smNormal: break;
    }
    const int first = line == begin.Line ? DisplayColumn(begin) : 0;
    // A selected line break shows as one column behind the line's text.
    const int last = line == end.Line ? DisplayColumn(end) : DisplayColumn({line, LineLength(line)}) + 1;
    return {first, std::max(first, last)};
}

std::u32string TEditorModel::SelectedText() const
{
    return DecodeText(SelectedBytes(), encoding_);
}

std::string TEditorModel::SelectedBytes() const
{
    if (!HasSelection()) return {};
    const TTextPosition begin = BlockBegin(), end = BlockEnd();
    std::string bytes;
    switch (settings_.SelectionMode) {
    case smNormal: {
        const TTextPosition from = ClampToText(begin), to = ClampToText(end);
        for (int line = from.Line; line <= to.Line; ++line) {
            const std::string_view text = buffer_.Line(line);
            const std::size_t first = line == from.Line ? ByteOffsetOf(from) : 0;
            const std::size_t last = line == to.Line ? ByteOffsetOf(to) : text.size();
            if (line > from.Line) bytes += "\r\n";
            bytes.append(text.substr(first, last - first));
        }
        break;
    }
    case smColumn: {
        const int a = DisplayColumn(anchor_), c = DisplayColumn(caret_);
        const int left = std::min(a, c), right = std::max(a, c);
        for (int line = begin.Line; line <= end.Line; ++line) {
            if (line > begin.Line) bytes += "\r\n";
            const std::size_t first = ByteOffsetOf({line, ColumnAtDisplay(line, left)});
            const std::size_t last = ByteOffsetOf({line, ColumnAtDisplay(line, right)});
            bytes.append(buffer_.Line(line).substr(first, last - first));
        }
        break;
    }
    case smLine:
        for (int line = begin.Line; line <= end.Line; ++line) {
            bytes.append(buffer_.Line(line));
            if (line + 1 < LineCount()) bytes += "\r\n";
        }
        break;
    }
    return bytes;
}

std::string TEditorModel::EncodeOrThrow(std::u32string_view text) const
{
    // Line breaks of any style become the internal '\n'.
    std::u32string normalized;
    normalized.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == U'\r') {
            normalized.push_back(U'\n');
            if (i + 1 < text.size() && text[i + 1] == U'\n') ++i;
        } else {
            normalized.push_back(text[i]);
        }
    }
    TEncodeResult encoded = EncodeText(normalized, encoding_);
    if (encoded.Unencodable) throw EEncodingError(UnencodableCharMessage(*encoded.Unencodable, encoding_));
    return std::move(encoded.Bytes);
}

void TEditorModel::DeleteSelection(TUndoKind kind)
{
    if (!HasSelection()) return;
    const TTextPosition begin = BlockBegin(), end = BlockEnd();
    switch (settings_.SelectionMode) {
    case smNormal:
        ReplaceRange(begin, ClampToText(end), {}, kind);
        caret_ = anchor_ = begin;
        break;
    case smColumn: {
        const int a = DisplayColumn(anchor_), c = DisplayColumn(caret_);
        const int left = std::min(a, c), right = std::max(a, c);
        for (int line = begin.Line; line <= end.Line; ++line) {
            const TTextPosition from{line, ColumnAtDisplay(line, left)};
            const TTextPosition to = ClampToText({line, ColumnAtDisplay(line, right)});
            if (from < to) ReplaceRange(from, to, {}, kind);
        }
        caret_ = anchor_ = {begin.Line, ColumnAtDisplay(begin.Line, left)};
        break;
    }
    case smLine:
        if (end.Line + 1 < LineCount())
            ReplaceRange({begin.Line, 0}, {end.Line + 1, 0}, {}, kind);
        else if (begin.Line > 0)
            ReplaceRange({begin.Line - 1, LineLength(begin.Line - 1)}, {end.Line, LineLength(end.Line)}, {}, kind);
        else
            ReplaceRange({0, 0}, {end.Line, LineLength(end.Line)}, {}, kind);
        caret_ = anchor_ = ClampToText({begin.Line, 0});
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
    const std::string bytes = EncodeOrThrow(text);
    BeginCompoundEdit();
    DeleteSelection(TUndoKind::Other);
    InsertAtCaret(bytes, TUndoKind::Other);
    EndCompoundEdit();
}

std::int64_t TEditorModel::SelectionStart() const
{
    if (!HasSelection()) return CharIndexOf(caret_);
    TTextPosition begin = BlockBegin();
    switch (settings_.SelectionMode) {
    case smLine: begin.Column = 0; break;
    case smColumn:
        // The block's left edge, which is the caret's column when it was drawn leftwards.
        begin.Column = ColumnAtDisplay(begin.Line, std::min(DisplayColumn(anchor_), DisplayColumn(caret_)));
        break;
    case smNormal: break;
    }
    return CharIndexOf(begin);
}

void TEditorModel::SetSelectionStart(std::int64_t index)
{
    const TTextPosition position = PositionOfCharIndex(index);
    anchor_ = caret_ = position;
    if (compoundDepth_ == 0) undo_.BreakGroup();
    Notify(false);
}

std::int64_t TEditorModel::SelectionLength() const
{
    if (!HasSelection()) return 0;
    if (settings_.SelectionMode == smNormal) return CharIndexOf(BlockEnd()) - CharIndexOf(BlockBegin());
    return static_cast<std::int64_t>(SelectedText().size());
}

void TEditorModel::SetSelectionLength(std::int64_t length)
{
    const std::int64_t start = SelectionStart();
    // A run of characters is a stream selection; in column or line mode it would take other text.
    if (length > 0) settings_.SelectionMode = smNormal;
    anchor_ = PositionOfCharIndex(start);
    caret_ = PositionOfCharIndex(start + std::max<std::int64_t>(length, 0));
    if (compoundDepth_ == 0) undo_.BreakGroup();
    Notify(false);
}

void TEditorModel::SelectAll()
{
    const int last = LineCount() - 1;
    // In column mode the block would end at the last line's width and leave longer lines out.
    settings_.SelectionMode = smNormal;
    anchor_ = {0, 0};
    caret_ = {last, LineLength(last)};
    Notify(false);
}

// --- edits and undo ---------------------------------------------------------------------------

TTextPosition TEditorModel::ApplyEdit(int line, std::size_t offset, std::string_view removed, std::string_view inserted)
{
    // Remove: the first line's tail, the whole lines between, the last line's head, then join.
    const std::vector<std::string_view> removedLines = SplitAtNewlines(removed);
    if (removedLines.size() == 1) {
        buffer_.RemoveText(line, offset, removed.size());
    } else {
        buffer_.RemoveText(line, offset, buffer_.Line(line).size() - offset);
        buffer_.RemoveLines(line + 1, static_cast<int>(removedLines.size()) - 2);
        buffer_.RemoveText(line + 1, 0, removedLines.back().size());
        buffer_.JoinLine(line);
    }

    const std::vector<std::string_view> parts = SplitAtNewlines(inserted);
    const int removedEndLine = line + static_cast<int>(removedLines.size()) - 1;
    MoveBookmarks(line, removedEndLine, line + static_cast<int>(parts.size()) - 1);
    if (parts.size() == 1) {
        buffer_.InsertText(line, offset, inserted);
        return PositionOfByte(line, offset + inserted.size());
    }
    buffer_.SplitLine(line, offset);
    buffer_.InsertText(line, offset, parts.front());
    buffer_.InsertLines(line + 1, std::vector<std::string_view>(parts.begin() + 1, parts.end() - 1));
    const int lastLine = line + static_cast<int>(parts.size()) - 1;
    buffer_.InsertText(lastLine, 0, parts.back());
    return PositionOfByte(lastLine, parts.back().size());
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
    from.Line = std::clamp(from.Line, 0, LineCount() - 1);
    from.Column = std::max(0, from.Column);
    to = ClampToText(std::max(to, from));

    const TTextPosition requested = from;
    // Text written (or a line joined) past a line's end lands at that column: pad with blanks.
    const int fromLength = LineLength(from.Line);
    std::string inserted;
    if (from.Column > fromLength && (!bytes.empty() || to.Line > from.Line))
        inserted.assign(static_cast<std::size_t>(from.Column - fromLength), ' ');
    from.Column = std::min(from.Column, fromLength);
    inserted.append(bytes);

    const std::size_t fromOffset = ByteOffsetOf(from);
    const std::size_t toOffset = ByteOffsetOf(to);
    if (LongestLineAfter(fromOffset, inserted, buffer_.Line(to.Line).size() - toOffset) > TextLimits().MaxLineBytes)
        throw ETextLimitError("A line would be longer than " + std::to_string(TextLimits().MaxLineBytes) + " characters.");
    std::string removed;
    for (int line = from.Line; line <= to.Line; ++line) {
        const std::string_view text = buffer_.Line(line);
        const std::size_t first = line == from.Line ? fromOffset : 0;
        const std::size_t last = line == to.Line ? toOffset : text.size();
        if (line > from.Line) removed += '\n';
        removed.append(text.substr(first, last - first));
    }
    if (removed.empty() && inserted.empty()) return requested;  // nothing to change

    BeginCompoundEdit(kind);
    const TTextPosition end = ApplyEdit(from.Line, fromOffset, removed, inserted);

    pendingStep_.Edits.push_back(TRangeEdit{from.Line, fromOffset, std::move(removed), std::move(inserted)});
    Notify(true);
    EndCompoundEdit();
    return end;
}

void TEditorModel::BeginCompoundEdit(TUndoKind kind)
{
    // The outermost action names the kind of the whole step.
    if (compoundDepth_++ == 0) {
        pendingStep_ = TUndoStep{};
        pendingStep_.Kind = kind;
        pendingStep_.Before = CurrentSelection();
    }
}

void TEditorModel::EndCompoundEdit()
{
    assert(compoundDepth_ > 0);
    if (--compoundDepth_ > 0) return;
    if (pendingStep_.Edits.empty()) {
        if (pendingStep_.Before != CurrentSelection()) undo_.BreakGroup();  // the caret moved
    } else {
        pendingStep_.After = CurrentSelection();
        undo_.SetMaxEntries(settings_.MaxUndo);
        undo_.Record(std::move(pendingStep_), settings_.Options.Has(eoGroupUndo) ? TUndoGrouping::GroupLikeEdits
                                                                                  : TUndoGrouping::Separate);
    }
    pendingStep_ = {};
    const bool changed = textChangedPending_;
    textChangedPending_ = false;
    Notify(changed);
}

void TEditorModel::RestoreSelection(const TSelectionState& state)
{
    anchor_ = state.Anchor;
    caret_ = state.Caret;
    settings_.SelectionMode = state.Mode;
}

void TEditorModel::Undo()
{
    if (!undo_.CanUndo()) return;
    TUndoStep step = undo_.TakeUndo();
    for (auto edit = step.Edits.rbegin(); edit != step.Edits.rend(); ++edit)
        ApplyEdit(edit->Line, edit->Offset, edit->Inserted, edit->Removed);
    RestoreSelection(step.Before);
    undo_.PushRedo(std::move(step));
    Notify(true);
}

void TEditorModel::Redo()
{
    if (!undo_.CanRedo()) return;
    TUndoStep step = undo_.TakeRedo();
    for (const TRangeEdit& edit : step.Edits) ApplyEdit(edit.Line, edit.Offset, edit.Removed, edit.Inserted);
    RestoreSelection(step.After);
    undo_.PushUndo(std::move(step));
    Notify(true);
}

void TEditorModel::Notify(bool textChanged)
{
    if (compoundDepth_ > 0) {
        textChangedPending_ = textChangedPending_ || textChanged;
        return;
    }
    if (textChanged && OnChange) OnChange();
    if (OnCaretMove) OnCaretMove();
}

// --- words ------------------------------------------------------------------------------------

bool TEditorModel::IsWordChar(char32_t ch) const
{
    if (const TCustomHighlighter* highlighter = highlight_.Highlighter()) {
        const auto& wordChars = highlighter->WordChars();
        if (encoding_ == TDocumentEncoding::Windows1252) {
            const auto byte = UnicodeToWindows1252(ch);
            return byte && wordChars.test(*byte);
        }
        if (ch < 256 && wordChars.test(ch)) return true;
        return ch >= 0x80 && IsUnicodeLetterOrDigit(ch);
    }
    return ch == '_' || IsUnicodeLetterOrDigit(ch);
}
