#include "editor/text/UndoList.h"

#include <utility>

bool TUndoStep::Continues(const TUndoStep& next) const
{
    return Kind != TUndoKind::Other && Kind == next.Kind && After == next.Before;
}

void TUndoStep::Absorb(TUndoStep next)
{
    for (TRangeEdit& edit : next.Edits) Edits.push_back(std::move(edit));
    After = next.After;
}

void TUndoList::Record(TUndoStep step, TUndoGrouping grouping)
{
    redo_.clear();
    if (grouping == TUndoGrouping::GroupLikeEdits && groupOpen_ && !undo_.empty() && undo_.back().Continues(step)) {
        undo_.back().Absorb(std::move(step));
        return;
    }
    undo_.push_back(std::move(step));
    groupOpen_ = true;
    Trim();
}

TUndoStep TUndoList::TakeUndo()
{
    TUndoStep step = std::move(undo_.back());
    undo_.pop_back();
    groupOpen_ = false;
    return step;
}

TUndoStep TUndoList::TakeRedo()
{
    TUndoStep step = std::move(redo_.back());
    redo_.pop_back();
    groupOpen_ = false;
    return step;
}

void TUndoList::PushRedo(TUndoStep step)
{
    redo_.push_back(std::move(step));
}

void TUndoList::PushUndo(TUndoStep step)
{
    undo_.push_back(std::move(step));
    Trim();
}

void TUndoList::Clear()
{
    undo_.clear();
    redo_.clear();
    groupOpen_ = false;
}

void TUndoList::SetMaxEntries(int maxEntries)
{
    maxEntries_ = maxEntries;
    Trim();
}

void TUndoList::Trim()
{
    while (static_cast<int>(undo_.size()) > maxEntries_) undo_.pop_front();
}
