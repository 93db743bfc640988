// The server monitor page (CServermonitorView, template 155): the servers of
// monitorServers with how many of their sessions are in each connection state, asked
// of sentinode.dll every 2000 ms while the page is shown; and its add dialog (156).
//
// The servers are asked off the user-interface thread (BackgroundWork), a few at a
// time, each with its own time limit; a row shows its counts when its answer comes.
// A server that does not answer, or answers nothing, keeps the counts it showed and
// says since when it has not answered. The list, its rows and FilterConfig are touched
// only on the user-interface thread.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "config/config_model.h"
#include "console/framework/background_work.h"
#include "console/framework/framework_dialog.h"
#include "console/pages/page_view.h"
#include "console/tools/session_counts.h"
#include "console/widgets/push_button.h"

enum : UINT { MONITOR_TIMER_ID = 1, MONITOR_TIMER_MILLISECONDS = 2000 };

// How the page asks: servers at once, threads alive at most (those left to a server
// past its time limit included), and each query's time limit.
const BackgroundLimits MONITOR_QUERY_LIMITS = {8, 32, 10000};

// The class name is the one the resources and the help are keyed to: keep it.
class CServermonitorView : public PageView {
public:
    // `sessions` are the library's functions (tests give stand-ins).
    explicit CServermonitorView(const SessionSource& sessions = SENTINODE_SESSIONS);
    void OnInitialUpdate() override;

    // Appends a server (a longer name is cut to what SERVER holds) to the list view
    // and monitorServers; its counts stay empty until its first answer.
    void AddMonitorServer(const char* name);
    // Removes the selected servers and frees their rows; an answer still to come for
    // one of them is dropped.
    void RemoveMonitorServers();
    // One tick: every row not waiting for an answer is asked again, a row whose query
    // is past its time limit says so; or the timer stops when this page is no longer
    // the one shown.
    void RefreshMonitorCounts();

    UINT_PTR TimerId() const { return timerId_; }
    // Queries queued or running, removed rows' included (none once the page is hidden).
    size_t QueriesUnderWay() const;

protected:
    void OnCreate() override;
    bool OnCommand(UINT id, UINT code, HWND control) override;
    LRESULT OnNotify(NMHDR* header) override;
    void OnSize(int width, int height) override;
    void OnTimer(UINT_PTR id) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnHidden() override;

private:
    // What the page knows of a list row beyond its MonitorServerRow.
    struct WatchedRow {
        MonitorServerRow* row;
        uint64_t id; // names the row's queries: a removed row's id is never used again
        bool asking = false;
        bool answered = false; // counts shown
        SessionTally tally = {};
        std::string silence; // "no answer since ..." while the server does not answer
    };

    HWND ListView() const;
    void Watch(MonitorServerRow* row);
    void ReindexRows();
    // Ends the queries: nothing is waited for, nothing more comes back.
    void StopQueries();
    void TakeAnswers();
    // The server has not answered the query that started at `started`.
    void NoteSilence(size_t index, const SYSTEMTIME& started);
    // Paints again the rows whose cells changed, those in view.
    void RedrawChangedRows();
    std::string CellText(size_t index, int column) const;
    static std::string FirstCellOf(int row, void* page);

    SessionSource sessions_;
    UINT_PTR timerId_ = 0;
    PushButton removeButton_;
    PushButton addButton_;
    std::unique_ptr<BackgroundWork> queries_;
    std::vector<WatchedRow> watched_; // the list's rows, in order
    std::unordered_map<uint64_t, size_t> indexOf_;
    uint64_t nextId_ = 1;
    std::vector<size_t> changed_; // rows whose cells changed since the last paint
    std::string silenceFormat_;
};

// "Add monitor server": OK with a name adds it to the page, OK without one adds
// nothing; both close the dialog.
class AddMonitorServerDialog : public ModalDialog {
public:
    explicit AddMonitorServerDialog(CServermonitorView& page);

protected:
    void DoDataExchange(DataExchange& dx) override;
    bool OnInitDialog() override;
    void OnOK() override;

private:
    CServermonitorView& page_;
    char name_[sizeof(MonitorServerRow::SERVER)] = {};
};
