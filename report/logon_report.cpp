#include "report/logon_report.h"

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
    return t.total.accepted + t.total.refused + t.outsidePeriod > 0;
}
