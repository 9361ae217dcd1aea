#pragma once
// The transfer session over FTP and FTPS: one TFtpClient logged in and kept in the base folder, the
// features the server offers (MLSD and MLST, UTF-8 names) read once per connection, a NOOP before an
// operation that follows a long pause, and one reconnection when the server dropped the connection.

#include "transfer/RemoteSession.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>

class TFtpClient;
struct TServerAddress;

class TFtpRemoteSession final : public TRemoteSession {
public:
    TFtpRemoteSession(const TConnectionProfile& profile, const TServerAddress& address, int port,
                      const TSessionOptions& options, TTransferListener& listener);
    ~TFtpRemoteSession() override;

    void Open() override;

    std::vector<TRemoteEntry> List(const std::string& folder) override;
    std::optional<TRemoteEntry> Stat(const std::string& path) override;
    std::uint64_t Download(const std::string& remotePath, const std::string& localPath) override;
    TPutResult Put(const std::string& localPath, const std::string& remotePath) override;
    void MakeFolder(const std::string& path) override;
    void Rename(const std::string& from, const std::string& to) override;
    void Remove(const std::string& path) override;
    void Cancel() override;
    void Close() override;

private:
    struct TFeatures {
        bool Mlst = false;
        bool Utf8 = false;
    };

    void Connect();
    void ReadFeatures();
    void Announce(TTransferStep step);
    // Runs an operation after a keep-alive where the connection idled, and once more on a fresh
    // connection when the server dropped it; every failure leaves as ETransferError.
    void Run(TTransferStep step, const std::function<void()>& operation);
    ETransferError Classified(TTransferStep step, std::exception_ptr failure) const;
    bool StillThere();
    // A command whose reply must be 2xx (or 3xx where allowed); otherwise FTPException.
    int Require(const std::string& command, int highestAccepted = 299);
    std::optional<TRemoteEntry> StatOnce(const std::string& path);
    std::vector<TRemoteEntry> ListOnce(const std::string& folder);
    TReplaceMode PutOnce(const std::string& localPath, const std::string& remotePath);
    enum class TRenameRefusal { From, To };
    // False when the server refused with a 5xx reply, naming which of RNFR and RNTO; a 4xx raises.
    bool TryRename(const std::string& from, const std::string& to, TRenameRefusal& refusal);
    void RemoveQuietly(const std::string& path);
    // Whether the server renames, tried with an empty file under temporary names beside remotePath.
    bool RenamesAnEmptyFile(const std::string& remotePath);
    // Best effort after a cancelled safe upload, on the same connection; never raises.
    void RemoveAfterCancel(const std::string& temporary);

    TConnectionProfile profile_;
    std::string host_;
    int port_;
    bool secure_;
    TSessionOptions options_;
    TTransferListener& listener_;
    std::unique_ptr<TFtpClient> client_;
    // Cancel reaches the client from any thread, while the driving thread may replace it.
    std::mutex clientLock_;
    TFeatures features_;
    std::optional<TTransferStep> announced_;
    std::atomic<bool> cancelled_ = false;
    std::chrono::steady_clock::time_point lastUse_;
    // Learned from the first upload (or the try before it): a server that refuses renames is not asked again.
    std::optional<TReplaceMode> learnedMode_;
};
