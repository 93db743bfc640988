#include "engine/session_facts.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "config/config_model.h"
#include "engine/text_compare.h"
#include "platform/accounts.h"
#include "platform/network.h"
#include "platform/process.h"

namespace {

// A 32-bit answer; one shorter than 4 bytes is a failed query.
int QueryUint32(uint32_t sessionId, int infoClass, uint32_t* value) {
    std::string answer;
    if (TsQuerySession(sessionId, infoClass, &answer) != 0 || answer.size() < 4)
        return -1;
    memcpy(value, answer.data(), 4);
    return 0;
}

int QueryText(uint32_t sessionId, int infoClass, char* text, size_t size) {
    std::string answer;
    if (TsQuerySession(sessionId, infoClass, &answer) != 0)
        return -1;
    CopyToZeroedField(text, size, answer.data(), answer.size());
    return 0;
}

} // namespace

int GetClientIPAddress(TsServer, uint32_t sessionId, uint32_t* address) {
    *address = 0;
    std::string answer;
    if (TsQuerySession(sessionId, TS_CLIENT_ADDRESS, &answer) != 0)
        return -1;
    return DecodeClientAddress(answer.data(), answer.size(), address);
}

int GetClientName(TsServer, uint32_t sessionId, char* name, size_t size) {
    return QueryText(sessionId, TS_CLIENT_NAME, name, size);
}

int GetClientBuildNumber(TsServer, uint32_t sessionId, uint32_t* build) {
    return QueryUint32(sessionId, TS_CLIENT_BUILD_NUMBER, build);
}

int GetClientUserName(TsServer, uint32_t sessionId, char* name, size_t size) {
    return QueryText(sessionId, TS_USER_NAME, name, size);
}

int GetSessionId(int32_t* sessionId) {
    *sessionId = -1;
    uint32_t value = 0;
    if (QueryUint32(TS_CURRENT_SESSION, TS_SESSION_ID, &value) != 0)
        return -1;
    *sessionId = static_cast<int32_t>(value);
    return 0;
}

namespace {

// A session counts unless `skipDisconnected` is set and its state is disconnected
// or unreadable.
bool LeftOutAsDisconnected(bool skipDisconnected, uint32_t sessionId) {
    if (!skipDisconnected)
        return false;
    uint32_t state = 0;
    return QueryUint32(sessionId, TS_CONNECT_STATE, &state) != 0 || state == TS_STATE_DISCONNECTED;
}

} // namespace

int CountSessionsFromAddress(TsServer server, uint32_t address, bool skipDisconnected,
                             uint32_t* count) {
    *count = 0;
    std::vector<TsSessionEntry> sessions;
    if (TsEnumerateSessions(server, &sessions) != 0)
        return -1;
    std::string answer;
    for (const TsSessionEntry& session : sessions) {
        if (LeftOutAsDisconnected(skipDisconnected, session.sessionId))
            continue;
        uint32_t other = 0;
        if (TsQuerySession(session.sessionId, TS_CLIENT_ADDRESS, &answer) != 0 ||
            DecodeClientAddress(answer.data(), answer.size(), &other) != 0)
            continue;
        if (other == address)
            ++*count;
    }
    return 0;
}

int CountSessionsOfUser(TsServer server, const char* name, bool skipDisconnected, uint32_t* count) {
    *count = 0;
    std::vector<TsSessionEntry> sessions;
    if (TsEnumerateSessions(server, &sessions) != 0)
        return -1;
    for (const TsSessionEntry& session : sessions) {
        if (LeftOutAsDisconnected(skipDisconnected, session.sessionId))
            continue;
        char other[USER_NAME_SIZE];
        if (QueryText(session.sessionId, TS_USER_NAME, other, sizeof other) != 0)
            continue;
        if (CompareNoCase(other, name) == 0)
            ++*count;
    }
    return 0;
}

