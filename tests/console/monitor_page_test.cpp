// The server monitor page with the real sentinode.dll over the Terminal Services
// stand-in: counts per state, the add dialog, removal, the refresh timer that only the
// page shown keeps, and servers that are slow or do not answer.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <string>
#include <vector>

#include "config/config_model.h"
#include "config/persistence.h"
#include "console/pages/list_view_rows.h"
#include "console/res/resource.h"
#include "console/tools/server_monitor_page.h"
#include "console_test_support.h"
#include "tests/fixtures/scenario.h"
#include "tests/support/scenario_file.h"

namespace {
const char* const NO_COUNTS = "|||||||";

class MonitorPage : public ::testing::Test {
protected:
    void SetUp() override {
        DeleteConfigKey();
        ASSERT_TRUE(console.Start());
    }
    // Lists `servers` in the configuration and opens the page from the navigation bar;
    // the page's own timer is stopped unless `ownTimer` (Tick stands for it).
    void Open(const std::vector<std::string>& servers = {}, bool ownTimer = false) {
        for (const std::string& name : servers) {
            MonitorServerRow* row = new MonitorServerRow();
            CopyToField(row->SERVER, name.c_str());
            FilterConfig.monitorServers.push_back(row);
        }
        OutlookBar& bar = console.Frame().NavigationBar();
        ASSERT_TRUE(bar.OpenGroup(2));
        bar.ClickItem(0);
        PumpMessages();
        ASSERT_EQ(PageKind::ServerMonitor, console.Frame().CurrentPage()->Kind());
        if (!ownTimer)
            KillTimer(console.Page(), Monitor().TimerId());
        FilterConfig.modified = 0;
    }
    CServermonitorView& Monitor() {
        return static_cast<CServermonitorView&>(*console.Frame().CurrentPage());
    }
    HWND List() { return console.PageItem(IDC_MONITOR_LIST); }
    // A tick, then the window's messages until every query but `left` has come back.
    void Tick(size_t left = 0) {
        SendMessageA(console.Page(), WM_TIMER, 7, 0);
        AwaitQueries(left);
    }
    void AwaitQueries(size_t left) {
        const DWORD start = GetTickCount();
        ASSERT_TRUE(PumpMessagesWhile([&] { return Monitor().QueriesUnderWay() > left; }, 60000))
            << "the queries did not come back in " << GetTickCount() - start << " ms";
    }
    std::string Answer(int row) { return ListCellText(List(), row, 9); }
    // Columns 1 to 8 of a row, joined by '|'.
    std::string Counts(int row) {
        std::string counts;
        for (int column = 1; column <= 8; ++column)
            counts += (column > 1 ? "|" : "") + ListCellText(List(), row, column);
        return counts;
    }
    std::vector<std::string> ListedNames() {
        std::vector<std::string> names;
        for (int i = 0; i < ListRowCount(List()); ++i)
            names.push_back(ListCellText(List(), i, 0));
        return names;
    }
    std::vector<std::string> StoredNames() {
        std::vector<std::string> names;
        for (MonitorServerRow* row : FilterConfig.monitorServers)
            names.push_back(row->SERVER);
        return names;
    }
    void AddThroughDialog(const std::string& name) {
        dialogs.onDialog = [&](ModalDialog&, HWND dialog, UINT) {
            SetDlgItemTextA(dialog, IDC_MONITOR_SERVER_NAME, name.c_str());
            Click(GetDlgItem(dialog, IDOK));
        };
        Click(console.PageItem(IDC_MONITOR_ADD));
        dialogs.onDialog = nullptr;
    }

    ScenarioFile scenario;
    BoxRecorder boxes;
    DialogDriver dialogs;
    RunningConsole console;
};
} // namespace

