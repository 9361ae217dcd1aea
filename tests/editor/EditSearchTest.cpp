// The search engine on single lines: the documented cases, Unicode folding and word characters in
// both page encodings, and agreement with a plain reference search over many generated lines.
#include "editor/search/EditSearch.h"
#include "editor/search/UnicodeTables.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

using Enc = TDocumentEncoding;

std::vector<int> Columns(TEditSearch& engine)
{
    std::vector<int> columns;
    for (int i = 0; i < engine.MatchCount(); ++i)
        columns.push_back(engine.MatchPosition(i));
    return columns;
}

std::vector<int> Find(std::string_view pattern, std::string_view line, TSearchOptions options,
                      Enc encoding = Enc::Utf8)
{
    TEditSearch engine;
    engine.SetEncoding(encoding);
    engine.SetOptions(options);
    engine.SetSearchText(pattern);
    const int count = engine.FindAllInLine(line);
    EXPECT_EQ(count, engine.MatchCount());
    return Columns(engine);
}

struct LineCase {
    const char* name;
    std::string pattern;
    std::string line;
    TSearchOptions options;
    Enc encoding;
    std::vector<int> columns;
};

constexpr TSearchOptions kPlain{};
constexpr TSearchOptions kCase{.MatchCase = true};
constexpr TSearchOptions kWord{.WholeWord = true};

