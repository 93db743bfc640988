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

// How many clients and users the lists show.
constexpr size_t REPORT_TOP = 10;
