// Tools > Preview Impact: the item after the others; the clients that the edits would
// refuse and let in, from the logon log of the period and from the sessions on the server
// now (the Terminal Services stand-in); the period typed anew; a row selected with the
// keyboard and its entry shown on its page; a log that cannot be read said in one line
// while the sessions on the server still count; Cancel stops waiting; each configuration
// decides with its own AuditOnly.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

#include "config/audit_only_setting.h"
#include "config/config_model.h"
#include "config/persistence.h"
#include "config/side_settings.h"
#include "console/pages/list_page.h"
#include "console/res/resource.h"
#include "console/tools/impact_preview_dialog.h"
#include "console_test_support.h"
#include "report/log_line.h"
#include "tests/support/scenario_file.h"

namespace {

uint32_t ConsoleSessionId() {
    typedef DWORD(WINAPI * ConsoleIdFn)();
    ConsoleIdFn fn = reinterpret_cast<ConsoleIdFn>(reinterpret_cast<void (*)()>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "WTSGetActiveConsoleSessionId")));
    return fn != nullptr ? fn() : 0;
}

// "YYYY-MM-DD" of `back` days before today.
std::string DaysAgo(int back) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    char text[11];
    FormatDate(DaysFromDate(now.wYear, now.wMonth, now.wDay) - back, text);
    return text;
}

std::string Line(const std::string& day, const char* name, const char* address, const char* user,
                 const char* code) {
    return day + " 09:00:00," + name + "," + address + ",00-1A-2B-3C-4D-5E,RDP-Tcp#1," + user +
           ",2," + (code[0] != '\0' ? "Rejected" : "Accepted") + "," + code + ",\r\n";
}

void WriteText(const std::string& path, const std::string& text) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    WriteFile(file, text.data(), DWORD(text.size()), &written, nullptr);
    CloseHandle(file);
}

std::string Text(HWND window, int id) {
    wchar_t text[1024] = {};
    GetDlgItemTextW(window, id, text, 1024);
    char narrow[2048] = {};
    WideCharToMultiByte(CP_UTF8, 0, text, -1, narrow, sizeof narrow, nullptr, nullptr);
    return narrow;
}

// Each row's cells joined by " | ".
std::vector<std::string> Rows(HWND dialog) {
    HWND list = GetDlgItem(dialog, IDC_IMPACT_LIST);
    std::vector<std::string> rows;
    for (int row = 0; row < ListView_GetItemCount(list); ++row) {
        std::string cells;
        for (int column = 0; column < 5; ++column) {
            char text[512] = {};
            ListView_GetItemText(list, row, column, text, sizeof text);
            cells += (column == 0 ? "" : " | ") + std::string(text);
        }
        rows.push_back(cells);
    }
    return rows;
}

// Waits (30 s at most) while the dialog's messages run, until its work has ended.
void AwaitPreview(ModalDialog& dialog) {
    auto& preview = static_cast<ImpactPreviewDialog&>(dialog);
    PumpMessagesWhile([&] { return preview.Running(); }, 30000);
}

class ImpactPreview : public ::testing::Test {
protected:
    void SetUp() override {
        DeleteConfigKey();
        ASSERT_TRUE(console.Start());
        const uint32_t own = ConsoleSessionId() + 2;
        scenario.Write("self " + std::to_string(own) + "\nsession " + std::to_string(own) +
                       " state=0 winstation=\"RDP-Tcp#1\" client=ADMIN-PC address=10.20.0.66 "
                       "user=Administrator build=2600\nsession " +
                       std::to_string(own + 1) +
                       " state=0 winstation=\"RDP-Tcp#2\" client=KIOSK address=10.1.1.7 "
                       "user=kiosk build=2600\n");
        // Stored: 10.1.1.9 denied. Edited: the entry denies 10.20.0.66 instead.
        FilterConfig.FLAG_IPADDRESS = 1;
        FilterConfig.FLAG_IPADDRESS_ALLOW = 1;
        IpRangeRow* row = new IpRangeRow();
        CopyToField(row->IPFROM, "10.1.1.9");
        row->TYPE = ROW_LOGON_DISABLED;
        FilterConfig.ipRanges.push_back(row);
        CopyToField(FilterConfig.LOGON_LOGFILE, log.c_str());
        ASSERT_EQ(SaveConfigToRegistry(), 0);
        CopyToField(row->IPFROM, "10.20.0.66");
    }
    void TearDown() override {
        DeleteFileA(log.c_str());
        DeleteConfigKey();
    }

