// The fakes behind the platform seam for the engine's native tests.
#include "tests/engine/fake_platform.h"

#include <cstdio>
#include <cstring>

#include "config/config_model.h"
#include "engine/engine_state.h"
#include "config/audit_only_setting.h"
#include "config/event_log_setting.h"
#include "platform/accounts.h"
#include "platform/event_log.h"
#include "platform/log_file.h"
#include "platform/message_box_adapter.h"
#include "platform/network.h"
#include "platform/terminal_services.h"
#include "platform/timed_message_box.h"

FakeMachine Machine;

void ResetFakeMachine() {
    Machine = FakeMachine();
}

FakeSession& AddSession(uint32_t id, const char* address, const char* clientName,
                        const char* userName, uint32_t state) {
    FakeSession session;
    session.id = id;
    unsigned a = 0, b = 0, c = 0, d = 0;
    if (address != nullptr && sscanf(address, "%u.%u.%u.%u", &a, &b, &c, &d) == 4) {
        session.address[0] = uint8_t(a);
        session.address[1] = uint8_t(b);
        session.address[2] = uint8_t(c);
        session.address[3] = uint8_t(d);
    }
    session.clientName = clientName;
    session.userName = userName;
    session.state = state;
    session.winStationName = "RDP-Tcp#" + std::to_string(id);
    Machine.sessions.push_back(session);
    return Machine.sessions.back();
}

void ResetEngineWorld() {
    ResetFakeMachine();
    ResetFilterConfig();
    EventLogSettingValue = EVENT_LOG_SETTING_REFUSALS;
    AuditOnlySettingValue = 0;
    SessionRejected = 0;
    memset(&SessionRecord, 0, sizeof SessionRecord);
    memset(LogLineBuffer, 0, sizeof LogLineBuffer);
}

std::vector<std::string> LogLines(const std::string& path) {
    std::vector<std::string> lines;
    const std::string& content = Machine.files[path];
    size_t start = 0;
    while (start < content.size()) {
        size_t end = content.find("\r\n", start);
        end = end == std::string::npos ? content.size() : end + 2;
        lines.push_back(content.substr(start, end - start));
        start = end;
    }
    return lines;
}

// --- Terminal Services -----------------------------------------------------------------

namespace {

FakeSession* FindSession(uint32_t id) {
    if (id == TS_CURRENT_SESSION)
        id = Machine.currentSessionId;
    // Walks over the sessions query their neighbours in turn: look there first.
    static size_t hint = 0;
    auto& sessions = Machine.sessions;
    for (size_t k = hint; k < hint + 2 && k < sessions.size(); ++k) {
        if (sessions[k].id == id) {
            hint = k;
            return &sessions[k];
        }
    }
    for (size_t k = 0; k < sessions.size(); ++k) {
        if (sessions[k].id == id) {
            hint = k;
            return &sessions[k];
        }
    }
    return nullptr;
}

std::string Uint32Bytes(uint32_t value) {
    return std::string(reinterpret_cast<char*>(&value), 4);
}

std::string Text(const std::string& text) {
    return text + std::string(1, '\0');
}

} // namespace

int TsQuerySession(uint32_t sessionId, int infoClass, std::string* answer) {
    ++Machine.tsCalls;
    FakeSession* session = FindSession(sessionId);
    if (session == nullptr || session->failingQueries.count(infoClass) != 0)
        return -1;
    auto raw = session->rawAnswers.find(infoClass);
    if (raw != session->rawAnswers.end()) {
        *answer = raw->second;
        return 0;
    }
    switch (infoClass) {
    case TS_SESSION_ID:
        *answer = Uint32Bytes(session->id);
        return 0;
    case TS_CONNECT_STATE:
        *answer = Uint32Bytes(session->state);
        return 0;
    case TS_CLIENT_ADDRESS: {
        // WTS_CLIENT_ADDRESS: family, then 20 address bytes with IPv4 at 2..5.
        std::string bytes(24, '\0');
        bytes[0] = 2;
        memcpy(&bytes[6], session->address, 4);
        *answer = bytes;
        return 0;
    }
    case TS_CLIENT_NAME:
        *answer = Text(session->clientName);
        return 0;
    case TS_USER_NAME:
        *answer = Text(session->userName);
        return 0;
    case TS_DOMAIN_NAME:
        *answer = Text(session->domainName);
        return 0;
    case TS_WINSTATION_NAME:
        *answer = Text(session->winStationName);
        return 0;
    case TS_CLIENT_BUILD_NUMBER:
        *answer = Uint32Bytes(session->build);
        return 0;
    default:
        return -1; // the rest answer only through rawAnswers
    }
}

