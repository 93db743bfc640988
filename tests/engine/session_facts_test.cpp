// Session facts: the console-session test, the two counts, logging off a
// disconnected session, the remote MAC and the administrator name.
#include <cstring>
#include <string>

#include "engine/helper_exports.h"
#include "engine/session_facts.h"
#include "platform/network.h"
#include "tests/engine/engine_test.h"

namespace {

class ConsoleSessionTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        Own();
    }
};

TEST_F(ConsoleSessionTest, OnlyMajorVersionFiveIsGuarded) {
    Machine.consoleSessionId = 0;
    Machine.osMajor = 4;
    EXPECT_NE(IsConsoleSession(), 0);
    Machine.osMajor = 6;
    EXPECT_NE(IsConsoleSession(), 0);
    Machine.osMajor = 5;
    EXPECT_EQ(IsConsoleSession(), 0);
}

TEST_F(ConsoleSessionTest, Windows2000ConsoleIsSessionZero) {
    Machine.osMinor = 0;
    Machine.consoleSessionId = 3; // not consulted on 5.0
    EXPECT_EQ(IsConsoleSession(), 0);
    Machine.sessions[0].id = 0;
    Machine.currentSessionId = 0;
    EXPECT_NE(IsConsoleSession(), 0);
}

TEST_F(ConsoleSessionTest, LaterVersionsAskForTheActiveConsoleSession) {
    Machine.osMinor = 2;
    Machine.consoleSessionId = 3;
    EXPECT_NE(IsConsoleSession(), 0);
    Machine.consoleSessionId = 0;
    EXPECT_EQ(IsConsoleSession(), 0);
}

TEST_F(ConsoleSessionTest, AnythingUnknownCountsAsConsole) {
    Machine.canOpenServer = false;
    EXPECT_NE(IsConsoleSession(), 0);
    Machine.canOpenServer = true;
    Machine.versionFails = true;
    EXPECT_NE(IsConsoleSession(), 0);
    Machine.versionFails = false;
    Machine.hasConsoleLookup = false;
    EXPECT_NE(IsConsoleSession(), 0);
    Machine.hasConsoleLookup = true;
    Machine.sessions[0].failingQueries.insert(TS_SESSION_ID);
    EXPECT_NE(IsConsoleSession(), 0);
}

class CountTest : public EngineTest {};

TEST_F(CountTest, SameAddressCountsEveryStateAndTheCaller) {
    Own("10.0.0.5");
    AddSession(4, "10.0.0.5", "", "", TS_STATE_DISCONNECTED);
    AddSession(5, "10.0.0.6");
    AddSession(6, "10.0.0.5", "", "", 1);
    uint32_t count = 99;
    EXPECT_EQ(GetCountOfSessionWithTheSameIP(nullptr, 0x0A000005u, &count), 0);
    EXPECT_EQ(count, 3u);
    FilterConfig.IGNORE_DISCONNECTED = 2; // "not 0" is the test
    EXPECT_EQ(GetCountOfSessionWithTheSameIP(nullptr, 0x0A000005u, &count), 0);
    EXPECT_EQ(count, 2u);
}

TEST_F(CountTest, UnreadableSessionsAreLeftOut) {
    Own("0.0.0.0");
    AddSession(4, "0.0.0.0").failingQueries.insert(TS_CLIENT_ADDRESS);
    AddSession(5, "0.0.0.0").rawAnswers[TS_CLIENT_ADDRESS] = std::string(9, '\0'); // too short
    AddSession(6, "0.0.0.0").failingQueries.insert(TS_CONNECT_STATE);
    AddSession(7, "0.0.0.0"); // zero addresses all count against one another
    uint32_t count = 0;
    EXPECT_EQ(GetCountOfSessionWithTheSameIP(nullptr, 0, &count), 0);
    EXPECT_EQ(count, 3u);
    FilterConfig.IGNORE_DISCONNECTED = 1; // an unreadable state is skipped too
    EXPECT_EQ(GetCountOfSessionWithTheSameIP(nullptr, 0, &count), 0);
    EXPECT_EQ(count, 2u);
}

