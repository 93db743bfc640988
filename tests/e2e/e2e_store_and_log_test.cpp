// What the library shares with the outside world besides the session: the stored
// configuration it creates when none exists, and the logon log that processes of
// several sessions append to at once.
#include "tests/e2e/e2e_fixture.h"

#include "config/config_model.h"
#include "config/persistence.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <set>

class SharedState : public HostRunTest {};

TEST_F(SharedState, MissingConfigurationIsCreatedWithTheDefaults) {
    DeleteConfigKey();
    DWORD type = 0;
    std::vector<uint8_t> tsdata, datasize;
    ASSERT_FALSE(ReadConfigValue("tsdata", &type, &tsdata)) << "the key could not be removed";

    SessionSpec console = RemoteClient();
    console.id = consoleId_;
    ASSERT_EQ(RunHost(WriteScenario(consoleId_, {console}), {"startup"}), 0u);

    ASSERT_TRUE(ReadConfigValue("tsdata", &type, &tsdata));
    EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
    ASSERT_TRUE(ReadConfigValue("datasize", &type, &datasize));
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    ASSERT_EQ(datasize.size(), 4u);
    uint32_t length = 0;
    std::memcpy(&length, datasize.data(), 4);
    EXPECT_EQ(length, tsdata.size());

    // What the library wrote reads back as the default configuration.
    ResetFilterConfig();
    ASSERT_EQ(LoadConfigFromRegistry(), 0);
    EXPECT_EQ(FilterConfig.FLAG_IPADDRESS, 0);
    EXPECT_EQ(FilterConfig.SESSION_PER_IP, 1);
    EXPECT_EQ(FilterConfig.WEEK_W7, 1);
    EXPECT_STREQ(FilterConfig.TITLE_IPADDRESS, "Attention - IP Address Filter active - Quillon");
    EXPECT_TRUE(FilterConfig.ipRanges.empty());
}

TEST_F(SharedState, HostsLoggingAtOnceLoseAndTearNoLine) {
    const int HOSTS = 8;
    DefaultConfigWithLog();
    ASSERT_EQ(StoreConfig(), 0);

    // Each host is its own session, so every line can be told apart.
    const std::string eventName = "GatewellE2eGo";
    HostGate gate(eventName);
    ASSERT_TRUE(gate.Valid());
    std::vector<std::unique_ptr<HostProcess>> hosts;
    std::set<std::string> expectedIds;
    for (int k = 0; k < HOSTS; ++k) {
        SessionSpec s = RemoteClient();
        s.id = remoteId_ + 10 + k;
        s.client = "HOST-" + std::to_string(k);
        expectedIds.insert(std::to_string(s.id));
        std::string scenario = dir_ + "scenario" + std::to_string(k) + ".txt";
        ASSERT_TRUE(WriteTextFile(scenario, ScenarioText(s.id, {s}, ClientArp(), "")));
        hosts.emplace_back(new HostProcess);
        ASSERT_TRUE(StartHost(scenario, {"--wait-event", eventName, "logon"}, hosts.back().get()));
    }
    ASSERT_TRUE(gate.AwaitHosts(HOSTS, 60000)) << "not every host got ready";
    gate.Open();
    for (auto& host : hosts)
        EXPECT_EQ(host->Wait(60000), 0u);

    std::string log = ReadTextFile(logPath_);
    bool terminated = false;
    std::vector<std::string> lines = LogLines(log, &terminated);
    EXPECT_TRUE(terminated);
    ASSERT_EQ(lines.size(), static_cast<size_t>(HOSTS)) << log;
    std::set<std::string> seenIds;
    for (const std::string& line : lines) {
        std::vector<std::string> f = SplitFields(line);
        ASSERT_EQ(f.size(), 10u) << "torn line: " << line;
        EXPECT_TRUE(LooksLikeTimestamp(f[0])) << line;
        EXPECT_EQ(f[1], "HOST-" + std::to_string(std::stoul(f[6]) - remoteId_ - 10)) << line;
        EXPECT_EQ(f[7], "Accepted");
        EXPECT_EQ(f[8], "");
        seenIds.insert(f[6]);
    }
    EXPECT_EQ(seenIds, expectedIds);
    EXPECT_EQ(sink_->Drain().size(), static_cast<size_t>(HOSTS));
}

TEST_F(SharedState, ExistingLogIsAppendedToNeverTruncated) {
    DefaultConfigWithLog();
    ASSERT_EQ(StoreConfig(), 0);
    const std::string earlier = "2001-01-01 00:00:00,OLD,1.2.3.4,,RDP-Tcp#1,old,1,Accepted,,\r\n";
    ASSERT_TRUE(WriteTextFile(logPath_, earlier));

    ASSERT_EQ(RunHost(WriteScenario(remoteId_, {RemoteClient()}), {"logon"}), 0u);

    std::string log = ReadTextFile(logPath_);
    ASSERT_GT(log.size(), earlier.size());
    EXPECT_EQ(log.substr(0, earlier.size()), earlier);
    bool terminated = false;
    std::vector<std::string> lines = LogLines(log, &terminated);
    EXPECT_TRUE(terminated);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(SplitFields(lines[1]).size(), 10u);
}
