#include "report/logon_report.h"

#include <set>

#include "platform/log_reader.h"
#include "report/shown_text.h"

std::vector<std::string> DropRepeatedLogs(std::vector<ReportServer>* servers) {
    std::vector<std::string> dropped;
    std::set<std::string> seen;
    for (ReportServer& server : *servers) {
        std::vector<std::string> kept;
        for (const std::string& log : server.logs) {
            std::string identity;
            // A log that cannot be opened stays, so that reading it names the failure.
            if (LogFileIdentity(log, &identity) && !seen.insert(identity).second)
                dropped.push_back("'" + log + "' names a log already given; it is read once");
            else
                kept.push_back(log);
        }
        server.logs = kept;
    }
    return dropped;
}

bool BuildLogonReport(const std::vector<ReportServer>& servers, const ReportPeriod& period,
                      LogonReport* report, std::string* error) {
    report->period = period;
    report->servers.clear();
    report->servers.reserve(servers.size());
    report->total = LogSummary();
    for (const ReportServer& server : servers) {
        report->servers.push_back({server.name, LogSummary()});
        for (const std::string& log : server.logs) {
            if (!SummarizeLog(log, period, &report->servers.back().summary, error))
                return false;
        }
        MergeSummary(report->servers.back().summary, &report->total);
    }
    return true;
}

bool ReportReadSomething(const LogonReport& report) {
    const LogSummary& t = report.total;
    return t.total.Lines() + t.outsidePeriod > 0;
}

bool ReportDays(const LogonReport& report, int32_t* first, int32_t* last) {
    const auto& days = report.total.days;
    const ReportPeriod& p = report.period;
    if (days.empty() && !(p.hasFrom && p.hasTo))
        return false;
    *first = p.hasFrom ? p.fromDay : days.begin()->first;
    *last = p.hasTo ? p.toDay : days.rbegin()->first;
    return *first <= *last;
}

std::vector<std::pair<int32_t, int32_t>> SilentDays(const LogSummary& summary, int32_t first,
                                                    int32_t last) {
    std::vector<std::pair<int32_t, int32_t>> runs;
    int32_t next = first; // the first day not yet accounted for
    for (auto day = summary.days.lower_bound(first);
         day != summary.days.end() && day->first <= last; ++day) {
        if (day->first > next)
            runs.push_back({next, day->first - 1});
        next = day->first + 1;
    }
    if (next <= last)
        runs.push_back({next, last});
    return runs;
}

std::string AuditWords(int reason) {
    const ReasonInfo& r = Reason(reason);
    std::string by = r.page[0] != '\0' ? std::string("the ") + r.page + " filter" : "the library";
    return "would have been refused by " + by + (r.unreadFact ? std::string(": ") + r.words : "");
}

std::string DaysText(const std::pair<int32_t, int32_t>& run) {
    return run.first == run.second ? DateText(run.first)
                                   : DateText(run.first) + " to " + DateText(run.second);
}

std::vector<std::pair<int32_t, Tally>> DayBuckets(const LogSummary& summary, int32_t first,
                                                  int32_t last, bool byWeek) {
    int32_t step = byWeek ? 7 : 1;
    int32_t start = byWeek ? first - WeekdayOfDays(first) : first;
    std::vector<std::pair<int32_t, Tally>> buckets;
    for (int32_t day = start; day <= last; day += step)
        buckets.push_back({day, Tally()});
    for (auto day = summary.days.lower_bound(first);
         day != summary.days.end() && day->first <= last; ++day) {
        AddCounts(day->second, &buckets[static_cast<size_t>((day->first - start) / step)].second);
    }
    return buckets;
}
