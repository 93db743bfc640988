#include "gwconfig/check_platform.h"

#include <cstring>

#include "engine/pipeline.h"
#include "platform/accounts.h"
#include "platform/log_file.h"
#include "platform/network.h"
#include "platform/terminal_services.h"
#include "platform/timed_message_box.h"

namespace {

// The session being checked, and where the other counted sessions begin: the ones
// from the same address, then the ones of the same user.
const uint32_t OWN_SESSION = 1;
const uint32_t FIRST_SAME_ADDRESS = 1000;
const uint32_t FIRST_SAME_USER = 1000000;

CheckSession g_session;
bool g_countKnown = false;
SeamLog g_log;

std::string Uint32Bytes(uint32_t value) {
    return std::string(reinterpret_cast<const char*>(&value), sizeof value);
}

std::string AddressAnswer(uint32_t address) {
    // WTS_CLIENT_ADDRESS: the family, then 20 address bytes with IPv4 in bytes 2 to 5.
    std::string bytes(24, '\0');
    bytes[0] = 2;
    for (int k = 0; k < 4; ++k)
        bytes[6 + k] = static_cast<char>(address >> (24 - 8 * k));
    return bytes;
}

int AnswerOwn(int infoClass, std::string* answer) {
    const CheckSession& s = g_session;
    switch (infoClass) {
    case TS_SESSION_ID:
        *answer = Uint32Bytes(OWN_SESSION);
        return 0;
    case TS_CONNECT_STATE:
        *answer = Uint32Bytes(0); // active
        return 0;
    case TS_WINSTATION_NAME:
        *answer = std::string("RDP-Tcp#1") + '\0';
        return 0;
    case TS_CLIENT_ADDRESS:
        *answer = AddressAnswer(s.address);
        return 0;
    case TS_CLIENT_NAME:
        if (!s.hasName)
            break;
        *answer = s.name + '\0';
        return 0;
    case TS_CLIENT_BUILD_NUMBER:
        if (!s.hasBuild)
            break;
        *answer = Uint32Bytes(s.build);
        return 0;
    case TS_USER_NAME:
        if (!s.hasUser)
            break;
        *answer = s.user + '\0';
        return 0;
    default:
        return -1; // facts no filter reads
    }
    g_log.unavailable.push_back(infoClass);
    return -1;
}

} // namespace

void SetCheckSession(const CheckSession& session) {
    g_session = session;
}

void SetSessionCountKnown(bool known) {
    g_countKnown = known;
}

const SeamLog& CurrentSeamLog() {
    return g_log;
}

void ResetSeamLog() {
    g_log = SeamLog();
}

// ---- Terminal Services ------------------------------------------------------------

int TsQuerySession(uint32_t sessionId, int infoClass, std::string* answer) {
    g_log.anything = true;
    if (sessionId == TS_CURRENT_SESSION || sessionId == OWN_SESSION)
        return AnswerOwn(infoClass, answer);
    if (infoClass == TS_CONNECT_STATE) {
        *answer = Uint32Bytes(0);
        return 0;
    }
    // The other sessions share one fact with the checked one; their other fact is
    // unknown, so each counts for one filter only.
    if (sessionId >= FIRST_SAME_USER) {
        if (infoClass != TS_USER_NAME)
            return -1;
        *answer = g_session.user + '\0';
        return 0;
    }
    if (infoClass != TS_CLIENT_ADDRESS)
        return -1;
    *answer = AddressAnswer(g_session.address);
    return 0;
}

int TsEnumerateSessions(TsServer, std::vector<TsSessionEntry>* sessions) {
    g_log.anything = true;
    sessions->clear();
    if (!g_countKnown) {
        g_log.countFailed = true;
        return -1;
    }
    sessions->push_back({OWN_SESSION, 0});
    for (uint32_t k = 1; k < g_session.sessionsFromIp; ++k)
        sessions->push_back({FIRST_SAME_ADDRESS + k, 0});
    for (uint32_t k = 1; k < g_session.sessionsOfUser; ++k)
        sessions->push_back({FIRST_SAME_USER + k, 0});
    return 0;
}

int TsLogoffSession(TsServer, uint32_t) {
    g_log.anything = true;
    ++g_log.logoffs;
    return 1;
}

int TsCanOpenLocalServer() {
    return 1;
}

int TsGetActiveConsoleSessionId(uint32_t* sessionId) {
    *sessionId = 0;
    return 0;
}

// ---- sockets and ARP ---------------------------------------------------------------

int NetStartup(uint8_t major, uint8_t minor, uint8_t* grantedMajor, uint8_t* grantedMinor) {
    *grantedMajor = major;
    *grantedMinor = minor;
    return 0;
}

void NetCleanup() {}

uint32_t NetInetAddr(const char* text) {
    unsigned a = 0, b = 0, c = 0, d = 0;
    if (sscanf(text, "%u.%u.%u.%u", &a, &b, &c, &d) != 4)
        return 0xFFFFFFFFu;
    const uint8_t bytes[4] = {uint8_t(a), uint8_t(b), uint8_t(c), uint8_t(d)};
    uint32_t value;
    memcpy(&value, bytes, sizeof value);
    return value;
}

NetSocket NetOpenDatagramSocket() {
    return NET_INVALID_SOCKET; // no datagram leaves a check
}

int NetConnect(NetSocket, const Ipv4SocketAddress*) {
    return -1;
}

long NetSendTo(NetSocket, const void*, size_t, const Ipv4SocketAddress*) {
    return -1;
}

void NetCloseSocket(NetSocket) {}

int NetSendArp(uint32_t, uint8_t mac[6]) {
    g_log.anything = true;
    if (!g_session.hasMac) {
        g_log.arpFailed = true;
        return 67; // ERROR_BAD_NET_NAME: nobody answered
    }
    memcpy(mac, g_session.mac, 6);
    return 0;
}

// ---- process, clock, accounts, log file, message box -----------------------------

void ProcessExit(int code) {
    throw CheckProcessEnded{code};
}

void ProcessSleep(uint32_t) {}

void GetLocalDateTime(LocalDateTime* now) {
    g_log.anything = true;
    g_log.clockRead = true;
    *now = g_session.at;
}

int GetOsVersion(uint32_t* major, uint32_t* minor) {
    *major = 5;
    *minor = 2;
    return 0;
}

int GetAccountNameByRid(const wchar_t*, uint32_t rid, wchar_t* name, uint32_t* capacity) {
    g_log.anything = true;
    g_log.administratorAsked = true;
    // Only whether the user is the built-in administrator is known; then its name is
    // the user's. Otherwise the lookup finds no name to compare with.
    if (!g_session.administrator || !g_session.hasUser || rid != 500 ||
        g_session.user.size() + 1 > *capacity)
        return 0;
    size_t k = 0;
    for (; k < g_session.user.size(); ++k)
        name[k] = static_cast<wchar_t>(static_cast<unsigned char>(g_session.user[k]));
    name[k] = L'\0';
    return 1;
}

LogFileHandle LogFileOpenForAppend(const char*) {
    return 1; // the line is formatted and then dropped
}

int LogFileWrite(LogFileHandle, const void*, size_t) {
    return 0;
}

void LogFileClose(LogFileHandle) {}

int ShowTimedMessage(void*, const char* text, const char* caption, uint32_t, uint32_t) {
    g_log.anything = true;
    g_log.texts.push_back(text != nullptr ? text : "");
    g_log.texts.push_back(caption != nullptr ? caption : "");
    return 0; // as if the time-out closed it
}

// The library's loading step: the configuration is already in FilterConfig.
void LoadLibraryOnce() {}
