// The tallies of clients or users while one log is counted: an open-addressing table
// keyed by the texts themselves, a short key kept beside its tally and a longer one in
// one buffer, so that a line costs one hash, no allocation and, for most keys, two
// memory reads. Grows with the distinct keys, never with lines; handed to the summary's
// maps once the log is read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "report/log_summary.h"

// Keys up to this long are kept in their entry.
constexpr size_t TALLY_INLINE_KEY = 56;

struct alignas(64) TallyEntry {
    size_t keyLength;
    union {
        char text[TALLY_INLINE_KEY]; // keyLength <= TALLY_INLINE_KEY
        size_t at;                   // else the key's offset in TallyTable::keys
    } key;
    Tally tally;
};

struct TallyTable {
    // Index into `entries` + 1 in the low half, the top half of the key's hash in the
    // high half (so that a probe seldom reads an entry not its own); 0 for an empty slot.
    // A power of two, at most half used.
    std::vector<uint64_t> slots;
    std::vector<TallyEntry> entries;
    std::string keys;
};

uint64_t HashText(std::string_view text);

// The tally of `key` (whose HashText is `hash`), a fresh one when the key is new.
Tally* FindTally(TallyTable* table, std::string_view key, uint64_t hash);

// Hints to the processor, a line or two before FindTally: fetch the slot of a hash,
// then (once that is in the cache) the entry it names. Neither changes the table.
void PrefetchSlot(const TallyTable& table, uint64_t hash);
// The entry's key and counts, and the line holding the byte `alsoAt` of the entry (a
// reason's counter; 0 for none).
void PrefetchEntry(const TallyTable& table, uint64_t hash, size_t alsoAt);

// Adds every tally of `table` to `map`, under its key or under what `mapKey` makes of
// it, and empties the table.
void MoveTallies(TallyTable* table, std::unordered_map<std::string, Tally>* map,
                 std::string (*mapKey)(std::string_view key));
