// The main menu and both tool bars of the main window, built from one command table.
#include "app/MainU.h"

#include "editor/widget/CodeMemo.h"
#include "platform/AppIcons.h"

#include <QAction>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QToolButton>
#include <map>

namespace {

constexpr const char* kHelpContextProperty = "helpContext";

struct MenuCommand {
    const char* menu;     // top menu, then submenus, separated by "/"
    const char* name;     // object name of the action; its handler is the name followed by "Click"
    const char* caption;  // nullptr for a separator
    QKeyCombination shortcut;
    int helpContext;  // 0: none
    int icon;         // -1: none
    void (TForm1::*handler)();
};

constexpr QKeyCombination kNone{};
constexpr QKeyCombination Ctrl(Qt::Key key) { return QKeyCombination(Qt::ControlModifier, key); }

const MenuCommand kMenuCommands[] = {
    {"&File", "New1", "&New", Ctrl(Qt::Key_N), 2, 0, &TForm1::New1Click},
    {"&File", "Open1", "&Open...", Ctrl(Qt::Key_O), 3, 1, &TForm1::Open1Click},
    {"&File", "Save1", "&Save", Ctrl(Qt::Key_S), 4, 2, &TForm1::Save1Click},
    {"&File", "SaveAs1", "Save &As...", kNone, 5, -1, &TForm1::SaveAs1Click},
    {"&File", nullptr, nullptr, kNone, 0, -1, nullptr},
    {"&File", "Upload1", "&Upload", Ctrl(Qt::Key_U), 6, 3, &TForm1::Upload1Click},
    {"&File", nullptr, nullptr, kNone, 0, -1, nullptr},
    {"&File", "Print1", "&Print...", Ctrl(Qt::Key_P), 7, 4, &TForm1::Print1Click},
    {"&File", "PrintSetup1", "P&rint Setup...", kNone, 8, -1, &TForm1::PrintSetup1Click},
    {"&File", nullptr, nullptr, kNone, 0, -1, nullptr},
    {"&File", "Exit1", "E&xit", kNone, 9, 5, &TForm1::Exit1Click},
    {"&Edit", "Undo1", "U&ndo", Ctrl(Qt::Key_Z), 10, 6, &TForm1::Undo1Click},
    {"&Edit", "Redo1", "&Redo", Ctrl(Qt::Key_Y), 11, 7, &TForm1::Redo1Click},
    {"&Edit", nullptr, nullptr, kNone, 0, -1, nullptr},
    {"&Edit", "Cut1", "C&ut", kNone, 12, 8, &TForm1::Cut1Click},
    {"&Edit", "Copy1", "C&opy", kNone, 13, 9, &TForm1::Copy1Click},
    {"&Edit", "Paste1", "&Paste", kNone, 14, 10, &TForm1::Paste1Click},
    {"&Edit", "SelectAll1", "Select &All", Ctrl(Qt::Key_A), 15, -1, &TForm1::SelectAll1Click},
    {"&Edit", nullptr, nullptr, kNone, 0, -1, nullptr},
    {"&Edit", "Find1", "&Find...", Ctrl(Qt::Key_F), 16, -1, &TForm1::Find1Click},
    {"&Edit", "Replace1", "Rep&lace...", Ctrl(Qt::Key_R), 17, -1, &TForm1::Replace1Click},
    {"&Code", "Link1", "&Link...", kNone, 18, 12, &TForm1::Link1Click},
    {"&Code/&Text", "Font1", "&Font...", kNone, 19, 13, &TForm1::Font1Click},
    {"&Code/&Text", "Paragraph1", "&Paragraph...", kNone, 20, 14, &TForm1::Paragraph1Click},
    {"&Code/&Text", "Bold1", "&Bold...", kNone, 21, 15, &TForm1::Bold1Click},
    {"&Code/&Text", "Italic1", "&Italic...", kNone, 22, 16, &TForm1::Italic1Click},
    {"&Code/&Text", "Underline1", "&Underline...", kNone, 23, 17, &TForm1::Underline1Click},
    {"&Code/&Text", "Strike1", "&Strike...", kNone, 24, 18, &TForm1::Strike1Click},
    {"&Code/&Text", "Header1", "&Header...", kNone, 25, 19, &TForm1::Header1Click},
    {"&Code/&Text", "Subscript1", "Subs&cript...", kNone, 26, 20, &TForm1::Subscript1Click},
    {"&Code/&Text", "Superscript1", "Sup&erscript...", kNone, 27, 21, &TForm1::Superscript1Click},
    {"&Code/&Text", "Break1", "B&reak", kNone, 28, 22, &TForm1::Break1Click},
    {"&Code", "Image1", "&Image...", kNone, 29, 23, &TForm1::Image1Click},
    {"&Code", "List1", "Li&st...", kNone, 30, 24, &TForm1::List1Click},
    {"&Code", "Table1", "T&able...", kNone, 31, 25, &TForm1::Table1Click},
    {"&Code/&Form", "EditForm", "&Form...", kNone, 32, 26, &TForm1::EditFormClick},
    {"&Code/&Form", "Input1", "&Input...", kNone, 33, 27, &TForm1::Input1Click},
    {"&Code/&Form", "List2", "&List...", kNone, 34, 28, &TForm1::List2Click},
    {"&Code/&Form", "extarea1", "&Text Area...", kNone, 35, 29, &TForm1::extarea1Click},
    {"&Code/&Form", "Label1", "L&abel...", kNone, 36, 30, &TForm1::Label1Click},
    {"&Code/F&rame", "FrameSet1", "&Frame Set...", kNone, 37, 31, &TForm1::FrameSet1Click},
    {"&Code/F&rame", "Frame2", "F&rame...", kNone, 38, 32, &TForm1::Frame2Click},
    {"&Code", "Sound1", "S&ound...", kNone, 39, 33, &TForm1::Sound1Click},
    {"&Code", "Comment1", "&Comment...", kNone, 40, 34, &TForm1::Comment1Click},
    {"&Test", "est2", "&Test...", QKeyCombination(Qt::Key_F9), 41, 11, &TForm1::est2Click},
    {"&Help", "HelpContents1", "&Help...", kNone, 0, -1, &TForm1::HelpContents1Click},
    {"&Help", nullptr, nullptr, kNone, 0, -1, nullptr},
    {"&Help", "About1", "&About...", kNone, 0, -1, &TForm1::About1Click},
};

// Left to right on the menu bar; the Window menu holds only the open pages.
const char* const kMenuBar[] = {"&File", "&Edit", "&Code", "&Test", "&Window", "&Help"};

struct ToolButton {
    const char* action;  // nullptr for a separator
    const char* hint;
};

const ToolButton kToolBar1[] = {
    {"New1", "New"},     {"Open1", "Open"},   {"Save1", "Save"},   {nullptr, nullptr}, {"Upload1", "Upload"},
    {nullptr, nullptr},  {"Print1", "Print"}, {nullptr, nullptr},  {"Exit1", "Exit"},  {nullptr, nullptr},
    {nullptr, nullptr},  {"Undo1", "Undo"},   {"Redo1", "Redo"},   {nullptr, nullptr}, {"Cut1", "Cut"},
    {"Copy1", "Copy"},   {"Paste1", "Paste"}, {nullptr, nullptr},  {nullptr, nullptr}, {"est2", "Test"},
};

const ToolButton kToolBar2[] = {
    {"Link1", "Link"},
    {nullptr, nullptr},
    {"Font1", "Font"},
    {"Paragraph1", "Paragraph"},
    {"Bold1", "Bold"},
    {"Italic1", "Italic"},
    {"Underline1", "Underline"},
    {"Strike1", "Strike"},
    {"Header1", "Header"},
    {"Subscript1", "Subscript"},
    {"Superscript1", "Superscript"},
    {"Break1", "Break"},
    {nullptr, nullptr},
    {"Image1", "Image"},
    {"List1", "List"},
    {"Table1", "Table"},
    {nullptr, nullptr},
    {"EditForm", "Form"},
    {"Input1", "Input"},
    {"List2", "Form List"},
    {"extarea1", "Textarea"},
    {"Label1", "Label"},
    {nullptr, nullptr},
    {"FrameSet1", "Frame Set"},
    {"Frame2", "Frame"},
    {nullptr, nullptr},
    {"Sound1", "Sound"},
    {"Comment1", "Comment"},
};

constexpr int kToolBarHeight = 29;
constexpr QSize kToolButtonSize(23, 22);

}  // namespace

