// The lockout guard and "Test a Client" over the Terminal Services stand-in, which
// describes the console's own session as remote from 10.20.0.66: a deny row for that
// address makes apply (menu and close prompt) ask first, No writes nothing, Yes
// writes; the console session is never asked about; the question and the test dialog
// open with the verdict and the entry in the pages' words; Show Entry shows that entry
// on its page; an empty field is a fact that cannot be read.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "config/audit_only_setting.h"
#include "config/config_model.h"
#include "console/pages/list_page.h"
#include "console/res/resource.h"
#include "explain/decision_text.h"
#include "console_test_support.h"
#include "platform/message_box.h"
#include "tests/support/scenario_file.h"

namespace {

const char* const GUARD_WORDS = "applying this configuration would lock you out";

uint32_t ConsoleSessionId() {
    typedef DWORD(WINAPI * ConsoleIdFn)();
    ConsoleIdFn fn = reinterpret_cast<ConsoleIdFn>(reinterpret_cast<void (*)()>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "WTSGetActiveConsoleSessionId")));
    return fn != nullptr ? fn() : 0;
}

class LockoutGuard : public ::testing::Test {
protected:
    void SetUp() override {
        DeleteConfigKey();
        ASSERT_TRUE(console.Start());
    }
    // The console runs in session `self`, whose client is ADMIN-PC at 10.20.0.66.
    void OwnSession(uint32_t self) {
        scenario.Write("self " + std::to_string(self) + "\nsession " + std::to_string(self) +
                       " state=0 winstation=\"RDP-Tcp#1\" client=ADMIN-PC address=10.20.0.66"
                       " user=Administrator build=2600\n");
    }
    void RemoteSession() { OwnSession(ConsoleSessionId() + 2); }
    // An edited, unapplied configuration that turns 10.20.0.66 away.
    void DenyOwnAddress() {
        FilterConfig.FLAG_IPADDRESS = 1;
        FilterConfig.FLAG_IPADDRESS_ALLOW = 1;
        IpRangeRow* row = new IpRangeRow();
        CopyToField(row->IPFROM, "10.20.0.66");
        row->TYPE = ROW_LOGON_DISABLED;
        FilterConfig.ipRanges.push_back(row);
        FilterConfig.modified = 1;
    }
    std::string ItemText(HWND dialog, int id) {
        char text[4096] = {};
        GetDlgItemTextA(dialog, id, text, sizeof text);
        return text;
    }

    ScenarioFile scenario;
    BoxRecorder boxes;
    DialogDriver dialogs;
    RunningConsole console;
};

TEST_F(LockoutGuard, ApplyAsksFirstNoWritesNothingYesWrites) {
    RemoteSession();
    DenyOwnAddress();
    const std::vector<uint8_t> stored = ReadTsdata();
    boxes.answers = {ANSWER_NO};
    console.Command(ID_APPLY_CONFIG);
    ASSERT_EQ(1u, boxes.boxes.size());
    const RecordedBox& question = boxes.boxes[0];
    EXPECT_EQ(0u, question.text.find("Refused by the IP Address filter: applying this "
                                     "configuration would lock you out.\n10.20.0.66 - Logon "
                                     "disabled (entry 1 of 1 on the IP Address page)\n"))
        << question.text;
    for (const char* part : {"Your session: address 10.20.0.66", "\n\nDetails: ValidateIPAddress",
                             "R_IPADDRESS row 1 refuses the client"})
        EXPECT_NE(std::string::npos, question.text.find(part)) << question.text;
    EXPECT_EQ(uint32_t(MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2), question.style);
    EXPECT_EQ(stored, ReadTsdata()) << "No must write nothing";
    EXPECT_EQ(1, FilterConfig.modified);
    EXPECT_EQ(1u, FilterConfig.ipRanges.size());

    boxes.answers = {ANSWER_YES};
    console.Command(ID_APPLY_CONFIG);
    ASSERT_EQ(3u, boxes.boxes.size());
    EXPECT_EQ("Configuration applied successfully!", boxes.boxes[2].text);
    EXPECT_NE(stored, ReadTsdata());
}

