// The session event record (byte layout, datagram) and the logon log (line format,
// exclusive open with retries, code texts).
#include <cstring>
#include <string>

#include "engine/engine_state.h"
#include "engine/rejection.h"
#include "engine/session_record.h"
#include "tests/engine/engine_test.h"

namespace {

uint32_t U32At(const std::string& bytes, size_t offset) {
    uint32_t value;
    memcpy(&value, bytes.data() + offset, 4);
    return value;
}

std::string TextAt(const std::string& bytes, size_t offset, size_t width) {
    std::string field = bytes.substr(offset, width);
    return field.substr(0, field.find('\0'));
}

// Every byte of a field after its text is zero.
bool ZeroPadded(const std::string& bytes, size_t offset, size_t width) {
    size_t end = bytes.find('\0', offset);
    if (end == std::string::npos || end >= offset + width)
        return false;
    for (size_t i = end; i < offset + width; ++i) {
        if (bytes[i] != '\0')
            return false;
    }
    return true;
}

std::string Le(uint32_t value, size_t width) {
    return std::string(reinterpret_cast<const char*>(&value), width);
}

class SessionRecordTest : public EngineTest {};

TEST_F(SessionRecordTest, EveryFieldAtItsOffset) {
    FakeSession& s = Own("10.1.2.3", "CLIENT-PC", "alice");
    s.domainName = "CORP";
    s.build = 2600;
    s.state = 1;
    s.rawAnswers[TS_APPLICATION_NAME] = std::string("app\0", 4);
    s.rawAnswers[TS_CLIENT_DIRECTORY] = std::string("C:\\client\0", 10);
    s.rawAnswers[TS_CLIENT_HARDWARE_ID] = Le(0xA1B2C3D4u, 4);
    s.rawAnswers[TS_CLIENT_PRODUCT_ID] = Le(0x1122, 2);
    s.rawAnswers[TS_CLIENT_PROTOCOL_TYPE] = Le(2, 2);
    s.rawAnswers[TS_INITIAL_PROGRAM] = std::string("init.exe\0", 9);
    s.rawAnswers[TS_OEM_ID] = std::string("OEM\0", 4);
    s.rawAnswers[TS_WORKING_DIRECTORY] = std::string("C:\\work\0", 8);
    s.rawAnswers[TS_CLIENT_DISPLAY] = Le(1280, 4) + Le(1024, 4) + Le(16, 4);
    AddArpEntry("10.1.2.3", {0x00, 0x11, 0x22, 0xAA, 0xBB, 0xCC});

    SessionEventRecord record;
    memset(&record, 0x5A, sizeof record);
    EXPECT_EQ(BuildSessionRecord(TS_CURRENT_SESSION, &record), 0);
    std::string b(reinterpret_cast<const char*>(&record), sizeof record);

    EXPECT_EQ(U32At(b, 0), 3u);
    EXPECT_EQ(U32At(b, 4), 1u);
    EXPECT_EQ(TextAt(b, 8, 64), "RDP-Tcp#3");
    EXPECT_EQ(TextAt(b, 72, 64), "CLIENT-PC");
    EXPECT_EQ(TextAt(b, 136, 64), "10.1.2.3");
    EXPECT_EQ(TextAt(b, 200, 64), "00-11-22-AA-BB-CC");
    EXPECT_EQ(TextAt(b, 264, 64), "app");
    EXPECT_EQ(U32At(b, 328), 2600u);
    EXPECT_EQ(TextAt(b, 332, 260), "C:\\client");
    EXPECT_EQ(U32At(b, 592), 0xA1B2C3D4u);
    EXPECT_EQ(b.substr(596, 2), Le(0x1122, 2));
    EXPECT_EQ(b.substr(598, 2), Le(2, 2));
    EXPECT_EQ(TextAt(b, 600, 64), "CORP");
    EXPECT_EQ(TextAt(b, 664, 64), "init.exe");
    EXPECT_EQ(TextAt(b, 728, 64), "OEM");
    EXPECT_EQ(TextAt(b, 792, 64), "alice");
    EXPECT_EQ(TextAt(b, 856, 260), "C:\\work");
    EXPECT_EQ(U32At(b, 1116), 1280u);
    EXPECT_EQ(U32At(b, 1120), 1024u);
    EXPECT_EQ(U32At(b, 1124), 16u);
    for (size_t offset : {8, 72, 136, 200, 264, 600, 664, 728, 792})
        EXPECT_TRUE(ZeroPadded(b, offset, 64)) << offset;
    EXPECT_TRUE(ZeroPadded(b, 332, 260));
    EXPECT_TRUE(ZeroPadded(b, 856, 260));
}

TEST_F(SessionRecordTest, EveryQueryFailingLeavesOnlyIdAndZeroAddress) {
    FakeSession& s = Own();
    for (int infoClass = 0; infoClass <= 16; ++infoClass) {
        if (infoClass != TS_SESSION_ID)
            s.failingQueries.insert(infoClass);
    }
    SessionEventRecord record;
    BuildSessionRecord(TS_CURRENT_SESSION, &record);
    std::string b(reinterpret_cast<const char*>(&record), sizeof record);
    std::string expected(1128, '\0');
    expected.replace(0, 4, Le(3, 4));
    expected.replace(136, 7, "0.0.0.0");
    EXPECT_EQ(b, expected);
}

TEST_F(SessionRecordTest, UnreadableOwnIdIsAllOnesAndGivenIdIsUsed) {
    Own().failingQueries.insert(TS_SESSION_ID);
    AddSession(9, "1.2.3.4", "NINE");
    SessionEventRecord record;
    BuildSessionRecord(TS_CURRENT_SESSION, &record);
    EXPECT_EQ(record.sessionId, 0xFFFFFFFFu);
    BuildSessionRecord(9, &record);
    EXPECT_EQ(record.sessionId, 9u);
    EXPECT_STREQ(record.clientName, "NINE");
}

TEST_F(SessionRecordTest, OverlongAndShortAnswersStayInsideTheirFields) {
    FakeSession& s = Own("10.0.0.5", std::string(500, 'c').c_str());
    s.rawAnswers[TS_CLIENT_DIRECTORY] = std::string(1000, 'd');
    s.rawAnswers[TS_CLIENT_HARDWARE_ID] = std::string("\x01\x02", 2); // too short: skipped
    s.rawAnswers[TS_CLIENT_DISPLAY] = Le(800, 4);                     // too short: skipped
    SessionEventRecord record;
    BuildSessionRecord(TS_CURRENT_SESSION, &record);
    EXPECT_EQ(strlen(record.clientName), 63u);
    EXPECT_EQ(strnlen(record.clientDirectory, 260), 259u);
    EXPECT_EQ(record.clientHardwareId, 0u);
    EXPECT_EQ(record.displayWidth, 0u);
    EXPECT_STREQ(record.clientAddress, "10.0.0.5"); // the neighbours are intact
}

TEST_F(SessionRecordTest, DatagramGoesToLocalPort555AndSocketIsClosed) {
    Own();
    SessionEventRecord record{};
    record.sessionId = 42;
    SendRecordToMonitor(&record);
    ASSERT_EQ(Machine.datagrams.size(), 1u);
    EXPECT_EQ(Machine.datagrams[0].size(), 1128u);
    EXPECT_EQ(U32At(Machine.datagrams[0], 0), 42u);
    EXPECT_EQ(Machine.openSockets, 0);

    Machine.sendFallsShort = true;
    NetSocket socket;
    Ipv4SocketAddress address;
    ASSERT_EQ(OpenMonitorSocket(MONITOR_HOST, MONITOR_PORT, &socket, &address), 0);
    EXPECT_EQ(SendSessionRecord(&record, sizeof record, socket, &address), -1);
    NetCloseSocket(socket);

    Machine.connectFails = true;
    EXPECT_EQ(OpenMonitorSocket(MONITOR_HOST, MONITOR_PORT, &socket, &address), -1);
    EXPECT_EQ(Machine.openSockets, 0); // closed again when connect fails
}

class LogonLogTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        FilterConfig.FLAG_LOGON_LOGS = 1;
        CopyToField(FilterConfig.LOGON_LOGFILE, "C:\\logs\\Terminallogon.Log");
        Machine.clock = LocalDateTime{2026, 3, 9, 1, 7, 5, 9};
        SessionRecord.sessionId = 0xFFFFFFFFu;
        CopyToField(SessionRecord.clientName, "PC-5");
        CopyToField(SessionRecord.clientAddress, "10.0.0.5");
        CopyToField(SessionRecord.clientMac, "00-11-22-33-44-55");
        CopyToField(SessionRecord.winStationName, "RDP-Tcp#3");
        CopyToField(SessionRecord.userName, "alice");
    }
    std::string File() { return Machine.files["C:\\logs\\Terminallogon.Log"]; }
};

