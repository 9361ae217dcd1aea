// Properties that hold for every line from every start state, over many generated lines.

#include "HighlighterTestSupport.h"
#include "TokenInvariants.h"

#include <gtest/gtest.h>

#include <array>
#include <random>

using namespace std::string_literals;

namespace {

// Pieces that meet the rules at their edges: openers, closers, quotes, references, breaks, bytes
// that are not ASCII, and names near the limits of the tag-name values.
const std::array kPieces = {
    "<"s, ">"s, "="s, "\""s, "'"s, "&"s, "#"s, "x"s, "X"s, "7"s, ";"s, "-"s, "--"s, "!"s, "/"s, "!--"s,
    "<!--"s, "-->"s, "<!-->"s, " "s, "  "s, "\t"s, "\r"s, "\n"s, "\r\n"s, "\0"s, "\x01"s, "\x7f"s, "\xff"s,
    "\xc3\xa9"s, "a"s, "p"s, "br"s, "table"s, "/table"s, "zzzzzzzzzz"s, "h1"s, "&amp;"s, "&amp"s, "&#169;"s,
    "&#x1F;"s, "&#;"s, "&#x"s, "&sigmaf;"s, "&AMP;"s, "?"s, "text"s, "<p class=x>"s, "<a href=\"u\">"s,
};

std::string GeneratedLine(std::mt19937& random)
{
    std::uniform_int_distribution<std::size_t> length(0, 24), piece(0, kPieces.size() - 1);
    std::string line;
    for (std::size_t n = length(random); n > 0; --n)
        line += kPieces[piece(random)];
    return line;
}

constexpr int kStateCount = static_cast<int>(THtmlState::EntityState) + 1;

TEST(HtmlHighlighterInvariants, HoldForGeneratedLinesFromEveryState)
{
    std::mt19937 random(20261207);
    THtmlHighlighter highlighter;
    for (int round = 0; round < 4000; ++round) {
        const std::string line = GeneratedLine(random);
        for (int state = 0; state < kStateCount; ++state) {
            int endState = 0;
            const std::string fault = CheckLineInvariants(highlighter, line, state, endState);
            ASSERT_EQ(fault, "") << "start state " << state << ", line " << ::testing::PrintToString(line);
        }
    }
}

TEST(HtmlHighlighterInvariants, HoldAcrossLinesCarryingTheState)
{
    std::mt19937 random(7);
    THtmlHighlighter highlighter;
    int state = 0;
    for (int lineIndex = 0; lineIndex < 20000; ++lineIndex) {
        const std::string line = GeneratedLine(random);
        const std::string fault = CheckLineInvariants(highlighter, line, state, state);
        ASSERT_EQ(fault, "") << "line " << lineIndex << ": " << ::testing::PrintToString(line);
    }
}

TEST(HtmlHighlighterInvariants, AllByteValuesFromEveryState)
{
    THtmlHighlighter highlighter;
    for (int state = 0; state < kStateCount; ++state) {
        for (int a = 0; a < 256; ++a) {
            for (const char b : {'\0', '-', '&', '#', ';', '>', '"', 'a', '\xfe'}) {
                const std::string line{static_cast<char>(a), b, static_cast<char>(a)};
                int endState = 0;
                const std::string fault = CheckLineInvariants(highlighter, line, state, endState);
                ASSERT_EQ(fault, "") << "start state " << state << ", line " << ::testing::PrintToString(line);
            }
        }
    }
}

// The editor keeps a line's end state and rescans only from changed lines; that is sound only if
// a line's tokens depend on nothing but its text and start state.
TEST(HtmlHighlighterInvariants, SameLineAndStateGiveTheSameTokens)
{
    std::mt19937 random(99);
    THtmlHighlighter first, second;
    for (int round = 0; round < 500; ++round) {
        const std::string noise = GeneratedLine(random), line = GeneratedLine(random);
        // Left part-way through a line, as a painter that stops early leaves it.
        second.StartLine(noise, 0);
        for (int n = round % 4; n > 0 && !second.AtLineEnd(); --n)
            second.NextToken();
        for (int state = 0; state < kStateCount; ++state) {
            const auto a = ScanLine(first, line, static_cast<THtmlState>(state));
            const auto b = ScanLine(second, line, static_cast<THtmlState>(state));
            ASSERT_EQ(a.tokens, b.tokens) << ::testing::PrintToString(line);
            ASSERT_EQ(a.endState, b.endState);
        }
    }
}

}  // namespace
