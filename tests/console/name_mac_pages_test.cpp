// The computer name and MAC address pages: their wiring to the list-page pattern
// (switches, tips, context menus), their dialogs' rules, and an apply through the File
// menu.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "config/config_model.h"
#include "config/persistence.h"
#include "console/pages/list_view_rows.h"
#include "console/res/resource.h"
#include "console/widgets/tip_window.h"
#include "console/widgets/widget_common.h"
#include "console_test_support.h"

namespace {
struct ListPageIds {
    PageKind kind;
    int navigationItem;
    int enable, add, remove, edit, list;
    UINT menu;
    int32_t FilterConfigRecord::*enableFlag;
    int32_t FilterConfigRecord::*defaultFlag;
    const char* tipText;
};

const ListPageIds NAME_PAGE = {
    PageKind::ComputerName,
    1,
    IDC_CNAME_ENABLE,
    IDC_CNAME_ADD,
    IDC_CNAME_REMOVE,
    IDC_CNAME_EDIT,
    IDC_CNAME_LIST,
    IDR_COMPUTERNAME_MENU,
    &FilterConfigRecord::FLAG_COMPUTERNAME,
    &FilterConfigRecord::FLAG_COMPUTERNAME_ALLOW,
    "If checked, all computer names are allowed to access the Terminal Server, \nexcept those on "
    "the list and in disabled mode. If unchecked,no computer \nname is allowed to access the "
    "Terminal Server except those in the list \nand in enabled mode."};
const ListPageIds MAC_PAGE = {
    PageKind::MacAddress,
    2,
    IDC_MAC_ENABLE,
    IDC_MAC_ADD,
    IDC_MAC_REMOVE,
    IDC_MAC_EDIT,
    IDC_MAC_LIST,
    IDR_MACADDRESS_MENU,
    &FilterConfigRecord::FLAG_MACADDRESS,
    &FilterConfigRecord::FLAG_MACADDRESS_ALLOW,
    "If checked, all MAC address are allowed access to the Terminal Server except \nthe ones on "
    "the list in disabled mode. If unchecked, \nall MAC addresses will be denied access, except "
    "those in the list and in enabled mode."};

class NameMacPages : public ::testing::Test {
protected:
    void SetUp() override {
        DeleteConfigKey();
        ASSERT_TRUE(console.Start());
    }
    // Shows the page from the bar with its filter switched on.
    void Show(const ListPageIds& page, bool filterOn = true) {
        ids = &page;
        ASSERT_TRUE(OpenPageFromBar(console, 0, page.navigationItem, page.kind));
        if (filterOn)
            Click(Item(page.enable));
        FilterConfig.modified = 0;
    }
    HWND Item(int id) { return console.PageItem(id); }
    HWND List() { return Item(ids->list); }
    std::string Cell(int row, int column) { return ListCellText(List(), row, column); }
    // Runs the add or edit dialog with `fill`, which presses its buttons.
    void WithDialog(int button, std::function<void(ModalDialog&, HWND)> fill) {
        dialogs.onDialog = [&](ModalDialog& dialog, HWND window, UINT) { fill(dialog, window); };
        Click(Item(button));
        dialogs.onDialog = nullptr;
    }
    void AddName(const char* name, int mode) {
        WithDialog(IDC_CNAME_ADD, [=](ModalDialog&, HWND dialog) {
            SetDlgItemTextA(dialog, IDC_CNAME_TEXT, name);
            SendDlgItemMessageA(dialog, IDC_MODE, CB_SETCURSEL, mode, 0);
            Click(GetDlgItem(dialog, IDOK));
        });
    }
    void AddMac(const char* address, int mode) {
        WithDialog(IDC_MAC_ADD, [=](ModalDialog&, HWND dialog) {
            SetDlgItemTextA(dialog, IDC_MAC_TEXT, address);
            SendDlgItemMessageA(dialog, IDC_MODE, CB_SETCURSEL, mode, 0);
            Click(GetDlgItem(dialog, IDOK));
        });
    }

    BoxRecorder boxes;
    DialogDriver dialogs;
    RunningConsole console;
    const ListPageIds* ids = nullptr;
};
} // namespace

