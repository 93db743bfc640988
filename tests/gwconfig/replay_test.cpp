// gwconfig replay: a log built here with known answers, decided again under proposed
// configurations; the facts a log lacks are never guessed; unreadable lines are named
// and never attributed; and the fast paths (the IP row index, the verdicts kept per
// name and MAC address) decide exactly as the decision core.
#include <nlohmann/json.hpp>

#include <random>

#include "config/config_model.h"
#include "engine/described_session.h"
#include "replay/replay_decision.h"
#include "tests/gwconfig/gwconfig_test_support.h"

namespace {

using Json = nlohmann::json;

std::string Line(const std::string& time, const std::string& name, const std::string& address,
                 const std::string& mac, const std::string& user, const std::string& decision,
                 const std::string& code) {
    return time + "," + name + "," + address + "," + mac + ",RDP-Tcp#3," + user + ",3," + decision +
           "," + code + ",\r\n";
}

const char MAC[] = "00-1A-2B-3C-4D-5E";

// 2026-11-02 is a Monday.
std::string KnownLog() {
    return Line("2026-11-02 08:30:00", "ADMIN-PC", "10.20.0.66", MAC, "admin", "Accepted", "") +
           Line("2026-11-05 09:00:00", "ADMIN-PC", "10.20.0.66", MAC, "admin", "Accepted", "") +
           Line("2026-11-03 22:00:00", "NIGHT", "10.1.1.1", MAC, "owl", "Accepted", "") +
           Line("2026-11-03 07:30:00", "EARLY", "10.1.1.2", MAC, "", "Rejected",
                "REJECT_TIMERESTRICTION") +
           Line("2026-11-04 10:00:00", "PC-1", "10.1.1.3", MAC, "bob", "Accepted", "") +
           Line("2026-11-04 10:05:00", "EVIL", "10.20.0.66", "", "", "Rejected",
                "REJECT_IPADDRESS") +
           Line("2026-11-04 10:06:00", "PC-1", "10.1.1.3", MAC, "", "Audited",
                "REJECT_COMPUTERNAME") +
           Line("2026-10-01 10:00:00", "OLD", "10.1.1.9", MAC, "carl", "Accepted", "");
}

// IP 10.20.0.66 denied; logons from 07:00:00 to 19:00:00 every day.
const char PROPOSED[] =
    "{\"FLAG_IPADDRESS\": 1, \"FLAG_IPADDRESS_ALLOW\": 1, \"R_IPADDRESS\": [{\"IPFROM\": "
    "\"10.20.0.66\", \"IPTO\": \"\", \"TYPE\": 0}], \"FLAG_TIME\": 1, \"TIME_BETWEEN\": 1, "
    "\"TIME_FROM\": \"07:00:00\", \"TIME_TO\": \"19:00:00\", \"WEEK_W1\": 1, \"WEEK_W2\": 1, "
    "\"WEEK_W3\": 1, \"WEEK_W4\": 1, \"WEEK_W5\": 1, \"WEEK_W6\": 1, \"WEEK_W7\": 1";

struct Replayed {
    CommandResult result;
    Json json;
};

Replayed Replay(const ScratchDir& dir, const std::string& config, const std::string& log,
                std::vector<std::string> extra = {}) {
    WriteFile(dir.Path("p.json"), config);
    WriteFile(dir.Path("a.log"), log);
    std::vector<std::string> arguments = {
        "replay", dir.Path("p.json"), dir.Path("a.log"), "--format", "json", "--codepage", "1252"};
    arguments.insert(arguments.end(), extra.begin(), extra.end());
    Replayed r{Gwconfig(arguments), Json()};
    if (r.result.exitCode != 2)
        r.json = Json::parse(r.result.out);
    return r;
}

} // namespace

