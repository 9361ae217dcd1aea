#include "editor/widget/QtKeyMapping.h"

#include <QGuiApplication>

namespace {

constexpr TVirtualKey kNumpad0 = 0x60, kMultiply = 0x6A, kAdd = 0x6B, kSubtract = 0x6D, kDecimal = 0x6E,
                      kDivide = 0x6F, kOem1 = 0xBA, kOemPlus = 0xBB, kOemComma = 0xBC, kOemMinus = 0xBD,
                      kOemPeriod = 0xBE, kOem2 = 0xBF, kOem3 = 0xC0, kOem4 = 0xDB, kOem5 = 0xDC, kOem6 = 0xDD,
                      kOem7 = 0xDE, kPause = 0x13, kCapital = 0x14, kSnapshot = 0x2C, kHelp = 0x2F, kApps = 0x5D,
                      kLeftWin = 0x5B, kNumLock = 0x90, kScroll = 0x91;

TVirtualKey KeypadKey(int qtKey)
{
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) return static_cast<TVirtualKey>(kNumpad0 + (qtKey - Qt::Key_0));
    switch (qtKey) {
    case Qt::Key_Asterisk: return kMultiply;
    case Qt::Key_Plus: return kAdd;
    case Qt::Key_Minus: return kSubtract;
    case Qt::Key_Period:
    case Qt::Key_Comma: return kDecimal;
    case Qt::Key_Slash: return kDivide;
    default: return 0;
    }
}

// Keys of the main keyboard row and punctuation, unshifted and shifted (US layout).
TVirtualKey CharacterKey(int qtKey)
{
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) return static_cast<TVirtualKey>(qtKey);
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) return static_cast<TVirtualKey>(qtKey);
    switch (qtKey) {
    case Qt::Key_ParenRight: return vk::Digit(0);
    case Qt::Key_Exclam: return vk::Digit(1);
    case Qt::Key_At: return vk::Digit(2);
    case Qt::Key_NumberSign: return vk::Digit(3);
    case Qt::Key_Dollar: return vk::Digit(4);
    case Qt::Key_Percent: return vk::Digit(5);
    case Qt::Key_AsciiCircum: return vk::Digit(6);
    case Qt::Key_Ampersand: return vk::Digit(7);
    case Qt::Key_Asterisk: return vk::Digit(8);
    case Qt::Key_ParenLeft: return vk::Digit(9);
    case Qt::Key_Semicolon:
    case Qt::Key_Colon: return kOem1;
    case Qt::Key_Equal:
    case Qt::Key_Plus: return kOemPlus;
    case Qt::Key_Comma:
    case Qt::Key_Less: return kOemComma;
    case Qt::Key_Minus:
    case Qt::Key_Underscore: return kOemMinus;
    case Qt::Key_Period:
    case Qt::Key_Greater: return kOemPeriod;
    case Qt::Key_Slash:
    case Qt::Key_Question: return kOem2;
    case Qt::Key_QuoteLeft:
    case Qt::Key_AsciiTilde: return kOem3;
    case Qt::Key_BracketLeft:
    case Qt::Key_BraceLeft: return kOem4;
    case Qt::Key_Backslash:
    case Qt::Key_Bar: return kOem5;
    case Qt::Key_BracketRight:
    case Qt::Key_BraceRight: return kOem6;
    case Qt::Key_Apostrophe:
    case Qt::Key_QuoteDbl: return kOem7;
    case Qt::Key_Space: return vk::Space;
    default: return 0;
    }
}

TVirtualKey ControlKey(int qtKey)
{
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24) return static_cast<TVirtualKey>(vk::F1 + (qtKey - Qt::Key_F1));
    switch (qtKey) {
    case Qt::Key_Backspace: return vk::Back;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return vk::Tab;
    case Qt::Key_Return:
    case Qt::Key_Enter: return vk::Return;
    case Qt::Key_Shift: return vk::Shift;
    case Qt::Key_Control: return vk::Control;
    case Qt::Key_Alt:
    case Qt::Key_AltGr: return vk::Menu;
    case Qt::Key_Pause: return kPause;
    case Qt::Key_CapsLock: return kCapital;
    case Qt::Key_Escape: return vk::Escape;
    case Qt::Key_PageUp: return vk::Prior;
    case Qt::Key_PageDown: return vk::Next;
    case Qt::Key_End: return vk::End;
    case Qt::Key_Home: return vk::Home;
    case Qt::Key_Left: return vk::Left;
    case Qt::Key_Up: return vk::Up;
    case Qt::Key_Right: return vk::Right;
    case Qt::Key_Down: return vk::Down;
    case Qt::Key_Print: return kSnapshot;
    case Qt::Key_Insert: return vk::Insert;
    case Qt::Key_Delete: return vk::Delete;
    case Qt::Key_Help: return kHelp;
    case Qt::Key_Meta: return kLeftWin;
    case Qt::Key_Menu: return kApps;
    case Qt::Key_NumLock: return kNumLock;
    case Qt::Key_ScrollLock: return kScroll;
    default: return 0;
    }
}

}  // namespace

TScanCodes PlatformScanCodes()
{
    const QString name = QGuiApplication::platformName();
    return name == QLatin1String("xcb") || name.startsWith(QLatin1String("wayland")) ? TScanCodes::Xkb
                                                                                        : TScanCodes::Unknown;
}

TMappedKey MapQtKey(int qtKey, Qt::KeyboardModifiers modifiers, quint32 scanCode, TScanCodes scanCodes)
{
    TMappedKey mapped;
    if (modifiers & Qt::ShiftModifier) mapped.Shift |= ssShift;
    if (modifiers & Qt::ControlModifier) mapped.Shift |= ssCtrl;
    if (modifiers & Qt::AltModifier) mapped.Shift |= ssAlt;
    // Backtab is how the toolkit names Shift+Tab; it may come without the Shift flag.
    if (qtKey == Qt::Key_Backtab) mapped.Shift |= ssShift;

    // xkb key codes 10 to 19 are the main row's 1 to 9 and 0.
    constexpr quint32 kXkbDigitOne = 10, kXkbDigitZero = 19;
    if (scanCodes == TScanCodes::Xkb && !(modifiers & Qt::KeypadModifier) && scanCode >= kXkbDigitOne &&
        scanCode <= kXkbDigitZero)
        mapped.Key = vk::Digit(static_cast<int>(scanCode - kXkbDigitOne + 1) % 10);
    if (mapped.Key == 0 && (modifiers & Qt::KeypadModifier)) mapped.Key = KeypadKey(qtKey);
    if (mapped.Key == 0) mapped.Key = ControlKey(qtKey);
    if (mapped.Key == 0) mapped.Key = CharacterKey(qtKey);
    return mapped;
}
