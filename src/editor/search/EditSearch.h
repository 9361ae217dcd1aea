#pragma once
// The plain-text search engine of a document: finds every match of a pattern in one line of page
// bytes. Characters are those of the page's decoding (UTF-8, or Windows-1252 one byte each); without
// match case they compare by their Unicode simple lower-case mapping, and with whole word a match
// must not touch a letter, a decimal digit or "_" on either side. Matches never overlap: the scan
// goes on right after each match.

#include "editor/search/ByteFinder.h"
#include "editor/search/QuickSearch.h"
#include "editor/text/TextEncoding.h"

#include <array>
#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

class ESearchError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct TSearchOptions {
    bool MatchCase = false;
    bool WholeWord = false;
    bool operator==(const TSearchOptions&) const = default;
};

class TEditSearch {
public:
    TEditSearch();
    // The prepared scan points into the engine's own tables.
    TEditSearch(const TEditSearch&) = delete;
    TEditSearch& operator=(const TEditSearch&) = delete;

    // The pattern, as bytes in the page's encoding.
    void SetSearchText(std::string_view pattern);
    const std::string& SearchText() const { return pattern_; }
    void SetOptions(TSearchOptions options);
    TSearchOptions Options() const { return options_; }
    void SetEncoding(TDocumentEncoding encoding);
    TDocumentEncoding Encoding() const { return encoding_; }

    // Searches the whole line and keeps the matches until the next search. Throws ESearchError
    // "Pattern is empty" when there is no pattern.
    int FindAllInLine(std::string_view line);
    int MatchCount() const { return static_cast<int>(matches_.size()); }
    // 1-based character column of the index-th match (from 0); 0 for an index outside the list.
    int MatchPosition(int index) const;
    // Length of the pattern in characters, which is also the length of every match.
    int PatternLength() const;

    // The same matches as bytes of the line, for callers that edit bytes.
    std::size_t MatchByteOffset(int index) const;
    std::size_t MatchByteLength(int index) const;

private:
    struct Match {
        std::size_t byteOffset;
        std::size_t byteLength;
        int column;
    };
    // How a line is scanned; chosen when the tables are prepared.
    enum class Scan {
        Bytes,               // byte for byte through the folding table
        BytesUnlessTrigger,  // as Bytes, unless the line holds a non-ASCII character folding into the pattern
        CodePoints,          // decoded and folded character by character
    };

    void BuildFoldTable();
    void BuildDelimiterTable();
    void PrepareIfStale();
    void PrepareCodePointScan();
    bool LineHasTrigger(std::string_view line) const;
    bool HoldsRequiredStretch(std::string_view line) const;
    void ScanBytes(std::string_view line);
    void ScanCodePoints(std::string_view line);
    bool IsWordBoundary(std::string_view line, std::size_t byteOffset, std::size_t byteLength) const;
    bool IsWordCharacterBefore(std::string_view line, std::size_t byteOffset) const;
    bool IsWordCharacterAt(std::string_view line, std::size_t byteOffset) const;
    void NumberColumns(std::string_view line);

    std::string pattern_;
    TSearchOptions options_;
    TDocumentEncoding encoding_ = TDocumentEncoding::Utf8;

    FoldTable foldTable_{};
    std::array<bool, 256> delimiter_{};
    bool stale_ = true;

    // A folded byte pattern with what finding it takes.
    struct BytePattern {
        std::string folded;
        QuickSearchTables tables;
        ByteFinder finder;
        void Prepare(std::string foldedBytes, const FoldTable& fold);
    };

    Scan scan_ = Scan::Bytes;
    BytePattern whole_;                       // the pattern, for the byte scans
    std::vector<char32_t> foldedCodePoints_;  // the pattern, for the code-point scan
    QuickSearchTables tables_;
    BytePattern required_;                // in the other scans, a stretch every line with a match holds
    std::vector<std::string> triggers_;  // UTF-8 of non-ASCII characters that fold into the pattern

    std::vector<Match> matches_;
    // Scratch for the code-point scan, kept to avoid allocating per line.
    std::vector<char32_t> lineCodePoints_;
    std::vector<std::size_t> lineOffsets_;
};
