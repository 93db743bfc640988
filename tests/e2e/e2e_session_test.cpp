// A session's way through gatewell.dll in a real host process: the datagram, the
// message box on screen, the logon log line, the process's end or the session's
// logoff, and the console session left alone.
#include "tests/e2e/e2e_fixture.h"

#include "config/config_model.h"

#include <cstring>

namespace {

const char DENY_CAPTION[] = "Test bed - address turned away";
const char DENY_MESSAGE[] = "The address 10.0.0.5 may not log on here.";

// One deny row for the client's address, logging on.
void ConfigDenyingClientAddress() {
    FilterConfig.FLAG_IPADDRESS = 1;
    FilterConfig.FLAG_IPADDRESS_ALLOW = 1;
    IpRangeRow* row = new IpRangeRow();
    CopyToField(row->IPFROM, "10.0.0.5");
    row->TYPE = ROW_LOGON_DISABLED;
    FilterConfig.ipRanges.push_back(row);
    CopyToField(FilterConfig.TITLE_IPADDRESS, DENY_CAPTION);
    CopyToField(FilterConfig.MSG_IPADDRESS, DENY_MESSAGE);
}

// The session record the library sent for RemoteClient().
void ExpectClientRecord(const std::string& record, uint32_t sessionId) {
    ASSERT_EQ(record.size(), SESSION_RECORD_SIZE);
    EXPECT_EQ(RecordU32(record, REC_SESSION_ID), sessionId);
    EXPECT_EQ(RecordU32(record, REC_STATE), 0u);
    EXPECT_EQ(RecordText(record, REC_WINSTATION, RECORD_TEXT_WIDTH), "RDP-Tcp#7");
    EXPECT_EQ(RecordText(record, REC_CLIENT_NAME, RECORD_TEXT_WIDTH), "PC-0005");
    EXPECT_EQ(RecordText(record, REC_ADDRESS, RECORD_TEXT_WIDTH), "10.0.0.5");
    EXPECT_EQ(RecordText(record, REC_MAC, RECORD_TEXT_WIDTH), "00-1A-2B-3C-4D-5E");
    EXPECT_EQ(RecordU32(record, REC_BUILD), 2600u);
    EXPECT_EQ(RecordU16(record, REC_PRODUCT_ID), 1u);
    EXPECT_EQ(RecordText(record, REC_DOMAIN, RECORD_TEXT_WIDTH), "MARROWBY");
    EXPECT_EQ(RecordText(record, REC_USER, RECORD_TEXT_WIDTH), "alice");
    EXPECT_EQ(RecordU32(record, REC_DISPLAY), 1280u);
    EXPECT_EQ(RecordU32(record, REC_DISPLAY + 4), 1024u);
    EXPECT_EQ(RecordU32(record, REC_DISPLAY + 8), 24u);
}

// A whole log line for RemoteClient() with the decision and code given.
void ExpectClientLogLine(const std::string& line, uint32_t sessionId, const char* decision,
                         const char* code) {
    std::vector<std::string> f = SplitFields(line);
    ASSERT_EQ(f.size(), 10u) << line;
    EXPECT_TRUE(LooksLikeTimestamp(f[0])) << f[0];
    EXPECT_EQ(f[1], "PC-0005");
    EXPECT_EQ(f[2], "10.0.0.5");
    EXPECT_EQ(f[3], "00-1A-2B-3C-4D-5E");
    EXPECT_EQ(f[4], "RDP-Tcp#7");
    EXPECT_EQ(f[5], "alice");
    EXPECT_EQ(f[6], std::to_string(sessionId));
    EXPECT_EQ(f[7], decision);
    EXPECT_EQ(f[8], code);
    EXPECT_EQ(f[9], "");
}

} // namespace

class SessionRoad : public HostRunTest {};

