// The editor control driven as a user drives it: keys, mouse, clipboard, painting, signals.
#include "editor/widget/CodeMemo.h"
#include "editor/widget/CodeMemoTestSupport.h"
#include "editor/control/EditorModel.h"
#include "editor/text/FileIO.h"
#include "editor/widget/QtKeyMapping.h"
#include "highlight/HtmlHighlighter.h"
#include "support/ScriptedPlatform.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPaintEvent>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QToolTip>
#include <QVBoxLayout>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>

namespace {

const KeyPress Left{Qt::Key_Left};
const KeyPress Up{Qt::Key_Up};
const KeyPress Home{Qt::Key_Home};
const KeyPress Enter{Qt::Key_Return};
const KeyPress Backspace{Qt::Key_Backspace};
const KeyPress Delete{Qt::Key_Delete};
const KeyPress Insert{Qt::Key_Insert};
const KeyPress Tab{Qt::Key_Tab};
KeyPress Ctrl(Qt::Key key) { return {key, Qt::ControlModifier}; }
KeyPress Shift(Qt::Key key) { return {key, Qt::ShiftModifier}; }
KeyPress ShiftCtrl(Qt::Key key) { return {key, Qt::ShiftModifier | Qt::ControlModifier}; }

class CodeMemoTest : public testing::Test {
protected:
    void SetUp() override
    {
        memo.resize(900, 400);
        memo.Model().Settings().Gutter.ShowLineNumbers = true;
        memo.ApplySettings();
    }

    ScriptedPlatform platform;
    TCodeMemo memo;
};

// --- typing ---------------------------------------------------------------------------------------

struct TypingCase {
    const char* name;
    std::vector<KeyStep> keys;
    std::string text;
    int line;
    int column;
};

const TypingCase kTypingCases[] = {
    {"plain characters", {"abc"}, "abc", 1, 4},
    {"insert before the caret", {"ab", Left, "X"}, "aXb", 1, 3},
    {"line break", {"ab", Enter, "c"}, "ab\r\nc", 2, 2},
    {"shift enter breaks too", {"ab", Shift(Qt::Key_Return), "c"}, "ab\r\nc", 2, 2},
    {"auto indent", {"  a", Enter, "b"}, "  a\r\n  b", 2, 4},
    {"backspace", {"abc", Backspace}, "ab", 1, 3},
    {"backspace joins lines", {"a", Enter, Backspace}, "a", 1, 2},
    {"delete", {"abc", Home, Delete}, "bc", 1, 1},
    {"overwrite after Insert", {"abc", Home, Insert, "XY"}, "XYc", 1, 3},
    {"Insert twice inserts again", {"abc", Home, Insert, Insert, "XY"}, "XYabc", 1, 3},
    {"Tab types nothing", {"a", Tab, "b"}, "ab", 1, 3},
    {"Shift+Tab types nothing", {"a", Shift(Qt::Key_Backtab), "b"}, "ab", 1, 3},
    {"Ctrl with an unassigned letter types nothing", {"a", Ctrl(Qt::Key_Q)}, "a", 1, 2},
    {"word left", {"one two", Ctrl(Qt::Key_Left), "X"}, "one Xtwo", 1, 6},
    {"bookmark set and gone to", {"abc", ShiftCtrl(Qt::Key_5), Home, Ctrl(Qt::Key_5), "X"}, "abcX", 1, 5},
    {"bookmark through the shifted digit", {"abc", ShiftCtrl(Qt::Key_Percent), Home, Ctrl(Qt::Key_5), "X"}, "abcX", 1, 5},
    {"caret keeps its column past a short line", {"ab", Enter, "abcdef", Up}, "ab\r\nabcdef", 1, 7},
    {"undo a typed word", {"x", Enter, "abc", Ctrl(Qt::Key_Z)}, "x\r\n", 2, 1},
    {"redo", {"abc", Ctrl(Qt::Key_Z), ShiftCtrl(Qt::Key_Z)}, "abc", 1, 4},
    {"UTF-8 characters", {"é€ab"}, "\xC3\xA9\xE2\x82\xAC" "ab", 1, 5},
};

void PrintTo(const TypingCase& c, std::ostream* out)
{
    *out << c.name;
}

class TypingTest : public CodeMemoTest, public testing::WithParamInterface<TypingCase> {};

TEST_P(TypingTest, GivesTextAndCaret)
{
    const TypingCase& c = GetParam();
    RunKeys(memo, c.keys);
    EXPECT_EQ(memo.Model().Document().Text(), c.text);
    EXPECT_EQ(memo.Model().CaretLine(), c.line);
    EXPECT_EQ(memo.Model().CaretColumn(), c.column);
}

INSTANTIATE_TEST_SUITE_P(Keys, TypingTest, testing::ValuesIn(kTypingCases),
                         [](const auto& info) {
                             std::string name = info.param.name;
                             for (char& ch : name)
                                 if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
                             return name;
                         });

TEST_F(CodeMemoTest, InsertKeyTogglesModeBeforeKeyUp)
{
    std::vector<bool> modeAtKeyUp;
    QObject::connect(&memo, &TCodeMemo::KeyUp, [&] { modeAtKeyUp.push_back(memo.Model().InsertMode()); });
    EXPECT_TRUE(memo.Model().InsertMode());
    QTest::keyClick(&memo, Qt::Key_Insert);
    QTest::keyClick(&memo, Qt::Key_Insert);
    EXPECT_EQ(modeAtKeyUp, (std::vector<bool>{false, true}));
}

TEST_F(CodeMemoTest, TabKeepsTheFocusOnTheEditor)
{
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* editor = new TCodeMemo;
    auto* other = new QLineEdit;
    layout->addWidget(editor);
    layout->addWidget(other);
    window.show();
    QApplication::setActiveWindow(&window);
    editor->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return editor->hasFocus(); }));

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_TRUE(editor->hasFocus());
    EXPECT_EQ(editor->Model().Document().Text(), "");
}

