#include "console/widgets/dock_toolbar.h"
#include "widget_test_env.h"
#include "widgets_test_res.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST(ToolbarTemplate, ParsesWordsAndRejectsMalformedData) {
    const uint16_t good[] = {1, 16, 15, 5, 32777, 32778, 32779, 0, 57664};
    ToolbarTemplate t;
    ASSERT_TRUE(ParseToolbarTemplate(good, sizeof good, &t));
    EXPECT_EQ(t.imageWidth, 16);
    EXPECT_EQ(t.imageHeight, 15);
    EXPECT_EQ(t.commands, (std::vector<UINT>{32777, 32778, 32779, 0, 57664}));

    struct Bad {
        std::vector<uint16_t> words;
        size_t bytes; // how much of it is offered
        const char* why;
    };
    const Bad bad[] = {
        {{2, 16, 15, 1, 7}, 10, "unknown version"},
        {{1, 0, 15, 1, 7}, 10, "zero width"},
        {{1, 16, 300, 1, 7}, 10, "height beyond 256"},
        {{1, 16, 15, 3, 7, 8}, 12, "fewer ids than counted"},
        {{1, 16, 15, 2, 7, 8}, 11, "last id cut in half"},
        {{1, 16, 15, 0xFFFF}, 8, "absurd count"},
        {{1, 16, 15}, 6, "header cut short"},
    };
    for (const Bad& b : bad) {
        ToolbarTemplate out;
        out.imageWidth = 99;
        EXPECT_FALSE(ParseToolbarTemplate(b.words.data(), b.bytes, &out)) << b.why;
        EXPECT_EQ(out.imageWidth, 99) << b.why << ": output untouched";
    }
    EXPECT_FALSE(ParseToolbarTemplate(nullptr, 20, &t));

    // Trailing bytes beyond the counted ids are ignored; a count of 0 is an empty bar.
    const uint16_t empty[] = {1, 16, 15, 0, 0xAAAA};
    ASSERT_TRUE(ParseToolbarTemplate(empty, sizeof empty, &t));
    EXPECT_TRUE(t.commands.empty());
}

class DockToolbarTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(bar.Create(host.hwnd()));
        ASSERT_TRUE(bar.LoadToolbarResource(GetModuleHandleW(nullptr), IDR_TEST_FRAME));
        // The host lays out like a frame: the toolbar on its side, the rest empty.
        host.onSize = [this](RECT client) {
            rest = client;
            bar.LayoutIn(&rest);
        };
        RECT client;
        GetClientRect(host.hwnd(), &client);
        host.onSize(client);
        PumpPending();
    }
    // Clicks button `index` as the mouse would.
    void Press(int index) {
        RECT r = {};
        SendMessageW(bar.ButtonsWindow(), TB_GETITEMRECT, static_cast<WPARAM>(index),
                     reinterpret_cast<LPARAM>(&r));
        ClickAt(bar.ButtonsWindow(), CenterOf(r));
        PumpPending();
    }
    RECT PlacedInHost() const {
        RECT r = ScreenRect(bar.hwnd());
        MapWindowPoints(nullptr, host.hwnd(), reinterpret_cast<POINT*>(&r), 2);
        return r;
    }
    TestHost host;
    DockToolbar bar;
    RECT rest = {};
};

TEST_F(DockToolbarTest, ButtonsComeFromTheResourceAndSendTheirCommands) {
    ASSERT_EQ(bar.ButtonCount(), 5);
    EXPECT_EQ(bar.ButtonCommand(0), static_cast<UINT>(CMD_APPLY));
    EXPECT_EQ(bar.ButtonCommand(3), 0u);
    EXPECT_EQ(bar.ButtonCommand(4), static_cast<UINT>(CMD_ABOUT));
    EXPECT_EQ(bar.ButtonCommand(5), 0u);
    EXPECT_EQ(GetDlgCtrlID(bar.hwnd()), static_cast<int>(ID_TOOL_BAR));
    for (int i : {0, 1, 2, 4})
        Press(i);
    EXPECT_EQ(host.commands, (std::vector<UINT>{CMD_APPLY, CMD_LOAD, CMD_SAVE, CMD_ABOUT}));

    bar.EnableButton(CMD_LOAD, false);
    Press(1);
    EXPECT_EQ(host.commands.size(), 4u) << "a disabled button sends nothing";
}

TEST_F(DockToolbarTest, MalformedResourcesAreRefused) {
    DockToolbar other;
    ASSERT_TRUE(other.Create(host.hwnd(), 1234));
    EXPECT_FALSE(other.LoadToolbarResource(GetModuleHandleW(nullptr), IDR_BROKEN_TOOLBAR));
    EXPECT_FALSE(other.LoadToolbarResource(GetModuleHandleW(nullptr), IDR_SHORT_TOOLBAR));
    EXPECT_FALSE(other.LoadToolbarResource(GetModuleHandleW(nullptr), 4321));
    EXPECT_EQ(other.ButtonCount(), 0);
    // Buttons without a bitmap still work.
    EXPECT_TRUE(other.LoadToolbarResource(GetModuleHandleW(nullptr), IDR_NO_BITMAP_TOOLBAR));
    EXPECT_EQ(other.ButtonCount(), 2);
}

