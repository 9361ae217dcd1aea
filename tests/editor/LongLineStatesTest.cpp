// Highlight states inside long lines: after any edit, the end state and the colours of any stretch
// must be those of a scan of the whole line, though only the stretch around the edit is rescanned
// and only the bytes from there on are read (an edited line of megabytes keeps a gap at the edit).
#include "editor/text/HighlightStore.h"
#include "editor/text/OwnedLine.h"
#include "editor/text/TextBuffer.h"
#include "highlight/HtmlHighlighter.h"

#include <gtest/gtest.h>

namespace {

std::string LongPage(std::size_t bytes = 200 * 1024)
{
    std::string line;
    for (int i = 0; line.size() < bytes; ++i) {
        line += "<p class=\"c" + std::to_string(i) + "\">Text &amp; more <!-- note --> <b>bold</b></p>";
        if (i % 50 == 0) line += "<a title='quote\"d' href=x>";
    }
    return line + "\r\n<p>after</p>";
}

// Kinds of the bytes from `from` on, by the store's walk from there.
std::vector<int> KindsFrom(THighlightStore& store, const TTextBuffer& buffer, int line, std::size_t from)
{
    std::vector<int> kinds(buffer.LineSize(line), -1);
    store.WalkTokensFrom(line, from, [&](const TLineToken& token) {
        for (int at = token.Start; at < token.Start + token.Length; ++at) kinds[static_cast<std::size_t>(at)] = token.Kind;
    });
    return kinds;
}

struct LongLineEditCase {
    const char* Name;
    double At;  // share of the line
    std::size_t Removed;
    std::string Inserted;
};

class LongLineStates : public testing::TestWithParam<LongLineEditCase> {};

TEST_P(LongLineStates, EditedLineAgreesWithAWholeScan)
{
    const LongLineEditCase& c = GetParam();
    std::string page = LongPage(TOwnedLine::kLongLineBytes + 4096);
    TTextBuffer buffer;
    buffer.LoadBytes(page);
    THtmlHighlighter highlighter;
    THighlightStore store(buffer);
    store.SetHighlighter(&highlighter);
    store.EndState(1);  // stops made before the edit
    KindsFrom(store, buffer, 0, buffer.LineSize(0) / 2);

    const std::size_t offset = static_cast<std::size_t>(c.At * static_cast<double>(buffer.LineSize(0)));
    const std::size_t removed = std::min(c.Removed, buffer.LineSize(0) - offset);
    buffer.RemoveText(0, offset, removed);
    buffer.InsertText(0, offset, c.Inserted);
    page.erase(offset, removed).insert(offset, c.Inserted);

    TTextBuffer fresh;
    fresh.LoadBytes(page);
    THtmlHighlighter wholeHighlighter;  // outlives the store, which leaves it when destroyed
    THighlightStore wholeStore(fresh);
    wholeStore.SetHighlighter(&wholeHighlighter);
    EXPECT_EQ(store.EndState(0), wholeStore.EndState(0));
    EXPECT_EQ(store.EndState(1), wholeStore.EndState(1));
    const std::vector<int> whole = KindsFrom(wholeStore, fresh, 0, 0);
    // Nearest the edit first, while its gap is still there.
    for (const double share : {c.At * 0.999, 0.99, 0.25, 0.0}) {
        const std::size_t from = static_cast<std::size_t>(share * static_cast<double>(whole.size()));
        const std::vector<int> kinds = KindsFrom(store, buffer, 0, from);
        for (std::size_t at = from; at < whole.size(); ++at) ASSERT_EQ(kinds[at], whole[at]) << "byte " << at;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Edits, LongLineStates,
    testing::Values(LongLineEditCase{"letter_at_start", 0, 0, "x"}, LongLineEditCase{"letter_in_middle", 0.5, 0, "x"},
                    LongLineEditCase{"letter_at_end", 1, 0, "x"}, LongLineEditCase{"open_comment_at_start", 0, 0, "<!--"},
                    LongLineEditCase{"open_quote_in_middle", 0.5, 0, "<a href=\""},
                    LongLineEditCase{"remove_across_stops", 0.3, 40000, ""},
                    LongLineEditCase{"paste_of_many_stops", 0.6, 0, std::string(50000, 'z') + "<i>"}),
    [](const auto& info) { return std::string(info.param.Name); });

// Idle time readies the states a slice at a time, a long line stop by stop, and ends with the states
// a scan at once gives.
TEST(ScanAhead, ReadiesEveryLineInBoundedSlices)
{
    std::string page = LongPage();
    for (int i = 0; i < 2000; ++i) page += "\r\n<p title=\"" + std::to_string(i) + "\">line</p>";
    TTextBuffer buffer;
    buffer.LoadBytes(page);
    THtmlHighlighter highlighter;
    THighlightStore store(buffer);
    store.SetHighlighter(&highlighter);
    int slices = 0;
    while (store.ScanAhead(32 * 1024)) ++slices;
    EXPECT_GT(slices, 8);  // the long line alone takes several
    EXPECT_EQ(store.ValidUpTo(), buffer.LineCount());

    TTextBuffer fresh;
    fresh.LoadBytes(page);
    THtmlHighlighter wholeHighlighter;
    THighlightStore wholeStore(fresh);
    wholeStore.SetHighlighter(&wholeHighlighter);
    for (const int line : {0, 1, buffer.LineCount() - 1}) EXPECT_EQ(store.EndState(line), wholeStore.EndState(line));
}

}  // namespace
