#include "replay/ip_row_index.h"

#include <algorithm>
#include <set>

#include "engine/filter_rules.h"
#include "engine/rejection.h"
#include "engine/session_facts.h"

namespace {

struct Edge {
    uint64_t at; // where a row starts to match, or the first address past its end
    int32_t row;
    bool starts;
};

} // namespace

IpRowIndex::IpRowIndex(const FilterConfigRecord& config) : config_(config) {
    // The rows' address sets as IpRowMatches tests them: a single address when IPTO is
    // empty, unreadable or starts with 0; else the range, empty when it runs backwards.
    std::vector<Edge> edges;
    std::vector<bool> deny(config.ipRanges.size()), allow(config.ipRanges.size());
    for (size_t r = 0; r < config.ipRanges.size(); ++r) {
        const IpRangeRow& row = *config.ipRanges[r];
        deny[r] = row.TYPE != ROW_LOGON_ENABLED;
        allow[r] = row.TYPE != ROW_LOGON_DISABLED;
        anyAllowRow_ = anyAllowRow_ || allow[r];
        uint32_t low = 0, high = 0;
        if (ParseDottedAddress(row.IPFROM, sizeof row.IPFROM, &low) != 0)
            continue;
        if (row.IPTO[0] == '\0' || ParseDottedAddress(row.IPTO, sizeof row.IPTO, &high) != 0 ||
            (high >> 24) == 0)
            high = low;
        else if (high < low)
            continue;
        edges.push_back({low, static_cast<int32_t>(r), true});
        edges.push_back({uint64_t(high) + 1, static_cast<int32_t>(r), false});
    }
    std::sort(edges.begin(), edges.end(), [](const Edge& a, const Edge& b) { return a.at < b.at; });
    starts_.push_back(0);
    firstDeny_.push_back(-1);
    firstAllow_.push_back(-1);
    std::set<int32_t> denying, allowing; // the rows covering the current segment
    for (size_t e = 0; e < edges.size();) {
        const uint64_t at = edges[e].at;
        for (; e < edges.size() && edges[e].at == at; ++e) {
            const Edge& edge = edges[e];
            if (deny[edge.row])
                edge.starts ? (void)denying.insert(edge.row) : (void)denying.erase(edge.row);
            if (allow[edge.row])
                edge.starts ? (void)allowing.insert(edge.row) : (void)allowing.erase(edge.row);
        }
        if (at > 0xFFFFFFFFu)
            break; // past the last address
        if (at != 0) {
            starts_.push_back(static_cast<uint32_t>(at));
            firstDeny_.push_back(-1);
            firstAllow_.push_back(-1);
        }
        firstDeny_.back() = denying.empty() ? -1 : *denying.begin();
        firstAllow_.back() = allowing.empty() ? -1 : *allowing.begin();
    }
}

FilterVerdict IpRowIndex::Decide(uint32_t address) const {
    const size_t k =
        size_t(std::upper_bound(starts_.begin(), starts_.end(), address) - starts_.begin()) - 1;
    FilterVerdict verdict;
    verdict.filter = FILTER_IPADDRESS;
    verdict.onSwitch = config_.FLAG_IPADDRESS;
    verdict.table = "R_IPADDRESS";
    bool passes;
    if (firstDeny_[k] >= 0) {
        verdict.rule = RULE_DENY_ROW;
        verdict.row = size_t(firstDeny_[k]);
        passes = false;
    } else if (firstAllow_[k] >= 0) {
        verdict.rule = RULE_ALLOW_ROW;
        verdict.row = size_t(firstAllow_[k]);
        passes = true;
    } else if (anyAllowRow_) {
        verdict.rule = RULE_NO_ALLOW_ROW_MATCHED;
        passes = false;
    } else {
        verdict.rule = RULE_DEFAULT_SWITCH;
        verdict.value = config_.FLAG_IPADDRESS_ALLOW;
        passes = config_.FLAG_IPADDRESS_ALLOW != 0;
    }
    if (passes)
        verdict.outcome = FILTER_PASSES;
    else
        Refuse(&verdict, REJECT_IPADDRESS, config_.MSG_IPADDRESS, config_.TITLE_IPADDRESS);
    return verdict;
}
