// The console's logon report: the html report of the log the configuration names,
// written into the user's temporary folder, where the browser opens it.
#pragma once

#include <string>

// Texts of the boxes shown when there is no report to make.
extern const char MSG_REPORT_LOGGING_OFF[];
extern const char MSG_REPORT_NO_LOG_FILE[];
extern const char MSG_REPORT_LOG_MISSING[]; // printf format: the log's path
extern const char MSG_REPORT_FAILED[];      // printf format: the reason
extern const char MSG_REPORT_NOT_OPENED[];  // printf format: the report's path
// The report's file name in the temporary folder (replaced each time).
extern const char REPORT_FILE_NAME[];

enum class LogonReportOutcome {
    Written,    // *result is the report's path (UTF-8)
    LoggingOff, // FLAG_LOGON_LOGS is not 1
    NoLogFile,  // LOGON_LOGFILE is empty
    LogMissing, // *result is the log's path
    Failed,     // *result says why
};

// Reads the log named by FilterConfig's LOGON_LOGFILE and writes its html report into
// the temporary folder.
LogonReportOutcome WriteLogonReportFile(std::string* result);

// The sentence a box shows for an outcome other than Written.
std::string LogonReportMessage(LogonReportOutcome outcome, const std::string& result);

// Makes the report and opens it with the default browser, or says in a box why not.
void ShowLogonReport(void* ownerWindow);
