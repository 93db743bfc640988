// Reading logon logs: lines as the library writes them (and as damaged files hold
// them), streamed in blocks, and the counts taken from them.
#include <gtest/gtest.h>

#include "engine/rejection.h"
#include "report/log_stream.h"
#include "report/log_summary.h"
#include "report/logon_report.h"
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
        // The bytes just beside '0' and '9', and a digit where a separator belongs.
        {"2026-12-07 08:0/:00,PC,1.2.3.4,,RDP-Tcp#1,u,1,Accepted,,", LINE_TIMESTAMP},
        {"2026-1:-07 08:00:00,PC,1.2.3.4,,RDP-Tcp#1,u,1,Accepted,,", LINE_TIMESTAMP},
        {"2026-12-07008:00:00,PC,1.2.3.4,,RDP-Tcp#1,u,1,Accepted,,", LINE_TIMESTAMP},
        {"2026-12-07 08:00:00,PC,1.2.3.4,,RDP-Tcp#1,u,4294967296,Accepted,,", LINE_SESSION_ID},
        {"2026-12-07 08:00:00,PC,1.2.3.4,,RDP-Tcp#1,u,-1,Accepted,,", LINE_SESSION_ID},
        {"2026-12-07 08:00:00,PC,1.2.3.4,,RDP-Tcp#1,u,1,accepted,,", LINE_DECISION},
        {"2026-12-07 08:00:00,PC,1.2.3.4,,RDP-Tcp#1,u,1,Rejected,REJECT_NOPE,", LINE_CODE},
        {"2026-12-07 08:00:00,PC,1.2.3.4,,RDP-Tcp#1,u,1,Accepted,REJECT_IPADDRESS,",
         LINE_CODE_MISMATCH},
        {"2026-12-07 08:00:00,PC,1.2.3.4,,RDP-Tcp#1,u,1,Rejected,,", LINE_CODE_MISMATCH},
        {"2026-12-07 08:00:00,PC,1.2.3.4,,RDP-Tcp#1,u,1,Audited,,", LINE_CODE_MISMATCH},
        {"2026-12-07 08:00:00," + std::string(2000, 'x') + ",1.2.3.4,,RDP-Tcp#1,u,1,Accepted,,",
         LINE_TOO_LONG},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParseLogLine(c.text, &line), c.problem) << c.text;
    // A leap day is a date.
    EXPECT_EQ(ParseLogLine("2028-02-29 08:00:00,PC,1.2.3.4,,RDP-Tcp#1,u,1,Accepted,,", &line),
              LINE_OK);
    // A refusal a filter only audited: not a refusal, with the code it would have had.
    ASSERT_EQ(ParseLogLine("2026-12-07 08:00:00,PC,1.2.3.4,,RDP-Tcp#1,u,1,Audited,"
                           "REJECT_TIMERESTRICTION,",
                           &line),
              LINE_OK);
    EXPECT_TRUE(line.audited);
    EXPECT_FALSE(line.rejected);
    EXPECT_EQ(line.reason, ReasonIndex("REJECT_TIMERESTRICTION"));
}

