// The library's exported session helpers: the work of session_facts.h behind the
// export's rules (the library is loaded first, nothing raised reaches the host).
// Callers inside the engine call session_facts.h directly.
#pragma once

#include <cstdint>

#include "platform/terminal_services.h"

extern "C" {
// Sessions of `server` whose client address equals `address` (disconnected ones
// left out when IGNORE_DISCONNECTED is set). 0, or -1 when enumeration fails.
int32_t GetCountOfSessionWithTheSameIP(TsServer server, uint32_t address, uint32_t* count);
// SessionIsConsoleOrUnknown: non-zero for the console session or when it cannot tell.
int32_t IsConsoleSession();
// ReadRemoteMac: the MAC of the client at addressText (or `address`).
int32_t GetRemoteMac(const char* addressText, uint32_t address, uint8_t* mac, char* text);
// FindNoCase: the first case-insensitive occurrence of find in text, or null.
char* stristr(const char* text, const char* find);
}
