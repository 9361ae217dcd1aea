#pragma once
// Byte-level text helpers that many core parts share: UTF-8 continuation bytes, and lower case for
// the ASCII letters alone (names in protocols and mark-up, which must not follow the user's locale).

#include <string>
#include <string_view>

inline bool IsUtf8Continuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

inline std::string AsciiLower(std::string_view text)
{
    std::string lower(text);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return lower;
}
