// What differs between two configurations: scalar keys one by one, table rows matched
// by content, so a row inserted in the middle of a table is one added row and not a
// change of every row after it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "config/config_model.h"

// Appends one line per difference to *out and returns how many there are:
//   ~ KEY: old -> new
//   - TABLE row N: {row of a}        (N counts rows of a, from 1)
//   + TABLE row N: {row of b}        (N counts rows of b)
//   ~ TABLE row N[ -> M]: COLUMN old -> new, ...
// When `differences` is given, each line is also listed there as what it is about.
struct ConfigDifference {
    enum Kind { VALUE, ROW_REMOVED, ROW_ADDED, ROW_CHANGED, ROWS_REORDERED };
    Kind kind;
    const char* key; // the scalar key or the table, as AllConfigKeys names it
};
size_t DiffConfigs(FilterConfigRecord& a, FilterConfigRecord& b, uint32_t codePage,
                   std::string* out, std::vector<ConfigDifference>* differences = nullptr);
