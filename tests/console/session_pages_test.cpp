// The session count pages: the enabling of the default count, the count field's
// checks and the one message per failed change, the fixed reading order when a check
// box is clicked while the count fails, the add and edit dialogs, the context menu of
// the sessions per IP page, and what an apply writes to the registry.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "config/config_model.h"
#include "config/persistence.h"
#include "console/pages/ip_address_text.h"
#include "console/pages/list_view_rows.h"
#include "console/pages/session_per_user_page.h"
#include "console/res/resource.h"
#include "console/widgets/tip_window.h"
#include "console_test_support.h"

namespace {
const char RANGE_MESSAGE[] = "Please enter an integer between 1 and 9.";
const char INTEGER_MESSAGE[] = "Please enter an integer.";

// A running console; Open shows the page of item `item` of the "Session limited"
// group, opened as the administrator opens it, filled from FilterConfig as it is then.
class SessionPage : public ::testing::Test {
protected:
    void Start() {
        DeleteConfigKey();
        ASSERT_TRUE(console.Start());
    }
    void Open(int item) {
        FilterConfig.modified = 0;
        ASSERT_TRUE(console.Frame().NavigationBar().OpenGroup(1));
        console.Frame().NavigationBar().ClickItem(item);
        PumpMessages();
        ASSERT_EQ(item == 0 ? PageKind::SessionPerIp : PageKind::SessionPerUser,
                  console.Frame().CurrentPage()->Kind());
    }
    HWND Item(int id) { return console.PageItem(id); }
    std::string Text(HWND window) {
        char text[300] = {};
        GetWindowTextA(window, text, sizeof(text));
        return text;
    }
    bool Checked(int id) { return SendMessageA(Item(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }
    std::vector<std::string> BoxTexts() {
        std::vector<std::string> texts;
        for (const RecordedBox& box : boxes.boxes)
            texts.push_back(box.text);
        return texts;
    }
    // Runs the add or edit dialog with `fill` and reports whether OK closed it.
    bool RunDialog(int button, const std::function<void(HWND)>& fill) {
        bool closed = false;
        dialogs.onDialog = [&](ModalDialog& dialog, HWND window, UINT) {
            fill(window);
            Click(GetDlgItem(window, IDOK));
            closed = dialog.EndRequested();
            if (!closed)
                Click(GetDlgItem(window, IDCANCEL));
        };
        Click(Item(button));
        dialogs.onDialog = nullptr;
        return closed;
    }
    void ExpectTipAt(const char* title, int anchor, bool fromRight, int dx, int dy) {
        TipWindow& tip = SharedHelpTip();
        ASSERT_TRUE(tip.IsShown());
        EXPECT_EQ(title, tip.Title());
        RECT box = {};
        GetWindowRect(Item(anchor), &box);
        RECT shown = {};
        GetWindowRect(tip.hwnd(), &shown);
        EXPECT_EQ((fromRight ? box.right : box.left) + dx, shown.left) << title;
        EXPECT_EQ(box.bottom + dy, shown.top) << title;
        tip.Hide();
    }
    // The page's rows as "text/count".
    std::vector<std::string> ShownRows(int list) {
        std::vector<std::string> rows;
        for (int i = 0; i < ListRowCount(Item(list)); ++i)
            rows.push_back(ListCellText(Item(list), i, 0) + "/" + ListCellText(Item(list), i, 1));
        return rows;
    }

    BoxRecorder boxes;
    DialogDriver dialogs;
    RunningConsole console;
};

class SessionPerIpPage : public SessionPage {
protected:
    void SetUp() override {
        Start();
        FilterConfig.FLAG_SERVEROPTION = 1;
        FilterConfig.SESSION_PER_IP = 5;
        FilterConfig.sessionIps.push_back(new SessionIpRow{"10.0.0.1", 3});
        Open(0);
    }
    HWND Count() { return Item(IDC_SIP_COUNT); }
    void SwitchDefaultOn() {
        Click(Item(IDC_SESSION_DEFAULT));
        SharedHelpTip().Hide();
    }
};

class SessionUserPage : public SessionPage {
protected:
    void SetUp() override {
        Start();
        FilterConfig.FLAG_SERVEROPTION_SESSIONPERUSER = 1;
        FilterConfig.FLAG_SESSION_PER_USER_DEFAULT = 1;
        FilterConfig.SESSIONPERUSER_COUNT = 7;
        Open(1);
    }
    HWND Count() { return Item(IDC_SUSER_COUNT); }
    void AddUser(const char* name, const char* count) {
        EXPECT_TRUE(RunDialog(IDC_SUSER_ADD, [=](HWND dialog) {
            SetDlgItemTextA(dialog, IDC_SUSER_NAME, name);
            SetDlgItemTextA(dialog, IDC_SIP_COUNT, count);
        }));
    }
};
} // namespace

TEST_F(SessionPerIpPage, OpensWithTheStoredCountWhichBothSwitchesEnable) {
    EXPECT_EQ(0, FilterConfig.modified); // filling the page is no change
    EXPECT_EQ("5", Text(Count()));       // not the arrows' 1
    HWND arrows = Item(IDC_SIP_ARROWS);
    EXPECT_EQ(reinterpret_cast<LRESULT>(Count()), SendMessageA(arrows, UDM_GETBUDDY, 0, 0));
    int low = 0;
    int high = 0;
    SendMessageA(arrows, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&low),
                 reinterpret_cast<LPARAM>(&high));
    EXPECT_EQ(1, low);
    EXPECT_EQ(9, high);
    EXPECT_EQ((std::vector<std::string>{"10.0.0.1/3"}), ShownRows(IDC_SIP_LIST));
    EXPECT_EQ(140, ListView_GetColumnWidth(Item(IDC_SIP_LIST), 1));