TEST_F(DockToolbarTest, StartsAtTheTopAndDocksOnAnyAllowedSide) {
    EXPECT_EQ(bar.Side(), DOCK_TOP);
    RECT top = PlacedInHost();
    EXPECT_EQ(top.top, 0);
    EXPECT_EQ(rest.top, top.bottom);
    EXPECT_GT(RectWidth(top), RectHeight(top));

    EXPECT_FALSE(bar.DockTo(DOCK_LEFT)) << "only the top is allowed until docking is enabled";
    bar.EnableDocking(DOCK_ANY);
    int sizes = host.sizeMessages;
    ASSERT_TRUE(bar.DockTo(DOCK_LEFT));
    EXPECT_GT(host.sizeMessages, sizes) << "the frame is asked to lay out again";
    EXPECT_EQ(bar.Side(), DOCK_LEFT);
    RECT left = PlacedInHost();
    EXPECT_EQ(left.left, 0);
    EXPECT_EQ(rest.left, left.right);
    EXPECT_EQ(rest.top, 0);
    EXPECT_GT(RectHeight(left), RectWidth(left));
    // Buttons now stack top to bottom.
    EXPECT_GE(bar.ButtonRect(1).top, bar.ButtonRect(0).bottom);
    EXPECT_EQ(bar.ButtonRect(1).left, bar.ButtonRect(0).left);
    EXPECT_EQ(bar.CalcThickness(), RectWidth(left));
    // Every button, the last included, lies inside the bar's buttons window.
    RECT inner;
    GetClientRect(bar.ButtonsWindow(), &inner);
    for (int i = 0; i < bar.ButtonCount(); ++i) {
        RECT r = {};
        SendMessageW(bar.ButtonsWindow(), TB_GETITEMRECT, static_cast<WPARAM>(i),
                     reinterpret_cast<LPARAM>(&r));
        EXPECT_LE(r.bottom, inner.bottom) << "button " << i;
        EXPECT_LE(r.right, inner.right) << "button " << i;
    }

    ASSERT_TRUE(bar.DockTo(DOCK_RIGHT));
    RECT client;
    GetClientRect(host.hwnd(), &client);
    EXPECT_EQ(PlacedInHost().right, client.right);

    // Buttons keep working wherever the bar is.
    Press(0);
    EXPECT_EQ(host.commands, (std::vector<UINT>{CMD_APPLY}));

    EXPECT_FALSE(bar.DockTo(static_cast<DockSide>(DOCK_TOP | DOCK_LEFT)));
    bar.EnableDocking(DOCK_TOP | DOCK_BOTTOM);
    EXPECT_FALSE(bar.DockTo(DOCK_LEFT));
    EXPECT_EQ(bar.Side(), DOCK_RIGHT);
}

TEST_F(DockToolbarTest, DraggingTheGripperDocksOnTheNearestSide) {
    bar.EnableDocking(DOCK_ANY);
    RECT client;
    GetClientRect(host.hwnd(), &client);
    // Drop near the middle of the bottom edge of the host's client area.
    POINT drop = {client.right / 2, client.bottom - 5};
    MapWindowPoints(host.hwnd(), bar.hwnd(), &drop, 1);
    SendMessageW(bar.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 5));
    SendMessageW(bar.hwnd(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(drop.x, drop.y));
    SendMessageW(bar.hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(drop.x, drop.y));
    PumpPending();
    EXPECT_EQ(bar.Side(), DOCK_BOTTOM);
    EXPECT_EQ(PlacedInHost().bottom, client.bottom);

    // Escape during a drag leaves the bar where it is.
    POINT left = {3, client.bottom / 2};
    MapWindowPoints(host.hwnd(), bar.hwnd(), &left, 1);
    SendMessageW(bar.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 5));
    SendMessageW(bar.hwnd(), WM_KEYDOWN, VK_ESCAPE, 0);
    SendMessageW(bar.hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(left.x, left.y));
    EXPECT_EQ(bar.Side(), DOCK_BOTTOM);
}

TEST_F(DockToolbarTest, HiddenBarTakesNoRoom) {
    ShowWindow(bar.hwnd(), SW_HIDE);
    RECT client;
    GetClientRect(host.hwnd(), &client);
    RECT r = client;
    bar.LayoutIn(&r);
    EXPECT_TRUE(EqualRect(&r, &client));
    EXPECT_EQ(bar.CalcThickness(), 0);
}

} // namespace
