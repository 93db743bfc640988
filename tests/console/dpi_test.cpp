// The console at 120 DPI (run in a prefix whose LogPixels is 120): the navigation bar's
// images and items, the toolbar's pictures and the list columns grow with the text, so
// nothing is cut.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "console/res/resource.h"
#include "console/widgets/widget_common.h"
#include "console_test_support.h"

TEST(LargeDpi, BarsAndColumnsScaleWithTheText) {
    HDC screen = GetDC(nullptr);
    int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    ASSERT_EQ(120, dpi) << "the prefix must report 120 DPI";
    DeleteConfigKey();
    RunningConsole console;
    ASSERT_TRUE(console.Start());
    CMainFrame& frame = console.Frame();

    int cx = 0, cy = 0;
    ImageList_GetIconSize(frame.LargeImages(), &cx, &cy);
    EXPECT_EQ(40, cx);
    ImageList_GetIconSize(frame.SmallImages(), &cx, &cy);
    EXPECT_EQ(20, cx);
    RECT item = frame.NavigationBar().ItemRect(0);
    EXPECT_GE(item.bottom - item.top, 40 + WidgetFontHeight(frame.NavigationBar().hwnd()));
    ImageList_GetIconSize(frame.Toolbar().Images(), &cx, &cy);
    EXPECT_EQ(20, cx) << "16-pixel toolbar pictures drawn at 20";
    RECT button = frame.Toolbar().ButtonRect(0);
    EXPECT_GE(button.right - button.left, 20);

    // Every column title of every list page fits its column.
    const struct {
        int group, item;
        PageKind kind;
        int list;
    } pages[] = {
        {0, 0, PageKind::IpAddress, IDC_IP_LIST},
        {0, 1, PageKind::ComputerName, IDC_CNAME_LIST},
        {0, 2, PageKind::MacAddress, IDC_MAC_LIST},
        {1, 0, PageKind::SessionPerIp, IDC_SIP_LIST},
        {1, 1, PageKind::SessionPerUser, IDC_SUSER_LIST},
        {2, 0, PageKind::ServerMonitor, IDC_MONITOR_LIST},
    };
    for (const auto& page : pages) {
        ASSERT_TRUE(OpenPageFromBar(console, page.group, page.item, page.kind));
        HWND list = console.PageItem(page.list);
        int columns = 0;
        for (;; ++columns) {
            char title[64] = {};
            LVCOLUMNA column = {};
            column.mask = LVCF_TEXT | LVCF_WIDTH;
            column.pszText = title;
            column.cchTextMax = sizeof(title);
            if (!ListView_GetColumn(list, columns, &column))
                break;
            int needed = ListView_GetStringWidth(list, title) + 12;
            EXPECT_GE(column.cx, needed) << title;
        }
        EXPECT_GT(columns, 0) << page.list;
    }
}
