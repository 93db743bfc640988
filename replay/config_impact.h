// What edits to a configuration would change: recorded sessions (the logon log's, or
// those on the server now), each decided under the configuration in use and under the
// edited one. The clients that would be refused and those that would get in are
// grouped by rule and client; a session either decision cannot judge is counted with
// the reason. Each configuration decides with its own AuditOnly: a refusal that one only
// audits lets the client in.
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
    // Of the unchanged, admissions the edited configuration makes past a refusal it only
    // audits, where the one in use audits none of them.
    uint64_t auditedNow = 0;
    std::map<std::string, uint64_t> notJudged; // sessions by the reason (UTF-8)
};

class ConfigImpactCounter {
public:
    // Both configurations must outlive the counter unchanged; each comes with its
    // AuditOnly filter bits. `record` names where the sessions come from in the reasons
    // ("the log").
    ConfigImpactCounter(const FilterConfigRecord& inUse, uint32_t inUseAudit,
                        const FilterConfigRecord& edited, uint32_t editedAudit, uint32_t codePage,
                        const char* record, ConfigImpact* impact);

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
