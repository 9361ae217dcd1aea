#include "site/SitePublisher.h"

#include "base/FileError.h"
#include "site/FileHash.h"
#include "site/RemoteTree.h"
#include "site/SiteScan.h"

#include <algorithm>
#include <ctime>
#include <future>
#include <string_view>
#include <thread>

namespace {

constexpr int kRetries = 3;
constexpr std::uint64_t kHashBesideUpload = 256 << 10;

std::string FolderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string FailureText(const ETransferError& error)
{
    std::string text = error.what();
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    return text.empty() ? "the transfer failed" : text;
}

}  // namespace

std::size_t TPublishReport::Failed() const
{
    std::size_t failed = 0;
    for (const TItemResult& result : Results)
        failed += result.Outcome == TItemOutcome::Failed ? 1 : 0;
    return failed;
}

// One session and the thread that drives it; it takes items from the queue until none are left.
class TSitePublisher::TWorker : public TTransferListener {
public:
    TWorker(TSitePublisher& owner, std::unique_ptr<TRemoteSession> session) : owner_(owner), session_(std::move(session))
    {
        if (session_)
            Register();
    }
    ~TWorker() override { DropSession(); }

    void Run()
    {
        while (!owner_.Cancelled()) {
            std::string error;
            if (!Connected(error)) {
                const std::lock_guard lock(owner_.mutex_);
                owner_.lastOpenError_ = error;
                return;
            }
            const TPublishItem* item = owner_.NextItem();
            if (item == nullptr)
                return;
            owner_.Finish(*item, Process(*item));
            std::vector<std::pair<std::string, TRecordEntry>> awaiting;
            if (item->Action == TPublishAction::Upload && owner_.LastUploadOf(FolderOf(item->Status.Path), awaiting))
                RecordListedTimes(FolderOf(item->Status.Path), awaiting);
        }
    }

    // The times the server lists for the folder's new files go into the record. A file listed with
    // another size than was sent has changed since (a colleague): it keeps no time, and the size tells.
    void RecordListedTimes(const std::string& folder, std::vector<std::pair<std::string, TRecordEntry>>& awaiting)
    {
        if (awaiting.empty() || owner_.Cancelled())
            return;
        std::vector<TRemoteEntry> listed;
        std::string error;
        if (!Attempt([&] { listed = session_->List(RemotePath(owner_.remoteFolder_, folder)); }, nullptr, error))
            return;  // the record keeps the sizes; the times come with the next upload
        std::map<std::string_view, const TRemoteEntry*> byName;
        for (const TRemoteEntry& entry : listed)
            byName.emplace(entry.Name, &entry);
        for (auto& [path, entry] : awaiting) {
            const auto found = byName.find(std::string_view(path).substr(folder.empty() ? 0 : folder.size() + 1));
            if (found == byName.end() || !found->second->ModifiedUtc || found->second->Size != entry.RemoteSize)
                continue;
            entry.RemoteTime = found->second->ModifiedUtc;
            owner_.record_.Store(path, entry);
        }
    }

    // Makes the folders the uploads need, deepest first being enough since MakeFolder makes parents.
    void MakeFolders(const std::set<std::string>& folders)
    {
        for (const std::string& folder : folders) {
            std::string error;
            Attempt([&] { session_->MakeFolder(RemotePath(owner_.remoteFolder_, folder)); }, nullptr, error);
        }
    }

    void StepStarted(TTransferStep) override {}
    void BytesMoved(std::uint64_t done, std::uint64_t) override
    {
        if (done > inFlight_) {
            owner_.Moved(done - inFlight_);
            inFlight_ = done;
        }
    }
    TTrustAnswer AskCertificate(const TCertificateQuestion& question) override
    {
        const std::lock_guard lock(owner_.mutex_);
        return owner_.observer_.AskCertificate(question);
    }
    TTrustAnswer AskHostKey(const THostKeyQuestion& question) override
    {
        const std::lock_guard lock(owner_.mutex_);
        return owner_.observer_.AskHostKey(question);
    }

private:
    void Register()
    {
        const std::lock_guard lock(owner_.mutex_);
        owner_.live_.push_back(session_.get());
        if (owner_.cancelled_)
            session_->Cancel();
    }

    void DropSession()
    {
        if (!session_)
            return;
        {
            const std::lock_guard lock(owner_.mutex_);
            std::erase(owner_.live_, session_.get());
        }
        session_.reset();
    }

