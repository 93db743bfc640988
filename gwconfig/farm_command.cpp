#include "gwconfig/farm_command.h"

#include <algorithm>

#include <nlohmann/json.hpp>

#include "eventlog/config_events.h"
#include "gwconfig/commands.h"
#include "compare/config_diff.h"
#include "config/beside_values.h"
#include "config/config_history.h"
#include "explain/change_summary.h"
#include "gwconfig/registry_access.h"
#include "gwconfig/remote_servers.h"
#include "platform/codepage.h"
#include "platform/server_jobs.h"
#include "platform/tool_files.h"

namespace {

const unsigned PARALLEL_SERVERS = 8;
const uint32_t ERROR_TIMED_OUT = 1460; // ERROR_TIMEOUT

// What became of one server.
struct ServerOutcome {
    std::string server;
    std::string status;     // same, differs, no configuration, unreadable, unreachable, ...
    std::string detail;     // differs: the summary; a failure: its sentence
    std::string applied;    // empty, "applied", "would apply" or "apply failed"
    std::string applyError; // the failed write's sentence
    std::string change;     // what applying changes there, for the event log
    std::string history;    // why the configuration replaced was not kept in its history
    bool needsApply = false;
};

int Fail(FILE* err, const std::string& message) {
    fprintf(err, "gwconfig: %s\n", message.c_str());
    return GW_EXIT_BAD_INPUT;
}

std::string Trimmed(const std::string& text) {
    const char* blanks = " \t\r\n";
    size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos)
        return "";
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

// The servers to ask: those named, or the reference's own server monitor list.
bool ServersToAsk(const FarmOptions& options, const FilterConfigRecord& reference,
                  std::vector<std::string>* servers, std::string* error) {
    for (const std::string& given : options.computers) {
        std::string name;
        if (!ParseServerName(given, &name)) {
            *error = "--computer: \"" + given + "\" is not a computer name (NAME or \\\\NAME)";
            return false;
        }
        servers->push_back(name);
    }
    if (!options.computersFrom.empty()) {
        std::string text;
        if (!ToolReadFile(options.computersFrom, &text, error) ||
            !ParseServerList(text, options.computersFrom, servers, error))
            return false;
    }
    if (options.computers.empty() && options.computersFrom.empty()) {
        for (const MonitorServerRow* row : reference.monitorServers) {
            std::string utf8, name;
            if (AnsiToUtf8(options.codePage, row->SERVER, &utf8) == CODEPAGE_OK &&
                ParseServerName(Trimmed(utf8), &name))
                servers->push_back(name);
        }
        if (servers->empty()) {
            *error = options.reference.Name() +
                     " lists no servers in its server monitor (MONITOR_SERVER): name them with "
                     "--computer or --computers-from";
            return false;
        }
    }
    // Each server once, as Windows compares computer names: without regard to case.
    std::vector<std::string> unique;
    for (const std::string& name : *servers) {
        auto same = [&](const std::string& other) {
            return other.size() == name.size() &&
                   std::equal(other.begin(), other.end(), name.begin(), [](char a, char b) {
                       return (a >= 'a' && a <= 'z' ? a - 32 : a) ==
                              (b >= 'a' && b <= 'z' ? b - 32 : b);
                   });
        };
        if (std::none_of(unique.begin(), unique.end(), same))
            unique.push_back(name);
    }
    servers->swap(unique);
    return true;
}

// Compares what a read found with the reference.
void Judge(const ServerJob& job, FilterConfigRecord& reference, const BesideValues& sides,
           const FarmOptions& options, ServerOutcome* outcome) {
    outcome->server = job.server;
    const BesideValues stored = BesideRead(job);
    if (job.timedOut) {
        outcome->status = "unreachable";
        outcome->detail = "no answer from " + ServerLabel(job.server) + " within " +
                          std::to_string(options.timeoutSeconds) +
                          " s: is the server on and the Remote Registry service started?";
        return;
    }
    if (job.error != REMOTE_OK) {
        outcome->status = RemoteStatusWord(job.error);
        outcome->detail = RemoteFailureText(job.server, job.error, false);
        outcome->needsApply = job.error == REMOTE_NO_CONFIGURATION;
        outcome->change = "stored where there was none";
        AddBesideChanges(stored, sides, &outcome->change);
        return;
    }
    if (!LoadConfigBlob(job.blob)) {
        outcome->status = "unreadable";
        outcome->detail = "the configuration stored there does not decode; the library "
                          "replaces it with the defaults";
        outcome->needsApply = true;
        outcome->change = "replaced one that did not decode";
        AddBesideChanges(stored, sides, &outcome->change);
        return;
    }
    HeldConfig held = HeldConfig::TakeFilterConfig();
    // The server's values, told as what it holds against the reference (a setting the
    // reference does not carry is not compared).
    std::string lines;
    const bool sameConfig = DiffConfigs(reference, held.record(), options.codePage, &lines) == 0;
    std::string differences =
        sameConfig ? "" : SummarizeConfigChange(reference, held.record(), options.codePage);
    AddBesideDifferences(sides, stored, &differences);
    if (differences.empty()) {
        outcome->status = "same";
        return;
    }
    outcome->status = "differs";
    outcome->detail = differences;
    outcome->change = SummarizeConfigChange(held.record(), reference, options.codePage);
    AddBesideChanges(stored, sides, &outcome->change);
    outcome->needsApply = true;
}

// The configuration file the reference came from, for the event and the history.
std::string ReferenceFile(const FarmOptions& options) {
    return options.reference.registry ? "" : options.reference.path;
}

// Writes the reference to every server that needs it, and reports each write.
void ApplyToServers(const std::string& blob, const BesideValues& sides, const FarmOptions& options,
                    std::vector<ServerOutcome>* outcomes) {
    std::vector<ServerJob> jobs;
    std::vector<ServerOutcome*> targets;
    for (ServerOutcome& outcome : *outcomes) {
        if (!outcome.needsApply)
            continue;
        if (options.dryRun) {
            outcome.applied = "would apply";
            continue;
        }
        ServerJob job;
        job.server = outcome.server;
        job.view = options.view;
        job.write = true;
        job.blob = blob;
        job.keep = NewGenerationFacts("gwconfig.exe", ReferenceFile(options), outcome.change);
        AskForBeside(sides, &job);
        jobs.push_back(job);
        targets.push_back(&outcome);
    }
    if (jobs.empty())
        return;
    ServerJobLimits limits;
    limits.parallel = PARALLEL_SERVERS;
    limits.timeoutMs = options.timeoutSeconds * 1000;
    limits.work = KeepThenWriteJob;
    RunServerJobs(&jobs, limits, nullptr);
    for (size_t i = 0; i < jobs.size(); ++i) {
        ServerOutcome& outcome = *targets[i];
        ConfigApplyFacts facts;
        facts.program = "gwconfig.exe";
        facts.file = ReferenceFile(options);
        facts.server = outcome.server;
        facts.summary = outcome.change;
        const ServerJob& job = jobs[i];
        uint32_t error = job.timedOut ? ERROR_TIMED_OUT : job.error;
        // The configuration is stored, but a setting beside it may not be.
        std::string sideFailure, side;
        if (error == REMOTE_OK && (error = BesideWriteError(job, &side)) != REMOTE_OK)
            sideFailure = "the configuration is stored, but " + side + " is not: ";
        if (error == REMOTE_OK) {
            outcome.applied = "applied";
            outcome.history = jobs[i].keepProblem;
            AddKeepProblem(outcome.history, &facts.summary);
            ReportConfigApplied(facts);
            continue;
        }
        outcome.applied = "apply failed";
        outcome.applyError = job.timedOut
                                 ? "no answer from " + ServerLabel(outcome.server) + " within " +
                                       std::to_string(options.timeoutSeconds) +
                                       " s: the write may or may not have been made"
                                 : sideFailure + RemoteFailureText(outcome.server, error, true);
        ReportConfigApplyFailed(facts, error);
    }
}

void PrintText(const std::vector<ServerOutcome>& outcomes, FILE* out) {
    size_t width = 0;
    for (const ServerOutcome& outcome : outcomes)
        width = std::max(width, ServerLabel(outcome.server).size());
    for (const ServerOutcome& outcome : outcomes) {
        std::string line = ServerLabel(outcome.server);
        line.resize(width + 2, ' ');
        line += outcome.status;
        if (!outcome.applied.empty())
            line += ", " + outcome.applied;
        const std::string& detail =
            outcome.applyError.empty() ? outcome.detail : outcome.applyError;
        if (!detail.empty())
            line += ": " + detail;
        if (!outcome.history.empty())
            line += "; " + outcome.history;
        fprintf(out, "%s\n", line.c_str());
    }
}

void PrintJson(const std::string& reference, const std::vector<ServerOutcome>& outcomes,
               FILE* out) {
    nlohmann::ordered_json servers = nlohmann::ordered_json::array();
    for (const ServerOutcome& outcome : outcomes) {
        nlohmann::ordered_json one;
        one["server"] = outcome.server;
        one["status"] = outcome.status;
        if (outcome.status == "differs")
            one["summary"] = outcome.detail;
        else if (!outcome.detail.empty())
            one["message"] = outcome.detail;
        if (!outcome.applied.empty())
            one["apply"] = outcome.applied;
        if (!outcome.applyError.empty())
            one["applyMessage"] = outcome.applyError;
        if (!outcome.history.empty())
            one["historyMessage"] = outcome.history;
        servers.push_back(one);
    }
    nlohmann::ordered_json document;
    document["reference"] = reference;
    document["servers"] = servers;
    fprintf(out, "%s\n",
            document.dump(2, ' ', false, nlohmann::json::error_handler_t::replace).c_str());
}

} // namespace

