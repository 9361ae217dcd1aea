#pragma once
// The mark-up of the form controls: the form with the caret on its empty middle line, the input
// field, the selection list with its options, the text area and the label. Empty strings stand
// for empty fields and for no choice; radio and list choices are written as their captions read.

#include "markup/InsertionRules.h"

#include <string>
#include <vector>

inline constexpr const char* kFormMethods[] = {"Post", "Get", "Link"};
inline constexpr const char* kInputTypes[] = {"Text",   "Password", "Checkbox", "Radio", "Button",
                                              "Submit", "Reset",    "File",     "Image", "Hidden"};

enum class TEnctype { None, UrlEncoded };
TMarkup FormMarkup(const std::u32string& method, const std::u32string& url, TEnctype enctype);

TMarkup InputMarkup(const std::u32string& type, const std::u32string& name, const std::u32string& value);

struct TSelectOption {
    std::u32string Text;
    std::u32string Value;
};
enum class TSelection { Single, Multiple };
struct TSelectListFields {
    std::u32string Name;
    std::u32string Size;
    TSelection Selection = TSelection::Single;
    std::u32string Alignment;
    std::vector<TSelectOption> Options;  // every row, empty ones included
};
TMarkup SelectListMarkup(const TSelectListFields& fields);

struct TTextAreaFields {
    std::u32string Name;
    std::u32string Rows;
    std::u32string Columns;
    std::u32string Text;  // lines joined by CR LF
};
TMarkup TextAreaMarkup(const TTextAreaFields& fields);

TMarkup LabelMarkup(const std::u32string& labelFor, const std::u32string& text);