int TsEnumerateSessions(TsServer, std::vector<TsSessionEntry>* sessions) {
    ++Machine.tsCalls;
    sessions->clear();
    if (Machine.enumerateFails)
        return -1;
    for (const FakeSession& session : Machine.sessions)
        sessions->push_back({session.id, session.state});
    return 0;
}

int TsLogoffSession(TsServer, uint32_t sessionId) {
    ++Machine.tsCalls;
    Machine.loggedOff.push_back(sessionId);
    if (!Machine.logoffSucceeds)
        return 0;
    if (sessionId != TS_CURRENT_SESSION) {
        for (size_t i = 0; i < Machine.sessions.size(); ++i) {
            if (Machine.sessions[i].id == sessionId) {
                Machine.sessions.erase(Machine.sessions.begin() + long(i));
                break;
            }
        }
    }
    return 1;
}

int TsCanOpenLocalServer() {
    ++Machine.tsCalls;
    return Machine.canOpenServer ? 1 : 0;
}

int TsGetActiveConsoleSessionId(uint32_t* sessionId) {
    if (!Machine.hasConsoleLookup)
        return -1;
    *sessionId = Machine.consoleSessionId;
    return 0;
}

// --- sockets and ARP ---------------------------------------------------------------

int NetStartup(uint8_t major, uint8_t minor, uint8_t* grantedMajor, uint8_t* grantedMinor) {
    ++Machine.netStartups;
    if (Machine.netStartupFails)
        return -1;
    *grantedMajor = major;
    *grantedMinor = minor;
    return 0;
}

void NetCleanup() {
    ++Machine.netCleanups;
}

uint32_t NetInetAddr(const char* text) {
    unsigned a = 0, b = 0, c = 0, d = 0;
    if (sscanf(text, "%u.%u.%u.%u", &a, &b, &c, &d) != 4)
        return 0xFFFFFFFFu;
    uint8_t bytes[4] = {uint8_t(a), uint8_t(b), uint8_t(c), uint8_t(d)};
    uint32_t value;
    memcpy(&value, bytes, 4);
    return value;
}

NetSocket NetOpenDatagramSocket() {
    if (Machine.socketFails)
        return NET_INVALID_SOCKET;
    ++Machine.openSockets;
    return 7;
}

int NetConnect(NetSocket, const Ipv4SocketAddress* address) {
    // Only the monitoring service's address is expected here.
    if (Machine.connectFails || address->family != NET_FAMILY_IPV4 || address->port[0] != 0x02 ||
        address->port[1] != 0x2B || address->address[0] != 127 || address->address[3] != 1)
        return -1;
    return 0;
}

long NetSendTo(NetSocket, const void* data, size_t length, const Ipv4SocketAddress*) {
    size_t sent = Machine.sendFallsShort ? length / 2 : length;
    Machine.datagrams.emplace_back(static_cast<const char*>(data), sent);
    return long(sent);
}

void NetCloseSocket(NetSocket) {
    --Machine.openSockets;
}

int NetSendArp(uint32_t destination, uint8_t mac[6]) {
    auto entry = Machine.arpTable.find(destination);
    if (entry == Machine.arpTable.end())
        return 67; // ERROR_BAD_NET_NAME
    memcpy(mac, entry->second.data(), 6);
    return 0;
}

// --- files, process, clock, accounts, message box ---------------------------------

namespace {
std::map<LogFileHandle, std::string> g_openFiles;
LogFileHandle g_nextHandle = 100;
} // namespace

