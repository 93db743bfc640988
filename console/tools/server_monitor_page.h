// The server monitor page (CServermonitorView, template 155): the servers of
// monitorServers with how many of their sessions are in each connection state, asked
// of sentinode.dll every 2000 ms while the page is shown; and its add dialog (156).
#pragma once

#include <cstdint>

#include "config/config_model.h"
#include "console/pages/page_view.h"
#include "console/framework/framework_dialog.h"
#include "console/widgets/push_button.h"
#include "sentinode/sentinode.h"

enum : UINT { MONITOR_TIMER_ID = 1, MONITOR_TIMER_MILLISECONDS = 2000 };

// The connection states of a session record that the tally counts by name; the others
// (connect query 2, listen 6, reset 7, init 9 and any unknown) count as other.
enum : int32_t {
    SESSION_STATE_ACTIVE = 0,
    SESSION_STATE_CONNECTED = 1,
    SESSION_STATE_SHADOW = 3,
    SESSION_STATE_DISCONNECTED = 4,
    SESSION_STATE_IDLE = 5,
    SESSION_STATE_DOWN = 8,
};

// Sessions of one server by state; counter k is shown in list column k + 1.
struct SessionTally {
    int32_t active;
    int32_t connected;
    int32_t shadow;
    int32_t idle;
    int32_t down;
    int32_t disconnected;
    int32_t other;
    int32_t total;
};

// Counts `count` records (a negative count counts none).
SessionTally TallySessions(const SentinodeSessionRecord* records, int32_t count);

// The class name is the one the resources and the help are keyed to: keep it.
class CServermonitorView : public PageView {
public:
    CServermonitorView();
    void OnInitialUpdate() override;

    // Appends a server (a longer name is cut to what SERVER holds) to the list view
    // and monitorServers; its counts stay empty until the next tick.
    void AddMonitorServer(const char* name);
    // Removes the selected servers and frees their rows.
    void RemoveMonitorServers();
    // One tick: every row's counts anew, or the timer stopped when this page is no
    // longer the one shown.
    void RefreshMonitorCounts();

    UINT_PTR TimerId() const { return timerId_; }

protected:
    void OnCreate() override;
    bool OnCommand(UINT id, UINT code, HWND control) override;
    void OnSize(int width, int height) override;
    void OnTimer(UINT_PTR id) override;
    void OnHidden() override;

private:
    HWND ListView() const;

    UINT_PTR timerId_ = 0;
    PushButton removeButton_;
    PushButton addButton_;
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
