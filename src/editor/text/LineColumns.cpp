#include "editor/text/LineColumns.h"

#include <algorithm>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

std::int64_t NextDisplay(std::int64_t display, char32_t ch, int tabWidth)
{
    return ch == U'\t' ? (display / tabWidth + 1) * tabWidth : display + 1;
}

// Whether the 16 bytes at p are all ASCII and hold no tab, so that they are 16 columns.
bool PlainChunk(const char* p)
{
#if defined(__SSE2__)
    const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    return (_mm_movemask_epi8(chunk) | _mm_movemask_epi8(_mm_cmpeq_epi8(chunk, _mm_set1_epi8('\t')))) == 0;
#else
    for (int i = 0; i < 16; ++i)
        if (static_cast<unsigned char>(p[i]) >= 0x80 || p[i] == '\t') return false;
    return true;
#endif
}

}  // namespace

TLineColumns::TLineColumns(const TTextBuffer& buffer, const TDocumentEncoding& encoding)
    : buffer_(buffer), encoding_(encoding)
{
}

std::string_view TLineColumns::Window(int line, std::size_t from, std::size_t to) const
{
    return buffer_.LineWindow(line, from, std::max(from, std::min(buffer_.LineSize(line), to + 4)));
}

TColumnMark TLineColumns::Count(std::string_view bytes, TColumnMark from, std::size_t to, int tabWidth,
                                std::vector<TColumnMark>* out) const
{
    TColumnMark at = from;
    at.TabBefore = false;
    std::size_t nextMark = from.Byte + kMarkStride;
    while (at.Byte < to) {
        if (out && at.Byte >= nextMark) {
            out->push_back(at);
            at.TabBefore = false;
            nextMark = at.Byte + kMarkStride;
        }
        if (to - at.Byte >= 16 && PlainChunk(bytes.data() + at.Byte)) {
            at.Byte += 16;
            at.Chars += 16;
            at.Display += 16;
            continue;
        }
        const char32_t ch = DecodeCharAt(bytes, at.Byte, encoding_);
        at.TabBefore = at.TabBefore || ch == U'\t';
        ++at.Chars;
        at.Display = NextDisplay(at.Display, ch, tabWidth);
    }
    return at;
}

TLineColumns::Marks TLineColumns::Build(std::string_view bytes, int tabWidth) const
{
    Marks marks;
    marks.TabWidth = tabWidth;
    marks.List.reserve(bytes.size() / kMarkStride + 2);
    marks.List.push_back({});
    marks.List.push_back(Count(bytes, {}, bytes.size(), tabWidth, &marks.List));
    return marks;
}

const TLineColumns::Marks* TLineColumns::MarksOf(int line, int tabWidth)
{
    if (buffer_.LineSize(line) < kMarkedLineBytes) {
        marks_.erase(line);
        return nullptr;
    }
    auto found = marks_.find(line);
    // Counting characters takes the marks as they are; only display columns need the tab width.
    if (tabWidth <= 0) tabWidth = found != marks_.end() ? found->second.TabWidth : 8;
    if (found == marks_.end() || found->second.TabWidth != tabWidth)
        found = marks_.insert_or_assign(line, Build(buffer_.Line(line), tabWidth)).first;
    return &found->second;
}

TColumnMark TLineColumns::MarkAtDisplay(int line, std::int64_t display, int tabWidth)
{
    const Marks* marks = MarksOf(line, tabWidth);
    if (!marks) return {};
    const auto after = std::upper_bound(marks->List.begin(), marks->List.end(), display,
                                        [](std::int64_t d, const TColumnMark& m) { return d < m.Display; });
    return *(after - 1);
}

std::int64_t TLineColumns::LineChars(int line)
{
    if (const Marks* marks = MarksOf(line, 0)) return marks->List.back().Chars;
    return static_cast<std::int64_t>(CharacterCount(buffer_.Line(line), encoding_));
}

std::size_t TLineColumns::ByteOfColumn(int line, std::int64_t column)
{
    TColumnMark mark;
    if (const Marks* marks = MarksOf(line, 0)) {
        const auto after = std::upper_bound(marks->List.begin(), marks->List.end(), column,
                                            [](std::int64_t c, const TColumnMark& m) { return c < m.Chars; });
        mark = *(after - 1);
    }
    // A character is at most 4 bytes.
    const std::size_t size = buffer_.LineSize(line);
    const auto chars = static_cast<std::size_t>(column - mark.Chars);
    const std::size_t end = chars < (size - mark.Byte) / 4 ? mark.Byte + chars * 4 : size;
    return mark.Byte + ByteOffsetOfColumn(buffer_.LineRange(line, mark.Byte, end), chars,
                                          encoding_);
}

