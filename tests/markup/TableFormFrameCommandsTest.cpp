// The table, form control and frame commands on real dialogs and a real page, the scripted
// platform answering: what each writes, the caret afterwards, the grids and number fields of the
// table, the option grid's limit, resets and undo.
#include "MarkupCommandsFixture.h"
#include "markup/dialogs/CommentU.h"
#include "markup/dialogs/FontU.h"
#include "markup/dialogs/FormListU.h"
#include "markup/dialogs/FormU.h"
#include "markup/dialogs/FrameU.h"
#include "markup/dialogs/FramesetU.h"
#include "markup/dialogs/HeaderU.h"
#include "markup/dialogs/ImageU.h"
#include "markup/dialogs/InputU.h"
#include "markup/dialogs/LabelU.h"
#include "markup/dialogs/LinkU.h"
#include "markup/dialogs/ListU.h"
#include "markup/dialogs/ParagraphU.h"
#include "markup/dialogs/SoundU.h"
#include "markup/dialogs/SpinEdit.h"
#include "markup/dialogs/TableU.h"
#include "markup/dialogs/TextareaU.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTableWidget>

namespace {

void SetCell(QTableWidget& grid, int row, int column, const QString& text)
{
    grid.setItem(row, column, new QTableWidgetItem(text));
}

// Types into a number field and leaves it, as a user moving on to the next field.
void TypeCount(TSpinEdit& field, const QString& text)
{
    field.selectAll();
    QTest::keyClicks(&field, text);
    QFocusEvent leave(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(&field, &leave);
}

int Count(const std::string& text, const std::string& part)
{
    int count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

using MarkupCommandsII = MarkupCommands;

TEST_F(MarkupCommandsII, WriteTheDialogsValuesWithTheirCaretRule)
{
    const struct {
        const char* Name;
        Handler Command;
        Answer Fill;
        std::string Expected;
    } cases[] = {
        {"table_defaults", &TForm1::Table1Click, [](TForm1& m) { return Press(m.Dialog<TForm13>()->Button3); },
         "a<table bgcolor=\"#FFFFFF\" bordercolor=\"#000000\">\n<thead>\n <tr>\n <td></td>\n</tr>\n</thead>\n"
         "<tbody>\n <tr>\n  <td></td>\n </tr>\n</tbody>\n<tfoot>\n<tr>\n <td></td>\n</tr>\n</tfoot>\n</table>\n|c"},
        {"table_columns_reduced_after_typing", &TForm1::Table1Click,
         [](TForm1& m) {
             TForm13& t = *m.Dialog<TForm13>();
             t.CheckBox1->setChecked(false);
             t.CheckBox2->setChecked(false);
             t.SpinEdit2->setValue(3);
             SetCell(*t.StringGrid2, 0, 0, "kept");
             SetCell(*t.StringGrid2, 0, 2, "dropped");
             SetCell(*t.StringGrid1, 0, 0, "not written");
             t.SpinEdit2->setValue(2);
             t.Edit5->setText("T");
             return Press(t.Button3);
         },
         "a<table bgcolor=\"#FFFFFF\" bordercolor=\"#000000\">\n<caption>T</caption>\n<tbody>\n <tr>\n"
         "  <td>kept</td>\n  <td></td>\n </tr>\n</tbody>\n</table>\n|c"},
        {"form_get", &TForm1::EditFormClick,
         [](TForm1& m) {
             m.Dialog<TForm14>()->RadioButtons[1]->click();
             m.Dialog<TForm14>()->Edit1->setText("send");
             m.Dialog<TForm14>()->CheckBox1->setChecked(true);
             return Press(m.Dialog<TForm14>()->Button1);
         },
         "a<form method=\"Get\" action=\"send\" enctype=\"application/x-www-form-urlencoded\">\n|\n</form>c"},
        {"input_defaults", &TForm1::Input1Click, [](TForm1& m) { return Press(m.Dialog<TForm15>()->Button1); },
         "a<input type=\"Text\">|c"},
        {"input_password_named", &TForm1::Input1Click,
         [](TForm1& m) {
             m.Dialog<TForm15>()->ComboBox1->setCurrentIndex(1);
             m.Dialog<TForm15>()->Edit1->setText("  ");
             return Press(m.Dialog<TForm15>()->Button1);
         },
         "a<input type=\"Password\" name=\"  \">|c"},
        {"select_defaults", &TForm1::List2Click, [](TForm1& m) { return Press(m.Dialog<TForm16>()->Button3); },
         "a<select>\n<option value=\"\"></option>\n</select>\n|c"},
        {"select_three_rows_middle_empty", &TForm1::List2Click,
         [](TForm1& m) {
             TForm16& l = *m.Dialog<TForm16>();
             l.Button1->click();
             l.Button1->click();
             SetCell(*l.StringGrid1, 0, 0, "one");
             SetCell(*l.StringGrid1, 0, 1, "1");
             SetCell(*l.StringGrid1, 2, 0, "three");
             l.CheckBox1->setChecked(true);
             l.ComboBox1->setCurrentIndex(2);
             return Press(l.Button3);
         },
         "a<select multiple align=\"Right\">\n<option value=\"1\">one</option>\n<option value=\"\"></option>\n"
         "<option value=\"\">three</option>\n</select>\n|c"},
        {"textarea_two_lines", &TForm1::extarea1Click,
         [](TForm1& m) { m.Dialog<TForm17>()->Memo1->setPlainText("a\nb"); return Press(m.Dialog<TForm17>()->Button1); },
         "a<textarea>\na\nb\n</textarea>\n|c"},
        {"label_empty", &TForm1::Label1Click, [](TForm1& m) { return Press(m.Dialog<TForm18>()->Button1); }, "a<label></label>|c"},
        {"frameset_defaults", &TForm1::FrameSet1Click, [](TForm1& m) { return Press(m.Dialog<TForm19>()->Button1); },
         "a<frameset>\n|\n</frameset>c"},
        {"frame_src_and_scrolling", &TForm1::Frame2Click,
         [](TForm1& m) {
             m.Dialog<TForm20>()->Edit2->setText("main.html");
             m.Dialog<TForm20>()->ComboBox1->setCurrentIndex(1);
             return Press(m.Dialog<TForm20>()->Button1);
         },
         "a<frame src=\"main.html\" scrolling=\"No\">\n|c"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Run("a{b|c", c.Command, c.Fill), c.Expected) << c.Name;
}

TEST_F(MarkupCommandsII, CountFieldsTakeWhatIsTypedAndResizeTheGridsKeepingCells)
{
    const struct {
        const char* Typed;
        int Value;
    } cases[] = {{"250", 100}, {"abc", 1}, {"0", 1}, {"-5", 1}, {"7", 7}, {"100", 100}};
    TForm13& table = *mainWindow->Dialog<TForm13>();
    for (const auto& c : cases) {
        table.Reset();
        SetCell(*table.StringGrid2, 0, 0, "stays");
        TypeCount(*table.SpinEdit1, c.Typed);
        TypeCount(*table.SpinEdit2, c.Typed);
        EXPECT_EQ(table.SpinEdit1->value(), c.Value) << c.Typed;
        EXPECT_EQ(table.SpinEdit1->text(), QString::number(c.Value)) << c.Typed;
        EXPECT_EQ(table.StringGrid2->rowCount(), c.Value) << c.Typed;
        for (QTableWidget* grid : {table.StringGrid1, table.StringGrid2, table.StringGrid3})
            EXPECT_EQ(grid->columnCount(), c.Value) << c.Typed;
        EXPECT_EQ(table.StringGrid1->rowCount(), 1);
        EXPECT_EQ(table.StringGrid2->item(0, 0)->text(), "stays") << c.Typed;
    }
    table.CheckBox1->click();
    EXPECT_FALSE(table.StringGrid1->isEnabled());
    EXPECT_TRUE(table.StringGrid3->isEnabled());
}

TEST_F(MarkupCommandsII, ACountTypedThroughSmallerValuesKeepsTheCellsTyped)
{
    // Typing 12 over 3 passes through an empty field and 1: the cells of rows and columns hidden on
    // the way come back when the count grows again, and stay unwritten while hidden.
    const struct {
        const char* Name;
        bool Columns;
        const char* Typed;
        int Written;  // cells holding typed text in the mark-up
        const char* Kept;
    } cases[] = {
        {"rows_to_12", false, "12", 9, "  <td>b2</td>\n  <td></td>\n  <td></td>\n </tr>\n <tr>"},
        {"rows_to_2", false, "2", 8, "  <td>b1</td>\n  <td></td>\n  <td></td>\n </tr>\n</tbody>"},
        {"columns_to_12", true, "12", 9, "  <td>b2</td>\n  <td></td>"},
        {"columns_to_1", true, "1", 2, "<thead>\n <tr>\n <td>h0</td>\n</tr>"},
    };
    for (const auto& c : cases) {
        const std::string written = Run("|", &TForm1::Table1Click, [&](TForm1& m) {
            TForm13& t = *m.Dialog<TForm13>();
            t.SpinEdit1->setValue(3);
            t.SpinEdit2->setValue(3);
            for (int i = 0; i < 3; ++i) {
                SetCell(*t.StringGrid1, 0, i, QString("h%1").arg(i));
                SetCell(*t.StringGrid2, i, c.Columns ? 2 : 0, QString("b%1").arg(i));
                SetCell(*t.StringGrid3, 0, i, QString("f%1").arg(i));
            }
            TSpinEdit& field = c.Columns ? *t.SpinEdit2 : *t.SpinEdit1;
            field.selectAll();
            QTest::keyClick(&field, Qt::Key_Backspace);
            QTest::keyClicks(&field, c.Typed);
            return Press(t.Button3);
        });
        EXPECT_EQ(Count(written, "<td>b") + Count(written, "<td>h") + Count(written, "<td>f"), c.Written) << c.Name;
        EXPECT_NE(written.find(c.Kept), std::string::npos) << c.Name;
    }
}

TEST_F(MarkupCommandsII, ACountTypedWhileACellIsCurrentOpensNoCellEditor)
{
    // The current cell's row goes away on the way to 12; an editor opened on the cell that becomes
    // current would take the focus, and the keys typed next, from the count field.
    bool editorOpened = true;
    const std::string written = Run("|", &TForm1::Table1Click, [&](TForm1& m) {
        TForm13& t = *m.Dialog<TForm13>();
        t.SpinEdit1->setValue(3);
        for (int row = 0; row < 3; ++row) SetCell(*t.StringGrid2, row, 0, QString("b%1").arg(row));
        t.StringGrid2->setCurrentCell(2, 0);
        t.SpinEdit1->selectAll();
        QTest::keyClick(t.SpinEdit1, Qt::Key_Backspace);
        editorOpened = false;
        for (const QLineEdit* editor : t.StringGrid2->viewport()->findChildren<QLineEdit*>())
            editorOpened = editorOpened || editor->isVisible();
        QTest::keyClicks(t.SpinEdit1, "12");
        return Press(t.Button3);
    });
    EXPECT_FALSE(editorOpened);
    EXPECT_EQ(Count(written, " <tr>"), 1 + 12);
    for (const char* cell : {"<td>b0</td>", "<td>b1</td>", "<td>b2</td>"})
        EXPECT_EQ(Count(written, cell), 1) << cell;
}

TEST_F(MarkupCommandsII, EachShowingStartsFromTheResetValues)
{
    NewPage();
    desktop.AnswerModal([this](QDialog&) {
        TForm13& t = *mainWindow->Dialog<TForm13>();
        t.SpinEdit1->setValue(3);
        SetCell(*t.StringGrid2, 2, 0, "old");
        t.CheckBox2->setChecked(false);
        t.Edit1->setText("50%");
        return int(QDialog::Rejected);
    });
    mainWindow->Table1Click();
    desktop.AnswerModal([this](QDialog&) {
        TForm13& t = *mainWindow->Dialog<TForm13>();
        EXPECT_EQ(t.SpinEdit1->value(), 1);
        EXPECT_TRUE(t.CheckBox2->isChecked());
        EXPECT_TRUE(t.StringGrid3->isEnabled());
        EXPECT_EQ(t.Edit1->text(), "");
        t.SpinEdit1->setValue(3);
        return Press(t.Button3);
    });
    mainWindow->Table1Click();
    EXPECT_EQ(Count(Marked(Page()), "old"), 0);
    EXPECT_EQ(Count(Marked(Page()), "  <td></td>"), 3);

    desktop.AnswerModal([this](QDialog&) {
        TForm16& l = *mainWindow->Dialog<TForm16>();
        l.Button1->click();
        SetCell(*l.StringGrid1, 1, 0, "old");
        l.Edit2->setText("4");
        return int(QDialog::Rejected);
    });
    mainWindow->List2Click();
    desktop.AnswerModal([this](QDialog&) {
        TForm16& l = *mainWindow->Dialog<TForm16>();
        EXPECT_EQ(l.StringGrid1->rowCount(), 1);
        EXPECT_EQ(l.StringGrid1->item(0, 0), nullptr);
        EXPECT_EQ(l.Edit2->text(), "");
        EXPECT_EQ(l.StringGrid1->horizontalHeaderItem(0)->text(), "Text");
        EXPECT_EQ(l.StringGrid1->horizontalHeaderItem(1)->text(), "Value");
        return int(QDialog::Rejected);
    });
    mainWindow->List2Click();
}

TEST_F(MarkupCommandsII, AddLineStopsAtTenThousandGridRows)
{
    TForm16& list = *mainWindow->Dialog<TForm16>();
    list.Reset();
    list.StringGrid1->setRowCount(TForm16::kMaxGridRows - 3);
    for (int click = 0; click < 4; ++click) list.Button1->click();
    // The heading row counts: 9999 option rows.
    EXPECT_EQ(list.StringGrid1->rowCount(), TForm16::kMaxGridRows - 1);
}

TEST_F(MarkupCommandsII, OneUndoTakesAWholeTableBack)
{
    const std::string written = Run("a{b|c", &TForm1::Table1Click, [](TForm1& m) {
        m.Dialog<TForm13>()->SpinEdit1->setValue(100);
        m.Dialog<TForm13>()->SpinEdit2->setValue(100);
        SetCell(*m.Dialog<TForm13>()->StringGrid2, 99, 99, "last");
        return Press(m.Dialog<TForm13>()->Button3);
    });
    EXPECT_EQ(Count(written, "  <td>"), 100 * 100);
    EXPECT_NE(written.find("  <td>last</td>\n </tr>\n</tbody>"), std::string::npos);
    Command("Undo1")->trigger();
    EXPECT_EQ(Marked(Page()), "a{b|c");
    EXPECT_FALSE(Page().Document().UndoList().CanUndo());
}

TEST_F(MarkupCommandsII, F1OpensEachDialogsTopic)
{
    const TForm1& m = *mainWindow;
    const std::pair<QDialog*, int> dialogs[] = {
        {m.Dialog<TForm6>(), 18},  {m.Dialog<TForm7>(), 19},  {m.Dialog<TForm8>(), 20},  {m.Dialog<TForm10>(), 25}, {m.Dialog<TForm11>(), 29}, {m.Dialog<TForm12>(), 30},
        {m.Dialog<TForm13>(), 31}, {m.Dialog<TForm14>(), 32}, {m.Dialog<TForm15>(), 33}, {m.Dialog<TForm16>(), 34}, {m.Dialog<TForm17>(), 35}, {m.Dialog<TForm18>(), 36},
        {m.Dialog<TForm19>(), 37}, {m.Dialog<TForm20>(), 38}, {m.Dialog<TForm21>(), 39}, {m.Dialog<TForm22>(), 40},
    };
    for (const auto& [dialog, topic] : dialogs) {
        desktop.helpContexts.clear();
        QTest::keyClick(dialog, Qt::Key_F1);
        EXPECT_EQ(desktop.helpContexts, std::vector<int>{topic}) << dialog->windowTitle().toStdString();
    }
}

TEST_F(MarkupCommandsII, DialogsShowTheirCaptionsAndItems)
{
    const TForm1& m = *mainWindow;
    QStringList types;
    for (int i = 0; i < m.Dialog<TForm15>()->ComboBox1->count(); ++i) types << m.Dialog<TForm15>()->ComboBox1->itemText(i);
    EXPECT_EQ(types, (QStringList{"Text", "Password", "Checkbox", "Radio", "Button", "Submit", "Reset", "File",
                                  "Image", "Hidden"}));
    EXPECT_EQ(m.Dialog<TForm14>()->CheckBox1->text(), "Enctype (application/x-www-form-urlencoded)");
    QStringList methods;
    for (const QRadioButton* method : m.Dialog<TForm14>()->RadioButtons) methods << method->text();
    EXPECT_EQ(methods, (QStringList{"Post", "Get", "Link"}));
    EXPECT_EQ(m.Dialog<TForm20>()->ComboBox1->count(), 3);
    EXPECT_EQ(m.Dialog<TForm20>()->ComboBox1->itemText(2), "Auto");
    const QString titles[] = {m.Dialog<TForm13>()->windowTitle(), m.Dialog<TForm14>()->windowTitle(), m.Dialog<TForm15>()->windowTitle(),
                              m.Dialog<TForm16>()->windowTitle(), m.Dialog<TForm17>()->windowTitle(), m.Dialog<TForm18>()->windowTitle(),
                              m.Dialog<TForm19>()->windowTitle(), m.Dialog<TForm20>()->windowTitle()};
    EXPECT_EQ(QStringList(std::begin(titles), std::end(titles)),
              (QStringList{"Table", "Form", "Input", "List", "Text Area", "Label", "Frame Set", "Frame"}));
}

}  // namespace