int GetCountOfSessionWithTheSameUser(TsServer server, const char* name, uint32_t* count) {
    return CountSessionsOfUser(server, name, FilterConfig.FLAG_USER_IGNORE_DISCONNECTED != 0,
                               count);
}

int FirstDisconnectedSession(TsServer server, uint32_t* sessionId) {
    std::vector<TsSessionEntry> sessions;
    if (TsEnumerateSessions(server, &sessions) != 0)
        return -1;
    for (const TsSessionEntry& session : sessions) {
        if (session.state == TS_STATE_DISCONNECTED) {
            *sessionId = session.sessionId;
            return 0;
        }
    }
    return -1;
}

int LogoffFirstDisconnectedSession(TsServer server) {
    std::vector<TsSessionEntry> sessions;
    if (TsEnumerateSessions(server, &sessions) != 0)
        return -1;
    for (const TsSessionEntry& session : sessions) {
        if (session.state == TS_STATE_DISCONNECTED)
            return TsLogoffSession(server, session.sessionId) ? 0 : -1;
    }
    return -1;
}

int32_t SessionIsConsoleOrUnknown() {
    if (!TsCanOpenLocalServer())
        return 1;
    int32_t sessionId = -1;
    if (GetSessionId(&sessionId) != 0)
        return 1;
    uint32_t major = 0, minor = 0;
    if (GetOsVersion(&major, &minor) != 0)
        return 1;
    // Only the Terminal Servers of major version 5 are guarded; elsewhere every
    // session is left alone.
    if (major != 5)
        return 1;
    if (minor == 0)
        return sessionId == 0 ? 1 : 0;
    uint32_t consoleId = 0;
    if (TsGetActiveConsoleSessionId(&consoleId) != 0)
        return 1; // cannot tell: leave the session alone
    return consoleId == static_cast<uint32_t>(sessionId) ? 1 : 0;
}

int32_t ReadRemoteMac(const char* addressText, uint32_t address, uint8_t* mac, char* text) {
    uint8_t grantedMajor = 0, grantedMinor = 0;
    if (NetStartup(2, 1, &grantedMajor, &grantedMinor) != 0)
        return -1;
    uint32_t destination = addressText != nullptr ? NetInetAddr(addressText) : address;
    uint8_t found[6] = {0, 0, 0, 0, 0, 0};
    if (NetSendArp(destination, found) != 0)
        return -1;
    if (mac != nullptr)
        memcpy(mac, found, 6);
    if (text != nullptr) {
        // Appended to what the buffer holds; callers hand an empty one of at least
        // 18 bytes.
        char* end = text + strlen(text);
        for (int i = 0; i < 6; ++i) {
            snprintf(end, 4, i < 5 ? "%.2X-" : "%.2X", unsigned(found[i]));
            end += i < 5 ? 3 : 2;
        }
    }
    return 0;
}

char* FindNoCase(const char* text, const char* find) {
    if (text == nullptr || find == nullptr || *text == '\0' || *find == '\0')
        return nullptr;
    size_t n = strlen(find);
    size_t m = strlen(text);
    for (; m >= n; ++text, --m) {
        if (CompareNoCaseN(text, find, n) == 0)
            return const_cast<char*>(text);
    }
    return nullptr;
}

int IsAdministratorName(const char* user) {
    wchar_t wide[256 + 1] = {};
    uint32_t capacity = 256;
    if (!GetAccountNameByRid(nullptr, 500, wide, &capacity))
        return 0;
    // The "C" locale's conversion: characters beyond one byte cannot be written, and
    // a name holding one cannot equal a single-byte user name.
    char name[257] = {};
    for (size_t i = 0; i < 256 && wide[i] != L'\0'; ++i) {
        if (static_cast<uint32_t>(wide[i]) > 0xFF)
            return 0;
        name[i] = static_cast<char>(wide[i]);
    }
    return user != nullptr && CompareNoCase(name, user) == 0 ? 1 : 0;
}
