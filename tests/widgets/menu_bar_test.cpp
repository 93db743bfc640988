#include "console/widgets/menu_bar.h"
#include "console/widgets/status_bar.h"
#include "widget_test_env.h"
#include "widgets_test_res.h"

#include <gtest/gtest.h>

namespace {

POINT g_slideTo;

// Moves the mouse to g_slideTo while a popup is open.
void CALLBACK SlideMouse(HWND hwnd, UINT, UINT_PTR id, DWORD) {
    KillTimer(hwnd, id);
    SetCursorPos(g_slideTo.x, g_slideTo.y);
    PostMessageW(hwnd, WM_MOUSEMOVE, 0, 0);
}

class MenuBarTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(bar.Create(host.hwnd()));
        ASSERT_TRUE(bar.LoadMenuResource(GetModuleHandleW(nullptr), IDR_TEST_FRAME));
        RECT client;
        GetClientRect(host.hwnd(), &client);
        bar.LayoutIn(&client);
        PumpPending();
    }
    // Clicks top-level entry `index` and drives its popup with `keys`.
    void ClickEntry(int index, std::vector<UINT> keys) {
        PostKeysSoon(bar.hwnd(), std::move(keys));
        ClickAt(bar.hwnd(), CenterOf(bar.EntryRect(index)));
        PumpPending();
    }
    TestHost host;
    MenuBar bar;
};

TEST_F(MenuBarTest, ShowsTheTopLevelEntriesAcrossTheTop) {
    ASSERT_EQ(bar.EntryCount(), 3);
    EXPECT_EQ(bar.EntryText(0), "&File");
    EXPECT_EQ(bar.EntryText(1), "&View");
    EXPECT_EQ(bar.EntryText(2), "&Help");
    EXPECT_EQ(bar.EntryText(3), "");
    EXPECT_EQ(GetDlgCtrlID(bar.hwnd()), static_cast<int>(ID_MENU_BAR));
    // Entries side by side, left to right, inside the bar.
    RECT a = bar.EntryRect(0), b = bar.EntryRect(1);
    EXPECT_GT(RectWidth(a), 0);
    EXPECT_LE(a.right, b.left);
    RECT placed = ScreenRect(bar.hwnd());
    MapWindowPoints(nullptr, host.hwnd(), reinterpret_cast<POINT*>(&placed), 2);
    EXPECT_EQ(placed.top, 0);
    EXPECT_EQ(RectHeight(placed), bar.CalcHeight(0));
    EXPECT_GT(bar.CalcHeight(0), 10);
}

TEST_F(MenuBarTest, ChosenItemsReachTheParentAsCommands) {
    // File: Apply, (separator), Save As, Load — three steps down is Load.
    ClickEntry(0, {VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN});
    ASSERT_EQ(host.commands.size(), 1u);
    EXPECT_EQ(host.commands[0], static_cast<UINT>(CMD_LOAD));

    ClickEntry(2, {VK_DOWN, VK_DOWN, VK_RETURN});
    ASSERT_EQ(host.commands.size(), 2u);
    EXPECT_EQ(host.commands[1], static_cast<UINT>(CMD_ABOUT));

    PostKeysSoon(bar.hwnd(), {VK_DOWN, VK_RETURN});
    EXPECT_EQ(bar.TrackEntry(1), static_cast<UINT>(CMD_VIEW_TOOLBAR));
    ASSERT_EQ(host.commands.size(), 3u);
    EXPECT_EQ(host.commands[2], static_cast<UINT>(CMD_VIEW_TOOLBAR));
}

TEST_F(MenuBarTest, ArrowKeysMoveBetweenEntries) {
    // From File, Right opens View; Left from File wraps round to Help.
    ClickEntry(0, {VK_RIGHT, VK_DOWN, VK_RETURN});
    ClickEntry(0, {VK_LEFT, VK_DOWN, VK_RETURN});
    EXPECT_EQ(host.commands, (std::vector<UINT>{CMD_VIEW_TOOLBAR, CMD_HELP}));

    // The mouse sliding onto Help while File is open opens Help.
    // A posted move carries the cursor position of its posting as its point.
    g_slideTo = CenterOf(bar.EntryRect(2));
    ClientToScreen(bar.hwnd(), &g_slideTo);
    SetTimer(bar.hwnd(), 77, 150, SlideMouse);
    PostKeysSoon(bar.hwnd(), {VK_DOWN, VK_RETURN}, 400);
    EXPECT_EQ(bar.TrackEntry(0), static_cast<UINT>(CMD_HELP));
}

