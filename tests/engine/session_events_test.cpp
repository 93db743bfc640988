// The library's events: what a refusal and an accepted logon report, and what the
// "EventLog" setting lets through. The decisions themselves are the other tests'.
#include "config/audit_only_setting.h"
#include "config/event_log_setting.h"
#include "engine/pipeline.h"
#include "platform/event_log.h"
#include "tests/engine/engine_test.h"

namespace {

class SessionEventsTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        Own("10.0.0.5", "PC-5", "alice").winStationName = "RDP-Tcp#7";
        Machine.consoleSessionId = 0;
    }
    void RefuseByAddress() {
        FilterConfig.FLAG_IPADDRESS = 1;
        AddIpRow("10.0.0.5", "", 0); // a deny row naming the client
        FilterConfig.FLAG_IPADDRESS_ALLOW = 1;
    }
};

TEST_F(SessionEventsTest, RefusalReportsItsCodeFactsAndDecidingEntry) {
    RefuseByAddress();
    TSEventStartup(0);
    ASSERT_EQ(Machine.exits.size(), 1u); // still refused, box and exit as before
    ASSERT_EQ(Machine.events.size(), 1u);
    const ReportedEvent& event = Machine.events[0];
    EXPECT_EQ(event.id, 1001u);
    EXPECT_EQ(event.type, EVENT_LOG_WARNING);
    ASSERT_EQ(event.inserts.size(), 9u);
    EXPECT_EQ(event.inserts[0], "10.0.0.5");
    EXPECT_EQ(event.inserts[1], "PC-5");
    EXPECT_EQ(event.inserts[5], "3");
    EXPECT_EQ(event.inserts[6], "RDP-Tcp#7");
    EXPECT_EQ(event.inserts[7], "IP Address filter");
    EXPECT_NE(event.inserts[8].find("10.0.0.5"), std::string::npos) << event.inserts[8];
}

TEST_F(SessionEventsTest, UnreadableFactReportsElevenHundredsWithoutRuleWords) {
    FilterConfig.FLAG_IPADDRESS = 1;
    Machine.sessions[0].failingQueries.insert(TS_CLIENT_ADDRESS);
    TSEventStartup(0);
    ASSERT_EQ(Machine.events.size(), 1u);
    EXPECT_EQ(Machine.events[0].id, 1101u);
    EXPECT_EQ(Machine.events[0].inserts.size(), 7u);
}

TEST_F(SessionEventsTest, AuditedRefusalsReportWouldHaveBeenRefusedEvents) {
    RefuseByAddress();
    AuditOnlySettingValue = 0x1;
    TSEventStartup(0);
    ASSERT_EQ(Machine.events.size(), 1u);
    EXPECT_EQ(Machine.events[0].id, 1201u);
    EXPECT_EQ(Machine.events[0].type, EVENT_LOG_WARNING);
    EXPECT_EQ(Machine.events[0].inserts.size(), 9u);
    EXPECT_EQ(Machine.events[0].inserts[7], "IP Address filter");
    // An unreadable fact follows the bit of the filter that needs it.
    ResetEngineWorld();
    SetUp();
    FilterConfig.FLAG_SERVEROPTION_SESSIONPERUSER = 1;
    Machine.sessions[0].failingQueries.insert(TS_USER_NAME);
    AuditOnlySettingValue = 0x40;
    TSEventLogon(0);
    ASSERT_EQ(Machine.events.size(), 1u);
    EXPECT_EQ(Machine.events[0].id, 1320u);
    EXPECT_TRUE(Machine.loggedOff.empty());
}

TEST_F(SessionEventsTest, SettingDecidesWhatIsReported) {
    struct Case {
        uint32_t setting;
        size_t refusalEvents;
        size_t acceptedEvents;
    };
    for (const Case& c :
         {Case{EVENT_LOG_SETTING_NONE, 0, 0}, Case{EVENT_LOG_SETTING_REFUSALS, 1, 0},
          Case{EVENT_LOG_SETTING_ALL, 1, 1}}) {
        ResetEngineWorld();
        SetUp();
        EventLogSettingValue = c.setting;
        TSEventStartup(0);
        TSEventLogon(0);
        EXPECT_EQ(Machine.events.size(), c.acceptedEvents) << c.setting;
        if (!Machine.events.empty()) {
            EXPECT_EQ(Machine.events[0].id, 1000u);
            EXPECT_EQ(Machine.events[0].type, EVENT_LOG_INFORMATION);
            EXPECT_EQ(Machine.events[0].inserts[4], "alice");
        }
        Machine.events.clear();
        RefuseByAddress();
        TSEventStartup(0);
        EXPECT_EQ(Machine.events.size(), c.refusalEvents) << c.setting;
        ClearConfigLists();
    }
}

} // namespace
