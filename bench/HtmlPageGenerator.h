#pragma once
// A large hand-written-looking HTML page for the scanner benchmarks: nested tags with attributes,
// quoted and unquoted values, text with character references, comments over several lines.

#include <cstddef>
#include <string>

// At least `minBytes` bytes, lines ending in CR LF; the same text for the same arguments.
std::string GenerateHtmlPage(std::size_t minBytes, unsigned seed = 1);

// The same mark-up with every line break taken out: one line of exactly `bytes` bytes, as a
// minified page is.
std::string GenerateOneLinePage(std::size_t bytes, unsigned seed = 1);

// `lines` short lines (a few bytes each, some empty), ending in CR LF.
std::string GenerateShortLinesPage(std::size_t lines);
