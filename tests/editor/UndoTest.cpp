// Undo and redo: grouping of like edits, the entry limit, the redo list, caret and selection.
#include "editor/control/EditTransaction.h"
#include "editor/control/EditorModel.h"

#include <gtest/gtest.h>

#include <random>

namespace {

void Type(TEditorModel& model, std::u32string_view text)
{
    for (const char32_t ch : text) model.ExecuteCommand(ecChar, {.Char = ch});
}

int StepsToUndoAll(TEditorModel& model)
{
    int steps = 0;
    while (model.Document().UndoList().CanUndo()) {
        model.Undo();
        ++steps;
    }
    return steps;
}

TEST(UndoGrouping, LikeEditsUndoAsOneStep)
{
    const struct {
        const char* Name;
        std::function<void(TEditorModel&)> Actions;
        bool GroupUndo;
        int Steps;
    } cases[] = {
        {"typing_a_word", [](TEditorModel& m) { Type(m, U"hello"); }, true, 1},
        {"typing_without_grouping", [](TEditorModel& m) { Type(m, U"hello"); }, false, 5},
        {"typing_moving_typing",
         [](TEditorModel& m) {
             Type(m, U"ab");
             m.ExecuteCommand(ecLeft);
             Type(m, U"cd");
         },
         true, 2},
        {"moving_away_and_back_still_breaks",
         [](TEditorModel& m) {
             Type(m, U"ab");
             m.ExecuteCommand(ecLeft);
             m.ExecuteCommand(ecRight);
             Type(m, U"cd");
         },
         true, 2},
        {"backspaces",
         [](TEditorModel& m) {
             Type(m, U"abcdef");
             for (int i = 0; i < 3; ++i) m.ExecuteCommand(ecDeleteLastChar);
         },
         true, 2},
        {"deletes",
         [](TEditorModel& m) {
             Type(m, U"abcdef");
             m.ExecuteCommand(ecLineStart);
             for (int i = 0; i < 3; ++i) m.ExecuteCommand(ecDeleteChar);
         },
         true, 2},
        {"line_break_ends_a_group",
         [](TEditorModel& m) {
             Type(m, U"ab");
             m.ExecuteCommand(ecLineBreak);
             Type(m, U"cd");
         },
         true, 3},
        {"replace_selection_never_merges",
         [](TEditorModel& m) {
             m.ReplaceSelection(U"a");
             m.ReplaceSelection(U"b");
         },
         true, 2},
        {"compound_edit_is_one_step",
         [](TEditorModel& m) {
             TEditTransaction transaction(m);
             m.ReplaceSelection(U"<b>");
             m.ReplaceSelection(U"x");
             m.ReplaceSelection(U"</b>");
         },
         true, 1},
    };
    for (const auto& c : cases) {
        TEditorModel model;
        if (!c.GroupUndo) model.Settings().Options.Exclude(eoGroupUndo);
        c.Actions(model);
        EXPECT_EQ(model.Document().UndoList().UndoCount(), c.Steps) << c.Name;
        EXPECT_EQ(StepsToUndoAll(model), c.Steps) << c.Name;
        EXPECT_EQ(model.Document().Text(), "") << c.Name;
    }
}

TEST(UndoLimit, The1025thEntryDropsTheOldest)
{
    TEditorModel model;
    EXPECT_EQ(model.Settings().MaxUndo, 1024);
    for (int i = 0; i < 1025; ++i) model.ReplaceSelection(U"x");
    EXPECT_EQ(model.Document().UndoList().UndoCount(), 1024);
    EXPECT_EQ(StepsToUndoAll(model), 1024);
    EXPECT_EQ(model.Document().Text(), "x");  // the first edit can no longer be undone
}

TEST(UndoLimit, SmallerLimitFromTheSettings)
{
    TEditorModel model;
    model.Settings().MaxUndo = 3;
    for (const char32_t* piece : {U"a", U"b", U"c", U"d", U"e"}) model.ReplaceSelection(piece);
    EXPECT_EQ(StepsToUndoAll(model), 3);
    EXPECT_EQ(model.Document().Text(), "ab");
}

TEST(UndoRedo, RedoListIsClearedByANewEdit)
{
    TEditorModel model;
    model.ReplaceSelection(U"one ");
    model.ReplaceSelection(U"two");
    model.Undo();
    EXPECT_TRUE(model.Document().UndoList().CanRedo());
    model.Redo();
    EXPECT_EQ(model.Document().Text(), "one two");
    model.Undo();
    model.ReplaceSelection(U"three");
    EXPECT_FALSE(model.Document().UndoList().CanRedo());
    model.Redo();  // nothing to redo: nothing happens
    EXPECT_EQ(model.Document().Text(), "one three");
}

TEST(UndoRedo, RestoresCaretAndSelection)
{
    TEditorModel model;
    model.SetText("Say Hello there");
    model.SetSelection({0, 4}, {0, 9});
    model.ReplaceSelection(U"Bye");
    EXPECT_EQ(model.Caret(), (TTextPosition{0, 7}));
    model.Undo();
    EXPECT_EQ(model.Document().Text(), "Say Hello there");
    EXPECT_EQ(model.Anchor(), (TTextPosition{0, 4}));
    EXPECT_EQ(model.Caret(), (TTextPosition{0, 9}));
    model.Redo();
    EXPECT_EQ(model.Document().Text(), "Say Bye there");
    EXPECT_EQ(model.Caret(), (TTextPosition{0, 7}));
    EXPECT_FALSE(model.HasSelection());
}

TEST(UndoRedo, LoadingClearsTheLists)
{
    TEditorModel model;
    model.ReplaceSelection(U"x");
    model.SetText("new page");
    EXPECT_FALSE(model.Document().UndoList().CanUndo());
    model.Undo();
    EXPECT_EQ(model.Document().Text(), "new page");
}

// Random edits undone one by one give back every earlier text; redone they give the last one.
TEST(UndoRedo, RandomEditsUndoAndRedoExactly)
{
    std::mt19937 random(7);
    TEditorModel model;
    model.LoadBytes("first line\nsecond\n\nfourth \xC3\xA9 line\nlast");
    model.Settings().Options.Exclude(eoGroupUndo);  // every edit its own step, to compare texts
    std::vector<std::string> history{model.Document().Text()};
    const std::u32string pieces[] = {U"x", U"\r\n", U"ab\ncd", U"", U"\u00E9\u20AC", U"\r\n\r\n"};
    for (int i = 0; i < 300; ++i) {
        const int lines = model.Document().LineCount();
        const auto pick = [&](int line) { return TTextPosition{line, static_cast<int>(random() % (model.Document().LineLength(line) + 3))}; };
        const int a = static_cast<int>(random() % lines), b = static_cast<int>(random() % lines);
        model.SetSelection(pick(a), pick(b));
        const int before = model.Document().UndoList().UndoCount();
        switch (random() % 4) {
        case 0: model.ReplaceSelection(pieces[random() % std::size(pieces)]); break;
        case 1: model.ExecuteCommand(ecDeleteLastChar); break;
        case 2: model.ExecuteCommand(ecLineBreak); break;
        default: model.ExecuteCommand(ecChar, {.Char = U'q'}); break;
        }
        if (model.Document().UndoList().UndoCount() > before)
            history.push_back(model.Document().Text());
        else
            ASSERT_EQ(model.Document().Text(), history.back());
    }
    for (auto expected = history.rbegin() + 1; expected != history.rend(); ++expected) {
        ASSERT_TRUE(model.Document().UndoList().CanUndo());
        model.Undo();
        ASSERT_EQ(model.Document().Text(), *expected);
    }
    while (model.Document().UndoList().CanRedo()) model.Redo();
    EXPECT_EQ(model.Document().Text(), history.back());
}

}  // namespace

