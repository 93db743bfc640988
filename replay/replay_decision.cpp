#include "replay/replay_decision.h"

namespace {

// Names and MAC addresses remembered per configuration; past this many the memory is
// given back and filled again.
const size_t CACHE_LIMIT = 1 << 16;

} // namespace

ReplayConfig::ReplayConfig(const FilterConfigRecord& config, uint32_t auditMask)
    : config_(config), auditMask_(auditMask), ipRows_(config) {}

FilterVerdict ReplayConfig::Cached(VerdictCache* cache, FilterId filter, const char* key,
                                   KnownFacts& facts) {
    key_.assign(key);
    auto found = cache->find(key_);
    if (found != cache->end())
        return found->second;
    FilterVerdict verdict = DecideFilter(filter, config_, facts);
    if (facts.Unknown() == UNKNOWN_NONE) {
        if (cache->size() >= CACHE_LIMIT)
            VerdictCache().swap(*cache);
        cache->emplace(key_, verdict);
    }
    return verdict;
}

FilterVerdict ReplayConfig::Verdict(FilterId filter, KnownFacts& facts) {
    // With the facts a filter reads all held, its verdict depends on nothing else.
    const KnownSession& s = facts.Session();
    switch (filter) {
    case FILTER_IPADDRESS:
        if (config_.FLAG_IPADDRESS == 1 && s.address == FACT_HELD)
            return ipRows_.Decide(s.addressValue);
        break;
    case FILTER_COMPUTERNAME:
        if (config_.FLAG_COMPUTERNAME == 1 && s.name == FACT_HELD)
            return Cached(&byName_, filter, s.nameText, facts);
        break;
    case FILTER_MACADDRESS:
        if (config_.FLAG_MACADDRESS == 1 && s.address == FACT_HELD && s.mac == FACT_HELD)
            return Cached(&byMac_, filter, s.macText, facts);
        break;
    default:
        break;
    }
    return DecideFilter(filter, config_, facts);
}

void DecideKnownSession(ReplayConfig& config, const KnownSession& session,
                        ReplayDecision* decision) {
    decision->outcome = REPLAY_ADMITTED;
    decision->decidedBy = -1;
    decision->unknown = UNKNOWN_NONE;
    decision->audited = decision->auditUnjudged = 0;
    decision->auditedBy = -1;
    KnownFacts facts(session);
    for (int k = 0; k < FILTER_COUNT; ++k) {
        const FilterId filter = static_cast<FilterId>(k);
        FilterVerdict& verdict = decision->filters[k];
        if (decision->decidedBy >= 0) {
            verdict = FilterVerdict();
            verdict.filter = filter;
            continue;
        }
        verdict = config.Verdict(filter, facts);
        // An over-limit session passes when the library could make room; the record
        // cannot tell.
        if (verdict.outcome == FILTER_REFUSES && verdict.makeRoom)
            facts.DisconnectedSessionKnown();
        const uint32_t bit = FilterAuditBit(filter);
        if (facts.Unknown() != UNKNOWN_NONE) {
            verdict = FilterVerdict();
            verdict.filter = filter;
            if ((config.AuditMask() & bit) != 0) {
                // Audited or passed, the session goes on either way.
                decision->auditUnjudged |= bit;
                facts.Forget();
                continue;
            }
            decision->outcome = REPLAY_NOT_JUDGED;
            decision->unknown = facts.Unknown();
            decision->decidedBy = k;
            continue;
        }
        if (RefusalAudited(verdict, config.AuditMask())) {
            verdict.audited = true;
            decision->audited |= bit;
            if (decision->auditedBy < 0)
                decision->auditedBy = k;
        } else if (verdict.outcome == FILTER_REFUSES) {
            decision->outcome = REPLAY_REFUSED;
            decision->decidedBy = k;
        }
    }
}