TEST_F(CountTest, EnumerationFailureIsMinusOneWithZeroCount) {
    Own();
    Machine.enumerateFails = true;
    uint32_t count = 7;
    EXPECT_EQ(GetCountOfSessionWithTheSameIP(nullptr, 0x0A000005u, &count), -1);
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(GetCountOfSessionWithTheSameUser(nullptr, "alice", &count), -1);
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(GetCountOfSessionWithTheSameIP(nullptr, 0, nullptr), -1);
}

TEST_F(CountTest, SameUserIgnoringAsciiCase) {
    Own("10.0.0.5", "PC", "Alice");
    AddSession(4, "1.1.1.1", "", "ALICE", TS_STATE_DISCONNECTED);
    AddSession(5, "1.1.1.1", "", "alicia");
    AddSession(6, "1.1.1.1", "", "");
    uint32_t count = 0;
    EXPECT_EQ(GetCountOfSessionWithTheSameUser(nullptr, "alice", &count), 0);
    EXPECT_EQ(count, 2u);
    FilterConfig.FLAG_USER_IGNORE_DISCONNECTED = 2; // "not 0" is the test
    EXPECT_EQ(GetCountOfSessionWithTheSameUser(nullptr, "alice", &count), 0);
    EXPECT_EQ(count, 1u);
}

TEST_F(CountTest, LogoffFirstDisconnectedSessionTakesOnlyTheFirst) {
    Own();
    EXPECT_EQ(LogoffFirstDisconnectedSession(nullptr), -1);
    AddSession(8, "1.1.1.1", "", "", TS_STATE_DISCONNECTED);
    AddSession(9, "1.1.1.1", "", "", TS_STATE_DISCONNECTED);
    EXPECT_EQ(LogoffFirstDisconnectedSession(nullptr), 0);
    EXPECT_EQ(Machine.loggedOff, std::vector<uint32_t>{8});
    Machine.logoffSucceeds = false;
    EXPECT_EQ(LogoffFirstDisconnectedSession(nullptr), -1);
    Machine.enumerateFails = true;
    EXPECT_EQ(LogoffFirstDisconnectedSession(nullptr), -1);
}

class RemoteMacTest : public EngineTest {};

TEST_F(RemoteMacTest, TextAndBytesFromTheArpAnswer) {
    AddArpEntry("10.0.0.5", {0x00, 0x0a, 0xff, 0x10, 0x9B, 0x01});
    uint8_t mac[6] = {};
    char text[32] = {};
    EXPECT_EQ(GetRemoteMac("10.0.0.5", 0, mac, text), 0);
    EXPECT_STREQ(text, "00-0A-FF-10-9B-01");
    EXPECT_EQ(mac[2], 0xff);
    EXPECT_EQ(Machine.netStartups, 1); // sockets started by every call
}

TEST_F(RemoteMacTest, NumericAddressUsedWhenTextIsNull) {
    AddArpEntry("10.0.0.5", {1, 2, 3, 4, 5, 6});
    char text[32] = {};
    EXPECT_EQ(GetRemoteMac(nullptr, NetInetAddr("10.0.0.5"), nullptr, text), 0);
    EXPECT_STREQ(text, "01-02-03-04-05-06");
    EXPECT_EQ(GetRemoteMac(nullptr, NetInetAddr("10.0.0.6"), nullptr, nullptr), -1);
    EXPECT_EQ(GetRemoteMac("10.0.0.5", 0, nullptr, nullptr), 0); // only asks ARP
}

