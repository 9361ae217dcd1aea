// A scan stopped inside a line and resumed there must colour every following byte as a scan of
// the whole line does, and reach the same end state: the editor keeps such stops in long lines.
#include "highlight/HtmlHighlighter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// The kind of every byte from `from` on, scanning from `from` in `state` (whole line: 0, Text).
std::vector<THtmlTokenKind> KindsFrom(THtmlHighlighter& highlighter, const std::string& line, std::size_t from,
                                      int state)
{
    std::vector<THtmlTokenKind> kinds(line.size(), THtmlTokenKind::Null);
    highlighter.SetState(state);
    if (from == 0) highlighter.StartLine(line, 0);
    else highlighter.StartLineAt(line, 0, from);
    while (!highlighter.AtLineEnd()) {
        const int start = highlighter.TokenStart();
        const THtmlTokenKind kind = highlighter.Kind();
        highlighter.NextToken();
        for (int at = start; at < highlighter.TokenStart(); ++at) kinds[static_cast<std::size_t>(at)] = kind;
    }
    return kinds;
}

struct ResumeCase {
    const char* Name;
    std::string Piece;  // repeated to make the line
    THtmlState StartState;
};

class ResumeInLine : public testing::TestWithParam<ResumeCase> {};

TEST_P(ResumeInLine, EveryStopGivesTheWholeScansKindsAndEndState)
{
    const ResumeCase& c = GetParam();
    std::string line;
    while (line.size() < 600) line += c.Piece;
    THtmlHighlighter highlighter;
    const std::vector<THtmlTokenKind> whole = KindsFrom(highlighter, line, 0, static_cast<int>(c.StartState));
    const int endState = highlighter.GetState();
    for (std::size_t target = 1; target < line.size(); target += 3) {
        highlighter.SetState(static_cast<int>(c.StartState));
        highlighter.StartLine(line, 0);
        const std::size_t stop = highlighter.ScanUntil(target);
        ASSERT_GE(stop, target);
        const int state = highlighter.GetState();
        if (stop >= line.size()) continue;
        const std::vector<THtmlTokenKind> resumed = KindsFrom(highlighter, line, stop, state);
        EXPECT_EQ(highlighter.GetState(), endState) << "stop " << stop;
        for (std::size_t at = stop; at < line.size(); ++at)
            ASSERT_EQ(resumed[at], whole[at]) << "stop " << stop << ", byte " << at << " of " << line;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Pieces, ResumeInLine,
    testing::Values(
        ResumeCase{"tags_and_text", "<p class=x id=\"a b\">Hello, world</p> ", THtmlState::TextState},
        ResumeCase{"references", "a &amp; b &#169; c &#xA9; d &#12 e &copy;&nbsp;x&lt;", THtmlState::TextState},
        ResumeCase{"comments", "<!-- one -- two --> text <!-->x<!--- - -->", THtmlState::TextState},
        ResumeCase{"quoted_values", "<a href='x\"y' title=\"it's\" alt=a&b>link</a>", THtmlState::TextState},
        ResumeCase{"open_comment", "still -- a comment > going on ", THtmlState::CommentState},
        ResumeCase{"open_value", "a value with <tags> & refs ", THtmlState::DoubleQuotedState},
        ResumeCase{"tabs_and_controls", "<b>\t x</b>\t\x01 y <br \t/>", THtmlState::TextState},
        ResumeCase{"odd_names", "<h1a><zzzzzzzzzz><?xml v=1?>< p>&<&>", THtmlState::TextState}),
    [](const auto& info) { return std::string(info.param.Name); });

}  // namespace
