#pragma once
// What makes the editor at home on the desktop, tied to the main window: files named at start or
// handed over by a later start, files dropped on the frame, recovery copies of unsaved pages, and
// the watch for files changed by other programs.

#include <QObject>
#include <QStringList>
#include <memory>

class TForm1;
class TForm2;
class TRecoveryCopies;
class TSingleInstance;

class TDesktopSession : public QObject {
    Q_OBJECT
public:
    // recovery and instance may be null (no copies kept; another editor listens).
    TDesktopSession(TForm1& mainWindow, std::unique_ptr<TRecoveryCopies> recovery,
                    std::unique_ptr<TSingleInstance> instance);
    // With the user's own recovery folder and socket.
    static std::unique_ptr<TDesktopSession> ForUser(TForm1& mainWindow);
    ~TDesktopSession() override;

    // Once the main window is shown: offers the copies a crashed run left, then opens the files.
    // Files asked for before this wait for it. lines: as for OpenFiles.
    void Start(const QStringList& files, const QList<int>& lines = {});
    // Opens files as File, Open does and brings the main window to the front; waits while a
    // dialog is open. lines: empty, or one per file: the line (from 1) the caret goes to, 0 for
    // none. A file with a line that is open already is brought to the front instead of opened again.
    // sideBySide: the pages share the frame in equal columns (two versions compared).
    void OpenFiles(const QStringList& files, const QList<int>& lines = {}, bool sideBySide = false);

    TRecoveryCopies* Recovery() const { return recovery_.get(); }

private:
    void Attach(TForm2* document);
    void OpenPending();
    void CheckActiveDocument();
    void Raise();
    TForm2* OpenAtLine(const QString& file, int line);

    struct PendingFile {
        QString Path;
        int Line = 0;
        bool SideBySide = false;
    };

    TForm1& mainWindow_;
    std::unique_ptr<TRecoveryCopies> recovery_;
    std::unique_ptr<TSingleInstance> instance_;
    QList<PendingFile> pending_;
    bool started_ = false;
};