    // Filter on, default off: the count and its arrows wait for "By default ".
    const int withFilter[] = {IDC_SIP_RESET,  IDC_SIP_IGNORE, IDC_SESSION_DEFAULT, IDC_SIP_ADD,
                              IDC_SIP_REMOVE, IDC_SIP_EDIT,   IDC_SIP_LIST};
    for (int id : withFilter)
        EXPECT_TRUE(IsWindowEnabled(Item(id))) << id;
    EXPECT_FALSE(IsWindowEnabled(Count()));
    EXPECT_FALSE(IsWindowEnabled(arrows));
    Click(Item(IDC_SESSION_DEFAULT));
    EXPECT_EQ(1, FilterConfig.FLAG_SERVEROPTION_CHECK_TYPE);
    EXPECT_EQ(1, FilterConfig.modified);
    EXPECT_TRUE(IsWindowEnabled(Count()));
    EXPECT_TRUE(IsWindowEnabled(arrows));
    ExpectTipAt("By default ", IDC_SESSION_DEFAULT, true, 5, 25);

    // Filter off: everything but the filter switch is disabled, and no tip shows.
    Click(Item(IDC_SIP_ENABLE));
    EXPECT_EQ(0, FilterConfig.FLAG_SERVEROPTION);
    for (int id : withFilter)
        EXPECT_FALSE(IsWindowEnabled(Item(id))) << id;
    EXPECT_FALSE(IsWindowEnabled(Count()));
    EXPECT_FALSE(IsWindowEnabled(arrows));
    EXPECT_FALSE(SharedHelpTip().IsShown());
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(SessionPerIpPage, DefaultCountKeepsOnlyOneToNineWithOneMessagePerFailedChange) {
    SwitchDefaultOn();
    FilterConfig.modified = 0;
    TypeText(Count(), "12");
    EXPECT_EQ((std::vector<std::string>{RANGE_MESSAGE}), BoxTexts());
    EXPECT_EQ(5, FilterConfig.SESSION_PER_IP);
    EXPECT_EQ(0, FilterConfig.modified);
    TypeText(Count(), "x");
    EXPECT_EQ(INTEGER_MESSAGE, BoxTexts().back());
    EXPECT_EQ(5, FilterConfig.SESSION_PER_IP);

    // Keystrokes that arrive while the message is up show no second message.
    boxes.boxes.clear();
    boxes.whileShown = [&] { TypeText(Count(), "13"); };
    TypeText(Count(), "10");
    boxes.whileShown = nullptr;
    EXPECT_EQ(1u, boxes.boxes.size());
    EXPECT_EQ(5, FilterConfig.SESSION_PER_IP);

    TypeText(Count(), "4");
    EXPECT_EQ(4, FilterConfig.SESSION_PER_IP);
    EXPECT_EQ(1, FilterConfig.modified);
    EXPECT_EQ(1u, boxes.boxes.size());

    // The up arrow steps the number the field shows, and that is stored.
    HWND arrows = Item(IDC_SIP_ARROWS);
    RECT area = {};
    GetClientRect(arrows, &area);
    LPARAM upper = MAKELPARAM(area.right / 2, area.bottom / 4);
    SendMessageA(arrows, WM_LBUTTONDOWN, MK_LBUTTON, upper);
    SendMessageA(arrows, WM_LBUTTONUP, 0, upper);
    EXPECT_EQ("5", Text(Count()));
    EXPECT_EQ(5, FilterConfig.SESSION_PER_IP);
}

TEST_F(SessionPerIpPage, ACheckBoxClickedWhileTheCountFailsKeepsItsSetting) {
    SwitchDefaultOn();
    TypeText(Count(), "12");
    boxes.boxes.clear();
    Click(Item(IDC_SIP_RESET));
    EXPECT_EQ((std::vector<std::string>{RANGE_MESSAGE}), BoxTexts());
    EXPECT_EQ(0, FilterConfig.REMOVE_DISCONNECTED);
    EXPECT_FALSE(Checked(IDC_SIP_RESET)); // the box shows the setting it kept
    EXPECT_FALSE(SharedHelpTip().IsShown());
    Click(Item(IDC_SESSION_DEFAULT)); // read after the count too
    EXPECT_EQ(1, FilterConfig.FLAG_SERVEROPTION_CHECK_TYPE);
    EXPECT_TRUE(Checked(IDC_SESSION_DEFAULT));

    // With a good count the option is stored and shows its tip.
    TypeText(Count(), "2");
    Click(Item(IDC_SIP_RESET));
    EXPECT_EQ(1, FilterConfig.REMOVE_DISCONNECTED);
    ExpectTipAt("Reset disconnected sessions for the user logging in from the same IP Address",
                IDC_SIP_RESET, false, 15, 20);
    Click(Item(IDC_SIP_IGNORE));
    EXPECT_EQ(1, FilterConfig.IGNORE_DISCONNECTED);
    ExpectTipAt("Ignore Disconnected sessions when calculating session usage", IDC_SIP_IGNORE,
                false, 5, 20);

    // A disabled count cannot be corrected, so it does not block the other boxes.
    FilterConfig.SESSION_PER_IP = 12;
    FilterConfig.FLAG_SERVEROPTION_CHECK_TYPE = 0;
    ASSERT_TRUE(console.Frame().ReplacePage(PageKind::SessionPerIp));
    boxes.boxes.clear();
    Click(Item(IDC_SIP_IGNORE));
    EXPECT_EQ(0, FilterConfig.IGNORE_DISCONNECTED);
    EXPECT_TRUE(boxes.boxes.empty());
    SharedHelpTip().Hide();
}

TEST_F(SessionPerIpPage, DialogsCheckTheCountAndAddOnlyAnAddress) {
    std::string caption;
    std::string shownCount;
    EXPECT_TRUE(RunDialog(IDC_SIP_ADD, [&](HWND dialog) {
        caption = Text(dialog);
        shownCount = Text(GetDlgItem(dialog, IDC_SIP_COUNT));
        WriteIpAddressControl(GetDlgItem(dialog, IDC_IP_FROM), "10.1.2.3");
        SetDlgItemTextA(dialog, IDC_SIP_COUNT, "3");
    }));
    EXPECT_EQ("Add Session per IP", caption);
    EXPECT_EQ("1", shownCount);
    // A blank address closes the dialog and adds nothing.
    EXPECT_TRUE(RunDialog(IDC_SIP_ADD, [](HWND dialog) {
        WriteIpAddressControl(GetDlgItem(dialog, IDC_IP_FROM), "");
    }));
    // A count of 0 keeps the dialog open with the range message.
    EXPECT_FALSE(RunDialog(IDC_SIP_ADD, [](HWND dialog) {
        WriteIpAddressControl(GetDlgItem(dialog, IDC_IP_FROM), "10.9.9.9");
        SetDlgItemTextA(dialog, IDC_SIP_COUNT, "0");
    }));
    EXPECT_EQ((std::vector<std::string>{RANGE_MESSAGE}), BoxTexts());
    ASSERT_EQ(2u, FilterConfig.sessionIps.size());
    EXPECT_STREQ("10.1.2.3", FilterConfig.sessionIps[1]->SESSION_IP);
    EXPECT_EQ(3, FilterConfig.sessionIps[1]->SESSION_IPCOUNTER);
    EXPECT_EQ((std::vector<std::string>{"10.0.0.1/3", "10.1.2.3/3"}), ShownRows(IDC_SIP_LIST));

    // Edit shows the row's count, not the arrows' 1, and writes both back.
    SelectListRows(Item(IDC_SIP_LIST), {0});
    FilterConfig.modified = 0;
    EXPECT_TRUE(RunDialog(IDC_SIP_EDIT, [&](HWND dialog) {
        shownCount = Text(GetDlgItem(dialog, IDC_SIP_COUNT));
        WriteIpAddressControl(GetDlgItem(dialog, IDC_IP_FROM), "10.0.0.2");
        SetDlgItemTextA(dialog, IDC_SIP_COUNT, "9");
    }));
    EXPECT_EQ(IDD_EDIT_SESSION_IP, dialogs.opened.back());
    EXPECT_EQ("3", shownCount);
    EXPECT_STREQ("10.0.0.2", FilterConfig.sessionIps[0]->SESSION_IP);
    EXPECT_EQ(9, FilterConfig.sessionIps[0]->SESSION_IPCOUNTER);
    EXPECT_EQ("10.0.0.2/9", ShownRows(IDC_SIP_LIST)[0]);
    EXPECT_EQ(1, FilterConfig.modified);
}

TEST_F(SessionPerIpPage, ContextMenuCommandsDoNothingWhileTheFilterIsOff) {
    Click(Item(IDC_SIP_ENABLE));
    SelectListRows(Item(IDC_SIP_LIST), {0});
    for (UINT command : {ID_ITEM_ADD, ID_ITEM_REMOVE, ID_ITEM_EDIT})
        SendMessageA(console.Page(), WM_COMMAND, MAKEWPARAM(command, 0), 0);
    EXPECT_TRUE(dialogs.opened.empty());
    EXPECT_EQ(1u, FilterConfig.sessionIps.size());

    Click(Item(IDC_SIP_ENABLE));
    SendMessageA(console.Page(), WM_COMMAND, MAKEWPARAM(ID_ITEM_EDIT, 0), 0);
    SendMessageA(console.Page(), WM_COMMAND, MAKEWPARAM(ID_ITEM_ADD, 0), 0);
    EXPECT_EQ((std::vector<UINT>{IDD_EDIT_SESSION_IP, IDD_ADD_SESSION_IP}), dialogs.opened);
    SendMessageA(console.Page(), WM_COMMAND, MAKEWPARAM(ID_ITEM_REMOVE, 0), 0);
    EXPECT_TRUE(FilterConfig.sessionIps.empty());
    HMENU menu = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_SESSION_IP_MENU));
    ASSERT_NE(nullptr, menu);
    EXPECT_EQ(static_cast<UINT>(ID_ITEM_EDIT), GetMenuItemID(GetSubMenu(menu, 0), 2));
    DestroyMenu(menu);
}