TEST_F(CodeMemoTest, WindowShortcutsWinOverTheEditorsKeys)
{
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* editor = new TCodeMemo;
    layout->addWidget(editor);
    QAction undo("Undo", &window);
    undo.setShortcut(QKeySequence(Qt::ControlModifier | Qt::Key_Z));
    window.addAction(&undo);
    QSignalSpy triggered(&undo, &QAction::triggered);
    window.show();
    QApplication::setActiveWindow(&window);
    editor->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return editor->hasFocus(); }));

    RunKeys(*editor, {"abc", Ctrl(Qt::Key_Z)});
    EXPECT_EQ(triggered.count(), 1);
    EXPECT_EQ(editor->Model().Document().Text(), "abc");
    // A key no window action claims still reaches the editor.
    RunKeys(*editor, {Ctrl(Qt::Key_Y)});
    EXPECT_EQ(editor->Model().Document().Text(), "");
}

TEST_F(CodeMemoTest, CaretIsALineWhenInsertingAndABlockWhenOverwriting)
{
    const int charWidth = QFontMetrics(memo.font()).horizontalAdvance('M');
    const QRect inserting = memo.inputMethodQuery(Qt::ImCursorRectangle).toRect();
    QTest::keyClick(&memo, Qt::Key_Insert);
    const QRect overwriting = memo.inputMethodQuery(Qt::ImCursorRectangle).toRect();
    EXPECT_EQ(inserting.width(), 2);
    EXPECT_EQ(overwriting.width(), charWidth);
    EXPECT_EQ(overwriting.height(), inserting.height());
}

TEST_F(CodeMemoTest, FailedLoadLeavesTheText)
{
    memo.Model().SetText("kept");
    try {
        memo.Model().LoadFromFile("/no/such/folder/page.html");
        FAIL() << "no error";
    } catch (const EFileError& error) {
        EXPECT_STREQ(error.what(), "Cannot open file /no/such/folder/page.html");
    }
    EXPECT_EQ(memo.Model().Document().Text(), "kept");
}

TEST_F(CodeMemoTest, F1ShowsThePagesHelp)
{
    QTest::keyClick(&memo, Qt::Key_F1);
    EXPECT_EQ(platform.helpContexts, std::vector<int>{0});
}

TEST_F(CodeMemoTest, InputMethodCommitTypesItsText)
{
    QInputMethodEvent event;
    event.setCommitString(QStringLiteral("日本"));
    QApplication::sendEvent(&memo, &event);
    EXPECT_EQ(memo.Model().Document().Text(), "\xE6\x97\xA5\xE6\x9C\xAC");
    EXPECT_EQ(memo.Model().CaretColumn(), 3);
}

// --- key mapping ----------------------------------------------------------------------------------

struct MappingCase {
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    TVirtualKey expectedKey;
    TShiftState expectedShift;
};

TEST(QtKeyMapping, NamesKeysAsVirtualKeys)
{
    const MappingCase cases[] = {
        {Qt::Key_Left, Qt::NoModifier, vk::Left, 0},
        {Qt::Key_A, Qt::ControlModifier, vk::Letter('A'), ssCtrl},
        {Qt::Key_5, Qt::ShiftModifier | Qt::ControlModifier, vk::Digit(5), ssShift | ssCtrl},
        {Qt::Key_Percent, Qt::ShiftModifier | Qt::ControlModifier, vk::Digit(5), ssShift | ssCtrl},
        {Qt::Key_ParenRight, Qt::ShiftModifier | Qt::ControlModifier, vk::Digit(0), ssShift | ssCtrl},
        {Qt::Key_Backtab, Qt::NoModifier, vk::Tab, ssShift},
        {Qt::Key_Enter, Qt::KeypadModifier, vk::Return, 0},
        {Qt::Key_5, Qt::KeypadModifier, 0x65, 0},
        {Qt::Key_Backspace, Qt::AltModifier | Qt::ShiftModifier, vk::Back, ssAlt | ssShift},
        {Qt::Key_F1, Qt::NoModifier, vk::F1, 0},
        {Qt::Key_PageDown, Qt::ControlModifier, vk::Next, ssCtrl},
        {Qt::Key_Eacute, Qt::NoModifier, 0, 0},
    };
    for (const MappingCase& c : cases) {
        const TMappedKey mapped = MapQtKey(c.key, c.modifiers);
        EXPECT_EQ(mapped.Key, c.expectedKey) << "Qt key " << std::hex << c.key;
        EXPECT_EQ(mapped.Shift, c.expectedShift) << "Qt key " << std::hex << c.key;
    }
}

