#include "editor/control/EditorCommandRunner.h"

#include "editor/text/CharacterClass.h"

#include <algorithm>

void TEditorCommandRunner::Run(TEditorCommand command, const TCommandArgs& args)
{
    if (command >= ecLeft && command <= ecGotoXY) {
        RunMovement(command, args, false);
        return;
    }
    if (command >= ecSelLeft && command <= ecSelGotoXY) {
        RunMovement(static_cast<TEditorCommand>(command - kSelectingVariantOffset), args, true);
        return;
    }
    if (command >= ecGotoMarker0 && command <= ecGotoMarker9) return GotoMarker(command - ecGotoMarker0);
    if (command >= ecSetMarker0 && command <= ecSetMarker9) return SetMarker(command - ecSetMarker0);

    switch (command) {
    case ecSelWord: SelectWord(); break;
    case ecSelectAll: m_.SelectAll(); break;
    case ecDeleteLastChar: DeleteLastChar(); break;
    case ecDeleteChar: DeleteChar(); break;
    case ecDeleteWord: DeleteWord(); break;
    case ecDeleteLastWord: DeleteLastWord(); break;
    case ecDeleteBOL: {
        const TTextPosition caret = page_.ClampToText(m_.Caret());
        m_.ReplaceRange({caret.Line, 0}, caret, {});
        m_.SetCaret({caret.Line, 0});
        break;
    }
    case ecDeleteEOL: {
        const TTextPosition caret = m_.Caret();
        m_.ReplaceRange(caret, {caret.Line, page_.LineLength(caret.Line)}, {});
        m_.SetCaret(caret);
        break;
    }
    case ecDeleteLine: DeleteLine(); break;
    case ecClearAll: {
        const int last = page_.LineCount() - 1;
        m_.ReplaceRange({0, 0}, {last, page_.LineLength(last)}, {});
        m_.SetCaret({});
        break;
    }
    case ecLineBreak: LineBreak(true); break;
    case ecInsertLine: LineBreak(false); break;
    case ecChar: TypeChar(args.Char); break;
    case ecImeStr:
    case ecString: InsertText(args.Text); break;
    case ecCut: Cut(); break;
    case ecCopy: Copy(); break;
    case ecPaste: Paste(); break;
    case ecScrollUp: Scroll(-1, 0); break;
    case ecScrollDown: Scroll(1, 0); break;
    case ecScrollLeft: Scroll(0, -1); break;
    case ecScrollRight: Scroll(0, 1); break;
    case ecInsertMode: m_.SetInsertMode(true); break;
    case ecOverwriteMode: m_.SetInsertMode(false); break;
    case ecToggleMode: m_.SetInsertMode(!m_.InsertMode()); break;
    case ecBlockIndent: BlockIndent(); break;
    case ecBlockUnindent: BlockUnindent(); break;
    case ecTab: Tab(); break;
    case ecShiftTab: ShiftTab(); break;
    case ecMatchBracket: MatchBracket(); break;
    case ecCommentBlock: CommentBlock(); break;
    case ecNormalSelect: m_.SetSelectionMode(smNormal); break;
    case ecColumnSelect: m_.SetSelectionMode(smColumn); break;
    case ecLineSelect: m_.SetSelectionMode(smLine); break;
    case ecContextHelp: m_.Host().ContextHelp(); break;
    case ecUpperCase: case ecLowerCase: case ecToggleCase: case ecTitleCase:
    case ecUpperCaseBlock: case ecLowerCaseBlock: case ecToggleCaseBlock:
        ChangeCase(command);
        break;
    default:
        // ecNone, ecAutoCompletion (this editor offers no completion list) and application commands
        // from ecUserFirst on, which the widget runs itself.
        break;
    }
}

// --- caret movement ---------------------------------------------------------------------------

void TEditorCommandRunner::Move(TTextPosition target, bool selecting)
{
    if (m_.Settings().Options.Has(eoNoSelection)) selecting = false;
    m_.SetCaret(target, selecting ? TSelectionUpdate::Extend : TSelectionUpdate::Clear);
}

