// Prints the console's timing figures under Wine (not a test; nothing is asserted):
//  - start-up: the application's initialisation up to its first painted main window;
//  - the IP address page made and filled with 10,000 rows.
// Medians of several runs, in milliseconds.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "config/config_model.h"
#include "console/pages/list_view_rows.h"
#include "console/res/resource.h"
#include "console_test_support.h"

namespace {
double NowMs() {
    LARGE_INTEGER frequency;
    LARGE_INTEGER counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void AddRows(int count) {
    for (int i = 0; i < count; ++i) {
        IpRangeRow* row = new IpRangeRow();
        snprintf(row->IPFROM, sizeof(row->IPFROM), "10.%d.%d.1", i / 256, i % 256);
        snprintf(row->IPTO, sizeof(row->IPTO), "10.%d.%d.254", i / 256, i % 256);
        row->TYPE = i % 2;
        FilterConfig.ipRanges.push_back(row);
    }
}
} // namespace

int main() {
    BoxRecorder boxes;
    const int runs = 7;

    std::vector<double> startup;
    for (int i = 0; i < runs; ++i) {
        RunningConsole console;
        double start = NowMs();
        bool started = console.App().InitInstance(); // ends with UpdateWindow: painted
        startup.push_back(NowMs() - start);
        if (!started) {
            printf("start-up failed\n");
            return 1;
        }
        PumpMessages();
    }

    const int rows = 10000;
    std::vector<double> fill;
    std::vector<double> removal;
    int shown = 0;
    for (int i = 0; i < 5; ++i) {
        RunningConsole console;
        if (!console.Start())
            return 1;
        ClearConfigLists();
        AddRows(rows);
        double start = NowMs();
        console.Frame().ReplacePage(PageKind::IpAddress);
        UpdateWindow(console.Frame().hwnd());
        fill.push_back(NowMs() - start);
        HWND list = console.PageItem(IDC_IP_LIST);
        shown = ListRowCount(list);
        PumpMessages();
        // Every row selected, then REMOVE (the filter switch enables the button).
        if (SendMessageA(console.PageItem(IDC_IP_ENABLE), BM_GETCHECK, 0, 0) != BST_CHECKED)
            SendMessageA(console.PageItem(IDC_IP_ENABLE), BM_CLICK, 0, 0);
        std::vector<int> all(static_cast<size_t>(shown));
        for (int r = 0; r < shown; ++r)
            all[static_cast<size_t>(r)] = r;
        SelectListRows(list, all);
        start = NowMs();
        SendMessageA(console.PageItem(IDC_IP_REMOVE), BM_CLICK, 0, 0);
        UpdateWindow(console.Frame().hwnd());
        removal.push_back(NowMs() - start);
        PumpMessages();
    }

    printf("console start-up to first painted window: median %.1f ms (%d runs)\n", Median(startup),
           runs);
    printf("IP page filled with %d rows (%d listed): median %.1f ms (5 runs)\n", rows, shown,
           Median(fill));
    printf("all %d rows selected and removed: median %.1f ms (5 runs)\n", shown, Median(removal));
    printf("boxes shown: %u\n", static_cast<unsigned>(boxes.boxes.size()));
    return 0;
}