TEST(QtKeyMapping, FindsTheDigitRowByItsKeyCodesOnAnyLayout)
{
    struct Case {
        Qt::Key key;  // what a French layout reports for the key
        quint32 scanCode;
        TVirtualKey expected;
    } const cases[] = {
        {Qt::Key_Ampersand, 10, vk::Digit(1)},
        {Qt::Key_Eacute, 11, vk::Digit(2)},
        {Qt::Key_ParenLeft, 14, vk::Digit(5)},
        {Qt::Key_Agrave, 19, vk::Digit(0)},
        {Qt::Key_A, 24, vk::Letter('A')},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MapQtKey(c.key, Qt::ControlModifier, c.scanCode, TScanCodes::Xkb).Key, c.expected) << c.scanCode;
    // Without key codes the symbol is read as on a US layout.
    EXPECT_EQ(MapQtKey(Qt::Key_ParenLeft, Qt::ControlModifier, 14, TScanCodes::Unknown).Key, vk::Digit(9));
}

// --- clipboard ------------------------------------------------------------------------------------

struct ClipboardCase {
    const char* name;
    const char* clipboardBefore;
    std::vector<KeyStep> keys;
    const char* clipboardAfter;
    std::string text;
};

const ClipboardCase kClipboardCases[] = {
    {"Ctrl+C copies the selection", "", {"hello", Ctrl(Qt::Key_A), Ctrl(Qt::Key_C)}, "hello", "hello"},
    {"Ctrl+Insert copies", "", {"hello", Ctrl(Qt::Key_A), Ctrl(Qt::Key_Insert)}, "hello", "hello"},
    {"Ctrl+X cuts", "", {"hello", Shift(Qt::Key_Left), Shift(Qt::Key_Left), Ctrl(Qt::Key_X)}, "lo", "hel"},
    {"Shift+Delete cuts", "", {"hello", Shift(Qt::Key_Left), Shift(Qt::Key_Delete)}, "o", "hell"},
    {"copy without a selection keeps the clipboard", "old", {"hello", Ctrl(Qt::Key_C)}, "old", "hello"},
    {"cut without a selection changes nothing", "old", {"hello", Ctrl(Qt::Key_X)}, "old", "hello"},
    {"lines are copied joined by CR LF", "", {"a", Enter, "b", Ctrl(Qt::Key_A), Ctrl(Qt::Key_C)}, "a\r\nb", "a\r\nb"},
    {"Ctrl+V pastes lines", "x\r\ny", {"a", Ctrl(Qt::Key_V)}, "x\r\ny", "ax\r\ny"},
    {"Shift+Insert pastes", "xy", {"a", Shift(Qt::Key_Insert)}, "xy", "axy"},
};

void PrintTo(const ClipboardCase& c, std::ostream* out)
{
    *out << c.name;
}

class ClipboardTest : public CodeMemoTest, public testing::WithParamInterface<ClipboardCase> {};

TEST_P(ClipboardTest, GoesThroughThePlatformClipboard)
{
    const ClipboardCase& c = GetParam();
    platform.clipboard = QString::fromUtf8(c.clipboardBefore);
    RunKeys(memo, c.keys);
    EXPECT_EQ(platform.clipboard, QString::fromUtf8(c.clipboardAfter));
    EXPECT_EQ(memo.Model().Document().Text(), c.text);
}

INSTANTIATE_TEST_SUITE_P(Keys, ClipboardTest, testing::ValuesIn(kClipboardCases),
                         [](const auto& info) {
                             std::string name = info.param.name;
                             for (char& ch : name)
                                 if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
                             return name;
                         });

TEST_F(CodeMemoTest, ClipboardOperationsWithNothingSelectedLeaveTheClipboard)
{
    platform.clipboard = "kept";
    memo.Model().SetText("text");
    memo.RunCommand(ecCopy);
    memo.RunCommand(ecCut);
    EXPECT_EQ(platform.clipboard, "kept");
    EXPECT_EQ(memo.Model().Document().Text(), "text");
}

class Windows1252Page : public CodeMemoTest {
protected:
    void SetUp() override
    {
        CodeMemoTest::SetUp();
        ASSERT_TRUE(dir.isValid());
        path = dir.filePath("page.html").toStdString();
        std::ofstream(path, std::ios::binary) << "caf\xE9";
        memo.Model().LoadFromFile(path);
    }

    QTemporaryDir dir;
    std::string path;
};

TEST_F(Windows1252Page, CopiesAndPastesThroughTheCodePage)
{
    memo.Model().SelectAll();
    memo.RunCommand(ecCopy);
    EXPECT_EQ(platform.clipboard, QStringLiteral("café"));

    platform.clipboard = QStringLiteral("€");
    memo.RunCommand(ecPaste);
    EXPECT_EQ(memo.Model().Document().Text(), "\x80");
}

TEST_F(Windows1252Page, RefusesACharacterTheCodePageCannotHold)
{
    QTest::keyClick(&memo, Qt::Key_End);
    platform.clipboard = QStringLiteral("→");
    memo.RunCommand(ecPaste);
    EXPECT_EQ(memo.Model().Document().Text(), "caf\xE9");
    EXPECT_EQ(platform.MessageTexts(MessageKind::Error).size(), 1u);
}

