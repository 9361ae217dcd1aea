// Feeds arbitrary bytes to the HTML highlighter: the whole input as one line from every start
// state, then split into lines as a page and scanned carrying the state.

#include "TokenInvariants.h"
#include "highlight/HtmlTokenDump.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace {

void Require(const std::string& fault, int state, std::string_view line)
{
    if (fault.empty())
        return;
    std::fprintf(stderr, "invariant broken from state %d on a line of %zu bytes: %s\n", state, line.size(),
                 fault.c_str());
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    THtmlHighlighter highlighter;
    int endState = 0;
    for (int state = 0; state <= static_cast<int>(THtmlState::EntityState); ++state)
        Require(CheckLineInvariants(highlighter, input, state, endState), state, input);

    int state = 0;
    for (const std::string_view line : SplitPageLines(input)) {
        const int startState = state;
        Require(CheckLineInvariants(highlighter, line, startState, state), startState, line);
    }
    return 0;
}
