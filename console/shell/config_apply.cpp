#include "console/shell/config_apply.h"

#include <cctype>
#include <cstdint>

#include "config/config_history.h"
#include "config/config_model.h"
#include "config/event_log_setting.h"
#include "config/persistence.h"
#include "eventlog/config_change.h"
#include "eventlog/config_events.h"
#include "platform/codepage.h"
#include "platform/config_store.h"
#include "platform/message_box.h"

namespace {

const char* const SETTING_WORDS[3] = {"nothing", "refused sessions",
                                      "refused sessions and accepted logons"};

// Keeps the stored configuration in the history before the apply replaces it. A
// failure is told to the event and, once the apply is done, said; it stops nothing.
std::string KeepReplaced(ConfigApplyFacts* facts) {
    const std::string problem =
        KeepLocalGeneration(NewGenerationFacts(facts->program, facts->file, facts->summary));
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

void AddEventLogSettingChange(uint32_t before, uint32_t after, std::string* summary) {
    before = EventLogSettingFrom(before);
    after = EventLogSettingFrom(after);
    if (before == after)
        return;
    const std::string change =
        std::string("Event log: ") + SETTING_WORDS[before] + " -> " + SETTING_WORDS[after];
    *summary = *summary == "no change" || summary->empty() ? change : *summary + "; " + change;
}

int ApplyConfigAndReport(const std::string& loadedFrom) {
    const uint32_t chosen = EventLogSettingValue;
    ConfigApplyFacts facts;
    facts.program = "quillon.exe";
    facts.file = loadedFrom;
    facts.summary = StoredConfigChange(FilterConfig, SystemAnsiCodePage());
    // (Reading the stored setting sets the value: the console's choice is put back.)
    AddEventLogSettingChange(LoadEventLogSetting(), chosen, &facts.summary);
    EventLogSettingValue = chosen;
    const std::string kept = KeepReplaced(&facts);
    if (SaveConfigToRegistry() != 0 || SaveEventLogSetting(chosen) != 0) {
        ReportConfigApplyFailed(facts, StoreLastError());
        return -1;
    }
    ReportConfigApplied(facts);
    SayKeepProblem(kept);
    return 0;
}
