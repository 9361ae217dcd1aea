// One line at a time: the tokens (text, kind) and the end state, from a given start state.

#include "HighlighterTestSupport.h"

#include <gtest/gtest.h>

using namespace std::string_literals;

namespace {

using enum THtmlTokenKind;
using enum THtmlState;

struct TLineCase {
    const char* name;
    THtmlState start;
    std::string line;
    std::vector<TToken> tokens;
    THtmlState end;
};

void PrintTo(const TLineCase& c, std::ostream* out) { *out << c.name; }

class LineRules : public ::testing::TestWithParam<TLineCase> {};

TEST_P(LineRules, GivesTokensAndEndState)
{
    const TLineCase& c = GetParam();
    THtmlHighlighter highlighter;
    const TScannedLine scanned = ScanLine(highlighter, c.line, c.start);
    EXPECT_EQ(scanned.tokens, c.tokens);
    EXPECT_EQ(scanned.endState, c.end);
}

const TLineCase kTagCases[] = {
    {"TagWithUnquotedValue", TextState, "<p class=x>",
     {{"<", Symbol}, {"p", Key}, {" ", Space}, {"class", Identifier}, {"=", Symbol}, {"x", Value}, {">", Symbol}},
     TextState},
    {"SlashGlued", TextState, "<br/>", {{"<", Symbol}, {"br/", UndefKey}, {">", Symbol}}, TextState},
    {"ClosingUpper", TextState, "</TABLE>", {{"<", Symbol}, {"/TABLE", Key}, {">", Symbol}}, TextState},
    {"ClosingLower", TextState, "</table>", {{"<", Symbol}, {"/table", Key}, {">", Symbol}}, TextState},
    {"MixedCase", TextState, "<bLoCkQuOtE>", {{"<", Symbol}, {"bLoCkQuOtE", Key}, {">", Symbol}}, TextState},
    {"DigitsEndTheName", TextState, "<h1a>", {{"<", Symbol}, {"h1", Key}, {"a", Identifier}, {">", Symbol}},
     TextState},
    {"SpacedSlash", TextState, "<br />",
     {{"<", Symbol}, {"br", Key}, {" ", Space}, {"/", Identifier}, {">", Symbol}}, TextState},
    {"NineZ", TextState, "<zzzzzzzzz>", {{"<", Symbol}, {"zzzzzzzzz", UndefKey}, {">", Symbol}}, TextState},
    {"TenZ", TextState, "<zzzzzzzzzz>", {{"<", Symbol}, {"zzzzzzzzzz", Identifier}, {">", Symbol}}, TextState},
    {"ClosingFourZ", TextState, "</zzzz>", {{"<", Symbol}, {"/zzzz", UndefKey}, {">", Symbol}}, TextState},
    {"ClosingFiveZ", TextState, "</zzzzz>", {{"<", Symbol}, {"/zzzzz", Identifier}, {">", Symbol}}, TextState},
    {"DigitsCountInTheValue", TextState, "<zzzzzzzzz99>",
     {{"<", Symbol}, {"zzzzzzzzz99", Identifier}, {">", Symbol}}, TextState},
    {"UnknownDigitName", TextState, "<h7>", {{"<", Symbol}, {"h7", UndefKey}, {">", Symbol}}, TextState},
    {"SameValueLonger", TextState, "<h10>", {{"<", Symbol}, {"h10", UndefKey}, {">", Symbol}}, TextState},
    {"EmptyElementHasNoClosingForm", TextState, "</br>", {{"<", Symbol}, {"/br", UndefKey}, {">", Symbol}},
     TextState},
    {"Doctype", TextState, "<!DOCTYPE html>",
     {{"<", Symbol}, {"!DOCTYPE", Key}, {" ", Space}, {"html", Identifier}, {">", Symbol}}, TextState},
    {"ProcessingInstruction", TextState, "<?xml",
     {{"<", Symbol}, {"", UndefKey}, {"?xml", Identifier}}, TagState},
    {"BlankAfterOpen", TextState, "< p>", {{"<", Symbol}, {" ", Space}, {"p", Key}, {">", Symbol}}, TextState},
    {"LineEndsAfterOpen", TextState, "text <", {{"text ", Text}, {"<", Symbol}}, TagNameState},
    {"NameOnNextLine", TagNameState, "td>x", {{"td", Key}, {">", Symbol}, {"x", Text}}, TextState},
    {"AttributesGoOn", TagState, "  width=5>",
     {{"  ", Space}, {"width", Identifier}, {"=", Symbol}, {"5", Value}, {">", Symbol}}, TextState},
    {"ValueAwaited", TextState, "<img alt=", {{"<", Symbol}, {"img", Key}, {" ", Space}, {"alt", Identifier},
     {"=", Symbol}}, ValueState},
    {"SpacesAroundEquals", TextState, "<p a = 'v'>",
     {{"<", Symbol}, {"p", Key}, {" ", Space}, {"a", Identifier}, {" ", Space}, {"=", Symbol}, {" ", Space},
      {"'v'", Value}, {">", Symbol}}, TextState},
    {"QuoteNotAfterEquals", TextState, "<p \"x\">",
     {{"<", Symbol}, {"p", Key}, {" ", Space}, {"\"x", Identifier}, {"\"", Identifier}, {">", Symbol}}, TextState},
    {"IdentifierStopsAtEquals", TextState, "<p a'b=c>",
     {{"<", Symbol}, {"p", Key}, {" ", Space}, {"a'b", Identifier}, {"=", Symbol}, {"c", Value}, {">", Symbol}},
     TextState},
    {"UnquotedValueTakesQuotesAndEquals", TextState, "<p a=x\"y=z>",
     {{"<", Symbol}, {"p", Key}, {" ", Space}, {"a", Identifier}, {"=", Symbol}, {"x\"y=z", Value}, {">", Symbol}},
     TextState},
    {"QuotedValueHoldsMarkup", TextState, "<p a=\"<b>&amp;'=\">",
     {{"<", Symbol}, {"p", Key}, {" ", Space}, {"a", Identifier}, {"=", Symbol}, {"\"<b>&amp;'=\"", Value},
      {">", Symbol}}, TextState},
    {"SingleQuotedHoldsDouble", TextState, "<p a='x\"y'>",
     {{"<", Symbol}, {"p", Key}, {" ", Space}, {"a", Identifier}, {"=", Symbol}, {"'x\"y'", Value},
      {">", Symbol}}, TextState},
    {"QuotedValueOpen", TextState, "<a href=\"one",
     {{"<", Symbol}, {"a", Key}, {" ", Space}, {"href", Identifier}, {"=", Symbol}, {"\"one", Value}},
     DoubleQuotedState},
    {"QuotedValueCloses", DoubleQuotedState, "two\">",
     {{"two\"", Value}, {">", Symbol}}, TextState},
    {"QuotedValueGoesOn", SingleQuotedState, "a \"b\" = <c>", {{"a \"b\" = <c>", Value}}, SingleQuotedState},
    {"EmptyLineKeepsQuote", DoubleQuotedState, "", {}, DoubleQuotedState},
    {"LoneQuoteOpensValue", ValueState, "'", {{"'", Value}}, SingleQuotedState},
    {"AmpersandAfterOpen", TextState, "<&amp;", {{"<", Symbol}, {"&", Text}, {"amp;", Text}}, TextState},
    {"AmpersandInTag", TextState, "<a b=&x c&d>",
     {{"<", Symbol}, {"a", Key}, {" ", Space}, {"b", Identifier}, {"=", Symbol}, {"&x", Value}, {" ", Space},
      {"c&d", Identifier}, {">", Symbol}}, TextState},
    {"OpenInsideTag", TextState, "<<p", {{"<", Symbol}, {"<", Symbol}, {"p", Key}}, TagState},
    {"CommentAfterName", TextState, "<p<!-- c -->",
     {{"<", Symbol}, {"p", Key}, {"<!--", Comment}, {" c -->", Comment}}, TextState},
    {"CommentWhereValueAwaited", ValueState, "<!--x", {{"<!--", Comment}, {"x", Comment}}, CommentState},
    {"CloseFromValueState", ValueState, ">a", {{">", Symbol}, {"a", Text}}, TextState},
    {"TabInTagStartsItsOwnRun", TextState, "<p  \t  x>",
     {{"<", Symbol}, {"p", Key}, {"  ", Space}, {"\t  ", Space}, {"x", Identifier}, {">", Symbol}}, TextState},
};
INSTANTIATE_TEST_SUITE_P(Tags, LineRules, ::testing::ValuesIn(kTagCases),
                         [](const auto& info) { return std::string(info.param.name); });

const TLineCase kTextCases[] = {
    {"Plain", TextState, "Hello, world", {{"Hello, world", Text}}, TextState},
    {"MarkupSignsAreText", TextState, "a > b = \"c\" 'd'", {{"a > b = \"c\" 'd'", Text}}, TextState},
    {"NamedReference", TextState, "a &amp; b", {{"a ", Text}, {"&amp;", Ampersand}, {" b", Text}}, TextState},
    {"ReferenceAtStart", TextState, "&amp;x", {{"", Text}, {"&amp;", Ampersand}, {"x", Text}}, TextState},
    {"ReferencesBackToBack", TextState, "&Alpha;&alpha;",
     {{"", Text}, {"&Alpha;", Ampersand}, {"", Text}, {"&alpha;", Ampersand}}, TextState},
    {"CaseMatters", TextState, "&AMP;", {{"&AMP;", Text}}, TextState},
    {"NeedsSemicolon", TextState, "&amp x", {{"&amp x", Text}}, TextState},
    {"LongerNameFirst", TextState, "&sigmaf;", {{"", Text}, {"&sigmaf;", Ampersand}}, TextState},
    {"PrefixOfAName", TextState, "&sigmafx;", {{"&sigmafx;", Text}}, TextState},
    {"LastName", TextState, "x&circ;", {{"x", Text}, {"&circ;", Ampersand}}, TextState},
    {"LongestName", TextState, "&thetasym;.", {{"", Text}, {"&thetasym;", Ampersand}, {".", Text}}, TextState},
    {"Decimal", TextState, "&#169;", {{"", Text}, {"&#169;", Ampersand}}, TextState},
    {"Hex", TextState, "&#xA9;", {{"", Text}, {"&#xA9;", Ampersand}}, TextState},
    {"HexUpperX", TextState, "&#X1f;", {{"", Text}, {"&#X1f;", Ampersand}}, TextState},
    {"NoDigits", TextState, "&#;", {{"", Text}, {"&#;", Ampersand}}, TextState},
    {"HexNoDigits", TextState, "&#x;", {{"", Text}, {"&#x;", Ampersand}}, TextState},
    {"DecimalNoSemicolon", TextState, "x&#169 y", {{"x&#169", Text}, {" y", Text}}, TextState},
    {"HexStopsAtNonDigit", TextState, "&#xg;", {{"&#x", Text}, {"g;", Text}}, TextState},
    {"DecimalStopsAtLetter", TextState, "&#12a;", {{"&#12", Text}, {"a;", Text}}, TextState},
    {"HashAtLineEnd", TextState, "a&#", {{"a&#", Text}}, TextState},
    {"LoneAmpersand", TextState, "a & b&", {{"a & b&", Text}}, TextState},
    {"ReferenceBeforeTag", TextState, "&lt;<b>",
     {{"", Text}, {"&lt;", Ampersand}, {"<", Symbol}, {"b", Key}, {">", Symbol}}, TextState},
    {"TabRunInText", TextState, "a\t  b", {{"a", Text}, {"\t  ", Space}, {"b", Text}}, TextState},
    {"TabsEachStartARun", TextState, "\t\t x", {{"\t", Space}, {"\t ", Space}, {"x", Text}}, TextState},
    {"BlanksAreTextInText", TextState, "  x", {{"  x", Text}}, TextState},
    {"ControlCharacterStartsSpace", TextState, "a\x01 b", {{"a", Text}, {"\x01 ", Space}, {"b", Text}}, TextState},
    {"CarriageReturnLineFeed", TextState, "a\r\nb", {{"a", Text}, {"\r\n", Space}, {"b", Text}}, TextState},
    {"LineFeedCarriageReturn", TextState, "a\n\rb", {{"a", Text}, {"\n", Space}, {"\r", Space}, {"b", Text}},
     TextState},
    {"HighBytesAreText", TextState, "caf\xc3\xa9 \xff", {{"caf\xc3\xa9 \xff", Text}}, TextState},
    {"EmptyLine", TextState, "", {}, TextState},
};
INSTANTIATE_TEST_SUITE_P(Text, LineRules, ::testing::ValuesIn(kTextCases),
                         [](const auto& info) { return std::string(info.param.name); });

const TLineCase kCommentCases[] = {
    {"Opens", TextState, "<!-- a", {{"<!--", Comment}, {" a", Comment}}, CommentState},
    {"OpenerAlone", TextState, "x<!--", {{"x", Text}, {"<!--", Comment}}, CommentState},
    {"WholeLineInside", CommentState, "<p> & \"", {{"<p> & \"", Comment}}, CommentState},
    {"EmptyLineInside", CommentState, "", {}, CommentState},
    {"Closes", CommentState, "end -->x", {{"end -->", Comment}, {"x", Text}}, TextState},
    {"ClosesAtLineStart", CommentState, "-->", {{"-->", Comment}}, TextState},
    {"ShortestComment", TextState, "<!-->x", {{"<!--", Comment}, {">", Comment}, {"x", Text}}, TextState},
    {"ThreeHyphens", TextState, "<!--->", {{"<!--", Comment}, {"->", Comment}}, TextState},
    {"GreaterWithoutHyphens", TextState, "<!-- a > b -- c -->",
     {{"<!--", Comment}, {" a > b -- c -->", Comment}}, TextState},
    {"HyphensOnPreviousLineDoNotCount", CommentState, "> b", {{"> b", Comment}}, CommentState},
    {"LineFeedInside", CommentState, "a\n-->", {{"a", Comment}, {"\n", Space}, {"-->", Comment}}, TextState},
    {"HyphensBeforeLineFeedDoNotCount", CommentState, "--\n>",
     {{"--", Comment}, {"\n", Space}, {">", Comment}}, CommentState},
    {"OpenerInsideIsText", CommentState, "<!-- -->", {{"<!-- -->", Comment}}, TextState},
    {"NotAnOpener", TextState, "<!-x", {{"<", Symbol}, {"!", UndefKey}, {"-x", Identifier}}, TagState},
};
INSTANTIATE_TEST_SUITE_P(Comments, LineRules, ::testing::ValuesIn(kCommentCases),
                         [](const auto& info) { return std::string(info.param.name); });

// A NUL byte inside a line is a control character like the others: it never ends the line early.
const TLineCase kOddStartCases[] = {
    {"NulInText", TextState, "a\0 b"s, {{"a", Text}, {"\0 "s, Space}, {"b", Text}}, TextState},
    {"NulInComment", TextState, "<!-- a\0b -->x"s, {{"<!--", Comment}, {" a\0b -->"s, Comment}, {"x", Text}},
     TextState},
    {"NulInQuotedValue", TextState, "<p a=\"x\0y\">"s,
     {{"<", Symbol}, {"p", Key}, {" ", Space}, {"a", Identifier}, {"=", Symbol}, {"\"x\0y\""s, Value},
      {">", Symbol}}, TextState},
    {"NulAfterOpen", TextState, "<\0p>"s, {{"<", Symbol}, {"\0"s, Space}, {"p", Key}, {">", Symbol}}, TextState},
    {"NulEndsTagName", TextState, "<p\0>"s, {{"<", Symbol}, {"p", Key}, {"\0"s, Space}, {">", Symbol}}, TextState},
    {"NulOnly", CommentState, "\0"s, {{"\0"s, Comment}}, CommentState},
    // EntityState only means "a reference follows here"; at the start of a line it is plain text.
    {"EntityStateAtLineStart", EntityState, "x", {{"x", Text}}, TextState},
    {"EntityStateEmptyLine", EntityState, "", {}, TextState},
    {"EntityStateBeforeReference", EntityState, "&amp;", {{"", Text}, {"&amp;", Ampersand}}, TextState},
    {"ValueStateOnNextLine", ValueState, "\"a", {{"\"a", Value}}, DoubleQuotedState},
    {"SingleQuoteClosesThenIdentifier", SingleQuotedState, "it's'", {{"it'", Value}, {"s'", Identifier}}, TagState},
    {"QuotedStateLineFeed", DoubleQuotedState, "ab\ncd\"",
     {{"ab", Value}, {"\n", Space}, {"cd\"", Value}}, TagState},
    {"TagNameStateAmpersand", TagNameState, "&amp;", {{"&", Text}, {"amp;", Text}}, TextState},
    {"TagNameStateQuote", TagNameState, "\"x", {{"", UndefKey}, {"\"x", Identifier}}, TagState},
};
INSTANTIATE_TEST_SUITE_P(OddInput, LineRules, ::testing::ValuesIn(kOddStartCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(LineState, UnknownStateValueMeansText)
{
    THtmlHighlighter highlighter;
    for (const int state : {-1, 8, 99}) {
        highlighter.SetState(state);
        EXPECT_EQ(highlighter.GetState(), static_cast<int>(TextState)) << state;
    }
    highlighter.SetState(static_cast<int>(CommentState));
    highlighter.ResetState();
    EXPECT_EQ(highlighter.GetState(), static_cast<int>(TextState));
}

TEST(LineState, NullTokenSitsAtTheLineEndAndStays)
{
    THtmlHighlighter highlighter;
    const std::string line = "<b>bold</b>";
    highlighter.StartLine(line, 3);
    EXPECT_EQ(highlighter.TokenStart(), 0);
    EXPECT_EQ(highlighter.TokenText(), "<");
    highlighter.ScanToLineEnd();
    for (int i = 0; i < 2; ++i) {
        EXPECT_TRUE(highlighter.AtLineEnd());
        EXPECT_EQ(highlighter.TokenKind(), static_cast<int>(Null));
        EXPECT_EQ(highlighter.TokenStart(), static_cast<int>(line.size()));
        EXPECT_EQ(highlighter.TokenText(), "");
        EXPECT_EQ(highlighter.TokenAttribute(), nullptr);
        highlighter.NextToken();
    }
}

TEST(LineState, TokenStartIsTheByteOffset)
{
    THtmlHighlighter highlighter;
    highlighter.StartLine("\xc3\xa9<i>", 0);
    std::vector<int> starts;
    for (; !highlighter.AtLineEnd(); highlighter.NextToken())
        starts.push_back(highlighter.TokenStart());
    EXPECT_EQ(starts, (std::vector<int>{0, 2, 3, 4}));
}

}  // namespace
