// What the report counts over one or more logon logs. Everything here grows with the
// distinct clients, users and days, never with the number of lines.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

#include "report/log_line.h"

// Refusals by reason and accepted logons of one client, user or day.
struct Tally {
    uint32_t accepted = 0;
    uint32_t refused = 0;
    uint32_t byReason[REASON_COUNT] = {};
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

// Adds `from` to `into`.
void MergeSummary(const LogSummary& from, LogSummary* into);

// The parts of a client key.
void SplitClientKey(const std::string& key, std::string* address, std::string* name,
                    std::string* mac);

// The keys of `tallies` with at least one refusal, most refusals first (then by key),
// at most `limit` of them.
std::vector<const std::pair<const std::string, Tally>*>
MostRefused(const std::unordered_map<std::string, Tally>& tallies, size_t limit);
