// The main window's commands with no page open, its menus and its tool bars.
#include "ShellFixture.h"

#include <QContextMenuEvent>
#include <QMenuBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

namespace {

// Every command that needs a page, with its short-cut and whether a tool button runs it.
struct DocCommand {
    const char* name;
    QKeyCombination shortcut;
    bool onToolBar;
};

constexpr QKeyCombination kNoKey{};
constexpr QKeyCombination Ctrl(Qt::Key key) { return QKeyCombination(Qt::ControlModifier, key); }

const DocCommand kDocCommands[] = {
    {"Save1", Ctrl(Qt::Key_S), true},       {"SaveAs1", kNoKey, false},
    {"Upload1", Ctrl(Qt::Key_U), true},     {"Print1", Ctrl(Qt::Key_P), true},
    {"Undo1", Ctrl(Qt::Key_Z), true},       {"Redo1", Ctrl(Qt::Key_Y), true},
    {"Cut1", kNoKey, true},                 {"Copy1", kNoKey, true},
    {"Paste1", kNoKey, true},               {"SelectAll1", Ctrl(Qt::Key_A), false},
    {"Find1", Ctrl(Qt::Key_F), false},      {"Replace1", Ctrl(Qt::Key_R), false},
    {"Link1", kNoKey, true},                {"Font1", kNoKey, true},
    {"Paragraph1", kNoKey, true},           {"Bold1", kNoKey, true},
    {"Italic1", kNoKey, true},              {"Underline1", kNoKey, true},
    {"Strike1", kNoKey, true},              {"Header1", kNoKey, true},
    {"Subscript1", kNoKey, true},           {"Superscript1", kNoKey, true},
    {"Break1", kNoKey, true},               {"Image1", kNoKey, true},
    {"List1", kNoKey, true},                {"Table1", kNoKey, true},
    {"EditForm", kNoKey, true},             {"Input1", kNoKey, true},
    {"List2", kNoKey, true},                {"extarea1", kNoKey, true},
    {"Label1", kNoKey, true},               {"FrameSet1", kNoKey, true},
    {"Frame2", kNoKey, true},               {"Sound1", kNoKey, true},
    {"Comment1", kNoKey, true},             {"est2", QKeyCombination(Qt::Key_F9), true},
};

QToolButton* ButtonFor(const TForm1& mainWindow, QAction* action)
{
    for (QToolBar* bar : {mainWindow.ToolBar1, mainWindow.ToolBar2})
        if (auto* button = qobject_cast<QToolButton*>(bar->widgetForAction(action)))
            return button;
    return nullptr;
}

}  // namespace

TEST_F(ShellTest, EveryDocCommandRefusesOnceWithNoPageFromMenuShortcutAndToolButton)
{
    const std::vector<QString> once{kNoDocumentMessage};
    for (const DocCommand& command : kDocCommands) {
        SCOPED_TRACE(command.name);
        QAction* action = Command(command.name);
        ASSERT_NE(action, nullptr);

        desktop.ClearRecords();
        action->trigger();
        EXPECT_EQ(desktop.MessageTexts(MessageKind::Plain), once) << "menu";

        desktop.ClearRecords();
        if (command.shortcut != kNoKey) {
            EXPECT_EQ(action->shortcut(), QKeySequence(command.shortcut));
            QTest::keyClick(mainWindow.get(), command.shortcut.key(), command.shortcut.keyboardModifiers());
            EXPECT_EQ(desktop.MessageTexts(MessageKind::Plain), once) << "short-cut";
        } else {
            EXPECT_TRUE(action->shortcut().isEmpty());
        }

        desktop.ClearRecords();
        QToolButton* button = ButtonFor(*mainWindow, action);
        EXPECT_EQ(button != nullptr, command.onToolBar);
        if (button) {
            QTest::mouseClick(button, Qt::LeftButton);
            EXPECT_EQ(desktop.MessageTexts(MessageKind::Plain), once) << "tool button";
        }
        EXPECT_TRUE(desktop.MessageTexts(MessageKind::Error).empty());
        EXPECT_TRUE(desktop.dialogs.empty()) << "no dialog opens";
        EXPECT_EQ(mainWindow->DocumentCount(), 0);
    }
}

