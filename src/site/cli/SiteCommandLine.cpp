#include "site/cli/SiteCommandLine.h"

#include "site/SiteSettings.h"

#include <stdexcept>

const char* const kSiteUsage =
    "usage: tallo-site [--site DIR] [--json] COMMAND [OPTIONS]\n"
    "\n"
    "Publishes a folder of pages to the server of a connect.set profile (connect.set is read from the\n"
    "current folder; the password comes from the profile).\n"
    "\n"
    "commands:\n"
    "  init PROFILE [--remote DIR] [--url URL] [--parallel N]\n"
    "                     make the folder a site tied to PROFILE (writes .tallo-site)\n"
    "  status [--local]   one line for each file that is not unchanged: its status and path\n"
    "                     (new, changed, deleted, conflict, server-only); --local skips the server\n"
    "  check              check the links and references of every page\n"
    "  publish [PAGE...] [--dry-run] [--delete] [--force] [--publish-anyway] [--parallel N]\n"
    "          [--trust-new] [--timeout SECONDS]\n"
    "                     send what changed; with PAGEs, those pages and the changed files they use\n"
    "\n"
    "options:\n"
    "  --site DIR         the site folder (default: the current folder)\n"
    "  --json             machine-readable output on stdout\n"
    "  --remote DIR       the remote folder (default: the profile's Directory)\n"
    "  --url URL          the site's address; published pages are then checked with HTTP HEAD\n"
    "  --parallel N       connections at once, 1 to 8 (default 2)\n"
    "  --dry-run          show what would be done, send nothing\n"
    "  --delete           remove from the server the files deleted from the site\n"
    "  --force            overwrite files changed on the server since the last publish\n"
    "  --publish-anyway   send pages even when a reference in them is broken\n"
    "  --trust-new        trust and remember an unknown certificate or host key without asking\n"
    "  --timeout SECONDS  give up a wait after SECONDS without progress (default 60, 0 never)\n"
    "  --help, --version\n"
    "\n"
    "exit codes: 0 done; 1 a transfer failed; 2 usage or settings error; 3 a conflict held a file back;\n"
    "            4 a broken reference held a page back\n";

namespace {

int NumberArgument(const std::string& option, const std::string& text, int low, int high)
{
    if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos ||
        std::stoi(text) < low || std::stoi(text) > high)
        throw std::invalid_argument(option + " takes a number from " + std::to_string(low) + " to " + std::to_string(high));
    return std::stoi(text);
}

TSiteCommandKind CommandNamed(const std::string& word)
{
    if (word == "init")
        return TSiteCommandKind::Init;
    if (word == "status")
        return TSiteCommandKind::Status;
    if (word == "check")
        return TSiteCommandKind::Check;
    if (word == "publish")
        return TSiteCommandKind::Publish;
    throw std::invalid_argument("unknown command \"" + word + "\"");
}

// Which command may take which option; anything else is a mistake worth telling.
void CheckOptionFits(const std::string& option, TSiteCommandKind kind)
{
    using K = TSiteCommandKind;
    const bool fits = (option == "--remote" || option == "--url") ? kind == K::Init
                      : option == "--parallel"                     ? (kind == K::Init || kind == K::Publish)
                      : option == "--local"                        ? kind == K::Status
                      : (option == "--trust-new" || option == "--timeout") ? (kind == K::Status || kind == K::Publish)
                                                                           : kind == K::Publish;
    if (!fits)
        throw std::invalid_argument(option + " does not go with this command");
}

}  // namespace

TSiteCommand ParseSiteCommandLine(const std::vector<std::string>& arguments)
{
    TSiteCommand command;
    std::vector<std::string> options;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& word = arguments[i];
        const auto value = [&]() -> std::string {
            if (i + 1 >= arguments.size())
                throw std::invalid_argument(word + " needs a value");
            return arguments[++i];
        };
        if (word == "--help" || word == "-h" || word == "--version") {
            TSiteCommand answer;
            answer.Kind = word == "--version" ? TSiteCommandKind::Version : TSiteCommandKind::Help;
            return answer;
        }
        if (word == "--site")
            command.SiteFolder = value();
        else if (word == "--json")
            command.Output = TOutputStyle::Json;
        else if (word == "--remote")
            command.Remote = value();
        else if (word == "--url")
            command.Url = value();
        else if (word == "--parallel")
            command.Parallel = NumberArgument(word, value(), 1, kMaxParallel);
        else if (word == "--timeout")
            command.TimeoutSeconds = NumberArgument(word, value(), 0, 86400);
        else if (word == "--local")
            command.LocalOnly = true;
        else if (word == "--dry-run")
            command.DryRun = true;
        else if (word == "--delete")
            command.Delete = true;
        else if (word == "--force")
            command.Force = true;
        else if (word == "--publish-anyway")
            command.PublishAnyway = true;
        else if (word == "--trust-new")
            command.TrustNew = true;
        else if (word.starts_with("-") && word.size() > 1)
            throw std::invalid_argument("unknown option " + word);
        else if (command.Kind == TSiteCommandKind::None)
            command.Kind = CommandNamed(word);
        else
            command.Operands.push_back(word);
        if (word.starts_with("--") && word != "--site" && word != "--json")
            options.push_back(word);
    }
    if (command.Kind == TSiteCommandKind::None)
        throw std::invalid_argument("no command given");
    for (const std::string& option : options)
        CheckOptionFits(option, command.Kind);
    if (command.Kind == TSiteCommandKind::Init && command.Operands.size() != 1)
        throw std::invalid_argument("init takes one profile name");
    if ((command.Kind == TSiteCommandKind::Status || command.Kind == TSiteCommandKind::Check) &&
        !command.Operands.empty())
        throw std::invalid_argument("unexpected operand " + command.Operands.front());
    return command;
}