TEST_F(SessionRoad, DeniedAddressSeesBoxIsLoggedAndItsProcessEnds) {
    DefaultConfigWithLog();
    ConfigDenyingClientAddress();
    ASSERT_EQ(StoreConfig(), 0);
    std::string scenario = WriteScenario(remoteId_, {RemoteClient()});

    HostProcess host;
    DWORD started = GetTickCount();
    ASSERT_TRUE(StartHost(scenario, {"startup"}, &host));
    HWND box = AwaitWindowWithCaption(DENY_CAPTION, 30000, host);
    ASSERT_NE(box, nullptr) << "no message box; host ended with " << host.Wait(0);
    DWORD shown = GetTickCount();
    EXPECT_EQ(MessageBoxText(box), DENY_MESSAGE);
    PressOk(box);
    EXPECT_EQ(host.Wait(30000), EXIT_CODE_MINUS_ONE);
    std::printf("[ measure ] host start to box %lu ms, OK to process end %lu ms\n", shown - started,
                GetTickCount() - shown);

    std::vector<std::string> datagrams = sink_->Drain();
    ASSERT_EQ(datagrams.size(), 1u);
    ExpectClientRecord(datagrams[0], remoteId_);

    std::string log = ReadTextFile(logPath_);
    bool terminated = false;
    std::vector<std::string> lines = LogLines(log, &terminated);
    ASSERT_EQ(lines.size(), 1u) << log;
    EXPECT_TRUE(terminated);
    ExpectClientLogLine(lines[0], remoteId_, "Rejected", "REJECT_IPADDRESS");
    const std::string ending = ",Rejected,REJECT_IPADDRESS,\r\n";
    ASSERT_GE(log.size(), ending.size());
    EXPECT_EQ(log.substr(log.size() - ending.size()), ending);

    // A start-up rejection ends the process; it does not ask for a logoff.
    EXPECT_TRUE(RecordLines(record_, "logoff").empty());
    ExpectEveryAnswerFreed(record_);
}

TEST_F(SessionRoad, BoxLeftAloneClosesItselfAndTheRejectionGoesOn) {
    DefaultConfigWithLog();
    ConfigDenyingClientAddress();
    ASSERT_EQ(StoreConfig(), 0);
    std::string scenario = WriteScenario(remoteId_, {RemoteClient()});

    HostProcess host;
    ASSERT_TRUE(StartHost(scenario, {"startup"}, &host));
    HWND box = AwaitWindowWithCaption(DENY_CAPTION, 30000, host);
    ASSERT_NE(box, nullptr);
    DWORD shown = GetTickCount();
    // Its own timer closes it after 10 s; allow a generous margin for a busy machine.
    ASSERT_TRUE(AwaitWindowGone(box, 40000)) << "the box did not close by itself";
    DWORD visibleMs = GetTickCount() - shown;
    std::printf("[ measure ] unattended box visible for %lu ms\n", visibleMs);
    // It stayed up for its time-out rather than vanishing at once.
    EXPECT_GE(visibleMs, 5000u);
    EXPECT_EQ(host.Wait(30000), EXIT_CODE_MINUS_ONE);

    bool terminated = false;
    std::vector<std::string> lines = LogLines(ReadTextFile(logPath_), &terminated);
    ASSERT_EQ(lines.size(), 1u);
    ExpectClientLogLine(lines[0], remoteId_, "Rejected", "REJECT_IPADDRESS");
}

TEST_F(SessionRoad, AcceptedSessionSendsTwoRecordsAndLogsOnlyTheLogon) {
    DefaultConfigWithLog();
    // The filter runs and admits: the client matches an allow row.
    FilterConfig.FLAG_IPADDRESS = 1;
    IpRangeRow* row = new IpRangeRow();
    CopyToField(row->IPFROM, "10.0.0.0");
    CopyToField(row->IPTO, "10.0.0.255");
    row->TYPE = ROW_LOGON_ENABLED;
    FilterConfig.ipRanges.push_back(row);
    ASSERT_EQ(StoreConfig(), 0);
    std::string scenario = WriteScenario(remoteId_, {RemoteClient()});

    ASSERT_EQ(RunHost(scenario, {"startup", "logon"}), 0u);

    std::vector<std::string> datagrams = sink_->Drain();
    ASSERT_EQ(datagrams.size(), 2u);
    ExpectClientRecord(datagrams[0], remoteId_);
    ExpectClientRecord(datagrams[1], remoteId_);

    std::string log = ReadTextFile(logPath_);
    bool terminated = false;
    std::vector<std::string> lines = LogLines(log, &terminated);
    ASSERT_EQ(lines.size(), 1u) << log;
    EXPECT_TRUE(terminated);
    ExpectClientLogLine(lines[0], remoteId_, "Accepted", "");
    EXPECT_TRUE(RecordLines(record_, "logoff").empty());
    ExpectEveryAnswerFreed(record_);
}

