// The two entry points end to end over the in-memory server: console sessions left
// alone, one datagram per call, the order of the start-up filters, "Accepted" only at
// logon, nothing escaping to the host.
#include <cstdlib>
#include <cstring>
#include <string>

#include "config/audit_only_setting.h"
#include "engine/engine_state.h"
#include "engine/pipeline.h"
#include "engine/rejection.h"
#include "engine/helper_exports.h"
#include "engine/session_facts.h"
#include "tests/engine/engine_test.h"

namespace {

class PipelineTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        Own("10.0.0.5", "PC-5", "alice");
        Machine.consoleSessionId = 0;
        FilterConfig.FLAG_LOGON_LOGS = 1;
        CopyToField(FilterConfig.LOGON_LOGFILE, "logon.log");
        // Every start-up filter on, none that would reject by itself.
        FilterConfig.FLAG_IPADDRESS = 1;
        FilterConfig.FLAG_IPADDRESS_ALLOW = 1;
        FilterConfig.FLAG_COMPUTERNAME = 1;
        FilterConfig.FLAG_COMPUTERNAME_ALLOW = 1;
        FilterConfig.FLAG_MACADDRESS = 1;
        FilterConfig.FLAG_MACADDRESS_ALLOW = 1;
        AddArpEntry("10.0.0.5", {1, 2, 3, 4, 5, 6});
        FilterConfig.FLAG_TIME = 1;
        FilterConfig.WEEK_W1 = 1; // the clock says Monday noon
        FilterConfig.FLAG_VERSION = 1;
        FilterConfig.FLAG_SERVEROPTION = 1;
        FilterConfig.FLAG_SERVEROPTION_CHECK_TYPE = 1;
        FilterConfig.SESSION_PER_IP = 1;
    }
    std::vector<std::string> Log() { return LogLines("logon.log"); }
};

// Each export is called first in a fresh process: the death test runs this test
// alone in a new one. That first call loads the library, and no later call does.
TEST_F(PipelineTest, LoadingRunsOnceWhateverExportComesFirst) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    using Call = void (*)();
    static const Call exports[] = {
        [] { TSEventStartup(0); },
        [] { TSEventLogon(0); },
        [] { VerifyUser_Startup(0); },
        [] { VerifyUser_Logon(0); },
        [] {
            uint32_t count = 0;
            GetCountOfSessionWithTheSameIP(nullptr, 0x0A000005, &count);
        },
        [] { GetRemoteMac("10.0.0.5", 0, nullptr, nullptr); },
        [] { IsConsoleSession(); },
        [] { stristr("a", "A"); },
    };
    for (size_t first = 0; first < sizeof exports / sizeof exports[0]; ++first) {
        EXPECT_EXIT(
            {
                exports[first]();
                const bool loadedByFirst = LibraryLoads == 1;
                for (Call call : exports)
                    call();
                std::_Exit(loadedByFirst && LibraryLoads == 1 ? 0 : 1);
            },
            ::testing::ExitedWithCode(0), "")
            << "export " << first;
    }
}

TEST_F(PipelineTest, ConsoleSessionDoesNothingAtAll) {
    Machine.consoleSessionId = 3;
    FilterConfig.FLAG_IPADDRESS_ALLOW = 0; // would reject
    SessionRejected = 1;
    TSEventStartup(0);
    TSEventLogon(0);
    EXPECT_TRUE(Machine.datagrams.empty());
    EXPECT_TRUE(Machine.messages.empty());
    EXPECT_TRUE(Machine.exits.empty());
    EXPECT_TRUE(Machine.files.empty());
    EXPECT_EQ(SessionRejected, 1); // not even reset
}

TEST_F(PipelineTest, PassingStartSendsOneDatagramAndLogsNothing) {
    TSEventStartup(0);
    ASSERT_EQ(Machine.datagrams.size(), 1u);
    EXPECT_EQ(Machine.datagrams[0].size(), 1128u);
    EXPECT_TRUE(Machine.exits.empty());
    EXPECT_TRUE(Machine.messages.empty());
    EXPECT_TRUE(Log().empty());
    EXPECT_STREQ(SessionRecord.clientMac, "01-02-03-04-05-06");
}

TEST_F(PipelineTest, IpRejectionStopsEveryLaterFilter) {
    FilterConfig.FLAG_IPADDRESS_ALLOW = 0;
    // Each later filter would fail loudly if it ran: no name, no ARP, closed day,
    // no build, over the per-IP limit.
    Machine.sessions[0].failingQueries = {TS_CLIENT_NAME, TS_CLIENT_BUILD_NUMBER};
    Machine.arpTable.clear();
    FilterConfig.WEEK_W1 = 0;
    AddSession(4, "10.0.0.5");
    const long callsBefore = Machine.tsCalls;
    TSEventStartup(0);
    EXPECT_EQ(Machine.exits, std::vector<int>{-1});
    EXPECT_EQ(OnlyMessage(), "title ip|msg ip");
    ASSERT_EQ(Log().size(), 1u);
    EXPECT_NE(Log()[0].find(",Rejected,REJECT_IPADDRESS,\r\n"), std::string::npos);
    EXPECT_EQ(Machine.datagrams.size(), 1u);
    EXPECT_GT(Machine.tsCalls, callsBefore);
}

