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

// The keys of `tallies` with at least one refusal (or of the count given), most first
// (then by key), at most `limit` of them.
template <typename Key>
std::vector<const std::pair<const Key, Tally>*>
MostRefused(const std::unordered_map<Key, Tally>& tallies, size_t limit,
            uint32_t Tally::*count = &Tally::refused) {
    std::vector<const std::pair<const Key, Tally>*> refused;
    for (const auto& entry : tallies) {
        if (entry.second.*count > 0)
            refused.push_back(&entry);
    }
    auto order = [count](const std::pair<const Key, Tally>* a,
                         const std::pair<const Key, Tally>* b) {
        if (a->second.*count != b->second.*count)
            return a->second.*count > b->second.*count;
        return a->first < b->first;
    };
    size_t kept = refused.size() < limit ? refused.size() : limit;
    std::partial_sort(refused.begin(), refused.begin() + static_cast<ptrdiff_t>(kept),
                      refused.end(), order);
    refused.resize(kept);
    return refused;
}
