// The "List" dialog's entry editing: adds, deletes, moves and type changes keep every term next
// to its own description.
#include "markup/ListMarkup.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using Texts = std::vector<std::u32string>;

TEST(ListEntries, EditsKeepTermsAndDescriptionsPaired)
{
    const auto definitionAB = [](TListEntries& list) {
        list.ChangeType(TListType::Definition);
        list.Add(U"A", U"a");
        list.Add(U"B", U"b");
    };
    const struct {
        const char* Name;
        std::function<void(TListEntries&)> Edit;
        Texts ExpectedTexts;
        Texts ExpectedDefinitions;
    } cases[] = {
        {"b_moved_up", [&](TListEntries& l) { definitionAB(l); l.MoveUp(1); }, {U"B", U"A"},
         {U"B", U"b", U"A", U"a"}},
        {"a_moved_down", [&](TListEntries& l) { definitionAB(l); l.MoveDown(0); }, {U"B", U"A"},
         {U"B", U"b", U"A", U"a"}},
        {"first_up_stays", [&](TListEntries& l) { definitionAB(l); l.MoveUp(0); }, {U"A", U"B"},
         {U"A", U"a", U"B", U"b"}},
        {"last_down_stays", [&](TListEntries& l) { definitionAB(l); l.MoveDown(1); }, {U"A", U"B"},
         {U"A", U"a", U"B", U"b"}},
        {"middle_of_three_down",
         [&](TListEntries& l) { definitionAB(l); l.Add(U"C", U""); l.MoveDown(1); }, {U"A", U"C", U"B"},
         {U"A", U"a", U"C", U"", U"B", U"b"}},
        {"delete_first", [&](TListEntries& l) { definitionAB(l); l.Delete(0); }, {U"B"}, {U"B", U"b"}},
        {"empty_text_not_added", [](TListEntries& l) { EXPECT_FALSE(l.Add(U"", U"d")); }, {}, {}},
        {"plain_list_has_no_descriptions", [](TListEntries& l) { l.Add(U"x", U"ignored"); }, {U"x"}, {}},
        {"ordered_to_definition_empties",
         [](TListEntries& l) { l.Add(U"one", U""); l.ChangeType(TListType::Definition); }, {}, {}},
        {"definition_to_unordered_keeps_terms",
         [&](TListEntries& l) { definitionAB(l); l.ChangeType(TListType::Unordered); }, {U"A", U"B"},
         {U"A", U"a", U"B", U"b"}},
        {"ordered_to_unordered_keeps",
         [](TListEntries& l) { l.Add(U"one", U""); l.ChangeType(TListType::Unordered); }, {U"one"}, {}},
        {"back_to_definition_empties",
         [&](TListEntries& l) { definitionAB(l); l.ChangeType(TListType::Ordered); l.Delete(0);
                                l.ChangeType(TListType::Definition); }, {}, {}},
        {"same_type_keeps",
         [&](TListEntries& l) { definitionAB(l); l.ChangeType(TListType::Definition); }, {U"A", U"B"},
         {U"A", U"a", U"B", U"b"}},
    };
    for (const auto& c : cases) {
        TListEntries list;
        c.Edit(list);
        EXPECT_EQ(list.Texts(), c.ExpectedTexts) << c.Name;
        EXPECT_EQ(list.Definitions(), c.ExpectedDefinitions) << c.Name;
    }
}

TEST(ListEntries, DefinitionsSwitchedToAPlainListWriteTheTermsAsItems)
{
    TListEntries list;
    list.ChangeType(TListType::Definition);
    list.Add(U"A", U"a");
    list.ChangeType(TListType::Unordered);
    EXPECT_EQ(ListMarkup(list).Joined(), U"<ul>\r\n<li>A\r\n</ul>\r\n");
}

}  // namespace
