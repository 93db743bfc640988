#include "engine/decision_core.h"

#include <cstring>

#include "engine/filter_rules.h"

namespace {

struct FilterEntry {
    const char* name;
    int32_t code; // of its rules' refusal
    int32_t FilterConfigRecord::*onSwitch;
    void (*decide)(const FilterConfigRecord&, FactSource&, FilterVerdict*);
};

const FilterEntry FILTERS[FILTER_COUNT] = {
    {"ValidateIPAddress", 1, &FilterConfigRecord::FLAG_IPADDRESS, DecideIpAddress},
    {"ValidateClientName", 2, &FilterConfigRecord::FLAG_COMPUTERNAME, DecideComputerName},
    {"ValidateMACAddress", 3, &FilterConfigRecord::FLAG_MACADDRESS, DecideMacAddress},
    {"ValidateTime", 5, &FilterConfigRecord::FLAG_TIME, DecideTime},
    {"ValidateVersion", 4, &FilterConfigRecord::FLAG_VERSION, DecideVersion},
    {"ValidateSessionCount_IP", 6, &FilterConfigRecord::FLAG_SERVEROPTION, DecideSessionCountIp},
    {"ValidateSessionCount_User", 7, &FilterConfigRecord::FLAG_SERVEROPTION_SESSIONPERUSER,
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

uint32_t FilterAuditBit(FilterId filter) {
    return filter >= 0 && filter < FILTER_COUNT ? 1u << (FILTERS[filter].code - 1) : 0u;
}

bool RefusalAudited(const FilterVerdict& verdict, uint32_t auditMask) {
    return verdict.outcome == FILTER_REFUSES && (auditMask & FilterAuditBit(verdict.filter)) != 0;
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

void DecideSession(const FilterConfigRecord& config, FactSource& facts, SessionDecision* decision,
                   uint32_t auditMask) {
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
        if (RefusalAudited(verdict, auditMask)) {
            verdict.audited = true;
            decision->audited |= FilterAuditBit(filter);
            if (decision->auditedBy < 0)
                decision->auditedBy = k;
        } else if (verdict.outcome == FILTER_REFUSES) {
            decision->admitted = false;
            decision->code = verdict.code;
            decision->refusedBy = k;
            CopyBoxText(decision->caption, verdict.caption);
            CopyBoxText(decision->message, verdict.message);
        }
        decision->filters[k] = verdict;
    }
}
