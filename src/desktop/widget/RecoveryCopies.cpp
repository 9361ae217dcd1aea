#include "desktop/widget/RecoveryCopies.h"

#include "app/InterruptedSaveOffer.h"
#include "app/MainU.h"
#include "app/UHTML.h"
#include "editor/widget/CodeMemo.h"
#include "editor/control/EditorModel.h"
#include "platform/NativePath.h"
#include "platform/Platform.h"

namespace {

QString OfferText(const std::vector<TRecoveryCopy>& copies)
{
    QString text = QStringLiteral("Tallo HTML Editor did not close properly last time. "
                                  "These pages have changes that were not saved:\n");
    for (const TRecoveryCopy& copy : copies) {
        text += QStringLiteral("\n    ") + QString::fromStdString(copy.Caption);
        if (!copy.FileName.empty())
            text += QStringLiteral("  (") + ReadablePath(PathFromNative(copy.FileName)) + QStringLiteral(")");
    }
    return text + QStringLiteral("\n\nRestore these pages, or discard their changes?");
}

enum TOfferAnswer { kRestore = 0, kDiscard = 1 };

}  // namespace

// --- TRecoveryCopies -----------------------------------------------------------------------------

TRecoveryCopies::TRecoveryCopies(const std::string& recoveryFolder, TRecoveryTimings timings)
    : recoveryFolder_(recoveryFolder), timings_(timings), session_(TRecoverySession::Start(recoveryFolder))
{
    if (session_)
        writer_ = std::make_unique<TRecoveryWriter>(*session_);
}

TRecoveryCopies::~TRecoveryCopies()
{
    writer_.reset();
    if (session_)
        session_->Finish();
}

void TRecoveryCopies::Attach(TForm2& document)
{
    if (Enabled())
        new TPageRecovery(document, *this, nextPage_++);
}

void TRecoveryCopies::OfferLeftovers(TForm1& mainWindow)
{
    OfferPreviousVersions(ClaimInterruptedSaves(InterruptedSaveFolderIn(recoveryFolder_)));
    std::shared_ptr<TLeftoverCopies> leftovers = TLeftoverCopies::Claim(recoveryFolder_);
    if (leftovers->Copies().empty()) {
        leftovers->Discard();  // runs that died with nothing unsaved
        return;
    }
    const QStringList answers{QStringLiteral("&Restore"), QStringLiteral("&Discard")};
    switch (platform().Ask(kApplicationTitle, OfferText(leftovers->Copies()), answers)) {
    case kRestore:
        Restore(mainWindow, std::move(leftovers));
        break;
    case kDiscard:
        leftovers->Discard();
        break;
    default:
        break;  // no answer: the copies wait for the next start
    }
}

void TRecoveryCopies::Restore(TForm1& mainWindow, std::shared_ptr<TLeftoverCopies> leftovers)
{
    bool refused = false;
    for (const TRecoveryCopy& copy : leftovers->Copies()) {
        TForm2* document = mainWindow.OpenDocument(
            QString::fromStdString(copy.Caption), PathFromNative(copy.FileName), [&copy](TForm2& page) {
                try {
                    page.CodeMemo1->Model().LoadBytes(copy.Bytes);
                } catch (const ETextLimitError& error) {
                    throw PageRefusedError(copy.FileName.empty() ? copy.Caption : copy.FileName, error);
                }
            });
        refused = refused || !document;
        if (TPageRecovery* recovery = document ? document->findChild<TPageRecovery*>() : nullptr)
            recovery->MarkUnsaved();
    }
    // A copy the editor could not take is the only one of that text: it waits for the next start.
    if (refused)
        return;
    // The old copies go only once this run's copies of the same pages are on disk.
    if (writer_)
        writer_->Run([leftovers] { leftovers->Discard(); });
    else
        leftovers->Discard();
}

// --- TPageRecovery -------------------------------------------------------------------------------

TPageRecovery::TPageRecovery(TForm2& document, TRecoveryCopies& copies, int page)
    : QObject(&document), document_(document), copies_(&copies), page_(page)
{
    pause_.setSingleShot(true);
    pause_.setInterval(copies.Timings().PauseMilliseconds);
    longest_.setSingleShot(true);
    longest_.setInterval(copies.Timings().LongestMilliseconds);
    connect(&pause_, &QTimer::timeout, this, &TPageRecovery::WriteNow);
    connect(&longest_, &QTimer::timeout, this, &TPageRecovery::WriteNow);
    connect(document.CodeMemo1, &TCodeMemo::Changed, this, &TPageRecovery::TextChanged);
    connect(&document, &TForm2::PageRead, this, &TPageRecovery::Saved);
    connect(&document, &TForm2::PageWritten, this, &TPageRecovery::Saved);
}

TPageRecovery::~TPageRecovery()
{
    if (copied_ && copies_ && copies_->Writer())
        copies_->Writer()->Remove(page_);
}

void TPageRecovery::TextChanged()
{
    unsaved_ = true;
    pause_.start();
    if (!longest_.isActive())
        longest_.start();
}

void TPageRecovery::Saved()
{
    unsaved_ = false;
    pause_.stop();
    longest_.stop();
    if (copied_ && copies_ && copies_->Writer())
        copies_->Writer()->Remove(page_);
    copied_ = false;
}

void TPageRecovery::MarkUnsaved()
{
    unsaved_ = true;
    WriteNow();
}

void TPageRecovery::WriteNow()
{
    pause_.stop();
    longest_.stop();
    if (!unsaved_ || !copies_ || !copies_->Writer())
        return;
    copies_->Writer()->Write(page_, document_.Caption().toStdString(), NativePath(document_.FileName),
                             document_.CodeMemo1->Model().Document().Buffer().Snapshot());
    copied_ = true;
}
