#include "console/tools/log_settings_page.h"

#include <commdlg.h>

#include "config/config_model.h"
#include "config/event_log_setting.h"
#include "console/pages/help_tip.h"
#include "console/res/resource.h"
#include "console/framework/framework_file_dialog.h"

const char LOG_FILE_FILTER[] = "Keymoor (*.Log)|*.Log|";
const char LOG_FILE_EXTENSION[] = "Log";
const char LOGON_LOG_INITIAL_NAME[] = "Terminallogon.Log";
const char APP_LOG_INITIAL_NAME[] = "TerminalApp.Log";
const char* const EVENT_LOG_CHOICES[3] = {
    "Nothing",
    "Refused sessions",
    "Refused sessions and accepted logons",
};

// Both logs behave alike; they differ only in their controls, fields and texts.
struct CWLogView::LogControls {
    int check;
    int edit;
    int button;
    int32_t CWLogView::*flag;
    LogFileName CWLogView::*file;
    int32_t FilterConfigRecord::*configFlag;
    LogFileName FilterConfigRecord::*configFile;
    const char* initialName;
    const char* tipTitle;
    const char* tipText;
};

namespace {
const TipAnchor LOG_TIP_ANCHOR = {true, 15, 25};
const int PATH_LIMIT = sizeof(LogFileName) - 1; // what a log file field holds
} // namespace

const CWLogView::LogControls& CWLogView::LogonLog() {
    static const LogControls log = {
        IDC_LOGON_LOG_ENABLE,
        IDC_LOGON_LOG_FILE,
        IDC_LOGON_LOG_BROWSE,
        &CWLogView::logonLogs_,
        &CWLogView::logonFile_,
        &FilterConfigRecord::FLAG_LOGON_LOGS,
        &FilterConfigRecord::LOGON_LOGFILE,
        LOGON_LOG_INITIAL_NAME,
        "Write logon logs",
        "If checked, all logon from terminal session will write to the specify log file",
    };
    return log;
}

const CWLogView::LogControls& CWLogView::AppLog() {
    static const LogControls log = {
        IDC_APP_LOG_ENABLE,
        IDC_APP_LOG_FILE,
        IDC_APP_LOG_BROWSE,
        &CWLogView::appLogs_,
        &CWLogView::appFile_,
        &FilterConfigRecord::FLAG_APP_LOGS,
        &FilterConfigRecord::APP_LOGFILE,
        APP_LOG_INITIAL_NAME,
        "Write application launche logs",
        "If checked, if lauche Lockvane replaced application will write to specify logs",
    };
    return log;
}

CWLogView::CWLogView()
    : PageView(IDD_LOG_PAGE, PageKind::Logs), logonLogs_(FilterConfig.FLAG_LOGON_LOGS),
      appLogs_(FilterConfig.FLAG_APP_LOGS) {
    CopyToField(appFile_, FilterConfig.APP_LOGFILE);
    CopyToField(logonFile_, FilterConfig.LOGON_LOGFILE);
}

void CWLogView::OnCreate() {
    SendDlgItemMessageA(hwnd(), IDC_LOGON_LOG_FILE, EM_LIMITTEXT, PATH_LIMIT, 0);
    SendDlgItemMessageA(hwnd(), IDC_APP_LOG_FILE, EM_LIMITTEXT, PATH_LIMIT, 0);
    for (const char* choice : EVENT_LOG_CHOICES)
        SendDlgItemMessageA(hwnd(), IDC_EVENT_LOG_LEVEL, CB_ADDSTRING, 0,
                            reinterpret_cast<LPARAM>(choice));
}

void CWLogView::DoDataExchange(DataExchange& dx) {
    DdxCheck(dx, IDC_LOGON_LOG_ENABLE, logonLogs_);
    DdxCheck(dx, IDC_APP_LOG_ENABLE, appLogs_);
    DdxText(dx, IDC_APP_LOG_FILE, appFile_, sizeof(appFile_));
    DdxText(dx, IDC_LOGON_LOG_FILE, logonFile_, sizeof(logonFile_));
}

void CWLogView::OnInitialUpdate() {
    ShowMembers();
    EnableFileControls(LogonLog());
    EnableFileControls(AppLog());
    SendDlgItemMessageA(hwnd(), IDC_EVENT_LOG_LEVEL, CB_SETCURSEL,
                        EventLogSettingFrom(EventLogSettingValue), 0);
}

void CWLogView::EnableFileControls(const LogControls& log) {
    BOOL on = this->*log.flag != 0 ? TRUE : FALSE;
    EnableWindow(GetDlgItem(hwnd(), log.edit), on);
    EnableWindow(GetDlgItem(hwnd(), log.button), on);
}

bool CWLogView::OnCommand(UINT id, UINT code, HWND control) {
    if (control == nullptr)
        return false;
    if (id == IDC_EVENT_LOG_LEVEL) {
        if (code == CBN_SELCHANGE)
            OnEventLogChosen();
        return true;
    }
    for (const LogControls* log : {&LogonLog(), &AppLog()}) {
        if (static_cast<int>(id) == log->check && code == BN_CLICKED)
            OnSwitch(*log);
        else if (static_cast<int>(id) == log->button && code == BN_CLICKED)
            OnBrowse(*log);
        else if (static_cast<int>(id) == log->edit && code == EN_CHANGE)
            OnTyped(*log);
        else
            continue;
        return true;
    }
    return false;
}

void CWLogView::OnSwitch(const LogControls& log) {
    UpdateData(true);
    FilterConfig.*log.configFlag = this->*log.flag;
    MarkConfigModified();
    EnableFileControls(log);
    ShowHelpTip(hwnd(), GetDlgItem(hwnd(), log.check), LOG_TIP_ANCHOR, log.tipTitle, log.tipText);
}

// The setting lives beside the configuration: Apply writes it with the configuration,
// a configuration file neither carries nor changes it.
void CWLogView::OnEventLogChosen() {
    LRESULT chosen = SendDlgItemMessageA(hwnd(), IDC_EVENT_LOG_LEVEL, CB_GETCURSEL, 0, 0);
    if (chosen < 0 || chosen > 2)
        return;
    EventLogSettingValue = static_cast<uint32_t>(chosen);
    MarkConfigModified();
}

void CWLogView::OnBrowse(const LogControls& log) {
    FileDialogOptions options = {};
    options.save = true;
    options.filter = LOG_FILE_FILTER;
    options.initialName = log.initialName;
    options.defaultExt = LOG_FILE_EXTENSION;
    options.flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
    LogFileName path = {};
    if (!ChooseFile(hwnd(), options, path, sizeof(path)))
        return;
    CopyToField(this->*log.file, path);
    CopyToField(FilterConfig.*log.configFile, path);
    MarkConfigModified();
    ShowMembers();
}

void CWLogView::OnTyped(const LogControls& log) {
    if (ShowingMembers())
        return;
    UpdateData(true);
    CopyToField(FilterConfig.*log.configFile, this->*log.file);
    MarkConfigModified();
}
