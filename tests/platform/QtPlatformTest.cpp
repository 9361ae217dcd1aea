// The Qt platform's message boxes and dialogs, driven on the offscreen display: each modal box is
// read and closed from a zero timer that runs inside its own event loop.
#include "platform/HelpWindow.h"
#include "platform/NativePath.h"
#include "platform/QtPlatform.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QColorDialog>
#include <QDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>

namespace {

struct SeenBox {
    QString caption;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QStringList buttons;
};

// Runs `handle` on the next modal widget as soon as it is shown.
void OnNextModal(std::function<void(QWidget&)> handle)
{
    QTimer::singleShot(0, [handle = std::move(handle)] {
        QWidget* modal = QApplication::activeModalWidget();
        ASSERT_NE(modal, nullptr) << "no modal window was shown";
        handle(*modal);
    });
}

// Reads the next message box, then clicks the button whose text is `press`.
void ReadBoxAndPress(SeenBox& seen, const QString& press)
{
    OnNextModal([&seen, press](QWidget& modal) {
        auto* box = qobject_cast<QMessageBox*>(&modal);
        ASSERT_NE(box, nullptr);
        seen.caption = box->windowTitle();
        seen.text = box->text();
        seen.icon = box->icon();
        for (QAbstractButton* button : box->buttons())
            seen.buttons << button->text();
        for (QAbstractButton* button : box->buttons())
            if (button->text() == press)
                button->click();
    });
}

class QtPlatformTest : public testing::Test {
protected:
    QtPlatform qt;
};

TEST_F(QtPlatformTest, PlainMessageHasTheTitleNoIconAndOneOk)
{
    SeenBox seen;
    ReadBoxAndPress(seen, "OK");
    qt.ShowMessage("Text to show");
    EXPECT_EQ(seen.caption, "Tallo HTML Editor");
    EXPECT_EQ(seen.text, "Text to show");
    EXPECT_EQ(seen.icon, QMessageBox::NoIcon);
    EXPECT_EQ(seen.buttons, QStringList{"OK"});
}

TEST_F(QtPlatformTest, ErrorBoxShowsTheErrorTextWithAnErrorIcon)
{
    SeenBox seen;
    ReadBoxAndPress(seen, "OK");
    qt.ShowError("Cannot open file /tmp/x.html");
    EXPECT_EQ(seen.caption, "Tallo HTML Editor");
    EXPECT_EQ(seen.text, "Cannot open file /tmp/x.html");
    EXPECT_EQ(seen.icon, QMessageBox::Critical);
    EXPECT_EQ(seen.buttons, QStringList{"OK"});
}

TEST_F(QtPlatformTest, ConfirmAsksWithYesAndNo)
{
    const struct {
        const char* press;
        bool answer;
    } cases[] = {{"&Yes", true}, {"&No", false}};
    for (const auto& c : cases) {
        SeenBox seen;
        ReadBoxAndPress(seen, c.press);
        EXPECT_EQ(qt.Confirm("Confirm", "Do You want to replace next?"), c.answer) << c.press;
        EXPECT_EQ(seen.caption, "Confirm");
        EXPECT_EQ(seen.text, "Do You want to replace next?");
        EXPECT_EQ(seen.icon, QMessageBox::Question);
        EXPECT_EQ(seen.buttons, (QStringList{"&Yes", "&No"}));
    }
}

TEST_F(QtPlatformTest, BoxesShowTextThatLooksLikeMarkUpAsItIs)
{
    // File names and server replies may hold "<b>" or "&amp;": they must not be rendered as HTML.
    const QString text = QStringLiteral("Cannot open file /tmp/<b>x</b>&amp;.html");
    const std::function<void()> boxes[] = {
        [&] { qt.ShowMessage(text); },
        [&] { qt.ShowError(text); },
        [&] { qt.Confirm("Confirm", text); },
    };
    for (const auto& show : boxes) {
        Qt::TextFormat format = Qt::AutoText;
        OnNextModal([&format](QWidget& modal) {
            auto& box = static_cast<QMessageBox&>(modal);
            format = box.textFormat();
            box.done(0);
        });
        show();
        EXPECT_EQ(format, Qt::PlainText);
    }
}

TEST_F(QtPlatformTest, ConfirmClosedWithEscapeIsNo)
{
    OnNextModal([](QWidget& modal) { static_cast<QMessageBox&>(modal).reject(); });
    EXPECT_FALSE(qt.Confirm("Confirm", "Sure?"));
}

TEST_F(QtPlatformTest, SaveDialogUsesTitleFiltersSuffixAndStartsAtItsPreviousPath)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString first = dir.filePath("page");
    QString seenTitle, seenDirectory, seenSuffix;
    QStringList seenFilters;
    OnNextModal([&](QWidget& modal) {
        auto& dialog = static_cast<QFileDialog&>(modal);
        seenTitle = dialog.windowTitle();
        seenFilters = dialog.nameFilters();
        seenSuffix = dialog.defaultSuffix();
        dialog.selectFile(first);
        static_cast<QDialog&>(dialog).accept();
    });
    const FileDialogOptions options{"Save Noname0 to file",
                                    "HTML (*.html;*.htm;*.vtml;*.vtm)|*.html;*.htm;*.vtml;*.vtm;|All Files(*.*)|*.*",
                                    "html", dir.path()};
    EXPECT_EQ(qt.GetSaveFileName(nullptr, options), first + ".html") << "the default suffix is added";
    EXPECT_EQ(seenTitle, "Save Noname0 to file");
    EXPECT_EQ(seenFilters, (QStringList{"HTML (*.html *.htm *.vtml *.vtm)", "All Files (*)"}));
    EXPECT_EQ(seenSuffix, "html");

