#include "editor/search/EditSearch.h"

#include "editor/search/SearchCharacters.h"
#include "editor/search/UnicodeTables.h"

#include <algorithm>
#include <cstring>

namespace {

std::string EncodeUtf8(char32_t cp)
{
    std::string out;
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
    return out;
}

// The few non-ASCII characters whose lower case is ASCII (such as the Kelvin sign, which folds to "k").
// An ASCII pattern can be searched byte for byte only in lines that hold none of them.
const std::vector<char32_t>& NonAsciiFoldingToAscii()
{
    static const std::vector<char32_t> characters = [] {
        std::vector<char32_t> found;
        using unicode_tables::kLowerCaseRuns;
        for (std::size_t i = 0; i < unicode_tables::kLowerCaseRunCount; ++i) {
            const auto& run = kLowerCaseRuns[i];
            for (char32_t cp = run.first; cp <= run.last; cp += run.stride)
                if (cp >= 0x80 && SimpleLowerCase(cp) < 0x80)
                    found.push_back(cp);
        }
        return found;
    }();
    return characters;
}

bool IsAscii(std::string_view text)
{
    std::size_t i = 0;
    std::uint64_t high = 0;
    for (; i + 8 <= text.size(); i += 8) {
        std::uint64_t word;
        std::memcpy(&word, text.data() + i, 8);
        high |= word;
    }
    for (; i < text.size(); ++i)
        high |= static_cast<unsigned char>(text[i]);
    return (high & 0x8080808080808080ull) == 0;
}

}  // namespace

TEditSearch::TEditSearch()
{
    BuildFoldTable();
    BuildDelimiterTable();
}

void TEditSearch::SetSearchText(std::string_view pattern)
{
    if (pattern == pattern_)
        return;
    pattern_ = pattern;
    stale_ = true;
}

void TEditSearch::SetOptions(TSearchOptions options)
{
    const bool caseChanged = options.MatchCase != options_.MatchCase;
    options_ = options;
    if (caseChanged) {
        BuildFoldTable();
        stale_ = true;
    }
}

void TEditSearch::SetEncoding(TDocumentEncoding encoding)
{
    if (encoding == encoding_)
        return;
    encoding_ = encoding;
    BuildFoldTable();
    BuildDelimiterTable();
    stale_ = true;
}

void TEditSearch::BuildFoldTable()
{
    for (int byte = 0; byte < 256; ++byte)
        foldTable_[byte] = static_cast<unsigned char>(byte);
    if (options_.MatchCase)
        return;
    if (encoding_ == TDocumentEncoding::Utf8) {
        // Bytes of multi-byte characters are folded with their character, not here.
        for (int byte = 'A'; byte <= 'Z'; ++byte)
            foldTable_[byte] = static_cast<unsigned char>(byte + 32);
        return;
    }
    for (int byte = 0; byte < 256; ++byte) {
        const char32_t lower = SimpleLowerCase(Windows1252ToUnicode(static_cast<unsigned char>(byte)));
        foldTable_[byte] = UnicodeToWindows1252(lower).value_or(static_cast<unsigned char>(byte));
    }
}

void TEditSearch::BuildDelimiterTable()
{
    for (int byte = 0; byte < 256; ++byte) {
        const auto b = static_cast<unsigned char>(byte);
        if (encoding_ == TDocumentEncoding::Windows1252)
            delimiter_[byte] = !IsWordCharacter(Windows1252ToUnicode(b));
        else  // a non-ASCII byte of UTF-8 is decoded with its character before it is classed
            delimiter_[byte] = b >= 0x80 || !IsWordCharacter(b);
    }
}

void TEditSearch::BytePattern::Prepare(std::string foldedBytes, const FoldTable& fold)
{
    folded = std::move(foldedBytes);
    if (folded.empty())
        return;
    tables = BuildQuickSearchTables(reinterpret_cast<const unsigned char*>(folded.data()), folded.size());
    finder.Prepare(folded, fold, tables);
}

void TEditSearch::PrepareIfStale()
{
    if (!stale_)
        return;
    if (pattern_.empty())
        throw ESearchError("Pattern is empty");
    if (encoding_ == TDocumentEncoding::Utf8 && (!options_.MatchCase || !IsValidUtf8(pattern_))) {
        PrepareCodePointScan();
    } else {
        scan_ = Scan::Bytes;
        std::string folded(pattern_.size(), '\0');
        for (std::size_t i = 0; i < pattern_.size(); ++i)
            folded[i] = static_cast<char>(foldTable_[static_cast<unsigned char>(pattern_[i])]);
        whole_.Prepare(std::move(folded), foldTable_);
    }
    stale_ = false;
}

