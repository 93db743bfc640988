// The IP address, computer name and MAC address filters and their shared rule: deny
// wins, allow rows make the default irrelevant, the default decides an allow-less
// table.
#include <string>

#include "engine/engine_state.h"
#include "engine/filters.h"
#include "engine/rejection.h"
#include "tests/engine/engine_test.h"

namespace {

class IpFilterTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        FilterConfig.FLAG_IPADDRESS = 1;
    }
    // The exit code, or NO_EXIT when the client at `address` passes.
    int Check(const char* address) {
        Machine.sessions.clear();
        Machine.messages.clear();
        RestoreRows();
        Own(address);
        return ExitCodeOf([] { EXPECT_EQ(ValidateIPAddress(), 1); });
    }
};

TEST_F(IpFilterTest, OffOnlyWhenFlagIsNotExactlyOne) {
    // "equals 1" is the test, not "not 0", for each of the three filters.
    FilterConfig.FLAG_IPADDRESS = FilterConfig.FLAG_COMPUTERNAME = FilterConfig.FLAG_MACADDRESS = 2;
    EXPECT_EQ(Check("1.2.3.4"), NO_EXIT);
    EXPECT_EQ(ValidateClientName(), 1);
    EXPECT_EQ(ValidateMACAddress(), 1);
    EXPECT_TRUE(Machine.messages.empty());
}

TEST_F(IpFilterTest, EmptyTableFollowsDefaultSwitch) {
    EXPECT_EQ(Check("1.2.3.4"), -1);
    EXPECT_EQ(OnlyMessage(), "title ip|msg ip");
    EXPECT_EQ(LoggedDecision(), "Rejected,REJECT_IPADDRESS,");
    ASSERT_EQ(Machine.messages.size(), 1u);
    EXPECT_EQ(Machine.messages[0].timeoutMs, 10000u);
    EXPECT_EQ(Machine.messages[0].style, 0u);
    FilterConfig.FLAG_IPADDRESS_ALLOW = 2; // "not 0" is the test
    EXPECT_EQ(Check("1.2.3.4"), NO_EXIT);
}

TEST_F(IpFilterTest, DenyRowsOnlyWithDefaultRefuseRejectEveryone) {
    AddIpRow("192.168.1.5", "", ROW_LOGON_DISABLED);
    EXPECT_EQ(Check("192.168.1.5"), -1);
    EXPECT_EQ(Check("192.168.1.6"), -1);
    FilterConfig.FLAG_IPADDRESS_ALLOW = 1;
    EXPECT_EQ(Check("192.168.1.5"), -1);
    EXPECT_EQ(Check("192.168.1.6"), NO_EXIT);
}

TEST_F(IpFilterTest, AllowRowsMakeDefaultIrrelevant) {
    FilterConfig.FLAG_IPADDRESS_ALLOW = 1;
    AddIpRow("10.0.0.0", "10.0.0.255", ROW_LOGON_ENABLED);
    EXPECT_EQ(Check("10.0.0.77"), NO_EXIT);
    EXPECT_EQ(Check("10.0.1.0"), -1); // default allow does not help an unlisted client
}

TEST_F(IpFilterTest, DenyWinsOverAllowForSameAddressWhateverTheOrder) {
    AddIpRow("10.0.0.5", "", ROW_LOGON_ENABLED);
    AddIpRow("10.0.0.5", "", ROW_LOGON_DISABLED);
    EXPECT_EQ(Check("10.0.0.5"), -1);
}

TEST_F(IpFilterTest, RangeIncludesBothEnds) {
    AddIpRow("10.0.0.0", "10.0.0.255", ROW_LOGON_ENABLED);
    EXPECT_EQ(Check("10.0.0.0"), NO_EXIT);
    EXPECT_EQ(Check("10.0.0.255"), NO_EXIT);
    EXPECT_EQ(Check("9.255.255.255"), -1);
}

TEST_F(IpFilterTest, EmptyOrZeroLedIptoIsASingleAddress) {
    AddIpRow("192.168.1.5", "", ROW_LOGON_ENABLED);
    AddIpRow("172.16.0.1", "0.0.0.0", ROW_LOGON_ENABLED);
    AddIpRow("172.20.0.1", "0.9.9.9", ROW_LOGON_ENABLED);
    EXPECT_EQ(Check("192.168.1.5"), NO_EXIT);
    EXPECT_EQ(Check("192.168.1.6"), -1);
    EXPECT_EQ(Check("172.16.0.1"), NO_EXIT);
    EXPECT_EQ(Check("172.16.0.2"), -1);
    EXPECT_EQ(Check("172.20.0.2"), -1);
}

