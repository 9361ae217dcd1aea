#include "editor/text/TextEncoding.h"

#include "base/TextBytes.h"
#include <array>
#include <cstdio>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// Windows-1252 bytes 0x80..0x9F; 0 marks the five undefined bytes, which decode to themselves.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};


std::size_t Utf8SequenceLength(unsigned char lead)
{
    if (lead < 0x80) return 1;
    if (lead >= 0xF0) return 4;
    if (lead >= 0xE0) return 3;
    if (lead >= 0xC0) return 2;
    return 1;  // a stray continuation byte (never in a valid document)
}

}  // namespace

bool IsValidUtf8(std::string_view bytes)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* end = p + bytes.size();
    while (p < end) {
        // Skip ASCII 32 and then eight bytes at a time; most pages are mostly ASCII.
        while (end - p >= 32) {
            std::uint64_t words[4];
            __builtin_memcpy(words, p, 32);
            if ((words[0] | words[1] | words[2] | words[3]) & 0x8080808080808080ULL) break;
            p += 32;
        }
        while (end - p >= 8) {
            std::uint64_t word;
            __builtin_memcpy(&word, p, 8);
            if (word & 0x8080808080808080ULL) break;
            p += 8;
        }
        if (p >= end) break;
        const unsigned char b = *p;
        if (b < 0x80) {
            ++p;
            continue;
        }
        std::size_t length;
        char32_t min;
        char32_t value;
        if (b >= 0xC2 && b <= 0xDF) {
            length = 2; min = 0x80; value = b & 0x1F;
        } else if (b >= 0xE0 && b <= 0xEF) {
            length = 3; min = 0x800; value = b & 0x0F;
        } else if (b >= 0xF0 && b <= 0xF4) {
            length = 4; min = 0x10000; value = b & 0x07;
        } else {
            return false;
        }
        if (static_cast<std::size_t>(end - p) < length) return false;
        for (std::size_t i = 1; i < length; ++i) {
            if (!IsUtf8Continuation(p[i])) return false;
            value = (value << 6) | (p[i] & 0x3F);
        }
        if (value < min || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return false;
        p += length;
    }
    return true;
}

char32_t Windows1252ToUnicode(unsigned char byte)
{
    if (byte >= 0x80 && byte <= 0x9F) {
        const char16_t mapped = kHighControls[byte - 0x80];
        return mapped ? mapped : byte;
    }
    return byte;
}

std::optional<unsigned char> UnicodeToWindows1252(char32_t ch)
{
    if (ch < 0x80 || (ch >= 0xA0 && ch <= 0xFF)) return static_cast<unsigned char>(ch);
    for (std::size_t i = 0; i < kHighControls.size(); ++i) {
        const char32_t mapped = kHighControls[i] ? kHighControls[i] : static_cast<char32_t>(0x80 + i);
        if (mapped == ch) return static_cast<unsigned char>(0x80 + i);
    }
    return std::nullopt;
}

std::size_t CharacterCount(std::string_view bytes, TDocumentEncoding encoding)
{
    if (encoding == TDocumentEncoding::Windows1252) return bytes.size();
    std::size_t count = 0;
    std::size_t i = 0;
#if defined(__SSE2__)
    // Every byte that is not a continuation byte (10xxxxxx, as signed below -64) starts a character.
    const __m128i limit = _mm_set1_epi8(-65);
    for (; i + 16 <= bytes.size(); i += 16) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes.data() + i));
        count += static_cast<std::size_t>(__builtin_popcount(
            static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpgt_epi8(chunk, limit)))));
    }
#endif
    for (; i < bytes.size(); ++i) count += !IsUtf8Continuation(static_cast<unsigned char>(bytes[i]));
    return count;
}

std::size_t ByteOffsetOfColumn(std::string_view bytes, std::size_t column, TDocumentEncoding encoding)
{
    if (encoding == TDocumentEncoding::Windows1252) return std::min(column, bytes.size());
    std::size_t offset = 0;
    while (column > 0 && offset < bytes.size()) {
        offset += Utf8SequenceLength(static_cast<unsigned char>(bytes[offset]));
        --column;
    }
    return std::min(offset, bytes.size());
}

std::size_t ColumnOfByteOffset(std::string_view bytes, std::size_t offset, TDocumentEncoding encoding)
{
    return CharacterCount(bytes.substr(0, std::min(offset, bytes.size())), encoding);
}

char32_t DecodeCharAt(std::string_view bytes, std::size_t& offset, TDocumentEncoding encoding)
{
    const auto lead = static_cast<unsigned char>(bytes[offset]);
    if (encoding == TDocumentEncoding::Windows1252) {
        ++offset;
        return Windows1252ToUnicode(lead);
    }
    const std::size_t length = std::min(Utf8SequenceLength(lead), bytes.size() - offset);
    char32_t value = length == 1 ? lead : lead & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i)
        value = (value << 6) | (static_cast<unsigned char>(bytes[offset + i]) & 0x3F);
    offset += length;
    return value;
}

std::size_t PreviousCharOffset(std::string_view bytes, std::size_t offset, TDocumentEncoding encoding)
{
    if (offset == 0) return 0;
    --offset;
    if (encoding == TDocumentEncoding::Utf8) {
        while (offset > 0 && IsUtf8Continuation(static_cast<unsigned char>(bytes[offset]))) --offset;
    }
    return offset;
}

std::u32string DecodeText(std::string_view bytes, TDocumentEncoding encoding)
{
    std::u32string text;
    text.reserve(bytes.size());
    for (std::size_t offset = 0; offset < bytes.size();) text.push_back(DecodeCharAt(bytes, offset, encoding));
    return text;
}

bool AppendEncodedChar(std::string& out, char32_t ch, TDocumentEncoding encoding)
{
    if (encoding == TDocumentEncoding::Windows1252) {
        const auto byte = UnicodeToWindows1252(ch);
        if (!byte) return false;
        out.push_back(static_cast<char>(*byte));
        return true;
    }
    if (ch > 0x10FFFF || (ch >= 0xD800 && ch <= 0xDFFF)) return false;
    if (ch < 0x80) {
        out.push_back(static_cast<char>(ch));
    } else if (ch < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (ch >> 6)));
        out.push_back(static_cast<char>(0x80 | (ch & 0x3F)));
    } else if (ch < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (ch >> 12)));
        out.push_back(static_cast<char>(0x80 | ((ch >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (ch & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (ch >> 18)));
        out.push_back(static_cast<char>(0x80 | ((ch >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((ch >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (ch & 0x3F)));
    }
    return true;
}

TEncodeResult EncodeText(std::u32string_view text, TDocumentEncoding encoding)
{
    TEncodeResult result;
    result.Bytes.reserve(text.size());
    for (const char32_t ch : text) {
        if (!AppendEncodedChar(result.Bytes, ch, encoding)) {
            result.Bytes.clear();
            result.Unencodable = ch;
            return result;
        }
    }
    return result;
}

std::string UnencodableCharMessage(char32_t ch, TDocumentEncoding encoding)
{
    char code[16];
    std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(ch));
    return std::string("The character ") + code + " cannot be stored in this page (" +
           (encoding == TDocumentEncoding::Utf8 ? "UTF-8" : "Windows-1252") + ")";
}