TEST_F(SessionRoad, LogonOverTheUserLimitIsLoggedOffAndReturnsToTheHost) {
    DefaultConfigWithLog();
    FilterConfig.FLAG_SERVEROPTION_SESSIONPERUSER = 1;
    FilterConfig.FLAG_SESSION_PER_USER_DEFAULT = 1;
    FilterConfig.SESSIONPERUSER_COUNT = 1;
    CopyToField(FilterConfig.TITLE_SESSIONPERUSER, "Test bed - one session per user");
    CopyToField(FilterConfig.MSG_SESSIONPERUSER, "alice already has a session.");
    ASSERT_EQ(StoreConfig(), 0);
    // The same user (in other letters' case) already holds a session elsewhere.
    SessionSpec other = RemoteClient();
    other.id = remoteId_ + 1;
    other.user = "ALICE";
    other.address = "10.0.0.77";
    std::string scenario = WriteScenario(remoteId_, {other, RemoteClient()});

    HostProcess host;
    ASSERT_TRUE(StartHost(scenario, {"logon"}, &host));
    HWND box = AwaitWindowWithCaption("Test bed - one session per user", 30000, host);
    ASSERT_NE(box, nullptr) << "no message box; host ended with " << host.Wait(0);
    EXPECT_EQ(MessageBoxText(box), "alice already has a session.");
    PressOk(box);
    EXPECT_EQ(host.Wait(30000), 0u) << "a logon rejection returns to the host";

    std::vector<std::string> logoffs = RecordLines(record_, "logoff");
    ASSERT_EQ(logoffs.size(), 1u);
    EXPECT_EQ(logoffs[0].substr(0, logoffs[0].find(" raw=")),
              "logoff " + std::to_string(remoteId_));
    EXPECT_NE(logoffs[0].find(" wait=0 "), std::string::npos) << logoffs[0];

    bool terminated = false;
    std::vector<std::string> lines = LogLines(ReadTextFile(logPath_), &terminated);
    ASSERT_EQ(lines.size(), 1u) << "one Rejected line and no Accepted line";
    ExpectClientLogLine(lines[0], remoteId_, "Rejected", "REJECT_SESSIONPERUSER");
    EXPECT_EQ(sink_->Drain().size(), 1u);
    ExpectEveryAnswerFreed(record_);
}

TEST_F(SessionRoad, ConsoleSessionIsLeftAlone) {
    DefaultConfigWithLog();
    // This configuration turns every remote client away.
    FilterConfig.FLAG_IPADDRESS = 1;
    FilterConfig.FLAG_IPADDRESS_ALLOW = 0;
    FilterConfig.FLAG_SERVEROPTION_SESSIONPERUSER = 1;
    FilterConfig.FLAG_SESSION_PER_USER_DEFAULT = 1;
    FilterConfig.SESSIONPERUSER_COUNT = 0;
    ASSERT_EQ(StoreConfig(), 0);
    SessionSpec console = RemoteClient();
    console.id = consoleId_;
    console.winStation = "Console";
    std::string scenario = WriteScenario(consoleId_, {console});

    ASSERT_EQ(RunHost(scenario, {"startup", "logon"}), 0u);

    EXPECT_TRUE(sink_->Drain().empty()) << "no datagram from the console session";
    EXPECT_FALSE(FileExists(logPath_)) << "no log line from the console session";
    EXPECT_TRUE(RecordLines(record_, "logoff").empty());
    EXPECT_TRUE(RecordLines(record_, "arp").empty());
}

TEST_F(SessionRoad, DirectVerifyRunsTheFiltersWithoutTheDatagram) {
    DefaultConfigWithLog();
    ConfigDenyingClientAddress();
    ASSERT_EQ(StoreConfig(), 0);
    std::string scenario = WriteScenario(remoteId_, {RemoteClient()});

    HostProcess host;
    ASSERT_TRUE(StartHost(scenario, {"verify_startup"}, &host));
    HWND box = AwaitWindowWithCaption(DENY_CAPTION, 30000, host);
    ASSERT_NE(box, nullptr) << "no message box; host ended with " << host.Wait(0);
    PressOk(box);
    EXPECT_EQ(host.Wait(30000), EXIT_CODE_MINUS_ONE);
    EXPECT_TRUE(sink_->Drain().empty());
    bool terminated = false;
    std::vector<std::string> lines = LogLines(ReadTextFile(logPath_), &terminated);
    ASSERT_EQ(lines.size(), 1u);
    std::vector<std::string> f = SplitFields(lines[0]);
    ASSERT_EQ(f.size(), 10u);
    EXPECT_EQ(f[7], "Rejected");
    EXPECT_EQ(f[8], "REJECT_IPADDRESS");
}

