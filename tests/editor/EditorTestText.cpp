#include "EditorTestText.h"

#include <algorithm>

namespace {

TTextPosition PositionOfMarker(const std::string& text, std::size_t at)
{
    int line = static_cast<int>(std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(at), '\n'));
    const std::size_t lineStart = text.rfind('\n', at == 0 ? 0 : at - 1);
    const std::size_t offset = (lineStart == std::string::npos || at == 0) ? at : at - lineStart - 1;
    return {line, static_cast<int>(offset)};  // a byte offset, turned into a column after loading
}

}  // namespace

void LoadMarked(TEditorModel& model, const std::string& marked)
{
    std::string text;
    std::optional<std::size_t> caretAt, anchorAt;
    for (const char c : marked) {
        if (c == '|') caretAt = text.size();
        else if (c == '{') anchorAt = text.size();
        else text.push_back(c);
    }
    model.LoadBytes(text);
    const auto toPosition = [&](std::size_t at) {
        const TTextPosition bytes = PositionOfMarker(text, at);
        return model.Document().PositionOfByte(bytes.Line, static_cast<std::size_t>(bytes.Column));
    };
    const TTextPosition caret = toPosition(caretAt.value_or(0));
    model.SetSelection(anchorAt ? toPosition(*anchorAt) : caret, caret);
}

std::string Marked(const TEditorModel& model)
{
    std::string out;
    for (int line = 0; line < model.Document().LineCount(); ++line) {
        if (line > 0) out.push_back('\n');
        const std::string_view bytes = model.Document().LineBytes(line);
        for (std::size_t offset = 0; offset <= bytes.size(); ++offset) {
            const auto here = [&](TTextPosition p) {
                return p.Line == line && std::min(model.Document().ByteOffsetOf(p), bytes.size()) == offset;
            };
            if (model.HasSelection() && here(model.Anchor())) out.push_back('{');
            if (here(model.Caret())) out.push_back('|');
            if (offset < bytes.size()) out.push_back(bytes[offset]);
        }
    }
    return out;
}
