#pragma once
// The keystroke list: which key combinations run which editor commands. Key codes are Windows
// virtual-key numbers (the widget maps toolkit keys to them) so that the remembered-key rule
// (codes 30 to 145) keeps its meaning.

#include "editor/control/EditorCommands.h"

#include <cstdint>
#include <stdexcept>
#include <vector>

using TVirtualKey = std::uint16_t;

namespace vk {
constexpr TVirtualKey Back = 0x08, Tab = 0x09, Return = 0x0D, Shift = 0x10, Control = 0x11,
                      Menu = 0x12, Escape = 0x1B, Space = 0x20, Prior = 0x21, Next = 0x22,
                      End = 0x23, Home = 0x24, Left = 0x25, Up = 0x26, Right = 0x27, Down = 0x28,
                      Insert = 0x2D, Delete = 0x2E, F1 = 0x70;
constexpr TVirtualKey Digit(int d) { return static_cast<TVirtualKey>(0x30 + d); }
constexpr TVirtualKey Letter(char upper) { return static_cast<TVirtualKey>(upper); }
}  // namespace vk

enum TShiftFlag : std::uint8_t { ssShift = 1, ssAlt = 2, ssCtrl = 4 };
using TShiftState = std::uint8_t;

// A key and its modifiers in one 16-bit value, as menus store short-cuts; 0 is none.
using TShortCut = std::uint16_t;
constexpr TShortCut scShift = 0x2000, scCtrl = 0x4000, scAlt = 0x8000;
TShortCut MakeShortCut(TVirtualKey key, TShiftState shift);
void SplitShortCut(TShortCut shortCut, TVirtualKey& key, TShiftState& shift);

class EEditKeyError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// One assignment; change its keys through TEditKeyStrokes so that pairs stay unique.
class TEditKeyStroke {
public:
    TEditorCommand Command = ecNone;
    TVirtualKey Key = 0;
    TShiftState Shift = 0;
    TVirtualKey Key2 = 0;
    TShiftState Shift2 = 0;

    TShortCut ShortCut() const { return MakeShortCut(Key, Shift); }
    TShortCut ShortCut2() const { return MakeShortCut(Key2, Shift2); }
};

class TEditKeyStrokes {
public:
    TEditKeyStrokes() { LoadDefaultKeys(); }

    void LoadDefaultKeys();
    void Clear() { items_.clear(); }
    void AppendKey(TEditorCommand command, TVirtualKey key, TShiftState shift);

    int Count() const { return static_cast<int>(items_.size()); }
    const TEditKeyStroke& Item(int index) const { return items_.at(index); }

    int FindKey(TVirtualKey key, TShiftState shift) const;
    int FindKeySequence(TVirtualKey key, TShiftState shift, TVirtualKey key2, TShiftState shift2) const;
    int FindShortCutPair(TShortCut shortCut, TShortCut shortCut2) const;

    // Throw EEditKeyError "Shortcut already exists" when another item has the resulting pair;
    // the item then keeps its old keys.
    void SetShortCut(int index, TShortCut shortCut);
    void SetShortCut2(int index, TShortCut shortCut2);
    void SetCommand(int index, TEditorCommand command) { items_.at(index).Command = command; }

private:
    void CheckUnique(int index, TShortCut shortCut, TShortCut shortCut2) const;

    std::vector<TEditKeyStroke> items_;
};

// Looks key presses up in a keystroke list, remembering a possible first key of a two-key
// sequence between presses. One per editor.
class TKeyTranslator {
public:
    // The command the key runs, or ecNone.
    TEditorCommand Translate(const TEditKeyStrokes& keys, TVirtualKey key, TShiftState shift);
    bool HasRememberedKey() const { return rememberedKey_ != 0; }
    TVirtualKey RememberedKey() const { return rememberedKey_; }
    TShiftState RememberedShift() const { return rememberedShift_; }

private:
    TVirtualKey rememberedKey_ = 0;
    TShiftState rememberedShift_ = 0;
};