// A session fact the system cannot give turns the session away with the filter's own
// error text, and the record and log show the fact as missing.
struct FactFailure {
    const char* name;
    const char* scenarioExtra; // added to the client's session statement
    bool withoutArp;
    bool enumerationFails;
    int32_t FilterConfigRecord::*filterSwitch;
    const char* caption;
    const char* message;
    const char* code;
};

const FactFailure FACT_FAILURES[] = {
    {"ClientName", "fail=ClientName", false, false, &FilterConfigRecord::FLAG_COMPUTERNAME,
     "Error!", "In ValidateClientName(), GetClientName() failed!", "REJECT_FAIL_GETCOMPUTERNAME"},
    {"Arp", "", true, false, &FilterConfigRecord::FLAG_MACADDRESS, "Error!",
     "In ValidateMACAddress(), GetRemoteMac() failed!", "REJECT_FAIL_GETMACADDRESS"},
    {"Build", "fail=ClientBuildNumber", false, false, &FilterConfigRecord::FLAG_VERSION, "Error!",
     "In ValidateVersion(), GetClientBuildNumber() failed!", "REJECT_FAIL_GETCLIENTVERSION"},
    {"Enumeration", "", false, true, &FilterConfigRecord::FLAG_SERVEROPTION, "Error!",
     "In ValidateSessionCount_IP(), GetCountOfSessionWithTheSameIP() failed!",
     "REJECT_FAIL_GETSESSIONCOUNT_IP"},
    // The address filter shows its own configured texts (here the defaults).
    {"ClientAddress", "fail=ClientAddress", false, false, &FilterConfigRecord::FLAG_IPADDRESS,
     "Attention - IP Address Filter active - Quillon", DEFAULT_MESSAGE_TEXT,
     "REJECT_FAIL_GETIPADDRESS"},
};

void PrintTo(const FactFailure& c, std::ostream* os) {
    *os << c.name;
}

class MissingFact : public HostRunTest, public ::testing::WithParamInterface<FactFailure> {};

TEST_P(MissingFact, RejectsWithItsErrorText) {
    const FactFailure& c = GetParam();
    DefaultConfigWithLog();
    FilterConfig.*c.filterSwitch = 1;
    ASSERT_EQ(StoreConfig(), 0);
    SessionSpec client = RemoteClient();
    client.extra += std::string(" ") + c.scenarioExtra;
    std::string text = ScenarioText(
        remoteId_, {client}, c.withoutArp ? std::vector<std::string>() : ClientArp(), record_);
    if (c.enumerationFails)
        text += "enumerate fail\n";
    std::string scenario = dir_ + "scenario.txt";
    ASSERT_TRUE(WriteTextFile(scenario, text));

    HostProcess host;
    ASSERT_TRUE(StartHost(scenario, {"startup"}, &host));
    HWND box = AwaitWindowWithCaption(c.caption, 30000, host);
    ASSERT_NE(box, nullptr) << "no message box; host ended with " << host.Wait(0);
    EXPECT_EQ(MessageBoxText(box), c.message);
    PressOk(box);
    EXPECT_EQ(host.Wait(30000), EXIT_CODE_MINUS_ONE);

    std::vector<std::string> datagrams = sink_->Drain();
    ASSERT_EQ(datagrams.size(), 1u);
    const std::string& record = datagrams[0];
    ASSERT_EQ(record.size(), SESSION_RECORD_SIZE);
    bool terminated = false;
    std::vector<std::string> lines = LogLines(ReadTextFile(logPath_), &terminated);
    ASSERT_EQ(lines.size(), 1u);
    std::vector<std::string> f = SplitFields(lines[0]);
    ASSERT_EQ(f.size(), 10u) << lines[0];
    EXPECT_EQ(f[7], "Rejected");
    EXPECT_EQ(f[8], c.code);
    if (std::string(c.name) == "ClientName") {
        EXPECT_EQ(RecordText(record, REC_CLIENT_NAME, RECORD_TEXT_WIDTH), "");
        EXPECT_EQ(f[1], "");
    }
    if (std::string(c.name) == "ClientAddress") {
        EXPECT_EQ(RecordText(record, REC_ADDRESS, RECORD_TEXT_WIDTH), "0.0.0.0");
        EXPECT_EQ(RecordText(record, REC_MAC, RECORD_TEXT_WIDTH), "");
        EXPECT_EQ(f[2], "0.0.0.0");
    }
    if (c.withoutArp) {
        EXPECT_EQ(RecordText(record, REC_MAC, RECORD_TEXT_WIDTH), "");
        EXPECT_EQ(f[3], "");
    }
    if (std::string(c.name) == "Build") {
        EXPECT_EQ(RecordU32(record, REC_BUILD), 0u);
    }
    ExpectEveryAnswerFreed(record_);
}

