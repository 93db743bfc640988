// The main frame: page switching from the navigation bar, and the apply, save, load
// and close commands with what they show and write.
#include <gtest/gtest.h>

#include <windows.h>
#include <aclapi.h>
#include <commctrl.h>

#include <cstdio>

#include "config/config_model.h"
#include "config/persistence.h"
#include "console/res/resource.h"
#include "console/shell/help_file.h"
#include "console/shell/navigation.h"
#include "console_test_support.h"
#include "platform/message_box.h"

namespace {
void AddIpRow(const char* from, int32_t type) {
    IpRangeRow* row = new IpRangeRow();
    CopyToField(row->IPFROM, from);
    row->TYPE = type;
    FilterConfig.ipRanges.push_back(row);
}

void Command(CMainFrame& frame, UINT id) {
    SendMessageA(frame.hwnd(), WM_COMMAND, MAKEWPARAM(id, 0), 0);
    PumpMessages();
}

// A console whose IP page shows rows 1.1.1.1 and 2.2.2.2.
struct ConsoleWithRows {
    ConsoleWithRows() {
        DeleteConfigKey();
        ResetFilterConfig();
        AddIpRow("1.1.1.1", 0);
        AddIpRow("2.2.2.2", 1);
        FilterConfig.FLAG_IPADDRESS = 1;
        SaveConfigToRegistry();
        ResetFilterConfig();
        started = console.Start();
    }
    RunningConsole console;
    bool started;
};

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    FILE* file = fopen(path.c_str(), "wb");
    ASSERT_NE(nullptr, file);
    if (!bytes.empty())
        fwrite(bytes.data(), 1, bytes.size(), file);
    fclose(file);
}

// While it lives, nobody may write the configuration key (as on a server where the
// administrator has lost the rights to it): opening it for all access fails.
class ConfigKeyWriteDenied {
public:
    ConfigKeyWriteDenied() {
        if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, CONFIG_REGISTRY_SUBKEY, 0, nullptr, 0,
                            KEY_ALL_ACCESS, nullptr, &key_, nullptr) != ERROR_SUCCESS)
            return;
        DWORD size = 0;
        RegGetKeySecurity(key_, DACL_SECURITY_INFORMATION, nullptr, &size);
        original_.resize(size);
        if (size == 0 || RegGetKeySecurity(key_, DACL_SECURITY_INFORMATION, original_.data(),
                                           &size) != ERROR_SUCCESS)
            return;
        SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
        PSID everyone = nullptr;
        if (!AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0,
                                      &everyone))
            return;
        EXPLICIT_ACCESSA entries[2] = {};
        entries[0].grfAccessPermissions = KEY_SET_VALUE | KEY_CREATE_SUB_KEY;
        entries[0].grfAccessMode = DENY_ACCESS;
        entries[1].grfAccessPermissions = KEY_ALL_ACCESS;
        entries[1].grfAccessMode = GRANT_ACCESS;
        for (EXPLICIT_ACCESSA& entry : entries) {
            entry.grfInheritance = NO_INHERITANCE;
            entry.Trustee.TrusteeForm = TRUSTEE_IS_SID;
            entry.Trustee.ptstrName = static_cast<LPSTR>(everyone);
        }
        PACL acl = nullptr;
        SECURITY_DESCRIPTOR denying;
        denied_ = SetEntriesInAclA(2, entries, nullptr, &acl) == ERROR_SUCCESS &&
                  InitializeSecurityDescriptor(&denying, SECURITY_DESCRIPTOR_REVISION) &&
                  SetSecurityDescriptorDacl(&denying, TRUE, acl, FALSE) &&
                  RegSetKeySecurity(key_, DACL_SECURITY_INFORMATION, &denying) == ERROR_SUCCESS;
        if (acl != nullptr)
            LocalFree(acl);
        FreeSid(everyone);
    }
    ~ConfigKeyWriteDenied() {
        if (denied_)
            RegSetKeySecurity(key_, DACL_SECURITY_INFORMATION, original_.data());
        if (key_ != nullptr)
            RegCloseKey(key_);
    }
    bool denied() const { return denied_; }

private:
    HKEY key_ = nullptr;
    std::vector<uint8_t> original_;
    bool denied_ = false;
};
} // namespace

