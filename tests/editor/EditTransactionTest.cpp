// The edit transaction: nesting, one notice when the outermost closes, the exception path, and one
// undo step that restores the caret and selection of before.
#include "editor/EditTransaction.h"
#include "editor/EditorModel.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>

namespace {

struct TSelection {
    TTextPosition Anchor;
    TTextPosition Caret;
    friend bool operator==(const TSelection&, const TSelection&) = default;
};

TSelection SelectionOf(const TEditorModel& model)
{
    return {model.Anchor(), model.Caret()};
}

TEST(EditTransaction, GroupsEditsIntoOneStepAndOneNotice)
{
    const TSelection selected{{0, 4}, {0, 7}};  // "def" of "abc def"
    const struct {
        const char* Name;
        std::string Page;
        std::function<void(TEditorModel&)> Body;  // runs inside one transaction
        bool Throws;
        int Changes;
        int UndoSteps;
        const char* TextAfter;
        const char* TextAfterUndo;
        TSelection SelectionAfterUndo;
    } cases[] = {
        {"two_edits_one_step", "abc def",
         [](TEditorModel& m) {
             m.ReplaceSelection(U"X");
             m.SetCaret({0, 0});
             m.ReplaceSelection(U"<");
         },
         false, 1, 1, "<abc X", "abc def", selected},
        {"nested_transactions_one_step", "abc def",
         [](TEditorModel& m) {
             {
                 TEditTransaction inner(m);
                 m.ReplaceSelection(U"X");
             }
             TEditTransaction inner(m, TUndoKind::Typing);
             m.ReplaceSelection(U"Y");
         },
         false, 1, 1, "abc XY", "abc def", selected},
        {"commands_join_the_open_step", "abc def",
         [](TEditorModel& m) {
             m.ExecuteCommand(ecChar, {.Char = U'Q'});
             m.ExecuteCommand(ecLineBreak);
             m.ExecuteCommand(ecDeleteLastChar);
         },
         false, 1, 1, "abc Q", "abc def", selected},
        {"exception_after_an_edit_keeps_it_undoable", "abc def",
         [](TEditorModel& m) {
             m.ReplaceSelection(U"X");
             throw std::runtime_error("failed midway");
         },
         true, 1, 1, "abc X", "abc def", selected},
        {"exception_from_an_unencodable_character", "abc def\xE9",  // a Windows-1252 page
         [](TEditorModel& m) {
             m.ReplaceSelection(U"X");
             m.ReplaceSelection(U"\U0001F600");
         },
         true, 1, 1, "abc X\xE9", "abc def\xE9", selected},
        {"caret_move_only_records_nothing", "abc def", [](TEditorModel& m) { m.SetCaret({0, 1}); }, false, 0, 0,
         "abc def", "abc def", {{0, 1}, {0, 1}}},
        {"reload_inside_starts_the_step_afresh", "abc def",
         [](TEditorModel& m) {
             m.ReplaceSelection(U"X");
             m.SetText("new");
             m.ReplaceSelection(U">");
         },
         false, 1, 1, ">new", "new", {{0, 0}, {0, 0}}},
    };
    for (const auto& c : cases) {
        TEditorModel model;
        model.SetText(c.Page);
        model.SetSelection(selected.Anchor, selected.Caret);
        int changes = 0, moves = 0;
        model.OnChange = [&] { ++changes; };
        model.OnCaretMove = [&] { ++moves; };
        bool threw = false;
        try {
            TEditTransaction transaction(model);
            c.Body(model);
        } catch (const std::exception&) {
            threw = true;
        }
        const std::string textAfter = model.Text();
        const TSelection selectionAfter = SelectionOf(model);
        EXPECT_EQ(threw, c.Throws) << c.Name;
        EXPECT_EQ(textAfter, c.TextAfter) << c.Name;
        EXPECT_EQ(changes, c.Changes) << c.Name;
        EXPECT_EQ(moves, 1) << c.Name;
        EXPECT_EQ(model.Document().UndoList().UndoCount(), c.UndoSteps) << c.Name;
        if (c.UndoSteps == 0) continue;

        model.Undo();
        EXPECT_EQ(model.Text(), c.TextAfterUndo) << c.Name;
        EXPECT_EQ(SelectionOf(model), c.SelectionAfterUndo) << c.Name;
        model.Redo();
        EXPECT_EQ(model.Text(), textAfter) << c.Name;
        EXPECT_EQ(SelectionOf(model), selectionAfter) << c.Name;
    }
}

}  // namespace