const LineCase kLineCases[] = {
    {"non_overlapping", "aa", "aaaa", kPlain, Enc::Utf8, {1, 3}},
    {"non_overlapping_odd", "aa", "aaaaa", kPlain, Enc::Utf8, {1, 3}},
    {"fold_lower", "ABC", "abc", kPlain, Enc::Utf8, {1}},
    {"fold_mixed", "ABC", "aBc", kPlain, Enc::Utf8, {1}},
    {"case_on_rejects", "ABC", "abc aBc", kCase, Enc::Utf8, {}},
    {"case_on_exact", "ABC", "abc ABC", kCase, Enc::Utf8, {5}},
    {"word_between_delimiters", "abc", "x abc, y", kWord, Enc::Utf8, {3}},
    {"word_at_line_end", "abc", "x abc", kWord, Enc::Utf8, {3}},
    {"word_at_line_start", "abc", "abc x", kWord, Enc::Utf8, {1}},
    {"word_whole_line", "abc", "abc", kWord, Enc::Utf8, {1}},
    {"word_letter_after", "abc", "abcd", kWord, Enc::Utf8, {}},
    {"word_letter_before", "abc", "xabc", kWord, Enc::Utf8, {}},
    {"word_underscore_after", "abc", "abc_d", kWord, Enc::Utf8, {}},
    {"word_digit_before", "abc", "1abc", kWord, Enc::Utf8, {}},
    {"word_off_inside", "abc", "xabcx", kPlain, Enc::Utf8, {2}},
    {"word_fails_then_next_found", "ab", "abab ab", kWord, Enc::Utf8, {6}},
    {"pattern_longer_than_line", "abcdef", "abc", kPlain, Enc::Utf8, {}},
    {"empty_line", "a", "", kPlain, Enc::Utf8, {}},
    {"adjacent_matches", "ab", "ababab", kPlain, Enc::Utf8, {1, 3, 5}},
    // UTF-8: columns count characters, folding is Unicode's simple lower case.
    {"utf8_column_after_multibyte", "abc", "\xC3\xA9\xE2\x82\xAC abc", kPlain, Enc::Utf8, {4}},
    {"utf8_fold_umlaut", "\xC3\x84PFEL", "die \xC3\xA4pfel", kPlain, Enc::Utf8, {5}},
    {"utf8_fold_capital_sharp_s", "stra\xC3\x9F" "e", "STRA\xE1\xBA\x9E" "E", kPlain, Enc::Utf8, {1}},
    {"utf8_fold_greek", "\xCE\xA3\xCE\x99", "x\xCF\x83\xCE\xB9", kPlain, Enc::Utf8, {2}},
    {"utf8_kelvin_sign_folds_to_k", "k", "1\xE2\x84\xAA k K", kPlain, Enc::Utf8, {2, 4, 6}},
    {"utf8_dotted_capital_i_folds_to_i", "in", "\xC4\xB0N in", kPlain, Enc::Utf8, {1, 4}},
    {"utf8_ascii_stretch_met_by_kelvin_sign", "kk\xC3\xA9", "xK\xE2\x84\xAA\xC3\x89", kPlain, Enc::Utf8, {2}},
    {"utf8_kelvin_sign_with_ascii_stretch", "kab", "x\xE2\x84\xAA" "AB kab \xE2\x84\xAA" "AC", kPlain, Enc::Utf8, {2, 6}},
    {"utf8_ascii_stretch_absent", "abc\xC3\xA9", "ab\xC3\xA9 abd\xC3\xA9", kPlain, Enc::Utf8, {}},
    {"utf8_case_on_no_fold", "\xC3\x84", "\xC3\xA4\xC3\x84", kCase, Enc::Utf8, {2}},
    {"utf8_word_accented_letter_before", "abc", "\xC3\xA9" "abc", kWord, Enc::Utf8, {}},
    {"utf8_word_dash_before", "abc", "\xE2\x80\x94" "abc", kWord, Enc::Utf8, {2}},
    {"utf8_word_arabic_digit_after", "abc", "abc\xD9\xA3", kWord, Enc::Utf8, {}},
    {"utf8_word_nbsp_around", "abc", "\xC2\xA0" "abc\xC2\xA0", kWord, Enc::Utf8, {2}},
    {"utf8_word_pattern_non_ascii", "\xC3\xA4", "\xC3\xA4\xC3\xA4 \xC3\x84", kWord, Enc::Utf8, {4}},
    // Windows-1252: one byte per character, folded and classed as its 1252 character.
    {"cp1252_fold_grave", "\xC0" "b", "\xE0" "b", kPlain, Enc::Windows1252, {1}},
    {"cp1252_fold_caron", "\x8A", "x\x9A", kPlain, Enc::Windows1252, {2}},
    {"cp1252_fold_y_diaeresis", "\x9F", "\xFF\x9F", kPlain, Enc::Windows1252, {1, 2}},
    {"cp1252_case_on", "\xC0", "\xE0\xC0", kCase, Enc::Windows1252, {2}},
    {"cp1252_word_letter_before", "abc", "\xE9" "abc", kWord, Enc::Windows1252, {}},
    {"cp1252_word_ordinal_is_letter", "abc", "abc\xAA", kWord, Enc::Windows1252, {}},
    {"cp1252_word_nbsp_is_delimiter", "abc", "\xA0" "abc", kWord, Enc::Windows1252, {2}},
    {"cp1252_word_euro_is_delimiter", "abc", "\x80" "abc\x80", kWord, Enc::Windows1252, {2}},
};

class EngineLine : public testing::TestWithParam<LineCase> {};

TEST_P(EngineLine, FindsTheExpectedColumns)
{
    const LineCase& c = GetParam();
    EXPECT_EQ(Find(c.pattern, c.line, c.options, c.encoding), c.columns);
}