TEST_F(SessionPerIpPage, ApplyWritesWhatThePageShows) {
    SwitchDefaultOn();
    TypeText(Count(), "4");
    Click(Item(IDC_SIP_IGNORE));
    SharedHelpTip().Hide();
    RunDialog(IDC_SIP_ADD, [](HWND dialog) {
        WriteIpAddressControl(GetDlgItem(dialog, IDC_IP_FROM), "192.168.7.1");
        SetDlgItemTextA(dialog, IDC_SIP_COUNT, "8");
    });
    std::vector<std::string> rows = ShownRows(IDC_SIP_LIST);
    ASSERT_EQ("", ApplyFromFileMenuAndReload(console, boxes));
    EXPECT_EQ(Checked(IDC_SIP_ENABLE), FilterConfig.FLAG_SERVEROPTION == 1);
    EXPECT_EQ(Checked(IDC_SESSION_DEFAULT), FilterConfig.FLAG_SERVEROPTION_CHECK_TYPE == 1);
    EXPECT_EQ(Checked(IDC_SIP_RESET), FilterConfig.REMOVE_DISCONNECTED == 1);
    EXPECT_EQ(Checked(IDC_SIP_IGNORE), FilterConfig.IGNORE_DISCONNECTED == 1);
    EXPECT_EQ(Text(Count()), std::to_string(FilterConfig.SESSION_PER_IP));
    std::vector<std::string> stored;
    for (SessionIpRow* row : FilterConfig.sessionIps)
        stored.push_back(std::string(row->SESSION_IP) + "/" +
                         std::to_string(row->SESSION_IPCOUNTER));
    EXPECT_EQ(rows, stored);
    EXPECT_EQ(2u, stored.size());
}

