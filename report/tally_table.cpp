#include "report/tally_table.h"

#include <cstring>

namespace {

const size_t FIRST_SLOTS = 1024;

uint64_t Mix(uint64_t h) {
    h ^= h >> 33;
    h *= 0xFF51AFD7ED558CCDull;
    h ^= h >> 33;
    h *= 0xC4CEB9FE1A85EC53ull;
    h ^= h >> 33;
    return h;
}

// Equal texts of `length` bytes, eight bytes at a time, the last load ending with the
// texts: keys are short, and a call to memcmp costs more than comparing them.
bool SameBytes(const char* a, const char* b, size_t length) {
    uint64_t x, y;
    if (length < 8) {
        for (; length > 0; --length, ++a, ++b) {
            if (*a != *b)
                return false;
        }
        return true;
    }
    for (size_t k = 0; k + 8 < length; k += 8) {
        memcpy(&x, a + k, 8);
        memcpy(&y, b + k, 8);
        if (x != y)
            return false;
    }
    memcpy(&x, a + length - 8, 8);
    memcpy(&y, b + length - 8, 8);
    return x == y;
}

std::string_view KeyOf(const TallyTable& table, const TallyEntry& entry) {
    if (entry.keyLength <= TALLY_INLINE_KEY)
        return std::string_view(entry.key.text, entry.keyLength);
    return std::string_view(table.keys.data() + entry.key.at, entry.keyLength);
}

uint64_t Tag(uint64_t hash) {
    return hash & 0xFFFFFFFF00000000ull;
}

uint32_t EntryOf(uint64_t slot) {
    return static_cast<uint32_t>(slot);
}

// Puts entry number `index` into the first free slot from its hash's.
void Place(TallyTable* table, uint64_t hash, uint32_t index) {
    size_t mask = table->slots.size() - 1;
    size_t at = static_cast<size_t>(hash) & mask;
    while (table->slots[at] != 0)
        at = (at + 1) & mask;
    table->slots[at] = Tag(hash) | (uint64_t(index) + 1);
}

void Grow(TallyTable* table) {
    table->slots.assign(table->slots.empty() ? FIRST_SLOTS : table->slots.size() * 2, 0);
    for (size_t k = 0; k < table->entries.size(); ++k)
        Place(table, HashText(KeyOf(*table, table->entries[k])), static_cast<uint32_t>(k));
}

} // namespace

uint64_t HashText(std::string_view text) {
    const char* p = text.data();
    size_t n = text.size();
    uint64_t h = 0x9E3779B97F4A7C15ull ^ n;
    uint64_t word = 0;
    if (n < 8) {
        for (size_t k = 0; k < n; ++k)
            word = word << 8 | static_cast<unsigned char>(p[k]);
        return Mix(h ^ word);
    }
    for (; n > 8; n -= 8, p += 8) {
        memcpy(&word, p, 8);
        h = (h ^ word) * 0x9FB21C651E98DF25ull;
        h ^= h >> 29;
    }
    memcpy(&word, p + n - 8, 8); // the last eight bytes, some of them hashed already
    return Mix(h ^ word);
}

void PrefetchSlot(const TallyTable& table, uint64_t hash) {
    if (!table.slots.empty())
        __builtin_prefetch(&table.slots[static_cast<size_t>(hash) & (table.slots.size() - 1)]);
}

void PrefetchEntry(const TallyTable& table, uint64_t hash, size_t alsoAt) {
    if (table.slots.empty())
        return;
    uint32_t entry = EntryOf(table.slots[static_cast<size_t>(hash) & (table.slots.size() - 1)]);
    if (entry == 0 || entry > table.entries.size())
        return;
    const char* at = reinterpret_cast<const char*>(&table.entries[entry - 1]);
    __builtin_prefetch(at);                               // the key
    __builtin_prefetch(at + offsetof(TallyEntry, tally)); // first and last line, counts
    if (alsoAt != 0)
        __builtin_prefetch(at + alsoAt);
}

Tally* FindTally(TallyTable* table, std::string_view key, uint64_t hash) {
    if (table->entries.size() * 2 >= table->slots.size())
        Grow(table);
    size_t mask = table->slots.size() - 1;
    const uint64_t tag = Tag(hash);
    for (size_t at = static_cast<size_t>(hash) & mask; table->slots[at] != 0;
         at = (at + 1) & mask) {
        uint64_t slot = table->slots[at];
        if (Tag(slot) != tag)
            continue;
        TallyEntry& entry = table->entries[EntryOf(slot) - 1];
        if (entry.keyLength == key.size() &&
            SameBytes(KeyOf(*table, entry).data(), key.data(), key.size()))
            return &entry.tally;
    }
    // A new key. The table holds fewer entries than a 32-bit index counts: it is at most
    // half the slots, and a log has fewer distinct clients than bytes.
    TallyEntry entry;
    entry.keyLength = key.size();
    if (key.size() <= TALLY_INLINE_KEY) {
        memcpy(entry.key.text, key.data(), key.size());
    } else {
        entry.key.at = table->keys.size();
        table->keys.append(key.data(), key.size());
    }
    entry.tally = Tally();
    table->entries.push_back(entry);
    Place(table, hash, static_cast<uint32_t>(table->entries.size() - 1));
    return &table->entries.back().tally;
}

void MoveTallies(TallyTable* table, std::unordered_map<std::string, Tally>* map,
                 std::string (*mapKey)(std::string_view key)) {
    map->reserve(map->size() + table->entries.size());
    for (const TallyEntry& entry : table->entries) {
        std::string_view key = KeyOf(*table, entry);
        AddCounts(entry.tally, &(*map)[mapKey != nullptr ? mapKey(key) : std::string(key)]);
    }
    *table = TallyTable();
}