bool TEditorCommandRunner::RunMovement(TEditorCommand movement, const TCommandArgs& args, bool selecting)
{
    TEditorHost& host = m_.Host();
    const TTextPosition caret = m_.Caret();
    int page = host.VisibleLines();
    if (m_.Settings().Options.Has(eoHalfPageScroll)) page /= 2;
    if (m_.Settings().Options.Has(eoScrollByOneLess)) page -= 1;
    page = std::max(1, page);
    const int last = page_.LineCount() - 1;
    switch (movement) {
    case ecLeft: Move(Left(), selecting); break;
    case ecRight: Move(Right(), selecting); break;
    case ecUp: Move(Vertical(-1), selecting); break;
    case ecDown: Move(Vertical(1), selecting); break;
    case ecWordLeft: Move(WordLeft(caret), selecting); break;
    case ecWordRight: Move(WordRight(caret), selecting); break;
    case ecLineStart: Move(LineStart(), selecting); break;
    case ecLineEnd: Move(LineEnd(), selecting); break;
    case ecPageUp:
        host.ScrollTo(std::max(0, host.TopLine() - page), host.LeftColumn());
        Move(Vertical(-page), selecting);
        break;
    case ecPageDown:
        host.ScrollTo(std::clamp(host.TopLine() + page, 0, last), host.LeftColumn());
        Move(Vertical(page), selecting);
        break;
    case ecPageLeft:
    case ecPageRight: {
        const int columns = std::max(1, host.VisibleColumns()) * (movement == ecPageLeft ? -1 : 1);
        host.ScrollTo(host.TopLine(), std::max(0, host.LeftColumn() + columns));
        const int display = std::max(0, m_.DisplayColumn(caret) + columns);
        Move({caret.Line, m_.ColumnAtDisplay(caret.Line, display)}, selecting);
        break;
    }
    case ecPageTop:
    case ecPageBottom: {
        const int top = std::clamp(host.TopLine(), 0, last);
        const int line = movement == ecPageTop ? top : std::clamp(top + page - 1, 0, last);
        Move({line, m_.ColumnAtDisplay(line, m_.DisplayColumn(caret))}, selecting);
        break;
    }
    case ecEditorTop: Move({0, 0}, selecting); break;
    case ecEditorBottom: Move({last, page_.LineLength(last)}, selecting); break;
    case ecGotoXY: Move(args.Position, selecting); break;
    default: return false;
    }
    return true;
}

TTextPosition TEditorCommandRunner::Left() const
{
    const TTextPosition caret = m_.Caret();
    if (caret.Column > 0) return {caret.Line, caret.Column - 1};
    if (caret.Line > 0) return {caret.Line - 1, page_.LineLength(caret.Line - 1)};
    return caret;
}

TTextPosition TEditorCommandRunner::Right() const
{
    const TTextPosition caret = m_.Caret();
    const int length = page_.LineLength(caret.Line);
    if (caret.Column < length) return {caret.Line, caret.Column + 1};
    if (m_.Settings().Options.Has(eoScrollPastEol)) {
        const int limit = std::max(length, m_.Settings().MaxScrollWidth);
        return {caret.Line, std::min(caret.Column + 1, limit)};
    }
    if (caret.Line + 1 < page_.LineCount()) return {caret.Line + 1, 0};
    return caret;
}

TTextPosition TEditorCommandRunner::Vertical(int lines)
{
    const TTextPosition caret = m_.Caret();
    // A caret placed by anything else since the last up or down move (a click, an undo, a command
    // of the program) starts from its own column.
    const int desired = m_.DesiredDisplayColumn();
    const int line = std::clamp(caret.Line + lines, 0, page_.LineCount() - 1);
    return {line, m_.ColumnAtDisplay(line, desired)};
}

TEditorCommandRunner::CharClass TEditorCommandRunner::ClassOf(char32_t ch) const
{
    if (IsBlankChar(ch)) return CharClass::Blank;
    return page_.IsWordChar(ch) ? CharClass::Word : CharClass::Other;
}

TEditorCommandRunner::CharClass TEditorCommandRunner::ClassAt(std::string_view bytes, std::size_t offset) const
{
    return ClassOf(DecodeCharAt(bytes, offset, page_.Encoding()));
}

TEditorCommandRunner::CharClass TEditorCommandRunner::ClassBefore(std::string_view bytes, std::size_t offset) const
{
    return ClassAt(bytes, PreviousCharOffset(bytes, offset, page_.Encoding()));
}