INSTANTIATE_TEST_SUITE_P(Cases, EngineLine, testing::ValuesIn(kLineCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(EditSearch, EmptyPatternFails)
{
    TEditSearch engine;
    try {
        engine.FindAllInLine("abc");
        FAIL() << "no error";
    } catch (const ESearchError& error) {
        EXPECT_STREQ(error.what(), "Pattern is empty");
    }
}

TEST(EditSearch, PositionOutsideTheListIsZero)
{
    TEditSearch engine;
    engine.SetSearchText("b");
    ASSERT_EQ(engine.FindAllInLine("abcb"), 2);
    EXPECT_EQ(engine.MatchPosition(-1), 0);
    EXPECT_EQ(engine.MatchPosition(2), 0);
    EXPECT_EQ(engine.MatchPosition(1), 4);
}

TEST(EditSearch, ChangedPatternAndOptionsTakeEffect)
{
    TEditSearch engine;
    engine.SetSearchText("ab");
    EXPECT_EQ(engine.FindAllInLine("AB ba"), 1);
    engine.SetSearchText("ba");
    EXPECT_EQ(engine.FindAllInLine("AB ba"), 1);
    EXPECT_EQ(engine.MatchPosition(0), 4);
    engine.SetOptions({.MatchCase = true});
    EXPECT_EQ(engine.FindAllInLine("BA ba"), 1);
    engine.SetOptions({});
    EXPECT_EQ(engine.FindAllInLine("BA ba"), 2);
    engine.SetEncoding(Enc::Windows1252);
    engine.SetSearchText("\xE0");
    EXPECT_EQ(engine.FindAllInLine("\xC0\xE0"), 2);
}

TEST(EditSearch, PatternLengthCountsCharacters)
{
    TEditSearch engine;
    engine.SetSearchText("\xC3\xA4" "b\xE2\x82\xAC");
    EXPECT_EQ(engine.PatternLength(), 3);
    engine.SetEncoding(Enc::Windows1252);
    EXPECT_EQ(engine.PatternLength(), 6);
}

TEST(EditSearch, MatchBytesCoverTheMatchedCharacters)
{
    TEditSearch engine;
    engine.SetSearchText("ok");
    ASSERT_EQ(engine.FindAllInLine("\xC3\xA9O\xE2\x84\xAA ok"), 2);
    EXPECT_EQ(engine.MatchByteOffset(0), 2u);
    EXPECT_EQ(engine.MatchByteLength(0), 4u);  // "O" and the three-byte Kelvin sign
    EXPECT_EQ(engine.MatchPosition(1), 5);
    EXPECT_EQ(engine.MatchByteOffset(1), 7u);
    EXPECT_EQ(engine.MatchByteLength(1), 2u);
}

TEST(EditSearch, StrayBytesInUtf8LineCompareOnlyWithThemselves)
{
    TEditSearch engine;
    engine.SetSearchText("\xFF" "a");
    ASSERT_EQ(engine.FindAllInLine("\xFE" "a\xFF" "A"), 1);
    EXPECT_EQ(engine.MatchPosition(0), 3);
}

TEST(UnicodeTables, LowerCaseAndWordCharacters)
{
    EXPECT_EQ(SimpleLowerCase(U'A'), U'a');
    EXPECT_EQ(SimpleLowerCase(U'\u0100'), U'\u0101');  // alternating pairs
    EXPECT_EQ(SimpleLowerCase(U'\u0101'), U'\u0101');
    EXPECT_EQ(SimpleLowerCase(U'\u0130'), U'i');
    EXPECT_EQ(SimpleLowerCase(U'\u212A'), U'k');
    EXPECT_EQ(SimpleLowerCase(U'\U00010400'), U'\U00010428');  // Deseret, outside the BMP
    EXPECT_EQ(SimpleLowerCase(U'\u00DF'), U'\u00DF');
    EXPECT_TRUE(IsWordCharacter(U'_'));
    EXPECT_TRUE(IsWordCharacter(U'\u00AA'));  // Lo
    EXPECT_TRUE(IsWordCharacter(U'\u0663'));  // Nd
    EXPECT_TRUE(IsWordCharacter(U'\u4E2D'));
    EXPECT_FALSE(IsWordCharacter(U'\u00B2'));  // No, not Nd
    EXPECT_FALSE(IsWordCharacter(U'\u2014'));
    EXPECT_FALSE(IsWordCharacter(U'-'));
}

// --- agreement with a plain reference search ------------------------------------------------

std::vector<int> ReferenceColumns(std::string_view pattern, std::string_view line, TSearchOptions options,
                                  Enc encoding)
{
    const auto fold = [&](char32_t c) { return options.MatchCase ? c : SimpleLowerCase(c); };
    const std::u32string p = DecodeText(pattern, encoding);
    const std::u32string t = DecodeText(line, encoding);
    std::vector<int> columns;
    std::size_t i = 0;
    while (i + p.size() <= t.size()) {
        bool equal = true;
        for (std::size_t k = 0; k < p.size() && equal; ++k)
            equal = fold(t[i + k]) == fold(p[k]);
        const bool wordOk = !options.WholeWord ||
                            ((i == 0 || !IsWordCharacter(t[i - 1])) &&
                             (i + p.size() == t.size() || !IsWordCharacter(t[i + p.size()])));
        if (equal && wordOk) {
            columns.push_back(static_cast<int>(i) + 1);
            i += p.size();
        } else {
            ++i;
        }
    }
    return columns;
}

struct Alphabet {
    Enc encoding;
    std::vector<std::string> characters;
};

std::string RandomText(std::mt19937& random, const Alphabet& alphabet, std::size_t characters)
{
    std::string text;
    std::uniform_int_distribution<std::size_t> pick(0, alphabet.characters.size() - 1);
    for (std::size_t i = 0; i < characters; ++i)
        text += alphabet.characters[pick(random)];
    return text;
}

class EngineAgainstReference : public testing::TestWithParam<Alphabet> {};

TEST_P(EngineAgainstReference, SameMatchesOverGeneratedLines)
{
    const Alphabet& alphabet = GetParam();
    std::mt19937 random(20261207);
    std::uniform_int_distribution<std::size_t> lineLength(0, 90), patternLength(1, 5), coin(0, 1);
    int compared = 0, withMatches = 0;
    for (int round = 0; round < 3000; ++round) {
        const std::string line = RandomText(random, alphabet, lineLength(random));
        std::string pattern = RandomText(random, alphabet, patternLength(random));
        // Half the patterns are cut from the line, so that matches are common.
        if (coin(random) && !line.empty()) {
            const std::u32string decoded = DecodeText(line, alphabet.encoding);
            std::uniform_int_distribution<std::size_t> from(0, decoded.size() - 1);
            const std::size_t start = from(random);
            const std::size_t count = std::min(patternLength(random), decoded.size() - start);
            pattern = EncodeText(decoded.substr(start, count), alphabet.encoding).Bytes;
        }
        for (const TSearchOptions options : {kPlain, kCase, kWord, TSearchOptions{true, true}}) {
            const std::vector<int> expected = ReferenceColumns(pattern, line, options, alphabet.encoding);
            ASSERT_EQ(Find(pattern, line, options, alphabet.encoding), expected)
                << "pattern [" << pattern << "] line [" << line << "] case " << options.MatchCase << " word "
                << options.WholeWord;
            ++compared;
            withMatches += !expected.empty();
        }
    }
    EXPECT_GT(withMatches, compared / 4);
}

INSTANTIATE_TEST_SUITE_P(
    Alphabets, EngineAgainstReference,
    testing::Values(
        Alphabet{Enc::Utf8, {"a", "A", "b", "B", "_", " ", "-", "1"}},
        Alphabet{Enc::Utf8,
                 {"a", "A", "k", "K", "i", "I", "\xE2\x84\xAA", "\xC4\xB0", "\xC3\xA9", "\xC3\x89", "\xC3\x9F",
                  "\xE1\xBA\x9E", " ", "_", "\xF0\x90\x90\x80", "\xF0\x90\x90\xA8", "\xE2\x80\x94"}},
        Alphabet{Enc::Windows1252, {"a", "A", "\xE0", "\xC0", "\x8A", "\x9A", " ", "_", "\xA0", "\xAA", "\x80", "\xFF"}}),
    [](const auto& info) { return "alphabet" + std::to_string(info.index); });

}  // namespace