TEST_F(LogonLogTest, RejectedLineByteForByte) {
    SessionRejected = 1;
    WriteLogonLog(REJECT_IPADDRESS);
    EXPECT_EQ(File(), "2026-03-09 07:05:09,PC-5,10.0.0.5,00-11-22-33-44-55,RDP-Tcp#3,alice,"
                      "4294967295,Rejected,REJECT_IPADDRESS,\r\n");
    EXPECT_EQ(Machine.openFiles, 0);
}

TEST_F(LogonLogTest, AcceptedLineHasEmptyCodeAndExistingFileIsAppended) {
    Machine.files["C:\\logs\\Terminallogon.Log"] = "earlier\r\n";
    CopyToField(SessionRecord.clientMac, "");
    WriteLogonLog(REJECT_NONE);
    EXPECT_EQ(File(), "earlier\r\n2026-03-09 07:05:09,PC-5,10.0.0.5,,RDP-Tcp#3,alice,"
                      "4294967295,Accepted,,\r\n");
}

TEST_F(LogonLogTest, HeldFileIsRetriedEvery100msUpTo21Attempts) {
    Machine.openFailuresLeft = 20;
    WriteLogonLog(REJECT_NONE);
    EXPECT_EQ(Machine.openAttempts, 21);
    EXPECT_EQ(Machine.sleeps, std::vector<uint32_t>(20, 100));
    EXPECT_EQ(LogLines("C:\\logs\\Terminallogon.Log").size(), 1u);

    Machine = FakeMachine();
    Machine.openFailuresLeft = 21;
    WriteLogonLog(REJECT_NONE);
    EXPECT_EQ(Machine.openAttempts, 21);
    EXPECT_TRUE(File().empty());
}