INSTANTIATE_TEST_SUITE_P(SessionRoad, MissingFact, ::testing::ValuesIn(FACT_FAILURES),
                         [](const ::testing::TestParamInfo<FactFailure>& info) {
                             return std::string(info.param.name);
                         });

// The administrator exemption goes through Wine's netapi32.dll, which imports the
// iphlpapi.dll the stand-in replaces: this also proves that replacement harmless.
TEST_F(SessionRoad, BuiltInAdministratorIsExemptFromTheUserLimit) {
    DefaultConfigWithLog();
    FilterConfig.FLAG_SERVEROPTION_SESSIONPERUSER = 1;
    FilterConfig.FLAG_SESSION_PER_USER_DEFAULT = 1;
    FilterConfig.SESSIONPERUSER_COUNT = 1;
    SessionSpec admin = RemoteClient();
    admin.user = "administrator"; // the built-in account of a fresh prefix, any case
    SessionSpec other = admin;
    other.id = remoteId_ + 1;
    std::string scenario = WriteScenario(remoteId_, {other, admin});

    // Without the exemption the second session of the account is over the limit.
    FilterConfig.FLAG_USER_IGNORE_ADMINISTRATOR = 0;
    ASSERT_EQ(StoreConfig(), 0);
    {
        HostProcess host;
        ASSERT_TRUE(StartHost(scenario, {"logon"}, &host));
        HWND box = AwaitWindowWithCaption(FilterConfig.TITLE_SESSIONPERUSER, 30000, host);
        ASSERT_NE(box, nullptr) << "no message box; host ended with " << host.Wait(0);
        PressOk(box);
        EXPECT_EQ(host.Wait(30000), 0u);
        EXPECT_EQ(RecordLines(record_, "logoff").size(), 1u);
    }

    FilterConfig.FLAG_USER_IGNORE_ADMINISTRATOR = 1;
    ASSERT_EQ(StoreConfig(), 0);
    ASSERT_TRUE(DeleteFileA(logPath_.c_str()));
    ASSERT_TRUE(DeleteFileA(record_.c_str()));
    ASSERT_EQ(RunHost(scenario, {"logon"}), 0u);
    EXPECT_TRUE(RecordLines(record_, "logoff").empty());
    bool terminated = false;
    std::vector<std::string> lines = LogLines(ReadTextFile(logPath_), &terminated);
    ASSERT_EQ(lines.size(), 1u);
    std::vector<std::string> f = SplitFields(lines[0]);
    ASSERT_EQ(f.size(), 10u);
    EXPECT_EQ(f[5], "administrator");
    EXPECT_EQ(f[7], "Accepted");
    EXPECT_EQ(sink_->Drain().size(), 2u);
}

TEST_F(SessionRoad, OverTheAddressLimitADisconnectedSessionMakesRoom) {
    DefaultConfigWithLog();
    FilterConfig.FLAG_SERVEROPTION = 1;
    FilterConfig.FLAG_SERVEROPTION_CHECK_TYPE = 1;
    FilterConfig.SESSION_PER_IP = 1;
    FilterConfig.REMOVE_DISCONNECTED = 1;
    ASSERT_EQ(StoreConfig(), 0);
    // A live session from the same address puts the client over its limit of one; a
    // disconnected session of somebody else, listed after it, is the one to go.
    SessionSpec sameAddress = RemoteClient();
    sameAddress.id = remoteId_ + 1;
    SessionSpec stale = RemoteClient();
    stale.id = remoteId_ + 2;
    stale.state = 4;
    stale.user = "bob";
    stale.address = "10.9.9.9";
    std::string scenario = WriteScenario(remoteId_, {sameAddress, RemoteClient(), stale});

    ASSERT_EQ(RunHost(scenario, {"startup"}), 0u) << "the session was let in";
    std::vector<std::string> logoffs = RecordLines(record_, "logoff");
    ASSERT_EQ(logoffs.size(), 1u);
    EXPECT_EQ(logoffs[0].substr(0, logoffs[0].find(" raw=")), "logoff " + std::to_string(stale.id));
    EXPECT_FALSE(FileExists(logPath_)) << "a session start that passes logs nothing";
    ExpectEveryAnswerFreed(record_);
}

