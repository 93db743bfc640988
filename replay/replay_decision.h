// Deciding recorded sessions under a configuration: the lines of a logon log, or the
// sessions on a server now. The seven filters run in the library's order over what the
// record holds; a session that reaches a filter needing a fact the record does not hold
// is not judged. One configuration decides many sessions, so the IP address rows are
// indexed and the verdicts of the name and MAC filters are kept per name and MAC
// address: the verdicts are the decision core's own, found faster. A filter whose
// AuditOnly bit is set only audits, as in the library: its refusal is noted and the
// session goes on.
#pragma once

#include <string>
#include <unordered_map>

#include "replay/ip_row_index.h"
#include "replay/known_session.h"

enum ReplayOutcome : int {
    REPLAY_ADMITTED,
    REPLAY_REFUSED,
    REPLAY_NOT_JUDGED, // a filter needed a fact the record does not hold
};

struct ReplayDecision {
    ReplayOutcome outcome = REPLAY_ADMITTED;
    int decidedBy = -1; // the FilterId that refused or could not be judged
    UnknownFact unknown = UNKNOWN_NONE;
    // Refusals only audited: the FilterAuditBit of each such filter, and the first of
    // them (a FilterId, or -1). A filter that only audits and needs a fact the record
    // does not hold lets the session go on all the same; whether it would have audited
    // is not known, and its bit is in auditUnjudged instead.
    uint32_t audited = 0;
    int auditedBy = -1;
    uint32_t auditUnjudged = 0;
    // Up to decidedBy; the later ones are not reached. A filter not judged is left
    // not reached too.
    FilterVerdict filters[FILTER_COUNT];
};

// A configuration prepared for deciding many sessions, with the AuditOnly filter bits
// stored beside it (0: every filter enforces). It reads `config` in place: keep it
// alive and unchanged while this lives.
class ReplayConfig {
public:
    explicit ReplayConfig(const FilterConfigRecord& config, uint32_t auditMask = 0);

    const FilterConfigRecord& Config() const { return config_; }
    uint32_t AuditMask() const { return auditMask_; }

    // One filter's verdict over `facts`, as DecideFilter gives it.
    FilterVerdict Verdict(FilterId filter, KnownFacts& facts);

private:
    using VerdictCache = std::unordered_map<std::string, FilterVerdict>;
    FilterVerdict Cached(VerdictCache* cache, FilterId filter, const char* key, KnownFacts& facts);

    const FilterConfigRecord& config_;
    const uint32_t auditMask_;
    IpRowIndex ipRows_;
    VerdictCache byName_, byMac_;
    std::string key_;
};

// The decision over one recorded session: what the configuration would do with it.
void DecideKnownSession(ReplayConfig& config, const KnownSession& session,
                        ReplayDecision* decision);