TEST(Replay, CountsWhatWouldChangeByRuleAndClient) {
    ScratchDir dir;
    Replayed r = Replay(dir, std::string(PROPOSED) + "}", KnownLog(), {"--from", "2026-11-01"});
    ASSERT_EQ(r.result.exitCode, 1) << r.result.err;
    const Json& refused = r.json["refused_now"];
    EXPECT_EQ(refused["sessions"], 3);
    ASSERT_EQ(refused["rules"].size(), 2u);
    const Json& ip = refused["rules"][0];
    EXPECT_EQ(ip["rule"], "Refused by the IP Address filter: 10.20.0.66 - Logon disabled (entry 1 "
                          "of 1 on the IP Address page)");
    ASSERT_EQ(ip["clients"].size(), 1u);
    EXPECT_EQ(ip["clients"][0]["sessions"], 2);
    EXPECT_EQ(ip["clients"][0]["first_seen"], "2026-11-02 08:30:00");
    EXPECT_EQ(ip["clients"][0]["last_seen"], "2026-11-05 09:00:00");
    EXPECT_EQ(refused["rules"][1]["code"], "REJECT_TIMERESTRICTION");
    EXPECT_EQ(refused["rules"][1]["clients"][0]["computer_name"], "NIGHT");
    // Refused then at 07:30 by the time window, inside the proposed one.
    const Json& admitted = r.json["admitted_now"];
    EXPECT_EQ(admitted["sessions"], 1);
    EXPECT_EQ(admitted["rules"][0]["clients"][0]["computer_name"], "EARLY");
    EXPECT_EQ(admitted["rules"][0]["rule"].get<std::string>().substr(0, 55),
              "Refused by the Time Restrictions filter (REJECT_TIMERES");
    EXPECT_EQ(r.json["unchanged"], (Json{{"admitted", 1}, {"refused", 1}}));
    EXPECT_EQ(r.json["not_judged"]["sessions"], 0);
    EXPECT_EQ(r.json["audited_lines"], 1);
    EXPECT_EQ(r.json["lines_outside_period"], 1);
    EXPECT_EQ(r.json["sessions"], 6);
}

// The proposal's AuditOnly (its member, or the option over it): a refusal by a filter that
// only audits admits the session, noted audited, as the library would.
TEST(Replay, AFilterThatOnlyAuditsAdmitsNotedAudited) {
    ScratchDir dir;
    const std::string audited = std::string(PROPOSED) + ", \"AuditOnly\": 1}";
    Replayed r = Replay(dir, audited, KnownLog(), {"--from", "2026-11-01"});
    ASSERT_EQ(r.result.exitCode, 1) << r.result.err;
    EXPECT_EQ(r.json["audit_only"], Json::array({"IP Address"}));
    // EVIL, refused then by the IP Address filter, is admitted now; the time window
    // still refuses NIGHT.
    const Json& admitted = r.json["admitted_now"];
    ASSERT_EQ(admitted["sessions"], 2);
    const Json& evil = admitted["rules"][1];
    EXPECT_EQ(evil["clients"][0]["computer_name"], "EVIL");
    EXPECT_EQ(evil["rule"], "Refused by the IP Address filter (REJECT_IPADDRESS); now: IP Address "
                            "filter: would be refused, but the filter only audits: admitted: "
                            "10.20.0.66 - Logon disabled (entry 1 of 1 on the IP Address page)");
    EXPECT_EQ(evil["audited_by"], Json::array({"IP Address"}));
    EXPECT_EQ(r.json["refused_now"]["sessions"], 1);
    // ADMIN-PC's two sessions get in either way: counted, not listed.
    EXPECT_EQ(r.json["unchanged"], (Json{{"admitted", 3}, {"refused", 0}}));
    EXPECT_EQ(r.json["admitted_then_audited_now"], 2);

    CommandResult text = Gwconfig({"replay", dir.Path("p.json"), dir.Path("a.log"), "--from",
                                   "2026-11-01", "--codepage", "1252"});
    EXPECT_NE(text.out.find("\nOnly audit under the proposal: IP Address (a session they would "
                            "refuse is admitted, noted audited)\n"),
              std::string::npos)
        << text.out;
    EXPECT_NE(text.out.find("(3 admitted then and now, 2 of them audited now, 0 refused"),
              std::string::npos)
        << text.out;

    // The option decides over the configuration's member.
    r = Replay(dir, audited, KnownLog(), {"--from", "2026-11-01", "--audit-only", "0"});
    EXPECT_EQ(r.json["audit_only"], Json::array());
    EXPECT_EQ(r.json["refused_now"]["sessions"], 3);
}

