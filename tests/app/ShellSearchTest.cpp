// Edit, Find and Edit, Replace as the user reaches them: through the main window's menu and
// short-cuts, and through a page's context menu.
#include "ShellFixture.h"

#include "app/ReplaceU.h"
#include "app/FindDialog.h"

#include <QCheckBox>
#include <QLineEdit>

namespace {

// Fills the Replace dialog and presses one of its buttons, as the user would.
ScriptedPlatform::ModalAction FillReplace(const QString& find, const QString& with, bool replaceAll)
{
    return [=](QDialog& dialog) {
        auto& replace = static_cast<TForm5&>(dialog);
        replace.Edit1->setText(find);
        replace.Edit2->setText(with);
        replaceAll ? replace.Button3Click() : replace.Button1Click();
        return int(replace.result());
    };
}

}  // namespace

TEST_F(ShellTest, FindShortcutShowsTheMainFindDialogWhichSearchesTheActivePage)
{
    TForm2* page = NewPage();
    page->CodeMemo1->Model().SetText("abc abc");
    page->CodeMemo1->setFocus();

    QTest::keyClick(page->CodeMemo1, Qt::Key_F, Qt::ControlModifier);
    ASSERT_EQ(desktop.modelessWindows.size(), 1u);
    EXPECT_EQ(desktop.modelessWindows[0], mainWindow->FindDialog1);

    mainWindow->FindDialog1->SetFindText("abc");
    mainWindow->FindDialog1->FindNextClick();
    EXPECT_EQ(page->CodeMemo1->Model().SelectionStart(), 0);
    EXPECT_EQ(page->CodeMemo1->Model().SelectedText(), U"abc");
    EXPECT_EQ(page->SearchText, "abc");
    mainWindow->FindDialog1->FindNextClick();
    EXPECT_EQ(page->CodeMemo1->Model().SelectionStart(), 4);
}

TEST_F(ShellTest, ReplaceMenuReplacesAllOnTheActivePage)
{
    TForm2* page = NewPage();
    page->CodeMemo1->Model().SetText("abc x abc");
    desktop.AnswerModal(FillReplace("abc", "yz", true));

    Command("Replace1")->trigger();
    EXPECT_EQ(Text(page), "yz x yz");
    EXPECT_EQ(page->ReplaceText, "yz");
    EXPECT_TRUE(desktop.messages.empty());
}

TEST_F(ShellTest, ContextMenuReplaceWorksOnItsOwnPageAndAsksBeforeTheNext)
{
    TForm2* first = NewPage();
    first->CodeMemo1->Model().SetText("one one");
    TForm2* second = NewPage();
    second->CodeMemo1->Model().SetText("one");
    ASSERT_EQ(mainWindow->ActiveDocument(), second);

    desktop.AnswerModal(FillReplace("one", "two", false));
    desktop.confirmAnswers.push_back(false);
    first->Replace1Click();

    EXPECT_EQ(Text(first), "two one");
    EXPECT_EQ(Text(second), "one");
    ASSERT_EQ(desktop.MessageTexts(MessageKind::Confirm), std::vector<QString>{"Do You want to replace next?"});
}

TEST_F(ShellTest, PageFindDialogIsTheContextMenusOwn)
{
    TForm2* page = NewPage();
    page->Find1Click();
    ASSERT_EQ(desktop.modelessWindows.size(), 1u);
    EXPECT_NE(desktop.modelessWindows[0], mainWindow->FindDialog1);
    EXPECT_TRUE(desktop.messages.empty());
}
