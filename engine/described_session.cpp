#include "engine/described_session.h"

#include <cstdio>
#include <cstring>

#include "config/mac_text.h"
#include "engine/text_compare.h"

namespace {

int CopyText(const std::string& text, char* out, size_t size) {
    CopyToZeroedField(out, size, text.c_str(), text.size());
    return 0;
}

} // namespace

void FormatMacText(const uint8_t (&mac)[6], char* text, size_t size) {
    snprintf(text, size, "%02X-%02X-%02X-%02X-%02X-%02X", mac[0], mac[1], mac[2], mac[3], mac[4],
             mac[5]);
}

int DescribedFacts::ClientAddress(uint32_t* address) {
    if (!session_.hasAddress)
        return -1;
    *address = session_.address;
    return 0;
}

int DescribedFacts::ClientName(char* name, size_t size) {
    return session_.hasName ? CopyText(session_.name, name, size) : -1;
}

int DescribedFacts::ClientMac(const char*, char* text) {
    if (!session_.hasMac)
        return -1;
    FormatMacText(session_.mac, text, FACT_MAC_SIZE);
    return 0;
}

int DescribedFacts::ClientBuild(uint32_t* build) {
    if (!session_.hasBuild)
        return -1;
    *build = session_.build;
    return 0;
}

int DescribedFacts::UserName(char* name, size_t size) {
    return session_.hasUser ? CopyText(session_.user, name, size) : -1;
}

int DescribedFacts::IsBuiltInAdministrator(const char* user) {
    return session_.administrator && session_.hasUser && user != nullptr &&
                   CompareNoCase(session_.user.c_str(), user) == 0
               ? 1
               : 0;
}

int DescribedFacts::SessionsFromAddress(uint32_t, bool, uint32_t* count) {
    if (!session_.hasSessionsFromIp)
        return -1;
    *count = session_.sessionsFromIp;
    return 0;
}

int DescribedFacts::SessionsOfUser(const char*, bool, uint32_t* count) {
    if (!session_.hasSessionsOfUser)
        return -1;
    *count = session_.sessionsOfUser;
    return 0;
}

void DescribedFacts::LocalTime(LocalDateTime* now) {
    *now = session_.at;
}

int DescribedFacts::DisconnectedSessionKnown() {
    return 0;
}

namespace {

// "XX-XX-XX-XX-XX-XX" as the MAC fact is written (what follows the 17 characters, if
// anything, is not read).
bool ReadMacText(const char* text, uint8_t (&mac)[6]) {
    return ParseMac(std::string_view(text, strnlen(text, MAC_TEXT_LENGTH)), mac);
}

} // namespace

void DescribeSession(const FilterConfigRecord& config, FactSource& facts, DescribedSession* out) {
    *out = DescribedSession();
    const bool hasAddress = facts.ClientAddress(&out->address) == 0;
    out->hasAddress = hasAddress;
    if (!hasAddress)
        out->address = 0;
    char text[FACT_MAC_SIZE] = {};
    if (facts.ClientName(text, FACT_NAME_SIZE) == 0) {
        out->hasName = true;
        out->name = text;
    }
    if (hasAddress) {
        char addressText[32];
        snprintf(addressText, sizeof addressText, "%u.%u.%u.%u", out->address >> 24,
                 out->address >> 16 & 0xFF, out->address >> 8 & 0xFF, out->address & 0xFF);
        char mac[FACT_MAC_SIZE] = {};
        out->hasMac = facts.ClientMac(addressText, mac) == 0 && ReadMacText(mac, out->mac);
        uint32_t count = 0;
        if (facts.SessionsFromAddress(out->address, config.IGNORE_DISCONNECTED != 0, &count) == 0) {
            out->hasSessionsFromIp = true;
            out->sessionsFromIp = count;
        }
    }
    out->hasBuild = facts.ClientBuild(&out->build) == 0;
    if (!out->hasBuild)
        out->build = 0;
    char user[FACT_NAME_SIZE] = {};
    if (facts.UserName(user, sizeof user) == 0) {
        out->hasUser = true;
        out->user = user;
        out->administrator = facts.IsBuiltInAdministrator(user) == 1;
        uint32_t count = 0;
        if (facts.SessionsOfUser(user, config.FLAG_USER_IGNORE_DISCONNECTED != 0, &count) == 0) {
            out->hasSessionsOfUser = true;
            out->sessionsOfUser = count;
        }
    }
    facts.LocalTime(&out->at);
}
