// Prints the console's timing figures under Wine (not a test; nothing is asserted).
// Run it with the Terminal Services stand-in beside it (WINEDLLOVERRIDES=wtsapi32=n).
//  - with 10 and with 10,000 rows in every table: start-up to the first painted window
//    with its filled IP address list; the switch to each list page; Ctrl+End in the IP
//    list; Apply; a load from a file (its dialog answered at once); and the codec's
//    share of those (the registry read, the file read, the stored configuration's
//    comparison, the registry write);
//  - the IP address page made and filled with 10,000 rows, and all of them removed;
//  - the server monitor: how late the window answers a message while two of four
//    servers take 5 s to give up, and with 10,000 listed servers (how long the page
//    takes to show, then how late the window answers while they are asked).
// Medians of several runs, in milliseconds.
#include <windows.h>
#include <process.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "config/config_model.h"
#include "config/persistence.h"
#include "console/pages/list_view_rows.h"
#include "console/res/resource.h"
#include "console/shell/config_apply.h"
#include "console/shell/lockout_guard.h"
#include "console_test_support.h"
#include "eventlog/config_change.h"
#include "platform/codepage.h"
#include "tests/support/scenario_file.h"

namespace {
double NowMs() {
    LARGE_INTEGER frequency;
    LARGE_INTEGER counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// A step under way, for whoever watches a long run.
void Progress(const char* step, int rows) {
    fprintf(stderr, "... %s (%d rows)\n", step, rows);
    fflush(stderr);
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

void AddIpRows(int count) {
    for (int i = 0; i < count; ++i) {
        IpRangeRow* row = new IpRangeRow();
        snprintf(row->IPFROM, sizeof(row->IPFROM), "10.%d.%d.1", i / 256, i % 256);
        snprintf(row->IPTO, sizeof(row->IPTO), "10.%d.%d.254", i / 256, i % 256);
        row->TYPE = i % 2;
        FilterConfig.ipRanges.push_back(row);
    }
}

void AddServers(int count) {
    for (int i = 0; i < count; ++i) {
        MonitorServerRow* row = new MonitorServerRow();
        snprintf(row->SERVER, sizeof(row->SERVER), "TS%05d", i);
        FilterConfig.monitorServers.push_back(row);
    }
}

// `count` rows in each of the six tables.
void FillEveryTable(int count) {
    ClearConfigLists();
    AddIpRows(count);
    AddServers(count);
    for (int i = 0; i < count; ++i) {
        ComputerNameRow* name = new ComputerNameRow();
        snprintf(name->CNAME, sizeof(name->CNAME), "WORKSTATION-%05d", i);
        name->TYPE = i % 2;
        FilterConfig.computerNames.push_back(name);
        MacAddressRow* mac = new MacAddressRow();
        snprintf(mac->MACADDRESS, sizeof(mac->MACADDRESS), "00-1A-2B-%02X-%02X-%02X", i >> 16,
                 (i >> 8) & 255, i & 255);
        mac->TYPE = i % 2;
        FilterConfig.macAddresses.push_back(mac);
        SessionIpRow* ip = new SessionIpRow();
        snprintf(ip->SESSION_IP, sizeof(ip->SESSION_IP), "192.168.%d.%d", i / 256, i % 256);
        ip->SESSION_IPCOUNTER = 1 + i % 9;
        FilterConfig.sessionIps.push_back(ip);
        SessionUserRow* user = new SessionUserRow();
        snprintf(user->SESSION_USER, sizeof(user->SESSION_USER), "user%05d", i);
        user->SESSION_USERCOUNT = 1 + i % 9;
        FilterConfig.sessionUsers.push_back(user);
    }
}

struct ListPageItem {
    const char* name;
    int group;
    int item;
};
const ListPageItem LIST_PAGES[] = {
    {"IP Address", 0, 0},     {"Computer Name", 0, 1},    {"MAC address", 0, 2},
    {"Session per IP", 1, 0}, {"Session per User", 1, 1}, {"Servers Information", 2, 0},
};
const int LIST_PAGE_COUNT = sizeof(LIST_PAGES) / sizeof(LIST_PAGES[0]);

struct Figures {
    std::vector<double> start, switchTo[LIST_PAGE_COUNT], ctrlEnd, apply, load;
    std::vector<double> registryRead, fileRead, comparison, registryWrite, lockout, applyReport;
};

// One console's figures with `rows` rows in every table.
bool MeasureOnce(int rows, const std::string& file, Figures* figures) {
    FileDialogDriver files;
    FillEveryTable(rows);
    if (SaveConfigToRegistry() != 0 || SaveConfigToFile(file.c_str()) != 0)
        return false;
    ClearConfigLists();

    Progress("start-up", rows);
    RunningConsole console;
    double start = NowMs();
    if (!console.App().InitInstance()) // ends with UpdateWindow: painted
        return false;
    figures->start.push_back(NowMs() - start);
    PumpMessages();

    OutlookBar& bar = console.Frame().NavigationBar();
    for (int k = 0; k < LIST_PAGE_COUNT; ++k) {
        Progress(LIST_PAGES[k].name, rows);
        bar.OpenGroup(2); // from the popup messages page, which lists nothing
        bar.ClickItem(1);
        PumpMessages();
        bar.OpenGroup(LIST_PAGES[k].group);
        PumpMessages();
        start = NowMs();
        bar.ClickItem(LIST_PAGES[k].item);
        UpdateWindow(console.Frame().hwnd());
        figures->switchTo[k].push_back(NowMs() - start);
        // Away before the monitor's first tick, however long its ticks are.
        console.Frame().ReplacePage(PageKind::PopupMessages);
        PumpMessages();
    }

    bar.OpenGroup(0);
    bar.ClickItem(0);
    PumpMessages();
    HWND list = console.PageItem(IDC_IP_LIST);
    EnableWindow(list, TRUE);
    SetFocus(list);
    PumpMessages();
    Progress("Ctrl+End", rows);
    start = NowMs();
    PressKey(VK_END, KEY_CTRL);
    UpdateWindow(console.Frame().hwnd());
    figures->ctrlEnd.push_back(NowMs() - start);

    Progress("Apply", rows);
    start = NowMs();
    console.Command(ID_APPLY_CONFIG);
    figures->apply.push_back(NowMs() - start);

    files.path = file;
    Progress("load", rows);
    start = NowMs();
    console.Command(ID_LOAD_CONFIG);
    UpdateWindow(console.Frame().hwnd());
    figures->load.push_back(NowMs() - start);

    // The configuration store's share, measured alone.
    start = NowMs();
    LoadConfigFromRegistry();
    figures->registryRead.push_back(NowMs() - start);
    start = NowMs();
    LoadConfigFromFile(file.c_str());
    figures->fileRead.push_back(NowMs() - start);
    start = NowMs();
    StoredConfigChange(FilterConfig, SystemAnsiCodePage());
    figures->comparison.push_back(NowMs() - start);
    start = NowMs();
    SaveConfigToRegistry();
    figures->registryWrite.push_back(NowMs() - start);
    start = NowMs();
    ConfirmNoLockout(FilterConfig);
    figures->lockout.push_back(NowMs() - start);
    start = NowMs();
    ApplyConfigAndReport("");
    figures->applyReport.push_back(NowMs() - start);
    return true;
}

void PrintRow(const char* what, const std::vector<double>& small, const std::vector<double>& big) {
    printf("  %-34s %8.1f %8.1f %+8.1f\n", what, Median(small), Median(big),
           Median(big) - Median(small));
}

bool MeasureTables() {
    const std::string file = TempFile("gw-timing.WTS");
    const int runs = 5;
    Figures small, big;
    for (int i = 0; i < runs; ++i) {
        if (!MeasureOnce(10, file, &small) || !MeasureOnce(10000, file, &big)) {
            printf("a console run failed\n");
            return false;
        }
    }
    DeleteFileA(file.c_str());
    printf("every table with 10 / 10,000 rows (medians of %d runs, ms):\n", runs);
    printf("  %-34s %8s %8s %8s\n", "", "10", "10,000", "more");
    PrintRow("start-up to the filled IP list", small.start, big.start);
    for (int k = 0; k < LIST_PAGE_COUNT; ++k)
        PrintRow((std::string("switch to ") + LIST_PAGES[k].name).c_str(), small.switchTo[k],
                 big.switchTo[k]);
    PrintRow("Ctrl+End in the IP list", small.ctrlEnd, big.ctrlEnd);
    PrintRow("Apply", small.apply, big.apply);
    PrintRow("load from a file", small.load, big.load);
    PrintRow(" of which: registry read alone", small.registryRead, big.registryRead);
    PrintRow(" file read alone", small.fileRead, big.fileRead);
    PrintRow(" stored configuration compared", small.comparison, big.comparison);
    PrintRow(" registry write alone", small.registryWrite, big.registryWrite);
    PrintRow(" lockout check alone", small.lockout, big.lockout);
    PrintRow(" apply with its event alone", small.applyReport, big.applyReport);
    return true;
}

bool MeasureIpPage() {
    const int rows = 10000;
    std::vector<double> fill;
    std::vector<double> removal;
    int shown = 0;
    for (int i = 0; i < 5; ++i) {
        RunningConsole console;
        if (!console.Start())
            return false;
        ClearConfigLists();
        AddIpRows(rows);
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
    printf("IP page filled with %d rows (%d listed): median %.1f ms (5 runs)\n", rows, shown,
           Median(fill));
    printf("all %d rows selected and removed: median %.1f ms (5 runs)\n", shown, Median(removal));
    return true;
}

// Asks a window for an answer every 20 ms from another thread, as Windows does before
// it calls a window "Not Responding", and keeps how long each answer took.
class ResponseProbe {
public:
    explicit ResponseProbe(HWND window) : window_(window) {
        stop_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        thread_ = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, Run, this, 0, nullptr));
    }
    ~ResponseProbe() { Stop(); }
    void Stop() {
        if (thread_ == nullptr)
            return;
        SetEvent(stop_);
        // The loop below keeps the window answering while the probe finishes.
        while (MsgWaitForMultipleObjects(1, &thread_, FALSE, INFINITE, QS_ALLINPUT) !=
               WAIT_OBJECT_0)
            PumpMessages();
        CloseHandle(thread_);
        CloseHandle(stop_);
        thread_ = nullptr;
    }
    double Worst() const {
        return waits_.empty() ? 0 : *std::max_element(waits_.begin(), waits_.end());
    }
    double Mean() const {
        double sum = 0;
        for (double w : waits_)
            sum += w;
        return waits_.empty() ? 0 : sum / static_cast<double>(waits_.size());
    }
    int Over(double ms) const {
        return static_cast<int>(
            std::count_if(waits_.begin(), waits_.end(), [ms](double w) { return w > ms; }));
    }
    size_t Count() const { return waits_.size(); }

private:
    static unsigned __stdcall Run(void* argument) {
        ResponseProbe* probe = static_cast<ResponseProbe*>(argument);
        while (WaitForSingleObject(probe->stop_, 20) == WAIT_TIMEOUT) {
            double start = NowMs();
            DWORD_PTR result = 0;
            SendMessageTimeoutA(probe->window_, WM_NULL, 0, 0, SMTO_NORMAL, 60000, &result);
            probe->waits_.push_back(NowMs() - start);
            if (probe->waits_.size() == 1)
                probe->begun_ = start;
            if (NowMs() - start > 100)
                probe->lateAt_.push_back(start - probe->begun_);
        }
        return 0;
    }
    HWND window_;
    HANDLE stop_ = nullptr;
    HANDLE thread_ = nullptr;
    std::vector<double> waits_;

public:
    double begun_ = 0;
    std::vector<double> lateAt_; // ms from the first probe
};

// How long a window takes over each message, the longest by message number.
struct MessageCosts {
    WNDPROC original = nullptr;
    UINT worstMessage = 0;
    double worst = 0;
};
MessageCosts g_costs;
LRESULT CALLBACK TimedProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    double start = NowMs();
    LRESULT result = CallWindowProcA(g_costs.original, window, message, wParam, lParam);
    double spent = NowMs() - start;
    if (spent > g_costs.worst) {
        g_costs.worst = spent;
        g_costs.worstMessage = message;
    }
    return result;
}
void TimeMessagesOf(HWND window) {
    g_costs = MessageCosts();
    g_costs.original = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(TimedProcedure)));
}
void PrintMessageCosts(const char* what) {
    printf("  %s: longest message 0x%04X, %.1f ms\n", what, g_costs.worstMessage, g_costs.worst);
}