TEST(ReportReader, KnowsTheWeekdayOfDaysBeforeAndAfter1970) {
    struct Day {
        const char* date;
        int weekday; // Monday 0
    } days[] = {{"1970-01-01", 3}, {"1969-12-29", 0}, {"1969-12-28", 6},
                {"2026-12-07", 0}, {"0001-01-01", 0}, {"9999-12-31", 4}};
    for (const Day& d : days) {
        int32_t number = 0;
        ASSERT_TRUE(ParseDate(d.date, &number));
        EXPECT_EQ(WeekdayOfDays(number), d.weekday) << d.date;
    }
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

TEST(ReportReader, ReadsExtraCommasOnlyWhereTheAddressShowsTheirPlace) {
    LogLine line;
    // In the computer name: the address and MAC address after it are well formed.
    ASSERT_EQ(ParseLogLine("2026-12-07 08:00:00,A,B,10.0.0.1,00-1A-2B-3C-4D-5E,RDP-Tcp#1,u,1,"
                           "Accepted,,",
                           &line),
              LINE_OK);
    EXPECT_EQ(line.computerName, "A,B");
    EXPECT_EQ(line.address, "10.0.0.1");
    const char* ambiguous[] = {
        // In the user name: WinStation or user could hold it; the MAC must never be
        // taken for the address.
        "2026-12-07 08:00:00,PC,10.0.0.1,00-1A-2B-3C-4D-5E,RDP-Tcp#1,smith,j,1,Accepted,,",
        "2026-12-07 08:00:00,PC,10.0.0.1,,RDP-Tcp#1,smith,j,1,Accepted,,",
        // A name that carries an address and MAC of its own.
        "2026-12-07 08:00:00,X,1.2.3.4,,10.0.0.1,,RDP-Tcp#1,u,1,Accepted,,",
        // No place at all leaves a real address.
        "2026-12-07 08:00:00,A,B,C,,RDP-Tcp#1,u,1,Accepted,,",
    };
    for (const char* text : ambiguous)
        EXPECT_EQ(ParseLogLine(text, &line), LINE_FIELDS_AMBIGUOUS) << text;
}

TEST(ReportReader, ShowsControlsVisiblyAndMeasuresColumns) {
    EXPECT_EQ(ShownText(1252, "a\x1B]0;x\x07"
                              "b\x7F"),
              "a\\x1B]0;x\\x07b\\x7F");
    // 0x81 is undefined in 1252 and reads as the C1 control U+0081.
    EXPECT_EQ(ShownText(1252, "x\x81y"), "x\\x81y");
    // A right-to-left override would turn the columns around.
    EXPECT_EQ(ShownText(65001, "a\xE2\x80\xAE"
                               "b"),
              "a\\u202Eb");
    EXPECT_EQ(ShownText(1252, "M\xFCller"), "M\xC3\xBCller");

    EXPECT_EQ(DisplayWidth("M\xC3\xBCller"), 6u);
    EXPECT_EQ(DisplayWidth("e\xCC\x81"), 1u);                // e + combining acute
    EXPECT_EQ(DisplayWidth("\xE6\x9D\xB1\xE4\xBA\xAC"), 4u); // two wide ideographs
    EXPECT_EQ(CutToWidth("abcdef", 4), "abc\xE2\x80\xA6");
    EXPECT_EQ(CutToWidth("\xC3\xBC\xC3\xBC\xC3\xBC", 3), "\xC3\xBC\xC3\xBC\xC3\xBC");
    EXPECT_EQ(CutToWidth("\xE6\x9D\xB1\xE4\xBA\xAC", 3), "\xE6\x9D\xB1\xE2\x80\xA6");
}

TEST(ReportReader, KeepsFirstAndLastLineNetworksAndSilentDays) {
    ScratchDir dir;
    // A scan over 10.9.8.0/24 on the 7th and 10th; the 8th and 9th have no line.
    std::string log;
    for (int k = 1; k <= 3; ++k)
        log += LogLineText("2026-12-07 0" + std::to_string(k) + ":00:00", "S",
                           "10.9.8." + std::to_string(k), "", "", "1", "REJECT_IPADDRESS");
    log +=
        LogLineText("2026-12-10 05:06:07", "S", "10.9.7.1", "", "", "1", "REJECT_TIMERESTRICTION");
    log += LogLineText("2026-12-10 06:00:00", "OK", "10.0.0.1", "", "ann", "1", "");
    // No address and no name: the client is its MAC address alone.
    log += LogLineText("2026-12-10 06:30:00", "", "", "00-1A-2B-3C-4D-5E", "", "1",
                       "REJECT_FAIL_GETIPADDRESS");
    WriteFile(dir.Path("a.log"), log);
    LogSummary s = Summarize(dir.Path("a.log"));

    auto nets24 = NetworkTallies(s, 24);
    ASSERT_EQ(nets24.size(), 3u);
    const Tally& scan = nets24.at(0x0A0908);
    EXPECT_EQ(scan.refused, 3u);
    EXPECT_EQ(TimeText(scan.firstSeen), "2026-12-07 01:00:00");
    EXPECT_EQ(TimeText(scan.lastSeen), "2026-12-07 03:00:00");
    EXPECT_EQ(NetworkTallies(s, 16).at(0x0A09).refused, 4u);
    LogSummary farm; // as a farm's total is merged from its servers
    MergeSummary(s, &farm);
    EXPECT_EQ(TimeText(NetworkTallies(farm, 24).at(0x0A0908).firstSeen), "2026-12-07 01:00:00");
    EXPECT_EQ(NetworkText(0x0A0908, 24), "10.9.8.0/24");
    EXPECT_EQ(NetworkText(0x0A09, 16), "10.9.0.0/16");
    EXPECT_EQ(RefusedCount(s.clients), 5u);
    std::string macOnly = std::string(2, CLIENT_KEY_SEPARATOR) + "00-1A-2B-3C-4D-5E";
    EXPECT_EQ(s.clients.count(macOnly), 1u);
    EXPECT_EQ(s.weekHourTime[3][5], 1u) << "Thursday 05:00, the time window only";
    EXPECT_EQ(s.weekHour[0][1], 1u);
    EXPECT_EQ(s.weekHourTime[0][1], 0u);

    int32_t d7, d10;
    ASSERT_TRUE(ParseDate("2026-12-07", &d7));
    ASSERT_TRUE(ParseDate("2026-12-10", &d10));
    auto silent = SilentDays(s, d7 - 1, d10 + 2);
    ASSERT_EQ(silent.size(), 3u);
    EXPECT_EQ(DaysText(silent[0]), "2026-12-06");
    EXPECT_EQ(DaysText(silent[1]), "2026-12-08 to 2026-12-09");
    EXPECT_EQ(DaysText(silent[2]), "2026-12-11 to 2026-12-12");

    auto days = DayBuckets(s, d7, d10, false);
    ASSERT_EQ(days.size(), 4u) << "every day of the period, lines or not";
    EXPECT_EQ(days[1].second.refused + days[1].second.accepted, 0u);
    EXPECT_EQ(days[3].second.accepted, 1u);
    // By week: Monday the 7th starts the week that holds all six lines.
    auto weeks = DayBuckets(s, d7 + 1, d10 + 30, true);
    EXPECT_EQ(weeks[0].first, d7);
    EXPECT_EQ(weeks[0].second.refused, 2u) << "the 7th lies before the period";
    EXPECT_EQ(weeks.size(), 5u);
}
