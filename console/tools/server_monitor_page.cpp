#include "console/tools/server_monitor_page.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "console/framework/framework_app.h"
#include "console/pages/list_view_rows.h"
#include "console/res/resource.h"

namespace {
// The server's name, then one column per counter of SessionTally, in its order, then
// whether the server answers.
enum : int { ANSWER_COLUMN = 1 + SESSION_TALLY_COUNTERS };
const ListColumn MONITOR_COLUMNS[] = {
    {"Server", 100}, {"Active", 60},       {"Connected", 70}, {"Shadow", 60}, {"Idle", 60},
    {"Down", 60},    {"Disconnected", 90}, {"Other", 60},     {"Total", 60},  {"Answer", 170},
};

// The queries' answers are waiting (BackgroundWork posts it).
const UINT WM_MONITOR_ANSWERS = WM_APP + 60;

std::string LoadText(UINT id) {
    char text[256] = {};
    LoadStringA(ResourceInstance(), id, text, sizeof(text));
    return text;
}
} // namespace

CServermonitorView::CServermonitorView(const SessionSource& sessions)
    : PageView(IDD_SERVERMONITOR_PAGE, PageKind::ServerMonitor), sessions_(sessions) {}

HWND CServermonitorView::ListView() const {
    return GetDlgItem(hwnd(), IDC_MONITOR_LIST);
}

void CServermonitorView::OnCreate() {
    removeButton_.Bind(hwnd(), IDC_MONITOR_REMOVE);
    addButton_.Bind(hwnd(), IDC_MONITOR_ADD);
}

void CServermonitorView::OnInitialUpdate() {
    UpdateData(false);
    // However many servers, the page shows at once: the list asks for what it paints.
    HWND list = MakeListVirtual(ListView());
    NameControls();
    SetupReportColumns(list, MONITOR_COLUMNS);
    for (MonitorServerRow* row : FilterConfig.monitorServers)
        Watch(row);
    SetVirtualRowCount(list, watched_.size());
    queries_.reset(new BackgroundWork(hwnd(), WM_MONITOR_ANSWERS, MONITOR_QUERY_LIMITS));
    // The label says 30 seconds; the counts are refreshed every 2 seconds.
    timerId_ = SetTimer(hwnd(), MONITOR_TIMER_ID, MONITOR_TIMER_MILLISECONDS, nullptr);
}

void CServermonitorView::Watch(MonitorServerRow* row) {
    WatchedRow watched;
    watched.row = row;
    watched.id = nextId_++;
    indexOf_[watched.id] = watched_.size();
    watched_.push_back(watched);
}

