// The edit transaction: nesting, one notice when the outermost closes, the exception path, and one
// undo step that restores the caret and selection of before.
#include "editor/control/EditTransaction.h"
#include "editor/control/EditorModel.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

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
        model.OnChanged = [&](const TEditorChange& change) {
            ++moves;
            changes += change.TextChanged();
        };
        bool threw = false;
        try {
            TEditTransaction transaction(model);
            c.Body(model);
        } catch (const std::exception&) {
            threw = true;
        }
        const std::string textAfter = model.Document().Text();
        const TSelection selectionAfter = SelectionOf(model);
        EXPECT_EQ(threw, c.Throws) << c.Name;
        EXPECT_EQ(textAfter, c.TextAfter) << c.Name;
        EXPECT_EQ(changes, c.Changes) << c.Name;
        EXPECT_EQ(moves, 1) << c.Name;
        EXPECT_EQ(model.Document().UndoList().UndoCount(), c.UndoSteps) << c.Name;
        if (c.UndoSteps == 0) continue;

        model.Undo();
        EXPECT_EQ(model.Document().Text(), c.TextAfterUndo) << c.Name;
        EXPECT_EQ(SelectionOf(model), c.SelectionAfterUndo) << c.Name;
        model.Redo();
        EXPECT_EQ(model.Document().Text(), textAfter) << c.Name;
        EXPECT_EQ(SelectionOf(model), selectionAfter) << c.Name;
    }
}


TEST(EditTransaction, NoticeSaysWhatChanged)
{
    const struct {
        const char* Name;
        std::function<void(TEditorModel&)> Body;  // on "a\nb\nc" with the caret at (1, 1)
        int FirstLine, LastLine;
        bool NewText, CaretMoved, SelectionChanged;
    } cases[] = {
        {"typed_character", [](TEditorModel& m) { m.ExecuteCommand(ecChar, {.Char = U'x'}); }, 1, 1, false, true, true},
        {"line_break", [](TEditorModel& m) { m.ExecuteCommand(ecLineBreak); }, 1, 2, false, true, true},
        {"edits_above_move_the_range",
         [](TEditorModel& m) {
             TEditTransaction transaction(m);
             m.ReplaceRange({2, 0}, {2, 0}, "y");
             m.ReplaceRange({0, 0}, {0, 0}, "x\n");
         },
         0, 3, false, false, false},
        {"joined_lines", [](TEditorModel& m) { m.ReplaceRange({0, 1}, {1, 0}, ""); }, 0, 0, false, false, false},
        {"undo_of_a_break", [](TEditorModel& m) { m.ExecuteCommand(ecLineBreak); m.SetCaret({1, 1}); m.Undo(); },
         1, 1, false, false, false},
        {"new_text", [](TEditorModel& m) { m.SetText("z"); }, -1, -1, true, true, true},
        {"selection_mode_only", [](TEditorModel& m) { m.SetSelectionMode(smColumn); }, -1, -1, false, false, true},
    };
    for (const auto& c : cases) {
        TEditorModel model;
        model.SetText("a\nb\nc");
        model.SetCaret({1, 1});
        std::vector<TEditorChange> notices;
        model.OnChanged = [&](const TEditorChange& change) { notices.push_back(change); };
        c.Body(model);
        ASSERT_FALSE(notices.empty()) << c.Name;
        const TEditorChange& last = notices.back();
        EXPECT_EQ(last.FirstLine, c.FirstLine) << c.Name;
        EXPECT_EQ(last.LastLine, c.LastLine) << c.Name;
        EXPECT_EQ(last.NewText, c.NewText) << c.Name;
        EXPECT_EQ(last.CaretMoved, c.CaretMoved) << c.Name;
        EXPECT_EQ(last.SelectionChanged, c.SelectionChanged) << c.Name;
    }
}

// The shifts a view's painted rows follow: each edit that moved lines, in order, past the last new text.
TEST(EditTransaction, NoticeCarriesTheLineShiftsInOrder)
{
    const struct {
        const char* Name;
        std::function<void(TEditorModel&)> Body;  // on "a\nb\nc" with the caret at (1, 1)
        std::vector<TLineShift> Shifts;
    } cases[] = {
        {"typed_character", [](TEditorModel& m) { m.ExecuteCommand(ecChar, {.Char = U'x'}); }, {}},
        {"line_break", [](TEditorModel& m) { m.ExecuteCommand(ecLineBreak); }, {{2, 0, 1}}},
        {"joined_lines", [](TEditorModel& m) { m.ReplaceRange({0, 1}, {1, 0}, ""); }, {{1, 1, 0}}},
        {"two_lines_for_three",
         [](TEditorModel& m) { m.ReplaceRange({0, 0}, {2, 0}, "p\nq\nr\n"); }, {{1, 2, 3}}},
        {"edits_in_order",
         [](TEditorModel& m) {
             TEditTransaction transaction(m);
             m.ReplaceRange({2, 0}, {2, 0}, "y\n");
             m.ReplaceRange({0, 1}, {1, 0}, "");
         },
         {{3, 0, 1}, {1, 1, 0}}},
        {"undo_replays_them",
         [](TEditorModel& m) {
             m.ExecuteCommand(ecLineBreak);
             m.Undo();
         },
         {{2, 1, 0}}},
        {"only_after_new_text",
         [](TEditorModel& m) {
             TEditTransaction transaction(m);
             m.ReplaceRange({0, 0}, {0, 0}, "\n");
             m.SetText("p\nq");
             m.ReplaceRange({1, 0}, {1, 0}, "\n");
         },
         {{2, 0, 1}}},
    };
    for (const auto& c : cases) {
        TEditorModel model;
        model.SetText("a\nb\nc");
        model.SetCaret({1, 1});
        std::vector<TEditorChange> notices;
        model.OnChanged = [&](const TEditorChange& change) { notices.push_back(change); };
        c.Body(model);
        ASSERT_FALSE(notices.empty()) << c.Name;
        EXPECT_EQ(notices.back().LineShifts, c.Shifts) << c.Name;
        EXPECT_TRUE(notices.back().ActionEnded) << c.Name;
        EXPECT_FALSE(notices.back().Restyled) << c.Name;
    }
}

}  // namespace
