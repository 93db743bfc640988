#include "engine/own_session_facts.h"

#include "engine/session_facts.h"

int OwnSessionFacts::ClientAddress(uint32_t* address) {
    return GetClientIPAddress(nullptr, TS_CURRENT_SESSION, address);
}

int OwnSessionFacts::ClientName(char* name, size_t size) {
    return GetClientName(nullptr, TS_CURRENT_SESSION, name, size);
}

int OwnSessionFacts::ClientMac(const char* addressText, char* text) {
    uint8_t bytes[256] = {};
    try {
        return ReadRemoteMac(addressText, 0, bytes, text);
    } catch (...) {
        return -1;
    }
}

int OwnSessionFacts::ClientBuild(uint32_t* build) {
    return GetClientBuildNumber(nullptr, TS_CURRENT_SESSION, build);
}

int OwnSessionFacts::UserName(char* name, size_t size) {
    return GetClientUserName(nullptr, TS_CURRENT_SESSION, name, size);
}

int OwnSessionFacts::IsBuiltInAdministrator(const char* user) {
    return IsAdministratorName(user);
}

int OwnSessionFacts::SessionsFromAddress(uint32_t address, bool skipDisconnected, uint32_t* count) {
    try {
        return CountSessionsFromAddress(nullptr, address, skipDisconnected, count);
    } catch (...) {
        return -1;
    }
}

int OwnSessionFacts::SessionsOfUser(const char* user, bool skipDisconnected, uint32_t* count) {
    return CountSessionsOfUser(nullptr, user, skipDisconnected, count);
}

void OwnSessionFacts::LocalTime(LocalDateTime* now) {
    GetLocalDateTime(now);
}

int OwnSessionFacts::DisconnectedSessionKnown() {
    uint32_t sessionId = 0;
    return FirstDisconnectedSession(nullptr, &sessionId) == 0 ? 1 : 0;
}