std::int64_t TLineColumns::ColumnOfByte(int line, std::size_t offset)
{
    offset = std::min(offset, buffer_.LineSize(line));
    TColumnMark mark;
    if (const Marks* marks = MarksOf(line, 0)) {
        const auto after = std::upper_bound(marks->List.begin(), marks->List.end(), offset,
                                            [](std::size_t b, const TColumnMark& m) { return b < m.Byte; });
        mark = *(after - 1);
    }
    return mark.Chars + static_cast<std::int64_t>(CharacterCount(buffer_.LineRange(line, mark.Byte, offset), encoding_));
}

std::int64_t TLineColumns::DisplayOfColumn(int line, std::int64_t column, int tabWidth)
{
    TColumnMark at;
    if (const Marks* marks = MarksOf(line, tabWidth)) {
        const auto after = std::upper_bound(marks->List.begin(), marks->List.end(), column,
                                            [](std::int64_t c, const TColumnMark& m) { return c < m.Chars; });
        at = *(after - 1);
    }
    const std::size_t chars = static_cast<std::size_t>(std::max<std::int64_t>(0, column - at.Chars));
    const std::string_view bytes = Window(line, at.Byte, at.Byte + std::min(chars, buffer_.LineSize(line)) * 4);
    while (at.Byte < bytes.size() && at.Chars < column) {
        at.Display = NextDisplay(at.Display, DecodeCharAt(bytes, at.Byte, encoding_), tabWidth);
        ++at.Chars;
    }
    return at.Display + std::max<std::int64_t>(0, column - at.Chars);
}

std::int64_t TLineColumns::ColumnOfDisplay(int line, std::int64_t display, int tabWidth)
{
    TColumnMark at = MarkAtDisplay(line, display, tabWidth);
    // Every character takes a display column at least.
    const std::size_t columns = static_cast<std::size_t>(std::max<std::int64_t>(0, display - at.Display));
    const std::string_view bytes = Window(line, at.Byte, at.Byte + std::min(columns, buffer_.LineSize(line)) * 4);
    while (at.Byte < bytes.size()) {
        const std::int64_t next = NextDisplay(at.Display, DecodeCharAt(bytes, at.Byte, encoding_), tabWidth);
        if (next > display) return at.Chars;
        at.Display = next;
        ++at.Chars;
    }
    return at.Chars + std::max<std::int64_t>(0, display - at.Display);
}

void TLineColumns::LineEdited(int line, std::size_t offset, std::size_t removed, std::size_t inserted)
{
    const auto found = marks_.find(line);
    if (found == marks_.end()) return;
    if (buffer_.LineSize(line) < kMarkedLineBytes) {
        marks_.erase(found);
        return;
    }
    Marks& marks = found->second;
    std::vector<TColumnMark>& list = marks.List;
    // Marks up to the edit stay; the first mark wholly after the removed bytes is counted anew, and
    // the marks between are replaced by those the count leaves.
    auto first = std::upper_bound(list.begin(), list.end(), offset,
                                  [](std::size_t b, const TColumnMark& m) { return b < m.Byte; }) - 1;
    if (first == list.end() - 1) --first;  // an edit at the very end recounts the last stretch
    auto next = std::lower_bound(first + 1, list.end(), offset + removed,
                                 [](const TColumnMark& m, std::size_t b) { return m.Byte < b; });
    const std::int64_t byteShift = static_cast<std::int64_t>(inserted) - static_cast<std::int64_t>(removed);
    const std::size_t nextAt = static_cast<std::size_t>(static_cast<std::int64_t>(next->Byte) + byteShift);
    std::vector<TColumnMark> between;
    const TColumnMark counted = Count(Window(line, first->Byte, nextAt), *first, nextAt, marks.TabWidth, &between);
    const auto firstIndex = static_cast<std::size_t>(first - list.begin());
    std::size_t nextIndex = static_cast<std::size_t>(next - list.begin());
    const TColumnMark old = list[nextIndex];
    list.erase(first + 1, next);
    list.insert(list.begin() + static_cast<std::ptrdiff_t>(firstIndex) + 1, between.begin(), between.end());
    nextIndex = firstIndex + 1 + between.size();
    list[nextIndex] = counted;
    Shift(marks, nextIndex, line, {byteShift, counted.Chars - old.Chars, counted.Display - old.Display});
}