TEST_F(ShellTest, NoDocumentMessageIsTheExactText)
{
    Command("Save1")->trigger();
    ASSERT_EQ(desktop.messages.size(), 1u);
    EXPECT_EQ(desktop.messages[0].caption, QStringLiteral("Tallo HTML Editor"));
    EXPECT_EQ(desktop.messages[0].text.size(), 93);
    EXPECT_EQ(desktop.messages[0].text,
              QString::fromUtf8(R"(To execute the command, you must create a new page ("File\New") or open a file ("File\Open")!)"));
}

TEST_F(ShellTest, CommandsThatNeedNoPageNeverShowTheMessage)
{
    const char* const commands[] = {"New1", "Open1", "PrintSetup1", "HelpContents1", "About1", "Exit1"};
    bool closed = false;
    QObject::connect(mainWindow.get(), &TForm1::Closed, [&closed] { closed = true; });
    for (const char* name : commands) {
        SCOPED_TRACE(name);
        Command(name)->trigger();
        Flush();
        EXPECT_TRUE(desktop.MessageTexts(MessageKind::Plain).empty());
    }
    EXPECT_EQ(desktop.helpContexts, std::vector<int>{0});
    EXPECT_EQ(desktop.DialogTitles(DialogKind::Modal),
              (std::vector<QString>{QStringLiteral("New HTML Page"), QStringLiteral("About Tallo HTML Editor")}));
    EXPECT_EQ(desktop.DialogTitles(DialogKind::OpenFile), std::vector<QString>{QStringLiteral("Open HTML File")});
    EXPECT_TRUE(closed) << "Exit closes the main window";
}

TEST_F(ShellTest, MenusReadAsTheCommandTable)
{
    // caption, short-cut, help context; submenus indented; "-" a separator.
    const QString expected = QStringLiteral(
        "&File\n"
        " &New|Ctrl+N|2\n &Open...|Ctrl+O|3\n &Save|Ctrl+S|4\n Save &As...||5\n -\n &Upload|Ctrl+U|6\n -\n"
        " &Print...|Ctrl+P|7\n P&rint Setup...||8\n -\n E&xit||9\n"
        "&Edit\n"
        " U&ndo|Ctrl+Z|10\n &Redo|Ctrl+Y|11\n -\n C&ut||12\n C&opy||13\n &Paste||14\n Select &All|Ctrl+A|15\n -\n"
        " &Find...|Ctrl+F|16\n Rep&lace...|Ctrl+R|17\n"
        "&Code\n"
        " &Link...||18\n &Text\n  &Font...||19\n  &Paragraph...||20\n  &Bold...||21\n  &Italic...||22\n"
        "  &Underline...||23\n  &Strike...||24\n  &Header...||25\n  Subs&cript...||26\n  Sup&erscript...||27\n"
        "  B&reak||28\n &Image...||29\n Li&st...||30\n T&able...||31\n &Form\n  &Form...||32\n  &Input...||33\n"
        "  &List...||34\n  &Text Area...||35\n  L&abel...||36\n F&rame\n  &Frame Set...||37\n  F&rame...||38\n"
        " S&ound...||39\n &Comment...||40\n"
        "&Test\n &Test...|F9|41\n"
        "&Window\n"
        "&Help\n &Help...||0\n -\n &About...||0\n");

    QString dump;
    std::function<void(const QMenu*, const QString&)> dumpMenu = [&](const QMenu* menu, const QString& indent) {
        for (const QAction* action : menu->actions()) {
            if (action->isSeparator())
                dump += indent + QStringLiteral("-\n");
            else if (action->menu()) {
                dump += indent + action->text() + QLatin1Char('\n');
                dumpMenu(action->menu(), indent + QLatin1Char(' '));
            } else
                dump += indent + action->text() + QLatin1Char('|') +
                        action->shortcut().toString(QKeySequence::PortableText) + QLatin1Char('|') +
                        QString::number(TForm1::HelpContext(action)) + QLatin1Char('\n');
        }
    };
    for (const QAction* top : mainWindow->menuBar()->actions()) {
        dump += top->text() + QLatin1Char('\n');
        dumpMenu(top->menu(), QStringLiteral(" "));
    }
    EXPECT_EQ(dump.toStdString(), expected.toStdString());
}