TTextPosition TEditorCommandRunner::WordRight(TTextPosition from) const
{
    const std::string_view bytes = page_.LineBytes(from.Line);
    const int length = page_.LineLength(from.Line);
    if (from.Column >= length) {
        if (from.Line + 1 < page_.LineCount()) return {from.Line + 1, 0};
        return {from.Line, length};
    }
    int column = from.Column;
    std::size_t offset = page_.ByteOffsetOf(from);
    const auto step = [&] {
        DecodeCharAt(bytes, offset, page_.Encoding());
        ++column;
    };
    // Past the rest of this word, then to the start of the next.
    while (offset < bytes.size() && ClassAt(bytes, offset) == CharClass::Word) step();
    while (offset < bytes.size() && ClassAt(bytes, offset) != CharClass::Word) step();
    return {from.Line, column};
}

TTextPosition TEditorCommandRunner::WordLeft(TTextPosition from) const
{
    const std::string_view bytes = page_.LineBytes(from.Line);
    int column = std::min(from.Column, page_.LineLength(from.Line));
    if (column == 0) {
        if (from.Line > 0) return {from.Line - 1, page_.LineLength(from.Line - 1)};
        return {0, 0};
    }
    std::size_t offset = page_.ByteOffsetOf({from.Line, column});
    const auto step = [&] {
        offset = PreviousCharOffset(bytes, offset, page_.Encoding());
        --column;
    };
    while (column > 0 && ClassBefore(bytes, offset) != CharClass::Word) step();
    while (column > 0 && ClassBefore(bytes, offset) == CharClass::Word) step();
    return {from.Line, column};
}

TTextPosition TEditorCommandRunner::LineStart() const
{
    const TTextPosition caret = m_.Caret();
    if (m_.Settings().Options.Has(eoEnhanceHomeKey)) {
        // Blanks are one byte each, so their count is a column.
        const int firstNonBlank = static_cast<int>(LeadingBlanks(caret.Line).size());
        if (firstNonBlank < static_cast<int>(page_.LineSize(caret.Line)) && caret.Column != firstNonBlank)
            return {caret.Line, firstNonBlank};
    }
    return {caret.Line, 0};
}

TTextPosition TEditorCommandRunner::LineEnd() const
{
    const TTextPosition caret = m_.Caret();
    const int length = page_.LineLength(caret.Line);
    if (m_.Settings().Options.Has(eoEnhanceEndKey)) {
        // First to the end of the text proper, then (pressed again) past the trailing blanks,
        // which are one byte each.
        const std::string_view bytes = page_.LineBytes(caret.Line);
        int trimmed = length;
        for (std::size_t end = bytes.size(); end > 0 && (bytes[end - 1] == ' ' || bytes[end - 1] == '\t'); --end)
            --trimmed;
        if (caret.Column != trimmed) return {caret.Line, trimmed};
    }
    return {caret.Line, length};
}

void TEditorCommandRunner::Scroll(int lines, int columns)
{
    TEditorHost& host = m_.Host();
    const int last = page_.LineCount() - 1;
    host.ScrollTo(std::clamp(host.TopLine() + lines, 0, last), std::max(0, host.LeftColumn() + columns));
    // The caret stays inside the view.
    const int top = host.TopLine();
    const int bottom = std::min(last, top + std::max(1, host.VisibleLines()) - 1);
    const TTextPosition caret = m_.Caret();
    const int line = std::clamp(caret.Line, top, std::max(top, bottom));
    if (line != caret.Line) Move({line, m_.ColumnAtDisplay(line, m_.DisplayColumn(caret))}, false);
}

// --- editing ----------------------------------------------------------------------------------

void TEditorCommandRunner::TypeChar(char32_t ch)
{
    if (ch == '\t') return Tab();
    if (ch < 0x20 || ch == 0x7F) return;  // control characters type nothing
    std::string bytes;
    const TDocumentEncoding encoding = page_.Encoding();
    if (!AppendEncodedChar(bytes, ch, encoding)) throw EEncodingError(UnencodableCharMessage(ch, encoding));

    if (m_.HasSelection()) {
        m_.DeleteSelection(TUndoKind::Typing);
    } else if (!m_.InsertMode() && m_.Caret().Column < page_.LineLength(m_.Caret().Line)) {
        const TTextPosition caret = m_.Caret();
        const TTextPosition end = m_.ReplaceRange(caret, {caret.Line, caret.Column + 1}, bytes);
        m_.SetCaret(end);
        return;
    }
    m_.InsertAtCaret(bytes, TUndoKind::Typing);
}

