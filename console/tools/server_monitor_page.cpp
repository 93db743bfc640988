#include "console/tools/server_monitor_page.h"

#include <commctrl.h>

#include <algorithm>
#include <iterator>
#include <cstdio>
#include <string>

#include "console/pages/list_view_rows.h"
#include "console/res/resource.h"

namespace {
// The server's name, then one column per counter of SessionTally, in its order.
const ListColumn MONITOR_COLUMNS[] = {
    {"Server", 100}, {"Active", 60},       {"Connected", 70}, {"Shadow", 60}, {"Idle", 60},
    {"Down", 60},    {"Disconnected", 90}, {"Other", 60},     {"Total", 60},
};
} // namespace

SessionTally TallySessions(const SentinodeSessionRecord* records, int32_t count) {
    SessionTally tally = {};
    if (records == nullptr || count < 0)
        count = 0;
    for (int32_t k = 0; k < count; ++k) {
        switch (records[k].state) {
        case SESSION_STATE_ACTIVE:
            ++tally.active;
            break;
        case SESSION_STATE_CONNECTED:
            ++tally.connected;
            break;
        case SESSION_STATE_SHADOW:
            ++tally.shadow;
            break;
        case SESSION_STATE_DISCONNECTED:
            ++tally.disconnected;
            break;
        case SESSION_STATE_IDLE:
            ++tally.idle;
            break;
        case SESSION_STATE_DOWN:
            ++tally.down;
            break;
        default:
            break;
        }
    }
    tally.total = count;
    tally.other = tally.total - tally.active - tally.connected - tally.disconnected - tally.down -
                  tally.idle - tally.shadow;
    return tally;
}

CServermonitorView::CServermonitorView()
    : PageView(IDD_SERVERMONITOR_PAGE, PageKind::ServerMonitor) {}

HWND CServermonitorView::ListView() const {
    return GetDlgItem(hwnd(), IDC_MONITOR_LIST);
}

void CServermonitorView::OnCreate() {
    removeButton_.Bind(hwnd(), IDC_MONITOR_REMOVE);
    addButton_.Bind(hwnd(), IDC_MONITOR_ADD);
}

void CServermonitorView::OnInitialUpdate() {
    UpdateData(false);
    HWND list = ListView();
    SetupReportColumns(list, MONITOR_COLUMNS);
    for (MonitorServerRow* row : FilterConfig.monitorServers) {
        std::string name = FieldText(row->SERVER);
        AppendListRow(list, &name, 1, reinterpret_cast<LPARAM>(row));
    }
    // The label says 30 seconds; the counts are refreshed every 2 seconds.
    timerId_ = SetTimer(hwnd(), MONITOR_TIMER_ID, MONITOR_TIMER_MILLISECONDS, nullptr);
}

bool CServermonitorView::OnCommand(UINT id, UINT code, HWND control) {
    if (control == nullptr || code != BN_CLICKED)
        return false;
    if (id == IDC_MONITOR_ADD) {
        AddMonitorServerDialog dialog(*this);
        dialog.DoModal(hwnd());
        return true;
    }
    if (id == IDC_MONITOR_REMOVE) {
        RemoveMonitorServers();
        return true;
    }
    return false;
}

void CServermonitorView::OnSize(int width, int height) {
    StretchListToPageBottom(hwnd(), ListView(), width, height);
}

void CServermonitorView::OnTimer(UINT_PTR) {
    RefreshMonitorCounts();
}

void CServermonitorView::AddMonitorServer(const char* name) {
    MonitorServerRow* row = new MonitorServerRow();
    CopyToField(row->SERVER, name != nullptr ? name : "");
    std::string text(row->SERVER);
    AppendListRow(ListView(), &text, 1, reinterpret_cast<LPARAM>(row));
    FilterConfig.monitorServers.push_back(row);
    MarkConfigModified();
}

void CServermonitorView::RemoveMonitorServers() {
    RemoveSelectedListRows(ListView(), FilterConfig.monitorServers);
    MarkConfigModified();
}

void CServermonitorView::OnHidden() {
    // Replaced: the page asks nobody again.
    KillTimer(hwnd(), timerId_);
}

void CServermonitorView::RefreshMonitorCounts() {
    // A page that is no longer shown never asks again, nor reads rows that the page
    // shown now may have freed.
    if (!IsShown()) {
        KillTimer(hwnd(), timerId_);
        return;
    }
    HWND list = ListView();
    int rows = ListRowCount(list);
    for (int i = 0; i < rows; ++i) {
        const MonitorServerRow* row =
            reinterpret_cast<const MonitorServerRow*>(ListRowData(list, i));
        // A row the configuration no longer lists has been freed: it is skipped.
        const std::vector<MonitorServerRow*>& listed = FilterConfig.monitorServers;
        if (row == nullptr || std::find(listed.begin(), listed.end(), row) == listed.end())
            continue;
        char server[sizeof(row->SERVER)];
        CopyToField(server, row->SERVER);
        int32_t count = 0;
        SentinodeSessionRecord* records = QuerySessionInformation(server, &count);
        if (records == nullptr)
            continue; // keeps the counts it had
        SessionTally tally = TallySessions(records, count);
        FreePointer(records);
        const int32_t counters[] = {tally.active, tally.connected,    tally.shadow, tally.idle,
                                    tally.down,   tally.disconnected, tally.other,  tally.total};
        for (int k = 0; k < static_cast<int>(std::size(counters)); ++k) {
            char number[16];
            snprintf(number, sizeof(number), "%d", static_cast<int>(counters[k]));
            LVITEMA cell = {};
            cell.iSubItem = k + 1;
            cell.pszText = number;
            SendMessageA(list, LVM_SETITEMTEXTA, static_cast<WPARAM>(i),
                         reinterpret_cast<LPARAM>(&cell));
        }
    }
}

AddMonitorServerDialog::AddMonitorServerDialog(CServermonitorView& page)
    : ModalDialog(IDD_ADD_MONITOR_SERVER), page_(page) {}

void AddMonitorServerDialog::DoDataExchange(DataExchange& dx) {
    DdxText(dx, IDC_MONITOR_SERVER_NAME, name_, sizeof(name_));
}

bool AddMonitorServerDialog::OnInitDialog() {
    // A name longer than SERVER holds cannot be typed.
    SendDlgItemMessageA(hwnd(), IDC_MONITOR_SERVER_NAME, EM_LIMITTEXT, sizeof(name_) - 1, 0);
    return ModalDialog::OnInitDialog();
}

void AddMonitorServerDialog::OnOK() {
    UpdateData(true);
    if (name_[0] != '\0')
        page_.AddMonitorServer(name_);
    EndDialog(IDOK);
}