TEST(Navigation, ItemsChooseTheirPageByIndexAndExactText) {
    struct Case {
        int index;
        const char* text;
        bool shows;
        PageKind kind;
    };
    const Case cases[] = {
        {0, "IP Address", true, PageKind::IpAddress},
        {0, "Session per IP", true, PageKind::SessionPerIp},
        {0, "Servers Information", true, PageKind::ServerMonitor},
        {0, "ip address", true, PageKind::ServerMonitor}, // case matters
        {1, "Computer Name", true, PageKind::ComputerName},
        {1, "Session per User", true, PageKind::SessionPerUser},
        {1, "Popup Messages", true, PageKind::PopupMessages},
        {2, "MAC address", true, PageKind::MacAddress},
        {2, "Logs", true, PageKind::Logs},
        {2, "MAC Address", false, PageKind::IpAddress},
        {3, "anything", true, PageKind::ClientVersion},
        {4, "", true, PageKind::Time},
        {5, "IP Address", false, PageKind::IpAddress},
        {-1, "IP Address", false, PageKind::IpAddress},
    };
    for (const Case& c : cases) {
        PageKind kind = PageKind::IpAddress;
        EXPECT_EQ(c.shows, ChoosePageForItem(c.index, c.text, &kind)) << c.index << c.text;
        if (c.shows) {
            EXPECT_EQ(c.kind, kind) << c.index << c.text;
        }
    }
    PageKind kind;
    EXPECT_TRUE(ChoosePageForItem(0, nullptr, &kind)); // a missing text is no text
}

TEST(Navigation, EveryItemOpensItsPageAndTheShownOneStaysUntouched) {
    ConsoleWithRows setup;
    ASSERT_TRUE(setup.started);
    CMainFrame& frame = setup.console.Frame();
    OutlookBar& bar = frame.NavigationBar();
    PageView* ipPage = frame.CurrentPage();
    HWND ipWindow = ipPage->hwnd();
    HWND list = setup.console.PageItem(IDC_IP_LIST);
    ASSERT_EQ(2, ListView_GetItemCount(list));

    // The page already shown: nothing happens, its controls are not refilled.
    FilterConfig.FLAG_IPADDRESS = 0;
    EXPECT_EQ(1, bar.ClickItem(0));
    PumpMessages();
    EXPECT_EQ(ipPage, frame.CurrentPage());
    EXPECT_EQ(BST_CHECKED, SendMessageA(setup.console.PageItem(IDC_IP_ENABLE), BM_GETCHECK, 0, 0));
    FilterConfig.FLAG_IPADDRESS = 1;

    // Every item opens its own page in the pane, the old page going for good.
    const PageKind kinds[10] = {
        PageKind::IpAddress,      PageKind::ComputerName,  PageKind::MacAddress,
        PageKind::ClientVersion,  PageKind::Time,          PageKind::SessionPerIp,
        PageKind::SessionPerUser, PageKind::ServerMonitor, PageKind::PopupMessages,
        PageKind::Logs,
    };
    for (int i = 9; i >= 0; --i) {
        const NavigationItem& item = NAVIGATION_ITEMS[i];
        HWND before = frame.SplitterWindow().PaneWindow(0, 1);
        ASSERT_TRUE(bar.OpenGroup(item.group));
        EXPECT_EQ(1, bar.ClickItem(item.index)) << item.text;
        PumpMessages();
        ASSERT_NE(nullptr, frame.CurrentPage()) << item.text;
        EXPECT_EQ(kinds[i], frame.CurrentPage()->Kind()) << item.text;
        EXPECT_EQ(frame.CurrentPage()->hwnd(), frame.SplitterWindow().PaneWindow(0, 1));
        EXPECT_FALSE(IsWindow(before)) << item.text;
    }

    // A page of the same class made anew replaces the shown one for good and fills
    // itself from FilterConfig.
    HWND shown = frame.CurrentPage()->hwnd();
    ASSERT_TRUE(frame.ReplacePage(PageKind::IpAddress));
    PumpMessages();
    EXPECT_FALSE(IsWindow(ipWindow));
    EXPECT_FALSE(IsWindow(shown));
    ASSERT_EQ(PageKind::IpAddress, frame.CurrentPage()->Kind());
    EXPECT_EQ(frame.CurrentPage()->hwnd(), frame.SplitterWindow().PaneWindow(0, 1));
    EXPECT_EQ(2, ListView_GetItemCount(setup.console.PageItem(IDC_IP_LIST)));
    // Picking items edits nothing.
    EXPECT_EQ(0, FilterConfig.modified);
}

