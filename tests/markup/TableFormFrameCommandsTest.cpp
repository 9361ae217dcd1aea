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
        {"table_defaults", &TForm1::Table1Click, [](TForm1& m) { return Press(m.Form13->Button3); },
         "a<table bgcolor=\"#FFFFFF\" bordercolor=\"#000000\">\n<thead>\n <tr>\n <td></td>\n</tr>\n</thead>\n"
         "<tbody>\n <tr>\n  <td></td>\n </tr>\n</tbody>\n<tfoot>\n<tr>\n <td></td>\n</tr>\n</tfoot>\n</table>\n|c"},
        {"table_columns_reduced_after_typing", &TForm1::Table1Click,
         [](TForm1& m) {
             TForm13& t = *m.Form13;
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
             m.Form14->RadioButtons[1]->click();
             m.Form14->Edit1->setText("send");
             m.Form14->CheckBox1->setChecked(true);
             return Press(m.Form14->Button1);
         },
         "a<form method=\"Get\" action=\"send\" enctype=\"application/x-www-form-urlencoded\">\n|\n</form>c"},
        {"input_defaults", &TForm1::Input1Click, [](TForm1& m) { return Press(m.Form15->Button1); },
         "a<input type=\"Text\">|c"},
        {"input_password_named", &TForm1::Input1Click,
         [](TForm1& m) {
             m.Form15->ComboBox1->setCurrentIndex(1);
             m.Form15->Edit1->setText("  ");
             return Press(m.Form15->Button1);
         },
         "a<input type=\"Password\" name=\"  \">|c"},
        {"select_defaults", &TForm1::List2Click, [](TForm1& m) { return Press(m.Form16->Button3); },
         "a<select>\n<option value=\"\"></option>\n</select>\n|c"},
        {"select_three_rows_middle_empty", &TForm1::List2Click,
         [](TForm1& m) {
             TForm16& l = *m.Form16;
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
         [](TForm1& m) { m.Form17->Memo1->setPlainText("a\nb"); return Press(m.Form17->Button1); },
         "a<textarea>\na\nb\n</textarea>\n|c"},
        {"label_empty", &TForm1::Label1Click, [](TForm1& m) { return Press(m.Form18->Button1); }, "a<label></label>|c"},
        {"frameset_defaults", &TForm1::FrameSet1Click, [](TForm1& m) { return Press(m.Form19->Button1); },
         "a<frameset>\n|\n</frameset>c"},
        {"frame_src_and_scrolling", &TForm1::Frame2Click,
         [](TForm1& m) {
             m.Form20->Edit2->setText("main.html");
             m.Form20->ComboBox1->setCurrentIndex(1);
             return Press(m.Form20->Button1);
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
    TForm13& table = *mainWindow->Form13;
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

TEST_F(MarkupCommandsII, EachShowingStartsFromTheResetValues)
{
    NewPage();
    desktop.AnswerModal([this](QDialog&) {
        TForm13& t = *mainWindow->Form13;
        t.SpinEdit1->setValue(3);
        SetCell(*t.StringGrid2, 2, 0, "old");
        t.CheckBox2->setChecked(false);
        t.Edit1->setText("50%");
        return int(QDialog::Rejected);
    });
    mainWindow->Table1Click();
    desktop.AnswerModal([this](QDialog&) {
        TForm13& t = *mainWindow->Form13;
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
        TForm16& l = *mainWindow->Form16;
        l.Button1->click();
        SetCell(*l.StringGrid1, 1, 0, "old");
        l.Edit2->setText("4");
        return int(QDialog::Rejected);
    });
    mainWindow->List2Click();
    desktop.AnswerModal([this](QDialog&) {
        TForm16& l = *mainWindow->Form16;
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
    TForm16& list = *mainWindow->Form16;
    list.Reset();
    list.StringGrid1->setRowCount(TForm16::kMaxGridRows - 3);
    for (int click = 0; click < 4; ++click) list.Button1->click();
    // The heading row counts: 9999 option rows.
    EXPECT_EQ(list.StringGrid1->rowCount(), TForm16::kMaxGridRows - 1);
}

TEST_F(MarkupCommandsII, OneUndoTakesAWholeTableBack)
{
    const std::string written = Run("a{b|c", &TForm1::Table1Click, [](TForm1& m) {
        m.Form13->SpinEdit1->setValue(100);
        m.Form13->SpinEdit2->setValue(100);
        SetCell(*m.Form13->StringGrid2, 99, 99, "last");
        return Press(m.Form13->Button3);
    });
    EXPECT_EQ(Count(written, "  <td>"), 100 * 100);
    EXPECT_NE(written.find("  <td>last</td>\n </tr>\n</tbody>"), std::string::npos);
    Command("Undo1")->trigger();
    EXPECT_EQ(Marked(Page()), "a{b|c");
    EXPECT_FALSE(Page().CanUndo());
}

TEST_F(MarkupCommandsII, F1OpensEachDialogsTopic)
{
    const TForm1& m = *mainWindow;
    const std::pair<QDialog*, int> dialogs[] = {
        {m.Form6, 18},  {m.Form7, 19},  {m.Form8, 20},  {m.Form10, 25}, {m.Form11, 29}, {m.Form12, 30},
        {m.Form13, 31}, {m.Form14, 32}, {m.Form15, 33}, {m.Form16, 34}, {m.Form17, 35}, {m.Form18, 36},
        {m.Form19, 37}, {m.Form20, 38}, {m.Form21, 39}, {m.Form22, 40},
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
    for (int i = 0; i < m.Form15->ComboBox1->count(); ++i) types << m.Form15->ComboBox1->itemText(i);
    EXPECT_EQ(types, (QStringList{"Text", "Password", "Checkbox", "Radio", "Button", "Submit", "Reset", "File",
                                  "Image", "Hidden"}));
    EXPECT_EQ(m.Form14->CheckBox1->text(), "Enctype (application/x-www-form-urlencoded)");
    QStringList methods;
    for (const QRadioButton* method : m.Form14->RadioButtons) methods << method->text();
    EXPECT_EQ(methods, (QStringList{"Post", "Get", "Link"}));
    EXPECT_EQ(m.Form20->ComboBox1->count(), 3);
    EXPECT_EQ(m.Form20->ComboBox1->itemText(2), "Auto");
    const QString titles[] = {m.Form13->windowTitle(), m.Form14->windowTitle(), m.Form15->windowTitle(),
                              m.Form16->windowTitle(), m.Form17->windowTitle(), m.Form18->windowTitle(),
                              m.Form19->windowTitle(), m.Form20->windowTitle()};
    EXPECT_EQ(QStringList(std::begin(titles), std::end(titles)),
              (QStringList{"Table", "Form", "Input", "List", "Text Area", "Label", "Frame Set", "Frame"}));
}

}  // namespace
