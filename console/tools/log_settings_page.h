// The log settings page (CWLogView, template 162): the logon log's switch and file
// (FLAG_LOGON_LOGS, LOGON_LOGFILE), and the application-launch log's (FLAG_APP_LOGS,
// APP_LOGFILE), whose controls are hidden but work all the same; and what the library
// reports to the Application event log (the "EventLog" setting beside the configuration).
#pragma once

#include <cstdint>

#include "config/config_model.h"
#include "console/pages/page_view.h"

// The log file dialogs' filter and default extension, and the names they propose.
extern const char LOG_FILE_FILTER[];        // "Keymoor (*.Log)|*.Log|"
extern const char LOG_FILE_EXTENSION[];     // "Log"
extern const char LOGON_LOG_INITIAL_NAME[]; // "Terminallogon.Log"
extern const char APP_LOG_INITIAL_NAME[];   // "TerminalApp.Log"

// A log file's path as FilterConfig holds it.
using LogFileName = decltype(FilterConfigRecord::LOGON_LOGFILE);

// The class name is the one the resources and the help are keyed to: keep it.
class CWLogView : public PageView {
public:
    CWLogView();
    void OnInitialUpdate() override;

protected:
    void DoDataExchange(DataExchange& dx) override;
    void OnCreate() override;
    bool OnCommand(UINT id, UINT code, HWND control) override;

private:
    struct LogControls; // one log's switch, edit, button, fields and tip
    static const LogControls& LogonLog();
    static const LogControls& AppLog();
    void EnableFileControls(const LogControls& log);
    void OnSwitch(const LogControls& log);
    void OnBrowse(const LogControls& log);
    void OnTyped(const LogControls& log);
    void OnEventLogChosen();

    int32_t logonLogs_;
    int32_t appLogs_;
    LogFileName appFile_ = {};
    LogFileName logonFile_ = {};
};

// The event log choices in the page's list, in the order of their setting (0, 1, 2).
extern const char* const EVENT_LOG_CHOICES[3];
