// The logon report reading the log while processes of several sessions append to it:
// the report's short shared opens must never cost the library a line.
#include "tests/e2e/e2e_fixture.h"

#include <memory>

#include "report/logon_report.h"

class ReportWhileLogging : public HostRunTest {};

TEST_F(ReportWhileLogging, HostsAppendingWhileTheReportReadsLoseNoLine) {
    const int HOSTS = 6;
    const int LOGONS = 25; // accepted lines per host
    DefaultConfigWithLog();
    ASSERT_EQ(StoreConfig(), 0);
    // The log exists before the hosts start, so every read finds a line.
    ASSERT_TRUE(
        WriteTextFile(logPath_, "2026-12-01 00:00:00,OLD,1.2.3.4,,RDP-Tcp#1,old,1,Accepted,,\r\n"));

    const std::string eventName = "GatewellE2eReport";
    HostGate gate(eventName);
    ASSERT_TRUE(gate.Valid());
    std::vector<std::unique_ptr<HostProcess>> hosts;
    std::vector<std::string> logons(LOGONS, "logon");
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
    // never fewer than the one before.
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
    EXPECT_EQ(report.total.total.accepted, 1u + HOSTS * LOGONS) << reports << " reports read";
    EXPECT_EQ(report.total.skipped, 0u);
    EXPECT_EQ(report.total.clients.size(), 1u + HOSTS);
    EXPECT_GT(reports, 1) << "the hosts finished before the report could read alongside";
    sink_->Drain();
}
