// The Find dialogs, the Replace dialog and the find and replace commands on real document windows,
// offscreen, with the scripted platform answering the questions and recording every message.
#include "ShellFixture.h"
#include "app/DocumentSearch.h"
#include "app/ReplaceU.h"
#include "editor/control/EditorModel.h"
#include "editor/EditorTestText.h"
#include "app/FindDialog.h"

#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace {

const QString kFindWhatEmpty = QStringLiteral("The \"Find what\" must not be empty!");
const QString kReplaceWithEmpty = QStringLiteral("The \"Replace with\" must not be empty!");
const QString kReplaceNext = QStringLiteral("Do You want to replace next?");

class SearchTest : public testing::Test {
protected:
    // A document window of its own, its page written with "|" for the caret and "{" for the anchor.
    TForm2& Page(const std::string& marked)
    {
        auto& page = *pages_.emplace_back(std::make_unique<TForm2>());
        LoadMarked(page.CodeMemo1->Model(), marked);
        return page;
    }

    static std::string Text(TForm2& page) { return Marked(page.CodeMemo1->Model()); }

    // Shows the Replace dialog through the command, fills it and presses one of its buttons.
    void RunReplace(TForm2& page, const QString& find, const QString& replacement, bool up,
                    void (TForm5::*button)(), TForm5* dialog = nullptr)
    {
        TForm5& replace = dialog ? *dialog : replaceDialog;
        desktop.AnswerModal([&](QDialog&) {
            replace.Edit1->setText(find);
            replace.Edit2->setText(replacement);
            (up ? replace.RadioButton1 : replace.RadioButton2)->setChecked(true);
            (replace.*button)();
            return replace.result();
        });
        ReplaceCommand(replace, page);
    }

    ScriptedPlatform desktop;
    TForm5 replaceDialog;

private:
    std::vector<std::unique_ptr<TForm2>> pages_;
};

// --- Find dialogs ----------------------------------------------------------------------------

TEST_F(SearchTest, FindDialogStartsEmptyOffAndDown)
{
    TFindDialog dialog;
    EXPECT_TRUE(dialog.FindText().isEmpty());
    EXPECT_FALSE(dialog.MatchCase());
    EXPECT_FALSE(dialog.WholeWord());
    EXPECT_FALSE(dialog.Backwards());
    EXPECT_FALSE(dialog.FindNextButton->isEnabled());
    dialog.SetFindText(QStringLiteral("x"));
    EXPECT_TRUE(dialog.FindNextButton->isEnabled());
    EXPECT_FALSE(dialog.isModal());
}

TEST_F(SearchTest, FindNextWalksForwardWithoutWrapping)
{
    TForm2& page = Page("|abc x\nabc");
    ShowDocumentFindDialog(page);
    TFindDialog& dialog = *TDocumentSearch::Of(page).FindDialog1;
    ASSERT_EQ(desktop.modelessWindows, std::vector<QWidget*>{&dialog});
    dialog.SetFindText(QStringLiteral("abc"));

    const char* const expected[] = {"{abc| x\nabc", "abc x\n{abc|", "abc x\n{abc|"};
    for (const char* after : expected) {
        dialog.FindNextButton->click();
        EXPECT_EQ(Text(page), after);
        EXPECT_TRUE(dialog.isVisible());
    }
    EXPECT_TRUE(desktop.messages.empty());
    EXPECT_EQ(page.SearchText, QStringLiteral("abc"));
}

TEST_F(SearchTest, FindUpSelectsTheLastThenThePreviousOne)
{
    TForm2& page = Page("abc abc abc|");
    TFindDialog& dialog = *TDocumentSearch::Of(page).FindDialog1;
    dialog.SetFindText(QStringLiteral("abc"));
    dialog.UpButton->setChecked(true);
    dialog.FindNextClick();
    EXPECT_EQ(Text(page), "abc abc |abc{");
    dialog.FindNextClick();
    EXPECT_EQ(Text(page), "abc |abc{ abc");
    EXPECT_TRUE(page.Backwards);
}

TEST_F(SearchTest, FindDialogOptionsReachTheSearch)
{
    const struct {
        const char* name;
        bool matchCase, wholeWord;
        const char* page;
        const char* after;
    } cases[] = {
        {"case_off_finds_upper", false, false, "|ABC abc", "{ABC| abc"},
        {"case_on_skips_upper", true, false, "|ABC abc", "ABC {abc|"},
        {"word_off_finds_inside", false, false, "|xabcx abc", "x{abc|x abc"},
        {"word_on_skips_inside", false, true, "|xabcx abc", "xabcx {abc|"},
        {"underscore_is_part_of_a_word", false, true, "|abc_ abc", "abc_ {abc|"},
    };
    for (const auto& c : cases) {
        TForm2& page = Page(c.page);
        TFindDialog dialog;
        dialog.SetFindText(QStringLiteral("abc"));
        dialog.MatchCaseBox->setChecked(c.matchCase);
        dialog.WholeWordBox->setChecked(c.wholeWord);
        FindDialogFind(dialog, &page);
        EXPECT_EQ(Text(page), c.after) << c.name;
        EXPECT_EQ(page.MatchCase, c.matchCase) << c.name;
        EXPECT_EQ(page.WholeWord, c.wholeWord) << c.name;
    }
}

