// The IP address page: its switches, the help tip, add, remove and edit with their
// dialogs, and the context menu's commands.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "config/config_model.h"
#include "console/pages/ip_address_text.h"
#include "console/pages/list_view_rows.h"
#include "console/res/resource.h"
#include "console/widgets/tip_window.h"
#include "console_test_support.h"

namespace {
class IpPage : public ::testing::Test {
protected:
    void SetUp() override {
        DeleteConfigKey();
        ASSERT_TRUE(console.Start());
        FilterConfig.modified = 0;
    }
    HWND Item(int id) { return console.PageItem(id); }
    HWND List() { return Item(IDC_IP_LIST); }
    std::string Cell(int row, int column) { return ListCellText(List(), row, column); }
    bool Checked(int id) { return SendMessageA(Item(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }
    void SwitchFilterOn() {
        Click(Item(IDC_IP_ENABLE));
        FilterConfig.modified = 0;
    }
    // Adds rows through the add dialog.
    void AddThroughDialog(const char* from, const char* to, int mode) {
        dialogs.onDialog = [=](ModalDialog&, HWND dialog, UINT) {
            WriteIpAddressControl(GetDlgItem(dialog, IDC_IP_FROM), from);
            WriteIpAddressControl(GetDlgItem(dialog, IDC_IP_TO), to);
            SendMessageA(GetDlgItem(dialog, IDC_MODE), CB_SETCURSEL, mode, 0);
            Click(GetDlgItem(dialog, IDOK));
        };
        Click(Item(IDC_IP_ADD));
        dialogs.onDialog = nullptr;
    }
    std::vector<std::string> StoredFroms() {
        std::vector<std::string> froms;
        for (IpRangeRow* row : FilterConfig.ipRanges)
            froms.push_back(row->IPFROM);
        return froms;
    }

    BoxRecorder boxes;
    DialogDriver dialogs;
    RunningConsole console;
};
} // namespace

TEST(IpAddressText, NoAddressAndDottedParsing) {
    EXPECT_TRUE(IsNoIpAddress(""));
    EXPECT_TRUE(IsNoIpAddress(nullptr));
    EXPECT_TRUE(IsNoIpAddress("0.0.0.0"));
    EXPECT_FALSE(IsNoIpAddress("0.0.0.1"));
    unsigned char f[4];
    ASSERT_TRUE(ParseDottedIp("10.0.255.7", f));
    EXPECT_EQ(10, f[0]);
    EXPECT_EQ(255, f[2]);
    EXPECT_EQ(7, f[3]);
    for (const char* bad :
         {"", "1.2.3", "1.2.3.4.5", "256.1.1.1", "1..2.3", "a.b.c.d", "1.2.3.4x", "0001.2.3.4"})
        EXPECT_FALSE(ParseDottedIp(bad, f)) << bad;
}

TEST_F(IpPage, FilterSwitchEnablesItsFiveControlsAndStoresTheFlag) {
    const int controlled[] = {IDC_IP_LIST, IDC_IP_ADD, IDC_IP_REMOVE, IDC_IP_EDIT,
                              IDC_DEFAULT_ALLOW};
    for (int id : controlled)
        EXPECT_FALSE(IsWindowEnabled(Item(id))) << id;
    Click(Item(IDC_IP_ENABLE));
    EXPECT_EQ(1, FilterConfig.FLAG_IPADDRESS);
    EXPECT_EQ(1, FilterConfig.modified);
    for (int id : controlled)
        EXPECT_TRUE(IsWindowEnabled(Item(id))) << id;
    EXPECT_TRUE(IsWindowEnabled(Item(IDC_IP_ENABLE)));
    Click(Item(IDC_IP_ENABLE));
    EXPECT_EQ(0, FilterConfig.FLAG_IPADDRESS);
    for (int id : controlled)
        EXPECT_FALSE(IsWindowEnabled(Item(id))) << id;
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(IpPage, DefaultAllowSwitchStoresTheFlagAndShowsItsTip) {
    SwitchFilterOn();
    TipWindow& tip = SharedHelpTip();
    Click(Item(IDC_DEFAULT_ALLOW));
    EXPECT_EQ(1, FilterConfig.FLAG_IPADDRESS_ALLOW);
    EXPECT_EQ(1, FilterConfig.modified);
    EXPECT_EQ(
        "", HelpTipMismatch(
                Item(IDC_DEFAULT_ALLOW), false, 5, 25, "By default allow logon",
                "If checked, all IP address are allowed accessing except those \nin the list below "
                "that are disabled. If unchecked, \nall IP address will be denied access, except "
                "those in the list that are enabled."));

    // A second click, clearing it: the flag follows and the tip shows again.
    HWND first = tip.hwnd();
    Click(Item(IDC_DEFAULT_ALLOW));
    EXPECT_EQ(0, FilterConfig.FLAG_IPADDRESS_ALLOW);
    EXPECT_TRUE(tip.IsShown());
    EXPECT_FALSE(first != tip.hwnd() && IsWindow(first) && IsWindowVisible(first));
    // The tip outlives a page switch; it goes by its own timer.
    ASSERT_TRUE(console.Frame().ReplacePage(PageKind::IpAddress));
    EXPECT_TRUE(tip.IsShown());
    tip.Hide();
}

TEST_F(IpPage, AddPreselectsTheModeFromTheDefaultAndStoresTheRange) {
    SwitchFilterOn();
    for (bool defaultAllow : {false, true}) {
        if (Checked(IDC_DEFAULT_ALLOW) != defaultAllow)
            Click(Item(IDC_DEFAULT_ALLOW));
        LRESULT preselected = -2;
        std::string caption;
        dialogs.onDialog = [&](ModalDialog&, HWND dialog, UINT) {
            preselected = SendMessageA(GetDlgItem(dialog, IDC_MODE), CB_GETCURSEL, 0, 0);
            char text[64] = {};
            GetWindowTextA(dialog, text, sizeof(text));
            caption = text;
            Click(GetDlgItem(dialog, IDCANCEL));
        };
        Click(Item(IDC_IP_ADD));
        EXPECT_EQ(defaultAllow ? 0 : 1, preselected); // 0 "Logon disabled", 1 "Logon enabled"
        EXPECT_EQ("Add IP Address", caption);
    }
    SharedHelpTip().Hide();
    EXPECT_EQ((std::vector<UINT>{IDD_ADD_IPADDRESS, IDD_ADD_IPADDRESS}), dialogs.opened);
    EXPECT_TRUE(FilterConfig.ipRanges.empty());

    FilterConfig.modified = 0;
    AddThroughDialog("10.0.0.5", "", 0);         // blank To: a single address
    AddThroughDialog("10.1.0.9", "10.1.0.1", 1); // From above To: kept as typed
    ASSERT_EQ(2u, FilterConfig.ipRanges.size());
    EXPECT_STREQ("10.0.0.5", FilterConfig.ipRanges[0]->IPFROM);
    EXPECT_STREQ("", FilterConfig.ipRanges[0]->IPTO);
    EXPECT_EQ(0, FilterConfig.ipRanges[0]->TYPE);
    EXPECT_STREQ("10.1.0.1", FilterConfig.ipRanges[1]->IPTO);
    EXPECT_EQ(1, FilterConfig.ipRanges[1]->TYPE);
    EXPECT_EQ(1, FilterConfig.modified);
    ASSERT_EQ(2, ListRowCount(List()));
    EXPECT_EQ("", Cell(0, 1));
    EXPECT_EQ("Logon disabled", Cell(0, 2));
    EXPECT_EQ("10.1.0.9", Cell(1, 0));
    EXPECT_EQ("Logon enabled", Cell(1, 2));
    EXPECT_EQ(reinterpret_cast<LPARAM>(FilterConfig.ipRanges[1]), ListRowData(List(), 1));
}

TEST_F(IpPage, AddWithoutFromClosesTheDialogAndAddsNothing) {
    SwitchFilterOn();
    bool closed = false;
    dialogs.onDialog = [&](ModalDialog& dialog, HWND window, UINT) {
        WriteIpAddressControl(GetDlgItem(window, IDC_IP_TO), "10.0.0.9");
        Click(GetDlgItem(window, IDOK));
        closed = dialog.EndRequested();
        if (!closed)
            Click(GetDlgItem(window, IDCANCEL));
    };
    Click(Item(IDC_IP_ADD));
    EXPECT_TRUE(closed);
    EXPECT_TRUE(FilterConfig.ipRanges.empty());
    EXPECT_EQ(0, ListRowCount(List()));
    EXPECT_EQ(0, FilterConfig.modified);
}

TEST_F(IpPage, RemoveDeletesTheSelectedRowsAndKeepsTheOthersInOrder) {
    SwitchFilterOn();
    for (const char* from : {"1.0.0.0", "1.0.0.1", "1.0.0.2", "1.0.0.3", "1.0.0.4"})
        AddThroughDialog(from, "", 1);
    ASSERT_EQ(5u, FilterConfig.ipRanges.size());
    IpRangeRow* kept0 = FilterConfig.ipRanges[0];
    IpRangeRow* kept3 = FilterConfig.ipRanges[3];
    SelectListRows(List(), {1, 2, 4});
    FilterConfig.modified = 0;
    Click(Item(IDC_IP_REMOVE));
    EXPECT_EQ((std::vector<std::string>{"1.0.0.0", "1.0.0.3"}), StoredFroms());
    ASSERT_EQ(2, ListRowCount(List()));
    EXPECT_EQ("1.0.0.3", Cell(1, 0));
    EXPECT_EQ(reinterpret_cast<LPARAM>(kept0), ListRowData(List(), 0));
    EXPECT_EQ(reinterpret_cast<LPARAM>(kept3), ListRowData(List(), 1));
    EXPECT_EQ(1, FilterConfig.modified);

    // Nothing selected: nothing goes, but the configuration counts as changed.
    SelectListRows(List(), {});
    FilterConfig.modified = 0;
    Click(Item(IDC_IP_REMOVE));
    EXPECT_EQ(2u, FilterConfig.ipRanges.size());
    EXPECT_EQ(1, FilterConfig.modified);

    // All of them.
    SelectListRows(List(), {0, 1});
    Click(Item(IDC_IP_REMOVE));
    EXPECT_TRUE(FilterConfig.ipRanges.empty());
    EXPECT_EQ(0, ListRowCount(List()));
}

// Many rows at once go in one step: the same rows stay, in order, nothing selected.
TEST_F(IpPage, RemovingManyRowsKeepsTheOthersInOrderAndSelectsNothing) {
    std::vector<int> selected;
    for (int k = 0; k < 300; ++k) {
        IpRangeRow* row = new IpRangeRow();
        CopyToField(row->IPFROM,
                    ("10.0." + std::to_string(k / 256) + "." + std::to_string(k % 256)).c_str());
        FilterConfig.ipRanges.push_back(row);
        if (k % 3 != 1)
            selected.push_back(k);
    }
    FilterConfig.FLAG_IPADDRESS = 1;
    ASSERT_TRUE(console.Frame().ReplacePage(PageKind::IpAddress));
    IpRangeRow* second = FilterConfig.ipRanges[4];
    SelectListRows(List(), selected);
    Click(Item(IDC_IP_REMOVE));
    ASSERT_EQ(100u, FilterConfig.ipRanges.size());
    ASSERT_EQ(100, ListRowCount(List()));
    EXPECT_EQ("10.0.0.1", Cell(0, 0));
    EXPECT_EQ("10.0.1.42", Cell(99, 0));
    EXPECT_EQ(reinterpret_cast<LPARAM>(second), ListRowData(List(), 1));
    EXPECT_TRUE(SelectedListRows(List()).empty());
    EXPECT_EQ(1, FilterConfig.modified);
}

TEST_F(IpPage, EditChangesTheTopmostSelectedRowOnly) {
    SwitchFilterOn();
    AddThroughDialog("2.0.0.1", "", 1);
    AddThroughDialog("2.0.0.2", "2.0.0.9", 0);
    AddThroughDialog("2.0.0.3", "", 1);
    SelectListRows(List(), {1, 2});
    std::string shownFrom;
    std::string shownTo;
    LRESULT shownMode = -2;
    std::string okText;
    dialogs.onDialog = [&](ModalDialog&, HWND dialog, UINT) {
        char text[64];
        ReadIpAddressControl(GetDlgItem(dialog, IDC_IP_FROM), text, sizeof(text));
        shownFrom = text;
        ReadIpAddressControl(GetDlgItem(dialog, IDC_IP_TO), text, sizeof(text));
        shownTo = text;
        shownMode = SendMessageA(GetDlgItem(dialog, IDC_MODE), CB_GETCURSEL, 0, 0);
        GetWindowTextA(GetDlgItem(dialog, IDOK), text, sizeof(text));
        okText = text;
        WriteIpAddressControl(GetDlgItem(dialog, IDC_IP_FROM), "2.0.0.20");
        WriteIpAddressControl(GetDlgItem(dialog, IDC_IP_TO), "");
        SendMessageA(GetDlgItem(dialog, IDC_MODE), CB_SETCURSEL, 1, 0);
        Click(GetDlgItem(dialog, IDOK));
    };
    FilterConfig.modified = 0;
    Click(Item(IDC_IP_EDIT));
    ASSERT_EQ(IDD_EDIT_IPADDRESS, dialogs.opened.back());
    EXPECT_EQ("2.0.0.2", shownFrom);
    EXPECT_EQ("2.0.0.9", shownTo);
    EXPECT_EQ(0, shownMode);
    EXPECT_EQ("UPDATE", okText);
    EXPECT_STREQ("2.0.0.20", FilterConfig.ipRanges[1]->IPFROM);
    EXPECT_STREQ("", FilterConfig.ipRanges[1]->IPTO); // a blank To is no To
    EXPECT_EQ(1, FilterConfig.ipRanges[1]->TYPE);
    EXPECT_STREQ("2.0.0.3", FilterConfig.ipRanges[2]->IPFROM);
    EXPECT_EQ("2.0.0.20", Cell(1, 0));
    EXPECT_EQ("", Cell(1, 1));
    EXPECT_EQ("Logon enabled", Cell(1, 2));
    EXPECT_EQ(1, FilterConfig.modified);

    // Nothing selected: no dialog.
    SelectListRows(List(), {});
    size_t opened = dialogs.opened.size();
    Click(Item(IDC_IP_EDIT));
    EXPECT_EQ(opened, dialogs.opened.size());
}

TEST_F(IpPage, EditWithoutFromStaysOpenAndCancelStillRefreshesAndMarks) {
    SwitchFilterOn();
    AddThroughDialog("3.0.0.1", "", 0);
    SelectListRows(List(), {0});
    // A row changed behind the list's back shows its stored values after the dialog.
    CopyToField(FilterConfig.ipRanges[0]->IPTO, "3.0.0.7");
    bool closedByOk = true;
    dialogs.onDialog = [&](ModalDialog& dialog, HWND window, UINT) {
        WriteIpAddressControl(GetDlgItem(window, IDC_IP_FROM), "");
        Click(GetDlgItem(window, IDOK));
        closedByOk = dialog.EndRequested();
        Click(GetDlgItem(window, IDCANCEL));
    };
    FilterConfig.modified = 0;
    Click(Item(IDC_IP_EDIT));
    EXPECT_FALSE(closedByOk);
    EXPECT_STREQ("3.0.0.1", FilterConfig.ipRanges[0]->IPFROM);
    EXPECT_EQ("3.0.0.7", Cell(0, 1));
    EXPECT_EQ(1, FilterConfig.modified);
}

TEST_F(IpPage, ContextMenuCommandsDoNothingWhileTheFilterIsOff) {
    FilterConfig.ipRanges.push_back(new IpRangeRow{"4.0.0.1", "", 1});
    ASSERT_TRUE(console.Frame().ReplacePage(PageKind::IpAddress));
    SelectListRows(List(), {0});
    for (UINT command : {ID_ITEM_ADD, ID_ITEM_REMOVE, ID_ITEM_EDIT})
        SendMessageA(console.Page(), WM_COMMAND, MAKEWPARAM(command, 0), 0);
    EXPECT_TRUE(dialogs.opened.empty());
    EXPECT_EQ(1u, FilterConfig.ipRanges.size());
    EXPECT_EQ(0, FilterConfig.modified);

    // The same commands act once the filter is on.
    Click(Item(IDC_IP_ENABLE));
    SendMessageA(console.Page(), WM_COMMAND, MAKEWPARAM(ID_ITEM_EDIT, 0), 0);
    SendMessageA(console.Page(), WM_COMMAND, MAKEWPARAM(ID_ITEM_ADD, 0), 0);
    EXPECT_EQ((std::vector<UINT>{IDD_EDIT_IPADDRESS, IDD_ADD_IPADDRESS}), dialogs.opened);
    SendMessageA(console.Page(), WM_COMMAND, MAKEWPARAM(ID_ITEM_REMOVE, 0), 0);
    EXPECT_TRUE(FilterConfig.ipRanges.empty());

    // The menu resource carries the three commands under "ITEM".
    HMENU menu = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_IPADDRESS_MENU));
    ASSERT_NE(nullptr, menu);
    char text[16] = {};
    GetMenuStringA(menu, 0, text, sizeof(text), MF_BYPOSITION);
    EXPECT_STREQ("ITEM", text);
    HMENU popup = GetSubMenu(menu, 0);
    EXPECT_EQ(static_cast<UINT>(ID_ITEM_ADD), GetMenuItemID(popup, 0));
    EXPECT_EQ(static_cast<UINT>(ID_ITEM_REMOVE), GetMenuItemID(popup, 1));
    EXPECT_EQ(static_cast<UINT>(ID_ITEM_EDIT), GetMenuItemID(popup, 2));
    DestroyMenu(menu);
}

TEST_F(IpPage, ListTakesTheFullWidthFromTheLeftEdgeOnResize) {
    RECT before = {};
    GetWindowRect(List(), &before);
    POINT top = {before.left, before.top};
    ScreenToClient(console.Page(), &top);
    SetWindowPos(console.Page(), nullptr, 0, 0, 700, 500, SWP_NOMOVE | SWP_NOZORDER);
    RECT after = {};
    GetWindowRect(List(), &after);
    POINT corner = {after.left, after.top};
    ScreenToClient(console.Page(), &corner);
    EXPECT_EQ(0, corner.x);
    EXPECT_EQ(top.y, corner.y);
    EXPECT_EQ(700, after.right - after.left);
    EXPECT_EQ(500 - top.y, after.bottom - after.top);
    // Columns and list styles as the page set them up.
    HWND header = ListView_GetHeader(List());
    EXPECT_EQ(3, Header_GetItemCount(header));
    EXPECT_EQ(120, ListView_GetColumnWidth(List(), 0));
    EXPECT_EQ(0x120u, ListView_GetExtendedListViewStyle(List()) & 0x120u);
}

TEST_F(IpPage, TheListKeepsItsPlaceTypingFindsARowAndDoubleClickOpensNothing) {
    for (const char* from : {"10.0.0.1", "172.16.0.1", "8.8.8.8"}) {
        IpRangeRow* row = new IpRangeRow();
        CopyToField(row->IPFROM, from);
        FilterConfig.ipRanges.push_back(row);
    }
    FilterConfig.FLAG_IPADDRESS = 1;
    ASSERT_TRUE(console.Frame().ReplacePage(PageKind::IpAddress));
    // Where the template puts it in the tab order: right after EDIT.
    EXPECT_EQ(List(), GetNextDlgTabItem(console.Page(), Item(IDC_IP_EDIT), FALSE));

    SetFocus(List());
    PressKey('8');
    EXPECT_EQ(std::vector<int>{2}, SelectedListRows(List()));

    RECT cell = {};
    cell.left = LVIR_BOUNDS;
    ASSERT_TRUE(SendMessageA(List(), LVM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&cell)));
    LPARAM at = MAKELPARAM(cell.left + 4, (cell.top + cell.bottom) / 2);
    for (UINT message : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP})
        SendMessageA(List(), message, message == WM_LBUTTONUP ? 0 : MK_LBUTTON, at);
    PumpMessages();
    EXPECT_EQ(std::vector<int>{1}, SelectedListRows(List()));
    EXPECT_TRUE(dialogs.opened.empty());
    EXPECT_EQ(0, FilterConfig.modified);
}
