// What a new editor starts with.
#include "editor/control/EditorModel.h"
#include "editor/control/EditorSettings.h"

#include <gtest/gtest.h>

namespace {

TEST(EditorSettings, OptionsHaveTheNineDefaultsOn)
{
    const EditorSettings settings;
    const TEditorOption on[] = {eoAutoIndent, eoDragDropEditing, eoEnhanceEndKey, eoGroupUndo, eoScrollPastEol,
                                eoShowScrollHint, eoSmartTabDelete, eoSmartTabs, eoTabsToSpaces};
    EXPECT_EQ(eoOptionCount, 27);
    EXPECT_EQ(settings.Options.Count(), 9);
    for (const TEditorOption option : on) EXPECT_TRUE(settings.Options.Has(option)) << option;
    EXPECT_FALSE(settings.Options.Has(eoTrimTrailingSpaces));
    EXPECT_FALSE(settings.Options.Has(eoTabIndent));
    // The order of the set.
    EXPECT_EQ(eoAltSetsColumnMode, 0);
    EXPECT_EQ(eoGroupUndo, 8);
    EXPECT_EQ(eoScrollPastEol, 18);
    EXPECT_EQ(eoTrimTrailingSpaces, 26);
}

TEST(EditorSettings, PropertyDefaults)
{
    const EditorSettings s;
    EXPECT_TRUE(s.InsertMode);
    EXPECT_EQ(s.InsertCaret, ctVerticalLine);
    EXPECT_EQ(s.OverwriteCaret, ctBlock);
    EXPECT_EQ(s.SelectionMode, smNormal);
    EXPECT_EQ(s.TabWidth, 8);
    EXPECT_FALSE(s.WantTabs);
    EXPECT_TRUE(s.WantReturns);
    EXPECT_EQ(s.RightEdge, 80);
    EXPECT_EQ(s.RightEdgeColor, RgbColorValue(0xC0C0C0));
    EXPECT_EQ(s.ActiveLineColor.Role, TPlatformColor::None);
    EXPECT_EQ(s.ScrollBars, ssBoth);
    EXPECT_EQ(s.MaxScrollWidth, 1024);
    EXPECT_EQ(s.ScrollHintFormat, shfTopLineOnly);
    EXPECT_EQ(s.BorderStyle, bsSingle);
    EXPECT_EQ(s.MaxUndo, 1024);
    EXPECT_EQ(s.Font.Name, "Courier New");
    EXPECT_EQ(s.Font.PointSize, 10);

    const TGutterSettings& g = s.Gutter;
    EXPECT_TRUE(g.Visible);
    EXPECT_EQ(g.Width, 30);
    EXPECT_EQ(g.LeftOffset, 16);
    EXPECT_EQ(g.RightOffset, 2);
    EXPECT_EQ(g.DigitCount, 4);
    EXPECT_EQ(g.LineNumberStart, 1);
    EXPECT_FALSE(g.ZeroStart);
    EXPECT_FALSE(g.LeadingZeros);
    EXPECT_TRUE(g.UseFontStyle);
    EXPECT_EQ(g.Font.PointSize, 8);
    EXPECT_EQ(g.Color.Role, TPlatformColor::ButtonFace);
    EXPECT_EQ(g.BorderStyle, gbsMiddle);
    EXPECT_EQ(g.BorderColor.Role, TPlatformColor::Window);
    EXPECT_FALSE(g.Gradient);
    EXPECT_EQ(g.GradientSteps, 48);
}

TEST(EditorSettings, ANewEditorStartsWithTheDefaultKeysAndAnEmptyPage)
{
    TEditorModel model;
    EXPECT_EQ(model.Keystrokes().Count(), 82);
    EXPECT_EQ(model.Document().LineCount(), 1);
    EXPECT_EQ(model.Document().Text(), "");
    EXPECT_EQ(model.Document().Buffer().LineBreak(), TLineBreak::CrLf);
    EXPECT_EQ(model.Document().Encoding(), TDocumentEncoding::Utf8);
    EXPECT_TRUE(model.InsertMode());
}

}  // namespace
