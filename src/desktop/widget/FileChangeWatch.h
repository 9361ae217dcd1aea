#pragma once
// Notices when another program changed or deleted a page's file: when the page is next activated
// the user may reload the file or keep the page's text, and a save asks before it overwrites such
// a change. The page remembers its file's stamp whenever it reads or writes the file. While a
// dialog is open the question waits for it to close.

#include "desktop/FileStamp.h"

#include <QObject>
#include <QTimer>
#include <optional>

class TForm2;

class TFileChangeWatch : public QObject {
    Q_OBJECT
public:
    explicit TFileChangeWatch(TForm2& document);

    // Tells the user when the file changed since the page last read or wrote it.
    void Check();
    // Asked before the page overwrites its file: true to write it, false when the user reloaded the
    // file instead.
    bool ConfirmOverwrite();

private:
    void Remember(const QString& path);
    void Reload();
    // The file's state now, when the page has a file it read or wrote.
    std::optional<TFileChange> ChangeNow(TFileStamp& now) const;

    TForm2& document_;
    std::optional<TFileStamp> stamp_;
    bool asking_ = false;
    QTimer deferred_;  // a check held back while a dialog is open
};
