#include "eventlog/rule_words.h"

#include "explain/decision_text.h"

namespace {

// The filters as the console names them (as the change summary does).
const char* const FILTER_WORDS[FILTER_COUNT] = {
    "IP address filter",       "Computer name filter",  "MAC address filter",
    "Time restriction filter", "Client version filter", "Session per IP filter",
    "Session per user filter",
};

} // namespace

RefusalWords RefusalRuleWords(const FilterConfigRecord& config, const FilterVerdict& verdict,
                              uint32_t codePage) {
    RefusalWords words;
    if (verdict.filter >= 0 && verdict.filter < FILTER_COUNT)
        words.filter = FILTER_WORDS[verdict.filter];
    ExplainOptions options;
    options.codePage = codePage;
    options.atGiven = false;
    for (const std::string& reason : VerdictReasons(config, verdict, options)) {
        if (!words.entry.empty())
            words.entry += "; ";
        words.entry += reason;
    }
    return words;
}
