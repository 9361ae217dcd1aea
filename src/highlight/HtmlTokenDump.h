#pragma once
// A readable dump of the tokens of a page, one token a line, for golden files and for anyone
// checking why something is coloured the way it is.

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

// Splits at CR LF, CR or LF as the editor loads a page; a page ending in a break, and an empty
// page, get an empty last line.
std::vector<std::string_view> SplitPageLines(std::string_view page);

// Backslash as "\\", tab as "\t", other bytes below 32 or from 127 up as "\xNN" (lower-case hex).
std::string EscapeTokenText(std::string_view bytes);

// Scans the lines from TextState carrying the state and writes, per token (the closing Null token
// included) "LINE START KIND TEXT", then "LINE END STATE"; numbers from 0, START a byte offset.
void WriteTokenDump(std::string_view page, std::ostream& out);
