// The New HTML Page dialog and the About box, as real widgets with the scripted platform.
#include "app/AboutU.h"
#include "app/NewU.h"
#include "markup/PageSkeleton.h"
#include "markup/dialogs/ColorSwatch.h"
#include "support/ScriptedPlatform.h"

#include <QApplication>
#include <QComboBox>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class NewPageDialog : public testing::Test {
protected:
    ScriptedPlatform scripted;
    TForm24 dialog;
};

QStringList LabelTexts(const QWidget& parent)
{
    QStringList texts;
    for (const QLabel* label : parent.findChildren<QLabel*>())
        texts << label->text();
    return texts;
}

TEST_F(NewPageDialog, ControlsCarryTheirCaptionsAndItems)
{
    EXPECT_EQ(dialog.windowTitle(), "New HTML Page");
    const QStringList labels = LabelTexts(dialog);
    for (const char* text : {"Encoding", "Author", "Description", "Keywords (Separator - comma)", "Title",
                             "Background Image", "Top Margin", "Left Margin", "Text", "Background Color",
                             "Text Color", "Link Color", "Visited Link Color", "Active Link Color"})
        EXPECT_TRUE(labels.contains(text)) << text;
    QStringList items;
    for (int i = 0; i < dialog.ComboBox1->count(); ++i)
        items << dialog.ComboBox1->itemText(i);
    EXPECT_EQ(items, (QStringList{"UTF-8", "ASCII", "CP1256", "ISO-8859-1", "ISO-8859-2", "ISO-8859-6",
                                  "ISO-8859-15", "Windows-1252"}));
    EXPECT_TRUE(dialog.ComboBox1->isEditable());
    for (QPushButton* select : {dialog.Button1, dialog.Button2, dialog.Button3, dialog.Button4, dialog.Button5})
        EXPECT_EQ(select->text(), "Select");
    EXPECT_EQ(dialog.Button6->text(), "OK");
    EXPECT_EQ(dialog.Button7->text(), "Cancel");
}

TEST_F(NewPageDialog, ResetRestoresEveryFieldAfterUse)
{
    dialog.ComboBox1->setCurrentIndex(3);
    dialog.ComboBox1->setEditText("koi8-r");
    for (QLineEdit* edit : {dialog.Edit1, dialog.Edit2, dialog.Edit3, dialog.Edit4, dialog.Edit5, dialog.Edit6,
                            dialog.Edit7})
        edit->setText("typed");
    dialog.Memo1->setPlainText("some\ntext");
    for (ColorSwatch* swatch : {dialog.Shape1, dialog.Shape2, dialog.Shape3, dialog.Shape4, dialog.Shape5})
        swatch->SetColor(QColor(0x12, 0x34, 0x56));

    dialog.Reset();

    EXPECT_EQ(dialog.ComboBox1->currentIndex(), 0);
    EXPECT_EQ(dialog.ComboBox1->currentText(), "UTF-8");
    for (QLineEdit* edit : {dialog.Edit1, dialog.Edit2, dialog.Edit3, dialog.Edit4, dialog.Edit5})
        EXPECT_EQ(edit->text(), "");
    EXPECT_EQ(dialog.Edit6->text(), "10");
    EXPECT_EQ(dialog.Edit7->text(), "10");
    EXPECT_EQ(dialog.Memo1->toPlainText(), "");
    const std::pair<ColorSwatch*, QRgb> colours[] = {{dialog.Shape1, 0xFFFFFF}, {dialog.Shape2, 0x000000},
                                                     {dialog.Shape3, 0x0000FF}, {dialog.Shape4, 0x0000FF},
                                                     {dialog.Shape5, 0x0000FF}};
    for (const auto& [swatch, rgb] : colours)
        EXPECT_EQ(swatch->Rgb(), rgb);
    EXPECT_EQ(BuildPageSkeleton(dialog.SkeletonFields()), BuildPageSkeleton({}));
}

