#pragma once
// The editor control's properties and the values a new editor starts with. Colours are 0xRRGGBB;
// the platform colours are named by role because the widget resolves them.

#include <bitset>
#include <cstdint>
#include <optional>
#include <string>

enum TEditorOption {
    eoAltSetsColumnMode,
    eoAutoIndent,
    eoAutoSizeMaxScrollWidth,
    eoDisableScrollArrows,
    eoDragDropEditing,
    eoDropFiles,
    eoEnhanceHomeKey,
    eoEnhanceEndKey,
    eoGroupUndo,
    eoHalfPageScroll,
    eoHideShowScrollbars,
    eoKeepCaretX,
    eoNoCaret,
    eoNoSelection,
    eoRightMouseMovesCursor,
    eoScrollByOneLess,
    eoScrollHintFollows,
    eoScrollPastEof,
    eoScrollPastEol,
    eoShowScrollHint,
    eoShowSpecialChars,
    eoSmartTabDelete,
    eoSmartTabs,
    eoSpecialLineDefaultFg,
    eoTabIndent,
    eoTabsToSpaces,
    eoTrimTrailingSpaces,
    eoOptionCount
};

class TEditorOptions {
public:
    TEditorOptions() = default;
    TEditorOptions(std::initializer_list<TEditorOption> on) { for (auto o : on) bits_.set(o); }
    bool Has(TEditorOption o) const { return bits_.test(o); }
    void Include(TEditorOption o) { bits_.set(o); }
    void Exclude(TEditorOption o) { bits_.reset(o); }
    int Count() const { return static_cast<int>(bits_.count()); }
    friend bool operator==(const TEditorOptions&, const TEditorOptions&) = default;

private:
    std::bitset<eoOptionCount> bits_;
};

enum TCaretType { ctVerticalLine, ctHorizontalLine, ctHalfBlock, ctBlock };
enum TSelectionMode { smNormal, smColumn, smLine };
enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };
enum TScrollHintFormat { shfTopLineOnly, shfTopToBottom };
enum TBorderStyle { bsNone, bsSingle };
enum TGutterBorderStyle { gbsNone, gbsMiddle, gbsRight };

// A colour given either as a value or by the platform's role for it.
enum class TPlatformColor { None, WindowText, Window, ButtonFace, ToolTipBackground, Value };
struct TEditorColor {
    TPlatformColor Role = TPlatformColor::None;
    std::uint32_t Rgb = 0;  // used when Role is Value
    friend bool operator==(const TEditorColor&, const TEditorColor&) = default;
};
constexpr TEditorColor RoleColor(TPlatformColor role) { return {role, 0}; }
constexpr TEditorColor RgbColorValue(std::uint32_t rgb) { return {TPlatformColor::Value, rgb}; }

struct TEditorFont {
    std::string Name = "Courier New";
    // Exactly one of the two sizes is used: pixels when set, else points.
    std::optional<int> PixelHeight;
    int PointSize = 10;
    TEditorColor Color = RoleColor(TPlatformColor::WindowText);
};

struct TGutterSettings {
    bool Visible = true;
    int Width = 30;
    int LeftOffset = 16;
    int RightOffset = 2;
    int DigitCount = 4;
    bool ShowLineNumbers = false;
    int LineNumberStart = 1;
    bool ZeroStart = false;
    bool LeadingZeros = false;
    bool UseFontStyle = true;
    TEditorFont Font{"Courier New", std::nullopt, 8, RoleColor(TPlatformColor::WindowText)};
    TEditorColor Color = RoleColor(TPlatformColor::ButtonFace);
    TGutterBorderStyle BorderStyle = gbsMiddle;
    TEditorColor BorderColor = RoleColor(TPlatformColor::Window);
    bool Gradient = false;
    int GradientSteps = 48;
};

struct EditorSettings {
    TEditorFont Font;
    TEditorColor Color = RoleColor(TPlatformColor::Window);
    bool InsertMode = true;
    TCaretType InsertCaret = ctVerticalLine;
    TCaretType OverwriteCaret = ctBlock;
    TSelectionMode SelectionMode = smNormal;
    int TabWidth = 8;
    // Columns that block indent and unindent move lines by.
    int BlockIndent = 2;
    bool WantTabs = false;
    bool WantReturns = true;
    int RightEdge = 80;
    TEditorColor RightEdgeColor = RgbColorValue(0xC0C0C0);
    TEditorColor ActiveLineColor;  // none: the caret line is not highlighted
    TScrollStyle ScrollBars = ssBoth;
    int MaxScrollWidth = 1024;
    TScrollHintFormat ScrollHintFormat = shfTopLineOnly;
    TEditorColor ScrollHintColor = RoleColor(TPlatformColor::ToolTipBackground);
    TBorderStyle BorderStyle = bsSingle;
    int MaxUndo = 1024;
    TEditorOptions Options{eoAutoIndent, eoDragDropEditing, eoEnhanceEndKey, eoGroupUndo, eoScrollPastEol,
                           eoShowScrollHint, eoSmartTabDelete, eoSmartTabs, eoTabsToSpaces};
    TGutterSettings Gutter;
};