    const std::string log = TempFile("gw-impact-preview.log");
    ScenarioFile scenario;
    BoxRecorder boxes;
    DialogDriver dialogs;
    RunningConsole console;
};

} // namespace

TEST_F(ImpactPreview, ListsWhoWouldBeRefusedAndLetInAndShowsTheEntry) {
    MenuBar& bar = console.Frame().MenuBarControl();
    EXPECT_EQ(UINT(ID_TOOLS_PREVIEW_IMPACT), GetMenuItemID(bar.EntryPopup(2), 4));
    WriteText(log, Line(DaysAgo(1), "ADMIN-PC", "10.20.0.66", "admin", "") +
                       Line(DaysAgo(2), "ADMIN-PC", "10.20.0.66", "admin", "") +
                       Line(DaysAgo(3), "OLD", "10.1.1.9", "", "REJECT_IPADDRESS") +
                       Line(DaysAgo(40), "ADMIN-PC", "10.20.0.66", "admin", "") + "not a line\r\n");
    std::vector<std::string> rows, widened;
    std::string progress, note, detail;
    bool showBeforeSelection = true, showAfterSelection = false;
    dialogs.onDialog = [&](ModalDialog& dialog, HWND window, UINT) {
        AwaitPreview(dialog);
        rows = Rows(window);
        progress = Text(window, IDC_IMPACT_PROGRESS);
        note = Text(window, IDC_IMPACT_NOTE);
        // The period widened to take in the line of 40 days ago.
        TypeText(GetDlgItem(window, IDC_IMPACT_FROM), DaysAgo(45).c_str());
        Click(GetDlgItem(window, IDC_IMPACT_RUN));
        AwaitPreview(dialog);
        widened = Rows(window);
        showBeforeSelection = IsWindowEnabled(GetDlgItem(window, IDC_IMPACT_SHOW_ENTRY));
        SetFocus(GetDlgItem(window, IDC_IMPACT_LIST));
        PressKey(VK_DOWN);
        PressKey(VK_DOWN);
        showAfterSelection = IsWindowEnabled(GetDlgItem(window, IDC_IMPACT_SHOW_ENTRY));
        detail = Text(window, IDC_IMPACT_DETAIL);
        Click(GetDlgItem(window, IDC_IMPACT_SHOW_ENTRY));
    };
    console.Command(ID_TOOLS_PREVIEW_IMPACT);
    ASSERT_EQ(std::vector<UINT>{IDD_IMPACT_PREVIEW}, dialogs.opened);
    const std::string refusal = "Refused by the IP Address filter: 10.20.0.66 - Logon disabled "
                                "(entry 1 of 1 on the IP Address page)";
    ASSERT_EQ(rows.size(), 3u) << progress;
    EXPECT_EQ(rows[0], "refused | 10.20.0.66 \"ADMIN-PC\" | Administrator | on this server now | " +
                           refusal);
    EXPECT_EQ(rows[1], "refused | 10.20.0.66 \"ADMIN-PC\" | admin | 2 in the log, last " +
                           DaysAgo(1) + " 09:00:00 | " + refusal);
    EXPECT_EQ(rows[2], "let in | 10.1.1.9 \"OLD\" |  | 1 in the log, last " + DaysAgo(3) +
                           " 09:00:00 | Refused by the IP Address filter: 10.1.1.9 - Logon "
                           "disabled (entry 1 of 1 on the IP Address page); with the edits: "
                           "Passed the IP Address filter: No entry matches, and \"By default "
                           "allow logon\" is checked (IP Address page)");
    EXPECT_NE(progress.find("Log: 3 sessions, "), std::string::npos) << progress;
    EXPECT_NE(progress.find("(1 unreadable line). On this server now: 2 sessions."),
              std::string::npos)
        << progress;
    EXPECT_EQ(note, "2 clients would be refused, 1 would get in.");
    ASSERT_EQ(widened.size(), 3u);
    EXPECT_NE(widened[1].find("| 3 in the log"), std::string::npos) << widened[1];
    EXPECT_FALSE(showBeforeSelection);
    EXPECT_TRUE(showAfterSelection);
    EXPECT_EQ(detail, refusal); // the second row's words in full

    PumpMessages();
    PageView* page = console.Frame().CurrentPage();
    ASSERT_NE(nullptr, page);
    EXPECT_EQ(PageKind::IpAddress, page->Kind());
    EXPECT_EQ(std::vector<int>{0}, SelectedListRows(static_cast<ListPageBase*>(page)->ListView()));
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(ImpactPreview, AnUnreadableLogIsOneLineAndCancelStopsWaiting) {
    std::vector<std::string> rows;
    std::string progress, cancelled, closeButton;
    bool runningAtCancel = false;
    dialogs.onDialog = [&](ModalDialog& dialog, HWND window, UINT) {
        AwaitPreview(dialog);
        rows = Rows(window);
        progress = Text(window, IDC_IMPACT_PROGRESS);
        // A long log: the work is under way when Cancel is pressed.
        std::string lines;
        for (int k = 0; k < 100000; ++k)
            lines += Line(DaysAgo(1), "PC", "10.1.1.1", "u", "");
        WriteText(log, lines);
        Click(GetDlgItem(window, IDC_IMPACT_RUN));
        runningAtCancel = static_cast<ImpactPreviewDialog&>(dialog).Running();
        Click(GetDlgItem(window, IDCANCEL));
        cancelled = Text(window, IDC_IMPACT_PROGRESS);
        closeButton = Text(window, IDCANCEL);
        Click(GetDlgItem(window, IDCANCEL));
    };
    console.Command(ID_TOOLS_PREVIEW_IMPACT);
    EXPECT_EQ(progress.find("The logon log cannot be read ("), 0u) << progress;
    EXPECT_NE(progress.find("): only the sessions on this server now are compared. On this "
                            "server now: 2 sessions."),
              std::string::npos)
        << progress;
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].substr(0, 41), "refused | 10.20.0.66 \"ADMIN-PC\" | Adminis");
    EXPECT_TRUE(runningAtCancel);
    EXPECT_EQ(cancelled, "Cancelled: nothing is shown.");
    EXPECT_EQ(closeButton, "Close");
}

