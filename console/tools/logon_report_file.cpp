#include "console/tools/logon_report_file.h"

#include <windows.h>
#include <shellapi.h>

#include <cstdio>

#include "config/config_model.h"
#include "platform/codepage.h"
#include "platform/message_box.h"
#include "platform/tool_files.h"
#include "platform/win32/text_win32.h"
#include "report/logon_report.h"

const char MSG_REPORT_LOGGING_OFF[] =
    "Logon logging is switched off, so there is no logon log to report on.\n\n"
    "Open Tools > Logs, tick \"Write logon logs\", name the log file and apply the "
    "configuration. The report can be made once sessions have been logged.";
const char MSG_REPORT_NO_LOG_FILE[] =
    "No logon log file is named.\n\n"
    "Open Tools > Logs, enter the log file under \"Write logon logs\" and apply the "
    "configuration.";
const char MSG_REPORT_LOG_MISSING[] =
    "The logon log \"%s\" does not exist yet.\n\n"
    "The library creates it at the first decision it logs. Check the file named on "
    "Tools > Logs, or try again after a session has started.";
const char MSG_REPORT_FAILED[] = "The logon report could not be made: %s.";
const char MSG_REPORT_NOT_OPENED[] =
    "The logon report was saved as \"%s\", but no browser opened it. Open that file in a "
    "browser.";
const char REPORT_FILE_NAME[] = "Quillon logon report.html";

namespace {

std::string Formatted(const char* format, const std::string& value) {
    std::string text(strlen(format) + value.size() + 1, '\0');
    int length = snprintf(&text[0], text.size(), format, value.c_str());
    text.resize(length > 0 ? static_cast<size_t>(length) : 0);
    return text;
}

std::string TemporaryFolder() {
    wchar_t folder[MAX_PATH + 1] = {};
    DWORD length = GetTempPathW(MAX_PATH, folder);
    if (length == 0 || length > MAX_PATH)
        return std::string();
    return NarrowToUtf8(folder);
}

} // namespace

LogonReportOutcome WriteLogonReportFile(std::string* result) {
    result->clear();
    if (FilterConfig.FLAG_LOGON_LOGS != 1)
        return LogonReportOutcome::LoggingOff;
    char stored[sizeof FilterConfig.LOGON_LOGFILE];
    memcpy(stored, FilterConfig.LOGON_LOGFILE, sizeof stored);
    stored[sizeof stored - 1] = '\0';
    if (stored[0] == '\0')
        return LogonReportOutcome::NoLogFile;
    uint32_t codePage = SystemAnsiCodePage();
    std::string log;
    if (AnsiToUtf8(codePage, stored, &log) != CODEPAGE_OK)
        log = stored;
    if (GetFileAttributesW(WidenUtf8(log.c_str()).c_str()) == INVALID_FILE_ATTRIBUTES) {
        DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
            *result = log;
            return LogonReportOutcome::LogMissing;
        }
    }

    std::string name = log.substr(log.find_last_of("/\\") + 1);
    LogonReport report;
    std::string error;
    if (!BuildLogonReport({{name, {log}}}, ReportPeriod(), &report, &error)) {
        *result = error;
        return LogonReportOutcome::Failed;
    }
    if (!ReportReadSomething(report)) {
        *result = "no line of '" + log + "' could be read";
        return LogonReportOutcome::Failed;
    }
    std::string folder = TemporaryFolder();
    if (folder.empty()) {
        *result = "the temporary folder is not known";
        return LogonReportOutcome::Failed;
    }
    std::string path = folder + REPORT_FILE_NAME;
    if (!ToolWriteFileAtomic(path, RenderReportHtml(report, codePage), &error)) {
        *result = error;
        return LogonReportOutcome::Failed;
    }
    *result = path;
    return LogonReportOutcome::Written;
}

std::string LogonReportMessage(LogonReportOutcome outcome, const std::string& result) {
    switch (outcome) {
    case LogonReportOutcome::LoggingOff:
        return MSG_REPORT_LOGGING_OFF;
    case LogonReportOutcome::NoLogFile:
        return MSG_REPORT_NO_LOG_FILE;
    case LogonReportOutcome::LogMissing:
        return Formatted(MSG_REPORT_LOG_MISSING, result);
    case LogonReportOutcome::Failed:
        return Formatted(MSG_REPORT_FAILED, result);
    case LogonReportOutcome::Written:
        break;
    }
    return std::string();
}

void ShowLogonReport(void* ownerWindow) {
    std::string result;
    HCURSOR previous = SetCursor(LoadCursor(nullptr, IDC_WAIT));
    LogonReportOutcome outcome = WriteLogonReportFile(&result);
    SetCursor(previous);
    if (outcome != LogonReportOutcome::Written) {
        ShowMessageBox(LogonReportMessage(outcome, result).c_str(), nullptr,
                       BOX_OK | BOX_ICONINFORMATION);
        return;
    }
    HINSTANCE opened =
        ShellExecuteW(static_cast<HWND>(ownerWindow), L"open", WidenUtf8(result.c_str()).c_str(),
                      nullptr, nullptr, SW_SHOWNORMAL);
    if (reinterpret_cast<INT_PTR>(opened) <= 32)
        ShowMessageBox(Formatted(MSG_REPORT_NOT_OPENED, result).c_str(), nullptr, BOX_OK);
}
