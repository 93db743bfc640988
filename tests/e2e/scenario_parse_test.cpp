// The scenario reader of the Wine stand-ins, natively: a mistake here would make the
// end-to-end cases check the library against facts nobody meant.
#include "tests/fixtures/scenario.h"

#include <gtest/gtest.h>

TEST(ScenarioParse, SessionFactsArpAndSwitchesAreRead) {
    const char* text = "# two sessions\n"
                       "self 3\n"
                       "record \"C:\\work dir\\calls.txt\"\n"
                       "logoff fail\n"
                       "session 3 state=0 winstation=RDP-Tcp#1 client=\"PC 5\" address=10.0.0.5 "
                       "user=alice domain=CORP build=2600 product=1 protocol=2 hwid=0x10 "
                       "display=1024x768x16 fail=ClientName,UserName\n"
                       "  session 9 state=4 address=255.255.255.255\n"
                       "arp 10.0.0.5 00-1a-2B-3c-4D-5e\n";
    Scenario s;
    std::string error;
    ASSERT_TRUE(ParseScenario(text, &s, &error)) << error;
    EXPECT_EQ(s.selfId, 3u);
    EXPECT_EQ(s.recordPath, "C:\\work dir\\calls.txt");
    EXPECT_TRUE(s.logoffFails);
    EXPECT_FALSE(s.enumerateFails);
    ASSERT_EQ(s.sessions.size(), 2u);

    const ScenarioSession* a = FindScenarioSession(s, 3);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->winStation, "RDP-Tcp#1"); // '#' inside a line is not a comment
    EXPECT_EQ(a->clientName, "PC 5");
    EXPECT_EQ(a->address, 0x0A000005u);
    EXPECT_EQ(a->build, 2600u);
    EXPECT_EQ(a->productId, 1u);
    EXPECT_EQ(a->protocolType, 2u);
    EXPECT_EQ(a->hardwareId, 16u);
    EXPECT_EQ(a->display[0], 1024u);
    EXPECT_EQ(a->display[2], 16u);
    EXPECT_TRUE(ScenarioClassFails(*a, "UserName"));
    EXPECT_FALSE(ScenarioClassFails(*a, "ClientAddress"));

    const ScenarioSession* b = FindScenarioSession(s, 9);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->state, 4);
    EXPECT_EQ(b->address, 0xFFFFFFFFu);
    EXPECT_EQ(FindScenarioSession(s, 4), nullptr);

    ASSERT_EQ(s.arp.size(), 1u);
    const uint8_t mac[6] = {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E};
    EXPECT_EQ(0, memcmp(s.arp[0].mac, mac, 6));
}

TEST(ScenarioParse, MistakesAreReportedWithTheirLine) {
    const char* bad[] = {
        "self x\n",
        "session 3 adress=10.0.0.5\n",    // misspelt key
        "session 3 address=10.0.0.256\n", // octet out of range
        "session 3 address=10.0.0\n",
        "session 3 product=70000\n", // wider than 16 bits
        "session 3 display=1024x768\n",
        "session 3 client=\"unclosed\n",
        "arp 10.0.0.5 00-1A-2B-3C-4D\n",
        "arp 10.0.0.5 00:1A:2B:3C:4D:5E\n",
        "frobnicate\n",
        "session 3 server=TS1\n", // a server is declared before its sessions
        "server\n",
        "server TS1 down\n",
    };
    for (const char* text : bad) {
        Scenario s;
        std::string error;
        EXPECT_FALSE(ParseScenario(std::string("self 1\n") + text, &s, &error)) << text;
        EXPECT_NE(error.find("line 2"), std::string::npos) << error;
    }
}

TEST(ScenarioParse, NamedServersHoldTheirOwnSessions) {
    Scenario s;
    std::string error;
    ASSERT_TRUE(ParseScenario("server TS1\n"
                              "server Far fail\n"
                              "session 3 state=0\n"
                              "session 3 server=ts1 state=4\n",
                              &s, &error))
        << error;
    ASSERT_EQ(2u, s.servers.size());
    EXPECT_FALSE(s.servers[0].enumerateFails);
    EXPECT_TRUE(s.servers[1].enumerateFails);
    EXPECT_EQ(1, FindScenarioServer(s, "FAR"));
    EXPECT_EQ(-1, FindScenarioServer(s, "TS"));
    // The same id on the local server and on TS1 are two sessions.
    EXPECT_EQ(0, FindScenarioSession(s, 3)->state);
    EXPECT_EQ(4, FindScenarioSession(s, 3, "TS1")->state);
    EXPECT_EQ(nullptr, FindScenarioSession(s, 3, "FAR"));
    EXPECT_FALSE(ParseScenario("server A\nserver a\n", &s, &error)); // declared twice
}