TEST(LeadingDecimal, ReadsTheLeadingNumberLikeTheFieldIsStored) {
    EXPECT_EQ(0, LeadingDecimal(""));
    EXPECT_EQ(0, LeadingDecimal("abc"));
    EXPECT_EQ(25, LeadingDecimal(" 25x"));
    EXPECT_EQ(-3, LeadingDecimal("-3"));
    EXPECT_EQ(2147483647, LeadingDecimal("99999999999999999999"));
    EXPECT_EQ(-2147483647 - 1, LeadingDecimal("-99999999999999999999"));
}

TEST_F(SessionUserPage, DefaultCountStoresItsNumberWithoutARangeOrMessage) {
    EXPECT_EQ(0, FilterConfig.modified);
    EXPECT_EQ("7", Text(Count()));
    EXPECT_TRUE(IsWindowEnabled(Count()));
    TypeText(Count(), "25");
    EXPECT_EQ(25, FilterConfig.SESSIONPERUSER_COUNT);
    EXPECT_EQ(1, FilterConfig.modified);
    TypeText(Count(), "abc");
    EXPECT_EQ(0, FilterConfig.SESSIONPERUSER_COUNT);
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_EQ(160, ListView_GetColumnWidth(Item(IDC_SUSER_LIST), 1));
}

