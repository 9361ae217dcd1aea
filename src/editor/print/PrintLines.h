#pragma once
// The print engine's own list of lines: bytes in the page's encoding, kept end to end in one block
// so that a large page costs little more than its size. Filled either from strings, with tabs
// expanded to blanks, or straight from a page file, tabs kept.

#include "editor/text/TextEncoding.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

class TPrintLines {
public:
    int Count() const { return static_cast<int>(starts_.size()) - 1; }
    std::string_view Line(int index) const
    {
        return std::string_view(bytes_).substr(starts_[index], starts_[index + 1] - starts_[index]);
    }
    TDocumentEncoding Encoding() const { return encoding_; }

    void Clear(TDocumentEncoding encoding);
    void Add(std::string_view line) { bytes_.append(line); starts_.push_back(bytes_.size()); }

    // The load rule of page files (breaks CR LF, CR or LF; a final break gives an empty last line;
    // UTF-8 when the bytes are valid UTF-8, else Windows-1252). Throws EFileError
    // "Cannot open file <path>" and then keeps the lines it had.
    void LoadFromFile(const std::string& path);

private:
    std::string bytes_;
    std::vector<std::size_t> starts_{0};
    TDocumentEncoding encoding_ = TDocumentEncoding::Utf8;
};

// Every tab replaced by blanks up to the next column that is a multiple of tabWidth (columns are
// characters, from 0); with a tab width below 1 a tab becomes one blank.
std::string ExpandTabs(std::string_view line, int tabWidth, TDocumentEncoding encoding);