// --- signals --------------------------------------------------------------------------------------

TEST_F(CodeMemoTest, KeyDownComesBeforeAndKeyUpAfterTheKey)
{
    std::vector<std::string> seen;
    QObject::connect(&memo, &TCodeMemo::KeyDown, [&] { seen.push_back("down:" + memo.Model().Document().Text()); });
    QObject::connect(&memo, &TCodeMemo::KeyUp, [&] { seen.push_back("up:" + memo.Model().Document().Text()); });
    QTest::keyClick(&memo, Qt::Key_A);
    EXPECT_EQ(seen, (std::vector<std::string>{"down:", "up:a"}));
}

struct ChangeCase {
    const char* name;
    std::function<void(TCodeMemo&)> action;
    int changes;
};

TEST_F(CodeMemoTest, ChangedFollowsEveryChangeOfTheText)
{
    const ChangeCase cases[] = {
        {"typing", [](TCodeMemo& m) { QTest::keyClick(&m, Qt::Key_B); }, 1},
        {"caret move", [](TCodeMemo& m) { QTest::keyClick(&m, Qt::Key_Left); }, 0},
        {"undo", [](TCodeMemo& m) { m.Model().Undo(); }, 1},
        {"typing again", [](TCodeMemo& m) { QTest::keyClick(&m, Qt::Key_C); }, 1},
        {"undo by key", [](TCodeMemo& m) { QTest::keyClick(&m, Qt::Key_Z, Qt::ControlModifier); }, 1},
        {"replace selection", [](TCodeMemo& m) { m.Model().ReplaceSelection(U"<b></b>"); }, 1},
        {"selection start", [](TCodeMemo& m) { m.Model().SetSelectionStart(1); }, 0},
        {"set text", [](TCodeMemo& m) { m.Model().SetText("new\r\ntext"); }, 1},
        {"select all", [](TCodeMemo& m) { m.Model().SelectAll(); }, 0},
        {"copy", [](TCodeMemo& m) { m.RunCommand(ecCopy); }, 0},
        {"cut", [](TCodeMemo& m) { m.RunCommand(ecCut); }, 1},
        {"paste", [](TCodeMemo& m) { m.RunCommand(ecPaste); }, 1},
        {"edit on the model", [](TCodeMemo& m) { m.Model().ReplaceRange({0, 0}, {0, 0}, "x"); }, 1},
    };
    RunKeys(memo, {"a"});
    for (const ChangeCase& c : cases) {
        QSignalSpy changed(&memo, &TCodeMemo::Changed);
        c.action(memo);
        EXPECT_EQ(changed.count(), c.changes) << c.name;
    }
}

// --- mouse ----------------------------------------------------------------------------------------

class MouseTest : public CodeMemoTest {
protected:
    void SetUp() override
    {
        CodeMemoTest::SetUp();
        memo.show();
        memo.Model().SetText("one two three\r\nab\r\nlast");
    }

