// Walks a logon log for a replay: each readable line of the period with the facts it
// holds. An "Audited" line is no session of its own (the session went on, and its own
// line follows when it logs on or is refused), so it is counted and passed over, as
// the report does. An unreadable line is counted and named, never replayed.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "replay/known_session.h"
#include "report/log_summary.h"

struct ReplayLogCounts {
    std::vector<std::string> logs; // the files read, in order
    uint64_t sessions = 0;         // lines replayed
    uint64_t audited = 0;
    uint64_t outsidePeriod = 0;
    uint64_t skipped = 0;                  // unreadable lines
    std::vector<SkippedLine> firstSkipped; // up to SKIPPED_NAMED of them
    std::string firstTime, lastTime;       // of the lines replayed
};

using ReplayLineVisitor = std::function<void(const LogLine&, const KnownSession&)>;

// Reads one log into `visit` and *counts. False with *error as ReadLogLines says; the
// lines before a failure stay counted. Once *cancel (optional) is set the remaining
// lines are passed over.
bool ReplayLog(const std::string& path, const ReportPeriod& period, const ReplayLineVisitor& visit,
               ReplayLogCounts* counts, std::string* error,
               const std::atomic<bool>* cancel = nullptr);

// "'a.log' line 5: not nine comma-terminated fields" of each line named, joined by "; ".
std::string SkippedLinesText(const ReplayLogCounts& counts);

// Seconds since 1970 of a line's time, server local time.
inline int64_t LineSeconds(const LogLine& line) {
    return int64_t(line.day) * 86400 + line.secondOfDay;
}
