// What changed between two configurations, told in one line in the console's words:
// for the event log's "configuration applied" and for a farm's "differs".
#pragma once

#include <cstdint>
#include <string>

#include "config/config_model.h"

// What changed from `before` to `after`, area by area in the console's order, e.g.
// "IP address filter: switched on, 2 entries added, 1 removed; Time restriction filter:
// 2 settings changed". "no change" when the two are equal.
std::string SummarizeConfigChange(FilterConfigRecord& before, FilterConfigRecord& after,
                                  uint32_t codePage);