bool ParseServerList(const std::string& text, const std::string& fileName,
                     std::vector<std::string>* servers, std::string* error) {
    size_t start = 0, lineNumber = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        ++lineNumber;
        if (lineNumber == 1 && line.compare(0, 3, "\xEF\xBB\xBF") == 0)
            line.erase(0, 3);
        line = Trimmed(line.substr(0, line.find('#')));
        if (line.empty())
            continue;
        std::string name;
        if (!ParseServerName(line, &name)) {
            *error = "'" + fileName + "' line " + std::to_string(lineNumber) + ": \"" + line +
                     "\" is not a computer name (NAME or \\\\NAME)";
            return false;
        }
        servers->push_back(name);
    }
    return true;
}

int RunFarmCommand(const FarmOptions& options, FILE* out, FILE* err) {
    std::string error;
    std::vector<std::string> problems;
    BesideValues sides;
    if (!LoadConfig(options.reference, options.codePage, &problems, nullptr, &sides))
        return Fail(err, problems.empty() ? "cannot load the reference" : problems.front());
    std::string blob;
    if (options.apply && !EncodeConfigRegistry(&blob))
        return Fail(err, "out of memory while encoding the configuration");
    HeldConfig reference = HeldConfig::TakeFilterConfig();
    std::vector<std::string> servers;
    if (!ServersToAsk(options, reference.record(), &servers, &error))
        return Fail(err, error);
    if (!RemoteRegistryAvailable(&error))
        return Fail(err, error);

    std::vector<ServerJob> jobs(servers.size());
    for (size_t i = 0; i < servers.size(); ++i) {
        jobs[i].server = servers[i];
        jobs[i].view = options.view;
        AskForBeside(sides, &jobs[i]);
    }
    ServerJobLimits limits;
    limits.parallel = PARALLEL_SERVERS;
    limits.timeoutMs = options.timeoutSeconds * 1000;
    RunServerJobs(&jobs, limits, nullptr);

    std::vector<ServerOutcome> outcomes(jobs.size());
    for (size_t i = 0; i < jobs.size(); ++i)
        Judge(jobs[i], reference.record(), sides, options, &outcomes[i]);
    if (options.apply)
        ApplyToServers(blob, sides, options, &outcomes);

    if (options.format == "json")
        PrintJson(options.reference.registry ? "registry" : options.reference.path, outcomes, out);
    else
        PrintText(outcomes, out);
    const bool applied = options.apply && !options.dryRun;
    const bool allWell =
        std::all_of(outcomes.begin(), outcomes.end(), [&](const ServerOutcome& outcome) {
            return outcome.status == "same" || (applied && outcome.applied == "applied");
        });
    return allWell ? GW_EXIT_OK : GW_EXIT_NO;
}