void TEditorCommandRunner::InsertText(const std::u32string& text)
{
    m_.ReplaceSelection(text);
}

void TEditorCommandRunner::DeleteLastChar()
{
    if (m_.HasSelection()) return m_.DeleteSelection(TUndoKind::DeleteBackward);
    const TTextPosition caret = m_.Caret();
    const int length = page_.LineLength(caret.Line);
    if (caret.Column > length) {
        m_.SetCaret({caret.Line, caret.Column - 1});  // in the blank space past the end
        return;
    }
    if (caret.Column == 0) {
        if (caret.Line == 0) return;
        const TTextPosition joint{caret.Line - 1, page_.LineLength(caret.Line - 1)};
        m_.ReplaceRange(joint, caret, {});
        m_.SetCaret(joint);
        return;
    }
    int target = caret.Column - 1;
    if (m_.Settings().Options.Has(eoSmartTabDelete)) {
        const bool onlyBlanksBefore = static_cast<int>(LeadingBlanks(caret.Line).size()) >= caret.Column;
        if (onlyBlanksBefore) {
            // Back to the indentation of the nearest line above that is indented less.
            const int display = m_.DisplayColumn(caret);
            for (int line = caret.Line - 1; line >= 0; --line) {
                const int indent = IndentWidth(line);
                if (indent < display && page_.LineLength(line) > static_cast<int>(LeadingBlanks(line).size())) {
                    target = m_.ColumnAtDisplay(caret.Line, indent);
                    break;
                }
            }
        }
    }
    const TTextPosition from{caret.Line, std::min(target, caret.Column - 1)};
    m_.ReplaceRange(from, caret, {});
    m_.SetCaret(from);
}

void TEditorCommandRunner::DeleteChar()
{
    if (m_.HasSelection()) return m_.DeleteSelection(TUndoKind::DeleteForward);
    const TTextPosition caret = m_.Caret();
    if (caret.Column < page_.LineLength(caret.Line))
        m_.ReplaceRange(caret, {caret.Line, caret.Column + 1}, {});
    else if (caret.Line + 1 < page_.LineCount())
        m_.ReplaceRange(caret, {caret.Line + 1, 0}, {});
    m_.SetCaret(caret);
}

void TEditorCommandRunner::DeleteWord()
{
    if (m_.HasSelection()) return m_.DeleteSelection(TUndoKind::Other);
    const TTextPosition caret = m_.Caret();
    const std::string_view bytes = page_.LineBytes(caret.Line);
    if (caret.Column >= page_.LineLength(caret.Line)) return DeleteChar();
    int end = caret.Column;
    std::size_t offset = page_.ByteOffsetOf(caret);
    const CharClass first = ClassAt(bytes, offset);
    const auto step = [&] {
        DecodeCharAt(bytes, offset, page_.Encoding());
        ++end;
    };
    while (offset < bytes.size() && ClassAt(bytes, offset) == first) step();
    while (offset < bytes.size() && ClassAt(bytes, offset) == CharClass::Blank) step();
    m_.ReplaceRange(caret, {caret.Line, end}, {});
    m_.SetCaret(caret);
}

void TEditorCommandRunner::DeleteLastWord()
{
    if (m_.HasSelection()) return m_.DeleteSelection(TUndoKind::Other);
    const TTextPosition caret = page_.ClampToText(m_.Caret());
    if (caret.Column == 0) return DeleteLastChar();
    const std::string_view bytes = page_.LineBytes(caret.Line);
    int start = caret.Column;
    std::size_t offset = page_.ByteOffsetOf(caret);
    const auto step = [&] {
        offset = PreviousCharOffset(bytes, offset, page_.Encoding());
        --start;
    };
    while (start > 0 && ClassBefore(bytes, offset) == CharClass::Blank) step();
    if (start > 0) {
        const CharClass last = ClassBefore(bytes, offset);
        while (start > 0 && ClassBefore(bytes, offset) == last) step();
    }
    m_.ReplaceRange({caret.Line, start}, caret, {});
    m_.SetCaret({caret.Line, start});
}

