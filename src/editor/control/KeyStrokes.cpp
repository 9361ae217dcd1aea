#include "editor/control/KeyStrokes.h"

TShortCut MakeShortCut(TVirtualKey key, TShiftState shift)
{
    if (key == 0) return 0;
    TShortCut value = key & 0x0FFF;
    if (shift & ssShift) value |= scShift;
    if (shift & ssCtrl) value |= scCtrl;
    if (shift & ssAlt) value |= scAlt;
    return value;
}

void SplitShortCut(TShortCut shortCut, TVirtualKey& key, TShiftState& shift)
{
    key = shortCut & 0x0FFF;
    shift = 0;
    if (shortCut & scShift) shift |= ssShift;
    if (shortCut & scCtrl) shift |= ssCtrl;
    if (shortCut & scAlt) shift |= ssAlt;
}

void TEditKeyStrokes::LoadDefaultKeys()
{
    items_.clear();
    constexpr TShiftState none = 0, shift = ssShift, ctrl = ssCtrl, shiftCtrl = ssShift | ssCtrl;

    // Caret movement: per key, alone, with Shift, with Ctrl, with Shift+Ctrl (ecNone: not assigned).
    struct MoveRow {
        TVirtualKey Key;
        TEditorCommand Alone, WithShift, WithCtrl, WithShiftCtrl;
    };
    const MoveRow moves[] = {
        {vk::Up, ecUp, ecSelUp, ecScrollUp, ecNone},
        {vk::Down, ecDown, ecSelDown, ecScrollDown, ecNone},
        {vk::Left, ecLeft, ecSelLeft, ecWordLeft, ecSelWordLeft},
        {vk::Right, ecRight, ecSelRight, ecWordRight, ecSelWordRight},
        {vk::Next, ecPageDown, ecSelPageDown, ecPageBottom, ecSelPageBottom},
        {vk::Prior, ecPageUp, ecSelPageUp, ecPageTop, ecSelPageTop},
        {vk::Home, ecLineStart, ecSelLineStart, ecEditorTop, ecSelEditorTop},
        {vk::End, ecLineEnd, ecSelLineEnd, ecEditorBottom, ecSelEditorBottom},
    };
    for (const MoveRow& row : moves) {
        AppendKey(row.Alone, row.Key, none);
        AppendKey(row.WithShift, row.Key, shift);
        AppendKey(row.WithCtrl, row.Key, ctrl);
        if (row.WithShiftCtrl != ecNone) AppendKey(row.WithShiftCtrl, row.Key, shiftCtrl);
    }

    struct EditRow {
        TEditorCommand Command;
        TVirtualKey Key;
        TShiftState Shift;
    };
    const EditRow edits[] = {
        {ecToggleMode, vk::Insert, none},
        {ecCopy, vk::Insert, ctrl},
        {ecCut, vk::Delete, shift},
        {ecPaste, vk::Insert, shift},
        {ecDeleteChar, vk::Delete, none},
        {ecDeleteLastChar, vk::Back, none},
        {ecDeleteLastChar, vk::Back, shift},
        {ecDeleteLastWord, vk::Back, ctrl},
        {ecUndo, vk::Back, ssAlt},
        {ecRedo, vk::Back, ssShift | ssAlt},
        {ecLineBreak, vk::Return, none},
        {ecLineBreak, vk::Return, shift},
        {ecTab, vk::Tab, none},
        {ecShiftTab, vk::Tab, shift},
        {ecContextHelp, vk::F1, none},
        {ecSelectAll, vk::Letter('A'), ctrl},
        {ecCopy, vk::Letter('C'), ctrl},
        {ecPaste, vk::Letter('V'), ctrl},
        {ecCut, vk::Letter('X'), ctrl},
        {ecBlockIndent, vk::Letter('I'), shiftCtrl},
        {ecBlockUnindent, vk::Letter('U'), shiftCtrl},
        {ecLineBreak, vk::Letter('M'), ctrl},
        {ecInsertLine, vk::Letter('N'), ctrl},
        {ecDeleteWord, vk::Letter('T'), ctrl},
        {ecDeleteLine, vk::Letter('Y'), ctrl},
        {ecDeleteEOL, vk::Letter('Y'), shiftCtrl},
        {ecUndo, vk::Letter('Z'), ctrl},
        {ecRedo, vk::Letter('Z'), shiftCtrl},
    };
    for (const EditRow& row : edits) AppendKey(row.Command, row.Key, row.Shift);

    for (int digit = 0; digit <= 9; ++digit)
        AppendKey(static_cast<TEditorCommand>(ecGotoMarker0 + digit), vk::Digit(digit), ctrl);
    for (int digit = 0; digit <= 9; ++digit)
        AppendKey(static_cast<TEditorCommand>(ecSetMarker0 + digit), vk::Digit(digit), shiftCtrl);

    AppendKey(ecNormalSelect, vk::Letter('N'), shiftCtrl);
    AppendKey(ecColumnSelect, vk::Letter('C'), shiftCtrl);
    AppendKey(ecLineSelect, vk::Letter('L'), shiftCtrl);
    AppendKey(ecMatchBracket, vk::Letter('B'), shiftCtrl);
}

