#pragma once
// The mark-up of frames: the frame set with the caret on its empty middle line, and the frame.
// Empty strings stand for empty fields and for no choice.

#include "markup/InsertionRules.h"

#include <string>

inline constexpr const char* kScrollingItems[] = {"Yes", "No", "Auto"};

TMarkup FrameSetMarkup(const std::u32string& rows, const std::u32string& columns, const std::u32string& border);

struct TFrameFields {
    std::u32string Name;
    std::u32string FileName;
    std::u32string BorderWidth;  // written as frameborder
    std::u32string MarginWidth;
    std::u32string MarginHeight;
    std::u32string Scrolling;
};
TMarkup FrameMarkup(const TFrameFields& fields);
