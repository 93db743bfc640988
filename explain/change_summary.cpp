#include "explain/change_summary.h"

#include <cstring>
#include <vector>

#include "compare/config_diff.h"
#include "compare/config_fields.h"

namespace {

// The areas of the configuration as the console's pages present them. A key belongs to
// the first area that lists it; the switch is the filter's on/off key.
struct Area {
    const char* words;
    const char* switchKey; // null for an area without one
    const char* keys[12];  // the other scalar keys and tables (or KEY_ prefixes), null-terminated
    bool texts = false;    // its settings are texts
};

const Area AREAS[] = {
    {"IP address filter", "FLAG_IPADDRESS", {"FLAG_IPADDRESS_ALLOW", "R_IPADDRESS"}},
    {"Computer name filter", "FLAG_COMPUTERNAME", {"FLAG_COMPUTERNAME_ALLOW", "R_COMPUTERNAME"}},
    {"MAC address filter", "FLAG_MACADDRESS", {"FLAG_MACADDRESS_ALLOW", "R_MAC"}},
    {"Client version filter",
     "FLAG_VERSION",
     {"VERDISALLOW", "VERALLOW", "VERHIGHER", "VERLOWER", "VERBETWEEN"}},
    {"Time restriction filter",
     "FLAG_TIME",
     {"WEEK_W1", "WEEK_W2", "WEEK_W3", "WEEK_W4", "WEEK_W5", "WEEK_W6", "WEEK_W7", "TIME_BETWEEN",
      "TIME_FROM", "TIME_TO"}},
    {"Session per IP filter",
     "FLAG_SERVEROPTION",
     {"FLAG_SERVEROPTION_CHECK_TYPE", "SESSION_PER_IP", "REMOVE_DISCONNECTED",
      "IGNORE_DISCONNECTED", "R_SESSION_IP"}},
    {"Session per user filter",
     "FLAG_SERVEROPTION_SESSIONPERUSER",
     {"FLAG_SESSION_PER_USER_DEFAULT", "SESSIONPERUSER_COUNT", "FLAG_USER_IGNORE_DISCONNECTED",
      "FLAG_USER_REMOVE_DISCONNECTED", "FLAG_USER_IGNORE_ADMINISTRATOR", "R_SESSION_USER"}},
    {"Servers information", nullptr, {"MONITOR_SERVER"}},
    {"Popup messages", nullptr, {"MSG_", "TITLE_"}, true},
    {"Logs", nullptr, {"FLAG_LOGON_LOGS", "FLAG_APP_LOGS", "LOGON_LOGFILE", "APP_LOGFILE"}},
};
const size_t AREA_COUNT = sizeof(AREAS) / sizeof(AREAS[0]);

bool Lists(const Area& area, const char* key) {
    for (const char* listed : area.keys) {
        if (!listed)
            break;
        size_t length = strlen(listed);
        bool prefix = listed[length - 1] == '_';
        if (prefix ? strncmp(key, listed, length) == 0 : strcmp(key, listed) == 0)
            return true;
    }
    return false;
}

// The area a key belongs to; AREA_COUNT for a key no area lists.
size_t AreaOf(const char* key) {
    for (size_t i = 0; i < AREA_COUNT; ++i) {
        if ((AREAS[i].switchKey && strcmp(key, AREAS[i].switchKey) == 0) || Lists(AREAS[i], key))
            return i;
    }
    return AREA_COUNT;
}

std::string Counted(size_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

struct AreaChange {
    int switched = 0; // +1 on, -1 off
    size_t settings = 0, added = 0, removed = 0, changed = 0;
    bool reordered = false;
    bool Any() const { return switched || settings || added || removed || changed || reordered; }
};

std::string Words(const AreaChange& change, bool texts) {
    std::vector<std::string> parts;
    if (change.switched)
        parts.push_back(change.switched > 0 ? "switched on" : "switched off");
    if (change.settings)
        parts.push_back(texts ? Counted(change.settings, "text changed", "texts changed")
                              : Counted(change.settings, "setting changed", "settings changed"));
    if (change.added)
        parts.push_back(Counted(change.added, "entry added", "entries added"));
    if (change.removed)
        parts.push_back(std::to_string(change.removed) + " removed");
    if (change.changed)
        parts.push_back(Counted(change.changed, "entry changed", "entries changed"));
    if (change.reordered)
        parts.push_back("entries reordered");
    std::string text;
    for (const std::string& part : parts)
        text += (text.empty() ? "" : ", ") + part;
    return text;
}

} // namespace

std::string SummarizeConfigChange(FilterConfigRecord& before, FilterConfigRecord& after,
                                  uint32_t codePage) {
    std::string lines;
    std::vector<ConfigDifference> differences;
    DiffConfigs(before, after, codePage, &lines, &differences);
    std::vector<AreaChange> changes(AREA_COUNT + 1); // the last for keys of no area
    for (const ConfigDifference& difference : differences) {
        size_t area = AreaOf(difference.key);
        AreaChange& change = changes[area];
        switch (difference.kind) {
        case ConfigDifference::VALUE:
            if (area < AREA_COUNT && AREAS[area].switchKey &&
                strcmp(difference.key, AREAS[area].switchKey) == 0)
                change.switched = ScalarInt(after, difference.key) == 1 ? 1 : -1;
            else
                ++change.settings;
            break;
        case ConfigDifference::ROW_ADDED:
            ++change.added;
            break;
        case ConfigDifference::ROW_REMOVED:
            ++change.removed;
            break;
        case ConfigDifference::ROW_CHANGED:
            ++change.changed;
            break;
        case ConfigDifference::ROWS_REORDERED:
            change.reordered = true;
            break;
        }
    }
    std::string summary;
    for (size_t i = 0; i <= AREA_COUNT; ++i) {
        if (!changes[i].Any())
            continue;
        const bool texts = i < AREA_COUNT && AREAS[i].texts;
        summary += (summary.empty() ? "" : "; ") +
                   std::string(i < AREA_COUNT ? AREAS[i].words : "Other settings") + ": " +
                   Words(changes[i], texts);
    }
    return summary.empty() ? "no change" : summary;
}
