#pragma once
// One user action's edits as one undo step, with one selection snapshot and one change notice.
// Open it on the stack around the edits; it closes when it leaves scope, also through an
// exception, so a failed command never leaves the editor waiting for an end that never comes.
// It is the only way to group edits: commands, Replace All and the mark-up commands all use it,
// and transactions nest (only the outermost one records the step and notifies).

#include "editor/EditorModel.h"

class TEditTransaction {
public:
    explicit TEditTransaction(TEditorModel& editor, TUndoKind kind = TUndoKind::Other) : editor_(editor)
    {
        editor_.BeginCompoundEdit(kind);
    }
    ~TEditTransaction() { editor_.EndCompoundEdit(); }
    TEditTransaction(const TEditTransaction&) = delete;
    TEditTransaction& operator=(const TEditTransaction&) = delete;

    TEditorModel& Editor() const { return editor_; }

private:
    TEditorModel& editor_;
};