void TEditorCommandRunner::DeleteLine()
{
    const int line = m_.Caret().Line;
    const int last = page_.LineCount() - 1;
    if (line < last)
        m_.ReplaceRange({line, 0}, {line + 1, 0}, {});
    else if (line > 0)
        m_.ReplaceRange({line - 1, page_.LineLength(line - 1)}, {line, page_.LineLength(line)}, {});
    else
        m_.ReplaceRange({0, 0}, {0, page_.LineLength(0)}, {});
    m_.SetCaret({std::min(line, page_.LineCount() - 1), 0});
}

std::string TEditorCommandRunner::LeadingBlanks(int line) const
{
    const std::string_view bytes = page_.LineBytes(line);
    std::size_t count = 0;
    while (count < bytes.size() && (bytes[count] == ' ' || bytes[count] == '\t')) ++count;
    return std::string(bytes.substr(0, count));
}

int TEditorCommandRunner::IndentWidth(int line) const
{
    return m_.DisplayColumn({line, static_cast<int>(LeadingBlanks(line).size())});
}

void TEditorCommandRunner::LineBreak(bool moveCaret)
{
    m_.DeleteSelection(TUndoKind::Other);
    TTextPosition at = page_.ClampToText(m_.Caret());
    std::string inserted = "\n";
    if (moveCaret && m_.Settings().Options.Has(eoAutoIndent)) {
        const std::string indent = LeadingBlanks(at.Line);
        inserted += indent.substr(0, std::min(indent.size(), page_.ByteOffsetOf(at)));
    }
    if (m_.Settings().Options.Has(eoTrimTrailingSpaces)) {
        // The blanks that would end the line left behind go.
        const std::u32string text = page_.LineText(at.Line);
        int trimmed = at.Column;
        while (trimmed > 0 && IsBlankChar(text[static_cast<std::size_t>(trimmed - 1)])) --trimmed;
        if (trimmed < at.Column) m_.ReplaceRange({at.Line, trimmed}, at, {});
        at.Column = trimmed;
    }
    const TTextPosition end = m_.ReplaceRange(at, at, inserted);
    m_.SetCaret(moveCaret ? end : at);
}

void TEditorCommandRunner::Tab()
{
    const auto [firstLine, lastLine] = SelectedLines();
    if (m_.HasSelection() && lastLine > firstLine && m_.Settings().Options.Has(eoTabIndent)) return BlockIndent();
    m_.DeleteSelection(TUndoKind::Other);

    const TTextPosition caret = m_.Caret();
    const int display = m_.DisplayColumn(caret);
    const int tabWidth = std::max(1, m_.Settings().TabWidth);
    int target = (display / tabWidth + 1) * tabWidth;
    bool smart = false;
    if (m_.Settings().Options.Has(eoSmartTabs)) {
        // Under the start of the next word of the nearest non-empty line above.
        for (int line = caret.Line - 1; line >= 0 && !smart; --line) {
            const std::u32string text = page_.LineText(line);
            if (text.empty()) continue;
            for (int column = 0; column < static_cast<int>(text.size()); ++column) {
                const bool wordStart = !IsBlankChar(text[static_cast<std::size_t>(column)]) &&
                                       (column == 0 || IsBlankChar(text[static_cast<std::size_t>(column - 1)]));
                const int at = m_.DisplayColumn({line, column});
                if (wordStart && at > display) {
                    target = at;
                    smart = true;
                    break;
                }
            }
            break;
        }
    }
    const std::string inserted = smart || m_.Settings().Options.Has(eoTabsToSpaces)
                                     ? std::string(static_cast<std::size_t>(target - display), ' ')
                                     : std::string("\t");
    m_.InsertAtCaret(inserted, TUndoKind::Other);
}

void TEditorCommandRunner::ShiftTab()
{
    const auto [firstLine, lastLine] = SelectedLines();
    if (m_.HasSelection() && lastLine > firstLine && m_.Settings().Options.Has(eoTabIndent)) return BlockUnindent();
    const TTextPosition caret = m_.Caret();
    const int display = m_.DisplayColumn(caret);
    const int tabWidth = std::max(1, m_.Settings().TabWidth);
    const int target = display == 0 ? 0 : (display - 1) / tabWidth * tabWidth;
    Move({caret.Line, m_.ColumnAtDisplay(caret.Line, target)}, false);
}

