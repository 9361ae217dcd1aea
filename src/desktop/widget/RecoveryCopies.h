#pragma once
// Recovery copies in the running editor: each page with changes that are not saved keeps a copy
// in this run's recovery folder, written on the writer's thread a few seconds after typing pauses
// and at least every half minute while it goes on. A save, or a close that lets the page go,
// removes the copy; a clean end removes the run's folder. At start the copies left by a run that
// crashed or was killed are offered: restored as unsaved pages, or discarded.

#include "desktop/RecoveryFolder.h"
#include "desktop/RecoveryWriter.h"

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <memory>
#include <string>

class TForm1;
class TForm2;

struct TRecoveryTimings {
    int PauseMilliseconds = 3000;     // quiet time after the last change
    int LongestMilliseconds = 30000;  // longest time a change waits while typing goes on
};

class TRecoveryCopies : public QObject {
    Q_OBJECT
public:
    // Copies are kept only when this run's folder can be made under recoveryFolder.
    explicit TRecoveryCopies(const std::string& recoveryFolder, TRecoveryTimings timings = {});
    // A clean end: waits for the writer, then removes this run's folder.
    ~TRecoveryCopies() override;

    bool Enabled() const { return writer_ != nullptr; }
    // Starts keeping copies of a new page's unsaved changes.
    void Attach(TForm2& document);
    // Offers the previous versions of files whose saves were interrupted, then the copies that runs
    // which ended without cleaning up have left, if any.
    void OfferLeftovers(TForm1& mainWindow);

    const TRecoveryTimings& Timings() const { return timings_; }
    // Null when copies are not kept.
    TRecoveryWriter* Writer() const { return writer_.get(); }

private:
    void Restore(TForm1& mainWindow, std::shared_ptr<TLeftoverCopies> leftovers);

    std::string recoveryFolder_;
    TRecoveryTimings timings_;
    std::unique_ptr<TRecoverySession> session_;
    std::unique_ptr<TRecoveryWriter> writer_;
    int nextPage_ = 0;
};

// One page's copy.
class TPageRecovery : public QObject {
    Q_OBJECT
public:
    TPageRecovery(TForm2& document, TRecoveryCopies& copies, int page);
    // The page is gone: saved, or let go unsaved; either way its copy goes.
    ~TPageRecovery() override;

    bool Unsaved() const { return unsaved_; }
    // A page whose text did not come from its file (a restored copy): unsaved, copied at once.
    void MarkUnsaved();
    // Takes the page's text as it is now and hands it to the writer.
    void WriteNow();

private:
    void TextChanged();
    void Saved();

    TForm2& document_;
    QPointer<TRecoveryCopies> copies_;
    int page_;
    bool unsaved_ = false;
    bool copied_ = false;  // a copy was handed to the writer since the page was last saved
    QTimer pause_;
    QTimer longest_;
};
