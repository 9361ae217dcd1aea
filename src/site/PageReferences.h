#pragma once
// The references a page makes to other files: the values of href, src, action and background
// attributes, and each url(...) in style attributes and <style> blocks, with the line each starts on.
// Comments and script bodies are skipped; character references in attribute values (&amp;, &#38;) are
// decoded. Nothing is resolved here.

#include <string>
#include <string_view>
#include <vector>

struct TPageReference {
    std::string Value;  // as written, character references decoded
    int Line = 1;       // from 1
};

std::vector<TPageReference> FindPageReferences(std::string_view page);