// A UTF-8 pattern searched without match case, or one that is not valid UTF-8. An ASCII pattern is
// still searched byte for byte, the case folded by the table; the others character by character.
void TEditSearch::PrepareCodePointScan()
{
    foldedCodePoints_.clear();
    for (std::size_t offset = 0; offset < pattern_.size();) {
        const DecodedCharacter character = DecodeUtf8At(pattern_, offset);
        foldedCodePoints_.push_back(options_.MatchCase ? character.codePoint : SimpleLowerCase(character.codePoint));
        offset += character.byteLength;
    }
    tables_ = BuildQuickSearchTables(foldedCodePoints_.data(), foldedCodePoints_.size());
    const auto holds = [this](char32_t cp) {
        return std::find(foldedCodePoints_.begin(), foldedCodePoints_.end(), cp) != foldedCodePoints_.end();
    };

    triggers_.clear();
    std::u32string triggerTargets;
    if (!options_.MatchCase) {
        for (char32_t cp : NonAsciiFoldingToAscii())
            if (holds(SimpleLowerCase(cp))) {
                triggers_.push_back(EncodeUtf8(cp));
                triggerTargets += SimpleLowerCase(cp);
            }
    }

    // The longest stretch of characters that only ASCII bytes can match: a line without it holds no match.
    std::size_t runStart = 0, bestStart = 0, bestLength = 0;
    for (std::size_t i = 0; i <= foldedCodePoints_.size(); ++i) {
        if (i < foldedCodePoints_.size() && foldedCodePoints_[i] < 0x80 &&
            triggerTargets.find(foldedCodePoints_[i]) == std::u32string::npos)
            continue;
        if (i - runStart > bestLength) {
            bestStart = runStart;
            bestLength = i - runStart;
        }
        runStart = i + 1;
    }
    const auto run = foldedCodePoints_.begin() + static_cast<std::ptrdiff_t>(bestStart);
    required_.Prepare(std::string(run, run + static_cast<std::ptrdiff_t>(bestLength)), foldTable_);

    if (std::all_of(foldedCodePoints_.begin(), foldedCodePoints_.end(), [](char32_t cp) { return cp < 0x80; })) {
        whole_.Prepare(std::string(foldedCodePoints_.begin(), foldedCodePoints_.end()), foldTable_);
        scan_ = triggers_.empty() ? Scan::Bytes : Scan::BytesUnlessTrigger;
    } else {
        scan_ = Scan::CodePoints;
    }
}

bool TEditSearch::HoldsRequiredStretch(std::string_view line) const
{
    return required_.folded.empty() || required_.finder.Find(line, 0) != ByteFinder::npos;
}

bool TEditSearch::LineHasTrigger(std::string_view line) const
{
    // A trigger ends in a continuation byte that is rare in pages: look for the last bytes of two
    // triggers at once, then check what precedes a hit.
    const auto endsAt = [line](const std::string& trigger, std::size_t at) {
        const std::size_t head = trigger.size() - 1;
        return at >= head && line.substr(at - head, trigger.size()) == trigger;
    };
    for (std::size_t i = 0; i < triggers_.size(); i += 2) {
        const std::string& first = triggers_[i];
        const std::string& second = triggers_[std::min(i + 1, triggers_.size() - 1)];
        for (std::size_t at = 0;; ++at) {
            at = FindEitherByte(line, at, static_cast<unsigned char>(first.back()),
                                static_cast<unsigned char>(second.back()));
            if (at == ByteFinder::npos)
                break;
            if (endsAt(first, at) || endsAt(second, at))
                return true;
        }
    }
    return false;
}

int TEditSearch::FindAllInLine(std::string_view line)
{
    PrepareIfStale();
    matches_.clear();
    switch (scan_) {
    case Scan::Bytes:
        ScanBytes(line);
        break;
    case Scan::BytesUnlessTrigger:
        if (!HoldsRequiredStretch(line))
            break;
        if (LineHasTrigger(line))
            ScanCodePoints(line);
        else
            ScanBytes(line);
        break;
    case Scan::CodePoints:
        // The pattern holds a character beyond ASCII, which no ASCII character folds to.
        if (!IsAscii(line) && HoldsRequiredStretch(line))
            ScanCodePoints(line);
        break;
    }
    if (!matches_.empty())
        NumberColumns(line);
    return MatchCount();
}

