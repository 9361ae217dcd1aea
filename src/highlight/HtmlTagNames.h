#pragma once
// The tag names the highlighter recognises. Each also counts in its closing form ("/" + name)
// unless it is an empty element.

#include <array>
#include <cstdint>
#include <string_view>

struct TRecognisedTagName {
    std::string_view name;  // upper case
    bool hasClosingForm;
};

inline constexpr std::array<TRecognisedTagName, 111> kRecognisedTagNames = {{
    {"A", true}, {"ABBR", true}, {"ACRONYM", true}, {"ADDRESS", true}, {"APPLET", true},
    {"AREA", false}, {"B", true}, {"BASE", false}, {"BASEFONT", false}, {"BDO", true},
    {"BGSOUND", false}, {"BIG", true}, {"BLINK", true}, {"BLOCKQUOTE", true}, {"BODY", true},
    {"BR", false}, {"BUTTON", true}, {"CAPTION", true}, {"CENTER", true}, {"CITE", true},
    {"CODE", true}, {"COL", false}, {"COLGROUP", true}, {"COMMENT", true}, {"DD", true},
    {"DEL", true}, {"DFN", true}, {"DIR", true}, {"DIV", true}, {"DL", true},
    {"!DOCTYPE", false}, {"DT", true}, {"EM", true}, {"EMBED", true}, {"FIELDSET", true},
    {"FONT", true}, {"FORM", true}, {"FRAME", false}, {"FRAMESET", true}, {"H1", true},
    {"H2", true}, {"H3", true}, {"H4", true}, {"H5", true}, {"H6", true},
    {"HEAD", true}, {"HR", false}, {"HTML", true}, {"I", true}, {"IFRAME", true},
    {"ILAYER", true}, {"IMG", false}, {"INPUT", false}, {"INS", true}, {"ISINDEX", false},
    {"KBD", true}, {"KEYGEN", false}, {"LABEL", true}, {"LAYER", true}, {"LEGEND", true},
    {"LI", true}, {"LINK", false}, {"LISTING", true}, {"MAP", true}, {"MARQUEE", true},
    {"MENU", true}, {"META", false}, {"MULTICOL", true}, {"NEXTID", false}, {"NOBR", true},
    {"NOEMBED", true}, {"NOFRAMES", true}, {"NOLAYER", true}, {"NOSCRIPT", true}, {"OBJECT", true},
    {"OL", true}, {"OPTGROUP", true}, {"OPTION", true}, {"P", true}, {"PARAM", false},
    {"PLAINTEXT", false}, {"PRE", true}, {"Q", true}, {"S", true}, {"SAMP", true},
    {"SCRIPT", true}, {"SELECT", true}, {"SERVER", true}, {"SMALL", true}, {"SPACER", false},
    {"SPAN", true}, {"STRIKE", true}, {"STRONG", true}, {"STYLE", true}, {"SUB", true},
    {"SUP", true}, {"TABLE", true}, {"TBODY", true}, {"TD", true}, {"TEXTAREA", true},
    {"TFOOT", true}, {"TH", true}, {"THEAD", true}, {"TITLE", true}, {"TR", true},
    {"TT", true}, {"U", true}, {"UL", true}, {"VAR", true}, {"WBR", false},
    {"XMP", true},
}};

// Names with a value above this are never recognised; it is also the last bucket.
inline constexpr int kLargestTagNameValue = 250;

// Sum of the character values of the name's letters, "!" and "/", plus its digits' values.
std::uint64_t TagNameValue(std::string_view name);

// Letter case ignored; `name` upper case as in the table, `candidate` as written.
bool TagNameEquals(std::string_view candidate, std::string_view name, bool closingForm);
