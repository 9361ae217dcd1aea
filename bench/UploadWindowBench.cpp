// tallo-upload-window HOST PORT USER FILE [--active] [--dir DIR]
// Uploads one file through the Upload window's own code path, offscreen: a profile in a temporary
// connect.set, the window shown with its progress panel, the profile selected and "Upload" pressed.
// The password comes from TALLO_FTP_PASSWORD. Prints the transfer's throughput and how often the window
// repainted its progress bar while the data flowed; exits non-zero unless the upload succeeded.

#include "net/MessagePump.h"
#include "platform/QtPlatform.h"
#include "upload/ProfileFile.h"
#include "upload/dialogs/ConnectU.h"
#include "upload/dialogs/FTPU.h"
#include "upload/dialogs/TransferPanel.h"

#include <QApplication>
#include <QEvent>
#include <QListWidget>
#include <QProgressBar>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The desktop, but message boxes are printed: a modal box would stop the run.
class PrintingPlatform : public QtPlatform {
public:
    void ShowMessage(const QString& text) override
    {
        std::printf("message: %s\n", qPrintable(text));
        lastMessage = text;
    }
    void ShowError(const QString& text) override { std::printf("error: %s\n", qPrintable(text)); }
    QString lastMessage;
};

class PaintCounter : public QObject {
public:
    bool counting = false;
    long paints = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (counting && event->type() == QEvent::Paint)
            ++paints;
        return QObject::eventFilter(watched, event);
    }
};

struct Options {
    TConnectionProfile profile{"bench", "", "", "", true, "", ""};
    std::string file;
};

bool ParseArguments(int argc, char** argv, Options& options)
{
    std::vector<std::string> positional;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--active")
            options.profile.Passive = false;
        else if (argument == "--dir" && i + 1 < argc)
            options.profile.Directory = argv[++i];
        else if (argument.rfind("--", 0) == 0)
            return false;
        else
            positional.push_back(argument);
    }
    if (positional.size() != 4)
        return false;
    options.profile.Host = positional[0];
    options.profile.Port = positional[1];
    options.profile.UserID = positional[2];
    options.file = positional[3];
    const char* password = std::getenv("TALLO_FTP_PASSWORD");
    options.profile.Password = password ? password : "";
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    Options options;
    if (!ParseArguments(argc, argv, options)) {
        std::fprintf(stderr, "usage: tallo-upload-window HOST PORT USER FILE [--active] [--dir DIR]\n"
                             "       the password is read from the environment variable TALLO_FTP_PASSWORD\n");
        return 2;
    }
    if (qgetenv("QT_QPA_PLATFORM").isEmpty())
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    PrintingPlatform desktop;
    setPlatform(&desktop);
    SetMessagePump([] { platform().ProcessEvents(); });

    char folder[] = "/tmp/tallo-upload-window-XXXXXX";
    if (::mkdtemp(folder) == nullptr)
        return 1;
    const std::string profilePath = std::string(folder) + "/connect.set";
    TProfileLines lines;
    InsertProfileOnTop(lines, options.profile);
    TProfileFile(profilePath).Write(lines);

    int result = 1;
    {
        TForm4 form4(profilePath);
        TForm3 form3(form4, profilePath);
        form3.UploadPath = QString::fromStdString(options.file);
        form3.show();
        QApplication::processEvents();
        PaintCounter counter;
        form3.Panel->ProgressBar->installEventFilter(&counter);

        using Clock = std::chrono::steady_clock;
        Clock::time_point start;
        double transferSeconds = 0;
        // The bytes flow while the session sends; its next step is the goodbye.
        QObject::connect(form3.Panel, &TTransferPanel::StepEntered, &form3, [&](TTransferStep step) {
            if (step == TTransferStep::Send && !counter.counting) {
                counter.counting = true;
                start = Clock::now();
            } else if (step == TTransferStep::Closing && counter.counting) {
                transferSeconds = std::chrono::duration<double>(Clock::now() - start).count();
                counter.counting = false;
            }
        });

        form3.ListBox1->setCurrentRow(0);
        form3.Button3Click();
        struct stat file {};
        const double bytes = ::stat(options.file.c_str(), &file) == 0 ? static_cast<double>(file.st_size) : 0.0;
        std::printf("transfer %.0f bytes in %.3f s (%.1f MB/s); progress bar painted %ld times (%.1f per second)\n",
                    bytes, transferSeconds, transferSeconds > 0 ? bytes / transferSeconds / 1e6 : 0.0,
                    counter.paints, transferSeconds > 0 ? counter.paints / transferSeconds : 0.0);
        result = desktop.lastMessage == QStringLiteral("Upload is successfully!") ? 0 : 1;
    }
    ::unlink(profilePath.c_str());
    ::rmdir(folder);
    SetMessagePump(nullptr);
    setPlatform(nullptr);
    return result;
}
