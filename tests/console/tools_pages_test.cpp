// The popup messages page and the log settings page: what they store at each
// keystroke, click and file choice, what they leave alone, and what apply writes.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "config/config_model.h"
#include "config/persistence.h"
#include "console/res/resource.h"
#include "console/widgets/tip_window.h"
#include "console_test_support.h"

namespace {
// Opens Tools item `item` as the administrator does; the configuration starts unmarked.
void OpenToolsPage(RunningConsole& console, int item, PageKind kind) {
    OutlookBar& bar = console.Frame().NavigationBar();
    ASSERT_TRUE(bar.OpenGroup(2));
    bar.ClickItem(item);
    PumpMessages();
    ASSERT_EQ(kind, console.Frame().CurrentPage()->Kind());
    FilterConfig.modified = 0;
}

std::string Text(HWND window) {
    char text[2048] = {};
    GetWindowTextA(window, text, sizeof(text));
    return text;
}

// Keystrokes at the end of an edit's text.
void Type(HWND edit, const std::string& keys) {
    for (char key : keys) {
        SendMessageA(edit, EM_SETSEL, 0x7FFFFFFF, 0x7FFFFFFF);
        SendMessageA(edit, WM_CHAR, static_cast<unsigned char>(key), 0);
    }
}

// Selects an item of a drop-down list as a user's pick does, notification included.
void Choose(HWND combo, int index) {
    SendMessageA(combo, CB_SETCURSEL, index, 0);
    SendMessageA(GetParent(combo), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(combo));
}

class ToolsPage : public ::testing::Test {
protected:
    void SetUp() override {
        DeleteConfigKey();
        ASSERT_TRUE(console.Start());
    }
    HWND Item(int id) { return console.PageItem(id); }
    BoxRecorder boxes;
    FileDialogDriver files;
    RunningConsole console;
};

// The fields each chooser item edits, in list order: the client version filter is third.
char (*const CAPTIONS[])[1024] = {
    &FilterConfig.TITLE_IPADDRESS,     &FilterConfig.TITLE_COMPUTERNAME,
    &FilterConfig.TITLE_VERSION,       &FilterConfig.TITLE_MACADDRESS,
    &FilterConfig.TITLE_TIME,          &FilterConfig.TITLE_SESSIONPERIP,
    &FilterConfig.TITLE_SESSIONPERUSER};
char (*const MESSAGES[])[1024] = {&FilterConfig.MSG_IPADDRESS,     &FilterConfig.MSG_COMPUTERNAME,
                                  &FilterConfig.MSG_VERSION,       &FilterConfig.MSG_MACADDRESS,
                                  &FilterConfig.MSG_TIME,          &FilterConfig.MSG_SESSIONPERIP,
                                  &FilterConfig.MSG_SESSIONPERUSER};
} // namespace

TEST_F(ToolsPage, PopupItemsShowTheirOwnTextsAndTypingStoresExactlyThatPair) {
    for (int i = 0; i < 7; ++i) {
        CopyToField(*CAPTIONS[i], ("caption " + std::to_string(i)).c_str());
        CopyToField(*MESSAGES[i], ("message " + std::to_string(i)).c_str());
    }
    OpenToolsPage(console, 1, PageKind::PopupMessages);
    HWND chooser = Item(IDC_POPUP_FILTER);
    std::vector<std::string> items;
    for (int i = 0; i < SendMessageA(chooser, CB_GETCOUNT, 0, 0); ++i) {
        char text[64] = {};
        SendMessageA(chooser, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
        items.push_back(text);
    }
    EXPECT_EQ((std::vector<std::string>{
                  "IP Address filter is enabled", "Computer Name filter is enabled",
                  "Client Version filter is enabled", "MAC address filter is enabled",
                  "Logon Time filter is enabled", "Session per IP Counter filter is enabled",
                  "Session per User Counter filter is enabled"}),
              items);
    EXPECT_EQ("caption 0", Text(Item(IDC_POPUP_TITLE)));
    EXPECT_EQ("message 0", Text(Item(IDC_POPUP_MESSAGE)));
    for (int i = 6; i >= 0; --i) {
        Choose(chooser, i);
        EXPECT_EQ("caption " + std::to_string(i), Text(Item(IDC_POPUP_TITLE)));
        EXPECT_EQ("message " + std::to_string(i), Text(Item(IDC_POPUP_MESSAGE)));
    }
    EXPECT_EQ(0, FilterConfig.modified); // looking is no edit

    Choose(chooser, 2);
    Type(Item(IDC_POPUP_TITLE), "x");
    EXPECT_EQ(1, FilterConfig.modified);
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(i == 2 ? "caption 2x" : "caption " + std::to_string(i),
                  std::string(*CAPTIONS[i]));
        EXPECT_EQ("message " + std::to_string(i), std::string(*MESSAGES[i]));
    }
}