TEST(Replay, FactsTheLogLacksAreNotJudgedNeverGuessed) {
    ScratchDir dir;
    // The version filter needs the client build, which no line holds.
    Replayed r = Replay(dir,
                        std::string(PROPOSED) + ", \"FLAG_VERSION\": 1, \"VERHIGHER\": "
                                                "\"2000\"}",
                        KnownLog(), {"--from", "2026-11-01"});
    ASSERT_EQ(r.result.exitCode, 1) << r.result.err;
    EXPECT_EQ(r.json["filters_not_judged"], Json::array({"Client Version"}));
    EXPECT_EQ(r.json["refused_now"]["sessions"], 3); // decided by filters before it
    EXPECT_EQ(r.json["admitted_now"]["sessions"], 0);
    ASSERT_EQ(r.json["not_judged"]["sessions"], 1);
    EXPECT_EQ(r.json["not_judged"]["rules"][0]["clients"][0]["computer_name"], "EARLY");
    EXPECT_NE(r.json["not_judged"]["rules"][0]["rule"].get<std::string>().find(
                  "the Client Version filter needs the client build"),
              std::string::npos);
    EXPECT_EQ(r.json["admitted_then_not_judged"], 1);
    EXPECT_EQ(r.json["unchanged"], (Json{{"admitted", 0}, {"refused", 1}}));
    // A filter that only audits refuses no one: the sessions go on past it.
    r = Replay(dir, std::string(PROPOSED) + ", \"FLAG_VERSION\": 1, \"VERHIGHER\": \"2000\"}",
               KnownLog(), {"--from", "2026-11-01", "--audit-only", "8"});
    EXPECT_EQ(r.json["filters_not_judged"], Json::array());
    EXPECT_EQ(r.json["not_judged"]["sessions"], 0);
    EXPECT_EQ(r.json["admitted_now"]["sessions"], 1);
    EXPECT_EQ(r.json["unchanged"], (Json{{"admitted", 1}, {"refused", 1}}));

    // A line written at session start holds no user: the per-user filter cannot judge it.
    // A MAC address ARP did not find stays unread: the MAC filter refuses, as it would.
    const std::string log =
        Line("2026-11-03 07:30:00", "EARLY", "10.1.1.2", MAC, "", "Rejected",
             "REJECT_TIMERESTRICTION") +
        Line("2026-11-04 10:00:00", "FAR", "10.9.9.9", "", "dave", "Accepted", "");
    r = Replay(dir,
               "{\"FLAG_SERVEROPTION_SESSIONPERUSER\": 1, \"FLAG_MACADDRESS\": 1, "
               "\"FLAG_MACADDRESS_ALLOW\": 1, \"R_MAC\": [{\"MACADDRESS\": \"00-00-00-00-00-01\", "
               "\"TYPE\": 0}]}",
               log);
    ASSERT_EQ(r.result.exitCode, 1) << r.result.err;
    EXPECT_NE(r.json["not_judged"]["rules"][0]["rule"].get<std::string>().find(
                  "the Session per User filter needs the user name"),
              std::string::npos);
    EXPECT_EQ(r.json["refused_now"]["rules"][0]["code"], "REJECT_FAIL_GETMACADDRESS");
}

TEST(Replay, ExitCodesAndBadInput) {
    ScratchDir dir;
    // A log of admissions replayed with every filter off: nothing changes.
    const std::string admitted =
        Line("2026-11-02 08:30:00", "ADMIN-PC", "10.20.0.66", MAC, "admin", "Accepted", "") +
        Line("2026-11-03 22:00:00", "NIGHT", "10.1.1.1", MAC, "owl", "Accepted", "");
    Replayed same = Replay(dir, "{}", admitted);
    EXPECT_EQ(same.result.exitCode, 0) << same.result.err;
    EXPECT_EQ(same.json["unchanged"]["admitted"], 2);
    // Refusals only audited are no change: both still get in.
    same = Replay(dir, std::string(PROPOSED) + "}", admitted, {"--audit-only", "17"});
    EXPECT_EQ(same.result.exitCode, 0) << same.result.err;
    EXPECT_EQ(same.json["admitted_then_audited_now"], 2);
    const std::vector<std::vector<std::string>> bad = {
        {"--from", "2026-13-01"},
        {"--from", "2026-11-05", "--to", "2026-11-01"},
        {dir.Path("missing.log")},
    };
    for (const auto& extra : bad) {
        Replayed r = Replay(dir, "{}", KnownLog(), extra);
        EXPECT_EQ(r.result.exitCode, 2) << extra[0];
        EXPECT_TRUE(r.result.out.empty());
        EXPECT_FALSE(r.result.err.empty());
    }
    EXPECT_EQ(Replay(dir, "{}", "no line here\r\n").result.exitCode, 2);
}

TEST(Replay, UnreadableLinesAreNamedAndNeverAttributed) {
    ScratchDir dir;
    // The commas could belong to the computer name or the user name: which address is
    // the client's cannot be told.
    const std::string ambiguous =
        "2026-11-04 10:00:00,A,10.20.0.66,,RDP-Tcp#1,B,10.1.1.4,,5,Accepted,,\r\n";
    const std::string log =
        Line("2026-11-04 10:00:00", "=HYPERLINK(1)", "10.20.0.66", MAC, "eve", "Accepted", "") +
        ambiguous + "2026-11-04 25:00:00,X,10.1.1.5,,R,u,1,Accepted,,\r\n";
    Replayed r = Replay(dir, std::string(PROPOSED) + "}", log);
    ASSERT_EQ(r.result.exitCode, 1) << r.result.err;
    EXPECT_EQ(r.json["lines_skipped"]["count"], 2);
    EXPECT_EQ(r.json["lines_skipped"]["first"][0]["line"], 2);
    EXPECT_EQ(r.json["lines_skipped"]["first"][0]["problem"],
              "commas in a name leave its fields ambiguous");
    EXPECT_EQ(r.json["refused_now"]["sessions"], 1);

    // A name a spreadsheet would run is plain text in the CSV.
    CommandResult csv =
        Gwconfig({"replay", dir.Path("p.json"), dir.Path("a.log"), "--format", "csv"});
    EXPECT_NE(csv.out.find(",\"'=HYPERLINK(1)\","), std::string::npos) << csv.out;
    CommandResult text = Gwconfig({"replay", dir.Path("p.json"), dir.Path("a.log")});
    EXPECT_NE(text.out.find("2 unreadable lines ('" + dir.Path("a.log") + "' line 2: "),
              std::string::npos)
        << text.out;
}