TEST_F(MenuBarTest, DismissedMenuSendsNothing) {
    PostKeysSoon(bar.hwnd(), {VK_ESCAPE});
    EXPECT_EQ(bar.TrackEntry(0), 0u);
    PumpPending();
    EXPECT_TRUE(host.commands.empty());
    EXPECT_EQ(bar.TrackEntry(7), 0u);
}

TEST_F(MenuBarTest, MnemonicOpensItsEntry) {
    PostKeysSoon(bar.hwnd(), {VK_DOWN, VK_DOWN, VK_RETURN});
    EXPECT_TRUE(bar.OpenByMnemonic(L'v'));
    PumpPending();
    ASSERT_EQ(host.commands.size(), 1u);
    EXPECT_EQ(host.commands[0], static_cast<UINT>(CMD_VIEW_STATUS));
    EXPECT_FALSE(bar.OpenByMnemonic(L'q'));

    // Alt+H in the frame: the keyboard-menu request opens Help.
    PostKeysSoon(bar.hwnd(), {VK_DOWN, VK_RETURN});
    SendMessageW(host.hwnd(), WM_SYSCOMMAND, SC_KEYMENU, L'h');
    PumpPending();
    ASSERT_EQ(host.commands.size(), 2u);
    EXPECT_EQ(host.commands[1], static_cast<UINT>(CMD_HELP));
}

TEST_F(MenuBarTest, HighlightedItemPromptsInTheStatusBar) {
    StatusBar status;
    const UINT panes[] = {ID_INDICATOR_SEPARATOR};
    ASSERT_TRUE(status.Create(host.hwnd(), ID_STATUS_BAR, panes, 1));
    bar.SetPromptBar(&status);
    SendMessageW(bar.hwnd(), WM_MENUSELECT, MAKEWPARAM(CMD_APPLY, MF_STRING),
                 reinterpret_cast<LPARAM>(bar.EntryPopup(0)));
    EXPECT_EQ(status.PaneText(0), "Apply Configuration");
    // "prompt\ntip": only the prompt goes to the status bar.
    SendMessageW(bar.hwnd(), WM_MENUSELECT, MAKEWPARAM(CMD_SAVE, MF_STRING),
                 reinterpret_cast<LPARAM>(bar.EntryPopup(0)));
    EXPECT_EQ(status.PaneText(0), "Save Configure to file");
    SendMessageW(bar.hwnd(), WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
    EXPECT_EQ(status.PaneText(0), "Ready");
}

TEST_F(MenuBarTest, ToolbarImagesAppearBesideTheirCommands) {
    DockToolbar toolbar;
    ASSERT_TRUE(toolbar.Create(host.hwnd()));
    ASSERT_TRUE(toolbar.LoadToolbarResource(GetModuleHandleW(nullptr), IDR_TEST_FRAME));
    EXPECT_EQ(toolbar.CommandImage(CMD_ABOUT), 3) << "the separator has no image";
    EXPECT_EQ(toolbar.CommandImage(CMD_EXIT), -1);
    // Apply, Save and Load in File, About in Help.
    EXPECT_EQ(bar.UseToolbarImages(toolbar), 4);
    auto bitmapOf = [&](int entry, UINT id) {
        MENUITEMINFOW info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_BITMAP;
        GetMenuItemInfoW(bar.EntryPopup(entry), id, FALSE, &info);
        return info.hbmpItem;
    };
    EXPECT_NE(bitmapOf(0, CMD_LOAD), nullptr);
    EXPECT_NE(bitmapOf(2, CMD_ABOUT), nullptr);
    EXPECT_EQ(bitmapOf(0, CMD_EXIT), nullptr);
    // The menu still works with its images.
    ClickEntry(0, {VK_DOWN, VK_RETURN});
    EXPECT_EQ(host.commands, (std::vector<UINT>{CMD_APPLY}));
}

TEST(MenuBarLoad, MissingMenuLeavesAnEmptyBar) {
    TestHost host;
    MenuBar bar;
    ASSERT_TRUE(bar.Create(host.hwnd()));
    EXPECT_FALSE(bar.LoadMenuResource(GetModuleHandleW(nullptr), 999));
    EXPECT_EQ(bar.EntryCount(), 0);
    EXPECT_EQ(bar.TrackEntry(0), 0u);
    PostKeysSoon(bar.hwnd(), {VK_ESCAPE});
    EXPECT_FALSE(bar.OpenByMnemonic(L'f'));
}

} // namespace