TEST_F(ToolsPage, PopupMessageKeepsItsLineBreaksAndApplyWritesWhatIsShown) {
    OpenToolsPage(console, 1, PageKind::PopupMessages);
    Choose(Item(IDC_POPUP_FILTER), 4);
    SetWindowTextA(Item(IDC_POPUP_MESSAGE), "");
    Type(Item(IDC_POPUP_MESSAGE), "Weekdays only.\rCall 4711");
    EXPECT_STREQ("Weekdays only.\r\nCall 4711", FilterConfig.MSG_TIME);
    std::string caption = Text(Item(IDC_POPUP_TITLE));
    std::string message = Text(Item(IDC_POPUP_MESSAGE));
    ASSERT_EQ("", ApplyFromFileMenuAndReload(console, boxes));
    EXPECT_EQ(caption, FilterConfig.TITLE_TIME);
    EXPECT_EQ(message, FilterConfig.MSG_TIME);
}

TEST_F(ToolsPage, LogSwitchEnablesPathAndBrowAndClearingKeepsThePath) {
    CopyToField(FilterConfig.LOGON_LOGFILE, "C:\\Logs\\old.Log");
    OpenToolsPage(console, 2, PageKind::Logs);
    EXPECT_EQ("C:\\Logs\\old.Log", Text(Item(IDC_LOGON_LOG_FILE)));
    EXPECT_FALSE(IsWindowEnabled(Item(IDC_LOGON_LOG_FILE)));
    EXPECT_FALSE(IsWindowEnabled(Item(IDC_LOGON_LOG_BROWSE)));

    TipWindow& tip = SharedHelpTip();
    for (int32_t expected : {1, 0}) {
        Click(Item(IDC_LOGON_LOG_ENABLE));
        EXPECT_EQ(expected, FilterConfig.FLAG_LOGON_LOGS);
        EXPECT_EQ(expected == 1, IsWindowEnabled(Item(IDC_LOGON_LOG_FILE)) != FALSE);
        EXPECT_EQ(expected == 1, IsWindowEnabled(Item(IDC_LOGON_LOG_BROWSE)) != FALSE);
        ASSERT_TRUE(tip.IsShown());
        EXPECT_EQ("Write logon logs", tip.Title());
        RECT anchor = {};
        RECT shown = {};
        GetWindowRect(Item(IDC_LOGON_LOG_ENABLE), &anchor);
        GetWindowRect(tip.hwnd(), &shown);
        EXPECT_EQ(anchor.right + 15, shown.left);
        EXPECT_EQ(anchor.bottom + 25, shown.top);
    }
    tip.Hide();
    EXPECT_STREQ("C:\\Logs\\old.Log", FilterConfig.LOGON_LOGFILE);
    EXPECT_EQ(1, FilterConfig.modified);
}

