#pragma once
// Checks that hold for every line from every start state; shared by the tests and the fuzz target.

#include "highlight/HtmlHighlighter.h"

#include <string>
#include <string_view>

// Scans `line` from `startState` (set just before StartLine, as the editor does) and returns what
// is wrong, or an empty string. `endState` receives the state at the line's end.
inline std::string CheckLineInvariants(THtmlHighlighter& highlighter, std::string_view line, int startState,
                                       int& endState)
{
    highlighter.SetState(startState);
    highlighter.StartLine(line, 0);
    std::size_t expectedStart = 0;
    bool previousEmpty = false;
    // No two empty tokens follow each other, so a line has at most twice its length plus one.
    const std::size_t maxTokens = 2 * line.size() + 1;
    for (std::size_t count = 1;; ++count) {
        const auto where = [&] {
            return " at token " + std::to_string(count) + " (start " + std::to_string(highlighter.TokenStart()) + ")";
        };
        if (count > maxTokens)
            return "more tokens than the line can hold" + where();
        if (highlighter.TokenStart() < 0 || static_cast<std::size_t>(highlighter.TokenStart()) != expectedStart)
            return "token does not start where the previous one ended" + where();
        const std::string text = highlighter.TokenText();
        if (line.substr(expectedStart, text.size()) != text)
            return "token text is not the line's bytes" + where();
        const int kind = highlighter.TokenKind();
        if (kind < 0 || kind > static_cast<int>(THtmlTokenKind::Value))
            return "kind out of range" + where();
        const int state = highlighter.GetState();
        if (state < 0 || state > static_cast<int>(THtmlState::EntityState))
            return "state out of range" + where();
        const bool empty = text.empty();
        if (empty && previousEmpty)
            return "two empty tokens in a row" + where();
        if (highlighter.AtLineEnd() != (kind == static_cast<int>(THtmlTokenKind::Null)))
            return "AtLineEnd disagrees with the kind" + where();
        if (highlighter.AtLineEnd()) {
            if (expectedStart != line.size() || !empty)
                return "Null token before the end of the line" + where();
            if (highlighter.TokenAttribute() != nullptr)
                return "Null token has an attribute" + where();
            break;
        }
        if (highlighter.TokenAttribute() == nullptr)
            return "token without an attribute" + where();
        previousEmpty = empty;
        expectedStart += text.size();
        highlighter.NextToken();
    }
    endState = highlighter.GetState();
    if (endState == static_cast<int>(THtmlState::EntityState))
        return "line ends in EntityState";
    highlighter.NextToken();
    if (!highlighter.AtLineEnd() || highlighter.GetState() != endState ||
        static_cast<std::size_t>(highlighter.TokenStart()) != line.size())
        return "scanning past the Null token moved on";

    // The editor's rescans skip the tokens and only want where the line ends up.
    highlighter.SetState(startState);
    highlighter.StartLine(line, 0);
    highlighter.ScanToLineEnd();
    if (highlighter.GetState() != endState)
        return "ScanToLineEnd ends in state " + std::to_string(highlighter.GetState()) + ", the tokens in " +
               std::to_string(endState);
    if (!highlighter.AtLineEnd() || static_cast<std::size_t>(highlighter.TokenStart()) != line.size() ||
        !highlighter.TokenText().empty())
        return "ScanToLineEnd does not stop at the Null token";
    return {};
}