TEST_F(MonitorPage, CountsEachServersSessionsByStateAtEveryTick) {
    scenario.Write("server MIX\nserver ODD\nserver EMPTY\nserver LATER\n"
                   "session 1 server=MIX state=0\nsession 2 server=MIX state=0\n"
                   "session 3 server=MIX state=1\nsession 4 server=MIX state=3\n"
                   "session 5 server=MIX state=5\nsession 6 server=MIX state=8\n"
                   "session 7 server=MIX state=4\nsession 8 server=MIX state=2\n"
                   "session 9 server=MIX state=6\n"
                   "session 10 server=ODD state=2\nsession 11 server=ODD state=6\n"
                   "session 12 server=ODD state=7\nsession 13 server=ODD state=9\n"
                   "session 14 server=LATER state=4\n");
    Open({"MIX", "ODD", "EMPTY", "MIX", "LATER", "NOWHERE"});
    ASSERT_EQ(6, ListRowCount(List()));
    EXPECT_EQ(NO_COUNTS, Counts(0)); // nothing until the first tick

    Tick();
    // Active, Connected, Shadow, Idle, Down, Disconnected, Other, Total.
    EXPECT_EQ("2|1|1|1|1|1|2|9", Counts(0));
    EXPECT_EQ("0|0|0|0|0|0|4|4", Counts(1)); // states 2, 6, 7 and 9 only
    EXPECT_EQ("0|0|0|0|0|0|0|0", Counts(2)); // no sessions
    EXPECT_EQ("2|1|1|1|1|1|2|9", Counts(3)); // the same name again, asked again
    EXPECT_EQ("0|0|0|0|0|1|0|1", Counts(4));
    EXPECT_EQ(NO_COUNTS, Counts(5)); // never answered
    EXPECT_EQ(2, scenario.Count("enumerate MIX ok"));
    EXPECT_EQ("", Answer(0));
    const std::string silent = Answer(5);
    EXPECT_EQ(0u, silent.find("no answer since ")) << silent;
    int hour = -1, minute = -1, second = -1;
    EXPECT_EQ(3, sscanf(silent.c_str(), "no answer since %2d:%2d:%2d", &hour, &minute, &second));
    EXPECT_TRUE(hour >= 0 && hour < 24 && minute >= 0 && minute < 60 && second >= 0 && second < 60);

    // LATER stops answering and MIX loses sessions: LATER keeps what it showed.
    scenario.Write("server MIX\nserver LATER fail\nsession 1 server=MIX state=0\n");
    Tick();
    EXPECT_EQ("1|0|0|0|0|0|0|1", Counts(0));
    EXPECT_EQ("1|0|0|0|0|0|0|1", Counts(3));
    EXPECT_EQ("0|0|0|0|0|1|0|1", Counts(4));
    EXPECT_EQ(0u, Answer(4).find("no answer since "));
    EXPECT_EQ(silent, Answer(5)); // since its first unanswered query
    EXPECT_EQ(1, scenario.Count("enumerate LATER fail"));
    EXPECT_EQ(0, FilterConfig.modified);
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(MonitorPage, RemovalKeepsListAndConfigurationInStepAndRemovedServersAreNotAsked) {
    Open();
    AddThroughDialog(""); // adds nothing
    AddThroughDialog(std::string(300, 'N'));
    EXPECT_EQ(std::string(254, 'N'), StoredNames().at(0)); // cut to what SERVER holds
    SelectListRows(List(), {0});
    Click(console.PageItem(IDC_MONITOR_REMOVE));
    for (const char* name : {"S1", "S2", "S3", "S4", "S5"})
        AddThroughDialog(name);
    ASSERT_EQ(5, ListRowCount(List()));

    SelectListRows(List(), {1, 3});
    FilterConfig.modified = 0;
    Click(console.PageItem(IDC_MONITOR_REMOVE));
    const std::vector<std::string> left = {"S1", "S3", "S5"};
    EXPECT_EQ(left, ListedNames());
    EXPECT_EQ(left, StoredNames());
    EXPECT_EQ(1, FilterConfig.modified);

    // Nothing selected: nothing goes, and the configuration is marked all the same.
    SelectListRows(List(), {});
    FilterConfig.modified = 0;
    Click(console.PageItem(IDC_MONITOR_REMOVE));
    EXPECT_EQ(left, StoredNames());
    EXPECT_EQ(1, FilterConfig.modified);

    // Added and removed before the first tick: never asked for.
    Tick();
    EXPECT_EQ(1, scenario.Count("open S1 fail"));
    EXPECT_EQ(0, scenario.Count("open S2 fail"));
    EXPECT_EQ(0, scenario.Count("open S4 fail"));
}

TEST_F(MonitorPage, OnlyThePageShownRefreshesAndItsTimerEndsWithIt) {
    scenario.Write("server TS1\nsession 1 server=TS1 state=0\n");
    Open({"TS1"}, true);
    // The page's own timer brings the first counts.
    for (DWORD start = GetTickCount(); Counts(0) == NO_COUNTS && GetTickCount() - start < 10000;) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 500, QS_ALLINPUT);
        PumpMessages();
    }
    EXPECT_EQ("1|0|0|0|0|0|0|1", Counts(0));

    // Another page: the monitor page and its timer are gone for good.
    HWND monitor = console.Page();
    OutlookBar& bar = console.Frame().NavigationBar();
    bar.ClickItem(1);
    PumpMessages();
    ASSERT_EQ(PageKind::PopupMessages, console.Frame().CurrentPage()->Kind());
    EXPECT_FALSE(IsWindow(monitor));

    // A monitor page that is not the one shown stops its timer at its first tick and
    // asks nobody; one that is shown reads no row the configuration no longer holds
    // (rows freed while a message box lets ticks through).
    CServermonitorView hidden;
    ASSERT_TRUE(hidden.Create(console.Frame().hwnd(), 0xE990));
    hidden.OnInitialUpdate();
    int before = static_cast<int>(scenario.Calls().size());
    SendMessageA(hidden.hwnd(), WM_TIMER, hidden.TimerId(), 0);
    EXPECT_EQ(before, static_cast<int>(scenario.Calls().size()));
    EXPECT_FALSE(KillTimer(hidden.hwnd(), hidden.TimerId())); // already stopped

    bar.ClickItem(0);
    PumpMessages();
    ASSERT_EQ(PageKind::ServerMonitor, console.Frame().CurrentPage()->Kind());
    ClearConfigLists();
    before = static_cast<int>(scenario.Calls().size());
    Tick();
    EXPECT_EQ(before, static_cast<int>(scenario.Calls().size()));
}

