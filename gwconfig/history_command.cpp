#include "gwconfig/history_command.h"

#include <algorithm>
#include <memory>

#include <nlohmann/json.hpp>

#include "eventlog/config_events.h"
#include "explain/change_summary.h"
#include "gwconfig/commands.h"
#include "gwconfig/generation_source.h"
#include "gwconfig/own_session_guard.h"
#include "platform/codepage.h"

namespace {

void Warn(FILE* err, const std::vector<std::string>& warnings) {
    for (const std::string& warning : warnings)
        fprintf(err, "gwconfig: warning: %s\n", warning.c_str());
}

int Fail(FILE* err, const std::string& message, int code = GW_EXIT_BAD_INPUT) {
    fprintf(err, "gwconfig: %s\n", message.c_str());
    return code;
}

// What the summary column says of a generation.
std::string SummaryOf(const Generation& generation) {
    return generation.unreadable.empty() ? generation.facts.summary
                                         : "unreadable: " + generation.unreadable;
}

void PrintText(const ConfigHistory& history, const std::string& place, FILE* out) {
    if (history.generations.empty()) {
        fprintf(out, "The history in %s keeps no configuration yet.\n", place.c_str());
        return;
    }
    std::vector<std::vector<std::string>> rows = {{"#", "When (UTC)", "Who", "Program", "Summary"}};
    for (const Generation& generation : history.generations)
        rows.push_back({std::to_string(generation.number), generation.facts.when,
                        generation.facts.who, generation.facts.program, SummaryOf(generation)});
    std::vector<size_t> widths(4, 0);
    for (const auto& row : rows) {
        for (size_t column = 0; column < widths.size(); ++column)
            widths[column] = std::max(widths[column], row[column].size());
    }
    for (const auto& row : rows) {
        std::string line;
        for (size_t column = 0; column < widths.size(); ++column) {
            line += row[column];
            line.resize(line.size() + widths[column] - row[column].size() + 2, ' ');
        }
        fprintf(out, "%s%s\n", line.c_str(), row[4].c_str());
    }
}

void PrintJson(const ConfigHistory& history, const std::string& computer, FILE* out) {
    nlohmann::ordered_json generations = nlohmann::ordered_json::array();
    for (const Generation& generation : history.generations) {
        nlohmann::ordered_json one;
        one["number"] = generation.number;
        one["when"] = generation.facts.when;
        one["who"] = generation.facts.who;
        one["program"] = generation.facts.program;
        one["file"] = generation.facts.file;
        one["summary"] = generation.facts.summary;
        one["readable"] = generation.unreadable.empty();
        if (!generation.unreadable.empty())
            one["unreadable"] = generation.unreadable;
        one["size"] = generation.blob.size();
        nlohmann::ordered_json settings = nlohmann::ordered_json::object();
        for (const auto& setting : generation.settings)
            settings[setting.first] = setting.second;
        one["settings"] = settings;
        if (!generation.problems.empty())
            one["problems"] = generation.problems;
        one["key"] = generation.key;
        generations.push_back(one);
    }
    nlohmann::ordered_json document;
    document["server"] = computer.empty() ? "" : computer;
    document["generations"] = generations;
    if (!history.problems.empty())
        document["problems"] = history.problems;
    fprintf(out, "%s\n",
            document.dump(2, ' ', false, nlohmann::json::error_handler_t::replace).c_str());
}

// What storing `generation` changes against what `key` stores now.
std::string RollbackChange(ConfigKeyPort& key, const Generation& generation) {
    const std::string named = "rollback to generation " + std::to_string(generation.number) +
                              " (kept " + generation.facts.when + "): ";
    std::vector<RegistryValue> stored;
    std::string blob;
    if (key.ReadValues("", &stored) == 0) {
        for (const RegistryValue& value : stored) {
            if (value.name == "tsdata")
                blob = value.data;
        }
    }
    if (blob.empty() || !LoadConfigBlob(blob))
        return named + "stored where there was none or it did not decode";
    HeldConfig before = HeldConfig::TakeFilterConfig();
    FilterConfigRecord after{};
    if (DecodeGeneration(generation, after) != 0)
        return named + "its configuration does not decode";
    const std::string change = SummarizeConfigChange(before.record(), after, SystemAnsiCodePage());
    ClearRecordLists(after);
    return named + change;
}

} // namespace

int RunHistoryCommand(const std::string& computer, RemoteView view, const std::string& format,
                      FILE* out, FILE* err) {
    std::string error;
    std::unique_ptr<ConfigKeyPort> key = OpenHistoryPlace(computer, view, &error);
    ConfigHistory history;
    if (!key || !ReadHistoryAt(*key, computer, &history, &error))
        return Fail(err, error);
    Warn(err, history.problems);
    for (const Generation& generation : history.generations)
        Warn(err, generation.problems);
    if (format == "json")
        PrintJson(history, computer, out);
    else
        PrintText(history, HistoryPlaceName(computer), out);
    return GW_EXIT_OK;
}

int RunRollbackCommand(uint32_t number, const std::string& computer, RemoteView view, bool force,
                       FILE* out, FILE* err) {
    std::string error;
    std::unique_ptr<ConfigKeyPort> key = OpenHistoryPlace(computer, view, &error);
    ConfigHistory history;
    Generation generation;
    const std::string place = HistoryPlaceName(computer);
    if (!key || !ReadHistoryAt(*key, computer, &history, &error) ||
        !PickGeneration(history, number, place, &generation, &error))
        return Fail(err, error + "; nothing is stored");
    Warn(err, generation.problems);
    if (!LoadConfigBlob(generation.blob))
        return Fail(err, "generation " + std::to_string(number) +
                             " does not decode; nothing is "
                             "stored");
    // As the console asks before its Apply: only here, where the session runs.
    const std::string question = computer.empty() && !force ? OwnSessionLockoutQuestion() : "";
    if (!question.empty()) {
        fprintf(err, "%s\n", question.c_str());
        return Fail(err,
                    "nothing is stored: mend the rule, or store it anyway with gwconfig "
                    "rollback " +
                        std::to_string(number) + " --force",
                    GW_EXIT_NO);
    }
    ConfigApplyFacts facts;
    facts.program = "gwconfig.exe";
    facts.server = computer;
    facts.summary = RollbackChange(*key, generation);
    const std::string kept =
        KeepGeneration(*key, NewGenerationFacts(facts.program, facts.file, facts.summary));
    std::string problem;
    const uint32_t code = RestoreGeneration(*key, generation, &problem);
    if (code != 0) {
        ReportConfigApplyFailed(facts, code);
        return Fail(err, "generation " + std::to_string(number) + " is not stored: " + problem);
    }
    if (!kept.empty())
        Warn(err, {kept});
    AddKeepProblem(kept, &facts.summary);
    ReportConfigApplied(facts);
    fprintf(out, "Generation %u (kept %s) is stored in %s.\n", static_cast<unsigned>(number),
            generation.facts.when.c_str(), place.c_str());
    return GW_EXIT_OK;
}