TEST_F(SearchTest, FindEventWithoutADocumentShowsTheNoDocumentMessage)
{
    TFindDialog dialog;
    dialog.SetFindText(QStringLiteral("abc"));
    FindDialogFind(dialog, nullptr);
    ASSERT_EQ(desktop.messages.size(), 1u);
    EXPECT_EQ(desktop.messages[0].kind, MessageKind::Plain);
    EXPECT_EQ(desktop.messages[0].text,
              QStringLiteral("To execute the command, you must create a new page (\"File\\New\") or open a file "
                             "(\"File\\Open\")!"));
}

// --- Replace dialog --------------------------------------------------------------------------

TEST_F(SearchTest, ReplaceDialogControlsAndTabOrder)
{
    TForm5& dialog = replaceDialog;
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Replace"));
    EXPECT_EQ(TForm5::kHelpContext, 17);
    QStringList labels;
    for (const QLabel* label : dialog.findChildren<QLabel*>())
        labels << label->text();
    EXPECT_EQ(labels, (QStringList{"Find what:", "Replace with:"}));
    EXPECT_EQ(dialog.CheckBox1->text(), QStringLiteral("Match case"));
    EXPECT_EQ(dialog.CheckBox2->text(), QStringLiteral("Find whole words only"));
    EXPECT_EQ(dialog.RadioButton1->text(), QStringLiteral("Up"));
    EXPECT_EQ(dialog.RadioButton2->text(), QStringLiteral("Down"));
    EXPECT_EQ(dialog.Button1->text(), QStringLiteral("Replace"));
    EXPECT_EQ(dialog.Button3->text(), QStringLiteral("Replace All"));
    EXPECT_EQ(dialog.Button2->text(), QStringLiteral("Cancel"));
    EXPECT_TRUE(dialog.Edit1->text().isEmpty());
    EXPECT_TRUE(dialog.Edit2->text().isEmpty());
    EXPECT_FALSE(dialog.CheckBox1->isChecked());
    EXPECT_FALSE(dialog.CheckBox2->isChecked());
    EXPECT_FALSE(dialog.RadioButton1->isChecked());
    EXPECT_TRUE(dialog.RadioButton2->isChecked());

    const QWidget* const order[] = {dialog.Edit1, dialog.Edit2, dialog.CheckBox1, dialog.CheckBox2, dialog.RadioButton1,
                                    dialog.RadioButton2, dialog.Button1, dialog.Button3, dialog.Button2};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i) {
        const QWidget* next = order[i]->nextInFocusChain();
        while (next->focusPolicy() == Qt::NoFocus)
            next = next->nextInFocusChain();
        EXPECT_EQ(next, order[i + 1]) << "after control " << i;
    }

    dialog.show();
    EXPECT_LT(dialog.Button1->y(), dialog.Button3->y());
    EXPECT_LT(dialog.Button3->y(), dialog.Button2->y());
    EXPECT_EQ(dialog.Button1->x(), dialog.Button2->x());
    EXPECT_GT(dialog.Button1->x(), dialog.Edit1->x() + dialog.Edit1->width() - 1);
    EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize());
    dialog.hide();
}

TEST_F(SearchTest, TabIntoTheDirectionLandsOnTheCheckedButton)
{
    TForm5& dialog = replaceDialog;
    dialog.show();
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    const struct {
        QRadioButton* checked;
        QWidget* from;
        Qt::KeyboardModifiers modifiers;
        QWidget* lands;
    } cases[] = {
        {dialog.RadioButton2, dialog.CheckBox2, Qt::NoModifier, dialog.RadioButton2},
        {dialog.RadioButton2, dialog.RadioButton2, Qt::NoModifier, dialog.Button1},
        {dialog.RadioButton2, dialog.Button1, Qt::ShiftModifier, dialog.RadioButton2},
        {dialog.RadioButton1, dialog.CheckBox2, Qt::NoModifier, dialog.RadioButton1},
        {dialog.RadioButton1, dialog.RadioButton1, Qt::NoModifier, dialog.Button1},
        {dialog.RadioButton1, dialog.Button1, Qt::ShiftModifier, dialog.RadioButton1},
        {dialog.RadioButton1, dialog.RadioButton1, Qt::ShiftModifier, dialog.CheckBox2},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const auto& c = cases[i];
        c.checked->setChecked(true);
        c.from->setFocus(Qt::OtherFocusReason);
        QTest::keyClick(c.from, c.modifiers ? Qt::Key_Backtab : Qt::Key_Tab, c.modifiers);
        EXPECT_EQ(QApplication::focusWidget(), c.lands) << "case " << i;
    }
    dialog.RadioButton2->setChecked(true);
    dialog.hide();
}

