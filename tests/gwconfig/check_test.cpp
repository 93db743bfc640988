// check runs the engine's own filters: each filter's allow and deny paths and its
// defaults give the codes the engine's tests expect, and the report says which row or
// default decided and which facts were missing.
#include "tests/gwconfig/gwconfig_test_support.h"

#include "config/config_model.h"
#include "gwconfig/check.h"

namespace {

// A client every filter can read: 10.0.0.5, "PC-5", 00-1A-2B-3C-4D-5E, build 2600,
// user "alice", on a Monday at noon, alone on the server.
CheckSession FullClient() {
    return ReadableClient(10u << 24 | 5, "PC-5", "2026-12-07 12:00:00");
}

struct Case {
    const char* what;
    std::string json;
    void (*adjust)(CheckSession&);
    int32_t code; // 0: admitted
    const char* reason;
};

void Keep(CheckSession&) {}

} // namespace

TEST(Check, EachFilterDecidesAsTheEngine) {
    const Case cases[] = {
        {"every filter off", "{}", Keep, 0,
         "ValidateIPAddress: passes (off: FLAG_IPADDRESS is 0, not 1)"},
        {"IP deny row",
         "{\"FLAG_IPADDRESS\": 1, \"FLAG_IPADDRESS_ALLOW\": 1, \"R_IPADDRESS\": [{\"IPFROM\": "
         "\"10.0.0.5\", \"IPTO\": \"\", \"TYPE\": 0}]}",
         Keep, 1, "R_IPADDRESS row 1 refuses the client"},
        {"IP allow range, both ends",
         "{\"FLAG_IPADDRESS\": 1, \"R_IPADDRESS\": [{\"IPFROM\": \"10.0.0.0\", \"IPTO\": "
         "\"10.0.0.5\", \"TYPE\": 1}]}",
         Keep, 0, "R_IPADDRESS row 1 allows the client"},
        {"IP allow rows, none matches",
         "{\"FLAG_IPADDRESS\": 1, \"FLAG_IPADDRESS_ALLOW\": 1, \"R_IPADDRESS\": [{\"IPFROM\": "
         "\"10.0.0.6\", \"IPTO\": \"\", \"TYPE\": 1}]}",
         Keep, 1, "the table holds allow rows"},
        {"IP empty table, refused by default", "{\"FLAG_IPADDRESS\": 1}", Keep, 1,
         "FLAG_IPADDRESS_ALLOW is 0, refused by default"},
        {"IP empty table, allowed by default",
         "{\"FLAG_IPADDRESS\": 1, \"FLAG_IPADDRESS_ALLOW\": 1}", Keep, 0, "allowed by default"},
        {"name pattern allows",
         "{\"FLAG_COMPUTERNAME\": 1, \"R_COMPUTERNAME\": [{\"CNAME\": \"pc-*\", \"TYPE\": 1}]}",
         Keep, 0, "R_COMPUTERNAME row 1 allows"},
        {"name deny, whole name only",
         "{\"FLAG_COMPUTERNAME\": 1, \"FLAG_COMPUTERNAME_ALLOW\": 1, \"R_COMPUTERNAME\": "
         "[{\"CNAME\": \"PC\", \"TYPE\": 0}, {\"CNAME\": \"pc-5\", \"TYPE\": 0}]}",
         Keep, 2, "R_COMPUTERNAME row 2 refuses"},
        {"name not given", "{\"FLAG_COMPUTERNAME\": 1, \"FLAG_COMPUTERNAME_ALLOW\": 1}",
         [](CheckSession& s) { s.hasName = false; }, -2, "the computer name is not given (--name)"},
        {"MAC deny in lower case",
         "{\"FLAG_MACADDRESS\": 1, \"FLAG_MACADDRESS_ALLOW\": 1, \"R_MAC\": [{\"MACADDRESS\": "
         "\"00-1a-2b-3c-4d-5e\", \"TYPE\": 0}]}",
         Keep, 3, "R_MAC row 1 refuses"},
        {"MAC not given, though the table admits",
         "{\"FLAG_MACADDRESS\": 1, \"FLAG_MACADDRESS_ALLOW\": 1}",
         [](CheckSession& s) { s.hasMac = false; }, -3, "the MAC address is not given (--mac)"},
        {"Sunday closed", "{\"FLAG_TIME\": 1, \"WEEK_W7\": 0}",
         [](CheckSession& s) { ParseCheckTime("2026-12-06 12:00:00", &s.at); }, 5,
         "a Sunday: WEEK_W7 is 0"},
        {"window end included",
         "{\"FLAG_TIME\": 1, \"TIME_FROM\": \"08:00:00\", \"TIME_TO\": \"17:00:00\"}",
         [](CheckSession& s) { ParseCheckTime("2026-12-07 17:00:00", &s.at); }, 0,
         "the time is 17:00:00"},
        {"window end passed",
         "{\"FLAG_TIME\": 1, \"TIME_FROM\": \"08:00:00\", \"TIME_TO\": \"17:00:00\"}",
         [](CheckSession& s) { ParseCheckTime("2026-12-07 17:00:01", &s.at); }, 5,
         "the time is 17:00:01"},
        {"window across midnight",
         "{\"FLAG_TIME\": 1, \"TIME_FROM\": \"22:00:00\", \"TIME_TO\": \"06:00:00\"}",
         [](CheckSession& s) { ParseCheckTime("2026-12-07 05:00:00", &s.at); }, 0,
         "TIME_FROM \"22:00:00\""},
        {"VERHIGHER refuses its own number", "{\"FLAG_VERSION\": 1, \"VERHIGHER\": \"2600\"}", Keep,
         4, "VERHIGHER \"2600\" refuses build 2600"},
        {"VERALLOW admits its number", "{\"FLAG_VERSION\": 1, \"VERALLOW\": \"2600\"}", Keep, 0,
         "VERALLOW \"2600\" admits build 2600"},
        {"build not given", "{\"FLAG_VERSION\": 1}", [](CheckSession& s) { s.hasBuild = false; },
         -4, "the client build is not given"},
        {"per-address row limit",
         "{\"FLAG_SERVEROPTION\": 1, \"R_SESSION_IP\": [{\"SESSION_IP\": \"10.0.0.5\", "
         "\"SESSION_IPCOUNTER\": 1}]}",
         [](CheckSession& s) { s.sessionsFromIp = 2; }, 6, "2 sessions counted: over the limit"},
        {"per-address default limit",
         "{\"FLAG_SERVEROPTION\": 1, \"FLAG_SERVEROPTION_CHECK_TYPE\": 1, \"SESSION_PER_IP\": 2}",
         [](CheckSession& s) { s.sessionsFromIp = 2; }, 0, "SESSION_PER_IP sets the limit to 2"},
        {"address without a row and no default", "{\"FLAG_SERVEROPTION\": 1}",
         [](CheckSession& s) { s.sessionsFromIp = 9; }, 0, "no limit"},
        {"per-address count not given", "{\"FLAG_SERVEROPTION\": 1}",
         [](CheckSession& s) { s.hasSessionsFromIp = false; }, -6, "(--sessions-from-ip)"},
        {"per-user row limit",
         "{\"FLAG_SERVEROPTION_SESSIONPERUSER\": 1, \"R_SESSION_USER\": [{\"SESSION_USER\": "
         "\"ALICE\", \"SESSION_USERCOUNT\": 1}]}",
         [](CheckSession& s) { s.sessionsOfUser = 2; }, 7,
         "R_SESSION_USER row 1 sets the limit to 1"},
        {"administrator exempt",
         "{\"FLAG_SERVEROPTION_SESSIONPERUSER\": 1, \"FLAG_SESSION_PER_USER_DEFAULT\": 1, "
         "\"FLAG_USER_IGNORE_ADMINISTRATOR\": 1}",
         [](CheckSession& s) {
             s.sessionsOfUser = 5;
             s.administrator = true;
         },
         0, "the count does not apply"},
        {"user not given", "{\"FLAG_SERVEROPTION_SESSIONPERUSER\": 1}",
         [](CheckSession& s) { s.hasUser = false; }, -20, "(--user)"},
        {"per-user count not given", "{\"FLAG_SERVEROPTION_SESSIONPERUSER\": 1}",
         [](CheckSession& s) { s.hasSessionsOfUser = false; }, -7, "(--sessions-of-user)"},
    };
    for (const Case& c : cases) {
        LoadJson(c.json);
        CheckSession session = FullClient();
        c.adjust(session);
        std::string report;
        CheckOutcome outcome = RunCheck(session, true, 1252, &report);
        ResetFilterConfig();
        EXPECT_EQ(outcome.admitted, c.code == 0) << c.what << "\n" << report;
        EXPECT_EQ(outcome.code, c.code) << c.what << "\n" << report;
        EXPECT_NE(report.find(c.reason), std::string::npos) << c.what << "\n" << report;
    }
}