TEST_F(NameMacPages, SwitchesTipsAndContextMenusAreWiredOnBothPages) {
    for (const ListPageIds* page : {&NAME_PAGE, &MAC_PAGE}) {
        SCOPED_TRACE(page->navigationItem);
        FilterConfig.computerNames.push_back(new ComputerNameRow{"PC1", 1});
        FilterConfig.macAddresses.push_back(new MacAddressRow{"00-11-22-33-44-55", 1});
        Show(*page, false);
        const int controlled[] = {page->list, page->add, page->remove, page->edit,
                                  IDC_DEFAULT_ALLOW};
        for (int id : controlled)
            EXPECT_FALSE(IsWindowEnabled(Item(id))) << id;

        // The context menu does nothing while the filter is off.
        SelectListRows(List(), {0});
        for (UINT command : {ID_ITEM_ADD, ID_ITEM_REMOVE, ID_ITEM_EDIT})
            SendMessageA(console.Page(), WM_COMMAND, MAKEWPARAM(command, 0), 0);
        EXPECT_TRUE(dialogs.opened.empty());
        EXPECT_EQ(1, ListRowCount(List()));
        EXPECT_EQ(0, FilterConfig.modified);

        Click(Item(page->enable));
        EXPECT_EQ(1, FilterConfig.*(page->enableFlag));
        for (int id : controlled)
            EXPECT_TRUE(IsWindowEnabled(Item(id))) << id;
        SendMessageA(console.Page(), WM_COMMAND, MAKEWPARAM(ID_ITEM_REMOVE, 0), 0);
        EXPECT_EQ(0, ListRowCount(List()));

        Click(Item(IDC_DEFAULT_ALLOW));
        EXPECT_EQ(1, FilterConfig.*(page->defaultFlag));
        EXPECT_EQ("", HelpTipMismatch(Item(IDC_DEFAULT_ALLOW), false, 5, 25,
                                      "By default allow logon", page->tipText));
        SharedHelpTip().Hide();

        HMENU menu = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(page->menu));
        ASSERT_NE(nullptr, menu);
        HMENU popup = GetSubMenu(menu, 0);
        EXPECT_EQ(static_cast<UINT>(ID_ITEM_ADD), GetMenuItemID(popup, 0));
        EXPECT_EQ(static_cast<UINT>(ID_ITEM_EDIT), GetMenuItemID(popup, 2));
        DestroyMenu(menu);
        ClearConfigLists();
    }
}

TEST_F(NameMacPages, ComputerNamesAreStoredAsTypedAndRemovedHighestFirst) {
    Show(NAME_PAGE);
    LRESULT limit = 0;
    LRESULT preselected = -1;
    WithDialog(IDC_CNAME_ADD, [&](ModalDialog& dialog, HWND window) {
        EXPECT_EQ("Add Computer Name", GetWindowTextUtf8(window));
        limit = SendDlgItemMessageA(window, IDC_CNAME_TEXT, EM_GETLIMITTEXT, 0, 0);
        preselected = SendDlgItemMessageA(window, IDC_MODE, CB_GETCURSEL, 0, 0);
        Click(GetDlgItem(window, IDOK)); // an empty name adds nothing and closes
        EXPECT_TRUE(dialog.EndRequested());
    });
    EXPECT_EQ(255, limit);
    EXPECT_EQ(1, preselected); // "Logon enabled" while logon is not allowed by default
    EXPECT_TRUE(FilterConfig.computerNames.empty());

    AddName("TS*", 0);
    AddName("LAB PC  ", 1);
    AddName("KIOSK", 1);
    AddName("HOME*", 0);
    ASSERT_EQ(4u, FilterConfig.computerNames.size());
    EXPECT_STREQ("TS*", FilterConfig.computerNames[0]->CNAME);
    EXPECT_EQ(0, FilterConfig.computerNames[0]->TYPE);
    EXPECT_STREQ("LAB PC  ", FilterConfig.computerNames[1]->CNAME);
    EXPECT_EQ("LAB PC  ", Cell(1, 0));
    EXPECT_EQ("Logon enabled", Cell(1, 1));
    EXPECT_EQ(1, FilterConfig.modified);

    ComputerNameRow* kept = FilterConfig.computerNames[1];
    SelectListRows(List(), {0, 2, 3});
    Click(Item(IDC_CNAME_REMOVE));
    ASSERT_EQ(1u, FilterConfig.computerNames.size());
    EXPECT_EQ(kept, FilterConfig.computerNames[0]);
    ASSERT_EQ(1, ListRowCount(List()));
    EXPECT_EQ(reinterpret_cast<LPARAM>(kept), ListRowData(List(), 0));
}