TEST_F(LockoutGuard, AFilterThatOnlyAuditsIsToldNotAskedAndTestAClientSaysSo) {
    RemoteSession();
    DenyOwnAddress();
    AuditOnlySettingValue = 0x1;
    const std::string words = "IP Address filter: would be refused, but the filter only audits: "
                              "admitted";
    std::string result;
    bool showEntry = false;
    dialogs.onDialog = [&](ModalDialog&, HWND dialog, UINT) {
        Click(GetDlgItem(dialog, IDC_TEST_RUN));
        result = ItemText(dialog, IDC_TEST_RESULT);
        showEntry = IsWindowEnabled(GetDlgItem(dialog, IDC_TEST_SHOW_ENTRY));
        Click(GetDlgItem(dialog, IDCANCEL));
    };
    console.Command(ID_TOOLS_TEST_CLIENT);
    EXPECT_EQ(0u, result.find(words + "\r\n10.20.0.66 - Logon disabled (entry 1 of 1 on the IP "
                                      "Address page)\r\n"))
        << result;
    EXPECT_TRUE(showEntry);

    const std::vector<uint8_t> stored = ReadTsdata();
    console.Command(ID_APPLY_CONFIG);
    ASSERT_EQ(2u, boxes.boxes.size());
    EXPECT_EQ(0u, boxes.boxes[0].text.find(words + ".\n")) << boxes.boxes[0].text;
    EXPECT_NE(std::string::npos, boxes.boxes[0].text.find("That would lock you out."));
    EXPECT_EQ(uint32_t(MB_OK | MB_ICONINFORMATION), boxes.boxes[0].style);
    EXPECT_EQ("Configuration applied successfully!", boxes.boxes[1].text);
    EXPECT_NE(stored, ReadTsdata());
}

TEST_F(LockoutGuard, CloseYesThenNoKeepsTheConsoleOpenAndTheRegistryUntouched) {
    RemoteSession();
    DenyOwnAddress();
    const std::vector<uint8_t> stored = ReadTsdata();
    boxes.answers = {ANSWER_YES, ANSWER_NO};
    SendMessageA(console.Frame().hwnd(), WM_CLOSE, 0, 0);
    PumpMessages();
    ASSERT_EQ(2u, boxes.boxes.size());
    EXPECT_NE(std::string::npos, boxes.boxes[1].text.find(GUARD_WORDS));
    EXPECT_TRUE(IsWindow(console.Frame().hwnd()));
    EXPECT_EQ(stored, ReadTsdata());
}

TEST_F(LockoutGuard, TheConsoleSessionIsNeverAsked) {
    OwnSession(ConsoleSessionId());
    DenyOwnAddress();
    console.Command(ID_APPLY_CONFIG);
    ASSERT_EQ(1u, boxes.boxes.size());
    EXPECT_EQ("Configuration applied successfully!", boxes.boxes[0].text);
}

TEST_F(LockoutGuard, ToolsMenuComesBeforeHelp) {
    MenuBar& bar = console.Frame().MenuBarControl();
    ASSERT_EQ(4, bar.EntryCount());
    EXPECT_EQ("&View", bar.EntryText(1));
    EXPECT_EQ("&Tools", bar.EntryText(2));
    EXPECT_EQ("&Help", bar.EntryText(3));
    EXPECT_EQ(UINT(ID_TOOLS_TEST_CLIENT), GetMenuItemID(bar.EntryPopup(2), 0));
}

TEST_F(LockoutGuard, TestDialogExplainsTheRefusingRowAndAdmitsAnotherClient) {
    RemoteSession();
    DenyOwnAddress();
    std::string own, refused, admitted;
    bool showAfterRefusal = false, showAfterAdmission = true;
    dialogs.onDialog = [&](ModalDialog&, HWND dialog, UINT) {
        own = ItemText(dialog, IDC_TEST_ADDRESS) + "|" + ItemText(dialog, IDC_TEST_NAME) + "|" +
              ItemText(dialog, IDC_TEST_USER) + "|" + ItemText(dialog, IDC_TEST_BUILD);
        Click(GetDlgItem(dialog, IDC_TEST_RUN));
        refused = ItemText(dialog, IDC_TEST_RESULT);
        showAfterRefusal = IsWindowEnabled(GetDlgItem(dialog, IDC_TEST_SHOW_ENTRY));
        SetDlgItemTextA(dialog, IDC_TEST_ADDRESS, "10.20.0.67");
        Click(GetDlgItem(dialog, IDC_TEST_RUN));
        admitted = ItemText(dialog, IDC_TEST_RESULT);
        showAfterAdmission = IsWindowEnabled(GetDlgItem(dialog, IDC_TEST_SHOW_ENTRY));
        SetDlgItemTextA(dialog, IDC_TEST_MAC, "00-1A-2B");
        Click(GetDlgItem(dialog, IDC_TEST_RUN));
        Click(GetDlgItem(dialog, IDCANCEL));
    };
    console.Command(ID_TOOLS_TEST_CLIENT);
    ASSERT_EQ(std::vector<UINT>{IDD_TEST_CLIENT}, dialogs.opened);
    EXPECT_EQ("10.20.0.66|ADMIN-PC|Administrator|2600", own);
    EXPECT_EQ(0u, refused.find("Refused by the IP Address filter\r\n10.20.0.66 - Logon disabled "
                               "(entry 1 of 1 on the IP Address page)\r\n"))
        << refused;
    EXPECT_NE(std::string::npos,
              refused.find("\r\nDetails\r\nClient: address 10.20.0.66, computer name"))
        << refused;
    EXPECT_NE(std::string::npos,
              refused.find("\r\nDecision: refused with code 1 (REJECT_IPADDRESS)"))
        << refused;
    EXPECT_EQ(0u, admitted.find("Admitted: no filter refuses this client\r\n")) << admitted;
    EXPECT_TRUE(showAfterRefusal);
    EXPECT_FALSE(showAfterAdmission);
    ASSERT_EQ(1u, boxes.boxes.size());
    EXPECT_EQ("MAC address: \"00-1A-2B\" is not a MAC address HH-HH-HH-HH-HH-HH",
              boxes.boxes[0].text);
    EXPECT_EQ(1, FilterConfig.modified); // testing changes nothing
}

