#pragma once
// How every mark-up command writes into a page: its mark-up is an ordered list of pieces that
// together take the place of the selection, followed by one of three caret rules. The whole
// command is one undo step that restores the caret and selection it started from.
//
// Lengths count characters as the editor does (code points of the page's decoding), every line
// break counting 2 whatever its form, because the editor turns CR, LF and CR LF alike into one
// line break.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class TEditorModel;

enum class TCaretRule {
    AfterMarkup,         // the caret stays behind the last piece, nothing selected
    InnerTextSelection,  // the text between the tags is selected again, the caret at its end
    BeforeClosingTag,    // the caret goes back by a fixed count, nothing selected
};

struct TMarkup {
    std::vector<std::u32string> Pieces;
    TCaretRule Caret = TCaretRule::AfterMarkup;
    // Inner-text selection: the length of the closing tag; caret before the closing tag: the count.
    std::int64_t ClosingLength = 0;
    // Inner-text selection only: the text written between the tags.
    std::u32string InnerText;

    TMarkup& operator<<(std::u32string piece)
    {
        Pieces.push_back(std::move(piece));
        return *this;
    }
    // The pieces one after the other, as the page receives them.
    std::u32string Joined() const;
};

inline constexpr std::u32string_view kLineBreak = U"\r\n";

// Characters the editor counts for a text: code points, every CR, LF or CR LF counting 2.
std::int64_t EditorLength(std::u32string_view text);

// Writes the mark-up in place of the selection and applies its caret rule, as one undo step.
// Text the page's encoding cannot hold throws EEncodingError before anything changes.
void WriteMarkup(TEditorModel& editor, const TMarkup& markup);