void CServermonitorView::ReindexRows() {
    indexOf_.clear();
    for (size_t i = 0; i < watched_.size(); ++i)
        indexOf_[watched_[i].id] = i;
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

std::string CServermonitorView::CellText(size_t index, int column) const {
    const WatchedRow& watched = watched_[index];
    if (column == 0) {
        // Only a row the configuration still holds is read.
        const std::vector<MonitorServerRow*>& listed = FilterConfig.monitorServers;
        if (index >= listed.size() || listed[index] != watched.row)
            return std::string();
        return FieldText(watched.row->SERVER);
    }
    if (column == ANSWER_COLUMN)
        return watched.silence;
    if (column < 1 || column > SESSION_TALLY_COUNTERS || !watched.answered)
        return std::string();
    char number[16];
    snprintf(number, sizeof(number), "%d",
             static_cast<int>(TallyCounter(watched.tally, column - 1)));
    return number;
}

std::string CServermonitorView::FirstCellOf(int row, void* page) {
    return static_cast<const CServermonitorView*>(page)->CellText(static_cast<size_t>(row), 0);
}

LRESULT CServermonitorView::OnNotify(NMHDR* header) {
    if (header == nullptr || header->idFrom != IDC_MONITOR_LIST)
        return PageView::OnNotify(header);
    CellQuestion cell;
    if (IsCellQuestion(header, &cell)) {
        if (cell.row >= 0 && static_cast<size_t>(cell.row) < watched_.size())
            AnswerCell(header, CellText(static_cast<size_t>(cell.row), cell.column),
                       reinterpret_cast<LPARAM>(watched_[static_cast<size_t>(cell.row)].row));
        else
            AnswerCell(header, std::string(), 0);
        return 0;
    }
    int found = -1;
    if (AnswerRowSearch(header, static_cast<int>(watched_.size()), FirstCellOf, this, &found))
        return found;
    return PageView::OnNotify(header);
}

void CServermonitorView::OnSize(int width, int height) {
    StretchListToPageBottom(hwnd(), ListView(), width, height);
}

void CServermonitorView::OnTimer(UINT_PTR) {
    RefreshMonitorCounts();
}

bool CServermonitorView::OnMessage(UINT message, WPARAM, LPARAM) {
    if (message != WM_MONITOR_ANSWERS)
        return false;
    TakeAnswers();
    return true;
}

void CServermonitorView::AddMonitorServer(const char* name) {
    MonitorServerRow* row = new MonitorServerRow();
    CopyToField(row->SERVER, name != nullptr ? name : "");
    FilterConfig.monitorServers.push_back(row);
    Watch(row);
    SetVirtualRowCount(ListView(), watched_.size());
    MarkConfigModified();
}

void CServermonitorView::RemoveMonitorServers() {
    HWND list = ListView();
    std::vector<int> selected = SelectedListRows(list);
    // The list shows monitorServers in order, as long as nobody else changed it.
    std::vector<MonitorServerRow*> shown;
    shown.reserve(watched_.size());
    for (const WatchedRow& watched : watched_)
        shown.push_back(watched.row);
    const bool inStep = shown == FilterConfig.monitorServers;
    std::vector<bool> going(watched_.size(), false);
    for (int index : selected)
        if (index >= 0 && static_cast<size_t>(index) < going.size())
            going[static_cast<size_t>(index)] = true;
    std::vector<WatchedRow> kept;
    std::vector<MonitorServerRow*> rows;
    for (size_t i = 0; i < watched_.size(); ++i) {
        if (!going[i]) {
            kept.push_back(watched_[i]);
            rows.push_back(watched_[i].row);
        } else if (inStep) {
            delete watched_[i].row;
        }
    }
    if (inStep)
        FilterConfig.monitorServers.swap(rows);
    // A late answer names an id no row has any more: it is dropped.
    watched_.swap(kept);
    ReindexRows();
    DeleteVirtualRows(list, selected, watched_.size());
    MarkConfigModified();
}

void CServermonitorView::OnHidden() {
    // Replaced: the page asks nobody again, and waits for nobody.
    KillTimer(hwnd(), timerId_);
    StopQueries();
}

void CServermonitorView::StopQueries() {
    queries_.reset();
    for (WatchedRow& watched : watched_)
        watched.asking = false;
}

size_t CServermonitorView::QueriesUnderWay() const {
    return queries_ != nullptr ? queries_->Unfinished() : 0;
}

void CServermonitorView::NoteSilence(size_t index, const SYSTEMTIME& started) {
    WatchedRow& watched = watched_[index];
    if (!watched.silence.empty())
        return; // silent since an earlier query
    char time[16];
    snprintf(time, sizeof(time), "%02u:%02u:%02u", started.wHour, started.wMinute, started.wSecond);
    if (silenceFormat_.empty())
        silenceFormat_ = LoadText(IDS_MONITOR_NO_ANSWER_SINCE);
    char text[128];
    snprintf(text, sizeof(text), silenceFormat_.c_str(), time);
    watched.silence = text;
    changed_.push_back(index);
}

void CServermonitorView::RedrawChangedRows() {
    if (changed_.empty())
        return;
    // Only rows in view are painted again; the others are asked for when they come.
    HWND list = ListView();
    const size_t top = static_cast<size_t>(SendMessageA(list, LVM_GETTOPINDEX, 0, 0));
    const size_t shown = static_cast<size_t>(SendMessageA(list, LVM_GETCOUNTPERPAGE, 0, 0)) + 1;
    size_t first = SIZE_MAX, last = 0;
    for (size_t index : changed_) {
        if (index < top || index > top + shown)
            continue;
        first = std::min(first, index);
        last = std::max(last, index);
    }
    changed_.clear();
    if (first != SIZE_MAX)
        SendMessageA(list, LVM_REDRAWITEMS, first, last);
}

void CServermonitorView::RefreshMonitorCounts() {
    // A page that is no longer shown never asks again, nor reads rows that the page
    // shown now may have freed.
    if (!IsShown()) {
        KillTimer(hwnd(), timerId_);
        StopQueries();
        return;
    }
    if (queries_ == nullptr)
        return;
    TakeAnswers(); // any whose message could not be posted
    for (const BackgroundWork::Overdue& late : queries_->TakeOverdue(GetTickCount())) {
        auto found = indexOf_.find(late.key);
        if (found != indexOf_.end())
            NoteSilence(found->second, late.started);
    }
    RedrawChangedRows();
    const std::vector<MonitorServerRow*>& listed = FilterConfig.monitorServers;
    std::vector<BackgroundWork::Job> asked;
    for (size_t i = 0; i < watched_.size(); ++i) {
        WatchedRow& watched = watched_[i];
        // A row the configuration no longer lists has been freed: it is skipped.
        if (watched.asking || i >= listed.size() || listed[i] != watched.row)
            continue;
        watched.asking = true;
        // The worker gets a copy of the name: it never sees the row.
        asked.push_back({watched.id, std::unique_ptr<BackgroundTask>(new SessionQueryTask(
                                         sessions_, FieldText(watched.row->SERVER).c_str()))});
    }
    queries_->Submit(std::move(asked));
}

void CServermonitorView::TakeAnswers() {
    if (queries_ == nullptr)
        return;
    for (BackgroundWork::Ended& ended : queries_->TakeEnded()) {
        auto found = indexOf_.find(ended.key);
        if (found == indexOf_.end())
            continue; // its row has been removed
        const size_t index = found->second;
        WatchedRow& watched = watched_[index];
        watched.asking = false;
        const SessionQueryTask& query = static_cast<const SessionQueryTask&>(*ended.task);
        if (!query.Answered()) {
            NoteSilence(index, ended.started); // the counts shown stay
            continue;
        }
        watched.answered = true;
        watched.tally = query.Tally();
        watched.silence.clear();
        changed_.push_back(index);
    }
    RedrawChangedRows();
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