TEST_F(LockoutGuard, ShowEntryShowsTheDecidingEntryOnItsPage) {
    RemoteSession();
    FilterConfig.FLAG_COMPUTERNAME = 1;
    FilterConfig.FLAG_COMPUTERNAME_ALLOW = 1;
    for (const char* name : {"TS1", "ADMIN-PC", "TS2"}) {
        ComputerNameRow* row = new ComputerNameRow();
        CopyToField(row->CNAME, name);
        row->TYPE = ROW_LOGON_DISABLED;
        FilterConfig.computerNames.push_back(row);
    }
    dialogs.onDialog = [&](ModalDialog&, HWND dialog, UINT) {
        Click(GetDlgItem(dialog, IDC_TEST_RUN));
        Click(GetDlgItem(dialog, IDC_TEST_SHOW_ENTRY));
    };
    console.Command(ID_TOOLS_TEST_CLIENT);
    PumpMessages();
    PageView* page = console.Frame().CurrentPage();
    ASSERT_NE(nullptr, page);
    EXPECT_EQ(PageKind::ComputerName, page->Kind());
    HWND list = static_cast<ListPageBase*>(page)->ListView();
    EXPECT_EQ(std::vector<int>{1}, SelectedListRows(list));
    EXPECT_EQ(list, GetFocus());
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(LockoutGuard, AnEmptyFieldIsAFactThatCannotBeRead) {
    // Disconnected and not counted, the own session counts 0 sessions: the counts
    // cannot be read, and their fields stay empty.
    scenario.Write("self 7\nsession 7 state=4 winstation=\"RDP-Tcp#1\" client=ADMIN-PC "
                   "address=10.20.0.66 user=Administrator build=2600\n");
    FilterConfig.IGNORE_DISCONNECTED = 1;
    FilterConfig.FLAG_USER_IGNORE_DISCONNECTED = 1;
    DenyOwnAddress();
    std::string counts, noAddress, filledTime, typedTime;
    dialogs.onDialog = [&](ModalDialog&, HWND dialog, UINT) {
        counts = ItemText(dialog, IDC_TEST_FROM_ADDRESS) + "|" + ItemText(dialog, IDC_TEST_OF_USER);
        SetDlgItemTextA(dialog, IDC_TEST_ADDRESS, "");
        SetDlgItemTextA(dialog, IDC_TEST_TIME, "");
        Click(GetDlgItem(dialog, IDC_TEST_RUN));
        noAddress = ItemText(dialog, IDC_TEST_RESULT);
        filledTime = ItemText(dialog, IDC_TEST_TIME);
        // Left as the dialog filled it, the field still stands for the moment of the test.
        Click(GetDlgItem(dialog, IDC_TEST_RUN));
        typedTime = ItemText(dialog, IDC_TEST_RESULT);
        SetDlgItemTextA(dialog, IDC_TEST_TIME, "2026-12-07 08:30:00");
        Click(GetDlgItem(dialog, IDC_TEST_RUN));
        typedTime += "|" + ItemText(dialog, IDC_TEST_RESULT);
        Click(GetDlgItem(dialog, IDCANCEL));
    };
    console.Command(ID_TOOLS_TEST_CLIENT);
    EXPECT_EQ("|", counts);
    EXPECT_TRUE(boxes.boxes.empty()) << boxes.boxes[0].text;
    EXPECT_EQ(0u, noAddress.find("Refused by the IP Address filter: the client address cannot be "
                                 "read\r\n"))
        << noAddress;
    LocalDateTime at{};
    EXPECT_TRUE(ParseCheckTime(filledTime, &at)) << filledTime;
    EXPECT_NE(std::string::npos, noAddress.find(filledTime + ", a ")) << noAddress;
    const size_t given = typedTime.find('|');
    EXPECT_NE(std::string::npos, typedTime.find("(the local clock)")) << typedTime;
    EXPECT_LT(given, typedTime.find("2026-12-07 08:30:00, a Monday (given)")) << typedTime;
}

} // namespace
