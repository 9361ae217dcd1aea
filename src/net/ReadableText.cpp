#include "net/ReadableText.h"

#include "net/ReplyParsing.h"

#include <algorithm>

namespace {

constexpr char kSubstitute = '?';

// The length of the well-formed UTF-8 sequence at the start of text (overlong forms, surrogates and
// values above U+10FFFF are not well-formed), or 0.
std::size_t SequenceLength(std::string_view text)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    std::size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (text.size() < length || byte(1) < low || byte(1) > high)
        return 0;
    for (std::size_t i = 2; i < length; ++i)
        if (byte(i) < 0x80 || byte(i) > 0xBF)
            return 0;
    return length;
}

// C1 controls, U+0080 to U+009F, are C2 80 to C2 9F in UTF-8.
bool IsC1Control(std::string_view sequence)
{
    return sequence.size() == 2 && static_cast<unsigned char>(sequence[0]) == 0xC2 &&
           static_cast<unsigned char>(sequence[1]) <= 0x9F;
}

}  // namespace

std::string ReadableServerText(std::string_view text, std::size_t maxCharacters)
{
    const std::string_view body = WithoutLineEnd(text);
    std::string readable;
    readable.reserve(std::min(body.size(), maxCharacters * 4) + 5);
    std::size_t characters = 0;
    std::size_t at = 0;
    for (; at < body.size() && characters < maxCharacters; ++characters) {
        const unsigned char c = static_cast<unsigned char>(body[at]);
        if (c < 0x80) {
            readable += c < 0x20 || c == 0x7F ? kSubstitute : static_cast<char>(c);
            ++at;
            continue;
        }
        const std::size_t length = SequenceLength(body.substr(at));
        if (length == 0 || IsC1Control(body.substr(at, length))) {
            readable += kSubstitute;
            at += length == 0 ? 1 : length;
        } else {
            readable.append(body, at, length);
            at += length;
        }
    }
    if (at < body.size())
        readable += "...";
    readable.append(text.substr(body.size()));
    return readable;
}
