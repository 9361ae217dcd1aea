// The editor's search and replace on real editor models: direction from the caret, no wrap, the
// selection left by a find, replace and replace all in both directions, undo, and the prompt.
// Pages are written with "|" for the caret and "{" for the selection's anchor.
#include "EditorTestText.h"
#include "editor/search/SearchReplace.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace {

struct FindCase {
    const char* name;
    std::string before;
    std::u32string search;
    TSearchReplaceOptions options;
    std::string after;
    int found;
};

constexpr TSearchReplaceOptions kDown{};
constexpr TSearchReplaceOptions kUp{.Backwards = true};

const FindCase kFindCases[] = {
    {"first_after_caret", "|abc x abc", U"abc", kDown, "{abc| x abc", 1},
    {"next_from_caret_at_match_end", "abc| x abc", U"abc", kDown, "abc x {abc|", 1},
    {"no_wrap_forward", "abc x abc|", U"abc", kDown, "abc x abc|", 0},
    {"match_starting_at_caret_counts", "x|abc", U"abc", kDown, "x{abc|", 1},
    {"started_before_caret_skipped", "a|bc abc", U"abc", kDown, "abc {abc|", 1},
    {"later_line", "x|y\nz abc", U"abc", kDown, "xy\nz {abc|", 1},
    {"caret_at_line_end_goes_on", "abc|\nabc", U"abc", kDown, "abc\n{abc|", 1},
    {"non_overlapping_in_line", "a|aaa", U"aa", kDown, "aa{aa|", 1},
    {"backwards_last_before_caret", "abc x abc|", U"abc", kUp, "abc x |abc{", 1},
    {"backwards_previous", "abc x |abc", U"abc", kUp, "|abc{ x abc", 1},
    {"backwards_must_end_before_caret", "ab|c", U"abc", kUp, "ab|c", 0},
    {"backwards_earlier_line", "abc\nx|", U"abc", kUp, "|abc{\nx", 1},
    {"case_off_finds_upper", "|x ABC", U"abc", kDown, "x {ABC|", 1},
    {"case_on_skips_upper", "|ABC abc", U"abc", {.MatchCase = true}, "ABC {abc|", 1},
    {"whole_word_skips_inner", "|xabcx abc", U"abc", {.WholeWord = true}, "xabcx {abc|", 1},
    {"underscore_is_word", "|abc_ abc", U"abc", {.WholeWord = true}, "abc_ {abc|", 1},
    {"utf8_columns", "|\xC3\xA9t\xC3\xA9 \xC3\x89T\xC3\x89", U"\u00e9t\u00e9", kDown,
     "{\xC3\xA9t\xC3\xA9| \xC3\x89T\xC3\x89", 1},
    {"utf8_folded_second", "\xC3\xA9t\xC3\xA9| \xC3\x89T\xC3\x89", U"\u00e9t\u00e9", kDown,
     "\xC3\xA9t\xC3\xA9 {\xC3\x89T\xC3\x89|", 1},
    {"cp1252_page", "|\xFF\xE9t\xC9", U"\u00c9T\u00c9", kDown, "\xFF{\xE9t\xC9|", 1},
    {"unencodable_in_cp1252", "|\xFF abc", U"\u4e2d", kDown, "|\xFF abc", 0},
    {"empty_search", "|abc", U"", kDown, "|abc", 0},
    {"keeps_selection_when_none", "{ab|c", U"zz", kDown, "{ab|c", 0},
};

class Find : public testing::TestWithParam<FindCase> {};

TEST_P(Find, SelectsTheMatchOrChangesNothing)
{
    const FindCase& c = GetParam();
    TEditorModel editor;
    TEditSearch engine;
    LoadMarked(editor, c.before);
    EXPECT_EQ(SearchReplace(editor, &engine, c.search, U"", c.options), c.found);
    EXPECT_EQ(Marked(editor), c.after);
}

INSTANTIATE_TEST_SUITE_P(Cases, Find, testing::ValuesIn(kFindCases),
                         [](const auto& info) { return std::string(info.param.name); });

struct ReplaceAllCase {
    const char* name;
    std::string before;
    std::u32string search, replacement;
    bool backwards;
    std::string after;
    int replaced;
};