TEST_F(SearchTest, ReplaceDialogButtonsCheckFieldsAndSetTheOutcome)
{
    const struct {
        const char* name;
        QString find, replacement;
        void (TForm5::*button)();
        std::vector<QString> messages;
        TReplaceOutcome outcome;
        bool closed;
    } cases[] = {
        {"replace_needs_find_what", "", "x", &TForm5::Button1Click, {kFindWhatEmpty}, TReplaceOutcome::None, false},
        {"replace_needs_replace_with", "a", "", &TForm5::Button1Click, {kReplaceWithEmpty}, TReplaceOutcome::None, false},
        {"both_empty_find_what_first", "", "", &TForm5::Button1Click, {kFindWhatEmpty}, TReplaceOutcome::None, false},
        {"replace", "a", "b", &TForm5::Button1Click, {}, TReplaceOutcome::ReplaceOneByOne, true},
        {"all_needs_find_what", "", "x", &TForm5::Button3Click, {kFindWhatEmpty}, TReplaceOutcome::None, false},
        {"all_needs_replace_with", "a", "", &TForm5::Button3Click, {kReplaceWithEmpty}, TReplaceOutcome::None, false},
        {"replace_all", "a", "b", &TForm5::Button3Click, {}, TReplaceOutcome::ReplaceAll, true},
        {"cancel", "a", "b", &TForm5::Button2Click, {}, TReplaceOutcome::None, true},
    };
    for (const auto& c : cases) {
        desktop.ClearRecords();
        replaceDialog.show();
        replaceDialog.Edit1->setText(c.find);
        replaceDialog.Edit2->setText(c.replacement);
        (replaceDialog.*c.button)();
        EXPECT_EQ(desktop.MessageTexts(MessageKind::Plain), c.messages) << c.name;
        EXPECT_EQ(replaceDialog.Outcome, c.outcome) << c.name;
        EXPECT_EQ(!replaceDialog.isVisible(), c.closed) << c.name;
        EXPECT_EQ(replaceDialog.Edit1->text(), c.find) << c.name;  // the values stay
        replaceDialog.hide();
    }
}

TEST_F(SearchTest, ReplaceDialogIgnoresEnterAndEscAndOpensHelpOnF1)
{
    replaceDialog.show();
    replaceDialog.Edit1->setText(QStringLiteral("a"));
    replaceDialog.Edit2->setText(QStringLiteral("b"));
    for (const int key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
        QTest::keyClick(&replaceDialog, static_cast<Qt::Key>(key));
        EXPECT_TRUE(replaceDialog.isVisible()) << key;
        EXPECT_EQ(replaceDialog.Outcome, TReplaceOutcome::None) << key;
    }
    QTest::keyClick(&replaceDialog, Qt::Key_F1);
    EXPECT_EQ(desktop.helpContexts, std::vector<int>{17});
    replaceDialog.hide();
}

// --- Replace command -------------------------------------------------------------------------

TEST_F(SearchTest, ReplaceAllReplacesOnlyInTheChosenDirection)
{
    TForm2& down = Page("abc |abc abc");
    RunReplace(down, "abc", "X", false, &TForm5::Button3Click);
    EXPECT_EQ(Text(down), "abc X X|");

    TForm2& up = Page("abc abc| abc");
    RunReplace(up, "abc", "X", true, &TForm5::Button3Click);
    EXPECT_EQ(Text(up), "|X X abc");
    EXPECT_TRUE(up.Backwards);
    EXPECT_EQ(up.ReplaceText, QStringLiteral("X"));
    EXPECT_TRUE(desktop.messages.empty());
}

TEST_F(SearchTest, ReplaceOneByOneAsksAfterEveryStepUntilNo)
{
    TForm2& page = Page("|ab ab");
    desktop.confirmAnswers = {true, true, false};
    RunReplace(page, "ab", "xyz", false, &TForm5::Button1Click);
    EXPECT_EQ(Text(page), "xyz xyz|");
    ASSERT_EQ(desktop.messages.size(), 3u);  // asked after both replacements and after the empty step
    for (const RecordedMessage& message : desktop.messages) {
        EXPECT_EQ(message.kind, MessageKind::Confirm);
        EXPECT_EQ(message.caption, QStringLiteral("Confirm"));
        EXPECT_EQ(message.text, kReplaceNext);
    }
}

