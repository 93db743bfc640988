// The registry through the configuration store (gwconfig.exe). The store reports its
// failures in message boxes; a command-line tool takes their texts instead.
#include <string>

#include "config/config_history.h"
#include "config/config_model.h"
#include "config/persistence.h"
#include "eventlog/config_events.h"
#include "eventlog/config_change.h"
#include "gwconfig/registry_access.h"
#include "platform/codepage.h"
#include "platform/config_store.h"
#include "platform/message_box.h"

namespace {

std::string g_shown;

int TakeMessage(const char* text, const char*, uint32_t) {
    if (!g_shown.empty())
        g_shown += " ";
    g_shown += text;
    return ANSWER_OK;
}

// Runs a store operation with its message boxes turned into text.
bool RunStoreOperation(int (*operation)(), const char* failure, std::string* error) {
    g_shown.clear();
    MessageBoxHook previous = SetMessageBoxHook(TakeMessage);
    int result = operation();
    SetMessageBoxHook(previous);
    if (result == 0)
        return true;
    *error = std::string(failure) + (g_shown.empty() ? "" : ": " + g_shown);
    return false;
}

int LoadFresh() {
    ResetFilterConfig();
    return LoadConfigFromRegistry();
}

} // namespace

bool LoadRegistryConfig(std::string* error) {
    return RunStoreOperation(LoadFresh, "cannot read the configuration from the registry", error);
}

bool ApplyRegistryConfig(const std::string& file, const BesideValues& beside, std::string* error,
                         std::string* keepProblem) {
    ConfigApplyFacts facts;
    facts.program = "gwconfig.exe";
    facts.file = file;
    StoredBeforeApply replaced;
    ReadStoredBeforeApply(&replaced);
    facts.summary = StoredValuesChange(replaced.values, FilterConfig, SystemAnsiCodePage());
    BesideValues stored;
    for (int id = 0; id < SIDE_SETTING_COUNT; ++id)
        stored.has[id] = beside.has[id] &&
                         ReadRegistrySideSetting(static_cast<SideSettingId>(id), &stored.value[id]);
    AddBesideChanges(stored, beside, &facts.summary);
    *keepProblem =
        KeepStoredBeforeApply(replaced, NewGenerationFacts(facts.program, file, facts.summary));
    AddKeepProblem(*keepProblem, &facts.summary);
    if (!RunStoreOperation(SaveConfigToRegistry, "cannot write the configuration to the registry",
                           error)) {
        ReportConfigApplyFailed(facts, StoreLastError());
        return false;
    }
    // The settings beside it follow, as the console writes them; the event tells the
    // whole apply, or its failure.
    for (int id = 0; id < SIDE_SETTING_COUNT; ++id) {
        std::string failure;
        if (beside.has[id] &&
            !WriteRegistrySideSetting(static_cast<SideSettingId>(id), beside.value[id], &failure)) {
            ReportConfigApplyFailed(facts, StoreLastError());
            *error = "the configuration of '" + file + "' is stored, but " + failure;
            return false;
        }
    }
    ReportConfigApplied(facts);
    return true;
}

bool ReadRegistrySideSetting(SideSettingId id, uint32_t* value) {
    return ReadSideSetting(id, value);
}

bool WriteRegistrySideSetting(SideSettingId id, uint32_t value, std::string* error) {
    if (WriteSideSetting(id, value) == 0)
        return true;
    *error = std::string("cannot write ") + SIDE_SETTINGS[id].name +
             " to the registry (Windows error " + std::to_string(StoreLastError()) + ")";
    return false;
}

bool RemoteRegistryAvailable(std::string*) {
    return true;
}
