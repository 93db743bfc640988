#include "replay/impact_tally.h"

#include <algorithm>
#include <unordered_set>

namespace {

// A client's key: the address and MAC address (which hold no NUL) each ended by one,
// then the computer name, which may hold anything.
void ClientKey(const ImpactSession& s, std::string* key) {
    key->assign(s.address.data(), s.address.size());
    *key += '\0';
    key->append(s.mac.data(), s.mac.size());
    *key += '\0';
    key->append(s.name.data(), s.name.size());
}

} // namespace

void ImpactTally::Add(ImpactChange change, const std::string& key,
                      const std::function<void(ImpactRule*)>& describe,
                      const ImpactSession& session) {
    const std::string fullKey = std::to_string(change) + ':' + key;
    auto found = ruleIndex_.find(fullKey);
    size_t r;
    if (found != ruleIndex_.end()) {
        r = found->second;
    } else {
        r = rules_.size();
        rules_.emplace_back();
        describe(&rules_.back());
        rules_.back().change = change;
        clientIndex_.emplace_back();
        ruleIndex_.emplace(fullKey, r);
    }
    ImpactRule& rule = rules_[r];
    ++rule.sessions;
    ++sessions_[change];
    ClientKey(session, &clientKey_);
    auto client = clientIndex_[r].find(clientKey_);
    if (client == clientIndex_[r].end()) {
        client = clientIndex_[r].emplace(clientKey_, rule.clients.size()).first;
        ImpactClient fresh;
        fresh.address.assign(session.address.data(), session.address.size());
        fresh.name.assign(session.name.data(), session.name.size());
        fresh.mac.assign(session.mac.data(), session.mac.size());
        fresh.firstSeen = fresh.lastSeen = session.seconds;
        rule.clients.push_back(fresh);
    }
    ImpactClient& c = rule.clients[client->second];
    ++c.sessions;
    c.firstSeen = std::min(c.firstSeen, session.seconds);
    c.lastSeen = std::max(c.lastSeen, session.seconds);
    if (!session.user.empty() && session.seconds >= c.lastSeen)
        c.user.assign(session.user.data(), session.user.size());
}

uint64_t ImpactTally::Clients(ImpactChange change) const {
    std::unordered_set<std::string> seen;
    std::string key;
    for (const ImpactRule& rule : rules_) {
        if (rule.change != change)
            continue;
        for (const ImpactClient& c : rule.clients) {
            ImpactSession s{c.address, c.name, c.mac, c.user, 0};
            ClientKey(s, &key);
            seen.insert(key);
        }
    }
    return seen.size();
}

std::vector<ImpactRule> SortedRules(const ImpactTally& tally, ImpactChange change) {
    std::vector<ImpactRule> rules;
    for (const ImpactRule& rule : tally.Rules())
        if (rule.change == change)
            rules.push_back(rule);
    std::stable_sort(rules.begin(), rules.end(), [](const ImpactRule& a, const ImpactRule& b) {
        return a.sessions > b.sessions;
    });
    for (ImpactRule& rule : rules)
        std::stable_sort(
            rule.clients.begin(), rule.clients.end(),
            [](const ImpactClient& a, const ImpactClient& b) { return a.sessions > b.sessions; });
    return rules;
}
