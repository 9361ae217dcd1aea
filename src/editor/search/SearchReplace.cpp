#include "editor/search/SearchReplace.h"

#include "editor/control/EditTransaction.h"

#include <optional>
#include <string>

namespace {

// A byte place in the page: line from 0 and byte offset in it.
struct TPlace {
    int Line = 0;
    std::size_t Offset = 0;
};

struct TFound {
    int Line;
    std::size_t Offset;
    std::size_t Length;
};

std::string NewlinesOnly(std::string bytes)
{
    std::string out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] != '\r') {
            out += bytes[i];
            continue;
        }
        out += '\n';
        if (i + 1 < bytes.size() && bytes[i + 1] == '\n')
            ++i;
    }
    return out;
}

class TPageSearch {
public:
    TPageSearch(TEditorModel& editor, TEditSearch& engine, bool backwards)
        : editor_(editor), page_(editor.Document()), engine_(engine), backwards_(backwards)
    {
    }

    // Forward: whether a match starting at `offset` of `line` lies at or after `from`; backwards:
    // whether one ending there lies at or before it.
    bool InStretch(TPlace from, int line, std::size_t offset, std::size_t length) const
    {
        if (line != from.Line)
            return backwards_ ? line < from.Line : line > from.Line;
        return backwards_ ? offset + length <= from.Offset : offset >= from.Offset;
    }

    std::optional<TFound> Next(TPlace from)
    {
        const int step = backwards_ ? -1 : 1;
        for (int line = from.Line; line >= 0 && line < page_.LineCount(); line += step) {
            const int count = engine_.FindAllInLine(page_.LineBytes(line));
            for (int k = 0; k < count; ++k) {
                const int i = backwards_ ? count - 1 - k : k;
                const TFound found{line, engine_.MatchByteOffset(i), engine_.MatchByteLength(i)};
                if (InStretch(from, line, found.Offset, found.Length))
                    return found;
            }
        }
        return std::nullopt;
    }

    // Replaces every match of the stretch by one edit, built in one pass over the lines; returns
    // the number of matches.
    int ReplaceAll(TPlace from, const std::string& replacement)
    {
        const int firstLine = backwards_ ? 0 : from.Line;
        const int lastLine = backwards_ ? from.Line : page_.LineCount() - 1;
        std::string replaced;  // from the first match's start to the last match's end
        std::string gap;       // text after the last match so far, kept only if another follows
        TPlace start, end;
        int count = 0;
        for (int line = firstLine; line <= lastLine; ++line) {
            const std::string_view text = page_.LineBytes(line);
            if (count > 0)
                gap += '\n';
            std::size_t taken = 0;  // bytes of this line already in `replaced` or `gap`
            const int matches = engine_.FindAllInLine(text);
            for (int i = 0; i < matches; ++i) {
                const std::size_t offset = engine_.MatchByteOffset(i);
                const std::size_t length = engine_.MatchByteLength(i);
                if (!InStretch(from, line, offset, length))
                    continue;
                if (count == 0) {
                    start = {line, offset};
                } else {
                    replaced += gap;
                    gap.clear();
                    replaced.append(text.substr(taken, offset - taken));
                }
                replaced += replacement;
                taken = offset + length;
                end = {line, taken};
                ++count;
            }
            if (count > 0)
                gap.append(text.substr(taken));
        }
        if (count == 0)
            return 0;
        const TTextPosition startPosition = page_.PositionOfByte(start.Line, start.Offset);
        const TTextPosition replacedEnd =
            editor_.ReplaceRange(startPosition, page_.PositionOfByte(end.Line, end.Offset), replaced);
        editor_.SetCaret(backwards_ ? startPosition : replacedEnd);
        return count;
    }

private:
    TEditorModel& editor_;      // edits, with the caret
    const TTextDocument& page_;  // reads
    TEditSearch& engine_;
    bool backwards_;
};

TTextPosition StartOf(const TTextDocument& page, const TFound& found)
{
    return page.PositionOfByte(found.Line, found.Offset);
}

TTextPosition EndOf(const TTextDocument& page, const TFound& found)
{
    return page.PositionOfByte(found.Line, found.Offset + found.Length);
}

TPlace PlaceOf(const TTextDocument& page, TTextPosition position)
{
    return {position.Line, page.ByteOffsetOf(position)};
}

// A match is a run of characters: it is selected as such, whatever selection mode the user
// switched to, or replacing it would take whole lines or a column block with it.
void SelectMatch(TEditorModel& editor, TTextPosition start, TTextPosition end, bool backwards)
{
    editor.SetSelectionMode(smNormal);
    if (backwards)
        editor.SetSelection(end, start);
    else
        editor.SetSelection(start, end);
}

}  // namespace

int SearchReplace(TEditorModel& editor, TEditSearch* engine, std::u32string_view search,
                  std::u32string_view replacement, TSearchReplaceOptions options,
                  const TReplaceTextEvent& onReplaceText)
{
    if (!engine)
        throw ESearchError("No search engine has been assigned");
    if (search.empty())
        return 0;
    const TDocumentEncoding encoding = editor.Document().Encoding();
    const TEncodeResult pattern = EncodeText(search, encoding);
    if (pattern.Unencodable)
        return 0;  // the page cannot hold this text, so it holds no match
    std::string replacementBytes;
    if (options.Replace) {
        TEncodeResult encoded = EncodeText(replacement, encoding);
        if (encoded.Unencodable)
            throw EEncodingError(UnencodableCharMessage(*encoded.Unencodable, encoding));
        replacementBytes = NewlinesOnly(std::move(encoded.Bytes));
    }

    engine->SetEncoding(encoding);
    engine->SetOptions({.MatchCase = options.MatchCase, .WholeWord = options.WholeWord});
    engine->SetSearchText(pattern.Bytes);
    TPageSearch matches(editor, *engine, options.Backwards);
    const TTextDocument& page = editor.Document();
    TPlace from = PlaceOf(page, editor.Caret());

    if (!options.Replace) {
        const std::optional<TFound> found = matches.Next(from);
        if (!found)
            return 0;
        SelectMatch(editor, StartOf(page, *found), EndOf(page, *found), options.Backwards);
        return 1;
    }

    TEditTransaction oneUndoStep(editor);
    bool ask = options.Prompt && onReplaceText;
    int replacedCount = 0;
    while (true) {
        if (options.ReplaceAll && !ask)
            return replacedCount + matches.ReplaceAll(from, replacementBytes);
        const std::optional<TFound> found = matches.Next(from);
        if (!found)
            return replacedCount;
        const TTextPosition start = StartOf(page, *found), end = EndOf(page, *found);
        if (ask) {
            SelectMatch(editor, start, end, options.Backwards);
            const TReplaceAction action = onReplaceText(search, replacement, start.Line + 1, start.Column + 1);
            if (action == TReplaceAction::Cancel)
                return replacedCount;
            if (action == TReplaceAction::Skip) {
                from = PlaceOf(page, options.Backwards ? start : end);
                continue;
            }
            if (action == TReplaceAction::ReplaceAll)
                ask = false;
        }
        const TTextPosition replacedEnd = editor.ReplaceRange(start, end, replacementBytes);
        editor.SetCaret(options.Backwards ? start : replacedEnd);
        ++replacedCount;
        from = PlaceOf(page, editor.Caret());
        if (!options.ReplaceAll)
            return replacedCount;
    }
}
