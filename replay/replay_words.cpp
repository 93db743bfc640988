#include "replay/replay_words.h"

#include "engine/rejection.h"
#include "explain/decision_words.h"

namespace {

const char PAGE_END[] = " page)";

// The fact whose reading failed, by the code of the refusal.
FactId FactOfCode(int32_t code) {
    switch (code) {
    case REJECT_FAIL_GETIPADDRESS:
        return FACT_ADDRESS;
    case REJECT_FAIL_GETCOMPUTERNAME:
        return FACT_NAME;
    case REJECT_FAIL_GETMACADDRESS:
        return FACT_MAC;
    case REJECT_FAIL_GETCLIENTVERSION:
        return FACT_BUILD;
    case REJECT_FAIL_GETSESSIONCOUNT_IP:
        return FACT_SESSIONS_FROM_ADDRESS;
    case REJECT_FAIL_GETSESSIONCOUNT_USER:
        return FACT_SESSIONS_OF_USER;
    case REJECT_FAIL_GETUSERNAME:
        return FACT_USER;
    default:
        return FACT_NONE;
    }
}

} // namespace

std::string RuleWords(const FilterConfigRecord& config, const FilterVerdict& verdict,
                      uint32_t codePage) {
    const DecisionWords words = VerdictWords(config, verdict, codePage);
    if (words.entry.empty() || verdict.unavailable != FACT_NONE)
        return words.verdict;
    // The entry ends with its page; what follows it is the session's own facts.
    const size_t end = words.entry.rfind(PAGE_END);
    return words.verdict + ": " +
           (end == std::string::npos ? words.entry
                                     : words.entry.substr(0, end + sizeof PAGE_END - 1));
}

int FilterOfCode(int32_t code) {
    switch (code) {
    case REJECT_IPADDRESS:
        return FILTER_IPADDRESS;
    case REJECT_COMPUTERNAME:
    case REJECT_FAIL_GETCOMPUTERNAME:
        return FILTER_COMPUTERNAME;
    case REJECT_MACADDRESS:
    case REJECT_FAIL_GETMACADDRESS:
        return FILTER_MACADDRESS;
    case REJECT_TIMERESTRICTION:
        return FILTER_TIME;
    case REJECT_CLIENTVERSION:
    case REJECT_FAIL_GETCLIENTVERSION:
        return FILTER_VERSION;
    case REJECT_SESSIONPERIP:
    case REJECT_FAIL_GETSESSIONCOUNT_IP:
        return FILTER_SESSIONCOUNT_IP;
    case REJECT_SESSIONPERUSER:
    case REJECT_FAIL_GETSESSIONCOUNT_USER:
    case REJECT_FAIL_GETUSERNAME:
        return FILTER_SESSIONCOUNT_USER;
    default:
        return -1;
    }
}

std::string LoggedRefusalWords(int reason) {
    const ReasonInfo& info = Reason(reason);
    const std::string code = std::string(" (") + info.text + ")";
    const int filter = FilterOfCode(info.code);
    if (info.code == REJECT_FAIL_GETIPADDRESS)
        return "Refused: the client address cannot be read" + code;
    if (filter < 0)
        return "Refused with a code no filter gives" + code;
    std::string words =
        std::string("Refused by the ") + FilterPageName(static_cast<FilterId>(filter)) + " filter";
    if (info.unreadFact) {
        FilterVerdict verdict; // the core's words for the fact, whatever the configuration
        verdict.filter = static_cast<FilterId>(filter);
        verdict.outcome = FILTER_REFUSES;
        verdict.unavailable = FactOfCode(info.code);
        static const FilterConfigRecord NONE{};
        words = VerdictWords(NONE, verdict, 1252).verdict;
    }
    return words + code;
}

std::vector<std::string> AuditedFilterNames(uint32_t bits) {
    std::vector<std::string> names;
    for (int k = 0; k < FILTER_COUNT; ++k) {
        const FilterId filter = static_cast<FilterId>(k);
        if ((bits & FilterAuditBit(filter)) != 0)
            names.push_back(FilterPageName(filter));
    }
    return names;
}

std::string AuditedAlsoWords(const FilterConfigRecord& config, const ReplayDecision& decision,
                             int spoken, uint32_t codePage) {
    for (const FilterVerdict& verdict : decision.filters) {
        if (verdict.audited && verdict.filter != spoken)
            return "; " + VerdictWords(config, verdict, codePage).verdict;
    }
    return "";
}

std::string NotJudgedWords(const ReplayDecision& decision, const char* record) {
    if (decision.decidedBy < 0 || decision.decidedBy >= FILTER_COUNT)
        return "not judged";
    return std::string("the ") + FilterPageName(static_cast<FilterId>(decision.decidedBy)) +
           " filter needs " + UnknownFactWords(decision.unknown) + ", which " + record +
           " does not hold";
}

DecisionPlace PlaceOfVerdict(const FilterVerdict& verdict) {
    DecisionPlace place;
    if (verdict.filter < 0 || verdict.filter >= FILTER_COUNT)
        return place;
    place.onPage = true;
    place.filter = verdict.filter;
    if (verdict.outcome != FILTER_OFF && verdict.unavailable == FACT_NONE &&
        (verdict.rule == RULE_DENY_ROW || verdict.rule == RULE_ALLOW_ROW ||
         verdict.rule == RULE_LIMIT_FROM_ROW))
        place.entry = static_cast<int>(verdict.row);
    return place;
}

std::string VerdictKey(const FilterVerdict& verdict) {
    const long long parts[] = {verdict.filter,
                               verdict.outcome,
                               verdict.unavailable,
                               verdict.rule,
                               static_cast<long long>(verdict.row),
                               verdict.value,
                               verdict.code,
                               verdict.audited};
    std::string key;
    for (long long part : parts)
        key += std::to_string(part) + '/';
    return key;
}
