#include "console/widgets/tip_window.h"
#include "widget_test_env.h"

#include <gtest/gtest.h>

namespace {

int CountTipWindows() {
    int n = 0;
    HWND h = nullptr;
    while ((h = FindWindowExW(nullptr, h, L"GwHelpTip", nullptr)) != nullptr)
        ++n;
    return n;
}

class TipWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        tip.SetStyle(TIP_STYLE_SHADOW | TIP_STYLE_SHADOW_NO_DITHER);
        tip.SetMargins(5, 3, 5, 3);
        SetActiveWindow(host.hwnd());
    }
    TestHost host;
    TipWindow tip;
};

TEST_F(TipWindowTest, ShowsTitleAndLinesAtThePointWithoutTakingFocus) {
    POINT at = {200, 150};
    ASSERT_TRUE(tip.Show(host.hwnd(), at, "By default allow logon",
                         "If checked, all IP address are allowed \nin the list below.\nLast", 0));
    EXPECT_TRUE(tip.IsShown());
    EXPECT_EQ(tip.Title(), "By default allow logon");
    EXPECT_EQ(tip.LineCount(), 3);
    RECT r = ScreenRect(tip.hwnd());
    EXPECT_EQ(r.left, at.x);
    EXPECT_EQ(r.top, at.y);
    EXPECT_EQ(GetWindow(tip.hwnd(), GW_OWNER), host.hwnd());
    EXPECT_EQ(GetWindowLongPtrW(tip.hwnd(), GWL_STYLE) & (WS_CAPTION | WS_BORDER), 0);
    EXPECT_NE(GetActiveWindow(), tip.hwnd());
    // The title line comes before the text.
    EXPECT_EQ(tip.TextOrigin().x, 5);
    EXPECT_GT(tip.TextOrigin().y, 3);

    // Anchored on a rectangle: at its bottom left corner.
    RECT anchor = {300, 100, 420, 120};
    ASSERT_TRUE(tip.Show(host.hwnd(), anchor, "t", "x", 0));
    r = ScreenRect(tip.hwnd());
    EXPECT_EQ(r.left, 300);
    EXPECT_EQ(r.top, 120);
}

TEST_F(TipWindowTest, MarginsAreAtLeastThreeAndWidenTheTip) {
    tip.SetMargins(0, 1, 2, -5);
    RECT m = tip.Margins();
    EXPECT_EQ(m.left, 3);
    EXPECT_EQ(m.top, 3);
    EXPECT_EQ(m.right, 3);
    EXPECT_EQ(m.bottom, 3);
    ASSERT_TRUE(tip.Show(host.hwnd(), POINT{10, 10}, "Title", "one\ntwo", 0));
    RECT narrow = ScreenRect(tip.hwnd());

    tip.SetMargins(5, 3, 5, 3);
    ASSERT_TRUE(tip.Show(host.hwnd(), POINT{10, 10}, "Title", "one\ntwo", 0));
    RECT wide = ScreenRect(tip.hwnd());
    EXPECT_EQ(RectWidth(wide) - RectWidth(narrow), 4);
    EXPECT_EQ(RectHeight(wide), RectHeight(narrow));

    tip.SetMargins(5, 10, 5, 3);
    ASSERT_TRUE(tip.Show(host.hwnd(), POINT{10, 10}, "Title", "one\ntwo", 0));
    EXPECT_EQ(RectHeight(ScreenRect(tip.hwnd())) - RectHeight(wide), 7);
    // Another line adds height, not width.
    ASSERT_TRUE(tip.Show(host.hwnd(), POINT{10, 10}, "Title", "one\ntwo\none", 0));
    EXPECT_GT(RectHeight(ScreenRect(tip.hwnd())), RectHeight(wide) + 7);
}

