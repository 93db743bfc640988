// A session described by someone rather than read from a server: what the
// command-line check and the console's "Test a Client" decide over. A fact not given
// is unavailable, as one that cannot be read on a server.
#pragma once

#include <cstdint>
#include <string>

#include "engine/decision_core.h"

// Texts are single-byte texts of the configuration's code page.
struct DescribedSession {
    bool hasAddress = true;
    uint32_t address = 0; // first octet most significant
    bool hasName = false;
    std::string name;
    bool hasMac = false;
    uint8_t mac[6] = {};
    bool hasBuild = false;
    uint32_t build = 0;
    bool hasUser = false;
    std::string user;
    LocalDateTime at{};
    // Sessions the server would count, this one included.
    bool hasSessionsFromIp = false;
    uint32_t sessionsFromIp = 1;
    bool hasSessionsOfUser = false;
    uint32_t sessionsOfUser = 1;
    bool administrator = false; // the user is the built-in administrator
};

// Answers the core from a described session. No disconnected session is known.
class DescribedFacts : public FactSource {
public:
    explicit DescribedFacts(const DescribedSession& session) : session_(session) {}

    int ClientAddress(uint32_t* address) override;
    int ClientName(char* name, size_t size) override;
    int ClientMac(const char* addressText, char* text) override;
    int ClientBuild(uint32_t* build) override;
    int UserName(char* name, size_t size) override;
    int IsBuiltInAdministrator(const char* user) override;
    int SessionsFromAddress(uint32_t address, bool skipDisconnected, uint32_t* count) override;
    int SessionsOfUser(const char* user, bool skipDisconnected, uint32_t* count) override;
    void LocalTime(LocalDateTime* now) override;
    int DisconnectedSessionKnown() override;

private:
    const DescribedSession& session_;
};

// "XX-XX-XX-XX-XX-XX" of six bytes, upper case, into 18 bytes or more.
void FormatMacText(const uint8_t (&mac)[6], char* text, size_t size);

// Describes the session `facts` tell of, reading each fact once as the filters would
// (the counts by the configuration's rules for disconnected sessions). A fact that
// cannot be read is left not given (an address not given stays 0).
void DescribeSession(const FilterConfigRecord& config, FactSource& facts, DescribedSession* out);