// The marks after `counted` move by the bytes, characters and display columns the edit added.
// Display columns move alike only while the shift is a whole number of tab stops; until then, a
// stretch holding a tab is counted anew, after which the shift is whole.
void TLineColumns::Shift(Marks& marks, std::size_t counted, int line, TShift shift) const
{
    std::vector<TColumnMark>& list = marks.List;
    for (std::size_t i = counted + 1; i < list.size(); ++i) {
        TColumnMark& mark = list[i];
        mark.Byte = static_cast<std::size_t>(static_cast<std::int64_t>(mark.Byte) + shift.Bytes);
        mark.Chars += shift.Chars;
        if (shift.Display % marks.TabWidth != 0 && mark.TabBefore) {
            const std::int64_t display =
                Count(Window(line, list[i - 1].Byte, mark.Byte), list[i - 1], mark.Byte, marks.TabWidth, nullptr).Display;
            shift.Display = display - mark.Display;
            mark.Display = display;
        } else {
            mark.Display += shift.Display;
        }
    }
}

void TLineColumns::LineSplit(int line, std::size_t offset, std::size_t tailLength)
{
    Marks tail;
    if (const auto found = marks_.find(line); found != marks_.end() && tailLength >= kMarkedLineBytes) {
        // The old marks after the break, counted from the tail's start: shifted back by what lay
        // before the break (the head's bytes are still those of the old line up to it).
        const std::vector<TColumnMark>& old = found->second.List;
        const auto after = std::upper_bound(old.begin(), old.end(), offset,
                                            [](std::size_t b, const TColumnMark& m) { return b < m.Byte; });
        const TColumnMark at =
            Count(Window(line, (after - 1)->Byte, offset), *(after - 1), offset, found->second.TabWidth, nullptr);
        tail.TabWidth = found->second.TabWidth;
        tail.List.push_back({});
        tail.List.insert(tail.List.end(), after, old.end());
        Shift(tail, 0, line + 1,
              {-static_cast<std::int64_t>(offset), -at.Chars, -at.Display});
    }
    LineEdited(line, offset, tailLength, 0);
    LinesInserted(line + 1, 1);
    if (!tail.List.empty()) marks_.insert_or_assign(line + 1, std::move(tail));
}

void TLineColumns::LinesJoined(int line, std::size_t headLength, std::size_t tailLength)
{
    const auto foundTail = marks_.find(line + 1);
    if (foundTail == marks_.end()) {
        LinesRemoved(line + 1, 1);
        LineEdited(line, headLength, 0, tailLength);
        return;
    }
    Marks joined = std::move(foundTail->second);
    LinesRemoved(line + 1, 1);
    // The head's marks, counted anew when it has none of the same tab width, up to its end.
    std::vector<TColumnMark> head;
    const auto foundHead = marks_.find(line);
    if (foundHead != marks_.end() && foundHead->second.TabWidth == joined.TabWidth) {
        head = std::move(foundHead->second.List);
    } else {
        head.push_back({});
        head.push_back(Count(Window(line, 0, headLength), {}, headLength, joined.TabWidth, &head));
    }
    const std::size_t junction = head.size() - 1;
    const TColumnMark headEnd = head.back();
    head.insert(head.end(), joined.List.begin() + 1, joined.List.end());
    joined.List = std::move(head);
    Shift(joined, junction, line,
          {static_cast<std::int64_t>(headLength), headEnd.Chars, headEnd.Display});
    marks_.insert_or_assign(line, std::move(joined));
}

void TLineColumns::LinesInserted(int first, int count)
{
    std::map<int, Marks> moved;
    for (auto& [line, marks] : marks_) moved.emplace(line >= first ? line + count : line, std::move(marks));
    marks_ = std::move(moved);
}

void TLineColumns::LinesRemoved(int first, int count)
{
    std::map<int, Marks> moved;
    for (auto& [line, marks] : marks_) {
        if (line < first) moved.emplace(line, std::move(marks));
        else if (line >= first + count) moved.emplace(line - count, std::move(marks));
    }
    marks_ = std::move(moved);
}
