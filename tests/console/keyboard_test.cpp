// The console from the keyboard alone: key messages posted to the window with the focus
// and run through the program's message loop, as a keyboard sends them.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <deque>
#include <string>
#include <vector>

#include "config/config_model.h"
#include "console/pages/ip_address_text.h"
#include "console/pages/mode_dialog.h"
#include "console/res/resource.h"
#include "console_test_support.h"

namespace {
// Records the accelerators' commands and the popups opened while it lives (the window told, and the
// entry index the menu bar passes) and answers each one by posting the next of `keys` (Escape when
// none is left): a letter as its character, any other key as a key press.
struct PopupWatch {
    struct Opened {
        HWND window;
        int index;
    };
    explicit PopupWatch(HWND menuBar) : menuBar(menuBar) {
        current = this;
        hook = SetWindowsHookExA(WH_CALLWNDPROC, &Watch, nullptr, GetCurrentThreadId());
    }
    ~PopupWatch() {
        UnhookWindowsHookEx(hook);
        current = nullptr;
    }
    static LRESULT CALLBACK Watch(int code, WPARAM wp, LPARAM lp) {
        const CWPSTRUCT* call = reinterpret_cast<const CWPSTRUCT*>(lp);
        // A popup of the menu bar is announced to the frame by the bar, and to the bar
        // by the popup's own tracking: the frame's is recorded.
        if (code == HC_ACTION && call->message == WM_COMMAND && HIWORD(call->wParam) == 1 &&
            current != nullptr)
            current->accelerated.push_back(LOWORD(call->wParam));
        if (code == HC_ACTION && call->message == WM_INITMENUPOPUP && current != nullptr &&
            call->hwnd != current->menuBar) {
            current->opened.push_back({call->hwnd, LOWORD(call->lParam)});
            UINT key = VK_ESCAPE;
            if (!current->keys.empty()) {
                key = current->keys.front();
                current->keys.pop_front();
            }
            if (key >= 'A' && key <= 'Z')
                PostMessageA(call->hwnd, WM_CHAR, key - 'A' + 'a', 1);
            else
                PostMessageA(call->hwnd, WM_KEYDOWN, key, 1);
        }
        return CallNextHookEx(nullptr, code, wp, lp);
    }

    HWND menuBar;
    std::vector<Opened> opened;
    std::deque<UINT> keys;
    std::vector<UINT> accelerated; // commands sent by the accelerator table
    HHOOK hook = nullptr;
    static PopupWatch* current;
};
PopupWatch* PopupWatch::current = nullptr;

class Keyboard : public ::testing::Test {
protected:
    void SetUp() override {
        DeleteConfigKey();
        ASSERT_TRUE(console.Start());
        FilterConfig.modified = 0;
    }
    CMainFrame& Frame() { return console.Frame(); }
    HWND Item(int id) { return console.PageItem(id); }
    bool FocusInPage() { return IsChild(console.Page(), GetFocus()) != FALSE; }
    void SwitchIpFilterOn() {
        Click(Item(IDC_IP_ENABLE));
        FilterConfig.modified = 0;
    }
    void AddIpRow(const char* from) {
        IpRangeRow* row = new IpRangeRow();
        CopyToField(row->IPFROM, from);
        FilterConfig.ipRanges.push_back(row);
    }

    BoxRecorder boxes;
    DialogDriver dialogs;
    RunningConsole console;
};
} // namespace

TEST_F(Keyboard, AltAndF10PutTheMenuBarInKeyboardModeFromAPageControl) {
    MenuBar& menus = Frame().MenuBarControl();
    HWND control = GetFocus();
    ASSERT_TRUE(FocusInPage());

    PressKey(VK_MENU);
    EXPECT_TRUE(menus.InKeyboardMode());
    EXPECT_EQ(menus.hwnd(), GetFocus());
    EXPECT_EQ(0, menus.HotEntry());
    PressKey(VK_RIGHT);
    EXPECT_EQ(1, menus.HotEntry());
    PressKey(VK_LEFT);
    PressKey(VK_LEFT);
    EXPECT_EQ(menus.EntryCount() - 1, menus.HotEntry()) << "Left wraps to the last menu";
    PressKey(VK_ESCAPE);
    EXPECT_FALSE(menus.InKeyboardMode());
    EXPECT_EQ(control, GetFocus()) << "Escape gives the focus back";

    // F10, then Down opens the highlighted menu; its Escape keeps keyboard mode on it.
    PopupWatch popups(Frame().MenuBarControl().hwnd());
    PressKey(VK_F10);
    ASSERT_TRUE(menus.InKeyboardMode());
    PressKey(VK_RIGHT);
    PressKey(VK_DOWN);
    ASSERT_EQ(1u, popups.opened.size());
    EXPECT_EQ(1, popups.opened[0].index);
    EXPECT_TRUE(menus.InKeyboardMode());
    EXPECT_EQ(1, menus.HotEntry());
    PressKey(VK_F10);
    EXPECT_FALSE(menus.InKeyboardMode());
    EXPECT_EQ(control, GetFocus());
}

