// Tools > Logon Report: the menu entry, the boxes that say why there is no report, and
// the html report of the configured log in the temporary folder.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "config/config_model.h"
#include "console/res/resource.h"
#include "console/tools/logon_report_file.h"
#include "console_test_support.h"

namespace {

class LogonReportCommand : public ::testing::Test {
protected:
    void SetUp() override {
        DeleteConfigKey();
        ASSERT_TRUE(console.Start());
    }
    // Sets the log switch and file as the Logs page stores them.
    void UseLog(int32_t on, const std::string& path) {
        FilterConfig.FLAG_LOGON_LOGS = on;
        strncpy(FilterConfig.LOGON_LOGFILE, path.c_str(), sizeof FilterConfig.LOGON_LOGFILE - 1);
        FilterConfig.LOGON_LOGFILE[sizeof FilterConfig.LOGON_LOGFILE - 1] = '\0';
    }
    // The text of the one box the command shows.
    std::string BoxOfCommand() {
        boxes.boxes.clear();
        console.Command(ID_TOOLS_LOGON_REPORT);
        EXPECT_EQ(boxes.boxes.size(), 1u);
        return boxes.boxes.empty() ? std::string() : boxes.boxes[0].text;
    }
    BoxRecorder boxes;
    RunningConsole console;
};

} // namespace

TEST_F(LogonReportCommand, ToolsMenuSitsBetweenViewAndHelp) {
    MenuBar& bar = console.Frame().MenuBarControl();
    ASSERT_EQ(bar.EntryCount(), 4);
    EXPECT_EQ(bar.EntryText(1), "&View");
    EXPECT_EQ(bar.EntryText(2), "&Tools");
    EXPECT_EQ(bar.EntryText(3), "&Help");
    HMENU tools = bar.EntryPopup(2);
    ASSERT_NE(tools, nullptr);
    char text[64] = {};
    GetMenuStringA(tools, ID_TOOLS_LOGON_REPORT, text, sizeof text, MF_BYCOMMAND);
    EXPECT_STREQ(text, "Logon &Report...");
}

TEST_F(LogonReportCommand, SaysWhyThereIsNoReport) {
    std::string log = TempFile("gw-report-missing.log");
    DeleteFileA(log.c_str());
    UseLog(0, log);
    EXPECT_EQ(BoxOfCommand(), MSG_REPORT_LOGGING_OFF);
    UseLog(1, "");
    EXPECT_EQ(BoxOfCommand(), MSG_REPORT_NO_LOG_FILE);
    UseLog(1, log);
    std::string missing = BoxOfCommand();
    EXPECT_NE(missing.find("\"" + log + "\" does not exist yet"), std::string::npos) << missing;
    std::ofstream(log, std::ios::binary) << "";
    std::string empty = BoxOfCommand();
    EXPECT_NE(empty.find("is empty"), std::string::npos) << empty;
    DeleteFileA(log.c_str());
}

TEST_F(LogonReportCommand, WritesTheHtmlReportIntoTheTemporaryFolder) {
    std::string log = TempFile("gw-report-farm.log");
    std::ofstream(log, std::ios::binary)
        << "2026-12-07 08:00:00,PC1,10.0.0.1,,RDP-Tcp#1,,2,Rejected,REJECT_IPADDRESS,\r\n"
           "2026-12-07 08:10:00,PC1,10.0.0.1,,RDP-Tcp#1,,2,Rejected,REJECT_IPADDRESS,\r\n"
           "2026-12-07 09:00:00,PC2,10.0.0.2,,RDP-Tcp#2,ann,3,Accepted,,\r\n";
    UseLog(1, log);
    std::string path;
    ASSERT_EQ(WriteLogonReportFile(&path), LogonReportOutcome::Written) << path;
    char folder[MAX_PATH + 1] = {};
    GetTempPathA(MAX_PATH, folder);
    EXPECT_EQ(path, std::string(folder) + REPORT_FILE_NAME);
    std::ifstream in(path, std::ios::binary);
    std::ostringstream html;
    html << in.rdbuf();
    EXPECT_NE(html.str().find("<svg id=\"chart-days\""), std::string::npos);
    EXPECT_NE(html.str().find("<title>2026-12-07: IP address rule 2</title>"), std::string::npos);
    EXPECT_NE(html.str().find("<title>2026-12-07: accepted 1</title>"), std::string::npos);
    DeleteFileA(path.c_str());
    DeleteFileA(log.c_str());
}