TEST_F(NameMacPages, EditingAComputerNameToNothingKeepsNameAndMode) {
    Show(NAME_PAGE);
    AddName("PC-01", 1);
    SelectListRows(List(), {0});
    std::string shown;
    std::string okText;
    WithDialog(IDC_CNAME_EDIT, [&](ModalDialog&, HWND dialog) {
        shown = GetWindowTextUtf8(GetDlgItem(dialog, IDC_CNAME_TEXT));
        okText = GetWindowTextUtf8(GetDlgItem(dialog, IDOK));
        SetDlgItemTextA(dialog, IDC_CNAME_TEXT, "");
        SendDlgItemMessageA(dialog, IDC_MODE, CB_SETCURSEL, 0, 0);
        Click(GetDlgItem(dialog, IDOK));
    });
    EXPECT_EQ(IDD_EDIT_COMPUTERNAME, dialogs.opened.back());
    EXPECT_EQ("PC-01", shown);
    EXPECT_EQ("UPDATE", okText);
    EXPECT_STREQ("PC-01", FilterConfig.computerNames[0]->CNAME);
    EXPECT_EQ(1, FilterConfig.computerNames[0]->TYPE);
    EXPECT_EQ(1, FilterConfig.modified);

    WithDialog(IDC_CNAME_EDIT, [&](ModalDialog&, HWND dialog) {
        SetDlgItemTextA(dialog, IDC_CNAME_TEXT, "PC-*");
        SendDlgItemMessageA(dialog, IDC_MODE, CB_SETCURSEL, 0, 0);
        Click(GetDlgItem(dialog, IDOK));
    });
    EXPECT_STREQ("PC-*", FilterConfig.computerNames[0]->CNAME);
    EXPECT_EQ(0, FilterConfig.computerNames[0]->TYPE);
    EXPECT_EQ("PC-*", Cell(0, 0));
    EXPECT_EQ("Logon disabled", Cell(0, 1));
}

TEST_F(NameMacPages, MacTypedInLowerCaseIsShownAndStoredInUpperCase) {
    Show(MAC_PAGE);
    Click(Item(IDC_DEFAULT_ALLOW));
    SharedHelpTip().Hide();
    std::string before;
    std::string typed;
    std::string shownOnOk;
    LRESULT preselected = -1;
    WithDialog(IDC_MAC_ADD, [&](ModalDialog& dialog, HWND window) {
        HWND field = GetDlgItem(window, IDC_MAC_TEXT);
        before = GetWindowTextUtf8(field);
        preselected = SendDlgItemMessageA(window, IDC_MODE, CB_GETCURSEL, 0, 0);
        SendMessageA(field, EM_SETSEL, 0, -1);
        for (const char* p = "00-0c-29-ab-xy-cd-ef"; *p != '\0'; ++p)
            SendMessageA(field, WM_CHAR, static_cast<unsigned char>(*p), 1);
        typed = GetWindowTextUtf8(field);
        Click(GetDlgItem(window, IDOK));
        shownOnOk = GetWindowTextUtf8(field);
        EXPECT_TRUE(dialog.EndRequested());
    });
    EXPECT_EQ("00-00-00-00-00-00", before);
    EXPECT_EQ(0, preselected);             // "Logon disabled" while logon is allowed by default
    EXPECT_EQ("00-0c-29-ab-cd-ef", typed); // x and y were refused
    EXPECT_EQ("00-0C-29-AB-CD-EF", shownOnOk);
    ASSERT_EQ(1u, FilterConfig.macAddresses.size());
    EXPECT_STREQ("00-0C-29-AB-CD-EF", FilterConfig.macAddresses[0]->MACADDRESS);
    EXPECT_EQ(0, FilterConfig.macAddresses[0]->TYPE);
    EXPECT_EQ("00-0C-29-AB-CD-EF", Cell(0, 0));
    EXPECT_EQ("Logon disabled", Cell(0, 1));
}

