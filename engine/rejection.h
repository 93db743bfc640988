// Turning a session away: the bookkeeping common to every rejection, the two ways
// the session ends, and the logon log line.
#pragma once

#include <cstddef>
#include <cstdint>

// Decision codes; their log texts come from RejectCodeText.
enum RejectCode : int32_t {
    REJECT_NONE = 0,
    REJECT_IPADDRESS = 1,
    REJECT_COMPUTERNAME = 2,
    REJECT_MACADDRESS = 3,
    REJECT_CLIENTVERSION = 4,
    REJECT_TIMERESTRICTION = 5,
    REJECT_SESSIONPERIP = 6,
    REJECT_SESSIONPERUSER = 7,
    REJECT_FAIL_GETIPADDRESS = -1,
    REJECT_FAIL_GETCOMPUTERNAME = -2,
    REJECT_FAIL_GETMACADDRESS = -3,
    REJECT_FAIL_GETCLIENTVERSION = -4,
    REJECT_FAIL_GETSESSIONCOUNT_IP = -6,
    REJECT_FAIL_GETSESSIONCOUNT_USER = -7,
    REJECT_FAIL_GETUSERNAME = -20,
    REJECT_FAIL_OTHER = -100,
};

// How long a rejection's message stays up, and how the log file is waited for.
constexpr uint32_t REJECT_MESSAGE_TIMEOUT_MS = 10000;
constexpr int LOG_OPEN_ATTEMPTS = 21;
constexpr uint32_t LOG_OPEN_RETRY_MS = 100;

// The code's text in the log ("" for an accepted logon).
const char* RejectCodeText(int32_t code);

// Shows a filter's message and caption with OK only, closing itself after 10 s.
void ShowRejectMessage(const char* text, const char* caption);

// Frees the configuration's rows, marks the session rejected and, when logging is
// on, appends the "Rejected" line.
void RecordRejection(int32_t code);
// RecordRejection, then ends the calling process with exitCode.
void RejectAndExit(int exitCode, int32_t code);
// RecordRejection, then asks for a logoff of the calling process's session.
void RejectAndLogoff(int32_t code);

// The decision of a refusal that a filter only audited: the session went on.
constexpr char LOG_DECISION_AUDITED[] = "Audited";

// Formats the log line for `code` into line (of `size` bytes) from the session
// record, `timestamp` and the decision: `decision` when given, else "Rejected" or
// "Accepted" by SessionRejected. Returns its length.
size_t FormatLogonLine(char* line, size_t size, const char* timestamp, int32_t code,
                       const char* decision = nullptr);
// Appends one line to LOGON_LOGFILE (opened exclusively, retried); a file that
// stays unavailable is skipped silently. `decision` as for FormatLogonLine.
void WriteLogonLog(int32_t code, const char* decision = nullptr);
