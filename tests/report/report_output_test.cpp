// gwconfig report: labels, formats and exit codes, and the CSV a spreadsheet opens.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "tests/gwconfig/gwconfig_test_support.h"
#include "report/shown_text.h"
#include "tests/report/report_test_logs.h"

namespace {

// Two servers of a farm: TS1 refuses by address, TS2 by time.
class ReportCommand : public ::testing::Test {
protected:
    void SetUp() override {
        WriteFile(
            dir_.Path("ts1.log"),
            LogLineText("2026-12-07 08:00:00", "PC1", "10.0.0.1", "", "", "2", "REJECT_IPADDRESS") +
                LogLineText("2026-12-07 08:05:00", "PC1", "10.0.0.1", "", "", "2",
                            "REJECT_IPADDRESS") +
                LogLineText("2026-12-07 09:00:00", "PC2", "10.0.0.2", "", "ann", "3", ""));
        WriteFile(dir_.Path("ts2.log"), LogLineText("2026-12-08 06:59:00", "PC3", "10.0.0.3", "",
                                                    "bob", "4", "REJECT_TIMERESTRICTION") +
                                            "garbage\r\n");
    }
    ScratchDir dir_;
};

} // namespace

TEST_F(ReportCommand, LabelsTheServersOfAFarmInJson) {
    CommandResult r = Gwconfig({"report", "--server", "TS1=" + dir_.Path("ts1.log"), "--server",
                                "TS2=" + dir_.Path("ts2.log"), "--format", "json"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    nlohmann::json j = nlohmann::json::parse(r.out);
    EXPECT_EQ(j["total"]["accepted"], 1);
    EXPECT_EQ(j["total"]["refused"], 3);
    EXPECT_EQ(j["total"]["lines_skipped"]["count"], 1);
    EXPECT_EQ(j["total"]["lines_skipped"]["first"][0]["line"], 2);
    ASSERT_EQ(j["servers"].size(), 2u);
    EXPECT_EQ(j["servers"][0]["name"], "TS1");
    EXPECT_EQ(j["servers"][0]["refusals_by_reason"]["REJECT_IPADDRESS"], 2);
    EXPECT_EQ(j["servers"][1]["name"], "TS2");
    EXPECT_EQ(j["servers"][1]["refusals_by_reason"]["REJECT_TIMERESTRICTION"], 1);
    EXPECT_EQ(j["total"]["clients_refused_most"][0]["computer_name"], "PC1");
    EXPECT_EQ(j["total"]["clients_refused_most"][0]["refused"], 2);
    EXPECT_EQ(j["total"]["users_refused_most"][0]["user"], "bob");
    // Monday 08:00 holds two refusals, Tuesday 06:00 one.
    EXPECT_EQ(j["total"]["refusals_by_weekday_and_hour"][0][8], 2);
    EXPECT_EQ(j["total"]["refusals_by_weekday_and_hour"][1][6], 1);
}

TEST_F(ReportCommand, ChoosesTheFormatAndFailsClearly) {
    // A plain log is labelled by its file name; a .html output means html.
    CommandResult r = Gwconfig({"report", dir_.Path("ts1.log"), "-o", dir_.Path("r.HTML")});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    std::string html = ReadFile(dir_.Path("r.HTML"));
    EXPECT_EQ(html.compare(0, 15, "<!DOCTYPE html>"), 0);
    EXPECT_NE(html.find("ts1.log"), std::string::npos);

    r = Gwconfig({"report", dir_.Path("ts1.log")});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("Sessions refused: 2"), std::string::npos) << r.out;

    struct Bad {
        std::vector<std::string> arguments;
        std::string says;
    } bad[] = {
        {{"report", dir_.Path("none.log")}, "cannot open"},
        {{"report", dir_.Path("ts1.log"), dir_.Path("none.log")}, "cannot open"},
        {{"report", "--server", "=x.log"}, "NAME=LOG"},
        {{"report", dir_.Path("ts1.log"), "--from", "2026-13-01"}, "--from"},
        {{"report", dir_.Path("ts1.log"), "--from", "2026-12-09", "--to", "2026-12-01"},
         "comes after"},
        {{"report"}, "at least one"},
    };
    for (const Bad& b : bad) {
        CommandResult f = Gwconfig(b.arguments);
        EXPECT_EQ(f.exitCode, 2) << b.arguments.back();
        EXPECT_NE(f.err.find(b.says), std::string::npos) << f.err;
        EXPECT_EQ(f.out, "");
    }
    WriteFile(dir_.Path("junk.log"), "not a log\r\nnor this\r\n");
    for (const char* format : {"text", "csv"}) {
        CommandResult f =
            Gwconfig({"report", dir_.Path("junk.log"), "--format", format, "-o", dir_.Path("x")});
        EXPECT_EQ(f.exitCode, 2) << format;
        EXPECT_NE(f.err.find("no line"), std::string::npos) << f.err;
        EXPECT_FALSE(Exists(dir_.Path("x")));
    }
}

TEST_F(ReportCommand, CsvOpensInASpreadsheetAsItIs) {
    WriteFile(dir_.Path("odd.log"),
              LogLineText("2026-12-07 08:00:00", "=cmd|'/c calc'!A1", "10.0.0.9", "", "+x", "1",
                          "REJECT_COMPUTERNAME") +
                  LogLineText("2026-12-07 08:00:01", "A,\"B\"", "10.0.0.9", "", "@me", "1", "") +
                  LogLineText("2026-12-07 08:00:02", "-2+3", "10.0.0.9", "",
                              "M\xFC"
                              "ller",
                              "4294967295", "") +
                  // Plain lines, one with a session id the row writes without its zeros.
                  LogLineText("2026-12-07 08:00:03", "PC9", "10.0.0.9", "00-1A-2B-3C-4D-5E", "anna",
                              "007", "") +
                  LogLineText("2026-12-07 08:00:04", "PC9", "10.0.0.9", "", "anna", "0",
                              "REJECT_MACADDRESS"));
    CommandResult r =
        Gwconfig({"report", "--server", "TS 1=" + dir_.Path("odd.log"), "--format", "csv"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string expected =
        "\xEF\xBB\xBFServer,Time,Computer name,Address,MAC address,WinStation,User,Session id,"
        "Decision,Code\r\n"
        "TS 1,2026-12-07 08:00:00,\"'=cmd|'/c calc'!A1\",10.0.0.9,,RDP-Tcp#7,\"'+x\",1,Rejected,"
        "REJECT_COMPUTERNAME\r\n"
        "TS 1,2026-12-07 08:00:01,\"A,\"\"B\"\"\",10.0.0.9,,RDP-Tcp#7,\"'@me\",1,Accepted,\r\n"
        "TS 1,2026-12-07 08:00:02,\"'-2+3\",10.0.0.9,,RDP-Tcp#7,M\xC3\xBCller,4294967295,"
        "Accepted,\r\n"
        "TS 1,2026-12-07 08:00:03,PC9,10.0.0.9,00-1A-2B-3C-4D-5E,RDP-Tcp#7,anna,7,Accepted,\r\n"
        "TS 1,2026-12-07 08:00:04,PC9,10.0.0.9,,RDP-Tcp#7,anna,0,Rejected,REJECT_MACADDRESS\r\n";
    EXPECT_EQ(r.out, expected);
    // The same bytes into a file, written piece by piece.
    r = Gwconfig({"report", "--server", "TS 1=" + dir_.Path("odd.log"), "--format", "csv", "-o",
                  dir_.Path("odd.csv")});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(ReadFile(dir_.Path("odd.csv")), expected);
}

TEST_F(ReportCommand, ReadsALogNamedTwiceOnce) {
    CommandResult r = Gwconfig({"report", dir_.Path("ts1.log"), "--server",
                                "TS=" + dir_.Path("./ts1.log"), "--format", "json"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.err.find("read once"), std::string::npos) << r.err;
    EXPECT_EQ(nlohmann::json::parse(r.out)["total"]["refused"], 2);
}

TEST_F(ReportCommand, NoControlCharacterReachesAnyFormatAndColumnsLineUp) {
    WriteFile(dir_.Path("ctl.log"),
              LogLineText("2026-12-07 08:00:00", "EVIL\x1B]0;owned\x07\x1B[31m", "10.0.0.9", "",
                          "J\xFCrgen", "1", "REJECT_SESSIONPERUSER") +
                  LogLineText("2026-12-07 08:00:01", "PC", "10.0.0.8", "", "Jurgen", "1",
                              "REJECT_SESSIONPERUSER"));
    for (const char* format : {"text", "html", "json", "csv"}) {
        CommandResult r = Gwconfig({"report", dir_.Path("ctl.log"), "--format", format});
        ASSERT_EQ(r.exitCode, 0) << r.err;
        for (char c : r.out)
            EXPECT_TRUE(static_cast<unsigned char>(c) >= 0x20 || c == '\n' || c == '\r')
                << format << " holds control " << int(c);
        if (std::string(format) == "text") {
            EXPECT_NE(r.out.find("EVIL\\x1B]0;owned\\x07"), std::string::npos);
            // The user columns end where the first-seen time starts, umlaut or not.
            auto column = [&](const std::string& user) {
                size_t at = r.out.find("  " + user);
                size_t time = r.out.find("2026-", at);
                return DisplayWidth(r.out.substr(at, time - at));
            };
            EXPECT_EQ(column("J\xC3\xBCrgen"), column("Jurgen"));
        }
    }
}

TEST_F(ReportCommand, CountsAuditedRefusalsApartInEveryFormat) {
    // A line a filter only audited, as the library writes it: the code it would have
    // refused with; the session's own line follows.
    auto audited = [](const std::string& line) {
        std::string text = line;
        return text.replace(text.find(",Rejected,"), 10, ",Audited,");
    };
    WriteFile(dir_.Path("audit.log"),
              audited(LogLineText("2026-12-07 08:00:00", "PC1", "10.0.0.1", "", "", "2",
                                  "REJECT_IPADDRESS")) +
                  LogLineText("2026-12-07 08:00:05", "PC1", "10.0.0.1", "", "ann", "2", "") +
                  audited(LogLineText("2026-12-07 09:00:00", "PC2", "10.0.0.2", "", "", "3",
                                      "REJECT_FAIL_GETMACADDRESS")));
    std::vector<std::string> farm = {"report", "--server", "TS1=" + dir_.Path("ts1.log"),
                                     "--server", "TS2=" + dir_.Path("audit.log")};
    auto run = [&](const char* format) {
        std::vector<std::string> arguments = farm;
        arguments.insert(arguments.end(), {"--format", format});
        CommandResult r = Gwconfig(arguments);
        EXPECT_EQ(r.exitCode, 0) << r.err;
        return r.out;
    };
    nlohmann::json j = nlohmann::json::parse(run("json"));
    EXPECT_EQ(j["total"]["accepted"], 2);
    EXPECT_EQ(j["total"]["refused"], 2) << "an audited refusal is no refusal";
    EXPECT_EQ(j["total"]["audited"], 2);
    EXPECT_EQ(j["total"]["audited_by_reason"]["REJECT_FAIL_GETMACADDRESS"], 1);
    EXPECT_EQ(j["servers"][0]["audited"], 0);
    EXPECT_EQ(j["servers"][1]["audited"], 2);
    EXPECT_EQ(j["servers"][1]["days"][0]["audited_reasons"]["REJECT_IPADDRESS"], 1);
    EXPECT_EQ(j["total"]["clients_audited_most"].size(), 2u);
    EXPECT_EQ(j["total"]["clients_refused_most"][0]["computer_name"], "PC1");
    EXPECT_EQ(j["total"]["clients_refused_most"][0]["audited"], 1);
    EXPECT_EQ(j["audited_words"]["REJECT_IPADDRESS"],
              "would have been refused by the IP Address filter");

    std::string text = run("text");
    EXPECT_NE(text.find("Refusals audited (the sessions went on): 2"), std::string::npos) << text;
    EXPECT_NE(text.find("would have been refused by the MAC address filter: MAC address could "
                        "not be read"),
              std::string::npos);
    std::string html = run("html");
    EXPECT_NE(html.find("<b id=\"audited\">2</b>"), std::string::npos);
    EXPECT_NE(html.find("id=\"chart-days-audited\""), std::string::npos);
    EXPECT_NE(run("csv").find(",2,Audited,REJECT_IPADDRESS\r\n"), std::string::npos);

    // Without an audited line the text says nothing of an audit.
    CommandResult plain = Gwconfig({"report", dir_.Path("ts1.log")});
    EXPECT_EQ(plain.out.find("audit"), std::string::npos);
}