std::pair<int, int> TEditorCommandRunner::SelectedLines() const
{
    if (!m_.HasSelection()) return {m_.Caret().Line, m_.Caret().Line};
    const TTextPosition begin = m_.BlockBegin(), end = m_.BlockEnd();
    // A stream selection that ends at the start of a line does not take that line.
    const int last = (m_.Settings().SelectionMode == smNormal && end.Column == 0 && end.Line > begin.Line) ? end.Line - 1 : end.Line;
    return {begin.Line, last};
}

void TEditorCommandRunner::BlockIndent()
{
    const auto [first, last] = SelectedLines();
    const int width = std::max(1, m_.Settings().BlockIndent);
    const std::string indent(static_cast<std::size_t>(width), ' ');
    const bool hadSelection = m_.HasSelection();
    TTextPosition anchor = m_.Anchor(), caret = m_.Caret();
    for (int line = first; line <= last; ++line) m_.ReplaceRange({line, 0}, {line, 0}, indent);
    for (TTextPosition* position : {&anchor, &caret}) {
        if (position->Line >= first && position->Line <= last && (position->Column > 0 || !hadSelection))
            position->Column += width;
    }
    m_.SetSelection(anchor, caret);
}

void TEditorCommandRunner::BlockUnindent()
{
    const auto [first, last] = SelectedLines();
    const int width = std::max(1, m_.Settings().BlockIndent);
    TTextPosition anchor = m_.Anchor(), caret = m_.Caret();
    for (int line = first; line <= last; ++line) {
        const std::string_view bytes = page_.LineBytes(line);
        int removed = 0;
        if (!bytes.empty() && bytes[0] == '\t') {
            removed = 1;
        } else {
            while (removed < width && removed < static_cast<int>(bytes.size()) && bytes[static_cast<std::size_t>(removed)] == ' ')
                ++removed;
        }
        if (removed == 0) continue;
        m_.ReplaceRange({line, 0}, {line, removed}, {});
        for (TTextPosition* position : {&anchor, &caret})
            if (position->Line == line) position->Column = std::max(0, position->Column - removed);
    }
    m_.SetSelection(anchor, caret);
}

void TEditorCommandRunner::ChangeCase(TEditorCommand command)
{
    TTextPosition begin, end;
    if (m_.HasSelection() && m_.Settings().SelectionMode == smNormal) {
        begin = page_.ClampToText(m_.BlockBegin());
        end = page_.ClampToText(m_.BlockEnd());
    } else if (m_.HasSelection()) {
        const auto [first, last] = SelectedLines();
        begin = {first, 0};
        end = {last, page_.LineLength(last)};
    } else if (command == ecUpperCase || command == ecLowerCase || command == ecToggleCase || command == ecTitleCase) {
        // The word at the caret.
        const std::u32string text = page_.LineText(m_.Caret().Line);
        int from = std::min(m_.Caret().Column, static_cast<int>(text.size()));
        int to = from;
        while (from > 0 && page_.IsWordChar(text[static_cast<std::size_t>(from - 1)])) --from;
        while (to < static_cast<int>(text.size()) && page_.IsWordChar(text[static_cast<std::size_t>(to)])) ++to;
        if (from == to) return;
        begin = {m_.Caret().Line, from};
        end = {m_.Caret().Line, to};
    } else {
        return;
    }

    const TTextPosition savedAnchor = m_.Anchor(), savedCaret = m_.Caret();
    std::string bytes;
    bool atWordStart = true;
    for (int line = begin.Line; line <= end.Line; ++line) {
        if (line > begin.Line) bytes += '\n';
        const std::u32string text = page_.LineText(line);
        const int from = line == begin.Line ? begin.Column : 0;
        const int to = line == end.Line ? end.Column : static_cast<int>(text.size());
        for (int column = from; column < to; ++column) {
            const char32_t ch = text[static_cast<std::size_t>(column)];
            char32_t mapped = ch;
            switch (command) {
            case ecUpperCase: case ecUpperCaseBlock: mapped = ToUpperChar(ch); break;
            case ecLowerCase: case ecLowerCaseBlock: mapped = ToLowerChar(ch); break;
            case ecToggleCase: case ecToggleCaseBlock:
                mapped = ToUpperChar(ch) != ch ? ToUpperChar(ch) : ToLowerChar(ch);
                break;
            default: mapped = atWordStart ? ToUpperChar(ch) : ToLowerChar(ch); break;
            }
            atWordStart = !page_.IsWordChar(ch);
            // A case partner the page's encoding cannot hold leaves the character as it was.
            if (!AppendEncodedChar(bytes, mapped, page_.Encoding())) AppendEncodedChar(bytes, ch, page_.Encoding());
        }
        atWordStart = true;
    }
    if (page_.BytesBetween(begin, end) == bytes) return;
    m_.ReplaceRange(begin, end, bytes);
    m_.SetSelection(savedAnchor, savedCaret);
}

