// Constructs over several lines, scanned as the editor does: each line from the previous end state.

#include "HighlighterTestSupport.h"

#include <gtest/gtest.h>

namespace {

using enum THtmlTokenKind;
using enum THtmlState;

struct TPageCase {
    const char* name;
    std::vector<std::string> lines;
    std::vector<std::vector<TToken>> tokens;
    std::vector<THtmlState> endStates;
};

void PrintTo(const TPageCase& c, std::ostream* out) { *out << c.name; }

class PageRules : public ::testing::TestWithParam<TPageCase> {};

TEST_P(PageRules, CarryTheStateFromLineToLine)
{
    const TPageCase& c = GetParam();
    THtmlHighlighter highlighter;
    THtmlState state = TextState;
    for (std::size_t i = 0; i < c.lines.size(); ++i) {
        const TScannedLine scanned = ScanLine(highlighter, c.lines[i], state);
        EXPECT_EQ(scanned.tokens, c.tokens.at(i)) << "line " << i;
        EXPECT_EQ(scanned.endState, c.endStates.at(i)) << "line " << i;
        state = scanned.endState;
    }
}

const TPageCase kPageCases[] = {
    {"CommentOverLines",
     {"a <!-- one", "two", "", "three --> b"},
     {{{"a ", Text}, {"<!--", Comment}, {" one", Comment}},
      {{"two", Comment}},
      {},
      {{"three -->", Comment}, {" b", Text}}},
     {CommentState, CommentState, CommentState, TextState}},
    {"HyphensAndGreaterOnDifferentLines",
     {"<!-- x --", "> still", "-->"},
     {{{"<!--", Comment}, {" x --", Comment}}, {{"> still", Comment}}, {{"-->", Comment}}},
     {CommentState, CommentState, TextState}},
    {"QuotedValueOverLines",
     {"<img alt=\"first", "second", "third\" src=x>"},
     {{{"<", Symbol}, {"img", Key}, {" ", Space}, {"alt", Identifier}, {"=", Symbol}, {"\"first", Value}},
      {{"second", Value}},
      {{"third\"", Value}, {" ", Space}, {"src", Identifier}, {"=", Symbol}, {"x", Value}, {">", Symbol}}},
     {DoubleQuotedState, DoubleQuotedState, TextState}},
    {"TagGoesOnInNextLine",
     {"<table", "  border=1", "  width='90%'>", "cell"},
     {{{"<", Symbol}, {"table", Key}},
      {{"  ", Space}, {"border", Identifier}, {"=", Symbol}, {"1", Value}},
      {{"  ", Space}, {"width", Identifier}, {"=", Symbol}, {"'90%'", Value}, {">", Symbol}},
      {{"cell", Text}}},
     {TagState, TagState, TextState, TextState}},
    {"NameOnTheNextLine",
     {"<", "  b>x"},
     {{{"<", Symbol}}, {{"  ", Space}, {"b", Key}, {">", Symbol}, {"x", Text}}},
     {TagNameState, TextState}},
    {"ValueOnTheNextLine",
     {"<p align=", "center>"},
     {{{"<", Symbol}, {"p", Key}, {" ", Space}, {"align", Identifier}, {"=", Symbol}},
      {{"center", Value}, {">", Symbol}}},
     {ValueState, TextState}},
    {"ReferenceEndsWithItsLine",
     {"x &amp;", "&copy;"},
     {{{"x ", Text}, {"&amp;", Ampersand}}, {{"", Text}, {"&copy;", Ampersand}}},
     {TextState, TextState}},
};
INSTANTIATE_TEST_SUITE_P(Pages, PageRules, ::testing::ValuesIn(kPageCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