    OnNextModal([&](QWidget& modal) {
        auto& dialog = static_cast<QFileDialog&>(modal);
        seenDirectory = dialog.directory().absolutePath();
        static_cast<QDialog&>(dialog).reject();
    });
    EXPECT_EQ(qt.GetSaveFileName(nullptr, {"Save again", options.filter, "html", QString()}), std::nullopt);
    EXPECT_EQ(seenDirectory, QDir(dir.path()).absolutePath());
}

TEST_F(QtPlatformTest, FileDialogWithoutAPathOfItsOwnNeverStartsWithAnotherPagesFile)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString other = dir.filePath("other.html");
    OnNextModal([&](QWidget& modal) {
        auto& dialog = static_cast<QFileDialog&>(modal);
        dialog.selectFile(other);
        static_cast<QDialog&>(dialog).accept();
    });
    ASSERT_EQ(qt.GetSaveFileName(nullptr, {"Save Noname0 to file", "All Files(*.*)|*.*", "html", QString()}), other);

    const struct {
        QString initialPath;
        QStringList selected;
    } cases[] = {
        {QString(), {}},  // the folder last used, no file chosen
        {dir.filePath("own.html"), {dir.filePath("own.html")}},
    };
    for (const auto& c : cases) {
        QString seenDirectory;
        QStringList seenSelected;
        OnNextModal([&](QWidget& modal) {
            auto& dialog = static_cast<QFileDialog&>(modal);
            seenDirectory = dialog.directory().absolutePath();
            for (const QString& file : dialog.selectedFiles())
                if (!QFileInfo(file).isDir())
                    seenSelected << file;
            static_cast<QDialog&>(dialog).reject();
        });
        qt.GetSaveFileName(nullptr, {"Save Noname1 to file", "All Files(*.*)|*.*", "html", c.initialPath});
        EXPECT_EQ(seenDirectory, QDir(dir.path()).absolutePath()) << c.initialPath.toStdString();
        EXPECT_EQ(seenSelected, c.selected) << c.initialPath.toStdString();
    }
}

TEST_F(QtPlatformTest, ColorDialogOpensWithTheGivenColourAndReturnsTheChoice)
{
    QColor seenInitial;
    OnNextModal([&](QWidget& modal) {
        auto& dialog = static_cast<QColorDialog&>(modal);
        seenInitial = dialog.currentColor();
        dialog.setCurrentColor(QColor(0xFF, 0, 0));
        dialog.accept();
    });
    EXPECT_EQ(qt.GetColor(nullptr, Qt::black), QColor(0xFF, 0, 0));
    EXPECT_EQ(seenInitial, QColor(Qt::black));

    OnNextModal([](QWidget& modal) { static_cast<QDialog&>(modal).reject(); });
    EXPECT_EQ(qt.GetColor(nullptr, Qt::red), std::nullopt);
}

