// What edits to a configuration would change: recorded sessions (the logon log's, or
// those on the server now), each decided under the configuration in use and under the
// edited one. The clients that would be refused and those that would get in are
// grouped by rule and client; a session either decision cannot judge is counted with
// the reason.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "replay/impact_tally.h"
#include "replay/replay_decision.h"

struct ConfigImpact {
    // IMPACT_REFUSED_NOW: would be refused; IMPACT_ADMITTED_NOW: would get in.
    ImpactTally tally;
    uint64_t sessions = 0;
    uint64_t unchanged = 0;
    std::map<std::string, uint64_t> notJudged; // sessions by the reason (UTF-8)
};

class ConfigImpactCounter {
public:
    // Both configurations must outlive the counter unchanged. `record` names where the
    // sessions come from in the reasons ("the log").
    ConfigImpactCounter(const FilterConfigRecord& inUse, const FilterConfigRecord& edited,
                        uint32_t codePage, const char* record, ConfigImpact* impact);

    void Session(const KnownSession& session, const ImpactSession& client);

private:
    const FilterConfigRecord& inUseConfig_;
    const FilterConfigRecord& editedConfig_;
    ReplayConfig inUse_, edited_;
    const uint32_t codePage_;
    const char* record_;
    ConfigImpact* impact_;
    ReplayDecision before_, after_;
};