const ReplaceAllCase kReplaceAllCases[] = {
    {"down_from_middle", "abc |abc abc", U"abc", U"X", false, "abc X X|", 2},
    {"up_from_middle", "abc abc| abc", U"abc", U"X", true, "|X X abc", 2},
    {"down_from_top", "|abc\nx abc y\nabc", U"abc", U"X", false, "X\nx X y\nX|", 3},
    {"up_from_bottom", "abc\nx abc y\nabc|", U"abc", U"X", true, "|X\nx X y\nX", 3},
    {"longer_replacement", "|a-a-a", U"a", U"bbb", false, "bbb-bbb-bbb|", 3},
    {"shorter_replacement", "|hello world hello", U"hello", U"h", false, "h world h|", 2},
    {"adjacent_matches", "|ababab", U"ab", U"x", false, "xxx|", 3},
    {"adjacent_matches_up", "ababab|", U"ab", U"x", true, "|xxx", 3},
    {"lines_without_matches_kept", "|ab\n\nno\nab", U"ab", U"c", false, "c\n\nno\nc|", 2},
    {"text_after_last_match_kept", "|ab cd\nef", U"ab", U"x", false, "x| cd\nef", 1},
    {"replacement_with_break", "|a b", U"a", U"1\r\n2", false, "1\n2| b", 1},
    {"utf8_folded", "|\xC3\x84pfel \xC3\xA4PFEL", U"\u00e4pfel", U"Birne", false, "Birne Birne|", 2},
    {"cp1252_page", "|\xFF \xE9 \xC9", U"\u00e9", U"e\u00e8", false, "\xFF e\xE8 e\xE8|", 2},
    {"none_changes_nothing", "a|bc", U"zz", U"y", false, "a|bc", 0},
};

class ReplaceAll : public testing::TestWithParam<ReplaceAllCase> {};

TEST_P(ReplaceAll, ReplacesEveryMatchInTheStretch)
{
    const ReplaceAllCase& c = GetParam();
    TEditorModel editor;
    TEditSearch engine;
    LoadMarked(editor, c.before);
    const TSearchReplaceOptions options{.Backwards = c.backwards, .Replace = true, .ReplaceAll = true, .Prompt = true};
    EXPECT_EQ(SearchReplace(editor, &engine, c.search, c.replacement, options), c.replaced);
    EXPECT_EQ(Marked(editor), c.after);
}

