#pragma once
// Scans lines into (text, kind) lists for comparison with expected tables.

#include "highlight/HtmlHighlighter.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

struct TToken {
    std::string text;
    THtmlTokenKind kind;
    bool operator==(const TToken&) const = default;
};

struct TScannedLine {
    std::vector<TToken> tokens;  // without the closing Null token
    THtmlState endState;
};

inline TScannedLine ScanLine(THtmlHighlighter& highlighter, std::string_view line, THtmlState startState)
{
    TScannedLine scanned;
    highlighter.SetState(static_cast<int>(startState));
    highlighter.StartLine(line, 0);
    while (!highlighter.AtLineEnd()) {
        scanned.tokens.push_back({highlighter.TokenText(), highlighter.Kind()});
        highlighter.NextToken();
    }
    scanned.endState = highlighter.State();
    return scanned;
}

inline const char* KindName(THtmlTokenKind kind)
{
    static const char* const names[] = {"Ampersand", "Comment", "Identifier", "Key",   "Null",
                                        "Space",     "Symbol",  "Text",       "UndefKey", "Value"};
    return names[static_cast<int>(kind)];
}

inline const char* StateName(THtmlState state)
{
    static const char* const names[] = {"TextState",         "TagNameState",      "TagState",     "ValueState",
                                        "SingleQuotedState", "DoubleQuotedState", "CommentState", "EntityState"};
    return names[static_cast<int>(state)];
}

inline void PrintTo(const TToken& token, std::ostream* out)
{
    *out << '(' << ::testing::PrintToString(token.text) << ", " << KindName(token.kind) << ')';
}

inline void PrintTo(THtmlState state, std::ostream* out) { *out << StateName(state); }