// Runs the console's messages for `ms` milliseconds.
void RunFor(double ms) {
    for (double end = NowMs() + ms; NowMs() < end;) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        PumpMessages();
    }
}

void PrintProbe(const char* what, const ResponseProbe& probe) {
    printf("%s: worst %.1f ms, mean %.1f ms, %d of %u answers later than 100 ms\n", what,
           probe.Worst(), probe.Mean(), probe.Over(100), static_cast<unsigned>(probe.Count()));
    for (double at : probe.lateAt_)
        printf("  late answer at %.0f ms\n", at);
    fflush(stdout);
}

// Four servers, two of them slow to fail; then, unless `fewOnly`, 10,000 servers.
bool MeasureMonitor(ScenarioFile& scenario, bool fewOnly) {
    scenario.Write("server TS1\nserver DOWN1 fail wait=5000\nserver TS2\n"
                   "server DOWN2 fail wait=5000\nsession 1 server=TS1 state=0\n"
                   "session 2 server=TS2 state=4\n");
    {
        // What the machine allows: the same probe on a page that asks nobody.
        RunningConsole console;
        if (!console.Start())
            return false;
        console.Frame().ReplacePage(PageKind::PopupMessages);
        ResponseProbe probe(console.Frame().hwnd());
        RunFor(20000);
        probe.Stop();
        PrintProbe("popup messages page (no queries), 20 s", probe);
    }
    {
        RunningConsole console;
        if (!console.Start())
            return false;
        ClearConfigLists();
        for (const char* name : {"TS1", "DOWN1", "TS2", "DOWN2"}) {
            MonitorServerRow* row = new MonitorServerRow();
            CopyToField(row->SERVER, name);
            FilterConfig.monitorServers.push_back(row);
        }
        console.Frame().ReplacePage(PageKind::ServerMonitor);
        ResponseProbe probe(console.Frame().hwnd());
        RunFor(40000); // the library holds a failed server back for 30 s
        probe.Stop();
        PrintProbe("server monitor, 2 of 4 servers taking 5 s to fail, 40 s", probe);
        // Each slow server is asked again once the library stops holding it back.
        printf("  slow servers asked %d times\n",
               scenario.Count("open DOWN1 ok") + scenario.Count("open DOWN2 ok"));
        // Leaving the page while a slow server is being asked.
        double start = NowMs();
        console.Frame().ReplacePage(PageKind::PopupMessages);
        printf("leaving the monitor page: %.1f ms\n", NowMs() - start);
        fflush(stdout);
    }
    if (fewOnly)
        return true;

    scenario.Write("server TS1\nsession 1 server=TS1 state=0\n");
    RunningConsole console;
    if (!console.Start())
        return false;
    ClearConfigLists();
    AddServers(10000);
    double start = NowMs();
    console.Frame().ReplacePage(PageKind::ServerMonitor);
    UpdateWindow(console.Frame().hwnd());
    printf("server monitor with 10,000 servers shown: %.1f ms\n", NowMs() - start);
    fflush(stdout);
    TimeMessagesOf(console.Page());
    ResponseProbe probe(console.Frame().hwnd());
    RunFor(20000);
    probe.Stop();
    PrintProbe("server monitor with 10,000 servers, 20 s", probe);
    PrintMessageCosts("the monitor page");
    start = NowMs();
    console.Frame().ReplacePage(PageKind::PopupMessages);
    printf("leaving the monitor page of 10,000 servers: %.1f ms\n", NowMs() - start);
    return true;
}
} // namespace

int main(int argc, char** argv) {
    // "tables", "ip", "monitor", "monitor-few" (four servers only) or nothing for all.
    std::string only = argc > 1 ? argv[1] : "";
    // The stand-in takes the scenario's path at its first call, whichever phase makes it.
    ScenarioFile scenario;
    BoxRecorder boxes;
    const int runs = 7;
    if (only.empty()) {
        std::vector<double> startup;
        for (int i = 0; i < runs; ++i) {
            RunningConsole console;
            double start = NowMs();
            bool started = console.App().InitInstance();
            startup.push_back(NowMs() - start);
            if (!started) {
                printf("start-up failed\n");
                return 1;
            }
            PumpMessages();
        }
        printf("console start-up to first painted window: median %.1f ms (%d runs)\n",
               Median(startup), runs);
    }
    if ((only.empty() || only == "tables") && !MeasureTables())
        return 1;
    if ((only.empty() || only == "ip") && !MeasureIpPage())
        return 1;
    if ((only.empty() || only == "monitor" || only == "monitor-few") &&
        !MeasureMonitor(scenario, only == "monitor-few"))
        return 1;
    printf("boxes shown: %u\n", static_cast<unsigned>(boxes.boxes.size()));
    return 0;
}
