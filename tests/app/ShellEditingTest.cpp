// Typing into a real editor inside the shell: text, caret, status panels and the menu short-cuts
// that win over the editor's own keys.
#include "ShellFixture.h"

#include <QMenu>

namespace {

QStringList Panels(const TForm1& mainWindow)
{
    return {mainWindow.PanelText(0), mainWindow.PanelText(1), mainWindow.PanelText(2), mainWindow.PanelText(3)};
}

}  // namespace

TEST_F(ShellTest, TypingUpdatesTextCaretAndStatusPanels)
{
    TForm2* page = NewPage();
    TCodeMemo* editor = page->CodeMemo1;
    editor->setFocus();

    QTest::keyClicks(editor, QStringLiteral("hello"));
    EXPECT_EQ(Text(page), QStringLiteral("hello"));
    EXPECT_EQ(Panels(*mainWindow), (QStringList{"", "Line: 1", "Column: 6", "Insert"}));

    QTest::keyClick(editor, Qt::Key_Return);
    QTest::keyClicks(editor, QStringLiteral("ab"));
    EXPECT_EQ(Text(page), QStringLiteral("hello\r\nab"));
    EXPECT_EQ(editor->Model().CaretLine(), 2);
    EXPECT_EQ(editor->Model().CaretColumn(), 3);
    EXPECT_EQ(Panels(*mainWindow), (QStringList{"", "Line: 2", "Column: 3", "Insert"}));

    QTest::keyClick(editor, Qt::Key_Insert);
    EXPECT_EQ(mainWindow->PanelText(3), QStringLiteral("Overwrite"));
    QTest::keyClick(editor, Qt::Key_Left);
    QTest::keyClicks(editor, QStringLiteral("X"));
    EXPECT_EQ(Text(page), QStringLiteral("hello\r\naX"));
    QTest::keyClick(editor, Qt::Key_Insert);
    EXPECT_EQ(mainWindow->PanelText(3), QStringLiteral("Insert"));
}

TEST_F(ShellTest, InsertKeyChangesPanelThreeWhenReleased)
{
    TCodeMemo* editor = NewPage()->CodeMemo1;
    editor->setFocus();
    QTest::keyPress(editor, Qt::Key_Insert);
    EXPECT_FALSE(editor->Model().InsertMode());
    EXPECT_EQ(mainWindow->PanelText(3), QStringLiteral("Insert")) << "the key-down refresh ran before the key";
    QTest::keyRelease(editor, Qt::Key_Insert);
    EXPECT_EQ(mainWindow->PanelText(3), QStringLiteral("Overwrite"));
}

TEST_F(ShellTest, SwitchingPagesRefreshesOnlyTheFilePanel)
{
    WriteFile(PathOf("page.html"), "one\r\ntwo");
    TForm2* opened = OpenPage(PathOf("page.html"));
    TForm2* fresh = NewPage();
    fresh->CodeMemo1->setFocus();
    QTest::keyClicks(fresh->CodeMemo1, QStringLiteral("abc"));
    EXPECT_EQ(Panels(*mainWindow), (QStringList{"", "Line: 1", "Column: 4", "Insert"}));
    opened->BringToFront();
    EXPECT_EQ(Panels(*mainWindow), (QStringList{PathOf("page.html"), "Line: 1", "Column: 4", "Insert"}));
}

