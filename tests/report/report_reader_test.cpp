// Reading logon logs: lines as the library writes them (and as damaged files hold
// them), streamed in blocks, and the counts taken from them.
#include <gtest/gtest.h>

#include "engine/rejection.h"
#include "report/log_stream.h"
#include "report/log_summary.h"
#include "report/shown_text.h"
#include "tests/gwconfig/gwconfig_test_support.h"
#include "tests/report/report_test_logs.h"

namespace {

LogSummary Summarize(const std::string& path, const ReportPeriod& period = ReportPeriod()) {
    LogSummary summary;
    std::string error;
    EXPECT_TRUE(SummarizeLog(path, period, &summary, &error)) << error;
    return summary;
}

int ReasonIndex(const char* text) {
    return ReasonOfText(text);
}

} // namespace

TEST(ReportReader, ReadsARealLookingLog) {
    ScratchDir dir;
    std::string log;
    // Every code text once, each from its own client, on Monday 2026-12-07.
    for (int k = 0; k < REASON_COUNT; ++k)
        log += LogLineText(
            "2026-12-07 08:" + std::string(k < 10 ? "0" : "") + std::to_string(k) + ":00",
            "PC" + std::to_string(k), "10.0.0." + std::to_string(k), "", "", "2", Reason(k).text);
    // A computer name with commas, a high-ANSI name and user (code page 1252), the
    // session id of a failed query, an LF line end, an accepted logon.
    log += LogLineText("2026-12-08 23:59:59", "EVIL,,PC", "10.1.1.1", "00-1A-2B-3C-4D-5E",
                       "mallory", "4294967295", "REJECT_IPADDRESS");
    log += "2026-12-09 12:00:00,M\xDCLLER-PC,10.1.1.2,,RDP-Tcp#1,J\xFCrgen,4,Rejected,"
           "REJECT_TIMERESTRICTION,\n";
    log += LogLineText("2026-12-09 12:30:00", "OK-PC", "10.1.1.3", "", "alice", "5", "");
    // A last line cut short by a writer that stopped.
    log += "2026-12-09 13:00:00,CUT-PC,10.1.1.4,,RDP-T";
    WriteFile(dir.Path("a.log"), log);

    LogSummary s = Summarize(dir.Path("a.log"));
    EXPECT_EQ(s.total.accepted, 1u);
    EXPECT_EQ(s.total.refused, static_cast<uint32_t>(REASON_COUNT) + 2);
    for (int k = 0; k < REASON_COUNT; ++k) {
        uint32_t extra =
            k == ReasonIndex("REJECT_IPADDRESS") || k == ReasonIndex("REJECT_TIMERESTRICTION") ? 1
                                                                                               : 0;
        EXPECT_EQ(s.total.byReason[k], 1 + extra) << Reason(k).text;
    }
    EXPECT_EQ(s.skipped, 1u);
    ASSERT_EQ(s.firstSkipped.size(), 1u);
    EXPECT_EQ(s.firstSkipped[0].number, static_cast<uint64_t>(REASON_COUNT) + 4);
    EXPECT_EQ(s.firstSkipped[0].problem, LINE_FIELD_COUNT);
    EXPECT_EQ(s.firstTime, "2026-12-07 08:00:00");
    EXPECT_EQ(s.lastTime, "2026-12-09 12:30:00");

    ASSERT_EQ(s.clients.count(std::string("10.1.1.1\0EVIL,,PC\0"
                                          "00-1A-2B-3C-4D-5E",
                                          35)),
              1u);
    ASSERT_EQ(s.users.count("mallory"), 1u);
    ASSERT_EQ(s.users.count("J\xFCrgen"), 1u);
    EXPECT_EQ(ShownText(1252, "J\xFCrgen"), "J\xC3\xBCrgen");
    EXPECT_EQ(s.users.count(""), 0u) << "refusals before logon carry no user";
    // Monday 08:00-08:59 holds the sixteen; Tuesday 23:00 one; Wednesday 12:00 one.
    EXPECT_EQ(s.weekHour[0][8], static_cast<uint32_t>(REASON_COUNT));
    EXPECT_EQ(s.weekHour[1][23], 1u);
    EXPECT_EQ(s.weekHour[2][12], 1u);
    ASSERT_EQ(s.days.size(), 3u);
    EXPECT_EQ(s.days.rbegin()->second.accepted, 1u);
}

