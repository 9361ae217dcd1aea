// Keeping the recovery copy of a large page while typing: every keystroke (key, edit, paint and
// whatever timers ran with it) is timed while copies are taken and written out, goal under 16 ms.
//
//   bench_recovery_copy [megabytes=50] [folder=/tmp] [seconds=10] [--no-copies]
//
// --no-copies times the same typing with no copies kept, to tell the copies' share from the
// machine's own noise.
//
// Types one character every 30 ms at the top of the page, with copies due at least every second
// (the editor's own wait is 30 s; a shorter one puts more copies under the keystrokes).

#include "HtmlPageGenerator.h"
#include "app/ApplicationWindows.h"
#include "desktop/widget/DesktopSession.h"
#include "app/MainU.h"
#include "desktop/widget/RecoveryCopies.h"
#include "desktop/widget/SingleInstance.h"
#include "editor/widget/CodeMemo.h"
#include "editor/control/EditorModel.h"
#include "editor/text/TextSnapshot.h"
#include "platform/QtPlatform.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <time.h>
#include <vector>

namespace {

constexpr int kKeyIntervalMs = 30;

double MillisecondsOf(const QElapsedTimer& timer)
{
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

double Percentile(std::vector<double> values, double share)
{
    std::sort(values.begin(), values.end());
    return values[static_cast<std::size_t>(share * static_cast<double>(values.size() - 1))];
}

// The editor's thread's own processor time: on a loaded machine, wall time also counts the waits
// for a processor that other programs hold.
double ThreadCpuMilliseconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

struct Keystroke {
    double wall = 0;
    double cpu = 0;
};

// One key typed and everything the event loop does with it before the next input.
Keystroke TimeKeystroke(TCodeMemo& memo)
{
    QElapsedTimer timer;
    timer.start();
    const double cpuStart = ThreadCpuMilliseconds();
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QStringLiteral("x"));
    QApplication::sendEvent(&memo, &press);
    QCoreApplication::processEvents();
    return {MillisecondsOf(timer), ThreadCpuMilliseconds() - cpuStart};
}

// The wait until the next key, with the event loop running; returns its longest single pass.
double IdleUntil(qint64 deadlineMs, const QElapsedTimer& clock)
{
    double longest = 0;
    while (clock.elapsed() < deadlineMs) {
        QElapsedTimer pass;
        pass.start();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        longest = std::max(longest, MillisecondsOf(pass));
    }
    return longest;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::size_t megabytes = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 50;
    const std::string folder = argc > 2 ? argv[2] : "/tmp";
    const int seconds = argc > 3 ? std::atoi(argv[3]) : 10;
    const bool copies = !(argc > 4 && std::string(argv[4]) == "--no-copies");
    const std::string path = folder + "/bench_recovery_copy.html";
    const std::string recovery = folder + "/bench_recovery_copy.state";
    {
        const std::string page = GenerateHtmlPage(megabytes * 1000 * 1000);
        std::ofstream(path, std::ios::binary).write(page.data(), static_cast<std::streamsize>(page.size()));
    }

    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QtPlatform desktop;
    setPlatform(&desktop);
    std::unique_ptr<TForm1> mainWindow = CreateApplicationWindows();
    auto session = std::make_unique<TDesktopSession>(
        *mainWindow, copies ? std::make_unique<TRecoveryCopies>(recovery, TRecoveryTimings{300, 1000}) : nullptr,
        nullptr);
    mainWindow->resize(1280, 900);
    mainWindow->show();
    QCoreApplication::processEvents();
    TForm2* page = mainWindow->OpenPage(QString::fromStdString(path));
    if (!page) return 1;
    TCodeMemo& memo = *page->CodeMemo1;
    memo.setFocus();
    QCoreApplication::processEvents();

    std::vector<double> snapshots;
    for (int round = 0; round < 20; ++round) {
        QElapsedTimer timer;
        timer.start();
        const TTextSnapshot snapshot = memo.Model().Document().Buffer().Snapshot();
        snapshots.push_back(MillisecondsOf(timer));
    }

    std::vector<double> keystrokes, keystrokesCpu;
    double longestIdlePass = 0;
    QElapsedTimer clock;
    clock.start();
    for (qint64 next = 0; next < seconds * 1000; next += kKeyIntervalMs) {
        longestIdlePass = std::max(longestIdlePass, IdleUntil(next, clock));
        const Keystroke keystroke = TimeKeystroke(memo);
        keystrokes.push_back(keystroke.wall);
        keystrokesCpu.push_back(keystroke.cpu);
    }
    TRecoveryWriter* writer = copies ? session->Recovery()->Writer() : nullptr;
    const std::uint64_t copiesWhileTyping = writer ? writer->WrittenCount() : 0;
    if (writer) writer->WaitUntilIdle();

    std::printf("page: %.1f MB, %d lines; %zu keystrokes over %d s, one every %d ms\n",
                static_cast<double>(std::filesystem::file_size(path)) / 1e6, memo.Model().Document().LineCount(), keystrokes.size(),
                seconds, kKeyIntervalMs);
    std::printf("snapshot_ms median %.2f max %.2f (taken on the editor's thread)\n", Percentile(snapshots, 0.5),
                *std::max_element(snapshots.begin(), snapshots.end()));
    std::printf("copies_written %llu while typing; last copy took %.0f ms on the writer's thread\n",
                static_cast<unsigned long long>(copiesWhileTyping), writer ? writer->LastWriteSeconds() * 1000 : 0.0);
    std::printf("keystroke_ms median %.2f p99 %.2f max %.2f (goal: none over 16)\n", Percentile(keystrokes, 0.5),
                Percentile(keystrokes, 0.99), *std::max_element(keystrokes.begin(), keystrokes.end()));
    std::printf("keystroke_cpu_ms median %.2f p99 %.2f max %.2f (the editor thread's own processor time)\n",
                Percentile(keystrokesCpu, 0.5), Percentile(keystrokesCpu, 0.99),
                *std::max_element(keystrokesCpu.begin(), keystrokesCpu.end()));
    std::printf("longest_event_loop_pass_between_keys_ms %.2f\n", longestIdlePass);
    const long over = std::count_if(keystrokes.begin(), keystrokes.end(), [](double ms) { return ms > 16; });
    std::printf("keystrokes_over_16_ms %ld\n", over);

    mainWindow.reset();  // the page goes unsaved; the clean end removes the copies
    session.reset();
    setPlatform(nullptr);
    std::filesystem::remove(path);
    std::filesystem::remove_all(recovery);
    return 0;
}
