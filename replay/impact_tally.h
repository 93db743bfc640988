// The sessions whose decision a configuration would change, grouped by the rule that
// changes it and, under each rule, by client (address, computer name and MAC address),
// with the number of sessions and when the client was first and last seen. Sessions
// that do not change are only counted by whoever adds; memory grows with the rules and
// clients listed, never with the sessions.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "explain/decision_words.h"

enum ImpactChange : int {
    IMPACT_REFUSED_NOW,  // admitted then (or by the configuration in use), refused now
    IMPACT_ADMITTED_NOW, // refused then, admitted now
    IMPACT_NOT_JUDGED,   // refused then; now a filter needs a fact the record lacks
    IMPACT_CHANGE_COUNT,
};

struct ImpactClient {
    // As the record holds them: texts of the server's code page.
    std::string address, name, mac;
    std::string user; // the latest non-empty user name
    uint64_t sessions = 0;
    int64_t firstSeen = 0, lastSeen = 0; // seconds since 1970, server local time
};

struct ImpactRule {
    ImpactChange change = IMPACT_REFUSED_NOW;
    std::string words;   // what changes the decision, UTF-8
    std::string code;    // the log's code text of the refusal ("" when none)
    int filter = -1;     // the FilterId the words are about, or -1
    DecisionPlace place; // where the console shows the entry that decides now
    // The filters that only audited its sessions now (AuditOnly filter bits).
    uint32_t audited = 0;
    uint64_t sessions = 0;
    std::vector<ImpactClient> clients; // in the order first seen
};

// What a session tells of its client.
struct ImpactSession {
    std::string_view address, name, mac, user;
    int64_t seconds = 0;
};

class ImpactTally {
public:
    // Counts a session under the rule `key` of `change`; `describe` fills a rule the
    // first time its key is seen (change and counts are filled here).
    void Add(ImpactChange change, const std::string& key,
             const std::function<void(ImpactRule*)>& describe, const ImpactSession& session);

    // The rules in the order first seen.
    const std::vector<ImpactRule>& Rules() const { return rules_; }
    uint64_t Sessions(ImpactChange change) const { return sessions_[change]; }
    // Distinct clients of one change, over all its rules.
    uint64_t Clients(ImpactChange change) const;

private:
    std::vector<ImpactRule> rules_;
    std::unordered_map<std::string, size_t> ruleIndex_;
    std::vector<std::unordered_map<std::string, size_t>> clientIndex_; // per rule
    uint64_t sessions_[IMPACT_CHANGE_COUNT] = {};
    std::string clientKey_;
};

// The rules of one change, most sessions first; their clients the same.
std::vector<ImpactRule> SortedRules(const ImpactTally& tally, ImpactChange change);
