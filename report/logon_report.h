// The logon report over the logs of one server or of a farm: read once into counts,
// then rendered as text, JSON or a self-contained HTML page; or the lines themselves
// as CSV. gwconfig and the console share it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "report/log_summary.h"

// A server of the farm and its logs (paths in UTF-8).
struct ReportServer {
    std::string name;
    std::vector<std::string> logs;
};

struct ServerSummary {
    std::string name;
    LogSummary summary;
};

struct LogonReport {
    ReportPeriod period;
    std::vector<ServerSummary> servers;
    LogSummary total; // every server together
};

// Keeps the first naming of each log file (by the file's identity, so another path to
// the same file counts too) and drops the others, each with a sentence in the result.
std::vector<std::string> DropRepeatedLogs(std::vector<ReportServer>* servers);

// Reads every log of every server. False with *error at the first log that cannot be
// read or is empty.
bool BuildLogonReport(const std::vector<ReportServer>& servers, const ReportPeriod& period,
                      LogonReport* report, std::string* error);

// True when at least one line of the logs could be read.
bool ReportReadSomething(const LogonReport& report);

// The renderings. Texts of the logs are in `codePage`; the results are UTF-8.
std::string RenderReportText(const LogonReport& report, uint32_t codePage);
std::string RenderReportJson(const LogonReport& report, uint32_t codePage);
std::string RenderReportHtml(const LogonReport& report, uint32_t codePage);

// The readable lines of the logs in the period as CSV (UTF-8 with a byte-order mark, a
// header row, RFC 4180 quoting, cells that a spreadsheet would run as a formula made
// plain), handed to `write` in pieces; `write` returns false to stop. *readable counts
// the lines that could be read, in the period or not. False with *error when a log
// cannot be read or `write` failed.
bool WriteReportCsv(const std::vector<ReportServer>& servers, const ReportPeriod& period,
                    uint32_t codePage, const std::function<bool(const std::string&)>& write,
                    uint64_t* readable, std::string* error);

// The days the report covers: from --from (or the first day with a line) to --to (or
// the last); false when there is neither a line nor a period.
bool ReportDays(const LogonReport& report, int32_t* first, int32_t* last);

// Longer periods are shown by week (Monday to Sunday) rather than by day.
constexpr int32_t REPORT_DAYS_SHOWN = 62;

// The runs of days in [first, last] on which `summary` has no line, as (first, last).
std::vector<std::pair<int32_t, int32_t>> SilentDays(const LogSummary& summary, int32_t first,
                                                    int32_t last);

// The counts of every day in [first, last] (of every week from the Monday on or before
// `first` when `byWeek`), days without a line included: (first day, counts).
std::vector<std::pair<int32_t, Tally>> DayBuckets(const LogSummary& summary, int32_t first,
                                                  int32_t last, bool byWeek);

// An audited refusal in the console's words: "would have been refused by the IP Address
// filter", "... by the MAC address filter: MAC address could not be read".
std::string AuditWords(int reason);

// True when a filter only audited at least one line of the report: its counts are shown
// then (JSON always has them).
inline bool ReportHasAudit(const LogonReport& report) {
    return report.total.total.audited > 0;
}

// "2026-11-10" or "2026-11-10 to 2026-11-12" of a run of days.
std::string DaysText(const std::pair<int32_t, int32_t>& run);

// How many clients and users the lists show.
constexpr size_t REPORT_TOP = 10;