INSTANTIATE_TEST_SUITE_P(Cases, ReplaceAll, testing::ValuesIn(kReplaceAllCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SearchReplace, ReplaceAllUndoesInOneStep)
{
    TEditorModel editor;
    TEditSearch engine;
    LoadMarked(editor, "|one two\ntwo one\none");
    ASSERT_EQ(SearchReplace(editor, &engine, U"one", U"three", {.Replace = true, .ReplaceAll = true}), 3);
    EXPECT_EQ(Marked(editor), "three two\ntwo three\nthree|");
    editor.Undo();
    EXPECT_EQ(Marked(editor), "|one two\ntwo one\none");
    editor.Redo();
    EXPECT_EQ(Marked(editor), "three two\ntwo three\nthree|");
}

TEST(SearchReplace, SingleReplaceTakesOnlyTheNextMatch)
{
    TEditorModel editor;
    TEditSearch engine;
    LoadMarked(editor, "ab |ab ab");
    ASSERT_EQ(SearchReplace(editor, &engine, U"ab", U"xyz", {.Replace = true}), 1);
    EXPECT_EQ(Marked(editor), "ab xyz| ab");
    ASSERT_EQ(SearchReplace(editor, &engine, U"ab", U"xyz", {.Backwards = true, .Replace = true}), 1);
    EXPECT_EQ(Marked(editor), "|xyz xyz ab");
}

TEST(SearchReplace, MatchIsSelectedAsCharactersInLineAndColumnMode)
{
    for (const TSelectionMode mode : {smLine, smColumn}) {
        TEditorModel editor;
        TEditSearch engine;
        LoadMarked(editor, "|123 abc 456\nabc");
        editor.SetSelectionMode(mode);
        // Replace one by one: find, then replace what the find selected.
        ASSERT_EQ(SearchReplace(editor, &engine, U"abc", U"", {}), 1);
        EXPECT_EQ(editor.SelectedText(), U"abc") << mode;
        editor.ReplaceSelection(U"x");
        EXPECT_EQ(Marked(editor), "123 x| 456\nabc") << mode;
    }
}

TEST(SearchReplace, UnencodableReplacementChangesNothing)
{
    TEditorModel editor;
    TEditSearch engine;
    LoadMarked(editor, "|\xFF abc");
    EXPECT_THROW(SearchReplace(editor, &engine, U"abc", U"\u4e2d", {.Replace = true, .ReplaceAll = true}),
                 EEncodingError);
    EXPECT_EQ(Marked(editor), "|\xFF abc");
}

TEST(SearchReplace, WithoutEngineFails)
{
    TEditorModel editor;
    try {
        SearchReplace(editor, nullptr, U"a", U"", {});
        FAIL() << "no error";
    } catch (const ESearchError& error) {
        EXPECT_STREQ(error.what(), "No search engine has been assigned");
    }
}

TEST(SearchReplace, PromptAsksWithTheMatchSelectedAndFollowsTheAnswer)
{
    TEditorModel editor;
    TEditSearch engine;
    LoadMarked(editor, "|a a\na a");
    std::vector<TReplaceAction> answers{TReplaceAction::Replace, TReplaceAction::Skip, TReplaceAction::ReplaceAll};
    std::vector<std::string> asked;
    const TReplaceTextEvent ask = [&](std::u32string_view search, std::u32string_view replacement, int line,
                                      int column) {
        EXPECT_EQ(search, U"a");
        EXPECT_EQ(replacement, U"bb");
        asked.push_back(std::to_string(line) + ":" + std::to_string(column) + " " + Marked(editor));
        const TReplaceAction answer = answers.front();
        answers.erase(answers.begin());
        return answer;
    };
    const TSearchReplaceOptions options{.Replace = true, .ReplaceAll = true, .Prompt = true};
    EXPECT_EQ(SearchReplace(editor, &engine, U"a", U"bb", options, ask), 3);
    EXPECT_EQ(asked, (std::vector<std::string>{"1:1 {a| a\na a", "1:4 bb {a|\na a", "2:1 bb a\n{a| a"}));
    EXPECT_EQ(Marked(editor), "bb a\nbb bb|");
    editor.Undo();
    EXPECT_EQ(Marked(editor), "|a a\na a");
}

TEST(SearchReplace, PromptCancelStops)
{
    TEditorModel editor;
    TEditSearch engine;
    LoadMarked(editor, "|a a");
    int questions = 0;
    const TReplaceTextEvent cancel = [&](auto, auto, int, int) {
        ++questions;
        return TReplaceAction::Cancel;
    };
    const TSearchReplaceOptions options{.Replace = true, .ReplaceAll = true, .Prompt = true};
    EXPECT_EQ(SearchReplace(editor, &engine, U"a", U"b", options, cancel), 0);
    EXPECT_EQ(questions, 1);
    EXPECT_EQ(editor.Document().Text(), "a a");
}

// Replace all from the top equals replacing, line by line, every non-overlapping occurrence.
TEST(SearchReplace, ReplaceAllAgreesWithPlainReplacementOverGeneratedPages)
{
    std::mt19937 random(99);
    std::uniform_int_distribution<int> lineCount(1, 12), lineLength(0, 30), letter(0, 3);
    const std::string letters = "ab \n";
    for (int round = 0; round < 300; ++round) {
        std::string page;
        for (int line = lineCount(random); line > 0; --line) {
            for (int n = lineLength(random); n > 0; --n)
                page += letters[static_cast<std::size_t>(letter(random)) % 3];
            if (line > 1)
                page += '\n';
        }
        const std::string search = round % 2 ? "ab" : "ba b";
        const std::string replacement = round % 3 ? "XYZ" : "";
        std::string expected;
        for (std::size_t i = 0; i < page.size();) {
            if (page.compare(i, search.size(), search) == 0) {
                expected += replacement;
                i += search.size();
            } else {
                expected += page[i++];
            }
        }
        TEditorModel editor;
        TEditSearch engine;
        editor.LoadBytes(page);
        SearchReplace(editor, &engine, std::u32string(search.begin(), search.end()),
                      std::u32string(replacement.begin(), replacement.end()), {.Replace = true, .ReplaceAll = true});
        ASSERT_EQ(editor.Document().Text(), expected) << "page [" << page << "]";
    }
}

}  // namespace
