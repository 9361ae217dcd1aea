#include "highlight/HtmlTokenDump.h"

#include "highlight/HtmlHighlighter.h"

std::vector<std::string_view> SplitPageLines(std::string_view page)
{
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < page.size(); ++i) {
        if (page[i] != '\r' && page[i] != '\n')
            continue;
        lines.push_back(page.substr(start, i - start));
        if (page[i] == '\r' && i + 1 < page.size() && page[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    lines.push_back(page.substr(start));
    return lines;
}

std::string EscapeTokenText(std::string_view bytes)
{
    static constexpr char kHex[] = "0123456789abcdef";
    std::string escaped;
    escaped.reserve(bytes.size());
    for (const char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '\\') {
            escaped += "\\\\";
        } else if (c == '\t') {
            escaped += "\\t";
        } else if (c < 32 || c >= 127) {
            escaped += "\\x";
            escaped += kHex[c >> 4];
            escaped += kHex[c & 15];
        } else {
            escaped += ch;
        }
    }
    return escaped;
}

void WriteTokenDump(std::string_view page, std::ostream& out)
{
    THtmlHighlighter highlighter;
    const std::vector<std::string_view> lines = SplitPageLines(page);
    for (std::size_t index = 0; index < lines.size(); ++index) {
        highlighter.StartLine(lines[index], static_cast<int>(index));
        for (;;) {
            out << index << ' ' << highlighter.TokenStart() << ' ' << highlighter.TokenKind() << ' '
                << EscapeTokenText(highlighter.TokenView()) << '\n';
            if (highlighter.AtLineEnd())
                break;
            highlighter.NextToken();
        }
        out << index << " END " << highlighter.GetState() << '\n';
    }
}
