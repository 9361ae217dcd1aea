#pragma once
// File dialog filters: the program writes them as "text|patterns|text|patterns" with patterns
// separated by ";"; Qt's file dialog wants one "text (pattern pattern)" entry per filter.

#include <string>
#include <vector>

// One name filter per text/pattern pair, in order. A trailing "(...)" in the text is replaced by
// the real pattern list, empty patterns (from a trailing ";") are dropped, and "*.*" becomes "*"
// so that files without an extension are listed too. A text with no patterns lists every file.
std::vector<std::string> ToNameFilters(const std::string& filter);