TEST(Navigation, RemovalQuestionsAnswerTheBar) {
    RunningConsole console;
    ASSERT_TRUE(console.Start());
    BoxRecorder boxes;
    OutlookBarItemInfo info = {0, 0, 0, "IP Address", 0};
    boxes.answers = {ANSWER_NO, ANSWER_YES};
    EXPECT_EQ(0, console.Frame().OnNavigationNotify(OBN_REMOVE_ITEM, &info));
    EXPECT_EQ(1, console.Frame().OnNavigationNotify(OBN_REMOVE_GROUP, &info));
    ASSERT_EQ(2u, boxes.boxes.size());
    EXPECT_EQ("Are you sure you want to remove this folder shortcut?", boxes.boxes[0].text);
    EXPECT_EQ("Are you sure you want to remove the specified folder?", boxes.boxes[1].text);
    EXPECT_EQ(static_cast<uint32_t>(MB_YESNO | MB_ICONEXCLAMATION), boxes.boxes[0].style);
    EXPECT_EQ(1, console.Frame().OnNavigationNotify(42, &info));
    EXPECT_EQ(2u, boxes.boxes.size());
}

TEST(FrameCommands, ApplyWritesTheRegistryAndClearsTheChangeMark) {
    ConsoleWithRows setup;
    ASSERT_TRUE(setup.started);
    BoxRecorder boxes;
    Click(setup.console.PageItem(IDC_DEFAULT_ALLOW));
    ASSERT_EQ(1, FilterConfig.modified);
    // The toolbar's first button, as a click on it reaches the frame.
    DockToolbar& toolbar = setup.console.Frame().Toolbar();
    SendMessageA(toolbar.hwnd(), WM_COMMAND, MAKEWPARAM(toolbar.ButtonCommand(0), BN_CLICKED),
                 reinterpret_cast<LPARAM>(toolbar.ButtonsWindow()));
    PumpMessages();
    ASSERT_EQ(1u, boxes.boxes.size());
    EXPECT_EQ("Configuration applied successfully!", boxes.boxes[0].text);
    EXPECT_EQ(0, FilterConfig.modified);

    // What the library would read now.
    ResetFilterConfig();
    ASSERT_EQ(0, LoadConfigFromRegistry());
    EXPECT_EQ(1, FilterConfig.FLAG_IPADDRESS_ALLOW);
    EXPECT_EQ(2u, FilterConfig.ipRanges.size());
}

TEST(FrameCommands, SaveAsFileWritesTheFileWithTheConfigurationDialogSettings) {
    ConsoleWithRows setup;
    ASSERT_TRUE(setup.started);
    BoxRecorder boxes;
    FileDialogDriver files;
    std::string path = TempFile("console_save.WTS");
    DeleteFileA(path.c_str());

    // Cancel: nothing.
    Command(setup.console.Frame(), ID_SAVE_CONFIG);
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(path.c_str()));

    MarkConfigModified();
    files.path = path;
    Command(setup.console.Frame(), ID_SAVE_CONFIG);
    ASSERT_EQ(2u, files.saveRequests.size());
    EXPECT_TRUE(files.saveRequests[1]);
    EXPECT_EQ("Keymoor (*.WTS)|*.WTS|", files.filters[1]);
    ASSERT_EQ(1u, boxes.boxes.size());
    EXPECT_EQ("Configuration file saved successfully!", boxes.boxes[0].text);
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(path.c_str()));
    EXPECT_EQ(0, FilterConfig.modified);

    // After a save to a file, closing asks nothing.
    SendMessageA(setup.console.Frame().hwnd(), WM_CLOSE, 0, 0);
    PumpMessages();
    EXPECT_EQ(1u, boxes.boxes.size());
    DeleteFileA(path.c_str());
}

