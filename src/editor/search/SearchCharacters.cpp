#include "editor/search/SearchCharacters.h"

#include "base/TextBytes.h"

namespace {

// Length of the valid sequence starting at `offset`, or 0 when the byte there starts none.
std::size_t ValidSequenceLength(std::string_view line, std::size_t offset)
{
    const auto at = [&](std::size_t i) { return static_cast<unsigned char>(line[offset + i]); };
    const std::size_t available = line.size() - offset;
    const unsigned char lead = at(0);
    if (lead < 0x80)
        return 1;
    std::size_t length;
    unsigned char secondLow = 0x80, secondHigh = 0xBF;  // range of the second byte, narrowed for some leads
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0)
            secondLow = 0xA0;  // no overlong forms
        if (lead == 0xED)
            secondHigh = 0x9F;  // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0)
            secondLow = 0x90;
        if (lead == 0xF4)
            secondHigh = 0x8F;  // nothing above U+10FFFF
    } else
        return 0;
    if (available < length || at(1) < secondLow || at(1) > secondHigh)
        return 0;
    for (std::size_t i = 2; i < length; ++i)
        if (!IsUtf8Continuation(at(i)))
            return 0;
    return length;
}

}  // namespace

DecodedCharacter DecodeUtf8At(std::string_view line, std::size_t offset)
{
    const auto lead = static_cast<unsigned char>(line[offset]);
    const std::size_t length = ValidSequenceLength(line, offset);
    if (length == 0)
        return {kInvalidByteBase + lead, 1};
    if (length == 1)
        return {lead, 1};
    char32_t cp = lead & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i)
        cp = (cp << 6) | (static_cast<unsigned char>(line[offset + i]) & 0x3F);
    return {cp, length};
}

DecodedCharacter DecodeUtf8Before(std::string_view line, std::size_t offset)
{
    // A multi-byte character is its lead byte and up to three continuation bytes; anything else
    // before `offset` is a single stray byte.
    std::size_t start = offset - 1;
    while (start > 0 && offset - start < 4 && IsUtf8Continuation(static_cast<unsigned char>(line[start])))
        --start;
    if (start + 1 < offset) {
        const DecodedCharacter candidate = DecodeUtf8At(line, start);
        if (start + candidate.byteLength == offset)
            return candidate;
    }
    return DecodeUtf8At(line.substr(0, offset), offset - 1);
}

std::size_t CountUtf8Characters(std::string_view line, std::size_t from, std::size_t to)
{
    std::size_t count = 0;
    while (from < to) {
        const auto byte = static_cast<unsigned char>(line[from]);
        from += byte < 0x80 ? 1 : DecodeUtf8At(line, from).byteLength;
        ++count;
    }
    return count;
}
