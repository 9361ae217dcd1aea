#pragma once
// Undo and redo as small command objects. One step holds the range replacements of one user
// action with the caret and selection before and after it; like steps merge into one.

#include "editor/control/EditorSettings.h"
#include "editor/text/TextPosition.h"

#include <cstddef>
#include <deque>
#include <string>
#include <vector>

// Where the caret and selection stood around an action.
struct TSelectionState {
    TTextPosition Anchor;
    TTextPosition Caret;
    TSelectionMode Mode = smNormal;
    friend bool operator==(const TSelectionState&, const TSelectionState&) = default;
};

// One replacement of text: at (Line, Offset) in bytes, Removed was replaced by Inserted.
// Both texts separate lines with '\n' (a line never holds CR or LF itself).
struct TRangeEdit {
    int Line = 0;
    std::size_t Offset = 0;
    std::string Removed;
    std::string Inserted;
};

// What kind of action a step was; only like steps of the first three kinds merge.
enum class TUndoKind { Typing, DeleteBackward, DeleteForward, Other };

struct TUndoStep {
    TUndoKind Kind = TUndoKind::Other;
    TSelectionState Before;
    TSelectionState After;
    std::vector<TRangeEdit> Edits;

    // Merge rule: a step continues this one when both are of the same mergeable kind and the new
    // one starts exactly where this one left the caret (so typing a word undoes as one step).
    bool Continues(const TUndoStep& next) const;
    void Absorb(TUndoStep next);
};

enum class TUndoGrouping { Separate, GroupLikeEdits };

class TUndoList {
public:
    explicit TUndoList(int maxEntries = 1024) : maxEntries_(maxEntries) {}

    // Records a new action: merges it into the last step when grouping allows, otherwise adds it and
    // drops the oldest steps beyond the limit. Clears the redo list.
    void Record(TUndoStep step, TUndoGrouping grouping);
    // Stops the next action from merging into the last step (after a caret move, say).
    void BreakGroup() { groupOpen_ = false; }

    bool CanUndo() const { return !undo_.empty(); }
    bool CanRedo() const { return !redo_.empty(); }
    // Undo takes the last step, reverts it and pushes it on the redo list; redo the other way.
    TUndoStep TakeUndo();
    TUndoStep TakeRedo();
    void PushRedo(TUndoStep step);
    void PushUndo(TUndoStep step);

    void Clear();
    void SetMaxEntries(int maxEntries);
    int MaxEntries() const { return maxEntries_; }
    int UndoCount() const { return static_cast<int>(undo_.size()); }
    int RedoCount() const { return static_cast<int>(redo_.size()); }
    const TUndoStep& OldestUndo() const { return undo_.front(); }

private:
    void Trim();

    int maxEntries_;
    std::deque<TUndoStep> undo_;
    std::vector<TUndoStep> redo_;
    bool groupOpen_ = false;
};
