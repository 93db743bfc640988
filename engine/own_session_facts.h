// The facts of the calling process's own session, read from Terminal Services, ARP
// and the account database each time the decision core asks. The library decides
// over them, and the console over its own session with the same reads.
#pragma once

#include "engine/decision_core.h"

class OwnSessionFacts : public FactSource {
public:
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
};