TEST_F(ShellTest, ToolBarsShowHintsAsToolTipsWithTheMenuIcons)
{
    const auto describe = [](const QToolBar* bar) {
        QStringList items;
        for (const QAction* action : bar->actions()) {
            if (action->isSeparator()) {
                items << QStringLiteral("|");
                continue;
            }
            EXPECT_FALSE(action->icon().isNull()) << action->toolTip().toStdString();
            auto* button = qobject_cast<QToolButton*>(bar->widgetForAction(const_cast<QAction*>(action)));
            EXPECT_EQ(button->toolButtonStyle(), Qt::ToolButtonIconOnly);
            EXPECT_EQ(button->width(), 23);
            items << action->toolTip();
        }
        return items.join(QLatin1Char(',')).toStdString();
    };
    EXPECT_EQ(describe(mainWindow->ToolBar1),
              "New,Open,Save,|,Upload,|,Print,|,Exit,|,|,Undo,Redo,|,Cut,Copy,Paste,|,|,Test");
    EXPECT_EQ(describe(mainWindow->ToolBar2),
              "Link,|,Font,Paragraph,Bold,Italic,Underline,Strike,Header,Subscript,Superscript,Break,|,"
              "Image,List,Table,|,Form,Input,Form List,Textarea,Label,|,Frame Set,Frame,|,Sound,Comment");
    EXPECT_EQ(mainWindow->ToolBar1->height(), 29);
    EXPECT_LT(mainWindow->ToolBar1->y(), mainWindow->ToolBar2->y());
}

TEST_F(ShellTest, RightClickOnTheMenuBarOrAToolBarOpensNoMenu)
{
    QWidget* const places[] = {mainWindow->menuBar(), mainWindow->ToolBar1, mainWindow->ToolBar2};
    for (QWidget* place : places) {
        QWidget* popup = nullptr;
        QTimer::singleShot(0, [&popup] {
            popup = QApplication::activePopupWidget();
            if (popup)
                popup->close();
        });
        const QPoint inside(place->width() - 2, place->height() / 2);
        QContextMenuEvent event(QContextMenuEvent::Mouse, inside, place->mapToGlobal(inside));
        QApplication::sendEvent(place, &event);
        Flush();
        EXPECT_EQ(popup, nullptr) << place->objectName().toStdString();
        EXPECT_TRUE(mainWindow->ToolBar1->isVisible() && mainWindow->ToolBar2->isVisible());
    }
}

TEST_F(ShellTest, F1OnAHighlightedMenuItemOpensItsTopic)
{
    QMenu* file = Command("Open1")->associatedObjects().isEmpty()
                      ? nullptr
                      : qobject_cast<QMenu*>(Command("Open1")->associatedObjects().first());
    ASSERT_NE(file, nullptr);
    file->popup(mainWindow->mapToGlobal(QPoint(10, 10)));
    file->setActiveAction(Command("Open1"));
    QTest::keyClick(file, Qt::Key_F1);
    file->hide();
    EXPECT_EQ(desktop.helpContexts, std::vector<int>{3});
}

TEST_F(ShellTest, StartsWithAnEmptyFrameWindowMenuAndPanels)
{
    auto fresh = CreateApplicationWindows();
    EXPECT_EQ(fresh->DocumentCount(), 1) << "the start-up page exists until the first show";
    EXPECT_EQ(fresh->ActiveDocument()->Caption(), QStringLiteral("Noname"));
    fresh->show();
    Flush();
    EXPECT_EQ(fresh->windowTitle(), QStringLiteral("Tallo HTML Editor"));
    EXPECT_EQ(fresh->DocumentCount(), 0);
    EXPECT_TRUE(fresh->Window1->actions().isEmpty());
    for (int panel = 0; panel < 4; ++panel)
        EXPECT_TRUE(fresh->PanelText(panel).isEmpty());
    EXPECT_TRUE(desktop.dialogs.empty()) << "the start-up page closes without a save dialog";
}