TEST_F(Keyboard, AltLetterOpensItsMenuFromTheNavigationBarAndArrowsMoveOn) {
    PressKey(VK_F6);
    ASSERT_EQ(Frame().NavigationBar().hwnd(), GetFocus());
    PopupWatch popups(Frame().MenuBarControl().hwnd());
    popups.keys = {VK_RIGHT, VK_ESCAPE};
    PressKey('V', KEY_ALT);
    ASSERT_EQ(2u, popups.opened.size());
    EXPECT_EQ(1, popups.opened[0].index) << "Alt+V opens View";
    EXPECT_EQ(2, popups.opened[1].index) << "Right moves to Tools";
    EXPECT_EQ(Frame().NavigationBar().hwnd(), GetFocus());

    // An item's letter in the open popup runs its command.
    HWND statusBar = Frame().StatusBarControl().hwnd();
    ASSERT_TRUE(IsWindowVisible(statusBar));
    popups.keys = {'S'};
    PressKey('V', KEY_ALT);
    EXPECT_FALSE(IsWindowVisible(statusBar)) << "View > Status Bar ran";
}

TEST_F(Keyboard, ShiftF10AndTheMenuKeyStillOpenTheListsMenu) {
    SwitchIpFilterOn();
    HWND list = Item(IDC_IP_LIST);
    SetFocus(list);
    PopupWatch popups(Frame().MenuBarControl().hwnd());
    PressKey(VK_F10, KEY_SHIFT);
    PressKey(VK_APPS);
    ASSERT_EQ(2u, popups.opened.size());
    EXPECT_EQ(console.Page(), popups.opened[0].window);
    EXPECT_EQ(console.Page(), popups.opened[1].window);
    EXPECT_FALSE(Frame().MenuBarControl().InKeyboardMode());
    EXPECT_EQ(list, GetFocus());
}

TEST_F(Keyboard, NavigationBarWalksItsItemsAndHeaders) {
    OutlookBar& bar = Frame().NavigationBar();
    PressKey(VK_F6);
    ASSERT_EQ(bar.hwnd(), GetFocus());
    EXPECT_EQ(0, bar.FocusGroup());
    EXPECT_EQ(0, bar.FocusItem()) << "the cue starts on the shown page's item";

    PressKey(VK_END);
    EXPECT_EQ(2, bar.OpenGroupIndex());
    EXPECT_EQ(2, bar.FocusItem());
    PressKey(VK_UP);
    PressKey(VK_UP);
    PressKey(VK_UP);
    EXPECT_EQ(2, bar.FocusGroup());
    EXPECT_EQ(-1, bar.FocusItem()) << "Up from a group's first item is its header";
    PressKey(VK_UP);
    EXPECT_EQ(1, bar.OpenGroupIndex()) << "and then the previous group's last item";
    EXPECT_EQ(1, bar.FocusItem());

    PressKey(VK_HOME);
    for (int i = 0; i < 5; ++i)
        PressKey(VK_DOWN);
    EXPECT_EQ(1, bar.FocusGroup());
    EXPECT_EQ(-1, bar.FocusItem());
    EXPECT_EQ(0, bar.OpenGroupIndex()) << "a header reached is not opened";
    PressKey(VK_RETURN);
    EXPECT_EQ(1, bar.OpenGroupIndex()) << "Enter opens it";

    PressKey(VK_DOWN);
    PressKey(VK_DOWN);
    PressKey(VK_SPACE);
    ASSERT_EQ(PageKind::SessionPerUser, Frame().CurrentPage()->Kind());
    EXPECT_EQ(1, bar.SelectedItem());
    EXPECT_TRUE(FocusInPage()) << "the page shown takes the focus";
    EXPECT_EQ(0, FilterConfig.modified);
}

TEST_F(Keyboard, CtrlTabAndCtrlPageKeysWalkThePagesInTheBarsOrder) {
    OutlookBar& bar = Frame().NavigationBar();
    const struct {
        UINT vk;
        unsigned modifiers;
        PageKind shown;
        int group;
        int item;
    } steps[] = {
        {VK_TAB, KEY_CTRL, PageKind::ComputerName, 0, 1},
        {VK_PRIOR, KEY_CTRL, PageKind::IpAddress, 0, 0},
        {VK_PRIOR, KEY_CTRL, PageKind::Logs, 2, 2}, // round to the end
        {VK_TAB, KEY_CTRL | KEY_SHIFT, PageKind::PopupMessages, 2, 1},
        {VK_NEXT, KEY_CTRL, PageKind::Logs, 2, 2},
        {VK_TAB, KEY_CTRL, PageKind::IpAddress, 0, 0},
    };
    for (const auto& step : steps) {
        PressKey(step.vk, step.modifiers);
        ASSERT_EQ(step.shown, Frame().CurrentPage()->Kind()) << step.vk;
        EXPECT_EQ(step.group, bar.SelectedGroup());
        EXPECT_EQ(step.item, bar.SelectedItem());
        EXPECT_TRUE(FocusInPage());
    }
}