TEST_F(PipelineTest, AuditedRefusalIsLoggedAndTheSessionGoesOnToAnEnforcingFilter) {
    FilterConfig.FLAG_IPADDRESS_ALLOW = 0;
    AuditOnlySettingValue = 0x1 | 0x80; // 0x80 names no filter
    TSEventStartup(0);
    EXPECT_TRUE(Machine.messages.empty());
    EXPECT_TRUE(Machine.exits.empty());
    ASSERT_EQ(Log().size(), 1u);
    EXPECT_NE(Log()[0].find(",alice,3,Audited,REJECT_IPADDRESS,\r\n"), std::string::npos)
        << Log()[0];
    TSEventLogon(0);
    ASSERT_EQ(Log().size(), 2u);
    EXPECT_NE(Log()[1].find(",Accepted,,\r\n"), std::string::npos) << Log()[1];

    // An enforcing filter after it still refuses, its rows there to decide.
    FilterConfig.FLAG_COMPUTERNAME_ALLOW = 0;
    TSEventStartup(0);
    EXPECT_EQ(OnlyMessage(), "title name|msg name");
    EXPECT_EQ(Machine.exits, std::vector<int>{-1});
    ASSERT_EQ(Log().size(), 4u);
    EXPECT_NE(Log()[2].find(",Audited,REJECT_IPADDRESS,"), std::string::npos);
    EXPECT_NE(Log()[3].find(",Rejected,REJECT_COMPUTERNAME,"), std::string::npos);
}

TEST_F(PipelineTest, AuditedSessionLimitLogsNoOneOff) {
    FilterConfig.FLAG_SERVEROPTION_SESSIONPERUSER = 1;
    FilterConfig.FLAG_USER_REMOVE_DISCONNECTED = 1;
    AddSessionUserRow("alice", 1);
    AddSession(4, "10.9.9.9", "", "alice").state = 4; // disconnected: room to make
    AuditOnlySettingValue = 0x40;
    TSEventLogon(0);
    EXPECT_TRUE(Machine.loggedOff.empty());
    ASSERT_EQ(Log().size(), 1u); // it would have made room: nothing audited
    EXPECT_NE(Log()[0].find(",Accepted,,"), std::string::npos);
    Machine.sessions.back().state = 0;
    TSEventLogon(0);
    EXPECT_TRUE(Machine.loggedOff.empty());
    ASSERT_EQ(Log().size(), 3u);
    EXPECT_NE(Log()[1].find(",Audited,REJECT_SESSIONPERUSER,"), std::string::npos);
    EXPECT_EQ(SessionRejected, 0);
}

TEST_F(PipelineTest, StartUpOrderIsIpNameMacTimeVersionCount) {
    // Make every filter reject, then let them pass one by one from the front: the
    // rejecting one is always the first still failing.
    struct Step {
        const char* caption;
        void (*allow)();
    };
    const Step steps[] = {
        {"title ip", [] { FilterConfig.FLAG_IPADDRESS_ALLOW = 1; }},
        {"title name", [] { FilterConfig.FLAG_COMPUTERNAME_ALLOW = 1; }},
        {"title mac", [] { FilterConfig.FLAG_MACADDRESS_ALLOW = 1; }},
        {"title time", [] { FilterConfig.WEEK_W1 = 1; }},
        {"title version", [] { FilterConfig.VERHIGHER[0] = '\0'; }},
        {"title per ip", [] { FilterConfig.SESSION_PER_IP = 5; }},
    };
    FilterConfig.FLAG_IPADDRESS_ALLOW = 0;
    FilterConfig.FLAG_COMPUTERNAME_ALLOW = 0;
    FilterConfig.FLAG_MACADDRESS_ALLOW = 0;
    FilterConfig.WEEK_W1 = 0;
    CopyToField(FilterConfig.VERHIGHER, "9999");
    AddSession(4, "10.0.0.5");
    for (const Step& step : steps) {
        Machine.messages.clear();
        TSEventStartup(0);
        ASSERT_EQ(Machine.messages.size(), 1u) << step.caption;
        EXPECT_EQ(Machine.messages[0].caption, step.caption);
        step.allow();
    }
    Machine.messages.clear();
    Machine.exits.clear();
    TSEventStartup(0);
    EXPECT_TRUE(Machine.messages.empty());
    EXPECT_TRUE(Machine.exits.empty());
}