TEST_F(NewPageDialog, TabOrderFollowsTheForm)
{
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    const std::vector<QWidget*> expected = {
        dialog.ComboBox1, dialog.Edit1,   dialog.Edit2,   dialog.Edit3,   dialog.Edit4,   dialog.Edit5,
        dialog.Edit6,     dialog.Edit7,   dialog.Button1, dialog.Button2, dialog.Button3, dialog.Button4,
        dialog.Button5,   dialog.Memo1,   dialog.Button6, dialog.Button7, dialog.ComboBox1};
    expected[0]->setFocus();
    for (std::size_t i = 1; i < expected.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), expected[i]) << "after " << i << " tabs";
    }
}

TEST_F(NewPageDialog, TypedFieldsBecomeTheSkeletonFields)
{
    dialog.ComboBox1->setEditText("koi8-r");
    dialog.Edit1->setText("Ann \"A\" <Lee>");
    dialog.Edit4->setText("Gr\u00fc\u00dfe");
    dialog.Edit6->setText("x");
    const struct {
        const char* typed;
        const char* expected;
    } texts[] = {{"Hello\nWorld", "Hello\r\nWorld"},
                 {"Hello\nWorld\n", "Hello\r\nWorld\r\n"},
                 {"", ""},
                 {"no\u00A0break", "no\xC2\xA0" "break"},
                 {"soft\u2028break", "soft\r\nbreak"}};
    for (const auto& t : texts) {
        dialog.Memo1->setPlainText(t.typed);
        const PageSkeletonFields fields = dialog.SkeletonFields();
        EXPECT_EQ(fields.text, t.expected);
        EXPECT_EQ(fields.encoding, "koi8-r");
        EXPECT_EQ(fields.author, "Ann \"A\" <Lee>");
        EXPECT_EQ(fields.title, "Gr\xC3\xBC\xC3\x9F" "e");
        EXPECT_EQ(fields.topMargin, "x");
    }
}

TEST_F(NewPageDialog, TypedTextEndingWithEnterLeavesAnEmptyLineBeforeTheBodyEnd)
{
    dialog.show();
    dialog.Memo1->setFocus();
    QTest::keyClicks(dialog.Memo1, "one");
    QTest::keyClick(dialog.Memo1, Qt::Key_Return);
    QTest::keyClicks(dialog.Memo1, "two");
    QTest::keyClick(dialog.Memo1, Qt::Key_Return);
    const std::string page = BuildPageSkeleton(dialog.SkeletonFields());
    EXPECT_NE(page.find("alink=\"0000FF\">\r\none\r\ntwo\r\n\r\n</body>\r\n</html>"), std::string::npos) << page;
    EXPECT_TRUE(dialog.isVisible()) << "Enter in the text box only breaks the line";
}

TEST_F(NewPageDialog, SelectTakesTheConfirmedColourAndTheChooserRemembersIt)
{
    QPushButton* const buttons[] = {dialog.Button1, dialog.Button2, dialog.Button3, dialog.Button4, dialog.Button5};
    ColorSwatch* const swatches[] = {dialog.Shape1, dialog.Shape2, dialog.Shape3, dialog.Shape4, dialog.Shape5};
    const QColor chosen[] = {QColor(0xFF, 0, 0), QColor(0, 0, 0xFF), QColor(0x12, 0x34, 0x56),
                             QColor(0xAB, 0xCD, 0xEF), QColor(0, 0xFF, 0)};
    for (int i = 0; i < 5; ++i) {
        scripted.colorAnswers.push_back(chosen[i]);
        buttons[i]->click();
        EXPECT_EQ(swatches[i]->Color(), chosen[i]) << i;
        EXPECT_EQ(scripted.dialogs.back().initialColor, i == 0 ? QColor(Qt::black) : chosen[i - 1]) << i;
    }
    const PageSkeletonFields fields = dialog.SkeletonFields();
    EXPECT_EQ(fields.backgroundColor, 0xFF0000u);
    EXPECT_EQ(fields.textColor, 0x0000FFu);
    EXPECT_NE(BuildPageSkeleton(fields).find("bgcolor=\"FF0000\" text=\"0000FF\" link=\"123456\" vlink=\"ABCDEF\" "
                                             "alink=\"00FF00\""),
              std::string::npos);

    dialog.Reset();
    scripted.colorAnswers.push_back(QColor(0x11, 0x22, 0x33));
    dialog.Button3->click();
    EXPECT_EQ(scripted.dialogs.back().initialColor, QColor(0, 0xFF, 0)) << "reset does not touch the chooser";
}

