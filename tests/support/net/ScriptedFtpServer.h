#pragma once
// A stand-in FTP server on 127.0.0.1 for what real servers never send: replies split or joined in
// packets, odd codes, malformed passive replies, a connection that drops mid-reply or mid-transfer.
// It serves its control connections on a thread of its own and records every command line it receives.

#include <atomic>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

enum class ServerAction {
    None,
    CloseControl,          // close the control connection after the reply
    OpenPassive,           // listen for the data connection; {hi} and {lo} in the reply name its port
    ReceiveUpload,         // take the data connection, read it to its end, then send `after`
    ReceivePartThenClose,  // take the data connection, read a little, then drop both connections
    AnswerWithoutData,     // send `after` at once, never opening the data connection
    Repeat,                // send the chunks again and again, `pauseMs` apart, until the client goes
    HoldData,              // take the data connection and never read from it
    SendData,              // take the data connection, send `data`, close it, then send `after`
};

struct ScriptedReply {
    std::vector<std::string> chunks;  // sent one after another, each as its own packet
    ServerAction action = ServerAction::None;
    std::vector<std::string> after;   // for ReceiveUpload and AnswerWithoutData: the final reply
    int pauseMs = 0;                  // for Repeat
    std::string data;                 // for SendData
};

class ScriptedFtpServer {
public:
    ScriptedFtpServer();
    ~ScriptedFtpServer();
    ScriptedFtpServer(const ScriptedFtpServer&) = delete;
    ScriptedFtpServer& operator=(const ScriptedFtpServer&) = delete;

    int Port() const { return port_; }
    void SetGreeting(ScriptedReply greeting) { greeting_ = std::move(greeting); }
    // Replaces the reply to a command verb (upper case, e.g. "STOR"). Several calls for one verb queue
    // replies used in turn; the last one repeats.
    void On(const std::string& verb, ScriptedReply reply);
    // Serves this many control connections one after another (a client that reconnects); 1 by default.
    void Start(int sessions = 1);

    // Waits until the session ended (the client closed, or the script closed), at most a few seconds.
    void WaitUntilDone();
    // Drops the control and data connections at once (a test's safety net against a client that hangs).
    void Hangup();
    std::vector<std::string> Transcript();
    std::string ReceivedData();
    // The size of every upload received, in order.
    std::vector<std::size_t> UploadSizes();

private:
    void Serve(int sessions);
    void ServeSession(int control);
    void Answer(int control, const std::string& line);
    void SendChunks(int control, const std::vector<std::string>& chunks, const std::string& passivePort = {});
    void Repeat(int control, const ScriptedReply& reply);
    int TakeDataConnection();

    int listener_ = -1;
    int port_ = 0;
    int passiveListener_ = -1;
    std::string activeAddress_;
    int activePort_ = 0;
    ScriptedReply greeting_;
    std::map<std::string, std::vector<ScriptedReply>> replies_;
    std::map<std::string, std::size_t> used_;
    std::set<std::string> customized_;
    std::atomic<int> control_{-1};
    std::atomic<int> heldData_{-1};
    std::thread thread_;
    std::atomic<bool> done_{false};
    std::mutex mutex_;
    std::vector<std::string> transcript_;
    std::string received_;
    std::vector<std::size_t> uploadSizes_;
};
