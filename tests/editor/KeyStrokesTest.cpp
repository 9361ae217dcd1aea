// The default keystroke list, its look-ups, the unique short-cut rule and the remembered key.
#include "editor/control/EditorCommands.h"
#include "editor/control/KeyStrokes.h"

#include <gtest/gtest.h>

namespace {

constexpr TShiftState kNone = 0, kS = ssShift, kC = ssCtrl, kA = ssAlt, kSC = ssShift | ssCtrl;

struct Entry {
    TEditorCommand Command;
    TVirtualKey Key;
    TShiftState Shift;
};

// The 82 defaults in their order.
const std::vector<Entry>& ExpectedDefaults()
{
    static const std::vector<Entry> entries = [] {
        std::vector<Entry> e = {
            {ecUp, vk::Up, kNone}, {ecSelUp, vk::Up, kS}, {ecScrollUp, vk::Up, kC},
            {ecDown, vk::Down, kNone}, {ecSelDown, vk::Down, kS}, {ecScrollDown, vk::Down, kC},
            {ecLeft, vk::Left, kNone}, {ecSelLeft, vk::Left, kS}, {ecWordLeft, vk::Left, kC}, {ecSelWordLeft, vk::Left, kSC},
            {ecRight, vk::Right, kNone}, {ecSelRight, vk::Right, kS}, {ecWordRight, vk::Right, kC}, {ecSelWordRight, vk::Right, kSC},
            {ecPageDown, vk::Next, kNone}, {ecSelPageDown, vk::Next, kS}, {ecPageBottom, vk::Next, kC}, {ecSelPageBottom, vk::Next, kSC},
            {ecPageUp, vk::Prior, kNone}, {ecSelPageUp, vk::Prior, kS}, {ecPageTop, vk::Prior, kC}, {ecSelPageTop, vk::Prior, kSC},
            {ecLineStart, vk::Home, kNone}, {ecSelLineStart, vk::Home, kS}, {ecEditorTop, vk::Home, kC}, {ecSelEditorTop, vk::Home, kSC},
            {ecLineEnd, vk::End, kNone}, {ecSelLineEnd, vk::End, kS}, {ecEditorBottom, vk::End, kC}, {ecSelEditorBottom, vk::End, kSC},
            {ecToggleMode, vk::Insert, kNone}, {ecCopy, vk::Insert, kC}, {ecCut, vk::Delete, kS}, {ecPaste, vk::Insert, kS},
            {ecDeleteChar, vk::Delete, kNone}, {ecDeleteLastChar, vk::Back, kNone}, {ecDeleteLastChar, vk::Back, kS},
            {ecDeleteLastWord, vk::Back, kC}, {ecUndo, vk::Back, kA}, {ecRedo, vk::Back, kS | kA},
            {ecLineBreak, vk::Return, kNone}, {ecLineBreak, vk::Return, kS}, {ecTab, vk::Tab, kNone}, {ecShiftTab, vk::Tab, kS},
            {ecContextHelp, vk::F1, kNone}, {ecSelectAll, 'A', kC}, {ecCopy, 'C', kC}, {ecPaste, 'V', kC}, {ecCut, 'X', kC},
            {ecBlockIndent, 'I', kSC}, {ecBlockUnindent, 'U', kSC}, {ecLineBreak, 'M', kC}, {ecInsertLine, 'N', kC},
            {ecDeleteWord, 'T', kC}, {ecDeleteLine, 'Y', kC}, {ecDeleteEOL, 'Y', kSC}, {ecUndo, 'Z', kC}, {ecRedo, 'Z', kSC},
        };
        for (int d = 0; d <= 9; ++d) e.push_back({static_cast<TEditorCommand>(ecGotoMarker0 + d), vk::Digit(d), kC});
        for (int d = 0; d <= 9; ++d) e.push_back({static_cast<TEditorCommand>(ecSetMarker0 + d), vk::Digit(d), kSC});
        e.push_back({ecNormalSelect, 'N', kSC});
        e.push_back({ecColumnSelect, 'C', kSC});
        e.push_back({ecLineSelect, 'L', kSC});
        e.push_back({ecMatchBracket, 'B', kSC});
        return e;
    }();
    return entries;
}

TEST(KeyStrokes, DefaultsAreThe82EntriesInOrder)
{
    const TEditKeyStrokes keys;
    ASSERT_EQ(keys.Count(), 82);
    ASSERT_EQ(ExpectedDefaults().size(), 82u);
    for (int i = 0; i < keys.Count(); ++i) {
        const Entry& expected = ExpectedDefaults()[static_cast<std::size_t>(i)];
        const TEditKeyStroke& item = keys.Item(i);
        EXPECT_EQ(item.Command, expected.Command) << "entry " << i;
        EXPECT_EQ(item.Key, expected.Key) << "entry " << i;
        EXPECT_EQ(item.Shift, expected.Shift) << "entry " << i;
        EXPECT_EQ(item.Key2, 0) << "entry " << i;
        // No combination twice.
        EXPECT_EQ(keys.FindKey(item.Key, item.Shift), i);
    }
}

TEST(KeyStrokes, LookUps)
{
    const TEditKeyStrokes keys;
    const struct {
        TVirtualKey Key;
        TShiftState Shift;
        int Index;
        TEditorCommand Command;
    } cases[] = {
        {vk::Left, kNone, 6, ecLeft},
        {vk::Digit(5), kSC, 73, ecSetMarker5},
        {vk::Digit(5), kC, 63, ecGotoMarker5},
        {'Y', kC, 54, ecDeleteLine},
        {'Z', kSC, 57, ecRedo},
        {vk::Up, kSC, -1, ecNone},
        {'Q', kC, -1, ecNone},
    };
    for (const auto& c : cases) {
        const int index = keys.FindKey(c.Key, c.Shift);
        EXPECT_EQ(index, c.Index) << c.Key;
        if (index >= 0) EXPECT_EQ(keys.Item(index).Command, c.Command);
    }
    EXPECT_EQ(keys.FindKeySequence(vk::Left, kNone, 0, 0), 6);
    EXPECT_EQ(keys.FindShortCutPair(MakeShortCut(vk::Left, kC), 0), 8);
    EXPECT_EQ(keys.FindShortCutPair(MakeShortCut(vk::Left, kC), MakeShortCut('K', kNone)), -1);
}

TEST(KeyStrokes, SettingAnExistingShortCutFailsAndKeepsTheOldKeys)
{
    TEditKeyStrokes keys;
    const int left = keys.FindKey(vk::Left, kNone);
    try {
        keys.SetShortCut(left, MakeShortCut(vk::Right, kNone));
        FAIL() << "no error";
    } catch (const EEditKeyError& error) {
        EXPECT_STREQ(error.what(), "Shortcut already exists");
    }
    EXPECT_EQ(keys.Item(left).Key, vk::Left);
    EXPECT_EQ(keys.FindKey(vk::Right, kNone), 10);

    // Its own combination, a free one, and clearing are all allowed.
    keys.SetShortCut(left, MakeShortCut(vk::Left, kNone));
    keys.SetShortCut(left, MakeShortCut('K', kC));
    EXPECT_EQ(keys.FindKey('K', kC), left);
    keys.SetShortCut2(left, MakeShortCut('B', kNone));
    EXPECT_EQ(keys.FindKeySequence('K', kC, 'B', kNone), left);
    keys.AppendKey(ecLeft, 'K', kC);  // AppendKey does not check
    EXPECT_THROW(keys.SetShortCut2(keys.Count() - 1, MakeShortCut('B', kNone)), EEditKeyError);
    EXPECT_EQ(keys.Item(keys.Count() - 1).Key2, 0);
}

TEST(KeyTranslator, RemembersPossibleFirstKeysOfSequences)
{
    TEditKeyStrokes keys;
    keys.AppendKey(ecUpperCase, 'K', kC);
    keys.SetShortCut2(keys.Count() - 1, MakeShortCut('U', kNone));
    TKeyTranslator translator;

    const struct {
        TVirtualKey Key;
        TShiftState Shift;
        TEditorCommand Command;
        TVirtualKey RememberedAfter;
    } presses[] = {
        {'Q', kNone, ecNone, 'Q'},          // 0x51 lies in 30..145
        {'U', kNone, ecNone, 'U'},          // no Q,U sequence
        {vk::Left, kNone, ecLeft, 0},       // a found command clears it
        {142, kNone, ecNone, 142},
        {vk::Left, kNone, ecLeft, 0},
        {0xBA, kNone, ecNone, 0},           // 186 lies outside 30..145
        {29, kNone, ecNone, 0},
        {30, kNone, ecNone, 30},
        {146, kNone, ecNone, 0},
    };
    for (const auto& press : presses) {
        EXPECT_EQ(translator.Translate(keys, press.Key, press.Shift), press.Command) << press.Key;
        EXPECT_EQ(translator.RememberedKey(), press.RememberedAfter) << press.Key;
    }
    EXPECT_EQ(translator.Translate(keys, 145, kNone), ecNone);
    EXPECT_EQ(translator.RememberedKey(), 145);
}

TEST(KeyTranslator, RunsATwoKeySequence)
{
    TEditKeyStrokes keys;
    keys.AppendKey(ecUpperCase, 'K', kC);
    keys.SetShortCut2(keys.Count() - 1, MakeShortCut('U', kNone));
    TKeyTranslator translator;
    EXPECT_EQ(translator.Translate(keys, 'K', kC), ecNone);
    EXPECT_TRUE(translator.HasRememberedKey());
    EXPECT_EQ(translator.Translate(keys, 'U', kNone), ecUpperCase);
    EXPECT_FALSE(translator.HasRememberedKey());
}

TEST(EditorCommands, NamesAndNumbers)
{
    EXPECT_EQ(EditorCommandCount(), 101);
    const struct {
        TEditorCommand Command;
        int Number;
        const char* Name;
    } cases[] = {
        {ecLeft, 1, "ecLeft"},           {ecSelLeft, 101, "ecSelLeft"},   {ecSelEditorBottom, 116, "ecSelEditorBottom"},
        {ecCopy, 201, "ecCopy"},         {ecGotoMarker9, 310, "ecGotoMarker9"}, {ecSetMarker0, 351, "ecSetMarker0"},
        {ecSetMarker9, 360, "ecSetMarker9"}, {ecString, 630, "ecString"}, {ecUserFirst, 1001, "ecUserFirst"},
        {ecImeStr, 550, "ecImeStr"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(static_cast<int>(c.Command), c.Number);
        EXPECT_EQ(EditorCommandName(c.Command), c.Name);
    }
    for (int movement = ecLeft; movement <= ecGotoXY; ++movement)
        EXPECT_EQ(std::string(EditorCommandName(static_cast<TEditorCommand>(movement + 100))).substr(0, 5), "ecSel");
    EXPECT_TRUE(EditorCommandName(static_cast<TEditorCommand>(18)).empty());
}

}  // namespace