TEST_F(ToolsPage, LogFileFromBrowOrTypingIsStoredAsItComes) {
    FilterConfig.FLAG_LOGON_LOGS = 1;
    OpenToolsPage(console, 2, PageKind::Logs);
    Click(Item(IDC_LOGON_LOG_BROWSE)); // cancelled
    EXPECT_EQ(0, FilterConfig.modified);
    ASSERT_EQ(1u, files.saveRequests.size());
    EXPECT_TRUE(files.saveRequests[0]);
    EXPECT_EQ("Keymoor (*.Log)|*.Log|", files.filters[0]);
    EXPECT_EQ("Terminallogon.Log", files.initialNames[0]);
    EXPECT_EQ("Log", files.defaultExts[0]);

    files.path = "C:\\Logs\\Terminallogon.Log";
    Click(Item(IDC_LOGON_LOG_BROWSE));
    EXPECT_STREQ("C:\\Logs\\Terminallogon.Log", FilterConfig.LOGON_LOGFILE);
    EXPECT_EQ(files.path, Text(Item(IDC_LOGON_LOG_FILE)));
    EXPECT_EQ(1, FilterConfig.modified);

    // Every keystroke is stored; a paste longer than the field is cut to 511.
    HWND edit = Item(IDC_LOGON_LOG_FILE);
    SetWindowTextA(edit, "");
    for (const char* typed : {"D", "D:", "D:\\"}) {
        Type(edit, std::string(1, typed[strlen(typed) - 1]));
        EXPECT_STREQ(typed, FilterConfig.LOGON_LOGFILE);
    }
    SetWindowTextA(edit, std::string(600, 'p').c_str());
    EXPECT_EQ(511u, strlen(FilterConfig.LOGON_LOGFILE));

    SetWindowTextA(edit, "E:\\Audit\\logon.Log");
    ASSERT_EQ("", ApplyFromFileMenuAndReload(console, boxes));
    EXPECT_EQ(1, FilterConfig.FLAG_LOGON_LOGS);
    EXPECT_STREQ("E:\\Audit\\logon.Log", FilterConfig.LOGON_LOGFILE);
}

TEST_F(ToolsPage, HiddenApplicationLogGroupIsStillWired) {
    OpenToolsPage(console, 2, PageKind::Logs);
    HWND check = Item(IDC_APP_LOG_ENABLE);
    EXPECT_FALSE(IsWindowVisible(check));
    SendMessageA(check, BM_SETCHECK, BST_CHECKED, 0);
    SendMessageA(console.Page(), WM_COMMAND, MAKEWPARAM(IDC_APP_LOG_ENABLE, BN_CLICKED),
                 reinterpret_cast<LPARAM>(check));
    EXPECT_EQ(1, FilterConfig.FLAG_APP_LOGS);
    EXPECT_TRUE(IsWindowEnabled(Item(IDC_APP_LOG_FILE)));
    SetWindowTextA(Item(IDC_APP_LOG_FILE), "C:\\typed.Log");
    EXPECT_STREQ("C:\\typed.Log", FilterConfig.APP_LOGFILE);
    EXPECT_STREQ("", FilterConfig.LOGON_LOGFILE);
    SharedHelpTip().Hide();
}

// The event log choice is stored beside the configuration, as "EventLog", by Apply; the
// apply is reported (event 2000, seen in Wine's trace by console_apply_event_trace).
TEST_F(ToolsPage, EventLogChoiceIsAppliedBesideTheConfiguration) {
    OpenToolsPage(console, 2, PageKind::Logs);
    HWND combo = Item(IDC_EVENT_LOG_LEVEL);
    EXPECT_EQ(1, SendMessageA(combo, CB_GETCURSEL, 0, 0)); // absent: refused sessions
    Choose(combo, 2);
    EXPECT_EQ(1, FilterConfig.modified);
    FilterConfig.FLAG_IPADDRESS = 1;
    ASSERT_EQ("", ApplyFromFileMenuAndReload(console, boxes));
    DWORD type = 0;
    std::vector<uint8_t> data;
    ASSERT_TRUE(ReadConfigValue("EventLog", &type, &data));
    EXPECT_EQ(static_cast<DWORD>(REG_DWORD), type);
    EXPECT_EQ((std::vector<uint8_t>{2, 0, 0, 0}), data);
    EXPECT_EQ(1, FilterConfig.FLAG_IPADDRESS);
}