void TForm1::BuildMenus()
{
    std::map<QString, QMenu*> menus;
    for (const char* title : kMenuBar) {
        QMenu* menu = menuBar()->addMenu(QString::fromUtf8(title));
        menu->installEventFilter(this);
        menus[QString::fromUtf8(title)] = menu;
    }
    Window1 = menus.at(QStringLiteral("&Window"));

    for (const MenuCommand& command : kMenuCommands) {
        const QString path = QString::fromUtf8(command.menu);
        QMenu*& menu = menus[path];
        if (!menu) {
            const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
            menu = menus.at(path.left(slash))->addMenu(path.mid(slash + 1));
            menu->installEventFilter(this);
        }
        if (!command.caption) {
            menu->addSeparator();
            continue;
        }
        auto* action = new QAction(QString::fromUtf8(command.caption), this);
        action->setObjectName(QString::fromUtf8(command.name));
        if (command.shortcut != kNone) {
            action->setShortcut(QKeySequence(command.shortcut));
            menuShortcuts_.append(action->shortcut());
        }
        if (command.icon >= 0)
            action->setIcon(AppIcon(command.icon));
        action->setProperty(kHelpContextProperty, command.helpContext);
        connect(action, &QAction::triggered, this, command.handler);
        menu->addAction(action);
    }
}

