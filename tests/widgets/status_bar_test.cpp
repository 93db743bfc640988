#include "console/widgets/status_bar.h"
#include "widget_test_env.h"

#include <commctrl.h>
#include <gtest/gtest.h>

namespace {

// Sets the toggle state of the lock keys for this thread, restoring it afterwards.
class LockKeys {
public:
    LockKeys() { GetKeyboardState(saved_); }
    ~LockKeys() { SetKeyboardState(saved_); }
    void Set(bool caps, bool num, bool scroll) {
        BYTE state[256];
        GetKeyboardState(state);
        state[VK_CAPITAL] = caps ? 1 : 0;
        state[VK_NUMLOCK] = num ? 1 : 0;
        state[VK_SCROLL] = scroll ? 1 : 0;
        SetKeyboardState(state);
    }

private:
    BYTE saved_[256];
};

class StatusBarTest : public ::testing::Test {
protected:
    void SetUp() override {
        const UINT panes[] = {ID_INDICATOR_SEPARATOR, ID_INDICATOR_CAPS, ID_INDICATOR_NUM,
                              ID_INDICATOR_SCRL};
        ASSERT_TRUE(bar.Create(host.hwnd(), ID_STATUS_BAR, panes, 4));
    }
    TestHost host;
    LockKeys keys;
    StatusBar bar;
};

TEST_F(StatusBarTest, MessagePaneShowsTextOrTheIdleMessage) {
    ASSERT_EQ(bar.PaneCount(), 4);
    EXPECT_EQ(bar.PaneIndex(ID_INDICATOR_NUM), 2);
    EXPECT_EQ(bar.PaneIndex(12345), -1);
    EXPECT_EQ(bar.PaneText(0), "Ready");
    bar.SetMessageText("Apply Configuration");
    EXPECT_EQ(bar.PaneText(0), "Apply Configuration");
    bar.SetMessageText("");
    EXPECT_EQ(bar.PaneText(0), "Ready");
    EXPECT_EQ(bar.PaneText(9), "");
}

TEST_F(StatusBarTest, IndicatorsFollowTheLockKeys) {
    keys.Set(true, false, true);
    bar.UpdateIndicators();
    EXPECT_EQ(bar.PaneText(1), "CAP");
    EXPECT_EQ(bar.PaneText(2), "");
    EXPECT_EQ(bar.PaneText(3), "SCRL");

    // Without being asked: the bar's own timer notices the change.
    keys.Set(false, true, false);
    EXPECT_TRUE(PumpUntil([&] { return bar.PaneText(2) == "NUM"; }));
    EXPECT_EQ(bar.PaneText(1), "");
    EXPECT_EQ(bar.PaneText(3), "");
}

TEST_F(StatusBarTest, SitsAlongTheBottomWithIndicatorsAtTheRight) {
    RECT client;
    GetClientRect(host.hwnd(), &client);
    RECT rest = client;
    bar.LayoutIn(&rest);
    EXPECT_EQ(rest.bottom, client.bottom - bar.CalcHeight(RectWidth(client)));
    EXPECT_EQ(rest.top, client.top);
    RECT placed = ScreenRect(bar.hwnd());
    MapWindowPoints(nullptr, host.hwnd(), reinterpret_cast<POINT*>(&placed), 2);
    EXPECT_EQ(placed.bottom, client.bottom);
    EXPECT_EQ(RectWidth(placed), RectWidth(client));
    // The message pane takes the slack; every indicator keeps room for its text.
    RECT msg = {}, cap = {}, scrl = {};
    SendMessageW(bar.hwnd(), SB_GETRECT, 0, reinterpret_cast<LPARAM>(&msg));
    SendMessageW(bar.hwnd(), SB_GETRECT, 1, reinterpret_cast<LPARAM>(&cap));
    SendMessageW(bar.hwnd(), SB_GETRECT, 3, reinterpret_cast<LPARAM>(&scrl));
    EXPECT_GT(RectWidth(msg), RectWidth(client) / 2);
    EXPECT_GT(RectWidth(cap), 10);
    EXPECT_LE(msg.right, cap.left);
    EXPECT_LE(scrl.right, client.right);

    // The frame lays out before it is first shown: a bar of a hidden frame takes room.
    ShowWindow(host.hwnd(), SW_HIDE);
    EXPECT_GT(bar.CalcHeight(RectWidth(client)), 0);
    rest = client;
    bar.LayoutIn(&rest);
    EXPECT_LT(rest.bottom, client.bottom);

    ShowWindow(bar.hwnd(), SW_HIDE);
    rest = client;
    bar.LayoutIn(&rest);
    EXPECT_EQ(rest.bottom, client.bottom) << "a hidden bar takes no room";
}

TEST(StatusBarCreate, RejectsAnEmptyOrOversizedPaneList) {
    TestHost host;
    StatusBar bar;
    UINT many[17] = {};
    EXPECT_FALSE(bar.Create(host.hwnd(), ID_STATUS_BAR, many, 0));
    EXPECT_FALSE(bar.Create(host.hwnd(), ID_STATUS_BAR, many, 17));
    EXPECT_FALSE(bar.Create(host.hwnd(), ID_STATUS_BAR, nullptr, 1));
    EXPECT_TRUE(bar.Create(host.hwnd(), ID_STATUS_BAR, many, 16));
}

} // namespace