TEST_F(MonitorPage, ApplyWritesTheServersTheListShows) {
    Open();
    AddThroughDialog("TS-A");
    AddThroughDialog("TS-B");
    std::vector<std::string> shown = ListedNames();
    ASSERT_EQ("", ApplyFromFileMenuAndReload(console, boxes));
    EXPECT_EQ(shown, StoredNames());
}

TEST_F(MonitorPage, ASlowServerHoldsNeitherTheOthersNorTheWindowAndARemovedRowsAnswerIsDropped) {
    // SLOW takes its time until the test lets it answer; had the page waited for it,
    // its answer would be recorded.
    HANDLE release = CreateEventA(nullptr, TRUE, FALSE, SCENARIO_RELEASE_EVENT);
    ASSERT_NE(nullptr, release);
    scenario.Write("server TS1\nserver SLOW wait=60000\nsession 1 server=TS1 state=0\n"
                   "session 2 server=SLOW state=4\nsession 3 server=SLOW state=4\n");
    Open({"TS1", "SLOW", "TS1", "SLOW"});
    Tick(2);
    EXPECT_EQ("1|0|0|0|0|0|0|1", Counts(0));
    EXPECT_EQ("1|0|0|0|0|0|0|1", Counts(2));
    EXPECT_EQ(NO_COUNTS, Counts(1));

    // The first SLOW goes while it is being asked; its answer, when it comes, is nobody's.
    SelectListRows(List(), {1});
    Click(console.PageItem(IDC_MONITOR_REMOVE));
    SetEvent(release);
    AwaitQueries(0);
    EXPECT_EQ(2, scenario.Count("enumerate SLOW ok"));
    const std::vector<std::string> left = {"TS1", "TS1", "SLOW"};
    EXPECT_EQ(left, ListedNames());
    EXPECT_EQ("1|0|0|0|0|0|0|1", Counts(1));
    EXPECT_EQ("0|0|0|0|0|2|0|2", Counts(2));

    // Leaving the page while SLOW is being asked waits for nothing.
    ResetEvent(release);
    Tick(1);
    OutlookBar& bar = console.Frame().NavigationBar();
    bar.ClickItem(1);
    PumpMessages();
    ASSERT_EQ(PageKind::PopupMessages, console.Frame().CurrentPage()->Kind());
    EXPECT_EQ(2, scenario.Count("enumerate SLOW ok"));
    SetEvent(release); // its worker ends on its own
    CloseHandle(release);
}
