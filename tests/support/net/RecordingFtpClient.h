#pragma once
// Points an FTP client at a scripted server as user "ann" (password "secret", passive) and records its
// events as text ("Connect", "Success(9)", "Failure(9)", ...), for tests that compare event sequences.

#include "net/FtpClient.h"
#include "support/net/ScriptedFtpServer.h"

#include <string>
#include <vector>

inline void RecordClientEvents(TFtpClient& client, const ScriptedFtpServer& server, std::vector<std::string>& events)
{
    client.Host = "127.0.0.1";
    client.Port = server.Port();
    client.UserID = "ann";
    client.Password = "secret";
    client.Passive = true;
    client.OnConnect = [&events](TSocketConnection&) { events.push_back("Connect"); };
    client.OnConnectionFailed = [&events](TSocketConnection&) { events.push_back("ConnectionFailed"); };
    client.OnTransactionStart = [&events](TSocketConnection&) { events.push_back("TransactionStart"); };
    client.OnTransactionStop = [&events](TSocketConnection&) { events.push_back("TransactionStop"); };
    client.OnSuccess = [&events](TFtpClient&, TCmdType type) {
        events.push_back("Success(" + std::to_string(type) + ")");
    };
    client.OnFailure = [&events](TFtpClient&, bool&, TCmdType type) {
        events.push_back("Failure(" + std::to_string(type) + ")");
    };
}