void TEditKeyStrokes::AppendKey(TEditorCommand command, TVirtualKey key, TShiftState shift)
{
    items_.push_back(TEditKeyStroke{command, key, shift, 0, 0});
}

int TEditKeyStrokes::FindKey(TVirtualKey key, TShiftState shift) const
{
    for (int i = 0; i < Count(); ++i) {
        const TEditKeyStroke& item = items_[static_cast<std::size_t>(i)];
        if (item.Key == key && item.Shift == shift && item.Key2 == 0) return i;
    }
    return -1;
}

int TEditKeyStrokes::FindKeySequence(TVirtualKey key, TShiftState shift, TVirtualKey key2, TShiftState shift2) const
{
    for (int i = 0; i < Count(); ++i) {
        const TEditKeyStroke& item = items_[static_cast<std::size_t>(i)];
        if (item.Key == key && item.Shift == shift && item.Key2 == key2 && item.Shift2 == shift2) return i;
    }
    return -1;
}

int TEditKeyStrokes::FindShortCutPair(TShortCut shortCut, TShortCut shortCut2) const
{
    for (int i = 0; i < Count(); ++i) {
        const TEditKeyStroke& item = items_[static_cast<std::size_t>(i)];
        if (item.ShortCut() == shortCut && item.ShortCut2() == shortCut2) return i;
    }
    return -1;
}

void TEditKeyStrokes::CheckUnique(int index, TShortCut shortCut, TShortCut shortCut2) const
{
    for (int i = 0; i < Count(); ++i) {
        if (i == index) continue;
        const TEditKeyStroke& item = items_[static_cast<std::size_t>(i)];
        if (item.ShortCut() == shortCut && item.ShortCut2() == shortCut2)
            throw EEditKeyError("Shortcut already exists");
    }
}

void TEditKeyStrokes::SetShortCut(int index, TShortCut shortCut)
{
    TEditKeyStroke& item = items_.at(static_cast<std::size_t>(index));
    if (shortCut != 0) CheckUnique(index, shortCut, item.ShortCut2());
    SplitShortCut(shortCut, item.Key, item.Shift);
}

void TEditKeyStrokes::SetShortCut2(int index, TShortCut shortCut2)
{
    TEditKeyStroke& item = items_.at(static_cast<std::size_t>(index));
    if (shortCut2 != 0) CheckUnique(index, item.ShortCut(), shortCut2);
    SplitShortCut(shortCut2, item.Key2, item.Shift2);
}

TEditorCommand TKeyTranslator::Translate(const TEditKeyStrokes& keys, TVirtualKey key, TShiftState shift)
{
    int found = keys.FindKeySequence(rememberedKey_, rememberedShift_, key, shift);
    if (found < 0) found = keys.FindKey(key, shift);
    if (found < 0 && key >= 30 && key <= 145) {
        rememberedKey_ = key;
        rememberedShift_ = shift;
    } else {
        rememberedKey_ = 0;
        rememberedShift_ = 0;
    }
    return found >= 0 ? keys.Item(found).Command : ecNone;
}
