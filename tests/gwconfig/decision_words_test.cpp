// A decision in the console's words: the verdict first, the entry that decided as its
// page shows it with its position, and what would let the client in; no key, table or
// function name of the configuration among them. check --summary opens with the same
// two lines and otherwise prints what it printed before.
#include "tests/gwconfig/gwconfig_test_support.h"

#include <memory>

#include "config/config_model.h"
#include "explain/decision_words.h"
#include "gwconfig/check.h"

namespace {

// 10.20.0.66, "ADMIN-PC", 00-1A-2B-3C-4D-5E, build 2600, user "alice", on Monday
// 2026-12-07 at 19:30:00, alone on the server.
CheckSession Client() {
    return ReadableClient(10u << 24 | 20u << 16 | 66, "ADMIN-PC", "2026-12-07 19:30:00");
}

void Keep(CheckSession&) {}

const int NOT_ON_A_PAGE = -2;

struct Case {
    std::string json;
    void (*adjust)(CheckSession&);
    const char* verdict;
    const char* entry;
    const char* change;
    int place; // the entry Show Entry selects; -1 the page alone; NOT_ON_A_PAGE none
};

} // namespace

TEST(DecisionWords, VerdictEntryAndChangeInThePagesWords) {
    const Case cases[] = {
        {"{\"FLAG_IPADDRESS\": 1, \"FLAG_IPADDRESS_ALLOW\": 1, \"R_IPADDRESS\": ["
         "{\"IPFROM\": \"10.20.0.0\", \"IPTO\": \"10.20.0.255\", \"TYPE\": 1},"
         "{\"IPFROM\": \"10.20.0.66\", \"IPTO\": \"\", \"TYPE\": 0},"
         "{\"IPFROM\": \"10.30.0.1\", \"IPTO\": \"\", \"TYPE\": 1}]}",
         Keep, "Refused by the IP Address filter",
         "10.20.0.66 - Logon disabled (entry 2 of 3 on the IP Address page)",
         "To let this client in: remove or edit entry 2, or switch the filter off.", 1},
        {"{\"FLAG_COMPUTERNAME\": 1, \"R_COMPUTERNAME\": [{\"CNAME\": \"TS*\", \"TYPE\": 0}]}",
         Keep, "Refused by the Computer Name filter",
         "No entry matches, and \"By default allow logon\" is not checked (Computer Name page)",
         "To let this client in: check \"By default allow logon\", add an entry for it with "
         "Logon enabled, or switch the filter off.",
         -1},
        {"{\"FLAG_MACADDRESS\": 1, \"FLAG_MACADDRESS_ALLOW\": 1}",
         [](CheckSession& s) { s.hasMac = false; },
         "Refused by the MAC address filter: the MAC address cannot be read",
         "No entry decided: the filter refuses a client when the MAC address cannot be read "
         "(MAC address page)",
         "To let this client in: switch the filter off; MAC addresses are found only for "
         "computers on the same subnet as the Terminal Server.",
         -1},
        {"{\"FLAG_TIME\": 1, \"WEEK_W1\": 1, \"WEEK_W2\": 1, \"WEEK_W3\": 1, \"WEEK_W4\": 1, "
         "\"WEEK_W5\": 1, \"WEEK_W6\": 0, \"WEEK_W7\": 0, \"TIME_BETWEEN\": 1, "
         "\"TIME_FROM\": \"08:00:00\", \"TIME_TO\": \"18:00:00\"}",
         Keep, "Refused by the Time Restrictions filter",
         "Between 08:00:00 and 18:00:00 on Monday to Friday (Time Restrictions page); the logon "
         "is at 19:30:00 on a Monday",
         "To let this client in: choose All day or widen the window, or switch the filter off.",
         -1},
        {"{\"FLAG_VERSION\": 1, \"VERALLOW\": \"2600\", \"VERHIGHER\": \"2600\"}", Keep,
         "Refused by the Client Version filter",
         "Allow higher than 2600 (Client Version page); the client build is 2600",
         "To let this client in: lower or empty Allow higher than, or switch the filter off.", -1},
        {"{\"FLAG_SERVEROPTION\": 1, \"FLAG_SERVEROPTION_CHECK_TYPE\": 1, \"SESSION_PER_IP\": 2}",
         [](CheckSession& s) { s.sessionsFromIp = 3; }, "Refused by the Session per IP filter",
         "No entry names this address; \"By default \" allows at most 2 (Session per IP page); 3 "
         "sessions counted, this one included",
         "To let this client in: raise the default count, add an entry for this address with a "
         "higher Sessions Max, or switch the filter off.",
         -1},
        {"{\"FLAG_SERVEROPTION_SESSIONPERUSER\": 1, \"R_SESSION_USER\": "
         "[{\"SESSION_USER\": \"bob\", \"SESSION_USERCOUNT\": 4}, "
         "{\"SESSION_USER\": \"ALICE\", \"SESSION_USERCOUNT\": 1}]}",
         [](CheckSession& s) { s.sessionsOfUser = 2; }, "Refused by the Session per User filter",
         "ALICE, at most 1 (entry 2 of 2 on the Session per User page); 2 sessions counted, this "
         "one included",
         "To let this client in: raise Sessions Max of entry 2, or switch the filter off.", 1},
        {"{\"FLAG_IPADDRESS\": 1, \"FLAG_IPADDRESS_ALLOW\": 1, \"FLAG_TIME\": 1, \"TIME_BETWEEN\": "
         "0}",
         Keep, "Admitted: no filter refuses this client",
         "Switched on, and passed: IP Address, Time Restrictions", "", NOT_ON_A_PAGE},
    };
    for (const Case& c : cases) {
        LoadJson(c.json);
        CheckSession session = Client();
        c.adjust(session);
        DescribedFacts facts(session);
        std::unique_ptr<SessionDecision> decision(new SessionDecision());
        DecideSession(FilterConfig, facts, decision.get());
        const DecisionWords words = DecisionWordsOf(FilterConfig, *decision, 1252);
        const DecisionPlace place = PlaceOfDecision(*decision);
        ResetFilterConfig();
        EXPECT_EQ(words.verdict, c.verdict);
        EXPECT_EQ(words.entry, c.entry) << c.verdict;
        EXPECT_EQ(words.change, c.change) << c.verdict;
        EXPECT_EQ(place.onPage ? place.entry : NOT_ON_A_PAGE, c.place) << c.verdict;
        for (const char* internal : {"Validate", "R_", "TYPE", "FLAG_", "WEEK_", "VER", "SESSION_"})
            EXPECT_EQ((words.verdict + words.entry + words.change).find(internal),
                      std::string::npos)
                << internal << " in the words of: " << c.verdict;
    }
}