void TEditSearch::ScanBytes(std::string_view line)
{
    const std::size_t length = whole_.folded.size();
    std::size_t from = 0;
    for (;;) {
        const std::size_t found = whole_.finder.Find(line, from);
        if (found == ByteFinder::npos)
            return;
        if (options_.WholeWord && !IsWordBoundary(line, found, length)) {
            from = found + 1;
            continue;
        }
        matches_.push_back({found, length, 0});
        from = found + length;
    }
}

void TEditSearch::ScanCodePoints(std::string_view line)
{
    lineCodePoints_.clear();
    lineOffsets_.clear();
    for (std::size_t offset = 0; offset < line.size();) {
        const DecodedCharacter character = DecodeUtf8At(line, offset);
        lineCodePoints_.push_back(options_.MatchCase ? character.codePoint : SimpleLowerCase(character.codePoint));
        lineOffsets_.push_back(offset);
        offset += character.byteLength;
    }
    lineOffsets_.push_back(line.size());
    const std::size_t length = foldedCodePoints_.size();
    std::size_t from = 0;
    for (;;) {
        const std::size_t found = QuickSearchFind(lineCodePoints_.data(), lineCodePoints_.size(), from,
                                                  foldedCodePoints_.data(), length, tables_,
                                                  [](char32_t cp) { return cp; });
        if (found == ByteFinder::npos)
            return;
        const std::size_t byteOffset = lineOffsets_[found];
        const std::size_t byteLength = lineOffsets_[found + length] - byteOffset;
        if (options_.WholeWord && !IsWordBoundary(line, byteOffset, byteLength)) {
            from = found + 1;
            continue;
        }
        matches_.push_back({byteOffset, byteLength, static_cast<int>(found) + 1});
        from = found + length;
    }
}

bool TEditSearch::IsWordCharacterBefore(std::string_view line, std::size_t byteOffset) const
{
    const auto byte = static_cast<unsigned char>(line[byteOffset - 1]);
    if (encoding_ == TDocumentEncoding::Windows1252 || byte < 0x80)
        return !delimiter_[byte];
    return IsWordCharacter(DecodeUtf8Before(line, byteOffset).codePoint);
}

bool TEditSearch::IsWordCharacterAt(std::string_view line, std::size_t byteOffset) const
{
    const auto byte = static_cast<unsigned char>(line[byteOffset]);
    if (encoding_ == TDocumentEncoding::Windows1252 || byte < 0x80)
        return !delimiter_[byte];
    return IsWordCharacter(DecodeUtf8At(line, byteOffset).codePoint);
}

// The line's edges count as delimiters.
bool TEditSearch::IsWordBoundary(std::string_view line, std::size_t byteOffset, std::size_t byteLength) const
{
    if (byteOffset > 0 && IsWordCharacterBefore(line, byteOffset))
        return false;
    const std::size_t end = byteOffset + byteLength;
    return end >= line.size() || !IsWordCharacterAt(line, end);
}

void TEditSearch::NumberColumns(std::string_view line)
{
    std::size_t counted = 0;  // characters before byte `countedTo`
    std::size_t countedTo = 0;
    for (Match& match : matches_) {
        if (match.column != 0)
            continue;
        if (encoding_ == TDocumentEncoding::Windows1252) {
            match.column = static_cast<int>(match.byteOffset) + 1;
            continue;
        }
        counted += CountUtf8Characters(line, countedTo, match.byteOffset);
        countedTo = match.byteOffset;
        match.column = static_cast<int>(counted) + 1;
    }
}

int TEditSearch::MatchPosition(int index) const
{
    if (index < 0 || index >= MatchCount())
        return 0;
    return matches_[static_cast<std::size_t>(index)].column;
}

std::size_t TEditSearch::MatchByteOffset(int index) const
{
    if (index < 0 || index >= MatchCount())
        return 0;
    return matches_[static_cast<std::size_t>(index)].byteOffset;
}

std::size_t TEditSearch::MatchByteLength(int index) const
{
    if (index < 0 || index >= MatchCount())
        return 0;
    return matches_[static_cast<std::size_t>(index)].byteLength;
}

int TEditSearch::PatternLength() const
{
    if (encoding_ == TDocumentEncoding::Windows1252)
        return static_cast<int>(pattern_.size());
    return static_cast<int>(CountUtf8Characters(pattern_, 0, pattern_.size()));
}
