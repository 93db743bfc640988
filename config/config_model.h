// The in-memory configuration shared by the filter library and the console: one
// process-wide FilterConfig per deliverable, its six owned row lists, and every key's
// field in the order and width the stored form and both deliverables agree on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

struct IpRangeRow {
    char IPFROM[64];
    char IPTO[64];
    int32_t TYPE; // 1 = "Logon enabled" (allow row), 0 = "Logon disabled" (deny row)
};

struct ComputerNameRow {
    char CNAME[256];
    int32_t TYPE;
};

struct MacAddressRow {
    char MACADDRESS[64];
    int32_t TYPE;
};

struct MonitorServerRow {
    char SERVER[255];
};

struct SessionIpRow {
    char SESSION_IP[256];
    int32_t SESSION_IPCOUNTER;
};

struct SessionUserRow {
    char SESSION_USER[256];
    int32_t SESSION_USERCOUNT;
};

// Row modes of the address and name tables.
enum : int32_t { ROW_LOGON_DISABLED = 0, ROW_LOGON_ENABLED = 1 };

struct FilterConfigRecord {
    int32_t modified; // console only: unsaved edits

    // Owned rows, allocated with new and freed by ClearConfigLists (or by the page
    // that removes one).
    std::vector<IpRangeRow*> ipRanges;
    std::vector<ComputerNameRow*> computerNames;
    std::vector<MacAddressRow*> macAddresses;
    std::vector<MonitorServerRow*> monitorServers;
    std::vector<SessionIpRow*> sessionIps;
    std::vector<SessionUserRow*> sessionUsers;

    int32_t FLAG_IPADDRESS;
    int32_t FLAG_IPADDRESS_ALLOW;
    int32_t FLAG_COMPUTERNAME;
    int32_t FLAG_COMPUTERNAME_ALLOW;
    int32_t FLAG_MACADDRESS;
    int32_t FLAG_MACADDRESS_ALLOW;
    int32_t FLAG_VERSION;
    int32_t FLAG_SERVEROPTION;
    int32_t FLAG_TIME;
    int32_t IGNORE_DISCONNECTED;
    int32_t REMOVE_DISCONNECTED;

    char VERALLOW[255];
    char VERDISALLOW[255];
    char VERHIGHER[255];
    char VERLOWER[255];
    char VERBETWEEN[255];

    char MSG_IPADDRESS[1024];
    char MSG_COMPUTERNAME[1024];
    char MSG_MACADDRESS[1024];
    char MSG_TIME[1024];
    char MSG_SESSIONPERIP[1024];
    char MSG_VERSION[1024];
    char MSG_SESSIONPERUSER[1024];
    char TITLE_IPADDRESS[1024];
    char TITLE_COMPUTERNAME[1024];
    char TITLE_MACADDRESS[1024];
    char TITLE_TIME[1024];
    char TITLE_SESSIONPERIP[1024];
    char TITLE_VERSION[1024];
    char TITLE_SESSIONPERUSER[1024];

    int32_t WEEK_W1; // Monday
    int32_t WEEK_W2;
    int32_t WEEK_W3;
    int32_t WEEK_W4;
    int32_t WEEK_W5;
    int32_t WEEK_W6;
    int32_t WEEK_W7; // Sunday
    int32_t TIME_BETWEEN;

    char TIME_FROM[255];
    char TIME_TO[255];

    int32_t SESSION_PER_IP;
    int32_t FLAG_SERVEROPTION_SESSIONPERUSER;
    int32_t SESSIONPERUSER_COUNT;
    int32_t FLAG_USER_IGNORE_DISCONNECTED;
    int32_t FLAG_USER_REMOVE_DISCONNECTED;
    int32_t FLAG_USER_IGNORE_ADMINISTRATOR;
    int32_t FLAG_SERVEROPTION_CHECK_TYPE;
    int32_t FLAG_SESSION_PER_USER_DEFAULT;
    int32_t FLAG_LOGON_LOGS;
    int32_t FLAG_APP_LOGS;

    char LOGON_LOGFILE[512];
    char APP_LOGFILE[512];
};

// The process-wide configuration; zero-filled at start.
extern FilterConfigRecord FilterConfig;

// The default text of the seven message keys.
extern const char* const DEFAULT_MESSAGE_TEXT;

// Frees every row of the six lists and empties them; scalars keep their values. 0.
int ClearConfigLists();

// The same for a record other than the process-wide one (a tool holding several).
void ClearRecordLists(FilterConfigRecord& record);

// Notes an unsaved edit (console). 0.
int MarkConfigModified();

// Frees the rows and zero-fills every field, as at process start.
void ResetFilterConfig();

// Copies text into a fixed field of `size` bytes: a longer text is cut and the field
// always ends with a NUL. Bytes after the terminator are left as they were.
void CopyToField(char* field, size_t size, const char* text);

template <size_t N> inline void CopyToField(char (&field)[N], const char* text) {
    CopyToField(field, N, text);
}

// The text a fixed field holds: up to its first NUL, or all N bytes when it has none
// (a field read from a file or the registry need not be terminated).
template <size_t N> inline std::string FieldText(const char (&field)[N]) {
    return std::string(field, strnlen(field, N));
}
