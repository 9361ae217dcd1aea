#pragma once
// Reading the characters of a UTF-8 line for the search engine. A byte that starts no valid
// sequence stands alone as a character of its own (see kInvalidByteBase), so that a stray byte
// never compares equal to a different one.

#include <cstddef>
#include <string_view>

// A byte that is not part of valid UTF-8 decodes to kInvalidByteBase + byte: outside Unicode, so it
// is no word character, folds to itself and equals only the same stray byte.
inline constexpr char32_t kInvalidByteBase = 0x110000;

struct DecodedCharacter {
    char32_t codePoint;
    std::size_t byteLength;
};

// The character starting at byte `offset` (offset < line.size()).
DecodedCharacter DecodeUtf8At(std::string_view line, std::size_t offset);

// The character that ends right before byte `offset` (0 < offset), `offset` being a character start.
DecodedCharacter DecodeUtf8Before(std::string_view line, std::size_t offset);

// Number of characters in line[from, to), both character starts.
std::size_t CountUtf8Characters(std::string_view line, std::size_t from, std::size_t to);