TEST(Check, RefusalCarriesTheCaptionAndMessageAndStopsTheSequence) {
    LoadJson("{\"FLAG_IPADDRESS\": 1, \"MSG_IPADDRESS\": \"Nicht hier\", \"FLAG_TIME\": 1}");
    std::string report;
    CheckOutcome outcome = RunCheck(FullClient(), true, 1252, &report);
    ResetFilterConfig();
    EXPECT_EQ(outcome.caption, "Attention - IP Address Filter active - Quillon");
    EXPECT_EQ(outcome.message, "Nicht hier");
    EXPECT_NE(report.find("ValidateTime: not reached"), std::string::npos) << report;
    EXPECT_NE(report.find("Decision: refused with code 1 (REJECT_IPADDRESS)"), std::string::npos);
}

TEST(Check, ExitCodes) {
    ScratchDir dir;
    WriteFile(dir.Path("c.json"),
              "{\"FLAG_IPADDRESS\": 1, \"FLAG_IPADDRESS_ALLOW\": 1, "
              "\"R_IPADDRESS\": [{\"IPFROM\": \"10.0.0.5\", \"IPTO\": \"\", \"TYPE\": 0}]}");
    EXPECT_EQ(Gwconfig({"check", dir.Path("c.json"), "--ip", "10.0.0.4"}).exitCode, 0);
    EXPECT_EQ(Gwconfig({"check", dir.Path("c.json"), "--ip", "10.0.0.5"}).exitCode, 1);
    CommandResult bad = Gwconfig({"check", dir.Path("c.json"), "--ip", "10.0.0"});
    EXPECT_EQ(bad.exitCode, 2);
    EXPECT_NE(bad.err.find("--ip: \"10.0.0\" is not an IPv4 address"), std::string::npos);
}

TEST(Check, TimeGivenOnTheCommandLine) {
    LocalDateTime at{};
    ASSERT_TRUE(ParseCheckTime("2000-02-29 23:59:59", &at));
    EXPECT_EQ(at.dayOfWeek, 2); // a Tuesday
    EXPECT_FALSE(ParseCheckTime("2026-02-29 10:00:00", &at));
    EXPECT_FALSE(ParseCheckTime("2026-12-07 24:00:00", &at));
    EXPECT_FALSE(ParseCheckTime("2026-12-07T10:00:00", &at));
}