TEST_F(SearchTest, ReplaceOneByOneReplacesTheFirstAtOnceAndNoEndsIt)
{
    TForm2& page = Page("|ab ab");
    desktop.confirmAnswers = {false};
    RunReplace(page, "ab", "c", false, &TForm5::Button1Click);
    EXPECT_EQ(Text(page), "c| ab");
    EXPECT_EQ(desktop.MessageTexts(MessageKind::Confirm), std::vector<QString>{kReplaceNext});
}

// Going up, the search goes on before each replacement, even when the replacement holds the text.
TEST_F(SearchTest, ReplaceOneByOneUpwardsNeverRefindsItsReplacement)
{
    TForm2& page = Page("a a|");
    desktop.confirmAnswers = {true, true, false};
    RunReplace(page, "a", "aa", true, &TForm5::Button1Click);
    EXPECT_EQ(Text(page), "|aa aa");
}

TEST_F(SearchTest, ReplaceOneByOneLeavesAnEarlierSelectionAlone)
{
    TForm2& page = Page("{xyz| abc");
    RunReplace(page, "qqq", "r", false, &TForm5::Button1Click);
    EXPECT_EQ(Text(page), "{xyz| abc");
    EXPECT_EQ(desktop.MessageTexts(MessageKind::Confirm), std::vector<QString>{kReplaceNext});
}

TEST_F(SearchTest, ReplacementThePageCannotHoldEndsInTheErrorBox)
{
    const struct {
        void (TForm5::*button)();
        const char* after;
    } cases[] = {
        {&TForm5::Button3Click, "|\xFF ab"},   // checked before anything changes
        {&TForm5::Button1Click, "\xFF {ab|"},  // the match found, then refused
    };
    for (const auto& c : cases) {
        desktop.ClearRecords();
        TForm2& page = Page("|\xFF ab");  // not UTF-8: a Windows-1252 page
        RunReplace(page, "ab", QString::fromUtf8("\xE4\xB8\xAD"), false, c.button);
        EXPECT_EQ(Text(page), c.after);
        EXPECT_EQ(desktop.MessageTexts(MessageKind::Error),
                  std::vector<QString>{"The character U+4E2D cannot be stored in this page (Windows-1252)"});
        EXPECT_TRUE(desktop.MessageTexts(MessageKind::Confirm).empty());
    }
}

TEST_F(SearchTest, CancelChangesNothingAfterAnEarlierReplacement)
{
    TForm2& page = Page("|ab ab");
    RunReplace(page, "ab", "c", false, &TForm5::Button3Click);
    EXPECT_EQ(Text(page), "c c|");
    RunReplace(page, "c", "d", false, &TForm5::Button2Click);
    EXPECT_EQ(Text(page), "c c|");
    EXPECT_EQ(page.ReplaceText, QStringLiteral("c"));  // the fields are not touched either
}

TEST_F(SearchTest, ReplaceDialogKeepsItsValuesForTheNextPage)
{
    TForm2& first = Page("|ab");
    replaceDialog.CheckBox1->setChecked(true);
    RunReplace(first, "ab", "c", false, &TForm5::Button3Click);
    TForm2& second = Page("|AB ab");
    desktop.AnswerModal([&](QDialog&) {
        EXPECT_EQ(replaceDialog.Edit1->text(), QStringLiteral("ab"));
        EXPECT_EQ(replaceDialog.Edit2->text(), QStringLiteral("c"));
        EXPECT_TRUE(replaceDialog.CheckBox1->isChecked());
        EXPECT_EQ(replaceDialog.Outcome, TReplaceOutcome::None);
        replaceDialog.Button3Click();
        return replaceDialog.result();
    });
    ReplaceCommand(replaceDialog, second);
    EXPECT_EQ(Text(second), "AB c|");
    EXPECT_TRUE(second.MatchCase);
}

// --- the main window's Find dialog -----------------------------------------------------------

class MainFindTest : public ShellTest {};

TEST_F(MainFindTest, MainFindDialogActsOnTheActivePageAndOutlivesTheLastOne)
{
    TFindDialog* dialog = CreateMainFindDialog(*mainWindow);
    TForm2* first = NewPage();
    LoadMarked(first->CodeMemo1->Model(), "|one two");
    TForm2* second = NewPage();
    LoadMarked(second->CodeMemo1->Model(), "|two one");
    dialog->SetFindText(QStringLiteral("one"));

    dialog->FindNextClick();
    EXPECT_EQ(Marked(second->CodeMemo1->Model()), "two {one|");
    first->BringToFront();
    dialog->FindNextClick();
    EXPECT_EQ(Marked(first->CodeMemo1->Model()), "{one| two");
    EXPECT_TRUE(desktop.messages.empty());

    CloseDocument(first);
    CloseDocument(second);
    desktop.ClearRecords();
    dialog->FindNextClick();
    EXPECT_EQ(desktop.MessageTexts(MessageKind::Plain), std::vector<QString>{kNoDocumentMessage});
}

}  // namespace
