// The mark-up commands of the main window on real dialogs and a real page, the scripted platform
// answering: what each writes for its dialog's values, where the caret and selection end ("|"
// caret, "{" anchor), refusals, cancelling, resets, encodings and undo.
#include "MarkupCommandsFixture.h"
#include "editor/control/EditorModel.h"
#include "editor/EditorTestText.h"
#include "markup/dialogs/ColorSwatch.h"
#include "markup/dialogs/CommentU.h"
#include "markup/dialogs/FontU.h"
#include "markup/dialogs/FormU.h"
#include "markup/dialogs/HeaderU.h"
#include "markup/dialogs/ImageU.h"
#include "markup/dialogs/LinkU.h"
#include "markup/dialogs/ListU.h"
#include "markup/dialogs/ParagraphU.h"
#include "markup/dialogs/SoundU.h"
#include "markup/dialogs/TextU.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

namespace {

void AddEntry(TForm12& list, const QString& text, const QString& description = {})
{
    list.Edit1->setText(text);
    list.Edit2->setText(description);
    list.Button1->click();
}

void ChooseEntry(TForm12& list, int row)
{
    list.ListBox1->item(row)->setSelected(true);
}

// Which entry is chosen after each button: only a delete or a move that moved something lets go.
TEST_F(MarkupCommands, ListDialogKeepsTheChosenEntryUntilAMoveOrADelete)
{
    const struct {
        const char* name;
        int chosen;
        std::function<void(TForm12&)> act;
        int chosenAfter;  // -1: none
    } cases[] = {
        {"add", 1, [](TForm12& l) { AddEntry(l, "d"); }, 1},
        {"add_refused_empty", 0, [](TForm12& l) { AddEntry(l, ""); }, 0},
        {"ordered_to_unordered", 2, [](TForm12& l) { l.RadioButtons[1]->click(); }, 2},
        {"to_definition_empties", 2, [](TForm12& l) { l.RadioButtons[2]->click(); }, -1},
        {"first_up_moves_nothing", 0, [](TForm12& l) { l.Button3->click(); }, 0},
        {"last_down_moves_nothing", 2, [](TForm12& l) { l.Button4->click(); }, 2},
        {"up", 1, [](TForm12& l) { l.Button3->click(); }, -1},
        {"down", 1, [](TForm12& l) { l.Button4->click(); }, -1},
        {"delete", 1, [](TForm12& l) { l.Button2->click(); }, -1},
    };
    TForm12& list = *mainWindow->Dialog<TForm12>();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        list.Reset();
        for (const char* text : {"a", "b", "c"}) AddEntry(list, text);
        ChooseEntry(list, c.chosen);
        c.act(list);
        const QList<QListWidgetItem*> chosen = list.ListBox1->selectedItems();
        EXPECT_EQ(chosen.isEmpty() ? -1 : list.ListBox1->row(chosen.constFirst()), c.chosenAfter);
    }
}