TEST_F(IpFilterTest, ReversedRangeMatchesNothing) {
    AddIpRow("10.0.0.9", "10.0.0.1", ROW_LOGON_ENABLED);
    EXPECT_EQ(Check("10.0.0.5"), -1);
    EXPECT_EQ(Check("10.0.0.9"), -1);
}

TEST_F(IpFilterTest, RangeComparesUnsignedAcrossTheSignBit) {
    AddIpRow("127.0.0.0", "200.0.0.0", ROW_LOGON_ENABLED);
    EXPECT_EQ(Check("128.0.0.1"), NO_EXIT);
    EXPECT_EQ(Check("200.0.0.1"), -1);
}

TEST_F(IpFilterTest, NumbersAreCutToTheirLowEightBits) {
    AddIpRow("266.0.0.1", "", ROW_LOGON_ENABLED); // 266 & 0xFF == 10
    EXPECT_EQ(Check("10.0.0.1"), NO_EXIT);
}

TEST_F(IpFilterTest, OtherTypeTakesPartInBothPasses) {
    AddIpRow("10.0.0.5", "", 7);
    FilterConfig.FLAG_IPADDRESS_ALLOW = 1;
    EXPECT_EQ(Check("10.0.0.5"), -1); // denied by the deny pass
    EXPECT_EQ(Check("10.0.0.6"), -1); // and counts as an allow row for everyone else
}

TEST_F(IpFilterTest, MalformedRowMatchesNothing) {
    AddIpRow("not an address", "", ROW_LOGON_DISABLED);
    FilterConfig.FLAG_IPADDRESS_ALLOW = 1;
    EXPECT_EQ(Check("0.0.0.0"), NO_EXIT);
}

TEST_F(IpFilterTest, AddressFailureRejectsWithFilterTextsAndCodeMinusOne) {
    Own().failingQueries.insert(TS_CLIENT_ADDRESS);
    FilterConfig.FLAG_IPADDRESS_ALLOW = 1;
    EXPECT_EQ(ExitCodeOf([] { ValidateIPAddress(); }), -1);
    EXPECT_EQ(OnlyMessage(), "title ip|msg ip");
    EXPECT_EQ(LoggedDecision(), "Rejected,REJECT_FAIL_GETIPADDRESS,");
}

TEST_F(IpFilterTest, ShortAddressAnswerIsAFailedQuery) {
    Own().rawAnswers[TS_CLIENT_ADDRESS] = std::string("\x02\0\0\0\x0a", 5);
    FilterConfig.FLAG_IPADDRESS_ALLOW = 1;
    EXPECT_EQ(ExitCodeOf([] { ValidateIPAddress(); }), -1);
}

TEST_F(IpFilterTest, RejectionReleasesRowsAndMarksSession) {
    AddIpRow("10.0.0.5", "", ROW_LOGON_DISABLED);
    AddComputerNameRow("X", ROW_LOGON_ENABLED);
    EXPECT_EQ(Check("10.0.0.5"), -1);
    EXPECT_TRUE(FilterConfig.ipRanges.empty());
    EXPECT_TRUE(FilterConfig.computerNames.empty());
    EXPECT_EQ(SessionRejected, 1);
    EXPECT_EQ(Machine.exits, std::vector<int>{-1});
}

class ComputerNameFilterTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        FilterConfig.FLAG_COMPUTERNAME = 1;
    }
    int Check(const char* name) {
        Machine.sessions.clear();
        Machine.messages.clear();
        RestoreRows();
        Own("10.0.0.5", name);
        return ExitCodeOf([] { EXPECT_EQ(ValidateClientName(), 1); });
    }
};

TEST_F(ComputerNameFilterTest, WholeNameComparedIgnoringCase) {
    AddComputerNameRow("Lab-PC", ROW_LOGON_ENABLED);
    EXPECT_EQ(Check("LAB-pc"), NO_EXIT);
    EXPECT_EQ(Check("LAB-PC2"), -1); // a listed prefix alone does not match
    EXPECT_EQ(OnlyMessage(), "title name|msg name");
    EXPECT_EQ(LoggedDecision(), "Rejected,REJECT_COMPUTERNAME,");
}

TEST_F(ComputerNameFilterTest, StarMatchesEveryName) {
    AddComputerNameRow("*", ROW_LOGON_ENABLED);
    EXPECT_EQ(Check("anything"), NO_EXIT);
    EXPECT_EQ(Check(""), NO_EXIT);
}

TEST_F(ComputerNameFilterTest, WildcardDenyBeatsExactAllow) {
    AddComputerNameRow("KIOSK-7", ROW_LOGON_ENABLED);
    AddComputerNameRow("kiosk-*", ROW_LOGON_DISABLED);
    EXPECT_EQ(Check("KIOSK-7"), -1);
}

