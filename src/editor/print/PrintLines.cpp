#include "editor/print/PrintLines.h"

#include "editor/text/FileIO.h"
#include "editor/text/TextBuffer.h"

void TPrintLines::Clear(TDocumentEncoding encoding)
{
    bytes_.clear();
    starts_.assign(1, 0);
    encoding_ = encoding;
}

void TPrintLines::LoadFromFile(const std::string& path)
{
    std::string bytes = ReadWholeFile(path);
    const TDocumentEncoding encoding = IsValidUtf8(bytes) ? TDocumentEncoding::Utf8 : TDocumentEncoding::Windows1252;
    TTextBuffer buffer;
    buffer.LoadBytes(std::move(bytes));
    Clear(encoding);
    for (int i = 0; i < buffer.LineCount(); ++i)
        Add(buffer.Line(i));
}

std::string ExpandTabs(std::string_view line, int tabWidth, TDocumentEncoding encoding)
{
    if (line.find('\t') == std::string_view::npos)
        return std::string(line);
    std::string out;
    out.reserve(line.size() + 8);
    std::size_t column = 0;
    for (std::size_t at = 0; at < line.size();) {
        const std::size_t start = at;
        DecodeCharAt(line, at, encoding);
        if (line[start] != '\t') {
            out.append(line.substr(start, at - start));
            ++column;
            continue;
        }
        const std::size_t blanks = tabWidth < 1 ? 1 : tabWidth - column % tabWidth;
        out.append(blanks, ' ');
        column += blanks;
    }
    return out;
}
