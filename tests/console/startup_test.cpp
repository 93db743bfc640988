// Start-up of the console: the registry key, the administrator check, the main
// window as it first appears.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "config/config_model.h"
#include "config/persistence.h"
#include "console/res/resource.h"
#include "console/shell/access_check.h"
#include "console/shell/navigation.h"
#include "console/widgets/tip_window.h"
#include "console_test_support.h"

namespace {
PSID MakeAdministratorsSid() {
    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    PSID sid = nullptr;
    AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0,
                             0, 0, 0, &sid);
    return sid;
}

// The process's token with the Administrators group made deny-only: the user is a
// member, but the membership is not enabled.
BOOL FilteredTokenSource(HANDLE* token) {
    HANDLE process = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ALL_ACCESS, &process))
        return FALSE;
    PSID administrators = MakeAdministratorsSid();
    SID_AND_ATTRIBUTES disable = {administrators, 0};
    HANDLE restricted = nullptr;
    BOOL made = CreateRestrictedToken(process, 0, 1, &disable, 0, nullptr, 0, nullptr, &restricted);
    FreeSid(administrators);
    CloseHandle(process);
    if (!made)
        return FALSE;
    BOOL duplicated = DuplicateToken(restricted, SecurityImpersonation, token);
    CloseHandle(restricted);
    return duplicated;
}

// The token the program gets by default, duplicated so the test knows it was used.
int g_defaultSourceCalls = 0;
BOOL CountingProcessTokenSource(HANDLE* token) {
    ++g_defaultSourceCalls;
    HANDLE process = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_DUPLICATE | TOKEN_QUERY, &process))
        return FALSE;
    BOOL duplicated = DuplicateToken(process, SecurityImpersonation, token);
    CloseHandle(process);
    return duplicated;
}

struct TokenSourceGuard {
    explicit TokenSourceGuard(AccessTokenSource source) { SetAccessTokenSource(source); }
    ~TokenSourceGuard() { SetAccessTokenSource(nullptr); }
};
} // namespace

TEST(AccessCheck, AdministratorWithEnabledGroupPasses) {
    // Wine runs its programs as an administrator with the group enabled.
    EXPECT_TRUE(CheckAdministratorAccess());
    TokenSourceGuard guard(&CountingProcessTokenSource);
    g_defaultSourceCalls = 0;
    EXPECT_TRUE(CheckAdministratorAccess());
    EXPECT_EQ(1, g_defaultSourceCalls);
}

TEST(AccessCheck, MembershipThatIsNotEnabledIsRefused) {
    TokenSourceGuard guard(&FilteredTokenSource);
    HANDLE probe = nullptr;
    ASSERT_TRUE(FilteredTokenSource(&probe)) << "restricted tokens unavailable";
    CloseHandle(probe);
    EXPECT_FALSE(CheckAdministratorAccess());
    // The check leaves the thread as it found it.
    HANDLE threadToken = nullptr;
    EXPECT_FALSE(OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, &threadToken));
}

TEST(Startup, RefusedUserSeesOneMessageAndTheRegistryIsUntouched) {
    DeleteConfigKey();
    ASSERT_FALSE(ConfigKeyExists());
    TokenSourceGuard guard(&FilteredTokenSource);
    BoxRecorder boxes;
    RunningConsole console;
    EXPECT_FALSE(console.Start());
    ASSERT_EQ(1u, boxes.boxes.size());
    EXPECT_EQ("You did not have enough rights to run this program!", boxes.boxes[0].text);
    EXPECT_EQ("Quillon", boxes.boxes[0].caption);
    EXPECT_EQ(0u, boxes.boxes[0].style & 0xF); // OK only
    EXPECT_FALSE(ConfigKeyExists());
    EXPECT_EQ(nullptr, console.App().Frame());
}

TEST(Startup, FirstStartWritesTheDefaultsAndOpensWithFiltersOff) {
    DeleteConfigKey();
    BoxRecorder boxes;
    RunningConsole console;
    ASSERT_TRUE(console.Start());
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_TRUE(ConfigKeyExists());
    EXPECT_FALSE(ReadTsdata().empty());
    EXPECT_EQ(0, FilterConfig.FLAG_IPADDRESS);
    EXPECT_EQ(0, FilterConfig.FLAG_TIME);
    EXPECT_EQ(1, FilterConfig.WEEK_W7);
    EXPECT_EQ(0, FilterConfig.modified);

    CMainFrame& frame = console.Frame();
    EXPECT_TRUE(IsWindowVisible(frame.hwnd()));
    char title[64] = {};
    GetWindowTextA(frame.hwnd(), title, sizeof(title));
    EXPECT_STREQ("Quillon", title);
    ASSERT_NE(nullptr, frame.CurrentPage());
    EXPECT_EQ(PageKind::IpAddress, frame.CurrentPage()->Kind());
    EXPECT_EQ(BST_UNCHECKED, SendMessageA(console.PageItem(IDC_IP_ENABLE), BM_GETCHECK, 0, 0));
    EXPECT_FALSE(IsWindowEnabled(console.PageItem(IDC_IP_ADD)));

    // The help tip is configured for the pages: solid drop shadow, 5/3 margins.
    EXPECT_EQ(6u, SharedHelpTip().Style());
    RECT margins = SharedHelpTip().Margins();
    EXPECT_EQ(5, margins.left);
    EXPECT_EQ(3, margins.top);
    EXPECT_EQ(5, margins.right);
    EXPECT_EQ(3, margins.bottom);

    // Closing right away (File, Exit) asks nothing.
    SendMessageA(frame.hwnd(), WM_COMMAND, MAKEWPARAM(ID_APP_EXIT, 0), 0);
    PumpMessages();
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_EQ(nullptr, frame.hwnd());
}