TEST_F(SessionRoad, NobodyListeningOnTheMonitorPortChangesNothing) {
    DefaultConfigWithLog();
    ConfigDenyingClientAddress();
    ASSERT_EQ(StoreConfig(), 0);
    std::string scenario = WriteScenario(remoteId_, {RemoteClient()});
    TearDownTestSuite(); // releases port 555

    HostProcess host;
    ASSERT_TRUE(StartHost(scenario, {"startup"}, &host));
    HWND box = AwaitWindowWithCaption(DENY_CAPTION, 30000, host);
    EXPECT_NE(box, nullptr) << "no message box; host ended with " << host.Wait(0);
    if (box)
        PressOk(box);
    EXPECT_EQ(host.Wait(30000), EXIT_CODE_MINUS_ONE);
    SetUpTestSuite();

    bool terminated = false;
    std::vector<std::string> lines = LogLines(ReadTextFile(logPath_), &terminated);
    ASSERT_EQ(lines.size(), 1u);
    ExpectClientLogLine(lines[0], remoteId_, "Rejected", "REJECT_IPADDRESS");
}

// The system's answers can be longer than the record's fields; each is cut inside its
// field, and the fields after it stay intact.
TEST_F(SessionRoad, OverlongAnswersStayInsideTheirFields) {
    DefaultConfigWithLog();
    ASSERT_EQ(StoreConfig(), 0);
    SessionSpec client = RemoteClient();
    client.client = std::string(200, 'C');
    client.user = std::string(200, 'U');
    client.winStation = std::string(200, 'W');
    client.domain = std::string(200, 'D');
    client.extra += " app=" + std::string(300, 'A') + " clientdir=" + std::string(400, 'Y') +
                    " workdir=" + std::string(400, 'X') + " program=" + std::string(300, 'P') +
                    " oem=" + std::string(300, 'O');
    std::string scenario = WriteScenario(remoteId_, {client});

    ASSERT_EQ(RunHost(scenario, {"startup", "logon"}), 0u);

    std::vector<std::string> datagrams = sink_->Drain();
    ASSERT_EQ(datagrams.size(), 2u);
    const std::string& r = datagrams[1];
    ASSERT_EQ(r.size(), SESSION_RECORD_SIZE);
    struct Field {
        size_t offset, width;
        char fill;
    };
    const Field texts[] = {{8, 64, 'W'},    {72, 64, 'C'},  {264, 64, 'A'},
                           {332, 260, 'Y'}, {600, 64, 'D'}, {664, 64, 'P'},
                           {728, 64, 'O'},  {792, 64, 'U'}, {856, 260, 'X'}};
    for (const Field& f : texts) {
        std::string text = RecordText(r, f.offset, f.width);
        EXPECT_LT(text.size(), f.width) << "field at " << f.offset << " not terminated";
        EXPECT_EQ(text, std::string(text.size(), f.fill)) << "field at " << f.offset;
    }
    EXPECT_EQ(RecordText(r, REC_ADDRESS, RECORD_TEXT_WIDTH), "10.0.0.5");
    EXPECT_EQ(RecordText(r, REC_MAC, RECORD_TEXT_WIDTH), ClientMacText());
    EXPECT_EQ(RecordU32(r, REC_BUILD), 2600u);
    EXPECT_EQ(RecordU32(r, REC_DISPLAY), 1280u);

    bool terminated = false;
    std::vector<std::string> lines = LogLines(ReadTextFile(logPath_), &terminated);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_TRUE(terminated);
    std::vector<std::string> f = SplitFields(lines[0]);
    ASSERT_EQ(f.size(), 10u) << lines[0];
    EXPECT_LT(f[1].size(), 64u);
    EXPECT_EQ(f[1], std::string(f[1].size(), 'C'));
    EXPECT_EQ(f[2], "10.0.0.5");
    EXPECT_LT(f[5].size(), 64u);
    EXPECT_EQ(f[7], "Accepted");
}