    bool Connected(std::string& error)
    {
        if (session_)
            return true;
        try {
            // Registered before it connects, so that a cancel also ends a connection or log-in that hangs.
            session_ = owner_.opener_(*this);
            Register();
            session_->Open();
            return true;
        } catch (const ETransferError& failure) {
            error = FailureText(failure);
        } catch (const std::exception& failure) {
            error = failure.what();
        }
        DropSession();
        return false;
    }

    // Runs action with the retries a transient failure earns; false with error set when it failed.
    template <typename Action>
    bool Attempt(Action action, const TPublishItem* item, std::string& error, int* attempts = nullptr)
    {
        for (int attempt = 1;; ++attempt) {
            if (attempts)
                *attempts = attempt;
            TFailureKind kind = TFailureKind::Permanent;
            try {
                if (!Connected(error))
                    throw ETransferError(TTransferStep::Connect, TFailureKind::Permanent, 0, error);
                action();
                return true;
            } catch (const ETransferError& failure) {
                error = FailureText(failure);
                kind = failure.Kind();
            } catch (const std::exception& failure) {
                error = failure.what();  // a local file or the record: trying again will not help
            }
            if (kind != TFailureKind::Transient || attempt > kRetries || owner_.Cancelled())
                return false;
            if (item) {
                const std::lock_guard lock(owner_.mutex_);
                owner_.observer_.ItemRetrying(*item, attempt, error);
            }
            owner_.Moved(0 - inFlight_);  // unsigned: takes the lost attempt's bytes back
            inFlight_ = 0;
            DropSession();  // a reset or a time-out leaves the session in doubt: start afresh
            Pause(std::chrono::milliseconds(500 << (attempt - 1)));
        }
    }

    void Pause(std::chrono::milliseconds length)
    {
        const auto end = std::chrono::steady_clock::now() + length;
        while (!owner_.Cancelled() && std::chrono::steady_clock::now() < end)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }

    TItemResult Process(const TPublishItem& item)
    {
        {
            const std::lock_guard lock(owner_.mutex_);
            owner_.observer_.ItemStarted(item);
        }
        TItemResult result{item.Status.Path, item.Action, TItemOutcome::Done, {}, 0, 0};
        inFlight_ = 0;
        bool done = false;
        if (item.Action == TPublishAction::Upload)
            done = Upload(item, result);
        else
            done = Attempt([&] {
                session_->Remove(RemotePath(owner_.remoteFolder_, item.Status.Path));
                owner_.record_.Forget(item.Status.Path);
            }, &item, result.Error, &result.Attempts);
        if (!done)
            result.Outcome = owner_.Cancelled() ? TItemOutcome::Cancelled : TItemOutcome::Failed;
        result.Bytes = inFlight_;
        return result;
    }

    bool Upload(const TPublishItem& item, TItemResult& result)
    {
        const std::string local = owner_.siteFolder_ + "/" + item.Status.Path;
        const std::string remote = RemotePath(owner_.remoteFolder_, item.Status.Path);
        TLocalFile before;
        if (!StatLocalFile(local, before)) {
            result.Error = "the file is gone from the site";
            return false;
        }
        TRecordEntry entry{before.Size, before.ModifiedNs, {}, std::time(nullptr), {}, {}};
        // A large file is hashed while it goes up; the bytes come from the page cache both times.
        std::future<std::string> hash = std::async(before.Size >= kHashBesideUpload ? std::launch::async : std::launch::deferred,
                                                   [local] { return FileSha256(local); });
        TPutResult put;
        const bool sent = Attempt([&] { put = session_->Put(local, remote); }, &item, result.Error, &result.Attempts);
        try {
            entry.Hash = hash.get();
        } catch (const EFileError& failure) {
            result.Error = failure.what();
            return false;
        }
        if (!sent)
            return false;
        entry.RemoteSize = put.After ? put.After->Size : put.Bytes;
        if (put.After)
            entry.RemoteTime = put.After->ModifiedUtc;
        owner_.record_.Store(item.Status.Path, entry);
        if (!entry.RemoteTime) {
            const std::lock_guard lock(owner_.mutex_);
            owner_.awaitingTimes_[FolderOf(item.Status.Path)].emplace_back(item.Status.Path, entry);
        }
        return true;
    }

    TSitePublisher& owner_;
    std::unique_ptr<TRemoteSession> session_;
    std::uint64_t inFlight_ = 0;
};

TSitePublisher::TSitePublisher(std::string siteFolder, std::string remoteFolder, TPublishRecord& record,
                               TSessionOpener opener, TPublishObserver& observer, int parallel)
    : siteFolder_(std::move(siteFolder)), remoteFolder_(std::move(remoteFolder)), record_(record),
      opener_(std::move(opener)), observer_(observer), parallel_(std::clamp(parallel, 1, 8))
{
}