TEST_F(TipWindowTest, ShadowEnlargesTheWindowByItsOffset) {
    tip.SetStyle(0);
    ASSERT_TRUE(tip.Show(host.hwnd(), POINT{10, 10}, "Title", "text", 0));
    RECT plain = ScreenRect(tip.hwnd());
    tip.SetStyle(TIP_STYLE_SHADOW | TIP_STYLE_SHADOW_NO_DITHER);
    ASSERT_TRUE(tip.Show(host.hwnd(), POINT{10, 10}, "Title", "text", 0));
    RECT shadowed = ScreenRect(tip.hwnd());
    EXPECT_EQ(RectWidth(shadowed) - RectWidth(plain), 4);
    EXPECT_EQ(RectHeight(shadowed) - RectHeight(plain), 4);
    // The corners the shadow leaves free are outside the window's region.
    HRGN rgn = CreateRectRgn(0, 0, 0, 0);
    ASSERT_NE(GetWindowRgn(tip.hwnd(), rgn), ERROR);
    EXPECT_FALSE(PtInRegion(rgn, RectWidth(shadowed) - 1, 0));
    EXPECT_TRUE(PtInRegion(rgn, RectWidth(shadowed) - 1, RectHeight(shadowed) - 1));
    EXPECT_TRUE(PtInRegion(rgn, 0, 0));
    DeleteObject(rgn);
}

TEST_F(TipWindowTest, HidesItselfWhenItsTimeIsUp) {
    ASSERT_TRUE(tip.Show(host.hwnd(), POINT{50, 50}, "Write logon logs", "text", 300));
    EXPECT_TRUE(tip.IsShown());
    EXPECT_TRUE(PumpUntil([&] { return !tip.IsShown(); }, 10000));
    EXPECT_EQ(tip.hwnd(), nullptr);
    EXPECT_EQ(CountTipWindows(), 0);
}

TEST_F(TipWindowTest, ANewTipReplacesTheOpenOne) {
    ASSERT_TRUE(tip.Show(host.hwnd(), POINT{50, 50}, "first", "a", 4500));
    HWND first = tip.hwnd();
    ASSERT_TRUE(tip.Show(host.hwnd(), POINT{60, 60}, "second", "b", 4500));
    EXPECT_FALSE(IsWindow(first));
    EXPECT_EQ(CountTipWindows(), 1);
    EXPECT_EQ(tip.Title(), "second");
    tip.Hide();
    EXPECT_FALSE(tip.IsShown());
    EXPECT_EQ(CountTipWindows(), 0);
    tip.Hide(); // twice is harmless
}

TEST_F(TipWindowTest, GoesWithItsOwnerButOutlivesAHiddenOne) {
    HWND page = CreateWindowExW(0, L"STATIC", L"page", WS_CHILD | WS_VISIBLE, 0, 0, 50, 50,
                                host.hwnd(), nullptr, GetModuleHandleW(nullptr), nullptr);
    // A hidden page's tip still closes by its own timer.
    ASSERT_TRUE(tip.Show(page, POINT{50, 50}, "t", "x", 200));
    ShowWindow(page, SW_HIDE);
    EXPECT_TRUE(PumpUntil([&] { return !tip.IsShown(); }, 10000));

    TestHost owner(300, 200);
    ASSERT_TRUE(tip.Show(owner.hwnd(), POINT{50, 50}, "t", "x", 0));
    DestroyWindow(owner.hwnd());
    EXPECT_FALSE(tip.IsShown());
    EXPECT_EQ(tip.hwnd(), nullptr);
    tip.Hide();
}

TEST_F(TipWindowTest, NullTextsAndASharedInstance) {
    ASSERT_TRUE(tip.Show(host.hwnd(), POINT{5, 5}, nullptr, nullptr, 0));
    EXPECT_EQ(tip.Title(), "");
    EXPECT_EQ(tip.LineCount(), 1);
    EXPECT_EQ(&SharedHelpTip(), &SharedHelpTip());
    EXPECT_FALSE(SharedHelpTip().IsShown()) << "no window before the first Show";
}

} // namespace
