#include "site/cli/SiteCommands.h"

#include "site/LinkCacheFile.h"
#include "site/PublishRecord.h"
#include "site/RemoteTree.h"
#include "site/SiteStatus.h"
#include "upload/ProfileFile.h"

#include <cstdio>

TSessionOptions SessionOptionsFor(const TSiteCommand& command)
{
    TSessionOptions options;
    options.TimeoutSeconds = command.TimeoutSeconds;
    // The publisher lists each folder once its uploads end: a stat after every upload costs more.
    options.AfterPut = TAfterPut::Nothing;
    return options;
}

std::string LinkProblemName(TLinkProblemKind kind)
{
    switch (kind) {
    case TLinkProblemKind::Missing: return "missing";
    case TLinkProblemKind::CaseMismatch: return "case-mismatch";
    case TLinkProblemKind::LeftOut: return "left-out";
    case TLinkProblemKind::OutsideSite: return "outside-site";
    }
    return "?";
}

int RunInit(const TSiteCommand& command)
{
    TSiteSettings settings;
    settings.Profile = command.Operands.front();
    settings.Remote = command.Remote.value_or("");
    settings.Url = command.Url.value_or("");
    settings.Parallel = command.Parallel.value_or(settings.Parallel);
    const TSite site = TSite::Create(command.SiteFolder, settings);
    if (command.Output == TOutputStyle::Json)
        std::printf("{\"settings\":%s}\n", JsonString(SiteSettingsPath(site.Folder())).c_str());
    else
        std::printf("made %s for profile \"%s\"\n", SiteSettingsPath(site.Folder()).c_str(), settings.Profile.c_str());
    // A profile missing from connect.set is worth a word now rather than at the first publish.
    try {
        site.FindProfile(TProfileFile::PathInCurrentFolder());
    } catch (const ESiteSettingsError& error) {
        std::fprintf(stderr, "tallo-site: note: %s\n", error.what());
    }
    return kExitDone;
}

int RunStatus(const TSiteCommand& command)
{
    const TSite site = TSite::Open(command.SiteFolder);
    TPublishRecord record(site.Folder());
    record.Load();
    const TLocalFiles files = site.Scan();
    std::optional<TRemoteTree> remote;
    if (!command.LocalOnly) {
        const TConnectionProfile profile = site.FindProfile(TProfileFile::PathInCurrentFolder());
        TTerminalListener listener(command.TrustNew ? TTrustPolicy::TrustNew : TTrustPolicy::Ask);
        auto session = OpenRemoteSession(SessionProfile(profile), SessionOptionsFor(command), listener);
        remote = ListRemoteTree(*session, site.RemoteFolder(profile), site.Patterns());
        session->Close();
    }
    const auto statuses = ComputeSiteStatus(site.Folder(), files, record, remote ? &*remote : nullptr, site.Patterns());
    const bool json = command.Output == TOutputStyle::Json;
    std::string out = json ? "{\"files\":[" : "";
    bool first = true;
    for (const TFileStatus& status : statuses) {
        if (status.State == TFileState::Unchanged)
            continue;
        if (json)
            out += std::string(first ? "" : ",") + "{\"path\":" + JsonString(status.Path) + ",\"status\":\"" +
                   FileStateName(status.State) + "\"}";
        else
            out += std::string(FileStateName(status.State)) + std::string(12 - std::string(FileStateName(status.State)).size(), ' ') +
                   status.Path + "\n";
        first = false;
    }
    if (json)
        out += "],\"server\":" + std::string(remote ? "true" : "false") + "}\n";
    std::fputs(out.c_str(), stdout);
    return kExitDone;
}

int RunCheck(const TSiteCommand& command)
{
    const TSite site = TSite::Open(command.SiteFolder);
    TReferenceCache linkCache;
    const TLinkReport report = CheckSiteLinksKept(site.Folder(), site.Scan(), {}, linkCache);
    const bool json = command.Output == TOutputStyle::Json;
    std::string out = json ? "{\"pages\":" + std::to_string(report.size()) + ",\"problems\":[" : "";
    std::size_t problems = 0;
    for (const auto& [page, links] : report)
        for (const TLinkProblem& problem : links.Problems) {
            if (json)
                out += std::string(problems == 0 ? "" : ",") + "{\"page\":" + JsonString(page) +
                       ",\"line\":" + std::to_string(problem.Line) + ",\"reference\":" + JsonString(problem.Reference) +
                       ",\"problem\":\"" + LinkProblemName(problem.Kind) + "\",\"found\":" + JsonString(problem.Found) + "}";
            else
                out += LinkProblemText(problem) + "\n";
            ++problems;
        }
    if (json)
        out += "]}\n";
    else
        out += std::to_string(report.size()) + " pages checked, " + std::to_string(problems) + " problems\n";
    std::fputs(out.c_str(), stdout);
    return problems == 0 ? kExitDone : kExitBrokenHeld;
}