TEST_F(NewPageDialog, CancelledSelectKeepsTheSwatch)
{
    dialog.Button2->click();  // no answer queued: the user cancels
    ASSERT_EQ(scripted.dialogs.size(), 1u);
    EXPECT_EQ(scripted.dialogs[0].kind, DialogKind::Color);
    EXPECT_FALSE(scripted.dialogs[0].answered);
    EXPECT_EQ(dialog.Shape2->Rgb(), 0x000000u);

    scripted.colorAnswers.push_back(std::nullopt);
    dialog.Button1->click();
    EXPECT_EQ(dialog.Shape1->Rgb(), 0xFFFFFFu);
    scripted.colorAnswers.push_back(QColor(0xFF, 0, 0));
    dialog.Button1->click();
    EXPECT_EQ(scripted.dialogs.back().initialColor, QColor(Qt::black)) << "a cancel does not change the chooser";
}

TEST_F(NewPageDialog, OnlyTheButtonsCloseTheDialog)
{
    const struct {
        const char* name;
        std::function<void(TForm24&)> act;
        int result;
    } cases[] = {
        {"Enter in a field", [](TForm24& d) { QTest::keyClick(d.Edit1, Qt::Key_Return); }, -1},
        {"Enter on the OK button", [](TForm24& d) { QTest::keyClick(d.Button6, Qt::Key_Return); }, -1},
        {"Esc", [](TForm24& d) { QTest::keyClick(d.Edit4, Qt::Key_Escape); }, -1},
        {"OK", [](TForm24& d) { d.Button6->click(); }, QDialog::Accepted},
        {"Cancel", [](TForm24& d) { d.Button7->click(); }, QDialog::Rejected},
        {"close box", [](TForm24& d) { d.close(); }, QDialog::Rejected},
    };
    for (const auto& c : cases) {
        int result = -1;
        scripted.AnswerModal([&](QDialog&) {
            c.act(dialog);
            result = dialog.isVisible() ? -1 : dialog.result();
            return dialog.result();
        });
        platform().ExecModal(dialog);
        EXPECT_EQ(result, c.result) << c.name;
    }
}

TEST_F(NewPageDialog, F1OpensTheNewPageTopic)
{
    dialog.show();
    QTest::keyClick(dialog.Edit2, Qt::Key_F1);
    EXPECT_EQ(scripted.helpContexts, std::vector<int>{2});
}

TEST(AboutBox, ShowsNameVersionAndAnOpenableLink)
{
    ScriptedPlatform scripted;
    TForm23 about;
    EXPECT_EQ(about.windowTitle(), "About Tallo HTML Editor");
    EXPECT_EQ(about.Label1->text(), "Tallo HTML Editor");
    EXPECT_EQ(about.Label1->font().pixelSize(), 32);
    EXPECT_EQ(about.Label2->text(), "Version 1.0");
    EXPECT_FALSE(about.Label3->text().isEmpty());
    EXPECT_FALSE(about.Label4->text().isEmpty());
    EXPECT_TRUE(about.Label5->font().underline());
    EXPECT_EQ(about.Label5->palette().color(QPalette::WindowText), QColor(Qt::blue));
    EXPECT_EQ(about.Label5->cursor().shape(), Qt::PointingHandCursor);

    about.show();
    QTest::mouseClick(about.Label5, Qt::LeftButton);
    EXPECT_EQ(scripted.shellOpens, std::vector<QString>{TForm23::kWebAddress});

    scripted.AnswerModal([&](QDialog&) {
        about.Button1->click();
        return about.result();
    });
    EXPECT_EQ(platform().ExecModal(about), QDialog::Accepted);
    EXPECT_FALSE(about.isVisible());
}

}  // namespace