TEST_F(ComputerNameFilterTest, EmptyNameRowsAndOtherTypesTakeNoPart) {
    FilterConfig.FLAG_COMPUTERNAME_ALLOW = 1;
    AddComputerNameRow("", ROW_LOGON_ENABLED);  // would otherwise make it allow-only
    AddComputerNameRow("", ROW_LOGON_DISABLED); // would otherwise match an empty name
    AddComputerNameRow("PC-5", 3);
    EXPECT_EQ(Check("PC-5"), NO_EXIT);
    EXPECT_EQ(Check(""), NO_EXIT);
}

TEST_F(ComputerNameFilterTest, NameFailureUsesErrorTexts) {
    Own().failingQueries.insert(TS_CLIENT_NAME);
    EXPECT_EQ(ExitCodeOf([] { ValidateClientName(); }), -1);
    EXPECT_EQ(OnlyMessage(), "Error!|In ValidateClientName(), GetClientName() failed!");
    EXPECT_EQ(LoggedDecision(), "Rejected,REJECT_FAIL_GETCOMPUTERNAME,");
}

TEST_F(ComputerNameFilterTest, OverlongClientNameIsCutToTheBuffer) {
    std::string longName(300, 'A');
    AddComputerNameRow(std::string(63, 'a').c_str(), ROW_LOGON_ENABLED);
    EXPECT_EQ(Check(longName.c_str()), NO_EXIT); // the first 63 characters are compared
}

class MacFilterTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        FilterConfig.FLAG_MACADDRESS = 1;
        Own("10.0.0.5");
    }
};

TEST_F(MacFilterTest, LowerCaseRowMatchesUpperCaseReport) {
    AddArpEntry("10.0.0.5", {0x00, 0x1a, 0x2B, 0xc3, 0xD4, 0xe5});
    AddMacRow("00-1a-2b-c3-d4-e5", ROW_LOGON_ENABLED);
    EXPECT_EQ(ExitCodeOf([] { EXPECT_EQ(ValidateMACAddress(), 1); }), NO_EXIT);
}

TEST_F(MacFilterTest, OtherSeparatorsNeverMatch) {
    AddArpEntry("10.0.0.5", {0x00, 0x1a, 0x2B, 0xc3, 0xD4, 0xe5});
    AddMacRow("00:1A:2B:C3:D4:E5", ROW_LOGON_ENABLED);
    AddMacRow("001A2BC3D4E5", ROW_LOGON_ENABLED);
    EXPECT_EQ(ExitCodeOf([] { ValidateMACAddress(); }), -1);
    EXPECT_EQ(OnlyMessage(), "title mac|msg mac");
    EXPECT_EQ(LoggedDecision(), "Rejected,REJECT_MACADDRESS,");
}

// Rows of another type are neither deny nor allow rows: they never match, and never
// make the table allow-only.
TEST_F(MacFilterTest, OtherTypesTakeNoPart) {
    AddArpEntry("10.0.0.5", {0x00, 0x1a, 0x2B, 0xc3, 0xD4, 0xe5});
    AddMacRow("00-1A-2B-C3-D4-E5", 2);
    FilterConfig.FLAG_MACADDRESS_ALLOW = 1;
    EXPECT_EQ(ExitCodeOf([] { EXPECT_EQ(ValidateMACAddress(), 1); }), NO_EXIT);
    FilterConfig.FLAG_MACADDRESS_ALLOW = 0;
    EXPECT_EQ(ExitCodeOf([] { ValidateMACAddress(); }), -1);
}

TEST_F(MacFilterTest, ArpFailureRejectsEvenWhenTableWouldAdmit) {
    FilterConfig.FLAG_MACADDRESS_ALLOW = 1;
    EXPECT_EQ(ExitCodeOf([] { ValidateMACAddress(); }), -1);
    EXPECT_EQ(OnlyMessage(), "Error!|In ValidateMACAddress(), GetRemoteMac() failed!");
    EXPECT_EQ(LoggedDecision(), "Rejected,REJECT_FAIL_GETMACADDRESS,");
}

TEST_F(MacFilterTest, AddressFailureUsesItsOwnText) {
    Machine.sessions[0].failingQueries.insert(TS_CLIENT_ADDRESS);
    EXPECT_EQ(ExitCodeOf([] { ValidateMACAddress(); }), -1);
    EXPECT_EQ(OnlyMessage(), "Error!|In ValidateMACAddress(), GetClientIPAddress() failed!");
    EXPECT_EQ(LoggedDecision(), "Rejected,REJECT_FAIL_GETIPADDRESS,");
}

} // namespace
