#include "site/cli/SiteCommands.h"

#include "site/HttpCheck.h"
#include "site/LinkCheck.h"
#include "site/LinkCacheFile.h"
#include "site/PublishPlan.h"
#include "site/PublishRecord.h"
#include "site/RemoteTree.h"
#include "site/SitePublisher.h"
#include "site/SiteStatus.h"
#include "upload/ProfileFile.h"

#include <cstdio>
#include <stdexcept>
#include <unistd.h>

namespace {

// Prints what ends (plain lines, or nothing until the JSON summary) and draws the bar on a terminal.
class TCliObserver : public TPublishObserver {
public:
    TCliObserver(const TSiteCommand& command)
        : json_(command.Output == TOutputStyle::Json), policy_(command.TrustNew ? TTrustPolicy::TrustNew : TTrustPolicy::Ask),
          bar_(!json_ && ::isatty(STDOUT_FILENO))
    {
    }
    void ItemRetrying(const TPublishItem& item, int attempt, const std::string& error) override
    {
        bar_.Clear();
        std::fprintf(stderr, "retrying %s (attempt %d failed: %s)\n", item.Status.Path.c_str(), attempt, error.c_str());
    }
    void ItemFinished(const TItemResult& result) override
    {
        if (json_)
            return;
        bar_.Clear();
        const char* what = result.Action == TPublishAction::Upload ? "sent" : "removed";
        if (result.Outcome == TItemOutcome::Done)
            std::printf("%s %s\n", what, result.Path.c_str());
        else if (result.Outcome == TItemOutcome::Failed)
            std::printf("failed %s: %s\n", result.Path.c_str(), result.Error.c_str());
        std::fflush(stdout);
    }
    void Progress(const TPublishProgress& progress) override { bar_.Show(progress); }
    TTrustAnswer AskCertificate(const TCertificateQuestion& question) override
    {
        bar_.Clear();
        return AskCertificateOnTerminal(question, policy_);
    }
    TTrustAnswer AskHostKey(const THostKeyQuestion& question) override
    {
        bar_.Clear();
        return AskHostKeyOnTerminal(question, policy_);
    }
    void Done() { bar_.Clear(); }

private:
    bool json_;
    TTrustPolicy policy_;
    TProgressLine bar_;
};

// The pages named on the command line, as paths of the site; a name that is no page of it is a mistake.
std::vector<std::string> NamedPages(const std::vector<std::string>& operands, const TLocalFiles& files)
{
    std::vector<std::string> pages;
    for (std::string page : operands) {
        while (page.starts_with("./"))
            page.erase(0, 2);
        if (!files.contains(page) || !IsPagePath(page))
            throw ESiteSettingsError(page + " is not a page of the site");
        pages.push_back(page);
    }
    return pages;
}

struct TOutcome {
    std::size_t Sent = 0, Removed = 0, Failed = 0, HeldConflicts = 0, HeldPages = 0;
    std::uint64_t Bytes = 0;
};

std::string HeldJson(const TPublishPlan& plan)
{
    std::string out;
    for (const TPublishItem& item : plan.Items) {
        if (item.Action != TPublishAction::HoldConflict && item.Action != TPublishAction::HoldBrokenPage)
            continue;
        out += std::string(out.empty() ? "" : ",") + "{\"path\":" + JsonString(item.Status.Path) + ",\"reason\":\"" +
               (item.Action == TPublishAction::HoldConflict ? "conflict" : "broken-reference") + "\",\"problems\":[";
        for (std::size_t i = 0; i < item.Problems.size(); ++i)
            out += std::string(i ? "," : "") + JsonString(LinkProblemText(item.Problems[i]));
        out += "]}";
    }
    return "[" + out + "]";
}

void PrintHeld(const TPublishPlan& plan, bool dryRun)
{
    for (const TPublishItem& item : plan.Items) {
        if (dryRun || item.Action == TPublishAction::HoldConflict || item.Action == TPublishAction::HoldBrokenPage ||
            item.Action == TPublishAction::KeepOnServer)
            std::printf("%s %s\n", PublishActionName(item.Action), item.Status.Path.c_str());
        for (const TLinkProblem& problem : item.Problems)
            std::printf("  %s\n", LinkProblemText(problem).c_str());
    }
}

std::vector<THttpCheck> CheckPublishedPages(const std::string& url, const TPublishPlan& plan, const TPublishReport& report)
{
    std::vector<THttpCheck> checks;
    for (const TItemResult& result : report.Results) {
        if (result.Outcome != TItemOutcome::Done || result.Action != TPublishAction::Upload || !IsPagePath(result.Path))
            continue;
        for (const TPublishItem& item : plan.Items)
            if (item.Status.Path == result.Path && item.Status.LocalFile)
                checks.push_back(CheckPublishedPage(url, result.Path, item.Status.LocalFile->Size));
    }
    return checks;
}

std::string HttpText(const THttpCheck& check)
{
    if (check.Status == 0)
        return "http check " + check.Url + ": no answer (" + check.Error + ")";
    std::string text = "http check " + check.Url + ": status " + std::to_string(check.Status);
    if (check.Length)
        text += ", length " + std::to_string(*check.Length);
    return text + (check.Matches ? ", as sent" : ", does not match what was sent");
}

}  // namespace

