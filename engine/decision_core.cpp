#include "engine/decision_core.h"

#include <cstring>

#include "engine/filter_rules.h"

namespace {

struct FilterEntry {
    const char* name;
    int32_t FilterConfigRecord::*onSwitch;
    void (*decide)(const FilterConfigRecord&, FactSource&, FilterVerdict*);
};

const FilterEntry FILTERS[FILTER_COUNT] = {
    {"ValidateIPAddress", &FilterConfigRecord::FLAG_IPADDRESS, DecideIpAddress},
    {"ValidateClientName", &FilterConfigRecord::FLAG_COMPUTERNAME, DecideComputerName},
    {"ValidateMACAddress", &FilterConfigRecord::FLAG_MACADDRESS, DecideMacAddress},
    {"ValidateTime", &FilterConfigRecord::FLAG_TIME, DecideTime},
    {"ValidateVersion", &FilterConfigRecord::FLAG_VERSION, DecideVersion},
    {"ValidateSessionCount_IP", &FilterConfigRecord::FLAG_SERVEROPTION, DecideSessionCountIp},
    {"ValidateSessionCount_User", &FilterConfigRecord::FLAG_SERVEROPTION_SESSIONPERUSER,
     DecideSessionCountUser},
};

// A text field of 1024 bytes (or a fixed text) copied with that bound.
void CopyBoxText(char (&out)[1024], const char* text) {
    if (text == nullptr) {
        out[0] = '\0';
        return;
    }
    size_t length = 0;
    while (length < sizeof out - 1 && text[length] != '\0')
        ++length;
    memcpy(out, text, length);
    out[length] = '\0';
}

} // namespace

const char* FilterName(FilterId filter) {
    return filter >= 0 && filter < FILTER_COUNT ? FILTERS[filter].name : "";
}

FilterVerdict DecideFilter(FilterId filter, const FilterConfigRecord& config, FactSource& facts) {
    FilterVerdict verdict;
    verdict.filter = filter;
    if (filter < 0 || filter >= FILTER_COUNT)
        return verdict;
    const FilterEntry& entry = FILTERS[filter];
    verdict.onSwitch = config.*entry.onSwitch;
    if (verdict.onSwitch != 1) {
        verdict.outcome = FILTER_OFF;
        return verdict;
    }
    entry.decide(config, facts, &verdict);
    return verdict;
}

void DecideSession(const FilterConfigRecord& config, FactSource& facts, SessionDecision* decision) {
    *decision = SessionDecision();
    for (int k = 0; k < FILTER_COUNT; ++k) {
        const FilterId filter = static_cast<FilterId>(k);
        if (!decision->admitted) {
            decision->filters[k].filter = filter;
            continue;
        }
        FilterVerdict verdict = DecideFilter(filter, config, facts);
        if (verdict.outcome == FILTER_REFUSES && verdict.makeRoom &&
            facts.DisconnectedSessionKnown() == 1) {
            verdict.roomMade = true;
            verdict.outcome = FILTER_PASSES;
            verdict.code = 0;
            verdict.caption = verdict.message = nullptr;
        }
        if (verdict.outcome == FILTER_REFUSES) {
            decision->admitted = false;
            decision->code = verdict.code;
            decision->refusedBy = k;
            CopyBoxText(decision->caption, verdict.caption);
            CopyBoxText(decision->message, verdict.message);
        }
        decision->filters[k] = verdict;
    }
}
