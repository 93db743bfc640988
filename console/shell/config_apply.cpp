#include "console/shell/config_apply.h"

#include <cctype>
#include <cstdint>

#include "config/config_history.h"
#include "config/audit_only_setting.h"
#include "config/config_model.h"
#include "config/event_log_setting.h"
#include "config/persistence.h"
#include "config/side_settings.h"
#include "eventlog/config_change.h"
#include "eventlog/config_events.h"
#include "platform/codepage.h"
#include "platform/config_store.h"
#include "platform/message_box.h"

namespace {

// Keeps the stored configuration in the history before the apply replaces it. A
// failure is told to the event and, once the apply is done, said; it stops nothing.
std::string KeepReplaced(const StoredBeforeApply& stored, ConfigApplyFacts* facts) {
    const std::string problem = KeepStoredBeforeApply(
        stored, NewGenerationFacts(facts->program, facts->file, facts->summary));
    AddKeepProblem(problem, &facts->summary);
    return problem;
}

void SayKeepProblem(const std::string& problem) {
    if (problem.empty())
        return;
    std::string said = problem + ".";
    said[0] = static_cast<char>(toupper(static_cast<unsigned char>(said[0])));
    ShowMessageBox(said.c_str(), nullptr, BOX_OK | BOX_ICONWARNING);
}

} // namespace

int ApplyConfigAndReport(const std::string& loadedFrom) {
    const uint32_t chosen = EventLogSettingValue;
    ConfigApplyFacts facts;
    facts.program = "quillon.exe";
    facts.file = loadedFrom;
    StoredBeforeApply stored;
    ReadStoredBeforeApply(&stored);
    facts.summary = StoredValuesChange(stored.values, FilterConfig, SystemAnsiCodePage());
    // (Reading the stored setting sets the value: the console's choice is put back.)
    AddSideSettingChange(SIDE_EVENT_LOG, LoadEventLogSetting(), chosen, &facts.summary);
    EventLogSettingValue = chosen;
    // AuditOnly as the pages left it, bits that name no filter included; an absent
    // value that no page set stays absent.
    uint32_t storedAudit = 0;
    const bool auditStored = ReadSideSetting(SIDE_AUDIT_ONLY, &storedAudit);
    AddSideSettingChange(SIDE_AUDIT_ONLY, storedAudit, AuditOnlySettingValue, &facts.summary);
    const bool writeAudit =
        ConsoleWritesSideSetting(SIDE_AUDIT_ONLY, auditStored, AuditOnlySettingValue);
    const std::string kept = KeepReplaced(stored, &facts);
    if (SaveConfigToRegistry() != 0 || SaveEventLogSetting(chosen) != 0 ||
        (writeAudit && SaveAuditOnlySetting(AuditOnlySettingValue) != 0)) {
        ReportConfigApplyFailed(facts, StoreLastError());
        return -1;
    }
    ReportConfigApplied(facts);
    SayKeepProblem(kept);
    return 0;
}
