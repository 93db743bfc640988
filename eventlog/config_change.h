// What an apply changes, for the configuration events: the configuration about to be
// stored against the one stored in the registry now.
#pragma once

#include <cstdint>
#include <string>

#include "config/config_model.h"

// One line in the console's words ("IP Address filter: switched on, 2 entries added";
// "no change"). When nothing readable is stored yet, says so.
std::string StoredConfigChange(FilterConfigRecord& config, uint32_t codePage);
