// A decision of the core in the console's own words: what happens, the entry that
// decided as its page shows it (column texts, mode words, "entry 2 of 3 on the IP
// Address page"), and what would let the client in. No key, table or function name of
// the configuration appears here: those belong to the details (decision_text.h).
// Plain functions over the core's result, for the console's Test a Client and lockout
// question, gwconfig check and the event log alike. Texts are UTF-8.
#pragma once

#include <cstdint>
#include <string>

#include "engine/decision_core.h"

// The filter's name as the navigation bar names its page: "IP Address", "Computer
// Name", "MAC address", "Client Version", "Time Restrictions", "Session per IP",
// "Session per User".
const char* FilterPageName(FilterId filter);

struct DecisionWords {
    // "Refused by the IP Address filter", "Admitted: no filter refuses this client",
    // "IP Address filter: would be refused, but the filter only audits: admitted".
    std::string verdict;
    // What decided, as the page shows it: "10.20.0.66 - Logon disabled (entry 2 of 3 on
    // the IP Address page)". Empty for a filter that is off or was not reached.
    std::string entry;
    // One sentence on what would let the client in; empty when it is let in.
    std::string change;
};

// One filter's verdict. `codePage` is that of the configuration's texts.
DecisionWords VerdictWords(const FilterConfigRecord& config, const FilterVerdict& verdict,
                           uint32_t codePage);

// The whole decision: the refusing filter's words, or the admission (told by the first
// filter that only audited a refusal, when one did).
DecisionWords DecisionWordsOf(const FilterConfigRecord& config, const SessionDecision& decision,
                              uint32_t codePage);

// Where a decision can be seen: the refusing filter's page (or, for an admission past a
// filter that only audits, that filter's) and, when one entry of its list decided, that
// entry's index (from 0) in the list as the page shows it.
struct DecisionPlace {
    bool onPage = false; // false for an admission no filter audited
    FilterId filter = FILTER_IPADDRESS;
    int entry = -1; // -1: no single entry decided (a switch, the time window, ...)
};
DecisionPlace PlaceOfDecision(const SessionDecision& decision);
