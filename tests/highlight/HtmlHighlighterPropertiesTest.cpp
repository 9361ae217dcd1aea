// The fixed properties: attributes, default attributes, word characters, names, tables.

#include "HighlighterTestSupport.h"
#include "highlight/HtmlCharRefs.h"
#include "highlight/HtmlTagNames.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <set>

namespace {

struct TAttributeRow {
    const char* name;
    FontStyles style;
    std::optional<RgbColor> foreground;
};

TEST(HtmlHighlighterAttributes, RegisteredInOrderWithTheirLooks)
{
    const TAttributeRow expected[] = {
        {"Comment", 0, std::nullopt},
        {"Identifier", fsBold, std::nullopt},
        {"Reserved Word", fsBold, 0x8000FF},
        {"Space", 0, std::nullopt},
        {"Symbol", fsBold, std::nullopt},
        {"Text", 0, std::nullopt},
        {"Unknown Word", fsBold, 0xFF0000},
        {"Value", 0, 0x0080FF},
        {"Escape Ampersand", fsBold, 0x00FF00},
    };
    THtmlHighlighter highlighter;
    ASSERT_EQ(highlighter.AttrCount(), 9);
    for (int i = 0; i < 9; ++i) {
        const THighlighterAttributes* attribute = highlighter.Attribute(i);
        EXPECT_EQ(attribute->Name(), expected[i].name);
        EXPECT_EQ(attribute->Style(), expected[i].style) << expected[i].name;
        EXPECT_EQ(attribute->Foreground(), expected[i].foreground) << expected[i].name;
        EXPECT_EQ(attribute->Background(), std::nullopt) << expected[i].name;
    }
    EXPECT_EQ(&highlighter.CommentAttri(), highlighter.Attribute(0));
    EXPECT_EQ(&highlighter.AndAttri(), highlighter.Attribute(8));
}

TEST(HtmlHighlighterAttributes, DefaultAttributeByIndex)
{
    THtmlHighlighter h;
    const std::pair<int, THighlighterAttributes*> expected[] = {
        {0, &h.CommentAttri()}, {1, &h.IdentifierAttri()}, {2, &h.KeyAttri()}, {3, nullptr},
        {4, &h.SpaceAttri()},   {5, &h.SymbolAttri()},     {6, nullptr},       {-1, nullptr},
    };
    for (const auto& [index, attribute] : expected)
        EXPECT_EQ(h.DefaultAttribute(index), attribute) << index;
}

TEST(HtmlHighlighterAttributes, EachKindHasItsAttribute)
{
    THtmlHighlighter h;
    const std::pair<const char*, THighlighterAttributes*> expected[] = {
        {"&amp;", &h.AndAttri()},     {"<!--", &h.CommentAttri()}, {"<p x", &h.IdentifierAttri()},
        {"<p", &h.KeyAttri()},        {"\t", &h.SpaceAttri()},     {"<", &h.SymbolAttri()},
        {"t", &h.TextAttri()},        {"<q1", &h.UndefKeyAttri()}, {"<p a=b", &h.ValueAttri()},
    };
    for (const auto& [line, attribute] : expected) {
        h.ResetState();
        h.StartLine(line, 0);
        const THighlighterAttributes* last = nullptr;
        for (; !h.AtLineEnd(); h.NextToken())
            last = h.TokenAttribute();
        EXPECT_EQ(last, attribute) << line;
    }
}

TEST(HtmlHighlighterAttributes, ChangesReachListenersUntilRemoved)
{
    THtmlHighlighter h;
    int heard = 0;
    const int id = h.AddChangeListener([&] { ++heard; });
    h.KeyAttri().SetForeground(0x123456);
    h.TextAttri().SetStyle(fsItalic);
    h.AndAttri().SetBackground(std::nullopt);
    EXPECT_EQ(heard, 3);
    h.RemoveChangeListener(id);
    h.KeyAttri().SetStyle(0);
    EXPECT_EQ(heard, 3);
}

TEST(HtmlHighlighterProperties, NamesAndFilter)
{
    THtmlHighlighter h;
    EXPECT_EQ(h.LanguageName(), "HTML");
    EXPECT_EQ(h.DefaultFilter(), "HTML Documents (*.htm;*.html)|*.htm;*.html");
    EXPECT_EQ(h.GetState(), static_cast<int>(THtmlState::TextState));
}

TEST(HtmlHighlighterProperties, WordCharacters)
{
    THtmlHighlighter h;
    const std::bitset<256>& chars = h.WordChars();
    for (const int c : std::initializer_list<int>{'0', '9', 'A', 'Z', 'a', 'z', '_', 192, 214, 216, 246, 248, 255})
        EXPECT_TRUE(chars.test(c)) << c;
    for (const int c : std::initializer_list<int>{0, ' ', '-', '/', '@', '[', '`', '{', 127, 128, 191, 215, 247})
        EXPECT_FALSE(chars.test(c)) << c;
    EXPECT_EQ(chars.count(), 10u + 52u + 1u + 23u + 31u + 8u);
}

TEST(HtmlHighlighterTables, TagNameBuckets)
{
    THtmlHighlighter h;
    int names = 0, closing = 0, filled = 0;
    std::set<std::string> seen;
    for (int value = 0; value <= kLargestTagNameValue; ++value) {
        const auto bucket = h.RecognisedNamesOfValue(value);
        EXPECT_LE(bucket.size(), 4u) << value;
        filled += bucket.empty() ? 0 : 1;
        for (const auto& name : bucket) {
            EXPECT_EQ(TagNameValue(name), static_cast<std::uint64_t>(value)) << name;
            EXPECT_TRUE(seen.insert(name).second) << name;
            ++names;
            closing += name.starts_with('/') ? 1 : 0;
        }
    }
    EXPECT_EQ(names, 202);
    EXPECT_EQ(closing, 91);
    EXPECT_EQ(filled, 137);
    EXPECT_EQ(h.RecognisedNamesOfValue(250), std::vector<std::string>{"/OPTGROUP"});
}

std::string Scrambled(std::string_view name, int variant)
{
    std::string out(name);
    for (std::size_t i = 0; i < out.size(); ++i)
        if (variant == 1 || (variant == 2 && i % 2 == 0))
            out[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(out[i])));
    return out;
}