TEST(FrameCommands, LoadRefreshesTheIpPageAndLeavesRegistryAndChangeMark) {
    ConsoleWithRows setup;
    ASSERT_TRUE(setup.started);
    BoxRecorder boxes;
    FileDialogDriver files;
    CMainFrame& frame = setup.console.Frame();

    // A file with three rows, saved from another configuration.
    std::vector<uint8_t> registryBefore = ReadTsdata();
    std::string path = TempFile("console_load.WTS");
    ClearConfigLists();
    AddIpRow("3.3.3.3", 1);
    AddIpRow("4.4.4.4", 0);
    AddIpRow("5.5.5.5", 1);
    ASSERT_EQ(0, SaveConfigToFile(path.c_str()));
    ClearConfigLists();
    AddIpRow("9.9.9.9", 1);
    // The page still lists the rows it was filled with; make it match FilterConfig.
    ASSERT_TRUE(frame.ReplacePage(PageKind::IpAddress));
    ASSERT_EQ(1, ListView_GetItemCount(setup.console.PageItem(IDC_IP_LIST)));
    FilterConfig.modified = 0;

    files.path = path;
    Command(frame, ID_LOAD_CONFIG);
    EXPECT_TRUE(boxes.boxes.empty());
    ASSERT_EQ(PageKind::IpAddress, frame.CurrentPage()->Kind());
    HWND list = setup.console.PageItem(IDC_IP_LIST);
    ASSERT_EQ(3, ListView_GetItemCount(list));
    char text[32] = {};
    ListView_GetItemText(list, 2, 0, text, sizeof(text));
    EXPECT_STREQ("5.5.5.5", text);
    EXPECT_EQ(0, FilterConfig.modified);
    EXPECT_EQ(registryBefore, ReadTsdata());

    // A second load makes a fresh IP page again, and the bar marks it: not the Logs
    // item that was shown before.
    ASSERT_TRUE(frame.NavigationBar().OpenGroup(2));
    frame.NavigationBar().ClickItem(2);
    PumpMessages();
    HWND shownBefore = frame.CurrentPage()->hwnd();
    Command(frame, ID_LOAD_CONFIG);
    EXPECT_EQ(PageKind::IpAddress, frame.CurrentPage()->Kind());
    EXPECT_FALSE(IsWindow(shownBefore));
    EXPECT_EQ(0, frame.NavigationBar().OpenGroupIndex());
    EXPECT_EQ(0, frame.NavigationBar().SelectedGroup());
    EXPECT_EQ(0, frame.NavigationBar().SelectedItem());

    // Closing asks nothing: the load changed no mark.
    SendMessageA(frame.hwnd(), WM_CLOSE, 0, 0);
    PumpMessages();
    EXPECT_TRUE(boxes.boxes.empty());
    DeleteFileA(path.c_str());
}

TEST(FrameCommands, FailedLoadLeavesTheConfigurationAndThePage) {
    ConsoleWithRows setup;
    ASSERT_TRUE(setup.started);
    BoxRecorder boxes;
    FileDialogDriver files;
    CMainFrame& frame = setup.console.Frame();
    PageView* page = frame.CurrentPage();
    ASSERT_EQ(2, ListView_GetItemCount(setup.console.PageItem(IDC_IP_LIST)));

    std::string path = TempFile("console_garbage.WTS");
    std::vector<uint8_t> garbage(300);
    for (size_t i = 0; i < garbage.size(); ++i)
        garbage[i] = static_cast<uint8_t>(i * 37 + 11);
    WriteBytes(path, garbage);
    files.path = path;
    Command(frame, ID_LOAD_CONFIG);
    EXPECT_EQ(1u, boxes.boxes.size()); // the store's own message
    EXPECT_EQ(2u, FilterConfig.ipRanges.size());
    EXPECT_EQ(1, FilterConfig.FLAG_IPADDRESS);
    EXPECT_EQ(page, frame.CurrentPage());
    EXPECT_EQ(2, ListView_GetItemCount(setup.console.PageItem(IDC_IP_LIST)));

    // An empty file fails without a message and changes nothing either.
    WriteBytes(path, {});
    Command(frame, ID_LOAD_CONFIG);
    EXPECT_EQ(1u, boxes.boxes.size());
    EXPECT_EQ(2u, FilterConfig.ipRanges.size());
    EXPECT_EQ(page, frame.CurrentPage());
    DeleteFileA(path.c_str());
}