TEST_F(MarkupCommands, WriteTheDialogsValuesWithTheirCaretRule)
{
    const struct {
        const char* Name;
        std::string Page;
        Handler Command;
        Answer Fill;
        std::string Expected;
    } cases[] = {
        {"bold_takes_selection", "say {Hello|!", &TForm1::Bold1Click,
         [](TForm1& m) { return Press(m.Dialog<TForm9>()->Button1); }, "say <b>{Hello|</b>!"},
        {"italic_field_changed", "{abc|", &TForm1::Italic1Click,
         [](TForm1& m) { m.Dialog<TForm9>()->Edit1->setText("xyz"); return Press(m.Dialog<TForm9>()->Button1); }, "<i>{xyz|</i>"},
        {"subscript_empty", "a|b", &TForm1::Subscript1Click, [](TForm1& m) { return Press(m.Dialog<TForm9>()->Button1); },
         "a<sub>|</sub>b"},
        {"superscript_two_line_selection", "{a\nb|", &TForm1::Superscript1Click,
         [](TForm1& m) { return Press(m.Dialog<TForm9>()->Button1); }, "<sup>{a\nb|</sup>"},
        {"break_replaces_selection", "a{bc|d", &TForm1::Break1Click, nullptr, "a<br>\n|d"},
        {"comment_replaces_selection", "x{sel|y", &TForm1::Comment1Click,
         [](TForm1& m) { m.Dialog<TForm22>()->Memo1->setPlainText("a\nb"); return Press(m.Dialog<TForm22>()->Button1); },
         "x<!-- a\nb -->\n|y"},
        {"font_every_field", "{abc|", &TForm1::Font1Click,
         [](TForm1& m) {
             m.Dialog<TForm7>()->ComboBox1->setCurrentText("Courier New");
             m.Dialog<TForm7>()->Edit1->setText("3");
             m.Dialog<TForm7>()->Shape1->SetColor(QColor(255, 0, 0));
             return Press(m.Dialog<TForm7>()->Button2);
         },
         "<font face=\"Courier New\" size=\"3\" color=\"#FF0000\">{abc|</font>"},
        {"paragraph_two_line_selection", "<{a\nb|>", &TForm1::Paragraph1Click,
         [](TForm1& m) { m.Dialog<TForm8>()->ComboBox1->setCurrentIndex(1); return Press(m.Dialog<TForm8>()->Button1); },
         "<<p align=\"Center\">{a\nb|</p>>"},
        {"header_level_and_text", "|", &TForm1::Header1Click,
         [](TForm1& m) {
             m.Dialog<TForm10>()->ComboBox1->setCurrentIndex(1);
             m.Dialog<TForm10>()->Edit1->setText("abc");
             return Press(m.Dialog<TForm10>()->Button1);
         },
         "<h2>{abc|</h2>"},
        {"link_new_window", "{abc|", &TForm1::Link1Click,
         [](TForm1& m) {
             m.Dialog<TForm6>()->Edit1->setText("page2");
             m.Dialog<TForm6>()->ComboBox1->setCurrentIndex(2);
             return Press(m.Dialog<TForm6>()->Button1);
         },
         "<a href=\"page2\" target=\"_blank\">{abc|</a>"},
        {"image_replaces_selection", "a{b|c", &TForm1::Image1Click,
         [](TForm1& m) {
             m.Dialog<TForm11>()->Edit1->setText("p.png");
             m.Dialog<TForm11>()->Edit6->setText("0");
             m.Dialog<TForm11>()->ComboBox1->setCurrentIndex(2);
             return Press(m.Dialog<TForm11>()->Button1);
         },
         "a<img src=\"p.png\" align=\"Right\" border=\"0\" bordercolor=\"000000\">|c"},
        {"sound_with_loop", "{x|", &TForm1::Sound1Click,
         [](TForm1& m) {
             m.Dialog<TForm21>()->Edit1->setText("s.mid");
             m.Dialog<TForm21>()->Edit2->setText("-1");
             return Press(m.Dialog<TForm21>()->Button1);
         },
         "<bgsound src=\"s.mid\" loop=\"-1\">\n|"},
        {"definition_list_b_moved_up", "{x|", &TForm1::List1Click,
         [](TForm1& m) {
             m.Dialog<TForm12>()->RadioButtons[2]->click();
             AddEntry(*m.Dialog<TForm12>(), "A", "a");
             AddEntry(*m.Dialog<TForm12>(), "B", "b");
             ChooseEntry(*m.Dialog<TForm12>(), 1);
             m.Dialog<TForm12>()->Button3->click();
             return Press(m.Dialog<TForm12>()->Button5);
         },
         "<dl>\n<dt>B</dt>\n<dd>b</dd>\n<dt>A</dt>\n<dd>a</dd>\n</dl>\n|"},
        {"ordered_switched_to_unordered", "|", &TForm1::List1Click,
         [](TForm1& m) {
             AddEntry(*m.Dialog<TForm12>(), "one");
             AddEntry(*m.Dialog<TForm12>(), "two");
             m.Dialog<TForm12>()->RadioButtons[1]->click();
             return Press(m.Dialog<TForm12>()->Button5);
         },
         "<ul>\n<li>one\n<li>two\n</ul>\n|"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Run(c.Page, c.Command, c.Fill), c.Expected) << c.Name;
}

TEST_F(MarkupCommands, ALongSelectionComesBackWholeBetweenTheTags)
{
    // Longer than a one-line field holds by default (32767 characters).
    const std::string selection(40000, 'x');
    const std::pair<Handler, std::function<QPushButton*(TForm1&)>> commands[] = {
        {&TForm1::Bold1Click, [](TForm1& m) { return m.Dialog<TForm9>()->Button1; }},
        {&TForm1::Font1Click, [](TForm1& m) { return m.Dialog<TForm7>()->Button2; }},
        {&TForm1::Header1Click, [](TForm1& m) { return m.Dialog<TForm10>()->Button1; }},
        {&TForm1::Link1Click,
         [](TForm1& m) { m.Dialog<TForm6>()->Edit1->setText("u"); return m.Dialog<TForm6>()->Button1; }},
    };
    for (const auto& [command, ok] : commands) {
        NewPage();
        TCodeMemo& memo = *mainWindow->ActiveDocument()->CodeMemo1;
        memo.Model().SetText(selection);
        memo.Model().SelectAll();
        desktop.AnswerModal([this, ok = ok](QDialog&) { return Press(ok(*mainWindow)); });
        (mainWindow.get()->*command)();
        const std::string text = memo.Model().Document().Text();
        EXPECT_NE(text.find(">" + selection + "</"), std::string::npos);
        EXPECT_EQ(memo.Model().SelectionStart(), static_cast<int>(text.find(selection)));
        EXPECT_EQ(memo.Model().SelectionLength(), static_cast<int>(selection.size()));
    }
}

TEST_F(MarkupCommands, PagesGetCrLfLineBreaksExactly)
{
    NewPage();
    desktop.AnswerModal([this](QDialog&) {
        AddEntry(*mainWindow->Dialog<TForm12>(), "x");
        return Press(mainWindow->Dialog<TForm12>()->Button5);
    });
    mainWindow->List1Click();
    EXPECT_EQ(mainWindow->ActiveDocument()->CodeMemo1->Model().Document().Text(), "<ol>\r\n<li>x\r\n</ol>\r\n");
    EXPECT_EQ(mainWindow->ActiveDocument()->CodeMemo1->Model().SelectionStart(), 20);
}

TEST_F(MarkupCommands, CancelAndTheCloseBoxChangeNothing)
{
    const Handler commands[] = {&TForm1::Bold1Click,  &TForm1::Comment1Click, &TForm1::Font1Click,
                                &TForm1::Paragraph1Click, &TForm1::Header1Click, &TForm1::Link1Click,
                                &TForm1::Image1Click, &TForm1::Sound1Click, &TForm1::List1Click,
                                &TForm1::Table1Click, &TForm1::EditFormClick, &TForm1::Input1Click,
                                &TForm1::List2Click, &TForm1::extarea1Click, &TForm1::Label1Click,
                                &TForm1::FrameSet1Click, &TForm1::Frame2Click};
    const std::function<int(QDialog&)> ways[] = {
        [](QDialog& d) {
            // The dialog's own "Cancel": the last button of its row.
            d.findChildren<QPushButton*>().constLast()->click();
            return d.result();
        },
        [](QDialog& d) { d.close(); return d.result(); },
    };
    for (const Handler command : commands) {
        for (const auto& way : ways) {
            NewPage();
            LoadMarked(Page(), "a{bc|d");
            desktop.AnswerModal(way);
            (mainWindow.get()->*command)();
            EXPECT_EQ(Marked(Page()), "a{bc|d");
            EXPECT_FALSE(Page().Document().UndoList().CanUndo());
        }
    }
}

TEST_F(MarkupCommands, RefusalsKeepTheDialogOpenWithItsMessage)
{
    const struct {
        const char* Name;
        Handler Command;
        std::function<void(TForm1&)> Press;
        const char* Message;
    } cases[] = {
        {"comment_empty", &TForm1::Comment1Click, [](TForm1& m) { m.Dialog<TForm22>()->Button1->click(); },
         "The Text must not be empty!"},
        {"link_no_url", &TForm1::Link1Click,
         [](TForm1& m) { m.Dialog<TForm6>()->Edit3->setText("t"); m.Dialog<TForm6>()->Button1->click(); }, "The URL must not be empty!"},
        {"image_no_file", &TForm1::Image1Click, [](TForm1& m) { m.Dialog<TForm11>()->Button1->click(); },
         "The File Name must not be empty!"},
        {"sound_no_file", &TForm1::Sound1Click, [](TForm1& m) { m.Dialog<TForm21>()->Button1->click(); },
         "The File Name must not be empty!"},
        {"form_no_url", &TForm1::EditFormClick, [](TForm1& m) { m.Dialog<TForm14>()->Button1->click(); },
         "The URL must not be empty!"},
        {"list_no_entries", &TForm1::List1Click, [](TForm1& m) { m.Dialog<TForm12>()->Button5->click(); },
         "The List must not be empty!"},
        {"list_add_empty", &TForm1::List1Click, [](TForm1& m) { m.Dialog<TForm12>()->Button1->click(); },
         "The Text must not be empty!"},
        {"list_delete_none_chosen", &TForm1::List1Click,
         [](TForm1& m) { AddEntry(*m.Dialog<TForm12>(), "x"); m.Dialog<TForm12>()->Button2->click(); }, "Please, select list item!"},
        {"list_up_none_chosen", &TForm1::List1Click,
         [](TForm1& m) { AddEntry(*m.Dialog<TForm12>(), "x"); m.Dialog<TForm12>()->Button3->click(); }, "Please, select list item!"},
        {"list_down_after_a_move", &TForm1::List1Click,
         [](TForm1& m) {
             AddEntry(*m.Dialog<TForm12>(), "x");
             AddEntry(*m.Dialog<TForm12>(), "y");
             ChooseEntry(*m.Dialog<TForm12>(), 1);
             m.Dialog<TForm12>()->Button3->click();
             m.Dialog<TForm12>()->Button4->click();
         },
         "Please, select list item!"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        bool stillOpen = false;
        const std::string written = Run("a{b|c", c.Command, [&](TForm1& m) {
            QDialog* dialog = nullptr;
            for (QDialog* d : m.findChildren<QDialog*>())
                if (d->isVisible()) dialog = d;
            c.Press(m);
            stillOpen = dialog && dialog->isVisible();
            return int(QDialog::Rejected);
        });
        EXPECT_TRUE(stillOpen);
        EXPECT_EQ(desktop.MessageTexts(MessageKind::Plain), std::vector<QString>{QString::fromUtf8(c.Message)});
        EXPECT_EQ(written, "a{b|c");
    }
}

TEST_F(MarkupCommands, EachShowingStartsFromTheResetValues)
{
    // A first use leaves typed values behind and is cancelled.
    NewPage();
    desktop.colorAnswers.push_back(QColor(0x12, 0x34, 0x56));
    desktop.AnswerModal([this](QDialog&) {
        TForm7& font = *mainWindow->Dialog<TForm7>();
        font.ComboBox1->setCurrentIndex(3);
        font.Edit1->setText("7");
        font.Button1->click();
        return int(QDialog::Rejected);
    });
    mainWindow->Font1Click();
    desktop.AnswerModal([this](QDialog&) {
        TForm12& list = *mainWindow->Dialog<TForm12>();
        list.RadioButtons[2]->click();
        AddEntry(list, "A", "a");
        list.Edit1->setText("left");
        return int(QDialog::Rejected);
    });
    mainWindow->List1Click();

    desktop.ClearRecords();
    LoadMarked(Page(), "{sel|");
    desktop.colorAnswers.push_back(std::nullopt);
    desktop.AnswerModal([this](QDialog&) {
        TForm7& font = *mainWindow->Dialog<TForm7>();
        EXPECT_EQ(font.ComboBox1->currentIndex(), -1);
        EXPECT_EQ(font.Edit1->text(), "");
        EXPECT_EQ(font.Shape1->Rgb(), 0x000000u);
        EXPECT_EQ(font.Edit2->text(), "sel");
        font.Button1->click();  // the chooser keeps its last confirmed colour
        return int(QDialog::Rejected);
    });
    mainWindow->Font1Click();
    ASSERT_EQ(desktop.dialogs.size(), 2u);
    EXPECT_EQ(desktop.dialogs[1].initialColor, QColor(0x12, 0x34, 0x56));

    desktop.AnswerModal([this](QDialog&) {
        TForm12& list = *mainWindow->Dialog<TForm12>();
        EXPECT_TRUE(list.RadioButtons[0]->isChecked());
        EXPECT_EQ(list.ListBox1->count(), 0);
        EXPECT_EQ(list.Edit1->text(), "");
        EXPECT_FALSE(list.Edit2->isEnabled());
        EXPECT_TRUE(list.Entries().Texts().empty());
        return int(QDialog::Rejected);
    });
    mainWindow->List1Click();
}

TEST_F(MarkupCommands, StyleCommandsSetTheTextDialogsCaptionAndTopic)
{
    const std::tuple<Handler, const char*, int> styles[] = {
        {&TForm1::Bold1Click, "Bold", 21},         {&TForm1::Italic1Click, "Italic", 22},
        {&TForm1::Underline1Click, "Underline", 23}, {&TForm1::Strike1Click, "Strike", 24},
        {&TForm1::Subscript1Click, "Subscript", 26}, {&TForm1::Superscript1Click, "Superscript", 27},
    };
    NewPage();
    for (const auto& [command, caption, topic] : styles) {
        desktop.ClearRecords();
        desktop.AnswerModal([this](QDialog& dialog) {
            QTest::keyClick(mainWindow->Dialog<TForm9>()->Edit1, Qt::Key_F1);
            QTest::keyClick(mainWindow->Dialog<TForm9>()->Edit1, Qt::Key_Return);
            QTest::keyClick(mainWindow->Dialog<TForm9>()->Edit1, Qt::Key_Escape);
            EXPECT_TRUE(dialog.isVisible()) << "Enter and Esc do nothing";
            return int(QDialog::Rejected);
        });
        (mainWindow.get()->*command)();
        EXPECT_EQ(desktop.DialogTitles(DialogKind::Modal), std::vector<QString>{caption});
        EXPECT_EQ(desktop.helpContexts, std::vector<int>{topic});
    }
}

TEST_F(MarkupCommands, TextAWindowsPageCannotHoldIsRefusedAndTheDialogComesBack)
{
    const QString path = PathOf("old.html");
    WriteFile(path, "caf\xE9 x");
    OpenPage(path);
    Page().SetSelection({0, 5}, {0, 6});
    desktop.ClearRecords();
    desktop.AnswerModal([this](QDialog&) {
        mainWindow->Dialog<TForm9>()->Edit1->setText(QString::fromUtf8("\xD0\x96"));  // Cyrillic Zhe
        return Press(mainWindow->Dialog<TForm9>()->Button1);
    });
    desktop.AnswerModal([this](QDialog&) {
        EXPECT_EQ(mainWindow->Dialog<TForm9>()->Edit1->text(), QString::fromUtf8("\xD0\x96")) << "nothing typed is lost";
        mainWindow->Dialog<TForm9>()->Edit1->setText(QString::fromUtf8("\xC3\xA9"));
        return Press(mainWindow->Dialog<TForm9>()->Button1);
    });
    mainWindow->Bold1Click();
    EXPECT_EQ(desktop.MessageTexts(MessageKind::Error),
              std::vector<QString>{"The character U+0416 cannot be stored in this page (Windows-1252)"});
    EXPECT_EQ(mainWindow->ActiveDocument()->CodeMemo1->Model().Document().Text(), "caf\xE9 <b>\xE9</b>");
    Page().Undo();
    EXPECT_EQ(Marked(Page()), "caf\xE9 {x|");
    EXPECT_FALSE(Page().Document().UndoList().CanUndo());
}

TEST_F(MarkupCommands, OneUndoTakesAWholeListBack)
{
    NewPage();
    LoadMarked(Page(), "a{b|c");
    desktop.AnswerModal([this](QDialog&) {
        for (const char* text : {"one", "two", "three"})
            AddEntry(*mainWindow->Dialog<TForm12>(), text);
        return Press(mainWindow->Dialog<TForm12>()->Button5);
    });
    mainWindow->List1Click();
    Command("Undo1")->trigger();
    EXPECT_EQ(Marked(Page()), "a{b|c");
    EXPECT_FALSE(Page().Document().UndoList().CanUndo());
}

TEST_F(MarkupCommands, DialogsShowTheirLabelsAndItems)
{
    const auto labels = [](const QWidget& dialog) {
        QStringList texts;
        for (const QLabel* label : dialog.findChildren<QLabel*>()) texts << label->text();
        return texts;
    };
    const auto items = [](const QComboBox& list) {
        QStringList texts;
        for (int i = 0; i < list.count(); ++i) texts << list.itemText(i);
        return texts;
    };
    const TForm1& m = *mainWindow;
    EXPECT_EQ(labels(*m.Dialog<TForm7>()), (QStringList{"Name", "Size", "Color", "Text"}));
    EXPECT_EQ(items(*m.Dialog<TForm7>()->ComboBox1).size(), 30);
    EXPECT_EQ(items(*m.Dialog<TForm7>()->ComboBox1).first(), "Arial");
    EXPECT_EQ(items(*m.Dialog<TForm7>()->ComboBox1).last(), "Verdana");
    EXPECT_EQ(labels(*m.Dialog<TForm6>()), (QStringList{"URL", "Target", "Title", "Text"}));
    EXPECT_EQ(items(*m.Dialog<TForm6>()->ComboBox1),
              (QStringList{"Default Window", "This Window", "New Window", "Parent Window", "Top Window"}));
    EXPECT_EQ(labels(*m.Dialog<TForm11>()), (QStringList{"File Name", "Width", "Height", "Alignment", "Title", "Alt",
                                              "Border Width", "Border Color"}));
    EXPECT_EQ(items(*m.Dialog<TForm10>()->ComboBox1), (QStringList{"1", "2", "3", "4", "5", "6"}));
    EXPECT_EQ(items(*m.Dialog<TForm8>()->ComboBox1), (QStringList{"Left", "Center", "Right"}));
    EXPECT_EQ(labels(*m.Dialog<TForm21>()), (QStringList{"File Name", "Repeat Count"}));
    EXPECT_EQ(labels(*m.Dialog<TForm22>()), QStringList{"Text"});
    EXPECT_EQ(m.Dialog<TForm12>()->RadioGroup1->title(), "Type");
    const QString windowTitles[] = {m.Dialog<TForm6>()->windowTitle(), m.Dialog<TForm7>()->windowTitle(), m.Dialog<TForm8>()->windowTitle(),
                                    m.Dialog<TForm10>()->windowTitle(), m.Dialog<TForm11>()->windowTitle(), m.Dialog<TForm12>()->windowTitle(),
                                    m.Dialog<TForm21>()->windowTitle(), m.Dialog<TForm22>()->windowTitle()};
    EXPECT_EQ(QStringList(std::begin(windowTitles), std::end(windowTitles)),
              (QStringList{"Link", "Font", "Paragraph", "Header", "Image", "List", "Sound", "Comment"}));
}

}  // namespace