LogFileHandle LogFileOpenForAppend(const char* path) {
    ++Machine.openAttempts;
    if (path == nullptr || *path == '\0')
        return LOG_FILE_INVALID;
    if (Machine.openFailuresLeft > 0) {
        --Machine.openFailuresLeft;
        return LOG_FILE_INVALID;
    }
    Machine.files[path]; // created when missing, kept as it is otherwise
    g_openFiles[g_nextHandle] = path;
    ++Machine.openFiles;
    return g_nextHandle++;
}

int LogFileWrite(LogFileHandle file, const void* data, size_t length) {
    auto open = g_openFiles.find(file);
    if (open == g_openFiles.end())
        return -1;
    Machine.files[open->second].append(static_cast<const char*>(data), length);
    return 0;
}

void LogFileClose(LogFileHandle file) {
    if (g_openFiles.erase(file) != 0)
        --Machine.openFiles;
}

void ProcessExit(int code) {
    Machine.exits.push_back(code);
    throw FakeProcessExit{code};
}

void ProcessSleep(uint32_t milliseconds) {
    Machine.sleeps.push_back(milliseconds);
}

void GetLocalDateTime(LocalDateTime* now) {
    *now = Machine.clock;
}

int GetOsVersion(uint32_t* major, uint32_t* minor) {
    if (Machine.versionFails)
        return -1;
    *major = Machine.osMajor;
    *minor = Machine.osMinor;
    return 0;
}

int GetAccountNameByRid(const wchar_t*, uint32_t rid, wchar_t* name, uint32_t* capacity) {
    if (Machine.administratorLookupFails || rid != 500 ||
        Machine.administratorName.size() + 1 > *capacity)
        return 0;
    size_t i = 0;
    for (; i < Machine.administratorName.size(); ++i)
        name[i] = wchar_t(Machine.administratorName[i]);
    name[i] = L'\0';
    return 1;
}

int ReportAppEvent(EventLogType type, uint32_t id, const std::vector<std::string>& inserts) {
    Machine.events.push_back({type, id, inserts});
    return 0;
}

std::string CurrentAccountName() {
    return "TS1\\admin";
}

std::string WindowsErrorText(uint32_t error) {
    return error == 5 ? "Access is denied." : "";
}

int ShowTimedMessage(void*, const char* text, const char* caption, uint32_t style,
                     uint32_t timeoutMs) {
    Machine.messages.push_back({text, caption, style, timeoutMs});
    return 0; // as if the time-out closed it
}

int PlatformShowMessageBox(const char*, const char*, uint32_t) {
    return 1;
}

// --- configuration rows -----------------------------------------------------------

void AddIpRow(const char* from, const char* to, int32_t type) {
    auto* row = new IpRangeRow();
    CopyToField(row->IPFROM, from);
    CopyToField(row->IPTO, to);
    row->TYPE = type;
    FilterConfig.ipRanges.push_back(row);
}

void AddComputerNameRow(const char* name, int32_t type) {
    auto* row = new ComputerNameRow();
    CopyToField(row->CNAME, name);
    row->TYPE = type;
    FilterConfig.computerNames.push_back(row);
}

void AddMacRow(const char* mac, int32_t type) {
    auto* row = new MacAddressRow();
    CopyToField(row->MACADDRESS, mac);
    row->TYPE = type;
    FilterConfig.macAddresses.push_back(row);
}

void AddSessionIpRow(const char* address, int32_t limit) {
    auto* row = new SessionIpRow();
    CopyToField(row->SESSION_IP, address);
    row->SESSION_IPCOUNTER = limit;
    FilterConfig.sessionIps.push_back(row);
}

void AddSessionUserRow(const char* user, int32_t limit) {
    auto* row = new SessionUserRow();
    CopyToField(row->SESSION_USER, user);
    row->SESSION_USERCOUNT = limit;
    FilterConfig.sessionUsers.push_back(row);
}

void AddArpEntry(const char* address, const uint8_t (&mac)[6]) {
    Machine.arpTable[NetInetAddr(address)] = std::vector<uint8_t>(mac, mac + 6);
}
