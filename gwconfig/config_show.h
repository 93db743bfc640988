// The whole configuration in readable form: JSON (configuration keys as the store
// names them, tables as arrays of row objects, one row per line) or a compact listing
// for people. Texts are converted from the stored code page to UTF-8.
#pragma once

#include <cstdint>
#include <cstdio>

#include "config/config_model.h"
#include "gwconfig/json_import.h"

// What is stored beside the configuration (`beside`, optional) follows its keys.
void WriteConfigJson(FilterConfigRecord& record, uint32_t codePage, FILE* out,
                     const BesideValues* beside = nullptr);
void WriteConfigText(FilterConfigRecord& record, uint32_t codePage, FILE* out,
                     const BesideValues* beside = nullptr);