    void Press(QPoint point, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::mousePress(memo.viewport(), Qt::LeftButton, modifiers, point);
    }
    void MoveWithButton(QPoint point)
    {
        QMouseEvent move(QEvent::MouseMove, point, memo.viewport()->mapToGlobal(point), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(memo.viewport(), &move);
    }
    void Release(QPoint point) { QTest::mouseRelease(memo.viewport(), Qt::LeftButton, Qt::NoModifier, point); }
};

TEST_F(MouseTest, ClickPlacesTheCaret)
{
    struct Case {
        int line, column;
        int caretLine, caretColumn;
    } const cases[] = {
        {0, 4, 1, 5},
        {1, 1, 2, 2},
        {1, 10, 2, 11},  // past the end of the line
        {5, 0, 3, 1},    // below the last line
    };
    for (const Case& c : cases) {
        QSignalSpy clicked(&memo, &TCodeMemo::Clicked);
        QTest::mouseClick(memo.viewport(), Qt::LeftButton, Qt::NoModifier, CellPoint(memo, c.line, c.column));
        EXPECT_EQ(memo.Model().CaretLine(), c.caretLine) << c.line << "," << c.column;
        EXPECT_EQ(memo.Model().CaretColumn(), c.caretColumn) << c.line << "," << c.column;
        EXPECT_EQ(clicked.count(), 1);
    }
}

TEST_F(MouseTest, TabsTakeTheColumnsUpToTheNextTabStop)
{
    memo.Model().SetText("a\tb\r\n\t\tc");
    QTest::mouseClick(memo.viewport(), Qt::LeftButton, Qt::NoModifier, CellPoint(memo, 0, 8));
    EXPECT_EQ(memo.Model().CaretColumn(), 3);
    QTest::mouseClick(memo.viewport(), Qt::LeftButton, Qt::NoModifier, CellPoint(memo, 1, 16));
    EXPECT_EQ(memo.Model().CaretColumn(), 3);
    QTest::mouseClick(memo.viewport(), Qt::LeftButton, Qt::NoModifier, CellPoint(memo, 1, 17));
    EXPECT_EQ(memo.Model().CaretColumn(), 4);
}

TEST_F(MouseTest, DoubleClickSelectsAWord)
{
    QTest::mouseDClick(memo.viewport(), Qt::LeftButton, Qt::NoModifier, CellPoint(memo, 0, 5));
    EXPECT_EQ(memo.Model().SelectedText(), U"two");
}

TEST_F(MouseTest, ShiftClickExtendsTheSelection)
{
    QTest::mouseClick(memo.viewport(), Qt::LeftButton, Qt::NoModifier, CellPoint(memo, 0, 4));
    QTest::mouseClick(memo.viewport(), Qt::LeftButton, Qt::ShiftModifier, CellPoint(memo, 1, 1));
    EXPECT_EQ(memo.Model().SelectedText(), U"two three\r\na");
}

TEST_F(MouseTest, DragSelects)
{
    Press(CellPoint(memo, 0, 8));
    MoveWithButton(CellPoint(memo, 0, 10));
    MoveWithButton(CellPoint(memo, 0, 13));
    Release(CellPoint(memo, 0, 13));
    EXPECT_EQ(memo.Model().SelectedText(), U"three");
}

TEST_F(MouseTest, ClickOnTheSelectionWithoutDraggingPlacesTheCaret)
{
    memo.Model().SelectAll();
    QTest::mouseClick(memo.viewport(), Qt::LeftButton, Qt::NoModifier, CellPoint(memo, 0, 2));
    EXPECT_EQ(memo.Model().SelectedText(), U"");
    EXPECT_EQ(memo.Model().CaretColumn(), 3);
}

TEST_F(MouseTest, RightClickOpensThePopupMenuWithoutMovingTheCaret)
{
    QMenu menu;
    menu.addAction("U&ndo");
    memo.SetPopupMenu(&menu);
    const QPoint point = CellPoint(memo, 1, 1);
    QContextMenuEvent event(QContextMenuEvent::Mouse, point, memo.viewport()->mapToGlobal(point));
    QApplication::sendEvent(memo.viewport(), &event);
    EXPECT_TRUE(menu.isVisible());
    EXPECT_EQ(memo.Model().CaretLine(), 1);
    EXPECT_EQ(memo.Model().CaretColumn(), 1);
    menu.close();
}

TEST_F(MouseTest, DroppedTextIsInsertedWhereItFallsAndSelected)
{
    QMimeData mime;
    mime.setText("XY");
    const QPoint point = CellPoint(memo, 1, 1);
    QDragEnterEvent enter(point, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(memo.viewport(), &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(point), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(memo.viewport(), &drop);
    EXPECT_EQ(memo.Model().Document().Text(), "one two three\r\naXYb\r\nlast");
    EXPECT_EQ(memo.Model().SelectedText(), U"XY");
}

TEST_F(MouseTest, WheelScrolls)
{
    std::string text;
    for (int line = 0; line < 200; ++line) text += "line\r\n";
    memo.Model().SetText(text);
    const QPoint point = CellPoint(memo, 0, 0);
    QWheelEvent wheel(point, memo.viewport()->mapToGlobal(point), QPoint(), QPoint(0, -120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(memo.viewport(), &wheel);
    EXPECT_GT(memo.TopLine(), 0);
}

// --- view -----------------------------------------------------------------------------------------

TEST_F(CodeMemoTest, KeepsTheCaretInView)
{
    std::string text;
    for (int line = 0; line < 1000; ++line) text += "line " + std::to_string(line) + "\r\n";
    memo.Model().SetText(text);
    memo.show();
    QTest::keyClick(&memo, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(memo.Model().CaretLine(), 1000);
    EXPECT_EQ(memo.TopLine(), 1000 - memo.LinesInView());
    QTest::keyClick(&memo, Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(memo.TopLine(), 0);
    memo.Model().SetSelectionStart(memo.Model().Document().Text().size() / 2);
    EXPECT_LE(memo.TopLine(), memo.Model().CaretLine() - 1);
    EXPECT_GT(memo.TopLine() + memo.LinesInView(), memo.Model().CaretLine() - 1);
}

TEST_F(CodeMemoTest, ScrollsToACaretBeyondTheScrollWidth)
{
    memo.show();
    memo.Model().SetText(std::string(3000, 'x'));
    QTest::keyClick(&memo, Qt::Key_End);
    EXPECT_EQ(memo.Model().CaretColumn(), 3001);
    EXPECT_GT(memo.horizontalScrollBar()->value(), 3000 - 200);
}

TEST_F(CodeMemoTest, ScrollHintShowsTheTopLineWhileDragging)
{
    std::string text;
    for (int line = 0; line < 500; ++line) text += "line\r\n";
    memo.Model().SetText(text);
    memo.show();
    QScrollBar* bar = memo.verticalScrollBar();
    bar->setSliderDown(true);
    bar->setValue(41);
    EXPECT_EQ(QToolTip::text(), "Top Line: 42");
    EXPECT_EQ(memo.TopLine(), 41);
    bar->setSliderDown(false);
}

TEST_F(CodeMemoTest, GutterWidensWithTheLineCount)
{
    memo.show();
    memo.Model().SetText("a\r\nb");
    const int fourDigits = memo.viewport()->x();
    std::string text;
    for (int line = 0; line < 123456; ++line) text += "x\n";
    memo.Model().SetText(text);
    const int sixDigits = memo.viewport()->x();
    const int digitWidth = QFontMetrics(memo.GutterFont()).horizontalAdvance('0');
    EXPECT_EQ(sixDigits - fourDigits, 2 * digitWidth);

    memo.Model().Settings().Gutter.ShowLineNumbers = false;
    memo.ApplySettings();
    EXPECT_EQ(memo.viewport()->x() - memo.frameWidth(), 30);
}

class PaintingTest : public CodeMemoTest {
protected:
    void SetUp() override
    {
        CodeMemoTest::SetUp();
        memo.setFont([] {
            QFont font("Courier New");
            font.setPixelSize(13);
            return font;
        }());
        QFont gutterFont("Courier New");
        gutterFont.setPixelSize(11);
        memo.SetGutterFont(gutterFont);
        memo.Model().SetHighlighter(&highlighter);
        memo.Model().SetText("<html>\r\n<body bgcolor=\"#FFFFFF\">\r\nHello &amp; <b>world</b>\r\n<!-- a\r\ncomment -->\r\n"
                     "</body></html>");
        memo.show();
    }
    void TearDown() override { memo.Model().SetHighlighter(nullptr); }

    THtmlHighlighter highlighter;
};

TEST_F(PaintingTest, ARestyleLeavesTheViewWhereItWas)
{
    std::string page;
    for (int line = 0; line < 300; ++line) page += "<p>line</p>\r\n";
    memo.Model().SetText(page);
    memo.SetTopLine(100);
    highlighter.KeyAttri().SetForeground(0x00C8A0);  // the caret stays out of view at the top
    EXPECT_EQ(memo.TopLine(), 100);
}

TEST_F(PaintingTest, ColoursTokensByTheirAttributes)
{
    const QImage image = memo.grab().toImage();
    EXPECT_GT(CountPixelsNear(image, QColor(128, 0, 255)), 20);  // tag names
    EXPECT_GT(CountPixelsNear(image, QColor(0, 128, 255)), 20);  // the quoted value
    EXPECT_GT(CountPixelsNear(image, QColor(0, 255, 0)), 10);    // &amp;

    highlighter.KeyAttri().SetForeground(0x00C8A0);
    const QImage recoloured = memo.grab().toImage();
    EXPECT_EQ(CountPixelsNear(recoloured, QColor(128, 0, 255)), 0);
    EXPECT_GT(CountPixelsNear(recoloured, QColor(0, 200, 160)), 20);
}

TEST_F(PaintingTest, DrawsTheRightEdgeAfterColumn80)
{
    const QImage image = memo.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const int charWidth = QFontMetrics(memo.font()).horizontalAdvance('M');
    const int x = memo.viewport()->x() + 2 + 80 * charWidth;
    const int y = memo.viewport()->y() + memo.viewport()->height() - 5;
    EXPECT_EQ(QColor(image.pixel(x, y)), QColor(192, 192, 192));
    EXPECT_NE(QColor(image.pixel(x - 3, y)), QColor(192, 192, 192));
}

TEST_F(PaintingTest, KeepsTheGlyphsOfALongRunOnTheCharacterGrid)
{
    // Fractional glyph advances must not let a long run drift off the cells the caret and the
    // selection use: the last of 70 letters is inked inside its own cell.
    memo.Model().SetText(std::string(70, 'x'));
    const QImage image = memo.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QFontMetrics metrics(memo.font());
    const int charWidth = metrics.horizontalAdvance('M');
    const int left = memo.viewport()->x() + 2;
    int rightmostInk = -1;
    for (int y = memo.viewport()->y(); y < memo.viewport()->y() + metrics.height(); ++y)
        for (int x = left; x < memo.viewport()->x() + memo.viewport()->width(); ++x)
            if (qGray(image.pixel(x, y)) < 100) rightmostInk = std::max(rightmostInk, x);
    EXPECT_GE(rightmostInk, left + 69 * charWidth);
    EXPECT_LT(rightmostInk, left + 70 * charWidth);
}

TEST_F(PaintingTest, PaintsTheSelection)
{
    const QColor highlight = memo.palette().color(QPalette::Highlight);
    EXPECT_EQ(CountPixelsNear(memo.grab().toImage(), highlight, 0), 0);
    memo.Model().SetSelectionStart(0);
    memo.Model().SetSelectionLength(6);
    EXPECT_GT(CountPixelsNear(memo.grab().toImage(), highlight, 0), 6 * 7 * 10);
}

TEST_F(PaintingTest, PaintsAFiftyThousandLinePageAtItsEnd)
{
    std::string text;
    for (int line = 0; line < 50000; ++line) text += "<p class=\"x\">line</p>\r\n";
    memo.Model().SetText(text);
    memo.SetTopLine(49990);
    const QImage image = memo.grab().toImage();
    EXPECT_GT(CountPixelsNear(image, QColor(128, 0, 255)), 20);
}

TEST_F(PaintingTest, PaintsBothEndsOfAVeryLongLine)
{
    memo.Model().SetText("<i>" + std::string(2'000'000, 'a') + "</i>");
    QTest::keyClick(&memo, Qt::Key_Home);
    EXPECT_GT(CountPixelsNear(memo.grab().toImage(), QColor(128, 0, 255)), 5);
    QTest::keyClick(&memo, Qt::Key_End);
    EXPECT_EQ(memo.Model().CaretColumn(), 2'000'008);
    EXPECT_GT(CountPixelsNear(memo.grab().toImage(), QColor(128, 0, 255)), 5);
    QTest::keyClick(&memo, Qt::Key_B);
    EXPECT_EQ(memo.Model().Document().Text().substr(2'000'003), "</i>b");
}

TEST_F(CodeMemoTest, PaintsTheSelectionOfEachMode)
{
    struct Case {
        const char* name;
        std::vector<KeyStep> keys;
        int cells;
    } const cases[] = {
        // Six blanks a line, the selection from column 1 of the first line to column 2 of the second.
        {"normal: the first line's break shows as a cell", {Shift(Qt::Key_Down), Shift(Qt::Key_Right)}, 6 + 2},
        {"column", {ShiftCtrl(Qt::Key_C), Shift(Qt::Key_Down), Shift(Qt::Key_Right)}, 1 + 1},
        {"line: whole lines with their breaks", {ShiftCtrl(Qt::Key_L), Shift(Qt::Key_Down)}, 7 + 7},
    };
    memo.show();
    const QFontMetrics metrics(memo.font());
    const int cell = metrics.horizontalAdvance('M') * metrics.height();
    const QColor highlight = memo.palette().color(QPalette::Highlight);
    for (const Case& c : cases) {
        memo.Model().SetText("      \r\n      \r\n      ");
        QTest::keyClick(&memo, Qt::Key_Right);
        RunKeys(memo, c.keys);
        EXPECT_EQ(CountPixelsNear(memo.grab().toImage(), highlight, 0), c.cells * cell) << c.name;
        RunKeys(memo, {ShiftCtrl(Qt::Key_N)});
    }
}

// What the screen shows after edits repainted in part equals a whole fresh painting.
TEST_F(PaintingTest, RepaintsInPartWhatEditsChanged)
{
    const struct Step {
        const char* name;
        std::vector<KeyStep> keys;
    } steps[] = {
        {"typing", {"abc"}},
        {"a comment opened at the top recolours the lines below", {KeyPress{Qt::Key_Home, Qt::ControlModifier}, "<!--"}},
        {"undo", {Ctrl(Qt::Key_Z)}},
        {"line break", {KeyPress{Qt::Key_Down}, Enter}},
        {"backspace joins", {Backspace, Backspace}},
        {"selection grows", {Shift(Qt::Key_Down), Shift(Qt::Key_Down), Shift(Qt::Key_Right)}},
        {"selection deleted", {Delete}},
        {"overwrite caret", {Insert, KeyPress{Qt::Key_Right}}},
        {"bookmark", {ShiftCtrl(Qt::Key_2)}},
        {"quote opened", {"\""}},
    };
    QApplication::setCursorFlashTime(0);  // a caret that does not blink between the two pictures
    QApplication::setActiveWindow(&memo);
    memo.setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return memo.hasFocus(); }));
    QCoreApplication::processEvents();
    for (const Step& step : steps) {
        RunKeys(memo, step.keys);
        QCoreApplication::processEvents();
        const QImage onScreen = memo.screen()->grabWindow(memo.winId()).toImage().convertToFormat(QImage::Format_RGB32);
        const QImage fresh = memo.grab().toImage().convertToFormat(QImage::Format_RGB32);
        EXPECT_EQ(onScreen, fresh) << step.name;
    }
    QApplication::setCursorFlashTime(1000);
}

// Records the region each paint of a widget covers.
class PaintRecorder : public QObject {
public:
    QRegion painted;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) painted += static_cast<QPaintEvent*>(event)->region();
        return false;
    }
};

// Lines inserted or removed move the painted rows below them: the screen then equals a whole fresh
// painting, and a change in the middle of the view repaints only a few rows.
TEST_F(PaintingTest, MovesShiftedRowsAndRepaintsWhatChanged)
{
    std::string page;
    for (int line = 0; line < 120; ++line) {
        page += "<p class=\"row\">line " + std::to_string(line) + "</p>";
        if (line % 9 == 4) page += " <!-- a comment\r\nthat goes on -->";
        if (line % 10 == 0) page += std::string(300, 'w') + "<b>far right</b>";
        page += "\r\n";
    }
    memo.Model().SetText(page);
    TEditorModel& model = memo.Model();
    const auto insert = [&model](int line, const char* bytes) { model.ReplaceRange({line, 0}, {line, 0}, bytes); };
    const auto remove = [&model](int first, int count) { model.ReplaceRange({first, 0}, {first + count, 0}, ""); };
    const struct Step {
        const char* name;
        std::function<void()> run;
        int rowsRepainted;  // at most; -1: any
    } steps[] = {
        {"view in the middle", [&] { memo.SetTopLine(30); model.SetCaret({42, 3}); }, -1},
        {"Enter", [&] { RunKeys(memo, {Enter}); }, 3},
        {"undo", [&] { RunKeys(memo, {Ctrl(Qt::Key_Z)}); }, 4},
        {"selection across lines inserted", [&] { model.SetSelection({36, 2}, {50, 4}); insert(40, "one\ntwo\n"); }, -1},
        {"lines removed in the selection", [&] { remove(38, 3); }, -1},
        {"bookmark below lines inserted", [&] { model.SetBookmark(1, TTextPosition{48, 0}); insert(44, "a\nb\nc\n"); }, -1},
        {"block caret on a moved row", [&] { RunKeys(memo, {Insert}); model.SetCaret({47, 2}); insert(35, "x\n"); }, -1},
        {"comment opened above rows that move", [&] { insert(41, "<!--\n\n"); }, -1},
        {"lines inserted above the view", [&] { insert(5, "above\nabove\n"); }, 6},
        {"lines removed above the view", [&] { remove(2, 4); }, 8},
        {"scrolled right", [&] { model.SetCaret({50, 200}); }, -1},
        {"scrolled right, lines inserted", [&] { insert(45, "r\nr\n"); }, -1},
        {"lines removed at the end in view", [&] { memo.SetTopLine(100); remove(110, 5); }, -1},
        {"paste that scrolls the view", [&] { model.SetCaret({60, 0}); memo.Model().ReplaceSelection(QString("new\r\n").repeated(40).toStdU32String()); }, -1},
        {"scrolled three lines", [&] { memo.SetTopLine(memo.TopLine() + 3); }, 5},
        {"scrolled back two", [&] { memo.SetTopLine(memo.TopLine() - 2); }, 4},
    };
    QApplication::setCursorFlashTime(0);  // a caret that does not blink between the two pictures
    QApplication::setActiveWindow(&memo);
    memo.setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return memo.hasFocus(); }));
    QCoreApplication::processEvents();
    PaintRecorder recorder;
    memo.viewport()->installEventFilter(&recorder);
    const int lineHeight = QFontMetrics(memo.font()).height();
    for (const Step& step : steps) {
        recorder.painted = QRegion();
        step.run();
        QCoreApplication::processEvents();
        int rows = 0;
        for (int y = 0; y < memo.viewport()->height(); y += lineHeight)
            rows += recorder.painted.intersects(QRect(0, y, memo.viewport()->width(), lineHeight)) ? 1 : 0;
        if (step.rowsRepainted >= 0) EXPECT_LE(rows, step.rowsRepainted) << step.name;
        const QImage onScreen = memo.screen()->grabWindow(memo.winId()).toImage().convertToFormat(QImage::Format_RGB32);
        const QImage fresh = memo.grab().toImage().convertToFormat(QImage::Format_RGB32);
        EXPECT_EQ(onScreen, fresh) << step.name;
    }
    QApplication::setCursorFlashTime(1000);
}

