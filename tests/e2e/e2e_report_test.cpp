// The logon report reading the log while processes of several sessions append to it:
// the report's short shared opens must never cost the library a line.
#include "tests/e2e/e2e_fixture.h"

#include <memory>

#include "report/log_stream.h"
#include "report/logon_report.h"

class ReportWhileLogging : public HostRunTest {};

TEST_F(ReportWhileLogging, HostsAppendingWhileTheReportReadsLoseNoLine) {
    const int HOSTS = 6;
    const int LOGONS = 25; // accepted lines per host
    DefaultConfigWithLog();
    ASSERT_EQ(StoreConfig(), 0);
    // A log of a few blocks already, as on a server that has run for months: each
    // report opens it once per block and parses in between, as a real one does.
    const uint32_t OLD_LINES = 40000;
    const std::string oldLine = "2026-12-01 00:00:00,OLD,1.2.3.4,,RDP-Tcp#1,old,1,Accepted,,\r\n";
    std::string oldLog;
    for (uint32_t n = 0; n < OLD_LINES; ++n)
        oldLog += oldLine;
    ASSERT_GT(oldLog.size(), 2 * LOG_BLOCK_SIZE);
    ASSERT_TRUE(WriteTextFile(logPath_, oldLog));

    const std::string eventName = "GatewellE2eReport";
    HostGate gate(eventName);
    ASSERT_TRUE(gate.Valid());
    std::vector<std::unique_ptr<HostProcess>> hosts;
    // Spaced as a busy server's logons are: hosts calling back to back hold the
    // exclusive open nearly all the time, and one that retries every 100 ms can lose
    // all its attempts to them, report or no report.
    std::vector<std::string> logons;
    for (int n = 0; n < LOGONS; ++n) {
        logons.push_back("logon");
        logons.push_back("sleep=20");
    }
    for (int k = 0; k < HOSTS; ++k) {
        SessionSpec s = RemoteClient();
        s.id = remoteId_ + 10 + k;
        s.client = "HOST-" + std::to_string(k);
        std::string scenario = dir_ + "scenario" + std::to_string(k) + ".txt";
        ASSERT_TRUE(WriteTextFile(scenario, ScenarioText(s.id, {s}, ClientArp(), "")));
        std::vector<std::string> args{"--wait-event", eventName};
        args.insert(args.end(), logons.begin(), logons.end());
        hosts.emplace_back(new HostProcess);
        ASSERT_TRUE(StartHost(scenario, args, hosts.back().get()));
    }
    ASSERT_TRUE(gate.AwaitHosts(HOSTS, 60000)) << "not every host got ready";
    gate.Open();

    // Report after report while the hosts write: each reads whole lines only, and
    // never fewer than the one before. (Reports of a tiny log back to back would hold
    // it most of the time, which no administrator does.)
    auto running = [&]() {
        for (auto& host : hosts) {
            if (host->Running())
                return true;
        }
        return false;
    };
    int reports = 0;
    uint32_t seen = 0;
    while (running()) {
        LogonReport report;
        std::string error;
        ASSERT_TRUE(BuildLogonReport({{"TS", {logPath_}}}, ReportPeriod(), &report, &error))
            << error;
        EXPECT_EQ(report.total.skipped, 0u);
        EXPECT_GE(report.total.total.accepted, seen);
        seen = report.total.total.accepted;
        ++reports;
    }
    for (auto& host : hosts)
        EXPECT_EQ(host->Wait(60000), 0u);

    LogonReport report;
    std::string error;
    ASSERT_TRUE(BuildLogonReport({{"TS", {logPath_}}}, ReportPeriod(), &report, &error)) << error;
    EXPECT_EQ(report.total.total.accepted, OLD_LINES + HOSTS * LOGONS)
        << reports << " reports read";
    EXPECT_EQ(report.total.skipped, 0u);
    EXPECT_EQ(report.total.clients.size(), 1u + HOSTS);
    EXPECT_GT(reports, 1) << "the hosts finished before the report could read alongside";
    sink_->Drain();
}
