#include "gwconfig/history_command.h"

#include <algorithm>
#include <memory>

#include <nlohmann/json.hpp>

#include "config/event_log_setting.h"
#include "eventlog/config_events.h"
#include "explain/change_summary.h"
#include "explain/remote_words.h"
#include "gwconfig/commands.h"
#include "gwconfig/own_session_guard.h"
#include "gwconfig/registry_access.h"
#include "platform/codepage.h"

namespace {

std::string PlaceName(const std::string& computer) {
    return computer.empty() ? "the registry" : "the registry of " + ServerLabel(computer);
}

// The configuration's key of this server or of \\computer. Null with *error.
std::unique_ptr<ConfigKeyPort> OpenPlace(const std::string& computer, RemoteView view,
                                         std::string* error) {
    uint32_t code = 0;
    if (computer.empty()) {
        std::unique_ptr<ConfigKeyPort> key = OpenLocalConfigKeyPort(&code);
        if (!key)
            *error = "there is no registry on this system: the history works in gwconfig.exe "
                     "on Windows";
        return key;
    }
    if (!RemoteRegistryAvailable(error))
        return nullptr;
    std::unique_ptr<ConfigKeyPort> key = OpenRemoteConfigKeyPort(computer, view, &code);
    if (!key)
        *error = RemoteFailureText(computer, code, false);
    return key;
}

bool ReadHistoryAt(ConfigKeyPort& key, const std::string& computer, ConfigHistory* history,
                   std::string* error) {
    const uint32_t code = ReadConfigHistory(key, history);
    if (code == 0)
        return true;
    *error = computer.empty() || !IsUnreachable(code)
                 ? "the history in " + PlaceName(computer) + " cannot be read (Windows error " +
                       std::to_string(code) + ")"
                 : RemoteFailureText(computer, code, false);
    return false;
}

// Generation `number` of a history read; false with *error when it is not there.
bool PickGeneration(const ConfigHistory& history, uint32_t number, const std::string& place,
                    Generation* generation, std::string* error) {
    if (number == 0 || number > history.generations.size()) {
        const size_t count = history.generations.size();
        *error = "there is no generation " + std::to_string(number) + ": the history in " + place +
                 " keeps " + (count == 0 ? std::string("none") : std::to_string(count)) +
                 " (gwconfig history lists them)";
        return false;
    }
    *generation = history.generations[number - 1];
    if (!generation->unreadable.empty()) {
        *error = "generation " + std::to_string(number) + " in " + place +
                 " is unreadable and never restored: " + generation->unreadable;
        return false;
    }
    return true;
}

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

bool FindGeneration(const ConfigSource& source, Generation* generation, std::string* error,
                    std::vector<std::string>* warnings) {
    std::unique_ptr<ConfigKeyPort> key = OpenPlace(source.computer, source.view, error);
    ConfigHistory history;
    if (!key || !ReadHistoryAt(*key, source.computer, &history, error))
        return false;
    if (!PickGeneration(history, source.generation, PlaceName(source.computer), generation, error))
        return false;
    if (warnings != nullptr)
        warnings->insert(warnings->end(), generation->problems.begin(), generation->problems.end());
    return true;
}

void BesideOfGeneration(const Generation& generation, BesideValues* beside) {
    *beside = BesideValues();
    beside->hasEventLog = GenerationSetting(generation, "EventLog", &beside->eventLog);
}

bool LoadGenerationConfig(const ConfigSource& source, std::vector<std::string>* errors,
                          std::vector<std::string>* warnings, BesideValues* beside) {
    Generation generation;
    std::string error;
    if (!FindGeneration(source, &generation, &error, warnings)) {
        errors->push_back(error);
        return false;
    }
    if (!LoadConfigBlob(generation.blob)) {
        errors->push_back(source.Name() + " does not decode");
        return false;
    }
    if (beside != nullptr)
        BesideOfGeneration(generation, beside);
    return true;
}

int RunHistoryCommand(const std::string& computer, RemoteView view, const std::string& format,
                      FILE* out, FILE* err) {
    std::string error;
    std::unique_ptr<ConfigKeyPort> key = OpenPlace(computer, view, &error);
    ConfigHistory history;
    if (!key || !ReadHistoryAt(*key, computer, &history, &error))
        return Fail(err, error);
    Warn(err, history.problems);
    for (const Generation& generation : history.generations)
        Warn(err, generation.problems);
    if (format == "json")
        PrintJson(history, computer, out);
    else
        PrintText(history, PlaceName(computer), out);
    return GW_EXIT_OK;
}

int RunRollbackCommand(uint32_t number, const std::string& computer, RemoteView view, bool force,
                       FILE* out, FILE* err) {
    std::string error;
    std::unique_ptr<ConfigKeyPort> key = OpenPlace(computer, view, &error);
    ConfigHistory history;
    Generation generation;
    const std::string place = PlaceName(computer);
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
