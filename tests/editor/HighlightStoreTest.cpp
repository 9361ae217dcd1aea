// The per-line end states: lazy rescans give what a full scan gives, scan only what is needed,
// and the painter's token walk.
#include "editor/control/EditTransaction.h"
#include "editor/control/EditorModel.h"
#include "highlight/CustomHighlighter.h"
#include "highlight/HtmlHighlighter.h"

#include <gtest/gtest.h>

#include <random>

namespace {

// A small scripted language: "<!--" opens and "-->" closes a comment, "(" and ")" nest (depth
// modulo 4); state = comment * 4 + depth. Tokens are runs of one character class.
class TNestingHighlighter : public TCustomHighlighter {
public:
    TNestingHighlighter() : attribute_("Plain") { AddAttribute(&attribute_); }
    THighlighterAttributes* DefaultAttribute(int) const override { return nullptr; }
    const std::bitset<256>& WordChars() const override { return words_; }
    std::string LanguageName() const override { return "Nesting"; }
    bool AtLineEnd() const override { return start_ >= line_.size(); }
    int GetState() const override { return state_; }
    std::string TokenText() const override { return std::string(line_.substr(start_, pos_ - start_)); }
    THighlighterAttributes* TokenAttribute() const override { return AtLineEnd() ? nullptr : &attribute_; }
    int TokenKind() const override { return 0; }
    int TokenStart() const override { return static_cast<int>(start_); }
    void StartLine(std::string_view line, int) override
    {
        line_ = line;
        pos_ = 0;
        NextToken();
    }
    void NextToken() override
    {
        start_ = pos_;
        if (pos_ >= line_.size()) return;
        const std::string_view rest = line_.substr(pos_);
        if (state_ >= 4) {
            if (rest.starts_with("-->")) {
                state_ -= 4;
                pos_ += 3;
            } else {
                ++pos_;
            }
        } else if (rest.starts_with("<!--")) {
            state_ += 4;
            pos_ += 4;
        } else {
            const char c = line_[pos_++];
            if (c == '(') state_ = (state_ & 4) | ((state_ + 1) & 3);
            if (c == ')') state_ = (state_ & 4) | ((state_ + 3) & 3);
        }
    }
    void SetState(int state) override { state_ = state; }
    void ResetState() override { state_ = 0; }
    void ChangeColour() { attribute_.SetForeground(0xFF0000); }

private:
    mutable THighlighterAttributes attribute_;
    std::bitset<256> words_;
    std::string_view line_;
    std::size_t pos_ = 0, start_ = 0;
    int state_ = 0;
};

std::vector<int> FullScan(TCustomHighlighter& highlighter, const TEditorModel& model)
{
    std::vector<int> states;
    highlighter.ResetState();
    for (int line = 0; line < model.Document().LineCount(); ++line) {
        highlighter.StartLine(model.Document().LineBytes(line), line);
        highlighter.ScanToLineEnd();
        states.push_back(highlighter.GetState());
    }
    return states;
}

std::vector<int> StoredStates(TEditorModel& model)
{
    std::vector<int> states;
    for (int line = 0; line < model.Document().LineCount(); ++line) states.push_back(model.Document().Highlight().EndState(line));
    return states;
}

TEST(HighlightStore, LazyStatesEqualAFullScanOverRandomEdits)
{
    std::mt19937 random(11);
    const std::u32string pieces[] = {U"<!--", U"-->", U"(", U")", U"x", U"\r\n", U"(\r\n<!--\r\n", U"-->)\r\n", U""};
    TEditorModel model;
    TNestingHighlighter highlighter;
    model.SetText("a(b\n<!-- c\nd --> (e\nf)\n)\ng\n");
    model.SetHighlighter(&highlighter);
    for (int round = 0; round < 400; ++round) {
        const auto pick = [&] {
            const int line = static_cast<int>(random() % model.Document().LineCount());
            return TTextPosition{line, static_cast<int>(random() % (model.Document().LineLength(line) + 1))};
        };
        model.SetSelection(pick(), random() % 3 == 0 ? pick() : model.Caret());
        if (random() % 5 == 0) model.ExecuteCommand(ecDeleteLine);
        else model.ReplaceSelection(pieces[random() % std::size(pieces)]);
        if (random() % 4 == 0) model.Undo();
        // Ask for some line now and then, as painting would.
        if (random() % 3 == 0) {
            const int line = static_cast<int>(random() % model.Document().LineCount());
            ASSERT_EQ(model.Document().Highlight().EndState(line), FullScan(highlighter, model)[static_cast<std::size_t>(line)])
                << "round " << round;
        }
    }
    EXPECT_EQ(StoredStates(model), FullScan(highlighter, model));
    model.SetHighlighter(nullptr);
}

TEST(HighlightStore, TypingAtTheTopOfALongPageScansOnlyWhatIsShown)
{
    std::string page;
    for (int i = 0; i < 100000; ++i) page += "<p>line (" + std::to_string(i) + ")</p>\n";
    TEditorModel model;
    TNestingHighlighter highlighter;
    model.LoadBytes(page);
    model.SetHighlighter(&highlighter);
    EXPECT_EQ(model.Document().Highlight().ValidUpTo(), 0);  // attaching scans nothing yet
    for (int line = 0; line < 40; ++line) model.Document().Highlight().EndState(line);
    EXPECT_LE(model.Document().Highlight().ScannedLines(), 40);
    model.Document().Highlight().EndState(99999);  // once scrolled to the end, every line has a state
    const std::int64_t afterFirstPaint = model.Document().Highlight().ScannedLines();

    model.SetCaret({0, 0});
    for (const char32_t ch : std::u32string(U"<!--")) model.ExecuteCommand(ecChar, {.Char = ch});
    for (int line = 0; line < 40; ++line) model.Document().Highlight().EndState(line);
    EXPECT_LE(model.Document().Highlight().ScannedLines() - afterFirstPaint, 4 * 40);
    EXPECT_EQ(model.Document().Highlight().EndState(39), 4);  // everything below is comment now

    // Closing the comment again: the states agree at once below the edit.
    model.ExecuteCommand(ecLineEnd);
    for (const char32_t ch : std::u32string(U"-->")) model.ExecuteCommand(ecChar, {.Char = ch});
    const std::int64_t before = model.Document().Highlight().ScannedLines();
    EXPECT_EQ(model.Document().Highlight().EndState(99999), 0);
    EXPECT_LE(model.Document().Highlight().ScannedLines() - before, 100);  // no rescan of the 100000 lines
    model.SetHighlighter(nullptr);
}

TEST(HighlightStore, LineBelowInsertedLinesIsRescanned)
{
    TTextBuffer buffer;
    buffer.LoadBytes("(\nx");
    THighlightStore store(buffer);
    TNestingHighlighter highlighter;
    store.SetHighlighter(&highlighter);
    EXPECT_EQ(store.EndState(1), 1);
    buffer.InsertLines(1, {")"});  // whole lines, no split: "x" itself is unchanged
    EXPECT_EQ(store.EndState(1), 0);
    EXPECT_EQ(store.EndState(2), 0);
    store.SetHighlighter(nullptr);
}

TEST(HighlightStore, AttributeChangeAsksForAWholeScanAndARepaint)
{
    TEditorModel model;
    TNestingHighlighter highlighter;
    model.SetText("(\n(\n(");
    model.SetHighlighter(&highlighter);
    int repaints = 0;
    model.Document().Highlight().OnRepaint = [&] { ++repaints; };
    EXPECT_EQ(model.Document().Highlight().EndState(2), 3);
    EXPECT_EQ(model.Document().Highlight().ValidUpTo(), 3);
    highlighter.ChangeColour();
    EXPECT_EQ(repaints, 1);
    EXPECT_EQ(model.Document().Highlight().ValidUpTo(), 0);
    model.SetHighlighter(nullptr);
    highlighter.ChangeColour();  // detached: no longer heard
    EXPECT_EQ(repaints, 1);
}

// A view repaints everything on a restyle, which reaches it in the model's one notice; only an
// action's notice asks it to show the caret.
TEST(HighlightStore, RestylesComeInTheModelsNotice)
{
    const struct {
        const char* Name;
        std::function<void(TEditorModel&, TNestingHighlighter&)> Body;  // the highlighter attached first
        int Notices;
        bool Restyled, ActionEnded;
    } cases[] = {
        {"attribute_change", [](TEditorModel&, TNestingHighlighter& h) { h.ChangeColour(); }, 1, true, false},
        {"detach", [](TEditorModel& m, TNestingHighlighter&) { m.SetHighlighter(nullptr); }, 1, true, false},
        {"inside_an_action",
         [](TEditorModel& m, TNestingHighlighter& h) {
             TEditTransaction transaction(m, TTransactionScope::NoticeOnly);
             h.ChangeColour();
             m.SetCaret({0, 1});
         },
         1, true, true},
        {"action_alone", [](TEditorModel& m, TNestingHighlighter&) { m.SetCaret({0, 1}); }, 1, false, true},
    };
    for (const auto& c : cases) {
        TNestingHighlighter highlighter;
        TEditorModel model;
        model.SetText("(\n(");
        model.SetHighlighter(&highlighter);
        std::vector<TEditorChange> notices;
        model.OnChanged = [&](const TEditorChange& change) { notices.push_back(change); };
        c.Body(model, highlighter);
        ASSERT_EQ(static_cast<int>(notices.size()), c.Notices) << c.Name;
        EXPECT_EQ(notices.back().Restyled, c.Restyled) << c.Name;
        EXPECT_EQ(notices.back().ActionEnded, c.ActionEnded) << c.Name;
        model.SetHighlighter(nullptr);
    }
}

// Gives the tokens of a script of token lengths; 0 is an empty token.
class TScriptedTokens : public TNestingHighlighter {
public:
    explicit TScriptedTokens(std::vector<int> lengths) : lengths_(std::move(lengths)) {}
    bool AtLineEnd() const override { return next_ > lengths_.size(); }
    int TokenStart() const override { return start_; }
    THighlighterAttributes* TokenAttribute() const override { return nullptr; }
    void StartLine(std::string_view, int) override
    {
        next_ = 0;
        start_ = 0;
        end_ = 0;
        NextToken();
    }
    void NextToken() override
    {
        start_ = end_;
        if (next_ < lengths_.size()) end_ += lengths_[next_];
        ++next_;
    }

private:
    std::vector<int> lengths_;
    std::size_t next_ = 0;
    int start_ = 0, end_ = 0;
};

TEST(LineTokenWalk, TokensAndTheInfiniteLoopError)
{
    const struct {
        std::vector<int> Lengths;
        std::vector<std::pair<int, int>> Tokens;  // start, length
        bool Fails;
    } cases[] = {
        {{3, 2, 1}, {{0, 3}, {3, 2}, {5, 1}}, false},
        {{3, 0, 2}, {{0, 3}, {3, 2}}, false},  // a single empty token is accepted
        {{0, 4}, {{0, 4}}, false},
        {{2, 0, 0, 1}, {{0, 2}}, true},
        {{}, {}, false},
    };
    for (const auto& c : cases) {
        TScriptedTokens highlighter(c.Lengths);
        std::vector<std::pair<int, int>> tokens;
        const auto walk = [&] {
            WalkLineTokens(highlighter, "0123456789", 0, [&](const TLineToken& t) { tokens.emplace_back(t.Start, t.Length); });
        };
        if (c.Fails) {
            try {
                walk();
                ADD_FAILURE() << "no error";
            } catch (const EHighlighterError& error) {
                EXPECT_STREQ(error.what(), "The highlighter seems to be in an infinite loop");
            }
        } else {
            walk();
        }
        EXPECT_EQ(tokens, c.Tokens);
    }
}

int Html(THtmlState state) { return static_cast<int>(state); }

// Multi-line constructs of the HTML highlighter through inserted and deleted lines.
TEST(HighlightStoreWithHtml, MultiLineConstructsFollowEdits)
{
    TEditorModel model;
    THtmlHighlighter highlighter;
    model.SetText("<p>start</p>\n<a href=\"x\"\ntitle='t'>\ntext\n");
    model.SetHighlighter(&highlighter);
    const auto expectStates = [&](const char* step, std::vector<int> expected) {
        EXPECT_EQ(StoredStates(model), expected) << step;
        EXPECT_EQ(StoredStates(model), FullScan(highlighter, model)) << step;
    };
    expectStates("tag continuing on the next line",
                 {Html(THtmlState::TextState), Html(THtmlState::TagState), Html(THtmlState::TextState),
                  Html(THtmlState::TextState)});

    model.SetCaret({0, 0});
    model.ReplaceSelection(U"<!-- open\r\n");
    expectStates("comment opened above",
                 {Html(THtmlState::CommentState), Html(THtmlState::CommentState), Html(THtmlState::CommentState),
                  Html(THtmlState::CommentState), Html(THtmlState::CommentState)});

    model.SetCaret({2, 0});
    model.ReplaceSelection(U"-->\r\n<i title=\"two\r\nlines\">\r\n");
    expectStates("comment closed, a quoted value over two lines",
                 {Html(THtmlState::CommentState), Html(THtmlState::CommentState), Html(THtmlState::TextState),
                  Html(THtmlState::DoubleQuotedState), Html(THtmlState::TextState), Html(THtmlState::TagState),
                  Html(THtmlState::TextState), Html(THtmlState::TextState)});

    model.SetCaret({3, 0});
    model.ExecuteCommand(ecDeleteLine);  // the line that opened the quoted value
    model.ExecuteCommand(ecDeleteLine);
    expectStates("lines deleted", FullScan(highlighter, model));
    model.SetCaret({0, 0});
    model.ExecuteCommand(ecDeleteLine);
    model.ExecuteCommand(ecDeleteLine);
    EXPECT_EQ(model.Document().Highlight().EndState(0), Html(THtmlState::TextState));
    expectStates("comment lines deleted", FullScan(highlighter, model));
    model.SetHighlighter(nullptr);
}

TEST(HighlightStoreWithHtml, PainterTokensOfALineInsideAComment)
{
    TEditorModel model;
    THtmlHighlighter highlighter;
    model.SetText("<!-- a\r\nb --> <b>x</b>");
    model.SetHighlighter(&highlighter);
    std::vector<std::string> tokens;
    model.Document().Highlight().WalkTokens(1, [&](const TLineToken& t) {
        tokens.emplace_back(model.Document().LineBytes(1).substr(static_cast<std::size_t>(t.Start), static_cast<std::size_t>(t.Length)));
    });
    ASSERT_FALSE(tokens.empty());
    EXPECT_EQ(tokens.front(), "b -->");
    std::string joined;
    for (const auto& t : tokens) joined += t;
    EXPECT_EQ(joined, "b --> <b>x</b>");
    model.SetHighlighter(nullptr);
}

}  // namespace