TEST_F(LogonLogTest, EmptyFileNameGivesUpSilently) {
    CopyToField(FilterConfig.LOGON_LOGFILE, "");
    WriteLogonLog(REJECT_IPADDRESS);
    EXPECT_EQ(Machine.openAttempts, 21);
    EXPECT_TRUE(Machine.messages.empty());
}

TEST_F(LogonLogTest, LongestFieldsStillFitTheLineBuffer) {
    std::string max(63, 'x');
    CopyToField(SessionRecord.clientName, max.c_str());
    CopyToField(SessionRecord.clientAddress, max.c_str());
    CopyToField(SessionRecord.clientMac, max.c_str());
    CopyToField(SessionRecord.winStationName, max.c_str());
    // A record field without a terminator is read within its width.
    memset(SessionRecord.userName, 'u', sizeof SessionRecord.userName);
    WriteLogonLog(REJECT_FAIL_GETSESSIONCOUNT_USER);
    const std::string line = File();
    EXPECT_EQ(line.substr(line.size() - 2), "\r\n");
    EXPECT_NE(line.find("," + std::string(63, 'u') + ",4294967295,"), std::string::npos);
}

TEST_F(LogonLogTest, FormatIsCutAtTheBufferSize) {
    char small[40];
    memset(small, 'z', sizeof small);
    size_t length = FormatLogonLine(small, 30, "2026-03-09 07:05:09", REJECT_NONE);
    EXPECT_EQ(length, 29u);
    EXPECT_EQ(small[29], '\0');
    EXPECT_EQ(small[30], 'z');
}

TEST_F(LogonLogTest, RecordRejectionWritesOnlyWhenLoggingIsOn) {
    FilterConfig.FLAG_LOGON_LOGS = 2; // "equals 1" is the test
    RecordRejection(REJECT_TIMERESTRICTION);
    EXPECT_EQ(Machine.openAttempts, 0);
    EXPECT_EQ(SessionRejected, 1);
    FilterConfig.FLAG_LOGON_LOGS = 1;
    RecordRejection(REJECT_TIMERESTRICTION);
    EXPECT_NE(File().find(",Rejected,REJECT_TIMERESTRICTION,\r\n"), std::string::npos);
}

TEST(RejectCodeText, EveryCodeAndTheFallbacks) {
    const std::pair<int32_t, const char*> table[] = {
        {0, ""},
        {1, "REJECT_IPADDRESS"},
        {2, "REJECT_COMPUTERNAME"},
        {3, "REJECT_MACADDRESS"},
        {4, "REJECT_CLIENTVERSION"},
        {5, "REJECT_TIMERESTRICTION"},
        {6, "REJECT_SESSIONPERIP"},
        {7, "REJECT_SESSIONPERUSER"},
        {-1, "REJECT_FAIL_GETIPADDRESS"},
        {-2, "REJECT_FAIL_GETCOMPUTERNAME"},
        {-3, "REJECT_FAIL_GETMACADDRESS"},
        {-4, "REJECT_FAIL_GETCLIENTVERSION"},
        {-6, "REJECT_FAIL_GETSESSIONCOUNT_IP"},
        {-7, "REJECT_FAIL_GETSESSIONCOUNT_USER"},
        {-20, "REJECT_FAIL_GETUSERNAME"},
        {-100, "REJECT_FAIL_OTHER"},
        {-5, "REJECT_OTHER"},
        {-8, "REJECT_OTHER"},
        {-19, "REJECT_OTHER"},
        {8, "REJECT_OTHER"},
    };
    for (const auto& entry : table)
        EXPECT_STREQ(RejectCodeText(entry.first), entry.second) << entry.first;
}

} // namespace