TEST(Startup, StoredConfigurationFillsTheFirstPage) {
    ResetFilterConfig();
    FilterConfig.FLAG_IPADDRESS = 1;
    FilterConfig.FLAG_IPADDRESS_ALLOW = 1;
    for (const char* from : {"10.0.0.1", "10.0.0.2"}) {
        IpRangeRow* row = new IpRangeRow();
        CopyToField(row->IPFROM, from);
        row->TYPE = 1;
        FilterConfig.ipRanges.push_back(row);
    }
    ASSERT_EQ(0, SaveConfigToRegistry());
    ResetFilterConfig();

    BoxRecorder boxes;
    RunningConsole console;
    ASSERT_TRUE(console.Start());
    EXPECT_EQ(BST_CHECKED, SendMessageA(console.PageItem(IDC_IP_ENABLE), BM_GETCHECK, 0, 0));
    EXPECT_EQ(BST_CHECKED, SendMessageA(console.PageItem(IDC_DEFAULT_ALLOW), BM_GETCHECK, 0, 0));
    EXPECT_TRUE(IsWindowEnabled(console.PageItem(IDC_IP_LIST)));
    HWND list = console.PageItem(IDC_IP_LIST);
    ASSERT_EQ(2, ListView_GetItemCount(list));
    ASSERT_EQ(2u, FilterConfig.ipRanges.size());
    char text[64] = {};
    ListView_GetItemText(list, 1, 0, text, sizeof(text));
    EXPECT_STREQ("10.0.0.2", text);
    ListView_GetItemText(list, 1, 2, text, sizeof(text));
    EXPECT_STREQ("Logon enabled", text);
}

TEST(Startup, NavigationBarHoldsThreeGroupsTenItemsElevenIcons) {
    RunningConsole console;
    ASSERT_TRUE(console.Start());
    OutlookBar& bar = console.Frame().NavigationBar();
    ASSERT_EQ(3, bar.GroupCount());
    EXPECT_EQ("Logon Filters", bar.GroupText(0));
    EXPECT_EQ("Session limited", bar.GroupText(1));
    EXPECT_EQ("Tools", bar.GroupText(2));
    EXPECT_EQ(5, bar.ItemCount(0));
    EXPECT_EQ(2, bar.ItemCount(1));
    EXPECT_EQ(3, bar.ItemCount(2));
    for (const NavigationItem& item : NAVIGATION_ITEMS) {
        EXPECT_EQ(item.text, bar.ItemText(item.group, item.index));
        EXPECT_EQ(item.image, bar.ItemImage(item.group, item.index));
    }
    EXPECT_EQ("Logs", bar.ItemText(2, 2));
    EXPECT_EQ(9, bar.ItemImage(2, 2));
    EXPECT_EQ(0, bar.OpenGroupIndex());
    EXPECT_EQ(11, ImageList_GetImageCount(console.Frame().LargeImages()));
    EXPECT_EQ(11, ImageList_GetImageCount(console.Frame().SmallImages()));
    int cx = 0;
    int cy = 0;
    ImageList_GetIconSize(console.Frame().LargeImages(), &cx, &cy);
    EXPECT_EQ(32, cx);
    ImageList_GetIconSize(console.Frame().SmallImages(), &cx, &cy);
    EXPECT_EQ(16, cx);
    // Bars: the menu bar (File, View, Tools, Help), the toolbar's buttons and the status
    // bar's indicators.
    EXPECT_EQ(4, console.Frame().MenuBarControl().EntryCount());
    EXPECT_EQ("&File", console.Frame().MenuBarControl().EntryText(0));
    DockToolbar& toolbar = console.Frame().Toolbar();
    ASSERT_EQ(5, toolbar.ButtonCount());
    EXPECT_EQ(static_cast<UINT>(ID_APPLY_CONFIG), toolbar.ButtonCommand(0));
    EXPECT_EQ(0u, toolbar.ButtonCommand(3));
    EXPECT_EQ(static_cast<UINT>(ID_APP_ABOUT), toolbar.ButtonCommand(4));
    EXPECT_EQ(4, console.Frame().StatusBarControl().PaneCount());
}