namespace {

// Every command, at random, on pages of both encodings: the model stays consistent and undoing
// everything gives back the page.
TEST(RandomCommands, KeepTheModelConsistentAndUndoable)
{
    std::vector<TEditorCommand> commands;
    for (int number = 0; number <= 700; ++number) {
        const auto command = static_cast<TEditorCommand>(number);
        // Clearing all would leave little to work on.
        if (!EditorCommandName(command).empty() && command != ecUndo && command != ecRedo && command != ecClearAll)
            commands.push_back(command);
    }
    const std::string pages[] = {"<p>a (b) [c]\n\t  d\xC3\xA9</p>\n\nx y", "caf\xE9\r\n  (\x80)\r\n\r\n"};
    for (const std::string& page : pages) {
        std::mt19937 random(5);
        TEditorModel model;
        model.LoadBytes(page);
        model.Settings().Options.Include(eoTabIndent);
        model.Settings().MaxUndo = 100000;
        int changes = 0;
        model.OnChanged = [&](const TEditorChange& change) { changes += change.TextChanged(); };
        for (int round = 0; round < 3000; ++round) {
            const TEditorCommand command = commands[random() % commands.size()];
            TCommandArgs args;
            args.Char = U"a\u00E9(\t "[random() % 5];
            args.Text = U"x\r\ny";
            args.Position = {static_cast<int>(random() % 8) - 1, static_cast<int>(random() % 12) - 1};
            model.ExecuteCommand(command, args);
            ASSERT_GE(model.Document().LineCount(), 1);
            ASSERT_GE(model.Caret().Line, 0);
            ASSERT_LT(model.Caret().Line, model.Document().LineCount());
            ASSERT_LT(model.Anchor().Line, model.Document().LineCount());
            ASSERT_GE(model.Caret().Column, 0);
            if (round % 500 == 0) model.Undo();
        }
        EXPECT_GT(changes, 300);
        while (model.Document().UndoList().CanUndo()) model.Undo();
        EXPECT_EQ(model.Document().Text(), page);
    }
}

}  // namespace
