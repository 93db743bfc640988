// The sessions on this server now, as Terminal Services lists them, with the facts the
// library would read of each: client address, computer name, user name and client
// build. The MAC address (an ARP request per client) and the session counts (which
// session of an address came last cannot be told from a list) are not read, so the
// filters that need them do not judge these sessions.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "replay/known_session.h"

struct LiveSession {
    uint32_t id = 0;
    KnownSession facts;      // at: the moment of listing
    std::string addressText; // "a.b.c.d", empty when the address cannot be read
};

// Lists the local server's sessions, leaving out the console session and sessions
// without a client (listeners, the services' session). False when the list cannot be
// read.
bool ReadLiveSessions(std::vector<LiveSession>* sessions);