// A line more in a long page leaves the sliders on their pixels: the bars are not painted again,
// until the slider does move.
TEST_F(PaintingTest, ScrollBarsRepaintOnlyWhenTheSliderMoves)
{
    std::string page;
    for (int line = 0; line < 5000; ++line) page += "<p>a line</p>\r\n";
    memo.Model().SetText(page);
    memo.Model().SetCaret({2500, 0});
    QCoreApplication::processEvents();
    PaintRecorder vertical, horizontal;
    memo.verticalScrollBar()->installEventFilter(&vertical);
    memo.horizontalScrollBar()->installEventFilter(&horizontal);

    RunKeys(memo, {Enter});
    QCoreApplication::processEvents();
    EXPECT_TRUE(vertical.painted.isEmpty());
    EXPECT_TRUE(horizontal.painted.isEmpty());

    memo.Model().ReplaceSelection(QString("new\r\n").repeated(5000).toStdU32String());
    QCoreApplication::processEvents();
    EXPECT_FALSE(vertical.painted.isEmpty());
}

// A highlighter whose every line starts with two empty tokens.
class StutteringHighlighter : public TCustomHighlighter {
public:
    StutteringHighlighter() : attribute_("Text") { AddAttribute(&attribute_); }
    THighlighterAttributes* DefaultAttribute(int) const override { return nullptr; }
    const std::bitset<256>& WordChars() const override { return wordChars_; }
    std::string LanguageName() const override { return "Stutter"; }
    bool AtLineEnd() const override { return step_ >= 3; }
    int GetState() const override { return 0; }
    std::string TokenText() const override { return {}; }
    THighlighterAttributes* TokenAttribute() const override { return &attribute_; }
    int TokenKind() const override { return 0; }
    int TokenStart() const override { return step_ >= 3 ? length_ : 0; }
    void NextToken() override { ++step_; }
    void StartLine(std::string_view line, int) override
    {
        length_ = static_cast<int>(line.size());
        step_ = 0;
    }
    void SetState(int) override {}
    void ResetState() override {}

private:
    mutable THighlighterAttributes attribute_;
    std::bitset<256> wordChars_;
    int length_ = 0;
    int step_ = 0;
};

TEST_F(CodeMemoTest, ReportsAFaultyHighlighterOnceAndPaintsPlain)
{
    StutteringHighlighter broken;
    memo.Model().SetHighlighter(&broken);
    memo.Model().SetText("plain text\r\nmore text");
    memo.show();
    memo.grab();
    const QImage image = memo.grab().toImage();
    QCoreApplication::processEvents();
    EXPECT_EQ(platform.MessageTexts(MessageKind::Error),
              std::vector<QString>{"The highlighter seems to be in an infinite loop"});
    EXPECT_GT(CountPixelsNear(image, memo.palette().color(QPalette::Text), 60), 50);
    memo.Model().SetHighlighter(nullptr);
}

}  // namespace
