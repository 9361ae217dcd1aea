#include "editor/text/TextDocument.h"

#include "editor/text/CharacterClass.h"
#include "editor/text/FileIO.h"
#include "highlight/CustomHighlighter.h"

#include <algorithm>

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

TDocumentEncoding EncodingOf(const TTextBuffer& buffer)
{
    return buffer.TextIsUtf8() ? TDocumentEncoding::Utf8 : TDocumentEncoding::Windows1252;
}

}  // namespace

TTextDocument::TTextDocument() : highlight_(buffer_), charIndex_(buffer_, encoding_)
{
}

TTextDocument::~TTextDocument() = default;

// --- whole text -------------------------------------------------------------------------------

void TTextDocument::SetText(std::string bytes)
{
    buffer_.SetText(std::move(bytes));  // a text it cannot hold leaves everything as it was
    encoding_ = EncodingOf(buffer_);
    undo_.Clear();
}

void TTextDocument::LoadBytes(std::string bytes)
{
    buffer_.LoadBytes(std::move(bytes));
    encoding_ = EncodingOf(buffer_);
    undo_.Clear();
}

EFileError PageRefusedError(const std::string& path, const ETextLimitError& error)
{
    return EFileError("Cannot open file " + path + ". " + error.what());
}

void TTextDocument::LoadFromFile(const std::string& path)
{
    try {
        LoadBytes(ReadWholeFile(path));
    } catch (const ETextLimitError& error) {
        throw PageRefusedError(path, error);
    }
}

void TTextDocument::SaveToFile(const std::string& path) const
{
    WriteFileSafely(path, [this](const TByteSink& write) { return buffer_.WriteSaved(write); });
}

std::string TTextDocument::Text() const
{
    return buffer_.SavedBytes();
}

std::u32string TTextDocument::LineText(int line) const
{
    return DecodeText(buffer_.Line(line), encoding_);
}

int TTextDocument::LineLength(int line) const
{
    return static_cast<int>(charIndex_.Columns().LineChars(line));
}

// --- positions --------------------------------------------------------------------------------

TTextPosition TTextDocument::ClampToText(TTextPosition position) const
{
    position.Line = std::clamp(position.Line, 0, LineCount() - 1);
    position.Column = std::clamp(position.Column, 0, LineLength(position.Line));
    return position;
}

std::int64_t TTextDocument::CharIndexOf(TTextPosition position) const
{
    position = ClampToText(position);
    return charIndex_.LineStartIndex(position.Line) + position.Column;
}

TTextPosition TTextDocument::PositionOfCharIndex(std::int64_t index) const
{
    index = std::max<std::int64_t>(index, 0);
    const int line = charIndex_.LineOfIndex(index);
    const int length = LineLength(line);
    // An index on a break's second character, or past the end, stands for the line's end.
    return {line, static_cast<int>(std::min<std::int64_t>(index - charIndex_.LineStartIndex(line), length))};
}

std::size_t TTextDocument::ByteOffsetOf(TTextPosition position) const
{
    return charIndex_.Columns().ByteOfColumn(position.Line, std::max(0, position.Column));
}

TTextPosition TTextDocument::PositionOfByte(int line, std::size_t offset) const
{
    return {line, static_cast<int>(charIndex_.Columns().ColumnOfByte(line, offset))};
}

int TTextDocument::DisplayColumn(TTextPosition position, int tabWidth) const
{
    const std::int64_t display = charIndex_.Columns().DisplayOfColumn(position.Line, position.Column, std::max(1, tabWidth));
    return static_cast<int>(std::min<std::int64_t>(display, kMaxDisplayColumn));
}

int TTextDocument::ColumnAtDisplay(int line, int displayColumn, int tabWidth) const
{
    return static_cast<int>(charIndex_.Columns().ColumnOfDisplay(line, displayColumn, std::max(1, tabWidth)));
}

std::string TTextDocument::BytesBetween(TTextPosition from, TTextPosition to, std::string_view lineBreak) const
{
    const std::size_t fromOffset = ByteOffsetOf(from);
    const std::size_t toOffset = ByteOffsetOf(to);
    std::string bytes;
    for (int line = from.Line; line <= to.Line; ++line) {
        const std::size_t first = line == from.Line ? fromOffset : 0;
        const std::size_t last = line == to.Line ? toOffset : buffer_.LineSize(line);
        if (line > from.Line) bytes += lineBreak;
        bytes.append(buffer_.LineRange(line, first, last < first ? buffer_.LineSize(line) : last));
    }
    return bytes;
}

// --- characters -------------------------------------------------------------------------------

std::string TTextDocument::EncodeOrThrow(std::u32string_view text) const
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

bool TTextDocument::IsWordChar(char32_t ch) const
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

// --- edits ------------------------------------------------------------------------------------

TTextPosition TTextDocument::ApplyEdit(int line, std::size_t offset, std::string_view removed,
                                       std::string_view inserted)
{
    // Remove: the first line's tail, the whole lines between, the last line's head, then join.
    const std::vector<std::string_view> removedLines = SplitAtNewlines(removed);
    if (removedLines.size() == 1) {
        buffer_.RemoveText(line, offset, removed.size());
    } else {
        buffer_.RemoveText(line, offset, buffer_.LineSize(line) - offset);
        buffer_.RemoveLines(line + 1, static_cast<int>(removedLines.size()) - 2);
        buffer_.RemoveText(line + 1, 0, removedLines.back().size());
        buffer_.JoinLine(line);
    }

    const std::vector<std::string_view> parts = SplitAtNewlines(inserted);
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