// Random configurations, AuditOnly bits and clients: the replay's verdicts are the
// decision core's.
TEST(Replay, FastPathsDecideAsTheCore) {
    std::mt19937 random(35);
    int outcomes[2] = {0, 0};
    auto pick = [&random](uint32_t n) { return uint32_t(random() % n); };
    for (int round = 0; round < 40; ++round) {
        FilterConfigRecord config{};
        config.FLAG_IPADDRESS = pick(4) != 0;
        config.FLAG_IPADDRESS_ALLOW = pick(2);
        config.FLAG_COMPUTERNAME = pick(2);
        config.FLAG_COMPUTERNAME_ALLOW = pick(2);
        config.FLAG_MACADDRESS = pick(2);
        config.FLAG_MACADDRESS_ALLOW = 1;
        const int ipRows = pick(30);
        for (int k = 0; k < ipRows; ++k) {
            IpRangeRow* row = new IpRangeRow();
            const uint32_t low = pick(40);
            const std::string from = "10.0.0." + std::to_string(low);
            const char* const tos[] = {"", "0.0.0.0", "10.0.0.", "bad", "255.255.255.255"};
            std::string to = tos[pick(5)];
            if (to == "10.0.0.")
                to += std::to_string(pick(50));
            CopyToField(row->IPFROM, pick(10) == 0 ? "x" : from.c_str());
            CopyToField(row->IPTO, to.c_str());
            row->TYPE = int32_t(pick(3));
            config.ipRanges.push_back(row);
        }
        for (int k = 0; k < 4; ++k) {
            ComputerNameRow* row = new ComputerNameRow();
            const char* const names[] = {"PC-*", "*-7", "pc-3", "", "*"};
            CopyToField(row->CNAME, names[pick(5)]);
            row->TYPE = int32_t(pick(2));
            config.computerNames.push_back(row);
            MacAddressRow* mac = new MacAddressRow();
            CopyToField(mac->MACADDRESS, ("00-00-00-00-00-0" + std::to_string(pick(4))).c_str());
            mac->TYPE = int32_t(pick(2));
            config.macAddresses.push_back(mac);
        }
        const uint32_t audit = pick(3) == 0 ? pick(8) : 0; // of the first three filters
        ReplayConfig replay(config, audit);
        for (int client = 0; client < 120; ++client) {
            DescribedSession described;
            described.address = (10u << 24) | pick(60);
            described.hasName = true;
            described.name = "PC-" + std::to_string(pick(9));
            described.hasMac = true;
            described.mac[5] = uint8_t(pick(4));
            KnownSession known;
            known.address = FACT_HELD;
            known.addressValue = described.address;
            known.name = FACT_HELD;
            CopyFact(known.nameText, described.name);
            known.mac = FACT_HELD;
            FormatMacText(described.mac, known.macText, sizeof known.macText);
            DescribedFacts facts(described);
            SessionDecision core;
            DecideSession(config, facts, &core, audit);
            ReplayDecision replayed;
            DecideKnownSession(replay, known, &replayed);
            ASSERT_EQ(replayed.outcome == REPLAY_ADMITTED, core.admitted);
            ASSERT_EQ(replayed.audited, core.audited);
            ASSERT_EQ(replayed.auditedBy, core.auditedBy);
            ++outcomes[core.admitted ? 1 : 0];
            for (int k = 0; k < FILTER_COUNT; ++k) {
                const FilterVerdict& a = replayed.filters[k];
                const FilterVerdict& b = core.filters[k];
                ASSERT_EQ(a.outcome, b.outcome) << round << "/" << client << " filter " << k;
                ASSERT_EQ(a.rule, b.rule) << round << "/" << client << " filter " << k;
                ASSERT_EQ(a.row, b.row) << round << "/" << client << " filter " << k;
                ASSERT_EQ(a.audited, b.audited) << round << "/" << client << " filter " << k;
                ASSERT_EQ(a.code, b.code);
                ASSERT_EQ(a.value, b.value);
            }
        }
        ClearRecordLists(config);
    }
    EXPECT_GT(outcomes[0], 500);
    EXPECT_GT(outcomes[1], 500);
}
