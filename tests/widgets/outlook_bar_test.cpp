#include "console/widgets/outlook_bar.h"
#include "widget_test_env.h"

#include <gtest/gtest.h>
#include <windowsx.h>

#include <cstddef>

namespace {

// The owner reads the index from the record's first 32-bit word and the text pointer
// from its fourth member (the fourth 32-bit word on 32-bit Windows).
static_assert(offsetof(OutlookBarItemInfo, index) == 0, "index first");
#ifdef _WIN64
static_assert(offsetof(OutlookBarItemInfo, text) == 16, "fourth member, pointer-aligned");
#else
static_assert(offsetof(OutlookBarItemInfo, text) == 12, "fourth 32-bit word");
#endif

bool MenuHas(HMENU menu, UINT id) {
    return GetMenuState(menu, id, MF_BYCOMMAND) != static_cast<UINT>(-1);
}

class OutlookBarTest : public ::testing::Test {
protected:
    void SetUp() override { Build(0); }
    void TearDown() override {
        bar.Destroy();
        ImageList_Destroy(large);
        ImageList_Destroy(small);
    }
    void Build(uint32_t options) {
        bar.Destroy();
        ASSERT_TRUE(bar.Create(WS_EX_STATICEDGE, host.hwnd(), 59648, host.hwnd(), options));
        MoveWindow(bar.hwnd(), 0, 0, 160, 560, TRUE);
        if (large == nullptr) {
            large = ImageList_Create(32, 32, ILC_COLOR16 | ILC_MASK, 2, 1);
            small = ImageList_Create(16, 16, ILC_COLOR16 | ILC_MASK, 2, 1);
            HICON icon = LoadIconW(nullptr, MAKEINTRESOURCEW(32512)); // IDI_APPLICATION
            for (int i = 0; i < 11; ++i) {
                ImageList_AddIcon(large, icon);
                ImageList_AddIcon(small, icon);
            }
        }
        bar.SetImageList(large, OUTLOOK_LARGE_ICONS);
        bar.SetImageList(small, OUTLOOK_SMALL_ICONS);
        const char* logon[] = {"IP Address", "Computer Name", "MAC address", "Client Version",
                               "Time Restrictions"};
        const char* session[] = {"Session per IP", "Session per User"};
        const char* tools[] = {"Servers Information", "Popup Messages", "Logs"};
        int image = 0;
        EXPECT_EQ(bar.AddGroup("Logon Filters"), 0);
        for (int i = 0; i < 5; ++i)
            EXPECT_EQ(bar.AddItem(0, i, logon[i], image++), i);
        EXPECT_EQ(bar.AddGroup("Session limited"), 1);
        for (int i = 0; i < 2; ++i)
            bar.AddItem(1, i, session[i], image++);
        EXPECT_EQ(bar.AddGroup("Tools"), 2);
        for (int i = 0; i < 3; ++i)
            bar.AddItem(2, i, tools[i], image++);
        ASSERT_TRUE(bar.OpenGroup(0));
        UpdateWindow(bar.hwnd());
    }
    void ClickItem(int index) { ClickAt(bar.hwnd(), CenterOf(bar.ItemRect(index))); }

