#include "markup/InsertionRules.h"

#include "editor/control/EditTransaction.h"
#include "editor/control/EditorModel.h"
#include "editor/text/TextEncoding.h"

std::u32string TMarkup::Joined() const
{
    std::size_t size = 0;
    for (const std::u32string& piece : Pieces) size += piece.size();
    std::u32string joined;
    joined.reserve(size);
    for (const std::u32string& piece : Pieces) joined += piece;
    return joined;
}

std::int64_t EditorLength(std::u32string_view text)
{
    std::int64_t length = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == U'\r' || text[i] == U'\n') {
            if (text[i] == U'\r' && i + 1 < text.size() && text[i + 1] == U'\n') ++i;
            length += 2;
        } else {
            ++length;
        }
    }
    return length;
}

void WriteMarkup(TEditorModel& editor, const TMarkup& markup)
{
    // The pieces land one behind the other, so writing them at once gives the same page, caret
    // and selection, and a large table costs one edit instead of thousands.
    const std::u32string text = markup.Joined();
    const TDocumentEncoding encoding = editor.Document().Encoding();
    const TEncodeResult encoded = EncodeText(text, encoding);
    if (encoded.Unencodable) throw EEncodingError(UnencodableCharMessage(*encoded.Unencodable, encoding));

    TEditTransaction edit(editor);
    editor.ReplaceSelection(text);
    switch (markup.Caret) {
    case TCaretRule::AfterMarkup:
        break;
    case TCaretRule::InnerTextSelection: {
        const std::int64_t inner = EditorLength(markup.InnerText);
        editor.SetSelectionStart(editor.SelectionStart() - markup.ClosingLength - inner);
        editor.SetSelectionLength(inner);
        break;
    }
    case TCaretRule::BeforeClosingTag:
        editor.SetSelectionStart(editor.SelectionStart() - markup.ClosingLength);
        editor.SetSelectionLength(0);
        break;
    }
}