TEST_F(RemoteMacTest, FailureLeavesOutputsUntouched) {
    uint8_t mac[6] = {9, 9, 9, 9, 9, 9};
    char text[32] = "keep";
    EXPECT_EQ(GetRemoteMac("10.0.0.5", 0, mac, text), -1);
    EXPECT_STREQ(text, "keep");
    EXPECT_EQ(mac[0], 9);
    AddArpEntry("10.0.0.5", {1, 2, 3, 4, 5, 6});
    Machine.netStartupFails = true;
    EXPECT_EQ(GetRemoteMac("10.0.0.5", 0, mac, text), -1);
    EXPECT_STREQ(text, "keep");
}

TEST_F(RemoteMacTest, TextIsAppendedToWhatTheBufferHolds) {
    AddArpEntry("10.0.0.5", {0xAB, 0xCD, 0xEF, 0x01, 0x23, 0x45});
    char text[40] = "mac=";
    EXPECT_EQ(GetRemoteMac("10.0.0.5", 0, nullptr, text), 0);
    EXPECT_STREQ(text, "mac=AB-CD-EF-01-23-45");
}

class FactQueryTest : public EngineTest {};

TEST_F(FactQueryTest, AddressReadFromBytesSixToNineWhateverTheFamily) {
    std::string answer(24, '\0');
    answer[0] = 23; // not IPv4: the family is not examined
    answer[6] = char(192);
    answer[7] = char(168);
    answer[8] = 1;
    answer[9] = 200;
    Own().rawAnswers[TS_CLIENT_ADDRESS] = answer;
    uint32_t address = 1;
    EXPECT_EQ(GetClientIPAddress(nullptr, TS_CURRENT_SESSION, &address), 0);
    EXPECT_EQ(address, 0xC0A801C8u);
    char text[ADDRESS_TEXT_SIZE];
    FormatClientAddress(address, text, sizeof text);
    EXPECT_STREQ(text, "192.168.1.200");
}

TEST_F(FactQueryTest, FailedQueriesGiveTheirResetValues) {
    Own().failingQueries = {TS_CLIENT_ADDRESS, TS_SESSION_ID, TS_CLIENT_NAME};
    uint32_t address = 5;
    EXPECT_EQ(GetClientIPAddress(nullptr, TS_CURRENT_SESSION, &address), -1);
    EXPECT_EQ(address, 0u);
    int32_t id = 5;
    EXPECT_EQ(GetSessionId(&id), -1);
    EXPECT_EQ(id, -1);
    char name[CLIENT_NAME_SIZE] = {};
    EXPECT_EQ(GetClientName(nullptr, TS_CURRENT_SESSION, name), -1);
}

TEST_F(FactQueryTest, LongTextAnswersAreCutAndTerminated) {
    Own("10.0.0.5", std::string(200, 'N').c_str());
    char name[CLIENT_NAME_SIZE + 8];
    memset(name, 'x', sizeof name);
    EXPECT_EQ(GetClientName(nullptr, TS_CURRENT_SESSION, name, CLIENT_NAME_SIZE), 0);
    EXPECT_EQ(strlen(name), CLIENT_NAME_SIZE - 1);
    EXPECT_EQ(name[CLIENT_NAME_SIZE], 'x'); // nothing written past the buffer
}

TEST_F(FactQueryTest, UnterminatedTextAnswerStaysWithinItsLength) {
    Own().rawAnswers[TS_USER_NAME] = std::string("bob"); // no NUL in the answer
    char name[USER_NAME_SIZE];
    EXPECT_EQ(GetClientUserName(nullptr, TS_CURRENT_SESSION, name), 0);
    EXPECT_STREQ(name, "bob");
}

TEST(AdministratorName, NonLatinCharactersNeverMatch) {
    ResetEngineWorld();
    Machine.administratorName = U"Adm\u0416n";
    EXPECT_EQ(IsAdministratorName("Adm?n"), 0);
    EXPECT_EQ(IsAdministratorName("Admn"), 0);
    Machine.administratorName = U"ADMIN";
    EXPECT_EQ(IsAdministratorName("admin"), 1);
    EXPECT_EQ(IsAdministratorName(""), 0);
}

} // namespace
