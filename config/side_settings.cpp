#include "config/side_settings.h"

#include "config/audit_only_setting.h"
#include "config/event_log_setting.h"

namespace {

uint32_t AuditOnlyDecode(uint32_t stored) {
    return AuditOnlyMaskFrom(stored);
}

const char* const EVENT_LOG_WORDS[3] = {"nothing", "refused sessions",
                                        "refused sessions and accepted logons"};

// The filters by the bit of their refusal code, as the navigation bar names their pages.
const char* const AUDITED_FILTERS[7] = {"IP Address",      "Computer Name",     "MAC address",
                                        "Client Version",  "Time Restrictions", "Session per IP",
                                        "Session per User"};

std::string EventLogChange(uint32_t before, uint32_t after) {
    return std::string("Event log: ") + EVENT_LOG_WORDS[before] + " -> " + EVENT_LOG_WORDS[after];
}

// "Audit only: IP Address filter only audits, MAC address filter enforces".
std::string AuditOnlyChange(uint32_t before, uint32_t after) {
    std::string words;
    for (int bit = 0; bit < 7; ++bit) {
        const uint32_t mask = 1u << bit;
        if ((before & mask) == (after & mask))
            continue;
        words += words.empty() ? "Audit only: " : ", ";
        words += std::string(AUDITED_FILTERS[bit]) +
                 ((after & mask) != 0 ? " filter only audits" : " filter enforces");
    }
    return words;
}

} // namespace

const SideSetting SIDE_SETTINGS[SIDE_SETTING_COUNT] = {
    {"EventLog", EVENT_LOG_SETTING_REFUSALS, EventLogSettingFrom, "--event-log",
     "also store EventLog beside the configuration: 0 nothing, 1 refusals, "
     "2 refusals and accepted logons",
     2},
    {"AuditOnly", 0, AuditOnlyDecode, "--audit-only",
     "also store AuditOnly beside the configuration: the filters that only audit (log what "
     "they would refuse, refuse no one), added up: 1 IP Address, 2 Computer Name, 4 MAC "
     "address, 8 Client Version, 16 Time Restrictions, 32 Session per IP, 64 Session per "
     "User; 0 every filter enforces",
     AUDIT_ONLY_FILTER_BITS},
};

std::string SideSettingOddValue(SideSettingId id, uint32_t stored) {
    const uint32_t read = SIDE_SETTINGS[id].decode(stored);
    if (read == stored)
        return "";
    const std::string as =
        "the library reads " + std::to_string(stored) + " as " + std::to_string(read) + ": ";
    if (id == SIDE_EVENT_LOG)
        return as + "it reports refusals (0: nothing, 2: refusals and accepted logons)";
    return as + "only the bits 1 to 64 name filters (1 IP Address, 2 Computer Name, 4 MAC "
                "address, 8 Client Version, 16 Time Restrictions, 32 Session per IP, 64 "
                "Session per User)";
}

std::string SideSettingChange(SideSettingId id, uint32_t before, uint32_t after) {
    before = SIDE_SETTINGS[id].decode(before);
    after = SIDE_SETTINGS[id].decode(after);
    if (before == after)
        return "";
    return id == SIDE_EVENT_LOG ? EventLogChange(before, after) : AuditOnlyChange(before, after);
}

void AddSideSettingChange(SideSettingId id, uint32_t before, uint32_t after, std::string* summary) {
    const std::string change = SideSettingChange(id, before, after);
    if (change.empty())
        return;
    *summary = *summary == "no change" || summary->empty() ? change : *summary + "; " + change;
}

bool ConsoleWritesSideSetting(SideSettingId id, bool stored, uint32_t value) {
    return id != SIDE_AUDIT_ONLY || stored || value != 0;
}
