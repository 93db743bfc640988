// The decision core over a described session: what decided each filter (rule, row,
// code, box), that facts are read only when a filter reaches them, that room made by
// a disconnected session admits, and that deciding touches nothing outside.
#include <vector>

#include "engine/decision_core.h"
#include "engine/described_session.h"
#include "engine/rejection.h"
#include "tests/engine/engine_test.h"

namespace {

// Remembers which facts the core asked for, in order.
class AskedFacts : public DescribedFacts {
public:
    using DescribedFacts::DescribedFacts;
    std::vector<const char*> asked;

    int ClientAddress(uint32_t* address) override {
        asked.push_back("address");
        return DescribedFacts::ClientAddress(address);
    }
    int ClientName(char* name, size_t size) override {
        asked.push_back("name");
        return DescribedFacts::ClientName(name, size);
    }
    int ClientMac(const char* addressText, char* text) override {
        asked.push_back("mac");
        return DescribedFacts::ClientMac(addressText, text);
    }
    void LocalTime(LocalDateTime* now) override {
        asked.push_back("time");
        DescribedFacts::LocalTime(now);
    }
    int DisconnectedSessionKnown() override { return disconnectedKnown; }
    int disconnectedKnown = 0;
};

DescribedSession Client() {
    DescribedSession s;
    s.address = 10u << 24 | 5; // 10.0.0.5
    s.hasName = true;
    s.name = "PC-5";
    s.hasMac = true;
    const uint8_t mac[6] = {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E};
    std::copy(mac, mac + 6, s.mac);
    s.hasBuild = true;
    s.build = 2600;
    s.hasUser = true;
    s.user = "alice";
    s.at = LocalDateTime{2026, 12, 7, 1, 12, 0, 0}; // a Monday
    s.hasSessionsFromIp = s.hasSessionsOfUser = true;
    return s;
}

using CoreTest = EngineTest;

TEST_F(CoreTest, EachFilterSaysWhatDecided) {
    struct Case {
        FilterId filter;
        void (*configure)();
        FilterOutcome outcome;
        RuleKind rule;
        size_t row;
        int32_t code;
    };
    const Case cases[] = {
        {FILTER_IPADDRESS,
         [] {
             FilterConfig.FLAG_IPADDRESS = 1;
             FilterConfig.FLAG_IPADDRESS_ALLOW = 1;
             AddIpRow("10.0.0.9", "", ROW_LOGON_DISABLED);
             AddIpRow("10.0.0.0", "10.0.0.255", ROW_LOGON_DISABLED);
         },
         FILTER_REFUSES, RULE_DENY_ROW, 1, REJECT_IPADDRESS},
        {FILTER_COMPUTERNAME,
         [] {
             FilterConfig.FLAG_COMPUTERNAME = 1;
             AddComputerNameRow("LAB-*", ROW_LOGON_ENABLED);
             AddComputerNameRow("pc-*", ROW_LOGON_ENABLED);
         },
         FILTER_PASSES, RULE_ALLOW_ROW, 1, 0},
        {FILTER_MACADDRESS,
         [] {
             FilterConfig.FLAG_MACADDRESS = 1;
             AddMacRow("00-1A-2B-3C-4D-5F", ROW_LOGON_ENABLED);
         },
         FILTER_REFUSES, RULE_NO_ALLOW_ROW_MATCHED, 0, REJECT_MACADDRESS},
        {FILTER_TIME,
         [] {
             FilterConfig.FLAG_TIME = 1;
             FilterConfig.WEEK_W1 = 1;
             FilterConfig.TIME_BETWEEN = 1;
             CopyToField(FilterConfig.TIME_FROM, "13:00:00");
             CopyToField(FilterConfig.TIME_TO, "17:00:00");
         },
         FILTER_REFUSES, RULE_DAY_WINDOW, 0, REJECT_TIMERESTRICTION},
        {FILTER_VERSION,
         [] {
             FilterConfig.FLAG_VERSION = 1;
             CopyToField(FilterConfig.VERLOWER, "2601");
         },
         FILTER_PASSES, RULE_VERSION, 0, 0},
        {FILTER_SESSIONCOUNT_IP,
         [] {
             FilterConfig.FLAG_SERVEROPTION = 1;
             AddSessionIpRow("10.0.0.4", 5);
             AddSessionIpRow("10.0.0.5", 0);
         },
         FILTER_REFUSES, RULE_LIMIT_FROM_ROW, 1, REJECT_SESSIONPERIP},
        {FILTER_SESSIONCOUNT_USER,
         [] {
             FilterConfig.FLAG_SERVEROPTION_SESSIONPERUSER = 1;
             FilterConfig.FLAG_SESSION_PER_USER_DEFAULT = 1;
             FilterConfig.SESSIONPERUSER_COUNT = 1;
         },
         FILTER_PASSES, RULE_LIMIT_DEFAULT, 0, 0},
    };
    for (const Case& c : cases) {
        ResetEngineWorld();
        EngineTest::SetUp();
        c.configure();
        DescribedSession session = Client();
        DescribedFacts facts(session);
        FilterVerdict v = DecideFilter(c.filter, FilterConfig, facts);
        SCOPED_TRACE(FilterName(c.filter));
        EXPECT_EQ(v.outcome, c.outcome);
        EXPECT_EQ(v.rule, c.rule);
        EXPECT_EQ(v.row, c.row);
        EXPECT_EQ(v.code, c.code);
        ClearConfigLists();
    }
}

TEST_F(CoreTest, UnreadableFactRefusesWithItsOwnBox) {
    FilterConfig.FLAG_COMPUTERNAME = 1;
    FilterConfig.FLAG_COMPUTERNAME_ALLOW = 1;
    DescribedSession session = Client();
    session.hasName = false;
    DescribedFacts facts(session);
    FilterVerdict v = DecideFilter(FILTER_COMPUTERNAME, FilterConfig, facts);
    EXPECT_EQ(v.outcome, FILTER_REFUSES);
    EXPECT_EQ(v.unavailable, FACT_NAME);
    EXPECT_EQ(v.code, REJECT_FAIL_GETCOMPUTERNAME);
    EXPECT_STREQ(v.caption, "Error!");
    EXPECT_STREQ(v.message, "In ValidateClientName(), GetClientName() failed!");
}

TEST_F(CoreTest, FactsAreReadOnlyWhenReachedAndARefusalStopsTheSequence) {
    FilterConfig.FLAG_COMPUTERNAME = 2; // off: not exactly 1
    FilterConfig.FLAG_MACADDRESS = 1;   // refuses by default
    FilterConfig.FLAG_TIME = 1;
    DescribedSession session = Client();
    AskedFacts facts(session);
    SessionDecision decision;
    DecideSession(FilterConfig, facts, &decision);
    EXPECT_EQ(facts.asked, (std::vector<const char*>{"address", "mac"}));
    EXPECT_FALSE(decision.admitted);
    EXPECT_EQ(decision.refusedBy, FILTER_MACADDRESS);
    EXPECT_EQ(decision.filters[FILTER_COMPUTERNAME].outcome, FILTER_OFF);
    EXPECT_EQ(decision.filters[FILTER_COMPUTERNAME].onSwitch, 2);
    EXPECT_EQ(decision.filters[FILTER_TIME].outcome, FILTER_NOT_REACHED);
    EXPECT_STREQ(decision.caption, "title mac");
    EXPECT_STREQ(decision.message, "msg mac");
}

TEST_F(CoreTest, OverTheLimitPassesOnlyWhenADisconnectedSessionCanMakeRoom) {
    FilterConfig.FLAG_SERVEROPTION_SESSIONPERUSER = 1;
    AddSessionUserRow("ALICE", 1);
    FilterConfig.FLAG_USER_REMOVE_DISCONNECTED = 1;
    DescribedSession session = Client();
    session.sessionsOfUser = 2;
    AskedFacts facts(session);
    SessionDecision decision;
    DecideSession(FilterConfig, facts, &decision);
    EXPECT_EQ(decision.code, REJECT_SESSIONPERUSER);
    EXPECT_TRUE(decision.filters[FILTER_SESSIONCOUNT_USER].makeRoom);
    facts.disconnectedKnown = 1;
    DecideSession(FilterConfig, facts, &decision);
    EXPECT_TRUE(decision.admitted);
    EXPECT_TRUE(decision.filters[FILTER_SESSIONCOUNT_USER].roomMade);
}

TEST_F(CoreTest, AuditedFilterLetsTheSequenceGoOnToAnEnforcingOne) {
    // Bits follow the refusal codes, not the order the filters run in.
    EXPECT_EQ(FilterAuditBit(FILTER_TIME), 0x10u);
    EXPECT_EQ(FilterAuditBit(FILTER_VERSION), 0x8u);
    EXPECT_EQ(FilterAuditBit(FILTER_SESSIONCOUNT_USER), 0x40u);
    FilterConfig.FLAG_IPADDRESS = 1;
    AddIpRow("10.0.0.5", "", ROW_LOGON_DISABLED);
    FilterConfig.FLAG_MACADDRESS = 1; // refuses by default
    DescribedSession session = Client();
    DescribedFacts facts(session);
    SessionDecision decision;
    DecideSession(FilterConfig, facts, &decision, 0x1);
    EXPECT_TRUE(decision.filters[FILTER_IPADDRESS].audited);
    EXPECT_EQ(decision.filters[FILTER_IPADDRESS].code, REJECT_IPADDRESS);
    EXPECT_EQ(decision.audited, 0x1u);
    EXPECT_EQ(decision.auditedBy, FILTER_IPADDRESS);
    EXPECT_FALSE(decision.admitted);
    EXPECT_EQ(decision.refusedBy, FILTER_MACADDRESS);
    EXPECT_FALSE(decision.filters[FILTER_MACADDRESS].audited);
    DecideSession(FilterConfig, facts, &decision, 0x1 | 0x4);
    EXPECT_TRUE(decision.admitted);
    EXPECT_EQ(decision.code, 0);
    EXPECT_EQ(decision.audited, 0x5u);
    EXPECT_EQ(decision.filters[FILTER_TIME].outcome, FILTER_OFF); // reached
}

TEST_F(CoreTest, DecidingDoesNothingOutside) {
    FilterConfig.FLAG_IPADDRESS = 1;
    AddIpRow("10.0.0.5", "", ROW_LOGON_DISABLED);
    DescribedSession session = Client();
    DescribedFacts facts(session);
    SessionDecision decision;
    DecideSession(FilterConfig, facts, &decision);
    EXPECT_EQ(decision.code, REJECT_IPADDRESS);
    EXPECT_EQ(FilterConfig.ipRanges.size(), 1u); // a library rejection would free them
    EXPECT_EQ(Machine.tsCalls, 0);
    EXPECT_TRUE(Machine.messages.empty());
    EXPECT_TRUE(Machine.exits.empty());
    EXPECT_TRUE(LogLines(LOG_FILE).empty());
}

} // namespace
