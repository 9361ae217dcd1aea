#pragma once
// Byte tables of the HTML scanner. They are constant-initialised, so they exist before any
// highlighter does and every highlighter (and thread) shares them without a lock.

#include <array>
#include <cstdint>

namespace html_chars {

// Letters count 1 to 26 in either case, "!" 123 and "/" 122; a tag name's value is the sum.
inline constexpr std::array<std::uint8_t, 256> kCharValue = [] {
    std::array<std::uint8_t, 256> value{};
    for (int c = 'A'; c <= 'Z'; ++c) {
        value[c] = static_cast<std::uint8_t>(c - 'A' + 1);
        value[c + ('a' - 'A')] = value[c];
    }
    value['!'] = 123;
    value['/'] = 122;
    return value;
}();

// Flags that let the scanning loops test a byte with one table look-up.
enum ClassFlag : std::uint8_t {
    kTextStop = 1,      // ends a text run: a control character, "<", or "&" (looked at separately)
    kIdentifierChar = 2,  // above 32 and none of "\"", "=", ">"
    kValueChar = 4,     // above 32 and not ">"
    kSpaceRunChar = 8,  // 1 to 32 without tab, line feed and carriage return
    kCommentStop = 16,  // ">", line feed, carriage return
    kDecimalDigit = 32,
    kHexDigit = 64,
};

inline constexpr std::array<std::uint8_t, 256> kCharClass = [] {
    std::array<std::uint8_t, 256> flags{};
    for (int c = 0; c < 256; ++c) {
        std::uint8_t f = 0;
        if (c < 32 || c == '<' || c == '&')
            f |= kTextStop;
        if (c > 32 && c != '"' && c != '=' && c != '>')
            f |= kIdentifierChar;
        if (c > 32 && c != '>')
            f |= kValueChar;
        if (c >= 1 && c <= 32 && c != '\t' && c != '\n' && c != '\r')
            f |= kSpaceRunChar;
        if (c == '>' || c == '\n' || c == '\r')
            f |= kCommentStop;
        if (c >= '0' && c <= '9')
            f |= kDecimalDigit | kHexDigit;
        if ((c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'))
            f |= kHexDigit;
        flags[c] = f;
    }
    return flags;
}();

inline constexpr bool Has(unsigned char c, ClassFlag flag) { return (kCharClass[c] & flag) != 0; }

}  // namespace html_chars
