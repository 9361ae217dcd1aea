#pragma once
// The words of a tallo-site command line: the command, its operands and options. Parsing only; a
// mistake gives a message for the user and the usage exit code.

#include <optional>
#include <string>
#include <vector>

enum class TSiteCommandKind { None, Help, Version, Init, Status, Check, Publish };

// The exit codes scripts rely on.
enum TSiteExit : int {
    kExitDone = 0,
    kExitTransferFailed = 1,
    kExitUsage = 2,
    kExitConflictHeld = 3,
    kExitBrokenHeld = 4,
};

enum class TOutputStyle { Text, Json };

struct TSiteCommand {
    TSiteCommandKind Kind = TSiteCommandKind::None;
    std::string SiteFolder = ".";
    TOutputStyle Output = TOutputStyle::Text;
    std::vector<std::string> Operands;  // init: the profile; publish: the pages
    std::optional<std::string> Remote;  // init
    std::optional<std::string> Url;     // init
    std::optional<int> Parallel;        // init, publish
    bool LocalOnly = false;             // status --local
    bool DryRun = false;
    bool Delete = false;
    bool Force = false;
    bool PublishAnyway = false;
    bool TrustNew = false;
    int TimeoutSeconds = 60;
};

// Throws std::invalid_argument with the user's message for a command line that makes no sense.
TSiteCommand ParseSiteCommandLine(const std::vector<std::string>& arguments);

extern const char* const kSiteUsage;
