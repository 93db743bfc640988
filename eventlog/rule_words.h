// The words of a refusal event: the filter that refused and the entry that decided it.
#pragma once

#include <cstdint>
#include <string>

#include "config/config_model.h"
#include "engine/filter_verdict.h"

struct RefusalWords {
    std::string filter; // "IP Address filter"
    std::string entry;  // what decided, e.g. the row that denies the client
};

// The words for `verdict`, a refusal decided over `config` (texts of `codePage`, words
// in UTF-8).
RefusalWords RefusalRuleWords(const FilterConfigRecord& config, const FilterVerdict& verdict,
                              uint32_t codePage);