TEST_F(ShellTest, MenuShortcutsWinOverTheEditorsKeys)
{
    TForm2* page = NewPage();
    TCodeMemo* editor = page->CodeMemo1;
    editor->setFocus();
    QTest::keyClicks(editor, QStringLiteral("abc"));
    QTest::keyClick(editor, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Text(page), QString());
    // In the editor Ctrl+Y deletes the line; the menu's Redo brings the text back instead.
    QTest::keyClick(editor, Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(Text(page), QStringLiteral("abc"));
}

TEST_F(ShellTest, EveryMenuShortcutRunsItsCommandWhileTheEditorHasTheFocus)
{
    struct Case {
        const char* command;
        QKeyCombination key;
    };
    const Case cases[] = {
        {"New1", QKeyCombination(Qt::ControlModifier, Qt::Key_N)},
        {"Open1", QKeyCombination(Qt::ControlModifier, Qt::Key_O)},
        {"Save1", QKeyCombination(Qt::ControlModifier, Qt::Key_S)},
        {"Upload1", QKeyCombination(Qt::ControlModifier, Qt::Key_U)},
        {"Print1", QKeyCombination(Qt::ControlModifier, Qt::Key_P)},
        {"Undo1", QKeyCombination(Qt::ControlModifier, Qt::Key_Z)},
        {"Redo1", QKeyCombination(Qt::ControlModifier, Qt::Key_Y)},
        {"SelectAll1", QKeyCombination(Qt::ControlModifier, Qt::Key_A)},
        {"Find1", QKeyCombination(Qt::ControlModifier, Qt::Key_F)},
        {"Replace1", QKeyCombination(Qt::ControlModifier, Qt::Key_R)},
        {"est2", QKeyCombination(Qt::Key_F9)},
    };
    TForm2* page = NewPage();
    page->CodeMemo1->Model().SetText("kept");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        page->BringToFront();
        page->CodeMemo1->setFocus();
        int runs = 0;
        const auto connection = QObject::connect(Command(c.command), &QAction::triggered, [&runs] { ++runs; });
        QTest::keyClick(page->CodeMemo1, c.key.key(), c.key.keyboardModifiers());
        QObject::disconnect(connection);
        EXPECT_EQ(runs, 1);
        EXPECT_EQ(Text(page), QStringLiteral("kept")) << "the editor did not take the key";
    }
}

TEST_F(ShellTest, EditCommandsWorkOnTheActivePage)
{
    TForm2* page = NewPage();
    page->CodeMemo1->Model().SetText("first line");
    Command("SelectAll1")->trigger();
    Command("Copy1")->trigger();
    EXPECT_EQ(desktop.clipboard, QStringLiteral("first line"));
    Command("Cut1")->trigger();
    EXPECT_EQ(Text(page), QString());
    Command("Paste1")->trigger();
    Command("Paste1")->trigger();
    EXPECT_EQ(Text(page), QStringLiteral("first linefirst line"));
    Command("Undo1")->trigger();
    EXPECT_EQ(Text(page), QStringLiteral("first line"));
    Command("Redo1")->trigger();
    EXPECT_EQ(Text(page), QStringLiteral("first linefirst line"));
    EXPECT_TRUE(desktop.messages.empty());
}

TEST_F(ShellTest, ContextMenuActsOnItsOwnPage)
{
    TForm2* background = NewPage();
    background->CodeMemo1->Model().SetText("mine");
    TForm2* active = NewPage();
    active->CodeMemo1->Model().SetText("other");
    ASSERT_EQ(mainWindow->ActiveDocument(), active);

    QStringList captions;
    for (QAction* item : background->PopupMenu1->actions())
        captions << (item->isSeparator() ? QStringLiteral("-") : item->text());
    EXPECT_EQ(captions, (QStringList{"U&ndo", "&Redo", "-", "C&ut", "C&opy", "&Paste", "Select &All", "-", "&Find...",
                                     "Rep&lace..."}));

    const auto item = [&](const char* caption) {
        for (QAction* action : background->PopupMenu1->actions())
            if (action->text() == QString::fromUtf8(caption))
                return action;
        return static_cast<QAction*>(nullptr);
    };
    item("Select &All")->trigger();
    item("C&ut")->trigger();
    EXPECT_EQ(Text(background), QString());
    EXPECT_EQ(Text(active), QStringLiteral("other"));
    item("U&ndo")->trigger();
    EXPECT_EQ(Text(background), QStringLiteral("mine"));
    EXPECT_TRUE(desktop.messages.empty());
}