    TestHost host;
    OutlookBar bar;
    HIMAGELIST large = nullptr;
    HIMAGELIST small = nullptr;
};

TEST_F(OutlookBarTest, ClickingAnItemTellsTheOwnerWhichOne) {
    ClickItem(2);
    ASSERT_EQ(host.notes.size(), 1u);
    EXPECT_EQ(host.notes[0].code, static_cast<UINT>(OBN_ITEM_CLICKED));
    EXPECT_EQ(host.notes[0].index, 2);
    EXPECT_EQ(host.notes[0].group, 0);
    EXPECT_EQ(host.notes[0].image, 2);
    EXPECT_EQ(host.notes[0].text, "MAC address");
    EXPECT_EQ(bar.SelectedItem(), 2);

    // The owner says no: the selection stays where it was.
    host.notifyAnswer = 0;
    ClickItem(4);
    ASSERT_EQ(host.notes.size(), 2u);
    EXPECT_EQ(host.notes[1].text, "Time Restrictions");
    EXPECT_EQ(bar.SelectedItem(), 2);
}

TEST_F(OutlookBarTest, PressAndReleaseOnDifferentItemsIsNoClick) {
    POINT down = CenterOf(bar.ItemRect(0));
    POINT up = CenterOf(bar.ItemRect(1));
    SendMessageW(bar.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(down.x, down.y));
    SendMessageW(bar.hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(up.x, up.y));
    EXPECT_TRUE(host.notes.empty());
    EXPECT_EQ(bar.ClickItem(99), 0);
    EXPECT_TRUE(host.notes.empty());
}

TEST_F(OutlookBarTest, ClickingAHeaderOpensItsGroup) {
    EXPECT_EQ(bar.OpenGroupIndex(), 0);
    RECT tools = bar.GroupHeaderRect(2);
    RECT client;
    GetClientRect(bar.hwnd(), &client);
    EXPECT_EQ(tools.bottom, client.bottom) << "closed groups below the open one sit at the bottom";
    ClickAt(bar.hwnd(), CenterOf(tools));
    EXPECT_EQ(bar.OpenGroupIndex(), 2);
    EXPECT_TRUE(host.notes.empty()) << "opening a group is not an item click";

    // Now every header up to Tools is at the top and Tools' items follow it.
    RECT header = bar.GroupHeaderRect(2);
    EXPECT_EQ(header.top, 2 * RectHeight(header));
    RECT first = bar.ItemRect(0);
    EXPECT_GE(first.top, header.bottom);
    ClickItem(1);
    ASSERT_EQ(host.notes.size(), 1u);
    EXPECT_EQ(host.notes[0].index, 1);
    EXPECT_EQ(host.notes[0].group, 2);
    EXPECT_EQ(host.notes[0].text, "Popup Messages");
    EXPECT_EQ(host.notes[0].image, 8);

    // The selection belongs to the group it was made in.
    EXPECT_EQ(bar.SelectedItem(), 1);
    bar.OpenGroup(1);
    EXPECT_EQ(bar.SelectedItem(), -1);
    EXPECT_EQ(bar.ItemRect(2).right, 0) << "group 1 has two items";
    EXPECT_FALSE(bar.OpenGroup(3));
    EXPECT_FALSE(bar.OpenGroup(-1));
    EXPECT_EQ(bar.OpenGroupIndex(), 1);
}

// Another process asks the bar where to click: a click at the answered point lands on
// what was asked for, and items are those of the group open now.
TEST_F(OutlookBarTest, ClickingWhereTheBarAnswersHitsThatHeaderOrItem) {
    auto ask = [this](UINT msg, WPARAM index) { return SendMessageW(bar.hwnd(), msg, index, 0); };
    auto clickAnswer = [this](LRESULT answer) {
        ClickAt(bar.hwnd(), POINT{GET_X_LPARAM(answer), GET_Y_LPARAM(answer)});
    };
    LRESULT item = ask(OBM_GETITEMPOINT, 3);
    ASSERT_NE(item, 0);
    clickAnswer(item);
    ASSERT_EQ(host.notes.size(), 1u);
    EXPECT_EQ(host.notes[0].code, static_cast<UINT>(OBN_ITEM_CLICKED));
    EXPECT_EQ(host.notes[0].text, "Client Version");

    LRESULT header = ask(OBM_GETHEADERPOINT, 2);
    ASSERT_NE(header, 0);
    clickAnswer(header);
    EXPECT_EQ(bar.OpenGroupIndex(), 2);
    clickAnswer(ask(OBM_GETITEMPOINT, 2));
    ASSERT_EQ(host.notes.size(), 2u);
    EXPECT_EQ(host.notes[1].text, "Logs");

    EXPECT_EQ(ask(OBM_GETITEMPOINT, 3), 0) << "Tools has three items";
    EXPECT_EQ(ask(OBM_GETHEADERPOINT, 3), 0);
    EXPECT_EQ(ask(OBM_GETHEADERPOINT, static_cast<WPARAM>(-1)), 0);
}

TEST_F(OutlookBarTest, ContextMenuOffersOnlyIconSizesWithoutEditingOptions) {
    POINT onItem = CenterOf(bar.ItemRect(1));
    POINT onHeader = CenterOf(bar.GroupHeaderRect(0));
    for (POINT pt : {onItem, onHeader}) {
        HMENU menu = bar.BuildContextMenu(pt);
        ASSERT_NE(menu, nullptr);
        EXPECT_TRUE(MenuHas(menu, ID_OUTLOOK_SMALL_ICONS));
        EXPECT_TRUE(MenuHas(menu, ID_OUTLOOK_LARGE_ICONS));
        EXPECT_FALSE(MenuHas(menu, ID_OUTLOOK_REMOVE_ITEM));
        EXPECT_FALSE(MenuHas(menu, ID_OUTLOOK_REMOVE_GROUP));
        EXPECT_EQ(GetMenuItemCount(menu), 2);
        DestroyMenu(menu);
    }
    // Even a remove command sent straight to the bar does nothing.
    SendMessageW(bar.hwnd(), WM_COMMAND, ID_OUTLOOK_REMOVE_ITEM, 0);
    EXPECT_EQ(bar.ItemCount(0), 5);
    EXPECT_TRUE(host.notes.empty());
}

TEST_F(OutlookBarTest, ContextMenuSwitchesIconSize) {
    EXPECT_EQ(bar.IconSize(), OUTLOOK_LARGE_ICONS);
    int largeHeight = RectHeight(bar.ItemRect(0));
    POINT screen = CenterOf(bar.ItemRect(1));
    ClientToScreen(bar.hwnd(), &screen);
    // First entry of the menu is "Small Icons".
    PostKeysSoon(bar.hwnd(), {VK_DOWN, VK_RETURN});
    SendMessageW(bar.hwnd(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(bar.hwnd()),
                 MAKELPARAM(screen.x, screen.y));
    PumpPending();
    EXPECT_EQ(bar.IconSize(), OUTLOOK_SMALL_ICONS);
    EXPECT_LT(RectHeight(bar.ItemRect(0)), largeHeight);
    HMENU menu = bar.BuildContextMenu(POINT{5, 5});
    EXPECT_EQ(GetMenuState(menu, ID_OUTLOOK_SMALL_ICONS, MF_BYCOMMAND) & MF_CHECKED,
              static_cast<UINT>(MF_CHECKED));
    DestroyMenu(menu);
    EXPECT_TRUE(host.notes.empty());
}

TEST_F(OutlookBarTest, ItemsThatDoNotFitScrollWithArrowButtons) {
    EXPECT_FALSE(bar.CanScrollUp());
    EXPECT_FALSE(bar.CanScrollDown()) << "five large items fit in 560 pixels";
    MoveWindow(bar.hwnd(), 0, 0, 160, 200, TRUE);
    ASSERT_TRUE(bar.CanScrollDown());
    RECT down = bar.ScrollButtonRect(false);
    ASSERT_GT(RectWidth(down), 0);
    EXPECT_EQ(RectWidth(bar.ScrollButtonRect(true)), 0);
    int firstTop = bar.ItemRect(1).top;

    ClickAt(bar.hwnd(), CenterOf(down));
    EXPECT_TRUE(host.notes.empty()) << "the arrow is not an item";
    EXPECT_TRUE(bar.CanScrollUp());
    EXPECT_LT(bar.ItemRect(1).top, firstTop);
    for (int i = 0; i < 10 && bar.CanScrollDown(); ++i)
        ClickAt(bar.hwnd(), CenterOf(bar.ScrollButtonRect(false)));
    EXPECT_FALSE(bar.CanScrollDown());
    // Scrolled to the end, the last item is whole and can be clicked.
    RECT last = bar.ItemRect(4);
    ASSERT_GT(RectHeight(last), 0);
    EXPECT_EQ(last.bottom, bar.GroupHeaderRect(1).top);
    ClickAt(bar.hwnd(), POINT{10, (last.top + last.bottom) / 2});
    ASSERT_EQ(host.notes.size(), 1u);
    EXPECT_EQ(host.notes[0].text, "Time Restrictions");

    // Back to full height: nothing left to scroll.
    MoveWindow(bar.hwnd(), 0, 0, 160, 560, TRUE);
    EXPECT_FALSE(bar.CanScrollUp());
    EXPECT_FALSE(bar.CanScrollDown());
}

TEST_F(OutlookBarTest, RemovalAsksTheOwnerFirst) {
    Build(OBS_EDIT_ITEMS | OBS_EDIT_GROUPS);
    HMENU menu = bar.BuildContextMenu(CenterOf(bar.ItemRect(1)));
    EXPECT_TRUE(MenuHas(menu, ID_OUTLOOK_REMOVE_ITEM));
    EXPECT_FALSE(MenuHas(menu, ID_OUTLOOK_REMOVE_GROUP));
    DestroyMenu(menu);
    menu = bar.BuildContextMenu(CenterOf(bar.GroupHeaderRect(1)));
    EXPECT_TRUE(MenuHas(menu, ID_OUTLOOK_REMOVE_GROUP));
    DestroyMenu(menu);

    ClickItem(3);
    ASSERT_EQ(bar.SelectedItem(), 3);
    host.notes.clear();

    host.notifyAnswer = 0;
    EXPECT_FALSE(bar.RemoveItem(0, 1));
    ASSERT_EQ(host.notes.size(), 1u);
    EXPECT_EQ(host.notes[0].code, static_cast<UINT>(OBN_REMOVE_ITEM));
    EXPECT_EQ(host.notes[0].index, 1);
    EXPECT_EQ(host.notes[0].text, "Computer Name");
    EXPECT_EQ(bar.ItemCount(0), 5);

    host.notifyAnswer = 1;
    EXPECT_TRUE(bar.RemoveItem(0, 1));
    EXPECT_EQ(bar.ItemCount(0), 4);
    EXPECT_EQ(bar.ItemText(0, 1), "MAC address");
    EXPECT_EQ(bar.SelectedItem(), 2) << "the selection follows its item";

    host.notifyAnswer = 0;
    EXPECT_FALSE(bar.RemoveGroup(1));
    EXPECT_EQ(host.notes.back().code, static_cast<UINT>(OBN_REMOVE_GROUP));
    EXPECT_EQ(host.notes.back().index, 1);
    EXPECT_EQ(host.notes.back().text, "Session limited");
    EXPECT_EQ(bar.GroupCount(), 3);

    host.notifyAnswer = 1;
    EXPECT_TRUE(bar.RemoveGroup(0)); // the open one
    EXPECT_EQ(bar.GroupCount(), 2);
    EXPECT_EQ(bar.GroupText(0), "Session limited");
    EXPECT_EQ(bar.OpenGroupIndex(), 0);
    EXPECT_EQ(bar.SelectedGroup(), -1);
    EXPECT_FALSE(bar.RemoveGroup(5));
}

} // namespace

namespace {
// A high-contrast scheme (black button face) while it lives; the user's colours after.
struct HighContrastScheme {
    static constexpr int count = 5;
    int ids[count] = {COLOR_BTNFACE, COLOR_3DSHADOW, COLOR_WINDOW, COLOR_WINDOWTEXT,
                      COLOR_HIGHLIGHT};
    COLORREF saved[count];
    HighContrastScheme() {
        const COLORREF scheme[count] = {RGB(0, 0, 0), RGB(128, 128, 128), RGB(0, 0, 0),
                                        RGB(255, 255, 255), RGB(128, 0, 128)};
        for (int i = 0; i < count; ++i)
            saved[i] = GetSysColor(ids[i]);
        SetSysColors(count, ids, scheme);
    }
    ~HighContrastScheme() { SetSysColors(count, ids, saved); }
};
} // namespace

TEST_F(OutlookBarTest, HighContrastDrawsTheItemsOnTheWindowColourAndTheSelectionHighlighted) {
    HighContrastScheme scheme;
    bar.ClickItem(1);
    InvalidateRect(bar.hwnd(), nullptr, TRUE);
    UpdateWindow(bar.hwnd());
    RECT selected = bar.ItemRect(1);
    RECT last = bar.ItemRect(bar.ItemCount(0) - 1);
    HDC dc = GetDC(bar.hwnd());
    // Below the last item, and the left end of the selected item's text line.
    COLORREF empty = GetPixel(dc, 10, last.bottom + 10);
    COLORREF selection = GetPixel(dc, 3, selected.bottom - 4);
    ReleaseDC(bar.hwnd(), dc);
    EXPECT_EQ(RGB(0, 0, 0), empty);
    EXPECT_EQ(RGB(128, 0, 128), selection);
}