int RunPublish(const TSiteCommand& command)
{
    TSite site = TSite::Open(command.SiteFolder);
    const TConnectionProfile profile = site.FindProfile(TProfileFile::PathInCurrentFolder());
    TPublishRecord record(site.Folder());
    record.Load();
    const TLocalFiles files = site.Scan();
    TPlanOptions options;
    options.Pages = NamedPages(command.Operands, files);
    options.Removals = command.Delete ? TRemovals::Remove : TRemovals::Keep;
    options.Conflicts = command.Force ? TConflicts::Overwrite : TConflicts::Hold;
    options.BrokenPages = command.PublishAnyway ? TBrokenPages::Publish : TBrokenPages::Hold;
    TReferenceCache linkCache;
    const TLinkReport links = CheckSiteLinksKept(site.Folder(), files, options.Pages, linkCache);

    TCliObserver observer(command);
    TTerminalListener terminal(command.TrustNew ? TTrustPolicy::TrustNew : TTrustPolicy::Ask);
    TRelayListener relay(terminal);
    const TSessionOptions sessionOptions = SessionOptionsFor(command);
    auto session = OpenRemoteSession(SessionProfile(profile), sessionOptions, relay);
    const std::string remoteFolder = site.RemoteFolder(profile);
    const TRemoteTree remote = ListRemoteTree(*session, remoteFolder, site.Patterns());
    const auto statuses = ComputeSiteStatus(site.Folder(), files, record, &remote, site.Patterns());
    const TPublishPlan plan = PlanPublish(statuses, links, options);

    TOutcome outcome;
    outcome.HeldConflicts = CountOf(plan, TPublishAction::HoldConflict);
    outcome.HeldPages = CountOf(plan, TPublishAction::HoldBrokenPage);
    const bool json = command.Output == TOutputStyle::Json;
    TPublishReport report;
    if (!command.DryRun) {
        TSitePublisher publisher(site.Folder(), remoteFolder, record,
                                 [&](TTransferListener& listener) {
                                     return MakeRemoteSession(SessionProfile(profile), sessionOptions, listener);
                                 },
                                 observer, command.Parallel.value_or(site.Settings().Parallel));
        report = publisher.Run(plan, std::move(session), &relay, remote.Folders);
        observer.Done();
        record.Compact();
    } else {
        session->Close();
    }
    for (const TItemResult& result : report.Results) {
        outcome.Failed += result.Outcome != TItemOutcome::Done ? 1 : 0;
        if (result.Outcome == TItemOutcome::Done && result.Action == TPublishAction::Upload) {
            ++outcome.Sent;
            outcome.Bytes += result.Bytes;
        }
        outcome.Removed += result.Outcome == TItemOutcome::Done && result.Action == TPublishAction::Remove ? 1 : 0;
    }
    const std::vector<THttpCheck> checks =
        site.Settings().Url.empty() ? std::vector<THttpCheck>() : CheckPublishedPages(site.Settings().Url, plan, report);

    if (json) {
        std::string out = "{\"dryRun\":" + std::string(command.DryRun ? "true" : "false") + ",\"plan\":[";
        for (std::size_t i = 0; i < plan.Items.size(); ++i)
            out += std::string(i ? "," : "") + "{\"path\":" + JsonString(plan.Items[i].Status.Path) +
                   ",\"action\":" + JsonString(PublishActionName(plan.Items[i].Action)) + "}";
        out += "],\"results\":[";
        for (std::size_t i = 0; i < report.Results.size(); ++i) {
            const TItemResult& result = report.Results[i];
            const char* outcomeName = result.Outcome == TItemOutcome::Done ? "done"
                                      : result.Outcome == TItemOutcome::Failed ? "failed" : "cancelled";
            out += std::string(i ? "," : "") + "{\"path\":" + JsonString(result.Path) + ",\"action\":" +
                   JsonString(PublishActionName(result.Action)) + ",\"outcome\":\"" + outcomeName + "\",\"attempts\":" +
                   std::to_string(result.Attempts) + ",\"error\":" + JsonString(result.Error) + "}";
        }
        out += "],\"held\":" + HeldJson(plan) + ",\"http\":[";
        for (std::size_t i = 0; i < checks.size(); ++i)
            out += std::string(i ? "," : "") + "{\"url\":" + JsonString(checks[i].Url) + ",\"status\":" +
                   std::to_string(checks[i].Status) + ",\"length\":" +
                   (checks[i].Length ? std::to_string(*checks[i].Length) : "null") + ",\"matches\":" +
                   (checks[i].Matches ? "true" : "false") + "}";
        out += "],\"sent\":" + std::to_string(outcome.Sent) + ",\"removed\":" + std::to_string(outcome.Removed) +
               ",\"failed\":" + std::to_string(outcome.Failed) + "}\n";
        std::fputs(out.c_str(), stdout);
    } else {
        PrintHeld(plan, command.DryRun);
        for (const THttpCheck& check : checks)
            std::printf("%s\n", HttpText(check).c_str());
        std::printf("%zu sent, %zu removed, %zu failed, %zu held (changed on the server), %zu held (broken references)\n",
                    outcome.Sent, outcome.Removed, outcome.Failed, outcome.HeldConflicts, outcome.HeldPages);
    }
    if (outcome.Failed > 0)
        return kExitTransferFailed;
    if (outcome.HeldConflicts > 0)
        return kExitConflictHeld;
    return outcome.HeldPages > 0 ? kExitBrokenHeld : kExitDone;
}
