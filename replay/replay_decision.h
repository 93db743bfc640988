// Deciding recorded sessions under a configuration: the lines of a logon log, or the
// sessions on a server now. The seven filters run in the library's order over what the
// record holds; a session that reaches a filter needing a fact the record does not hold
// is not judged. One configuration decides many sessions, so the IP address rows are
// indexed and the verdicts of the name and MAC filters are kept per name and MAC
// address: the verdicts are the decision core's own, found faster.
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
    // Up to decidedBy; the later ones are not reached. A filter not judged is left
    // not reached too.
    FilterVerdict filters[FILTER_COUNT];
};

// A configuration prepared for deciding many sessions. It reads `config` in place:
// keep it alive and unchanged while this lives.
class ReplayConfig {
public:
    explicit ReplayConfig(const FilterConfigRecord& config);

    const FilterConfigRecord& Config() const { return config_; }

    // One filter's verdict over `facts`, as DecideFilter gives it.
    FilterVerdict Verdict(FilterId filter, KnownFacts& facts);

private:
    using VerdictCache = std::unordered_map<std::string, FilterVerdict>;
    FilterVerdict Cached(VerdictCache* cache, FilterId filter, const char* key, KnownFacts& facts);

    const FilterConfigRecord& config_;
    IpRowIndex ipRows_;
    VerdictCache byName_, byMac_;
    std::string key_;
};

// The decision over one recorded session: what the configuration would do with it.
void DecideKnownSession(ReplayConfig& config, const KnownSession& session,
                        ReplayDecision* decision);