void TForm1::BuildToolBars()
{
    const auto build = [this](const QString& name, const auto& buttons) {
        auto* toolBar = new QToolBar(name, this);
        toolBar->setObjectName(name);
        toolBar->setMovable(false);
        toolBar->setFloatable(false);
        toolBar->setToolButtonStyle(Qt::ToolButtonIconOnly);
        toolBar->setIconSize(QSize(16, 16));
        toolBar->setFixedHeight(kToolBarHeight);
        toolBar->setStyleSheet(QStringLiteral("QToolBar::separator { width: 8px; }"));
        for (const ToolButton& button : buttons) {
            if (!button.action) {
                toolBar->addSeparator();
                continue;
            }
            auto* action = findChild<QAction*>(QString::fromUtf8(button.action), Qt::FindDirectChildrenOnly);
            action->setToolTip(QString::fromUtf8(button.hint));
            toolBar->addAction(action);
            toolBar->widgetForAction(action)->setFixedSize(kToolButtonSize);
        }
        addToolBar(Qt::TopToolBarArea, toolBar);
        return toolBar;
    };
    ToolBar1 = build(QStringLiteral("ToolBar1"), kToolBar1);
    addToolBarBreak(Qt::TopToolBarArea);
    ToolBar2 = build(QStringLiteral("ToolBar2"), kToolBar2);
}

QMenu* TForm1::createPopupMenu()
{
    return nullptr;
}

int TForm1::HelpContext(const QAction* action)
{
    return action ? action->property(kHelpContextProperty).toInt() : 0;
}

void TForm1::ShieldShortcutsFromEditor(TForm2& document)
{
    document.CodeMemo1->installEventFilter(this);
}

bool TForm1::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::ShortcutOverride && qobject_cast<TCodeMemo*>(watched)) {
        // The menu's short-cuts are matched before a key reaches the editor: the editor never
        // hears of them, so it cannot claim them.
        const auto* key = static_cast<QKeyEvent*>(event);
        return menuShortcuts_.contains(QKeySequence(key->keyCombination()));
    }
    if (event->type() == QEvent::KeyPress) {
        // F1 on a highlighted menu item opens that command's help topic.
        const auto* key = static_cast<QKeyEvent*>(event);
        if (auto* menu = qobject_cast<QMenu*>(watched); menu && key->key() == Qt::Key_F1) {
            if (const int context = HelpContext(menu->activeAction()); context > 0)
                platform().ShowHelp(context);
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}
