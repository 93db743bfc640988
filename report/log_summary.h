// What the report counts over one or more logon logs. Everything here grows with the
// distinct clients, users and days, never with the number of lines.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

#include "report/log_line.h"

// Refusals by reason and accepted logons of one client, user, network or day, the
// refusals that filters only audited (the sessions went on), and the times of its
// first and last line (seconds since 1970, server local time).
// The fields a line touches come first, in one cache line with the first reasons.
struct Tally {
    int64_t firstSeen = 0, lastSeen = 0;
    uint32_t accepted = 0;
    uint32_t refused = 0;
    uint32_t audited = 0;
    uint32_t byReason[REASON_COUNT] = {};
    uint32_t auditedByReason[REASON_COUNT] = {};
    uint64_t Lines() const { return uint64_t(accepted) + refused + audited; }
};

struct SkippedLine {
    std::string log;
    uint64_t number;
    LineProblem problem;
};

// How many unreadable lines are named one by one.
constexpr size_t SKIPPED_NAMED = 5;

// Separates the parts of a client key: address, computer name, MAC address.
constexpr char CLIENT_KEY_SEPARATOR = '\0';

struct LogSummary {
    std::vector<std::string> logs; // the files read, in order
    Tally total;
    std::map<int32_t, Tally> days;                  // by day number
    uint32_t weekHour[7][24] = {};                  // refusals, Monday first
    uint32_t weekHourTime[7][24] = {};              // of them by the logon time window
    std::unordered_map<std::string, Tally> clients; // address, name, MAC
    std::unordered_map<std::string, Tally> users;   // user name (never empty)
    std::string firstTime, lastTime;                // of the lines counted
    uint64_t outsidePeriod = 0;                     // readable, before --from or after --to
    uint64_t skipped = 0;                           // unreadable lines
    std::vector<SkippedLine> firstSkipped;          // up to SKIPPED_NAMED of them
};

// The days whose lines are counted; both ends inclusive.
struct ReportPeriod {
    bool hasFrom = false, hasTo = false;
    int32_t fromDay = 0, toDay = 0;
    bool Contains(int32_t day) const {
        return (!hasFrom || day >= fromDay) && (!hasTo || day <= toDay);
    }
};

// Counts the lines of one log into *summary. False with *error when the log cannot be
// read (see ReadLogLines); what was counted before the failure stays counted.
bool SummarizeLog(const std::string& path, const ReportPeriod& period, LogSummary* summary,
                  std::string* error);

// Adds the counts of `from` to `into`, and widens its first and last line.
void AddCounts(const Tally& from, Tally* into);

// Adds `from` to `into`.
void MergeSummary(const LogSummary& from, LogSummary* into);

// The parts of a client key.
void SplitClientKey(const std::string& key, std::string* address, std::string* name,
                    std::string* mac);

// "YYYY-MM-DD HH:MM:SS" of a Tally's seconds.
std::string TimeText(int64_t seconds);

// The clients added up by network, keyed by address >> (32 - bits); clients whose
// address is not an IPv4 address are left out. Made from the clients when shown, so
// reading a line costs nothing more.
std::unordered_map<uint32_t, Tally> NetworkTallies(const LogSummary& summary, int bits);

// The same added up by wider networks (fewer bits), from the tallies of narrower ones:
// what NetworkTallies(summary, widerBits) gives, without reading the clients again.
std::unordered_map<uint32_t, Tally> WiderNetworks(const std::unordered_map<uint32_t, Tally>& nets,
                                                  int bits, int widerBits);

// "10.1.2.0/24" or "10.1.0.0/16" of a network key.
std::string NetworkText(uint32_t key, int bits);

// How many of `tallies` have at least one refusal (or of the count given).
template <typename Key>
size_t RefusedCount(const std::unordered_map<Key, Tally>& tallies,
                    uint32_t Tally::*count = &Tally::refused) {
    size_t n = 0;
    for (const auto& entry : tallies)
        n += entry.second.*count > 0;
    return n;
}

// Keeps the best `limit` entries by `count` (most first, then by key) in a heap whose
// top is the last of them; `Sorted` puts them in order.
template <typename Key> struct BestTallies {
    using Entry = const std::pair<const Key, Tally>*;
    uint32_t Tally::*count;
    size_t limit;
    std::vector<Entry> heap;

    bool Before(Entry a, Entry b) const {
        if (a->second.*count != b->second.*count)
            return a->second.*count > b->second.*count;
        return a->first < b->first;
    }
    void Offer(Entry entry) {
        auto before = [this](Entry a, Entry b) { return Before(a, b); };
        if (limit == 0 || entry->second.*count == 0)
            return;
        if (heap.size() < limit) {
            heap.push_back(entry);
            std::push_heap(heap.begin(), heap.end(), before);
        } else if (Before(entry, heap.front())) {
            std::pop_heap(heap.begin(), heap.end(), before);
            heap.back() = entry;
            std::push_heap(heap.begin(), heap.end(), before);
        }
    }
    std::vector<Entry> Sorted() {
        std::sort_heap(heap.begin(), heap.end(), [this](Entry a, Entry b) { return Before(a, b); });
        return heap;
    }
};

// The keys of `tallies` with at least one refusal (or of the count given), most first
// (then by key), at most `limit` of them.
template <typename Key>
std::vector<const std::pair<const Key, Tally>*>
MostRefused(const std::unordered_map<Key, Tally>& tallies, size_t limit,
            uint32_t Tally::*count = &Tally::refused) {
    BestTallies<Key> best{count, limit, {}};
    for (const auto& entry : tallies)
        best.Offer(&entry);
    return best.Sorted();
}

// What the renderings show of the clients or users of a summary, in one pass over
// them (a pass over many tallies is a walk through memory): how many were refused and
// audited, and the most refused and most audited, at most `limit` of each.
template <typename Key> struct TallyTops {
    size_t refused = 0, audited = 0;
    std::vector<const std::pair<const Key, Tally>*> mostRefused, mostAudited;
};

template <typename Key>
TallyTops<Key> Tops(const std::unordered_map<Key, Tally>& tallies, size_t limit) {
    BestTallies<Key> refused{&Tally::refused, limit, {}}, audited{&Tally::audited, limit, {}};
    TallyTops<Key> tops;
    for (const auto& entry : tallies) {
        tops.refused += entry.second.refused > 0;
        tops.audited += entry.second.audited > 0;
        refused.Offer(&entry);
        audited.Offer(&entry);
    }
    tops.mostRefused = refused.Sorted();
    tops.mostAudited = audited.Sorted();
    return tops;
}
