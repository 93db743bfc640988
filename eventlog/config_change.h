// What an apply changes, for the configuration events: the configuration about to be
// stored against the one stored in the registry now.
#pragma once

#include <cstdint>
#include <string>

#include <vector>

#include "config/config_model.h"
#include "platform/config_key_port.h"

// One line in the console's words ("IP Address filter: switched on, 2 entries added";
// "no change"). When nothing readable is stored yet, says so.
std::string StoredConfigChange(FilterConfigRecord& config, uint32_t codePage);
// The same against the configuration key's values as a caller has read them (an empty
// list when they could not be read): "tsdata" and "datasize" as the library takes them.
std::string StoredValuesChange(const std::vector<RegistryValue>& stored, FilterConfigRecord& config,
                               uint32_t codePage);
