// A running editor for the crash test: opens the file given, types into it and into a new page,
// waits until both recovery copies are on disk, prints each page's text (hex, one page a line)
// and "ready", then waits to be killed.
//   tallo_recovery_helper RECOVERY_FOLDER FILE
#include "app/ApplicationWindows.h"
#include "desktop/widget/DesktopSession.h"
#include "app/MainU.h"
#include "desktop/widget/RecoveryCopies.h"
#include "desktop/widget/SingleInstance.h"
#include "editor/widget/CodeMemo.h"
#include "support/ScriptedPlatform.h"

#include <QApplication>
#include <QTest>
#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 3) return 2;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    ScriptedPlatform desktop;
    std::unique_ptr<TForm1> mainWindow = CreateApplicationWindows();
    TDesktopSession session(*mainWindow, std::make_unique<TRecoveryCopies>(argv[1], TRecoveryTimings{50, 1000}),
                            nullptr);
    mainWindow->show();
    session.Start({QString::fromLocal8Bit(argv[2])});
    const struct {
        TForm2* page;
        QString typed;
    } edits[] = {
        {mainWindow->ActiveDocument(), QStringLiteral("<!-- typed \u00fc -->\r\n")},
        {nullptr, QStringLiteral("new page\r\nwith \u20ac\r\n")},
    };
    for (const auto& edit : edits) {
        TForm2* page = edit.page;
        if (!page) {
            desktop.RejectNextModal();
            mainWindow->New1Click();
            page = mainWindow->ActiveDocument();
        }
        page->CodeMemo1->Model().SetSelectionStart(0);
        page->CodeMemo1->Model().ReplaceSelection(edit.typed.toStdU32String());
    }
    if (!QTest::qWaitFor([&] { return session.Recovery()->Writer()->WrittenCount() == 2; }, 10000)) return 1;
    for (TForm2* page : mainWindow->Documents())
        std::printf("%s\n", QByteArray::fromStdString(page->CodeMemo1->Model().Document().Text()).toHex().constData());
    std::printf("ready\n");
    std::fflush(stdout);
    return QApplication::exec();
}
