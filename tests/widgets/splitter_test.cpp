#include "console/widgets/splitter.h"
#include "widget_test_env.h"

#include <gtest/gtest.h>

namespace {

struct SpanCase {
    std::vector<int> ideal;
    int total;
    int bar;
    std::vector<Span> want;
};

TEST(SplitterLayout, IdealSpansThenTheRest) {
    const SpanCase cases[] = {
        // The frame's split: w/6 for the bar, the page takes the rest.
        {{100, 200}, 600, 6, {{0, 100}, {106, 494}}},
        // Ideal wider than the window: cut, the last span is empty.
        {{700, 50}, 600, 6, {{0, 600}, {600, 0}}},
        // A collapsed first column leaves just the bar before the second.
        {{0, 10}, 300, 6, {{0, 0}, {6, 294}}},
        // Three columns, middle one partly cut.
        {{100, 250, 10}, 300, 4, {{0, 100}, {104, 196}, {300, 0}}},
        // Negative inputs read as zero.
        {{-5, 10}, -20, -1, {{0, 0}, {0, 0}}},
        {{}, 100, 6, {}},
    };
    for (const SpanCase& c : cases) {
        std::vector<Span> got = LayoutSpans(c.ideal, c.total, c.bar);
        ASSERT_EQ(got.size(), c.want.size());
        for (size_t i = 0; i < got.size(); ++i) {
            EXPECT_EQ(got[i].start, c.want[i].start) << "span " << i << " of total " << c.total;
            EXPECT_EQ(got[i].size, c.want[i].size) << "span " << i << " of total " << c.total;
        }
    }
}

HWND MakeStatic(HWND parent, UINT id, const wchar_t* text) {
    return CreateWindowExW(0, L"STATIC", text, WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, parent,
                           reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)),
                           GetModuleHandleW(nullptr), nullptr);
}

RECT RectIn(HWND window, HWND parent) {
    RECT r = ScreenRect(window);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

class SplitterTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(splitter.CreateStatic(host.hwnd(), 1, 2));
        MoveWindow(splitter.hwnd(), 0, 0, 600, 400, TRUE);
        splitter.SetColumnInfo(0, 100, 20);
        splitter.SetColumnInfo(1, 200, 0);
        splitter.RecalcLayout();
    }
    TestHost host;
    Splitter splitter;
};

TEST_F(SplitterTest, PanesAreFoundByTheirIdsAndSized) {
    EXPECT_EQ(Splitter::PaneId(0, 0), 59648u);
    EXPECT_EQ(Splitter::PaneId(0, 1), 59649u);
    HWND nav = CreateWindowExW(0, L"STATIC", L"nav", WS_CHILD, 0, 0, 5, 5, host.hwnd(), nullptr,
                               GetModuleHandleW(nullptr), nullptr);
    ASSERT_TRUE(splitter.SetPaneWindow(0, 0, nav));
    EXPECT_EQ(splitter.PaneWindow(0, 0), nav);
    EXPECT_EQ(GetParent(nav), splitter.hwnd());
    EXPECT_TRUE(IsWindowVisible(nav));
    RECT r = RectIn(nav, splitter.hwnd());
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.right, 100);
    EXPECT_EQ(r.bottom, 400);
    // A taken pane refuses a second window.
    HWND other = MakeStatic(splitter.hwnd(), 0, L"other");
    EXPECT_FALSE(splitter.SetPaneWindow(0, 0, other));
    EXPECT_FALSE(splitter.SetPaneWindow(0, 2, other));
    EXPECT_EQ(splitter.PaneWindow(1, 0), nullptr);
}

TEST_F(SplitterTest, ReplacingAViewHidesTheOldAndSizesTheNew) {
    HWND first = splitter.CreateView(
        0, 1, [](HWND parent, UINT id) { return MakeStatic(parent, id, L"first"); });
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(splitter.PaneWindow(0, 1), first);

    UINT seenId = 0;
    HWND previous = nullptr;
    HWND second = splitter.ReplacePaneView(
        0, 1,
        [&](HWND parent, UINT id) {
            seenId = id;
            return CreateWindowExW(0, L"STATIC", L"second", WS_CHILD, 0, 0, 1, 1, parent,
                                   reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)),
                                   GetModuleHandleW(nullptr), nullptr);
        },
        &previous);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(seenId, Splitter::PaneId(0, 1));
    EXPECT_EQ(previous, first);
    EXPECT_TRUE(IsWindow(first)) << "the old view is the caller's to destroy";
    EXPECT_FALSE(IsWindowVisible(first));
    EXPECT_EQ(GetDlgCtrlID(first), 0);
    EXPECT_EQ(splitter.PaneWindow(0, 1), second);
    EXPECT_TRUE(IsWindowVisible(second));
    RECT want = splitter.PaneRect(0, 1);
    RECT got = RectIn(second, splitter.hwnd());
    EXPECT_EQ(got.left, want.left);
    EXPECT_EQ(got.top, want.top);
    EXPECT_EQ(got.right, 600);
    EXPECT_EQ(got.bottom, 400);
    EXPECT_EQ(want.left, 100 + splitter.BarSize());
    DestroyWindow(first);
}

TEST_F(SplitterTest, AFailedFactoryLeavesTheOldViewInPlace) {
    HWND first = splitter.CreateView(
        0, 1, [](HWND parent, UINT id) { return MakeStatic(parent, id, L"first"); });
    ASSERT_NE(first, nullptr);
    HWND previous = reinterpret_cast<HWND>(1);
    EXPECT_EQ(splitter.ReplacePaneView(
                  0, 1, [](HWND, UINT) { return static_cast<HWND>(nullptr); }, &previous),
              nullptr);
    EXPECT_EQ(previous, nullptr);
    EXPECT_EQ(splitter.PaneWindow(0, 1), first);
    EXPECT_TRUE(IsWindowVisible(first));
    EXPECT_EQ(
        splitter.ReplacePaneView(3, 1, [](HWND p, UINT id) { return MakeStatic(p, id, L"x"); }),
        nullptr);
}

TEST_F(SplitterTest, DraggingTheBarResizesAndEscapeCancels) {
    HWND left = splitter.CreateView(0, 0, [](HWND p, UINT id) { return MakeStatic(p, id, L"l"); });
    ASSERT_NE(left, nullptr);
    int barX = 100 + splitter.BarSize() / 2;
    SendMessageW(splitter.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(barX, 50));
    SendMessageW(splitter.hwnd(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(barX + 80, 60));
    SendMessageW(splitter.hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(barX + 80, 60));
    EXPECT_EQ(splitter.ColumnIdeal(0), 180);
    EXPECT_EQ(RectWidth(RectIn(left, splitter.hwnd())), 180);

    // Escape puts the bar back where the drag began.
    barX = 180 + splitter.BarSize() / 2;
    SendMessageW(splitter.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(barX, 50));
    SendMessageW(splitter.hwnd(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(barX + 100, 50));
    SendMessageW(splitter.hwnd(), WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_EQ(splitter.ColumnIdeal(0), 180);

    // Narrower than its minimum (20): the column collapses.
    SendMessageW(splitter.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(barX, 50));
    SendMessageW(splitter.hwnd(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(barX - 170, 50));
    SendMessageW(splitter.hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(barX - 170, 50));
    EXPECT_EQ(splitter.ColumnIdeal(0), 0);
}

} // namespace
