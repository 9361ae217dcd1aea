#include "markup/ColorToHtmlHex.h"

std::string ColorToHtmlHex(std::uint32_t colour)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string hex(6, '0');
    for (int i = 5; i >= 0; --i) {
        hex[i] = kDigits[colour & 0xF];
        colour >>= 4;
    }
    return hex;
}