void TEditorCommandRunner::MatchBracket()
{
    static constexpr std::u32string_view kOpen = U"([{<", kClose = U")]}>";
    const TTextPosition caret = page_.ClampToText(m_.Caret());
    std::u32string text = page_.LineText(caret.Line);
    // The bracket at the caret, else the one just before it.
    int column = caret.Column;
    auto isBracket = [&](int c) {
        return c >= 0 && c < static_cast<int>(text.size()) &&
               (kOpen.find(text[static_cast<std::size_t>(c)]) != std::u32string_view::npos ||
                kClose.find(text[static_cast<std::size_t>(c)]) != std::u32string_view::npos);
    };
    if (!isBracket(column)) --column;
    if (!isBracket(column)) return;

    const char32_t bracket = text[static_cast<std::size_t>(column)];
    const auto openAt = kOpen.find(bracket);
    const bool forward = openAt != std::u32string_view::npos;
    const char32_t partner = forward ? kClose[openAt] : kOpen[kClose.find(bracket)];
    int depth = 0;
    int line = caret.Line;
    while (true) {
        while (forward ? column < static_cast<int>(text.size()) : column >= 0) {
            const char32_t ch = text[static_cast<std::size_t>(column)];
            if (ch == bracket) ++depth;
            else if (ch == partner && --depth == 0) return Move({line, column}, false);
            column += forward ? 1 : -1;
        }
        line += forward ? 1 : -1;
        if (line < 0 || line >= page_.LineCount()) return;
        text = page_.LineText(line);
        column = forward ? 0 : static_cast<int>(text.size()) - 1;
    }
}

void TEditorCommandRunner::CommentBlock()
{
    if (!m_.HasSelection()) {
        const int line = m_.Caret().Line;
        m_.SetSelection({line, 0}, {line, page_.LineLength(line)});
    }
    m_.ReplaceSelection(U"<!--" + m_.SelectedText() + U"-->");
}

void TEditorCommandRunner::SelectWord()
{
    const TTextPosition caret = page_.ClampToText(m_.Caret());
    const std::u32string text = page_.LineText(caret.Line);
    int from = caret.Column, to = caret.Column;
    while (from > 0 && page_.IsWordChar(text[static_cast<std::size_t>(from - 1)])) --from;
    while (to < static_cast<int>(text.size()) && page_.IsWordChar(text[static_cast<std::size_t>(to)])) ++to;
    if (from == to) return;
    m_.SetSelection({caret.Line, from}, {caret.Line, to});
}

void TEditorCommandRunner::Copy()
{
    if (m_.HasSelection()) m_.Host().SetClipboardText(m_.SelectedText());
}

void TEditorCommandRunner::Cut()
{
    if (!m_.HasSelection()) return;
    Copy();
    m_.DeleteSelection(TUndoKind::Other);
}

void TEditorCommandRunner::Paste()
{
    const std::u32string text = m_.Host().ClipboardText();
    if (!text.empty()) m_.ReplaceSelection(text);
}

void TEditorCommandRunner::GotoMarker(int index)
{
    if (const auto bookmark = m_.Bookmark(index)) Move(*bookmark, false);
}

void TEditorCommandRunner::SetMarker(int index)
{
    const auto bookmark = m_.Bookmark(index);
    // Setting a bookmark again on its own line removes it.
    if (bookmark && bookmark->Line == m_.Caret().Line)
        m_.SetBookmark(index, std::nullopt);
    else
        m_.SetBookmark(index, m_.Caret());
}