TEST(DecisionWords, CheckSummaryAddsTheTwoLinesAndKeepsTheReport) {
    ScratchDir dir;
    WriteFile(dir.Path("c.json"),
              "{\"FLAG_IPADDRESS\": 1, \"FLAG_IPADDRESS_ALLOW\": 1, "
              "\"R_IPADDRESS\": [{\"IPFROM\": \"10.0.0.5\", \"IPTO\": \"\", \"TYPE\": 0}]}");
    const std::vector<std::string> line = {"check", dir.Path("c.json"),   "--ip", "10.0.0.5",
                                           "--at",  "2026-12-07 08:30:00"};
    std::vector<std::string> summary = line;
    summary.push_back("--summary");
    const CommandResult plain = Gwconfig(line);
    const CommandResult opened = Gwconfig(summary);
    EXPECT_EQ(opened.exitCode, plain.exitCode);
    EXPECT_EQ(opened.out, "Refused by the IP Address filter\n"
                          "10.0.0.5 - Logon disabled (entry 1 of 1 on the IP Address page)\n" +
                              plain.out);
    EXPECT_EQ(plain.out.rfind("Client: address 10.0.0.5", 0), 0u) << plain.out;
}

// A configuration that comes with AuditOnly: check admits past the filters that only
// audit, and says so first in the pages' words.
TEST(DecisionWords, CheckAdmitsPastFiltersThatOnlyAudit) {
    ScratchDir dir;
    WriteFile(dir.Path("c.json"),
              "{\"FLAG_IPADDRESS\": 1, \"FLAG_IPADDRESS_ALLOW\": 1, \"FLAG_TIME\": 1, "
              "\"R_IPADDRESS\": [{\"IPFROM\": \"10.0.0.5\", \"IPTO\": \"\", \"TYPE\": 0}], "
              "\"AuditOnly\": 17}");
    const CommandResult result = Gwconfig({"check", dir.Path("c.json"), "--ip", "10.0.0.5", "--at",
                                           "2026-12-07 08:30:00", "--summary"});
    EXPECT_EQ(result.exitCode, 0) << result.out << result.err;
    EXPECT_EQ(result.out.rfind("IP Address filter: would be refused, but the filter only audits: "
                               "admitted\n10.0.0.5 - Logon disabled (entry 1 of 1 on the IP "
                               "Address page); the Time Restrictions filter would refuse too, "
                               "and only audits\n",
                               0),
              0u)
        << result.out;
    EXPECT_NE(result.out.find("ValidateTime: refuses, but only audits (AuditOnly 0x10): the "
                              "session goes on"),
              std::string::npos);
    EXPECT_NE(result.out.find("Decision: admitted; ValidateIPAddress only audits its refusal "
                              "with code 1 (REJECT_IPADDRESS)\n"),
              std::string::npos)
        << result.out;
}
