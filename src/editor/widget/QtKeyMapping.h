#pragma once
// Turns toolkit key events into the virtual-key codes and modifier sets of the keystroke list.

#include "editor/control/KeyStrokes.h"

#include <Qt>

struct TMappedKey {
    TVirtualKey Key = 0;  // 0: a key the keystroke list cannot name
    TShiftState Shift = 0;
};

// How the platform numbers physical keys in QKeyEvent::nativeScanCode().
enum class TScanCodes { Unknown, Xkb };

// qtKey and modifiers as a QKeyEvent reports them. A virtual-key code names the key rather than the
// character: the keys of the main row's digits are found by their xkb key codes where the platform
// has them (any layout), else shifted symbols map back to the digit of a US layout ("%" for
// Shift+5).
TMappedKey MapQtKey(int qtKey, Qt::KeyboardModifiers modifiers, quint32 scanCode = 0,
                    TScanCodes scanCodes = TScanCodes::Unknown);
// The numbering of the running platform.
TScanCodes PlatformScanCodes();
