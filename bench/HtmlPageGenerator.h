#pragma once
// A large hand-written-looking HTML page for the scanner benchmarks: nested tags with attributes,
// quoted and unquoted values, text with character references, comments over several lines.

#include <cstddef>
#include <string>

// At least `minBytes` bytes, lines ending in CR LF; the same text for the same arguments.
std::string GenerateHtmlPage(std::size_t minBytes, unsigned seed = 1);
