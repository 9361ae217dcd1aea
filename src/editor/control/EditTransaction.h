#pragma once
// One user action's edits as one undo step, with one selection snapshot; and the one way a change
// notice is held back: the model sends its notice when the outermost transaction ends. Open it on
// the stack around the edits; it closes when it leaves scope, also through an exception, so a
// failed command never leaves the editor waiting for an end that never comes. Transactions nest;
// the first one that forms an undo step records it. A view handling one input event opens a
// notice-only transaction: the commands inside keep their own undo steps, and the view is shown
// once.

#include "editor/control/EditorModel.h"

class TEditTransaction {
public:
    explicit TEditTransaction(TEditorModel& editor, TUndoKind kind = TUndoKind::Other)
        : TEditTransaction(editor, TTransactionScope::UndoStep, kind)
    {
    }
    TEditTransaction(TEditorModel& editor, TTransactionScope scope, TUndoKind kind = TUndoKind::Other)
        : editor_(editor)
    {
        editor_.BeginTransaction(scope, kind);
    }
    ~TEditTransaction() { editor_.EndTransaction(); }
    TEditTransaction(const TEditTransaction&) = delete;
    TEditTransaction& operator=(const TEditTransaction&) = delete;

    TEditorModel& Editor() const { return editor_; }

private:
    TEditorModel& editor_;
};