TEST_F(Keyboard, FocusStartsOnThePageAndComesBackAfterADialog) {
    EXPECT_EQ(Item(IDC_IP_ENABLE), GetFocus()) << "the first control at start";
    SwitchIpFilterOn();

    // ADD pressed with Space; the dialog shows, then is cancelled from its own loop.
    HWND add = Item(IDC_IP_ADD);
    SetFocus(add);
    dialogs.onDialog = [](ModalDialog&, HWND dialog, UINT) {
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    };
    PressKey(VK_SPACE);
    ASSERT_EQ(1u, dialogs.opened.size());
    EXPECT_EQ(add, GetFocus());

    // A page shown by the mouse takes the focus too.
    ASSERT_TRUE(OpenPageFromBar(console, 0, 1, PageKind::ComputerName));
    EXPECT_EQ(Item(IDC_CNAME_ENABLE), GetFocus());
}

TEST_F(Keyboard, DeleteInTheListRemovesTheSelectedRows) {
    AddIpRow("10.0.0.1");
    AddIpRow("10.0.0.2");
    ASSERT_TRUE(Frame().ReplacePage(PageKind::ComputerName));
    ASSERT_TRUE(Frame().ReplacePage(PageKind::IpAddress));
    SwitchIpFilterOn();
    HWND list = Item(IDC_IP_LIST);
    ASSERT_EQ(2, ListView_GetItemCount(list));
    ListView_SetItemState(list, 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    SetFocus(list);
    PressKey(VK_DELETE);
    ASSERT_EQ(1u, FilterConfig.ipRanges.size());
    EXPECT_STREQ("10.0.0.2", FilterConfig.ipRanges[0]->IPFROM);
    EXPECT_EQ(1, ListView_GetItemCount(list));
    EXPECT_EQ(1, FilterConfig.modified);
}

TEST_F(Keyboard, CtrlSSavesAndCtrlOLoadsAFileAndF1AsksForHelp) {
    FileDialogDriver files;
    std::string path = TempFile("keyboard_save.WTS");
    DeleteFileA(path.c_str());
    files.path = path;
    FilterConfig.FLAG_IPADDRESS = 1;
    PressKey('S', KEY_CTRL);
    ASSERT_EQ(1u, files.saveRequests.size());
    EXPECT_TRUE(files.saveRequests[0]);
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(path.c_str()));

    FilterConfig.FLAG_IPADDRESS = 0;
    PressKey('O', KEY_CTRL);
    ASSERT_EQ(2u, files.saveRequests.size());
    EXPECT_FALSE(files.saveRequests[1]);
    EXPECT_EQ(1, FilterConfig.FLAG_IPADDRESS);
    EXPECT_EQ(BST_CHECKED, SendMessageA(Item(IDC_IP_ENABLE), BM_GETCHECK, 0, 0));
    EXPECT_EQ(Item(IDC_IP_ENABLE), GetFocus()) << "the page made by the load takes the focus";
    DeleteFileA(path.c_str());

    PopupWatch watch(Frame().MenuBarControl().hwnd());
    PressKey(VK_F1);
    ASSERT_EQ(1u, watch.accelerated.size());
    EXPECT_EQ(static_cast<UINT>(ID_HELP_TOPIC), watch.accelerated[0]);
}

TEST_F(Keyboard, TypedModeMustNameAModeInAnyCase) {
    SwitchIpFilterOn();
    // Logon allowed by default: the dialog proposes "Logon disabled".
    Click(Item(IDC_DEFAULT_ALLOW));
    auto type = [](HWND window, const char* text) {
        for (const char* c = text; *c != '\0'; ++c)
            PostMessageA(window, WM_CHAR, static_cast<unsigned char>(*c), 1);
        PostMessageA(window, WM_KEYDOWN, VK_RETURN, 1);
    };
    HWND modeEdit = nullptr;
    HWND addDialog = nullptr;
    dialogs.onDialog = [&](ModalDialog&, HWND dialog, UINT) {
        addDialog = dialog;
        WriteIpAddressControl(GetDlgItem(dialog, IDC_IP_FROM), "10.1.1.1");
        modeEdit = FindWindowExA(GetDlgItem(dialog, IDC_MODE), nullptr, "Edit", nullptr);
        type(modeEdit, "deny");
    };
    // The message is answered; the dialog, still open, gets the mode retyped over the
    // text it selected. A second message cancels, so a fault cannot hang the test.
    boxes.whileShown = [&]() {
        if (boxes.boxes.size() == 1)
            type(modeEdit, "logon ENABLED");
        else
            PostMessageA(addDialog, WM_COMMAND, IDCANCEL, 0);
    };
    Click(Item(IDC_IP_ADD));
    ASSERT_EQ(1u, boxes.boxes.size());
    EXPECT_EQ(MSG_UNKNOWN_MODE, boxes.boxes[0].text);
    ASSERT_EQ(1u, FilterConfig.ipRanges.size());
    EXPECT_EQ(1, FilterConfig.ipRanges[0]->TYPE);
}