TEST(FrameCommands, ClosePromptYesAppliesNoWritesNothing) {
    for (int answer : {ANSWER_NO, ANSWER_YES}) {
        ConsoleWithRows setup;
        ASSERT_TRUE(setup.started);
        std::vector<uint8_t> before = ReadTsdata();
        BoxRecorder boxes;
        boxes.answers = {answer};
        Click(setup.console.PageItem(IDC_IP_ENABLE)); // switches the filter off
        ASSERT_EQ(1, FilterConfig.modified);
        HWND frameWindow = setup.console.Frame().hwnd();
        SendMessageA(frameWindow, WM_CLOSE, 0, 0);
        PumpMessages();
        ASSERT_EQ(1u, boxes.boxes.size());
        EXPECT_EQ("The configuration was changed. Do you want to save it?", boxes.boxes[0].text);
        EXPECT_EQ(static_cast<uint32_t>(MB_YESNO), boxes.boxes[0].style & 0xF);
        EXPECT_FALSE(IsWindow(frameWindow));
        if (answer == ANSWER_NO) {
            EXPECT_EQ(before, ReadTsdata());
        } else {
            EXPECT_NE(before, ReadTsdata());
            ResetFilterConfig();
            ASSERT_EQ(0, LoadConfigFromRegistry());
            EXPECT_EQ(0, FilterConfig.FLAG_IPADDRESS);
        }
    }
}

TEST(FrameCommands, CloseAfterAFailedApplyKeepsTheConsoleOpenUnlessToldOtherwise) {
    ConsoleWithRows setup;
    ASSERT_TRUE(setup.started);
    BoxRecorder boxes;
    Click(setup.console.PageItem(IDC_IP_ENABLE)); // switches the filter off
    HWND frameWindow = setup.console.Frame().hwnd();
    ConfigKeyWriteDenied locked;
    ASSERT_TRUE(locked.denied());

    // Yes to saving; the store's message and "Save Data error!"; then No to closing.
    boxes.answers = {ANSWER_YES, ANSWER_OK, ANSWER_OK, ANSWER_NO};
    SendMessageA(frameWindow, WM_CLOSE, 0, 0);
    PumpMessages();
    ASSERT_EQ(4u, boxes.boxes.size());
    EXPECT_EQ("Save Data error!", boxes.boxes[2].text);
    EXPECT_EQ("The configuration could not be applied. Close the console without saving it?",
              boxes.boxes[3].text);
    EXPECT_EQ(static_cast<uint32_t>(MB_YESNO | MB_DEFBUTTON2),
              boxes.boxes[3].style & (MB_TYPEMASK | MB_DEFMASK));
    EXPECT_TRUE(IsWindow(frameWindow));
    EXPECT_EQ(1, FilterConfig.modified);
    EXPECT_EQ(0, FilterConfig.FLAG_IPADDRESS);

    // Yes to closing without saving closes it.
    boxes.answers = {ANSWER_YES, ANSWER_OK, ANSWER_OK, ANSWER_YES};
    SendMessageA(frameWindow, WM_CLOSE, 0, 0);
    PumpMessages();
    EXPECT_EQ(8u, boxes.boxes.size());
    EXPECT_FALSE(IsWindow(frameWindow));
}

TEST(HelpFile, LivesBesideTheProgramFile) {
    char path[300];
    ASSERT_TRUE(BuildHelpFilePath("C:\\Program Files\\Quillon\\quillon.exe", path, sizeof(path)));
    EXPECT_STREQ("C:\\Program Files\\Quillon\\\\QUILLON.chm", path);
    ASSERT_TRUE(BuildHelpFilePath("D:\\quillon.exe", path, sizeof(path)));
    EXPECT_STREQ("D:\\\\QUILLON.chm", path);
    char tiny[8];
    EXPECT_FALSE(BuildHelpFilePath("C:\\a\\quillon.exe", tiny, sizeof(tiny)));
    EXPECT_STREQ("", tiny);
}

TEST(HelpFile, TopicArgumentNamesThePageInsideTheFile) {
    char argument[64];
    ASSERT_TRUE(BuildHelpTopicArgument("C:\\Q R\\\\QUILLON.chm", HelpTopicOf(PageKind::Logs),
                                       argument, sizeof(argument)));
    EXPECT_STREQ("\"C:\\Q R\\\\QUILLON.chm::/logs.htm\"", argument);
    char tiny[24];
    EXPECT_FALSE(BuildHelpTopicArgument("C:\\Q\\\\QUILLON.chm", "logs.htm", tiny, sizeof(tiny)));
    EXPECT_STREQ("", tiny);
}

