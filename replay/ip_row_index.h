// The IP address filter over many sessions: its rows sorted once into address segments,
// each knowing the first deny row and the first allow row that cover it, so a session's
// verdict costs a binary search instead of a walk over every row. The verdict is the
// one DecideFilter gives, entry for entry.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/filter_verdict.h"

class IpRowIndex {
public:
    // `config` must outlive the index and keep its rows.
    explicit IpRowIndex(const FilterConfigRecord& config);

    // The filter's verdict for a client at `address` while the filter is switched on.
    FilterVerdict Decide(uint32_t address) const;

private:
    const FilterConfigRecord& config_;
    bool anyAllowRow_ = false;
    // Segment k runs from starts_[k] up to the next start; starts_[0] is 0.
    std::vector<uint32_t> starts_;
    std::vector<int32_t> firstDeny_, firstAllow_; // row index, or -1
};