TEST_F(SessionRoad, LogonRecordIsBuiltAfreshFromTheSystemsAnswers) {
    DefaultConfigWithLog();
    ASSERT_EQ(StoreConfig(), 0);
    std::string scenario = WriteScenario(remoteId_, {RemoteClient()});
    HostGate gate("GatewellE2eBetweenCalls");
    ASSERT_TRUE(gate.Valid());

    HostProcess host;
    ASSERT_TRUE(StartHost(scenario, {"startup", "pause=GatewellE2eBetweenCalls", "logon"}, &host));
    ASSERT_TRUE(gate.AwaitHosts(1, 30000));
    // Between session start and logon the system now reports another user.
    SessionSpec later = RemoteClient();
    later.user = "bob";
    later.domain = "ELSEWHERE";
    WriteScenario(remoteId_, {later});
    gate.Open();
    ASSERT_EQ(host.Wait(30000), 0u);

    std::vector<std::string> datagrams = sink_->Drain();
    ASSERT_EQ(datagrams.size(), 2u);
    EXPECT_EQ(RecordText(datagrams[0], REC_USER, RECORD_TEXT_WIDTH), "alice");
    EXPECT_EQ(RecordText(datagrams[0], REC_DOMAIN, RECORD_TEXT_WIDTH), "MARROWBY");
    EXPECT_EQ(RecordText(datagrams[1], REC_USER, RECORD_TEXT_WIDTH), "bob");
    EXPECT_EQ(RecordText(datagrams[1], REC_DOMAIN, RECORD_TEXT_WIDTH), "ELSEWHERE");
    bool terminated = false;
    std::vector<std::string> lines = LogLines(ReadTextFile(logPath_), &terminated);
    ASSERT_EQ(lines.size(), 1u);
    std::vector<std::string> f = SplitFields(lines[0]);
    ASSERT_EQ(f.size(), 10u);
    EXPECT_EQ(f[5], "bob");
}

TEST_F(SessionRoad, ConfigurationAppliedLaterReachesOnlyLaterProcesses) {
    DefaultConfigWithLog();
    ASSERT_EQ(StoreConfig(), 0);
    std::string scenario = WriteScenario(remoteId_, {RemoteClient()});
    HostGate gate("GatewellE2eApplyLater");
    ASSERT_TRUE(gate.Valid());

    // This host reads the open configuration with its first call, then waits.
    HostProcess early;
    ASSERT_TRUE(StartHost(scenario, {"console", "pause=GatewellE2eApplyLater", "startup"}, &early));
    ASSERT_TRUE(gate.AwaitHosts(1, 30000));
    ConfigDenyingClientAddress();
    ASSERT_EQ(StoreConfig(), 0);
    gate.Open();
    EXPECT_EQ(early.Wait(30000), 0u) << "the running process kept the configuration it read";

    HostProcess late;
    ASSERT_TRUE(StartHost(scenario, {"startup"}, &late));
    HWND box = AwaitWindowWithCaption(DENY_CAPTION, 30000, late);
    ASSERT_NE(box, nullptr) << "a new process did not see the new configuration";
    PressOk(box);
    EXPECT_EQ(late.Wait(30000), EXIT_CODE_MINUS_ONE);
}

TEST_F(SessionRoad, RecordOfASessionWithoutFactsHoldsOnlyItsIdAndTheZeroAddress) {
    LoadDefaultConfigIntoMemory();
    ASSERT_EQ(StoreConfig(), 0);
    SessionSpec client = RemoteClient();
    // Everything but the session id, which tells the library this is a remote session.
    client.extra = "fail=InitialProgram,ApplicationName,WorkingDirectory,OEMId,UserName,"
                   "WinStationName,DomainName,ConnectState,ClientBuildNumber,ClientName,"
                   "ClientDirectory,ClientProductId,ClientHardwareId,ClientAddress,"
                   "ClientDisplay,ClientProtocolType";
    client.state = 2;
    std::string scenario = WriteScenario(remoteId_, {client});

    ASSERT_EQ(RunHost(scenario, {"startup"}), 0u);

    std::vector<std::string> datagrams = sink_->Drain();
    ASSERT_EQ(datagrams.size(), 1u);
    std::string expected(SESSION_RECORD_SIZE, '\0');
    std::memcpy(&expected[REC_SESSION_ID], &remoteId_, 4);
    std::memcpy(&expected[REC_ADDRESS], "0.0.0.0", 7);
    EXPECT_TRUE(datagrams[0] == expected) << "bytes other than the id and address are set";
    ExpectEveryAnswerFreed(record_);
}
