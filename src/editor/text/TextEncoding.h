#pragma once
// How a document's bytes map to characters: UTF-8 when the bytes are valid UTF-8 (and for every
// new page), else Windows-1252 with one byte per character. The bytes themselves never change.

#include <cstddef>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

enum class TDocumentEncoding { Utf8, Windows1252 };

bool IsValidUtf8(std::string_view bytes);

// Unicode value of a Windows-1252 byte; the five bytes 1252 leaves undefined map to the C1
// controls of the same value, so that every byte decodes and encodes back to itself.
char32_t Windows1252ToUnicode(unsigned char byte);
// The byte that holds the character in Windows-1252, or none when 1252 has no such character.
std::optional<unsigned char> UnicodeToWindows1252(char32_t ch);

// Number of characters in bytes that hold whole characters.
std::size_t CharacterCount(std::string_view bytes, TDocumentEncoding encoding);
// Byte offset of the character at column; columns past the end give bytes.size().
std::size_t ByteOffsetOfColumn(std::string_view bytes, std::size_t column, TDocumentEncoding encoding);
// Character column of a byte offset that starts a character (or equals bytes.size()).
std::size_t ColumnOfByteOffset(std::string_view bytes, std::size_t offset, TDocumentEncoding encoding);

std::u32string DecodeText(std::string_view bytes, TDocumentEncoding encoding);
// Appends the encoding of one character; false (nothing appended) when the encoding cannot hold it.
bool AppendEncodedChar(std::string& out, char32_t ch, TDocumentEncoding encoding);
// Whole text, or the first character that cannot be encoded.
struct TEncodeResult {
    std::string Bytes;
    std::optional<char32_t> Unencodable;
};
TEncodeResult EncodeText(std::u32string_view text, TDocumentEncoding encoding);

// Decodes the character starting at offset; returns it and advances offset past it.
char32_t DecodeCharAt(std::string_view bytes, std::size_t& offset, TDocumentEncoding encoding);
// Byte offset of the start of the character that ends at offset (offset > 0).
std::size_t PreviousCharOffset(std::string_view bytes, std::size_t offset, TDocumentEncoding encoding);

// Raised when text handed to a document holds a character its encoding cannot store; the document
// is left unchanged.
class EEncodingError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
std::string UnencodableCharMessage(char32_t ch, TDocumentEncoding encoding);
