#pragma once
// The editor's search operation: finds the search text from the caret towards the end of the page,
// or with Backwards towards its start, never wrapping; selects the match, or replaces it, or
// replaces every match in that stretch. A match lies within one line and is one the engine reports
// for that line: forward, the first that starts at or after the caret; backwards, the last that
// ends at or before it.

#include "editor/search/EditSearch.h"
#include "editor/control/EditorModel.h"

#include <functional>
#include <string_view>

struct TSearchReplaceOptions {
    bool MatchCase = false;
    bool WholeWord = false;
    bool Backwards = false;
    bool Replace = false;
    bool ReplaceAll = false;
    bool Prompt = false;  // ask OnReplaceText before each replacement, when a handler is bound
};

enum class TReplaceAction { Replace, Skip, ReplaceAll, Cancel };

// Asked with the match selected; line and column from 1.
using TReplaceTextEvent = std::function<TReplaceAction(std::u32string_view search, std::u32string_view replacement,
                                                       int line, int column)>;

// Returns the number of matches selected or replaced. Without Replace the match becomes the
// selection, the caret at its end (forward) or at its start (backwards); with no match nothing
// changes. With ReplaceAll every match in the stretch is replaced, as one undo step, in one pass
// over the text as it stood when the search began. An empty search text finds nothing.
// Throws ESearchError "No search engine has been assigned" without an engine, and EEncodingError
// (changing nothing) for a replacement the page's encoding cannot hold.
int SearchReplace(TEditorModel& editor, TEditSearch* engine, std::u32string_view search,
                  std::u32string_view replacement, TSearchReplaceOptions options,
                  const TReplaceTextEvent& onReplaceText = {});