// A page of many lines has its states computed on other cores after loading, from the top and from
// the middle; whatever the editor does first, and whatever state the middle line starts in, the
// states it ends with are those of a scan on one thread.
TEST(HighlightStoreWithHtml, StatesOfALargePageEqualAFullScanWhateverComesFirst)
{
    const char* const lines[] = {"<!-- a", "b -->", "<p class=\"x", "y\">t &amp;", "", "<a href=", "z>"};
    const char* const breaks[] = {"\r\n", "\n", "\r", "\r\n"};
    const int lineCount = TBackgroundStateScan::kMinLines + 5000;
    // A comment from the first quarter of the page to its last, or to its end.
    const auto commented = [&](const char* closer) {
        std::string page;
        for (int i = 0; i < lineCount; ++i)
            page.append(i == lineCount / 4 ? "<!--" : i == lineCount * 3 / 4 ? closer : "<b>t</b>").append("\n");
        return page;
    };
    std::string mixed;
    for (int i = 0; i < lineCount; ++i) mixed.append(lines[i % std::size(lines)]).append(breaks[i % std::size(breaks)]);
    enum class TFirst { EndAtOnce, EditAtOnce, IdleSlices, ReplacedText };
    for (const std::string& page : {mixed, commented("-->"), commented("")})
    for (const TFirst first : {TFirst::EndAtOnce, TFirst::EditAtOnce, TFirst::IdleSlices, TFirst::ReplacedText}) {
        TEditorModel model;
        THtmlHighlighter highlighter;
        model.SetHighlighter(&highlighter);
        if (first == TFirst::ReplacedText) model.SetText(page);
        else model.LoadBytes(page);
        THighlightStore& store = model.Document().Highlight();
        if (first == TFirst::EditAtOnce) {
            store.EndState(3);
            model.SetCaret({2, 0});
            model.ReplaceSelection(U"<!--");
        }
        if (first == TFirst::IdleSlices) {
            while (store.ScanAhead(1 << 16)) {}
        }
        store.EndState(model.Document().LineCount() - 1);
        THtmlHighlighter reference;
        EXPECT_EQ(StoredStates(model), FullScan(reference, model)) << static_cast<int>(first) << " " << page.substr(0, 20);
        model.SetHighlighter(nullptr);
    }
}
