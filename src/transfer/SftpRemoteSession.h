#pragma once
// The transfer session over SFTP: one TSftpSession kept open, every operation a job on its worker, a
// cheap stat before an operation that follows a long pause, and one reconnection when the connection
// was lost. Renames replace the target where the server can (POSIX rename); where it cannot, the old
// file is removed first.

#include "net/SftpSession.h"
#include "transfer/RemoteSession.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>

struct TServerAddress;

class TSftpRemoteSession final : public TRemoteSession {
public:
    TSftpRemoteSession(const TConnectionProfile& profile, const TServerAddress& address, int port,
                       const TSessionOptions& options, TTransferListener& listener);
    ~TSftpRemoteSession() override;

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
    void Connect();
    void Run(TTransferStep step, const std::function<void(TSftpConnection&)>& job);
    ETransferError Classified(std::exception_ptr failure) const;
    // The path as the server takes it: a relative one below the profile's folder.
    std::string OnServer(const std::string& path) const;

    TSftpTarget target_;
    TTransferListener& listener_;
    std::chrono::seconds keepAlive_;
    TAfterPut afterPut_;
    TPutWrite putWrite_;
    TSftpSession session_;
    TTransferStep step_ = TTransferStep::LookUp;
    std::atomic<bool> cancelled_ = false;
    // Whether a Cancel finds a safe upload before its rename (which then stops by itself and tidies up)
    // or anything else.
    enum class TPhase : std::uint8_t { Storing, Other };
    void SetPhase(TPhase phase);
    std::mutex stopLock_;
    TPhase phase_ = TPhase::Other;
    std::chrono::steady_clock::time_point lastUse_;
};
