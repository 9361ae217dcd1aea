#pragma once
// The mark-up of the commands that point at other resources: the link around a text, the image
// and the background sound. Empty strings stand for empty fields and for no choice.

#include "markup/InsertionRules.h"

#include <cstdint>
#include <string>

// The "Target" items in their order; the first writes no target attribute.
enum class TLinkTarget { DefaultWindow, ThisWindow, NewWindow, ParentWindow, TopWindow };
inline constexpr const char* kLinkTargetItems[] = {"Default Window", "This Window", "New Window", "Parent Window",
                                                   "Top Window"};

struct TLinkFields {
    std::u32string Url;
    TLinkTarget Target = TLinkTarget::DefaultWindow;
    std::u32string Title;
    std::u32string Text;
};
TMarkup LinkMarkup(const TLinkFields& fields);

struct TImageFields {
    std::u32string FileName;
    std::u32string Width;
    std::u32string Height;
    std::u32string Alignment;
    std::u32string Title;
    std::u32string Alt;
    std::u32string BorderWidth;
    std::uint32_t BorderColor = 0x000000;
};
TMarkup ImageMarkup(const TImageFields& fields);

TMarkup SoundMarkup(const std::u32string& fileName, const std::u32string& repeatCount);
