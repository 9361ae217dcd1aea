#include "transfer/RemoteSession.h"

#include "net/ServerAddress.h"
#include "transfer/FtpRemoteSession.h"
#include "transfer/SftpRemoteSession.h"

std::unique_ptr<TRemoteSession> MakeRemoteSession(const TConnectionProfile& profile, const TSessionOptions& options,
                                                  TTransferListener& listener)
{
    const TServerAddress address = ParseServerAddress(profile.Host);
    std::optional<int> port = profile.Port.empty() ? DefaultPort(address.Protocol) : PortNumber(profile.Port);
    if (!port)
        throw ETransferError(TTransferStep::LookUp, TFailureKind::Permanent, 0, "The Port must be number!");
    if (address.Protocol == TTransferProtocol::Sftp)
        return std::make_unique<TSftpRemoteSession>(profile, address, *port, options, listener);
    return std::make_unique<TFtpRemoteSession>(profile, address, *port, options, listener);
}

std::unique_ptr<TRemoteSession> OpenRemoteSession(const TConnectionProfile& profile, const TSessionOptions& options,
                                                  TTransferListener& listener)
{
    std::unique_ptr<TRemoteSession> session = MakeRemoteSession(profile, options, listener);
    session->Open();
    return session;
}