TEST_F(PipelineTest, StartNeverWritesAcceptedLogonDoes) {
    TSEventStartup(0);
    EXPECT_TRUE(Log().empty());
    TSEventLogon(0);
    ASSERT_EQ(Log().size(), 1u);
    EXPECT_NE(Log()[0].find(",alice,3,Accepted,,\r\n"), std::string::npos);
    EXPECT_EQ(Machine.datagrams.size(), 2u); // one at start, one at logon
}

TEST_F(PipelineTest, LoggingOffWritesNoAcceptedLine) {
    FilterConfig.FLAG_LOGON_LOGS = 2; // "equals 1" is the test
    TSEventLogon(0);
    EXPECT_TRUE(Machine.files.empty());
    EXPECT_EQ(Machine.datagrams.size(), 1u);
}

TEST_F(PipelineTest, PerUserRejectionAtLogonLogsOnceAndLogsOff) {
    FilterConfig.FLAG_SERVEROPTION_SESSIONPERUSER = 1;
    AddSessionUserRow("alice", 1);
    AddSession(4, "10.9.9.9", "", "ALICE");
    TSEventLogon(0);
    ASSERT_EQ(Log().size(), 1u);
    EXPECT_NE(Log()[0].find(",Rejected,REJECT_SESSIONPERUSER,\r\n"), std::string::npos);
    EXPECT_EQ(Machine.loggedOff, std::vector<uint32_t>{TS_CURRENT_SESSION});
    EXPECT_TRUE(Machine.exits.empty());
    EXPECT_EQ(SessionRejected, 1);
}

TEST_F(PipelineTest, LogonRecordIsBuiltAfresh) {
    TSEventStartup(0);
    EXPECT_STREQ(SessionRecord.userName, "alice");
    Machine.sessions[0].userName = "bob";
    Machine.sessions[0].domainName = "CORP";
    TSEventLogon(0);
    EXPECT_STREQ(SessionRecord.userName, "bob");
    EXPECT_STREQ(SessionRecord.domainName, "CORP");
    SessionEventRecord sent;
    ASSERT_EQ(Machine.datagrams.size(), 2u);
    memcpy(&sent, Machine.datagrams[1].data(), sizeof sent);
    EXPECT_STREQ(sent.userName, "bob");
}

TEST_F(PipelineTest, StartResetsRejectionLogonDoesNot) {
    SessionRejected = 1;
    TSEventLogon(0);
    EXPECT_TRUE(Log().empty()); // a rejected session is never "Accepted"
    TSEventStartup(0);
    EXPECT_EQ(SessionRejected, 0);
}

TEST_F(PipelineTest, DatagramFailuresDoNotAffectFilters) {
    Machine.socketFails = true;
    FilterConfig.FLAG_IPADDRESS_ALLOW = 0;
    TSEventStartup(0);
    EXPECT_TRUE(Machine.datagrams.empty());
    EXPECT_EQ(Machine.exits, std::vector<int>{-1});
    Machine.socketFails = false;
    Machine.connectFails = true;
    Machine.exits.clear();
    TSEventLogon(0);
    EXPECT_TRUE(Machine.datagrams.empty());
}

TEST_F(PipelineTest, VerifyEntriesSkipConsoleCheckDatagramAndReset) {
    Machine.consoleSessionId = 3;
    SessionRejected = 1;
    FilterConfig.FLAG_IPADDRESS_ALLOW = 0;
    VerifyUser_Startup(0);
    EXPECT_EQ(Machine.exits, std::vector<int>{-1});
    EXPECT_TRUE(Machine.datagrams.empty());
    FilterConfig.FLAG_SERVEROPTION_SESSIONPERUSER = 1;
    FilterConfig.FLAG_SESSION_PER_USER_DEFAULT = 1;
    FilterConfig.SESSIONPERUSER_COUNT = 0;
    VerifyUser_Logon(0);
    EXPECT_EQ(Machine.loggedOff, std::vector<uint32_t>{TS_CURRENT_SESSION});
}

TEST_F(PipelineTest, NothingEscapesTheExports) {
    // The fake exit throws, as would anything unexpected inside a filter; the
    // exports return normally all the same.
    FilterConfig.FLAG_IPADDRESS_ALLOW = 0;
    EXPECT_NO_THROW(TSEventStartup(0));
    EXPECT_NO_THROW(VerifyUser_Startup(0));
    Machine.sessions[0].failingQueries.insert(TS_USER_NAME);
    FilterConfig.FLAG_SERVEROPTION_SESSIONPERUSER = 1;
    EXPECT_NO_THROW(TSEventLogon(0));
    EXPECT_NO_THROW(VerifyUser_Logon(0));
    EXPECT_EQ(Machine.exits.size(), 4u);
}

} // namespace