TSitePublisher::~TSitePublisher() = default;

TPublishReport TSitePublisher::Run(const TPublishPlan& plan, std::unique_ptr<TRemoteSession> first,
                                   TRelayListener* relay, const std::set<std::string>& remoteFolders)
{
    start_ = std::chrono::steady_clock::now();
    std::set<std::string> folders;
    std::size_t uploads = 0;
    for (const TPublishItem& item : plan.Items) {
        if (item.Action == TPublishAction::RefreshRecord) {
            TRecordEntry entry = *record_.Find(item.Status.Path);
            entry.ModifiedNs = item.Status.LocalFile->ModifiedNs;
            entry.HashedAt = item.Status.HashedAt;
            record_.Store(item.Status.Path, entry);
        } else if (item.Action == TPublishAction::Forget) {
            record_.Forget(item.Status.Path);
        } else if (item.Action == TPublishAction::Upload) {
            ++uploads;
            ++uploadsLeft_[FolderOf(item.Status.Path)];
            progress_.BytesTotal += item.Status.LocalFile ? item.Status.LocalFile->Size : 0;
            if (!remoteFolders.contains(FolderOf(item.Status.Path)))
                folders.insert(FolderOf(item.Status.Path));
        }
    }
    // Uploads first, so that pages that still link to a removed file are replaced before it goes.
    for (TPublishAction pass : {TPublishAction::Upload, TPublishAction::Remove})
        for (const TPublishItem& item : plan.Items)
            if (item.Action == pass)
                queue_.push_back(&item);
    progress_.FilesTotal = queue_.size();
    if (!queue_.empty()) {
        std::vector<std::unique_ptr<TWorker>> workers;
        workers.push_back(std::make_unique<TWorker>(*this, std::move(first)));
        if (relay)
            relay->PointTo(*workers.front());
        for (auto folder = folders.begin(); folder != folders.end();)
            folder = std::next(folder) != folders.end() && std::next(folder)->starts_with(*folder + "/")
                         ? folders.erase(folder) : std::next(folder);
        workers.front()->MakeFolders(folders);
        const std::size_t count = std::min<std::size_t>(parallel_, std::max<std::size_t>(uploads, 1));
        while (workers.size() < count)
            workers.push_back(std::make_unique<TWorker>(*this, nullptr));
        std::vector<std::thread> threads;
        for (auto& worker : workers)
            threads.emplace_back([&worker] { worker->Run(); });
        for (std::thread& thread : threads)
            thread.join();
    }
    // What no session could take (none could connect, or a cancel) is reported, not silently dropped.
    for (; next_ < queue_.size(); ++next_) {
        const TPublishItem& item = *queue_[next_];
        report_.Results.push_back({item.Status.Path, item.Action, cancelled_ ? TItemOutcome::Cancelled : TItemOutcome::Failed,
                                   cancelled_ ? std::string() : lastOpenError_, 0, 0});
    }
    report_.Cancelled = cancelled_;
    return std::move(report_);
}

void TSitePublisher::Cancel()
{
    cancelled_ = true;
    const std::lock_guard lock(mutex_);
    for (TRemoteSession* session : live_)
        session->Cancel();
}

const TPublishItem* TSitePublisher::NextItem()
{
    const std::lock_guard lock(mutex_);
    return next_ < queue_.size() && !cancelled_ ? queue_[next_++] : nullptr;
}

void TSitePublisher::Finish(const TPublishItem& item, TItemResult result)
{
    const std::lock_guard lock(mutex_);
    const std::uint64_t size =
        item.Status.LocalFile && item.Action == TPublishAction::Upload ? item.Status.LocalFile->Size : 0;
    progress_.BytesDone += size > result.Bytes ? size - result.Bytes : 0;
    ++progress_.FilesDone;
    observer_.ItemFinished(result);
    report_.Results.push_back(std::move(result));
    observer_.Progress(ProgressNow());
}

bool TSitePublisher::LastUploadOf(const std::string& folder, std::vector<std::pair<std::string, TRecordEntry>>& awaiting)
{
    const std::lock_guard lock(mutex_);
    if (--uploadsLeft_[folder] > 0)
        return false;
    awaiting = std::move(awaitingTimes_[folder]);
    return true;
}

void TSitePublisher::Moved(std::uint64_t bytes)
{
    const std::lock_guard lock(mutex_);
    progress_.BytesDone += bytes;  // wraps back for a retried upload's bytes
    observer_.Progress(ProgressNow());
}

TPublishProgress TSitePublisher::ProgressNow() const
{
    TPublishProgress now = progress_;
    now.Seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    return now;
}