TEST_F(NameMacPages, AllZeroAndIncompleteMacsAreNeverStored) {
    Show(MAC_PAGE);
    // OK on the default text: nothing added, the dialog closes.
    bool closed = false;
    WithDialog(IDC_MAC_ADD, [&](ModalDialog& dialog, HWND window) {
        Click(GetDlgItem(window, IDOK));
        closed = dialog.EndRequested();
    });
    EXPECT_TRUE(closed);
    EXPECT_TRUE(FilterConfig.macAddresses.empty());

    // Half an address: the dialog stays open on the field.
    bool focused = false;
    WithDialog(IDC_MAC_ADD, [&](ModalDialog& dialog, HWND window) {
        SetDlgItemTextA(window, IDC_MAC_TEXT, "00-11-2");
        Click(GetDlgItem(window, IDOK));
        closed = dialog.EndRequested();
        focused = GetFocus() == GetDlgItem(window, IDC_MAC_TEXT);
        Click(GetDlgItem(window, IDCANCEL));
    });
    EXPECT_FALSE(closed);
    EXPECT_TRUE(focused);
    EXPECT_TRUE(FilterConfig.macAddresses.empty());
    EXPECT_EQ(0, ListRowCount(List()));

    // Editing a row to all zeros leaves it, but refreshes it and marks the change.
    AddMac("00-11-22-33-44-55", 1);
    SelectListRows(List(), {0});
    CopyToField(FilterConfig.macAddresses[0]->MACADDRESS, "66-77-88-99-AA-BB");
    std::string shown;
    std::string okText;
    FilterConfig.modified = 0;
    WithDialog(IDC_MAC_EDIT, [&](ModalDialog&, HWND window) {
        shown = GetWindowTextUtf8(GetDlgItem(window, IDC_MAC_TEXT));
        okText = GetWindowTextUtf8(GetDlgItem(window, IDOK));
        SetDlgItemTextA(window, IDC_MAC_TEXT, "00-00-00-00-00-00");
        SendDlgItemMessageA(window, IDC_MODE, CB_SETCURSEL, 0, 0);
        Click(GetDlgItem(window, IDOK));
    });
    EXPECT_EQ("66-77-88-99-AA-BB", shown);
    EXPECT_EQ("EDIT", okText);
    EXPECT_STREQ("66-77-88-99-AA-BB", FilterConfig.macAddresses[0]->MACADDRESS);
    EXPECT_EQ(1, FilterConfig.macAddresses[0]->TYPE);
    EXPECT_EQ("66-77-88-99-AA-BB", Cell(0, 0));
    EXPECT_EQ(1, FilterConfig.modified);
}

TEST_F(NameMacPages, ApplyThroughTheFileMenuStoresWhatThePagesShow) {
    Show(NAME_PAGE);
    AddName("BRANCH*", 1);
    AddName("GUEST", 0);
    Show(MAC_PAGE);
    AddMac("a0-b1-c2-d3-e4-f5", 1);
    Click(Item(IDC_DEFAULT_ALLOW));
    SharedHelpTip().Hide();
    std::string shownMac = Cell(0, 0);
    ASSERT_EQ("", ApplyFromFileMenuAndReload(console, boxes));
    EXPECT_EQ(1, FilterConfig.FLAG_COMPUTERNAME);
    ASSERT_EQ(2u, FilterConfig.computerNames.size());
    EXPECT_STREQ("BRANCH*", FilterConfig.computerNames[0]->CNAME);
    EXPECT_EQ(1, FilterConfig.computerNames[0]->TYPE);
    EXPECT_STREQ("GUEST", FilterConfig.computerNames[1]->CNAME);
    EXPECT_EQ(0, FilterConfig.computerNames[1]->TYPE);
    EXPECT_EQ(1, FilterConfig.FLAG_MACADDRESS);
    EXPECT_EQ(1, FilterConfig.FLAG_MACADDRESS_ALLOW);
    ASSERT_EQ(1u, FilterConfig.macAddresses.size());
    EXPECT_EQ(shownMac, FilterConfig.macAddresses[0]->MACADDRESS);
    EXPECT_EQ("A0-B1-C2-D3-E4-F5", shownMac);
}
