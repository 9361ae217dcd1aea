#pragma once
// Colours as pages write them: six upper-case hexadecimal digits, red first, no "#".

#include <cstdint>
#include <string>

// colour is 0xRRGGBB; bits above the 24 colour bits are ignored.
std::string ColorToHtmlHex(std::uint32_t colour);