TEST_F(SessionUserPage, ACheckBoxClickedWhileTheCountIsNoNumberIsStillStored) {
    TypeText(Count(), "abc");
    Click(Item(IDC_SUSER_IGNORE_ADMIN));
    EXPECT_EQ((std::vector<std::string>{INTEGER_MESSAGE}), BoxTexts());
    EXPECT_EQ(1, FilterConfig.FLAG_USER_IGNORE_ADMINISTRATOR);
    EXPECT_TRUE(Checked(IDC_SUSER_IGNORE_ADMIN));
    ExpectTipAt("Ignore administrator's sessions when calculating session", IDC_SUSER_IGNORE_ADMIN,
                false, 15, 20);
    Click(Item(IDC_SESSION_DEFAULT));
    EXPECT_EQ(0, FilterConfig.FLAG_SESSION_PER_USER_DEFAULT);
    EXPECT_FALSE(IsWindowEnabled(Count()));
    ExpectTipAt("By default ", IDC_SESSION_DEFAULT, true, 5, 25);
}

TEST_F(SessionUserPage, DialogsEditTheNameAsTypedAndRemoveTakesEveryRow) {
    AddUser("alice", "2");
    AddUser("", "3"); // no name: nothing added
    // A count that is no number keeps the dialog open.
    EXPECT_FALSE(RunDialog(IDC_SUSER_ADD, [](HWND dialog) {
        SetDlgItemTextA(dialog, IDC_SUSER_NAME, "carol");
        SetDlgItemTextA(dialog, IDC_SIP_COUNT, "two");
    }));
    EXPECT_EQ((std::vector<std::string>{INTEGER_MESSAGE}), BoxTexts());
    AddUser("bob", "12"); // the dialogs check no range
    EXPECT_EQ((std::vector<std::string>{"alice/2", "bob/12"}), ShownRows(IDC_SUSER_LIST));

    SelectListRows(Item(IDC_SUSER_LIST), {1});
    std::string shownName;
    std::string shownCount;
    LRESULT limit = 0;
    EXPECT_TRUE(RunDialog(IDC_SUSER_EDIT, [&](HWND dialog) {
        shownName = Text(GetDlgItem(dialog, IDC_SUSER_NAME));
        shownCount = Text(GetDlgItem(dialog, IDC_SIP_COUNT));
        limit = SendDlgItemMessageA(dialog, IDC_SUSER_NAME, EM_GETLIMITTEXT, 0, 0);
        SetDlgItemTextA(dialog, IDC_SUSER_NAME, "");
    }));
    EXPECT_EQ("bob", shownName);
    EXPECT_EQ("12", shownCount);
    EXPECT_EQ(255, limit);
    EXPECT_STREQ("", FilterConfig.sessionUsers[1]->SESSION_USER);
    EXPECT_EQ("/12", ShownRows(IDC_SUSER_LIST)[1]);

    SelectListRows(Item(IDC_SUSER_LIST), {0, 1});
    Click(Item(IDC_SUSER_REMOVE));
    EXPECT_TRUE(FilterConfig.sessionUsers.empty());
    EXPECT_EQ(0, ListRowCount(Item(IDC_SUSER_LIST)));
}

