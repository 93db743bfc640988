// sentinode.dll under Wine, bound at load time as the console binds it, against the
// Terminal Services stand-in: the records of a server's sessions, the failure memory,
// and FreePointer.
#include "sentinode/sentinode.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tests/support/scenario_file.h"

namespace {
// Runs the query and frees the result; returns the records' copies.
struct Answer {
    bool ok;
    int32_t count;
    std::string bytes; // the raw records
};

Answer Query(const char* server) {
    int32_t count = -1;
    SentinodeSessionRecord* records = QuerySessionInformation(server, &count);
    Answer answer = {records != nullptr, count, std::string()};
    if (records != nullptr) {
        answer.bytes.assign(reinterpret_cast<const char*>(records),
                            static_cast<size_t>(count) * 72);
        FreePointer(records);
    }
    return answer;
}

int32_t U32At(const std::string& bytes, size_t offset) {
    int32_t value = 0;
    memcpy(&value, bytes.data() + offset, 4);
    return value;
}
} // namespace

TEST(Sentinode, OneRecordPerSessionOfTheNamedServerOnly) {
    ScenarioFile scenario;
    const std::string longName(80, 'W');
    scenario.Write("server TS1\n"
                   "server EMPTY\n"
                   "session 0 state=6 winstation=Console\n" // the local server's
                   "session 3 server=TS1 state=0 winstation=RDP-Tcp#3\n"
                   "session 65536 server=ts1 state=4 winstation=" +
                   longName + "\n");
    Answer ts1 = Query("ts1");
    ASSERT_TRUE(ts1.ok);
    ASSERT_EQ(2, ts1.count);
    EXPECT_EQ(3, U32At(ts1.bytes, 0));
    EXPECT_EQ(0, U32At(ts1.bytes, 4));
    EXPECT_STREQ("RDP-Tcp#3", ts1.bytes.c_str() + 8);
    EXPECT_EQ(65536, U32At(ts1.bytes, 72));
    EXPECT_EQ(4, U32At(ts1.bytes, 72 + 4));
    EXPECT_EQ(longName.substr(0, 63), std::string(ts1.bytes.c_str() + 72 + 8)); // cut, ended
    // The stand-in's list is handed back and the server closed within the call.
    EXPECT_EQ(1, scenario.Count("enumerate TS1 ok"));
    EXPECT_EQ(1, scenario.Count("free"));
    EXPECT_EQ(1, scenario.Count("close TS1"));

    // A server without sessions answers: a record array of none, freed like any other.
    int32_t count = -1;
    SentinodeSessionRecord* none = QuerySessionInformation("EMPTY", &count);
    ASSERT_NE(nullptr, none);
    EXPECT_EQ(0, count);
    FreePointer(none);
}

TEST(Sentinode, FreePointerTakesBackOnlyWhatWasHandedOut) {
    ScenarioFile scenario;
    scenario.Write("server TS1\nsession 1 server=TS1 state=0\n");
    int32_t count = 0;
    SentinodeSessionRecord* records = QuerySessionInformation("TS1", &count);
    ASSERT_NE(nullptr, records);
    SentinodeSessionRecord foreign = {};
    FreePointer(&foreign); // not the library's: ignored
    FreePointer(nullptr);
    FreePointer(records);
    FreePointer(records); // already taken back: ignored, no double free
    EXPECT_EQ(nullptr, QuerySessionInformation(nullptr, &count));
    EXPECT_EQ(0, count);
    EXPECT_EQ(nullptr, QuerySessionInformation("TS1", nullptr));
}

TEST(Sentinode, AFailedServerIsAnsweredAtOnceWhileOthersAreAskedEveryTime) {
    ScenarioFile scenario;
    scenario.Write("server DOWN fail\n"
                   "server UP\n"
                   "session 2 server=UP state=1\n");
    // Listing fails (an unreachable server), or the name cannot even be opened.
    for (const char* failing : {"DOWN", "NOWHERE"}) {
        Answer first = Query(failing);
        EXPECT_FALSE(first.ok) << failing;
        EXPECT_EQ(0, first.count) << failing;
    }
    EXPECT_EQ(1, scenario.Count("enumerate DOWN fail"));
    EXPECT_EQ(1, scenario.Count("close DOWN"));
    EXPECT_EQ(1, scenario.Count("open NOWHERE fail"));

    // Asked again within 30 seconds: null at once, without a call to the server.
    for (int tick = 0; tick < 3; ++tick) {
        EXPECT_FALSE(Query("DOWN").ok);
        EXPECT_FALSE(Query("nowhere").ok);
        Answer up = Query("UP");
        EXPECT_TRUE(up.ok);
        EXPECT_EQ(1, up.count);
    }
    EXPECT_EQ(1, scenario.Count("open DOWN ok"));
    EXPECT_EQ(1, scenario.Count("open NOWHERE fail"));
    EXPECT_EQ(0, scenario.Count("open nowhere fail"));
    EXPECT_EQ(3, scenario.Count("enumerate UP ok"));
}