TEST(ReportReader, RefusesLinesTheLibraryNeverWrites) {
    const std::string good = "2026-12-07 08:00:00,PC,1.2.3.4,,RDP-Tcp#1,u,1,Rejected,"
                             "REJECT_MACADDRESS,";
    LogLine line;
    ASSERT_EQ(ParseLogLine(good, &line), LINE_OK);
    EXPECT_EQ(line.computerName, "PC");
    EXPECT_EQ(line.mac, "");
    EXPECT_EQ(line.reason, ReasonIndex("REJECT_MACADDRESS"));

    struct Case {
        std::string text;
        LineProblem problem;
    } cases[] = {
        {"", LINE_FIELD_COUNT},
        {"2026-12-07 08:00:00,", LINE_FIELD_COUNT},
        {"2026-12-07 08:00:00,,,,,,,,", LINE_FIELD_COUNT},
        {"2026-12-07 08:00:00,1.2.3.4,,RDP-Tcp#1,u,1,Accepted,,", LINE_FIELD_COUNT},
        {good.substr(0, good.size() - 1), LINE_FIELD_COUNT},
        {"2026-02-29 08:00:00,PC,1.2.3.4,,RDP-Tcp#1,u,1,Accepted,,", LINE_TIMESTAMP},
        {"2026-12-07 24:00:00,PC,1.2.3.4,,RDP-Tcp#1,u,1,Accepted,,", LINE_TIMESTAMP},
        {"07.12.2026 08:00,PC,1.2.3.4,,RDP-Tcp#1,u,1,Accepted,,", LINE_TIMESTAMP},
        {"2026-12-07 08:00:00,PC,1.2.3.4,,RDP-Tcp#1,u,4294967296,Accepted,,", LINE_SESSION_ID},
        {"2026-12-07 08:00:00,PC,1.2.3.4,,RDP-Tcp#1,u,-1,Accepted,,", LINE_SESSION_ID},
        {"2026-12-07 08:00:00,PC,1.2.3.4,,RDP-Tcp#1,u,1,accepted,,", LINE_DECISION},
        {"2026-12-07 08:00:00,PC,1.2.3.4,,RDP-Tcp#1,u,1,Rejected,REJECT_NOPE,", LINE_CODE},
        {"2026-12-07 08:00:00,PC,1.2.3.4,,RDP-Tcp#1,u,1,Accepted,REJECT_IPADDRESS,",
         LINE_CODE_MISMATCH},
        {"2026-12-07 08:00:00,PC,1.2.3.4,,RDP-Tcp#1,u,1,Rejected,,", LINE_CODE_MISMATCH},
        {"2026-12-07 08:00:00," + std::string(2000, 'x') + ",1.2.3.4,,RDP-Tcp#1,u,1,Accepted,,",
         LINE_TOO_LONG},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParseLogLine(c.text, &line), c.problem) << c.text;
    // A leap day is a date.
    EXPECT_EQ(ParseLogLine("2028-02-29 08:00:00,PC,1.2.3.4,,RDP-Tcp#1,u,1,Accepted,,", &line),
              LINE_OK);
}

TEST(ReportReader, CodeTextsAreTheLibrarysOwn) {
    for (int k = 0; k < REASON_COUNT; ++k) {
        if (Reason(k).code != 0)
            EXPECT_STREQ(Reason(k).text, RejectCodeText(Reason(k).code));
    }
    EXPECT_STREQ(RejectCodeText(-5), "REJECT_OTHER");
    EXPECT_EQ(ReasonOfText(RejectCodeText(-5)), REASON_COUNT - 1);
}

TEST(ReportReader, StreamsLinesAcrossBlocksAndSurvivesAnEndlessLine) {
    ScratchDir dir;
    std::string log;
    size_t lines = 0;
    while (log.size() < 2 * LOG_BLOCK_SIZE + 12345) {
        log += LogLineText("2026-12-07 10:00:00", "CLIENT-" + std::to_string(lines % 97),
                           "10.0.0.1", "", "user" + std::to_string(lines % 13), "3",
                           lines % 3 == 0 ? "REJECT_COMPUTERNAME" : "");
        ++lines;
        if (lines == 5000)
            log += std::string(200000, 'z') + "\r\n"; // no field ends in 200 KB
    }
    WriteFile(dir.Path("big.log"), log);
    LogSummary s = Summarize(dir.Path("big.log"));
    EXPECT_EQ(s.total.accepted + s.total.refused, lines);
    EXPECT_EQ(s.total.refused, (lines + 2) / 3);
    EXPECT_EQ(s.skipped, 1u);
    ASSERT_EQ(s.firstSkipped.size(), 1u);
    EXPECT_EQ(s.firstSkipped[0].number, 5001u);
    EXPECT_EQ(s.firstSkipped[0].problem, LINE_TOO_LONG);
    EXPECT_EQ(s.clients.size(), 97u);
    EXPECT_EQ(s.users.size(), 13u);
}

TEST(ReportReader, CountsOnlyThePeriodAndNamesMissingAndEmptyLogs) {
    ScratchDir dir;
    WriteFile(dir.Path("a.log"),
              LogLineText("2026-11-30 23:59:59", "A", "1.1.1.1", "", "", "1", "REJECT_MACADDRESS") +
                  LogLineText("2026-12-01 00:00:00", "B", "1.1.1.2", "", "", "1", "") +
                  LogLineText("2026-12-02 23:59:59", "C", "1.1.1.3", "", "", "1", "") +
                  LogLineText("2026-12-03 00:00:00", "D", "1.1.1.4", "", "", "1", ""));
    ReportPeriod period;
    period.hasFrom = ParseDate("2026-12-01", &period.fromDay);
    period.hasTo = ParseDate("2026-12-02", &period.toDay);
    LogSummary s = Summarize(dir.Path("a.log"), period);
    EXPECT_EQ(s.total.accepted, 2u);
    EXPECT_EQ(s.total.refused, 0u);
    EXPECT_EQ(s.outsidePeriod, 2u);

    WriteFile(dir.Path("empty.log"), "");
    LogSummary none;
    std::string error;
    EXPECT_FALSE(SummarizeLog(dir.Path("empty.log"), ReportPeriod(), &none, &error));
    EXPECT_NE(error.find("is empty"), std::string::npos) << error;
    EXPECT_FALSE(SummarizeLog(dir.Path("missing.log"), ReportPeriod(), &none, &error));
    EXPECT_NE(error.find("cannot open"), std::string::npos) << error;
}
