#include "eventlog/rule_words.h"

#include "explain/decision_words.h"

RefusalWords RefusalRuleWords(const FilterConfigRecord& config, const FilterVerdict& verdict,
                              uint32_t codePage) {
    RefusalWords words;
    if (verdict.filter < 0 || verdict.filter >= FILTER_COUNT)
        return words;
    // The console's words: the filter as the navigation bar names its page, and the
    // entry as that page shows it ("10.0.0.5 - Logon disabled (entry 2 of 3 on the IP
    // Address page)").
    words.filter = std::string(FilterPageName(verdict.filter)) + " filter";
    words.entry = VerdictWords(config, verdict, codePage).entry;
    return words;
}
