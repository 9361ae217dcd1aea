// The byte scan under each instruction set it may use, against a plain left-to-right search, with
// lines long and short around the vector block sizes and matches near both ends.
#include "editor/search/ByteFinder.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

FoldTable IdentityFold()
{
    FoldTable fold;
    for (int byte = 0; byte < 256; ++byte)
        fold[byte] = static_cast<unsigned char>(byte);
    return fold;
}

FoldTable AsciiLowerFold()
{
    FoldTable fold = IdentityFold();
    for (int byte = 'A'; byte <= 'Z'; ++byte)
        fold[byte] = static_cast<unsigned char>(byte + 32);
    return fold;
}

// Five bytes fold to "a": more than the vector test takes, so the scan must fall back.
FoldTable WideClassFold()
{
    FoldTable fold = AsciiLowerFold();
    for (int byte : {0xC0, 0xE0, 0xC1})
        fold[byte] = 'a';
    return fold;
}

std::size_t PlainFind(const std::string& text, std::size_t from, const std::string& folded, const FoldTable& fold)
{
    for (std::size_t i = from; i + folded.size() <= text.size(); ++i) {
        bool equal = true;
        for (std::size_t k = 0; k < folded.size() && equal; ++k)
            equal = fold[static_cast<unsigned char>(text[i + k])] == static_cast<unsigned char>(folded[k]);
        if (equal)
            return i;
    }
    return ByteFinder::npos;
}

struct FinderCase {
    const char* name;
    VectorScan scan;
    FoldTable (*fold)();
    std::string alphabet;
};

class ByteFinderScan : public testing::TestWithParam<FinderCase> {};

TEST_P(ByteFinderScan, AgreesWithPlainSearch)
{
    const FinderCase& c = GetParam();
    const FoldTable fold = c.fold();
    std::mt19937 random(7);
    std::uniform_int_distribution<std::size_t> textLength(0, 120), patternLength(1, 40), pick(0, c.alphabet.size() - 1);
    for (int round = 0; round < 4000; ++round) {
        std::string text, pattern;
        for (std::size_t n = textLength(random); n > 0; --n)
            text += c.alphabet[pick(random)];
        for (std::size_t n = round % 3 == 0 ? patternLength(random) : 1 + round % 4; n > 0; --n)
            pattern += c.alphabet[pick(random)];
        if (round % 2 && text.size() >= pattern.size())  // plant it, often near an end
            text.replace(round % 4 == 1 ? 0 : text.size() - pattern.size(), pattern.size(), pattern);
        std::string folded;
        for (char ch : pattern)
            folded += static_cast<char>(fold[static_cast<unsigned char>(ch)]);
        std::vector<unsigned char> units(folded.begin(), folded.end());
        const QuickSearchTables tables = BuildQuickSearchTables(units.data(), units.size());
        ByteFinder finder;
        finder.Prepare(folded, fold, tables, c.scan);
        for (std::size_t from = 0; from <= text.size(); from += 1 + from / 3) {
            ASSERT_EQ(finder.Find(text, from), PlainFind(text, from, folded, fold))
                << "text [" << text << "] pattern [" << pattern << "] from " << from;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Scans, ByteFinderScan,
    testing::Values(FinderCase{"best_exact", VectorScan::Best, IdentityFold, "abAB c"},
                    FinderCase{"best_folded", VectorScan::Best, AsciiLowerFold, "abAB c"},
                    FinderCase{"sse2_exact", VectorScan::Sse2, IdentityFold, "abAB c"},
                    FinderCase{"sse2_folded", VectorScan::Sse2, AsciiLowerFold, "abAB c"},
                    FinderCase{"quick_search_exact", VectorScan::None, IdentityFold, "abAB c"},
                    FinderCase{"quick_search_folded", VectorScan::None, AsciiLowerFold, "abAB c"},
                    FinderCase{"best_many_variants", VectorScan::Best, WideClassFold, "aA\xC0\xE0\xC1 b"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