TEST_F(SessionUserPage, HasNoContextMenuCommandsAndApplyWritesWhatItShows) {
    AddUser("dave", "4");
    SelectListRows(Item(IDC_SUSER_LIST), {0});
    size_t opened = dialogs.opened.size();
    for (UINT command : {ID_ITEM_ADD, ID_ITEM_REMOVE, ID_ITEM_EDIT})
        SendMessageA(console.Page(), WM_COMMAND, MAKEWPARAM(command, 0), 0);
    EXPECT_EQ(opened, dialogs.opened.size());
    ASSERT_EQ(1u, FilterConfig.sessionUsers.size());

    TypeText(Count(), "6");
    Click(Item(IDC_SUSER_RESET));
    SharedHelpTip().Hide();
    std::vector<std::string> rows = ShownRows(IDC_SUSER_LIST);
    ASSERT_EQ("", ApplyFromFileMenuAndReload(console, boxes));
    EXPECT_EQ(Checked(IDC_SUSER_ENABLE), FilterConfig.FLAG_SERVEROPTION_SESSIONPERUSER == 1);
    EXPECT_EQ(Checked(IDC_SESSION_DEFAULT), FilterConfig.FLAG_SESSION_PER_USER_DEFAULT == 1);
    EXPECT_EQ(Checked(IDC_SUSER_RESET), FilterConfig.FLAG_USER_REMOVE_DISCONNECTED == 1);
    EXPECT_EQ(Checked(IDC_SUSER_IGNORE), FilterConfig.FLAG_USER_IGNORE_DISCONNECTED == 1);
    EXPECT_EQ(Checked(IDC_SUSER_IGNORE_ADMIN), FilterConfig.FLAG_USER_IGNORE_ADMINISTRATOR == 1);
    EXPECT_EQ(Text(Count()), std::to_string(FilterConfig.SESSIONPERUSER_COUNT));
    ASSERT_EQ(1u, FilterConfig.sessionUsers.size());
    EXPECT_EQ(rows[0], std::string(FilterConfig.sessionUsers[0]->SESSION_USER) + "/" +
                           std::to_string(FilterConfig.sessionUsers[0]->SESSION_USERCOUNT));
}