TEST_F(QtPlatformTest, ExecModalReturnsTheDialogResult)
{
    QDialog dialog;
    OnNextModal([](QWidget& modal) { static_cast<QDialog&>(modal).accept(); });
    EXPECT_EQ(qt.ExecModal(dialog), QDialog::Accepted);
    OnNextModal([](QWidget& modal) { static_cast<QDialog&>(modal).reject(); });
    EXPECT_EQ(qt.ExecModal(dialog), QDialog::Rejected);
}

TEST_F(QtPlatformTest, ModalDialogIsCentredOnTheWindowThatOpensIt)
{
    QWidget opener;
    opener.setGeometry(100, 100, 800, 600);
    opener.show();
    QDialog dialog(&opener);
    dialog.setFixedSize(200, 100);
    QPoint centre;
    OnNextModal([&](QWidget& modal) {
        centre = modal.frameGeometry().center();
        static_cast<QDialog&>(modal).reject();
    });
    qt.ExecModal(dialog);
    EXPECT_LE((centre - opener.frameGeometry().center()).manhattanLength(), 2);
}

TEST_F(QtPlatformTest, HelpAskedForInsideAModalDialogBelongsToThatDialog)
{
    QDialog dialog;
    QWidget* helpOwner = nullptr;
    OnNextModal([&](QWidget& modal) {
        qt.ShowHelp(2);
        for (QWidget* child : modal.findChildren<HelpWindow*>())
            helpOwner = child->parentWidget();
        static_cast<QDialog&>(modal).reject();
    });
    qt.ExecModal(dialog);
    EXPECT_EQ(helpOwner, &dialog) << "a window outside the modal dialog would not take input";
}

TEST_F(QtPlatformTest, ClipboardRoundTrip)
{
    qt.SetClipboardText("copied <b>text</b>");
    EXPECT_EQ(qt.ClipboardText(), "copied <b>text</b>");
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "copied <b>text</b>");
}

TEST(ShellOpenUrl, WebAddressesStayAndPathsBecomeFileUrls)
{
    const struct {
        QString input;
        QUrl expected;
    } cases[] = {
        {"https://tallo.example.org/", QUrl("https://tallo.example.org/")},
        {"http://host/a b.html", QUrl("http://host/a b.html")},
        {"mailto:someone@example.org", QUrl("mailto:someone@example.org")},
        {"www.example.org", QUrl("http://www.example.org")},
        {"/home/ann/site/index.html", QUrl("file:///home/ann/site/index.html")},
        {"/home/ann/my site/a#b.html", QUrl::fromLocalFile("/home/ann/my site/a#b.html")},
        {"page.html", QUrl::fromLocalFile(QDir::current().absoluteFilePath("page.html"))},
        {PathFromNative("/tmp/a\xff b.html"), QUrl::fromEncoded("file:///tmp/a%FF%20b.html")},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ShellOpenUrl(c.input), c.expected) << c.input.toStdString();
}

// File names keep every byte through a Qt string; only the readable form loses the odd ones.
TEST(NativePath, KeepsEveryByteAndShowsTheUnreadableOnesAsReplacementCharacters)
{
    const struct {
        const char* name;
        std::string bytes;
        QString readable;
    } cases[] = {
        {"ascii", "/tmp/plain.html", QStringLiteral("/tmp/plain.html")},
        {"utf8", "/tmp/caf\xc3\xa9 \xe2\x82\xac", QStringLiteral("/tmp/caf\u00e9 \u20ac")},
        {"latin1_bytes", "/tmp/\xff\xfe.html", QStringLiteral("/tmp/\uFFFD\uFFFD.html")},
        {"overlong_slash", "a\xc0\xaf", QStringLiteral("a\uFFFD\uFFFD")},
        {"encoded_surrogate", "\xed\xa0\x80", QStringLiteral("\uFFFD\uFFFD\uFFFD")},
        {"cut_sequence", "\xe2\x82", QStringLiteral("\uFFFD\uFFFD")},
        {"past_u10ffff", "\xf4\x90\x80\x80", QStringLiteral("\uFFFD\uFFFD\uFFFD\uFFFD")},
        {"byte_after_four_byte_character", "\xf0\x9f\x98\x80\x80", QString::fromUtf8("\xf0\x9f\x98\x80") + QChar(0xFFFD)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = PathFromNative(c.bytes);
        EXPECT_EQ(NativePath(path), c.bytes);
        EXPECT_EQ(ReadablePath(path), c.readable);
    }
}

}  // namespace