// The edited configuration decides with the pages' "Audit only" switches, the stored one
// with the AuditOnly stored beside it.
TEST_F(ImpactPreview, EachConfigurationDecidesWithItsOwnAuditOnly) {
    CopyToField(FilterConfig.ipRanges[0]->IPFROM, "10.1.1.9"); // as stored
    WriteText(log, Line(DaysAgo(1), "OLD", "10.1.1.9", "", "REJECT_IPADDRESS"));
    ASSERT_TRUE(OpenPageFromBar(console, 0, 0, PageKind::IpAddress));
    Click(console.PageItem(IDC_AUDIT_ONLY));
    ASSERT_EQ(1u, AuditOnlySettingValue);
    std::vector<std::string> rows;
    dialogs.onDialog = [&](ModalDialog& dialog, HWND window, UINT) {
        AwaitPreview(dialog);
        rows = Rows(window);
        Click(GetDlgItem(window, IDCANCEL));
    };
    const std::string entry = "10.1.1.9 - Logon disabled (entry 1 of 1 on the IP Address page)";
    const std::string seen = "1 in the log, last " + DaysAgo(1) + " 09:00:00 | ";
    console.Command(ID_TOOLS_PREVIEW_IMPACT);
    EXPECT_EQ(rows, std::vector<std::string>{"let in | 10.1.1.9 \"OLD\" |  | " + seen +
                                             "Refused by the IP Address filter: " + entry +
                                             "; with the edits: IP Address filter: would be "
                                             "refused, but the filter only audits: admitted: " +
                                             entry});

    // Stored to only audit, edited to enforce: the client would be refused.
    ASSERT_EQ(0, WriteSideSetting(SIDE_AUDIT_ONLY, 1));
    Click(console.PageItem(IDC_AUDIT_ONLY));
    console.Command(ID_TOOLS_PREVIEW_IMPACT);
    EXPECT_EQ(rows, std::vector<std::string>{"refused | 10.1.1.9 \"OLD\" |  | " + seen +
                                             "Refused by the IP Address filter: " + entry});
    EXPECT_TRUE(boxes.boxes.empty());
}