std::vector<std::string> shellOpens;
void RecordShellOpen(const char* file, const char* parameters) {
    shellOpens.push_back(std::string(file) + " | " + (parameters != nullptr ? parameters : "-"));
}

TEST(HelpFile, HelpCommandOpensTheFileAsItIsAndF1ThePagesTopic) {
    char module[MAX_PATH] = {}, chm[MAX_PATH + 32];
    GetModuleFileNameA(nullptr, module, MAX_PATH);
    ASSERT_TRUE(BuildHelpFilePath(module, chm, sizeof(chm)));
    WriteBytes(chm, {'I', 'T', 'S', 'F'}); // F1 opens only a help file that is there
    RunningConsole console;
    ASSERT_TRUE(console.Start());
    shellOpens.clear();
    ShellOpenHook previous = SetShellOpenHook(&RecordShellOpen);
    Command(console.Frame(), ID_HELP_FILE); // Help > Help

    SetFocus(console.PageItem(IDC_IP_ENABLE));
    PressKey(VK_F1);
    SetShellOpenHook(previous);
    DeleteFileA(chm);
    EXPECT_EQ((std::vector<std::string>{std::string(chm) + " | -",
                                        "hh.exe | \"" + std::string(chm) + "::/ip_address.htm\""}),
              shellOpens);
}

TEST(FrameLayout, BarsTakeTheirRoomAndTheViewMenuTogglesThem) {
    RunningConsole console;
    ASSERT_TRUE(console.Start());
    CMainFrame& frame = console.Frame();
    HWND splitter = frame.SplitterWindow().hwnd();
    auto viewRect = [&]() {
        RECT rect = {};
        GetWindowRect(splitter, &rect);
        MapWindowPoints(nullptr, frame.hwnd(), reinterpret_cast<POINT*>(&rect), 2);
        return rect;
    };
    RECT client = {};
    GetClientRect(frame.hwnd(), &client);
    RECT withBars = viewRect();
    int menuHeight = frame.MenuBarControl().CalcHeight(client.right);
    int toolbarHeight = frame.Toolbar().CalcThickness();
    ASSERT_GT(toolbarHeight, 0);
    EXPECT_EQ(menuHeight + toolbarHeight, withBars.top);
    EXPECT_EQ(client.bottom - frame.StatusBarControl().CalcHeight(client.right), withBars.bottom);

    // The View menu ticks the bars that are shown, as it opens.
    HMENU menu = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(128));
    ASSERT_NE(nullptr, menu);
    HMENU viewMenu = GetSubMenu(menu, 1);
    auto ticked = [&](UINT id) {
        SendMessageA(frame.hwnd(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(viewMenu), 1);
        return (GetMenuState(viewMenu, id, MF_BYCOMMAND) & MF_CHECKED) != 0;
    };
    EXPECT_TRUE(ticked(ID_VIEW_TOOLBAR));
    EXPECT_TRUE(ticked(ID_VIEW_STATUS_BAR));

    Command(frame, ID_VIEW_TOOLBAR);
    EXPECT_FALSE(IsWindowVisible(frame.Toolbar().hwnd()));
    EXPECT_EQ(menuHeight, viewRect().top);
    EXPECT_FALSE(ticked(ID_VIEW_TOOLBAR));
    EXPECT_TRUE(ticked(ID_VIEW_STATUS_BAR));
    Command(frame, ID_VIEW_STATUS_BAR);
    EXPECT_EQ(client.bottom, viewRect().bottom);
    EXPECT_FALSE(ticked(ID_VIEW_STATUS_BAR));
    Command(frame, ID_VIEW_TOOLBAR);
    Command(frame, ID_VIEW_STATUS_BAR);
    EXPECT_EQ(withBars.top, viewRect().top);
    EXPECT_EQ(withBars.bottom, viewRect().bottom);
    EXPECT_TRUE(ticked(ID_VIEW_TOOLBAR));
    EXPECT_TRUE(ticked(ID_VIEW_STATUS_BAR));
    DestroyMenu(menu);

    // Docked on the left, the toolbar takes its width from the view instead.
    ASSERT_TRUE(frame.Toolbar().DockTo(DOCK_LEFT));
    PumpMessages();
    RECT docked = viewRect();
    EXPECT_EQ(menuHeight, docked.top);
    EXPECT_EQ(frame.Toolbar().CalcThickness(), docked.left);
    EXPECT_GT(docked.left, 0);
}
