#include "desktop/widget/FileChangeWatch.h"

#include "app/MainU.h"
#include "app/PageFiles.h"
#include "app/UHTML.h"
#include "platform/Platform.h"

#include <QApplication>
#include <exception>

namespace {

// How often a question held back by an open dialog looks again.
constexpr int kDialogRetryMilliseconds = 250;

enum TCheckAnswer { kCheckReload = 0, kCheckKeep = 1 };
enum TSaveAnswer { kSaveOverwrite = 0, kSaveReload = 1 };

// A question is asked once at a time, even when answering it activates the page again.
class TAsking {
public:
    explicit TAsking(bool& flag) : flag_(flag) { flag_ = true; }
    ~TAsking() { flag_ = false; }
    TAsking(const TAsking&) = delete;
    TAsking& operator=(const TAsking&) = delete;

private:
    bool& flag_;
};

}  // namespace

TFileChangeWatch::TFileChangeWatch(TForm2& document) : QObject(&document), document_(document)
{
    connect(&document, &TForm2::PageRead, this, &TFileChangeWatch::Remember);
    connect(&document, &TForm2::PageWritten, this, &TFileChangeWatch::Remember);
    // Asked once the activation is over, not from inside the frame's own change of window.
    connect(&document, &TForm2::Activated, this, &TFileChangeWatch::Check, Qt::QueuedConnection);
    deferred_.setSingleShot(true);
    deferred_.setInterval(kDialogRetryMilliseconds);
    connect(&deferred_, &QTimer::timeout, this, &TFileChangeWatch::Check);
    document.ConfirmOverwrite = [this] { return ConfirmOverwrite(); };
}

void TFileChangeWatch::Remember(const QString& path)
{
    stamp_ = TFileStamp::Of(NativePath(path));
}

std::optional<TFileChange> TFileChangeWatch::ChangeNow(TFileStamp& now) const
{
    if (asking_ || document_.FileName.isEmpty())
        return std::nullopt;
    now = TFileStamp::Of(NativePath(document_.FileName));
    // A page named after a file it never read (a restored copy) takes the file as it finds it.
    if (!stamp_)
        return TFileChange::None;
    return CompareStamps(*stamp_, now);
}

void TFileChangeWatch::Check()
{
    // Not while a dialog is open: a reload under a mark-up dialog would leave its mark-up at the top
    // of the page. Asked once the dialog has closed.
    if (QApplication::activeModalWidget()) {
        if (!deferred_.isActive())
            deferred_.start();
        return;
    }
    TFileStamp now;
    const std::optional<TFileChange> change = ChangeNow(now);
    if (!change)
        return;
    stamp_ = now;  // whatever the answer, this change has been told
    if (*change == TFileChange::None)
        return;
    TAsking asking(asking_);
    if (*change == TFileChange::Deleted) {
        platform().ShowMessage(QStringLiteral("The file %1 was deleted by another program. "
                                              "The page keeps its text; saving it writes the file again.")
                                   .arg(ReadablePath(document_.FileName)));
        return;
    }
    const QString question = QStringLiteral("The file %1 was changed by another program. "
                                            "Reload it, or keep the text of this page?")
                                 .arg(ReadablePath(document_.FileName));
    if (platform().Ask(kApplicationTitle, question, {QStringLiteral("&Reload"), QStringLiteral("&Keep")}) ==
        kCheckReload)
        Reload();
}

bool TFileChangeWatch::ConfirmOverwrite()
{
    TFileStamp now;
    const std::optional<TFileChange> change = ChangeNow(now);
    // A file deleted behind the page's back holds no one's work: the save writes it again.
    if (!change || *change != TFileChange::Changed)
        return true;
    TAsking asking(asking_);
    const QString question = QStringLiteral("The file %1 was changed by another program. "
                                            "Overwrite it with the text of this page, or reload it?")
                                 .arg(ReadablePath(document_.FileName));
    const int answer =
        platform().Ask(kApplicationTitle, question, {QStringLiteral("&Overwrite"), QStringLiteral("&Reload")});
    if (answer == kSaveOverwrite)
        return true;
    if (answer == kSaveReload)
        Reload();
    return false;
}

void TFileChangeWatch::Reload()
{
    try {
        document_.LoadPage(document_.FileName);
    } catch (const std::exception& error) {
        platform().ShowError(QString::fromStdString(error.what()));
    }
}