TEST(HtmlHighlighterTables, EveryNameIsAKeyInAnyCase)
{
    THtmlHighlighter h;
    int closingForms = 0;
    for (const auto& [name, hasClosingForm] : kRecognisedTagNames) {
        for (int variant = 0; variant < 3; ++variant) {
            const std::string spelt = Scrambled(name, variant);
            EXPECT_EQ(ScanLine(h, "<" + spelt + ">", THtmlState::TextState).tokens.at(1),
                      (TToken{spelt, THtmlTokenKind::Key}));
            const TToken closing = ScanLine(h, "</" + spelt + ">", THtmlState::TextState).tokens.at(1);
            EXPECT_EQ(closing.text, "/" + spelt);
            EXPECT_EQ(closing.kind == THtmlTokenKind::Key, hasClosingForm) << closing.text;
        }
        closingForms += hasClosingForm ? 1 : 0;
    }
    EXPECT_EQ(closingForms, 91);
}

TEST(HtmlHighlighterTables, NearNamesAreNotKeys)
{
    THtmlHighlighter h;
    for (const char* name : {"AB", "ABB", "ABBRR", "TABL", "TABLES", "H0", "H7", "H11", "DOCTYPE", "!DOCTYPEX",
                             "//P", "/!DOCTYPE", "Pa", "BRR", "XMPP"}) {
        const auto kind = ScanLine(h, std::string("<") + name + ">", THtmlState::TextState).tokens.at(1).kind;
        EXPECT_NE(kind, THtmlTokenKind::Key) << name;
    }
}

TEST(HtmlHighlighterTables, NamedReferences)
{
    EXPECT_EQ(kNamedCharacterReferences.size(), 249u);
    EXPECT_EQ(kNamedCharacterReferences.front(), "&Alpha;");
    EXPECT_EQ(kNamedCharacterReferences[41], "&sigmaf;");
    EXPECT_EQ(kNamedCharacterReferences.back(), "&circ;");
    std::set<std::string_view> unique(kNamedCharacterReferences.begin(), kNamedCharacterReferences.end());
    EXPECT_EQ(unique.size(), 249u);

    THtmlHighlighter h;
    for (std::size_t i = 0; i < kNamedCharacterReferences.size(); ++i) {
        const std::string_view reference = kNamedCharacterReferences[i];
        EXPECT_TRUE(reference.starts_with('&') && reference.ends_with(';')) << reference;
        EXPECT_EQ(FindNamedCharacterReference(std::string("x") + std::string(reference), 1), static_cast<int>(i));
        const auto tokens = ScanLine(h, "a" + std::string(reference) + "b", THtmlState::TextState).tokens;
        EXPECT_EQ(tokens, (std::vector<TToken>{{"a", THtmlTokenKind::Text},
                                               {std::string(reference), THtmlTokenKind::Ampersand},
                                               {"b", THtmlTokenKind::Text}}));
    }
}

}  // namespace
