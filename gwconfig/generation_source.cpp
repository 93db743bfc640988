#include "gwconfig/generation_source.h"

#include "explain/remote_words.h"
#include "gwconfig/registry_access.h"

std::string HistoryPlaceName(const std::string& computer) {
    return computer.empty() ? "the registry" : "the registry of " + ServerLabel(computer);
}

std::unique_ptr<ConfigKeyPort> OpenHistoryPlace(const std::string& computer, RemoteView view,
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
                 ? "the history in " + HistoryPlaceName(computer) +
                       " cannot be read (Windows error " + std::to_string(code) + ")"
                 : RemoteFailureText(computer, code, false);
    return false;
}

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

bool FindGeneration(const ConfigSource& source, Generation* generation, std::string* error,
                    std::vector<std::string>* warnings) {
    std::unique_ptr<ConfigKeyPort> key = OpenHistoryPlace(source.computer, source.view, error);
    ConfigHistory history;
    if (!key || !ReadHistoryAt(*key, source.computer, &history, error))
        return false;
    if (!PickGeneration(history, source.generation, HistoryPlaceName(source.computer), generation,
                        error))
        return false;
    if (warnings != nullptr)
        warnings->insert(warnings->end(), generation->problems.begin(), generation->problems.end());
    return true;
}

void BesideOfGeneration(const Generation& generation, BesideValues* beside) {
    *beside = BesideValues();
    for (int id = 0; id < SIDE_SETTING_COUNT; ++id)
        beside->has[id] = GenerationSetting(generation, SIDE_SETTINGS[id].name, &beside->value[id]);
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
