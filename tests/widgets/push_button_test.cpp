#include "console/widgets/push_button.h"
#include "widget_test_env.h"

#include <gtest/gtest.h>

namespace {

class PushButtonTest : public ::testing::Test {
protected:
    void SetUp() override {
        plain = CreateWindowExW(0, L"BUTTON", L"Add Server", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON,
                                10, 10, 100, 28, host.hwnd(), reinterpret_cast<HMENU>(1059),
                                GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(plain, nullptr);
    }
    TestHost host;
    HWND plain = nullptr;
};

TEST_F(PushButtonTest, BoundButtonStillReportsClicks) {
    PushButton button;
    ASSERT_TRUE(button.Bind(host.hwnd(), 1059));
    EXPECT_EQ(button.hwnd(), plain);
    EXPECT_EQ(button.Text(), "Add Server");
    SendMessageW(plain, BM_CLICK, 0, 0);
    PumpPending();
    EXPECT_EQ(host.commands, (std::vector<UINT>{1059}));
    UpdateWindow(plain); // paints through the toolkit's look without trouble

    EXPECT_FALSE(button.Bind(host.hwnd(), 1059)) << "already bound";
    PushButton missing;
    EXPECT_FALSE(missing.Bind(host.hwnd(), 4242));
    EXPECT_FALSE(missing.IsBound());
}

TEST_F(PushButtonTest, LightsUpUnderTheMouse) {
    PushButton button;
    ASSERT_TRUE(button.Bind(host.hwnd(), 1059));
    EXPECT_FALSE(button.IsHot());
    SendMessageW(plain, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    EXPECT_TRUE(button.IsHot());
    SendMessageW(plain, WM_MOUSELEAVE, 0, 0);
    EXPECT_FALSE(button.IsHot());
    // Unbound, the control is itself again.
    button.Unbind();
    SendMessageW(plain, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    EXPECT_FALSE(button.IsHot());
    EXPECT_TRUE(IsWindow(plain));
}

TEST_F(PushButtonTest, CreatedButtonAndItsParentGoingAway) {
    TestHost page(300, 200);
    PushButton button;
    ASSERT_TRUE(button.Create(page.hwnd(), 1060, "Remove Server", RECT{90, 12, 150, 40}));
    EXPECT_EQ(button.Text(), "Remove Server");
    EXPECT_EQ(GetDlgCtrlID(button.hwnd()), 1060);
    button.SetText("Remove");
    EXPECT_EQ(button.Text(), "Remove");
    button.Enable(false);
    EXPECT_FALSE(IsWindowEnabled(button.hwnd()));
    button.Enable(true);
    SendMessageW(button.hwnd(), BM_CLICK, 0, 0);
    PumpPending();
    EXPECT_EQ(page.commands, (std::vector<UINT>{1060}));
    DestroyWindow(page.hwnd());
    EXPECT_FALSE(button.IsBound()) << "no dangling handle after the parent is destroyed";
    button.Unbind();
}

} // namespace
