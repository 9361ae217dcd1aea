// tallo-site-window-bench SITE [refresh|publish] [--grab PNG]: the site window offscreen on a site (run
// in the folder of connect.set): open to first paint, the first full view (site read, server listed),
// then a refresh or a publish of all changes; with --grab, a picture of the window at the end.
// Summaries go to stdout instead of message boxes.

#include "platform/QtPlatform.h"
#include "site/widget/PublishQueue.h"
#include "site/widget/SiteWindow.h"
#include "site/widget/SiteWindowApp.h"
#include "upload/ProfileFile.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QPixmap>
#include <QPushButton>
#include <QTreeView>
#include <cstdio>
#include <cstring>

namespace {

class TPrintingPlatform : public QtPlatform {
public:
    void ShowMessage(const QString& text) override { std::printf("message: %s\n", qPrintable(text)); }
    void ShowError(const QString& text) override { std::printf("error: %s\n", qPrintable(text)); }
};

class TPaintSpy : public QObject {
public:
    bool painted = false;
    bool eventFilter(QObject*, QEvent* event) override
    {
        painted = painted || event->type() == QEvent::Paint;
        return false;
    }
};

// Sleeps between events as the window's own event loop would: processEvents with a time limit drops
// WaitForMoreEvents and would spin a core beside the workers it measures.
void WaitUntil(const std::function<bool()>& done)
{
    while (!done())
        QApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fputs("usage: tallo-site-window-bench SITE [refresh|publish] [--grab PNG]\n", stderr);
        return 2;
    }
    QApplication application(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    TPrintingPlatform desktop;
    setPlatform(&desktop);
    const std::string mode = argc > 2 && argv[2][0] != '-' ? argv[2] : "";
    const char* grab = nullptr;
    for (int i = 2; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--grab") == 0)
            grab = argv[i + 1];

    QElapsedTimer clock;
    clock.start();
    // As the program does: the site is read and the server listed while the window is made.
    TStartedOpen started = StartSiteOpen(argv[1], TProfileFile::PathInCurrentFolder());
    TSiteWindow window(TProfileFile::PathInCurrentFolder(), QString());
    TPaintSpy spy;
    window.SiteTree->viewport()->installEventFilter(&spy);
    bool done = false;
    QObject::connect(&window, &TSiteWindow::WorkDone, [&] {
        done = true;
        spy.painted = false;  // the next paint shows what the work brought
    });
    window.show();
    window.OpenSite(argv[1], std::move(started));
    WaitUntil([&] { return spy.painted; });
    std::printf("first paint      %8.1f ms\n", clock.nsecsElapsed() / 1e6);
    WaitUntil([&] { return done && spy.painted; });
    std::printf("full view        %8.1f ms (%d top-level items)\n", clock.nsecsElapsed() / 1e6,
                window.SiteTree->model()->rowCount());
    if (mode == "refresh" || mode == "publish") {
        done = false;
        clock.restart();
        if (mode == "refresh")
            window.Refresh();
        else
            window.Publish(TPublishScope::All);
        if (mode == "publish") {
            // The phases: the fresh status and plan, the transfers, then what the window does after.
            WaitUntil([&] { return done || window.Queue->CancelButton()->isEnabled(); });
            std::printf("  status, plan    %8.1f ms\n", clock.nsecsElapsed() / 1e6);
            WaitUntil([&] { return done || !window.Queue->CancelButton()->isEnabled(); });
            std::printf("  transfers end   %8.1f ms\n", clock.nsecsElapsed() / 1e6);
        }
        WaitUntil([&] { return done && !window.Busy(); });
        std::printf("%-16s %8.1f ms\n", mode.c_str(), clock.nsecsElapsed() / 1e6);
    }
    if (grab)
        window.grab().save(QString::fromLocal8Bit(grab));
    setPlatform(nullptr);
    return 0;
}
