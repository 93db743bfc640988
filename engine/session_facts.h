// Facts about a session, read from Terminal Services and the network stack, and the
// helpers around them. Queries go to the local server; the session id
// TS_CURRENT_SESSION means the calling process's own session.
#pragma once

#include <cstdint>

#include "platform/terminal_services.h"

// Text buffers the filters hand to the queries.
constexpr size_t CLIENT_NAME_SIZE = 64;
constexpr size_t USER_NAME_SIZE = 64;
constexpr size_t MAC_TEXT_SIZE = 256;
constexpr size_t ADDRESS_TEXT_SIZE = 56;

// Client address, first octet most significant. 0, or -1 with *address 0.
int GetClientIPAddress(TsServer server, uint32_t sessionId, uint32_t* address);
// Client computer name into a buffer of `size` bytes (cut, NUL-terminated). 0 or -1.
int GetClientName(TsServer server, uint32_t sessionId, char* name, size_t size = CLIENT_NAME_SIZE);
// Client software build. 0 or -1.
int GetClientBuildNumber(TsServer server, uint32_t sessionId, uint32_t* build);
// User name into a buffer of `size` bytes (cut, NUL-terminated). 0 or -1.
int GetClientUserName(TsServer server, uint32_t sessionId, char* name,
                      size_t size = USER_NAME_SIZE);
// The calling process's session id. 0, or -1 with *sessionId -1.
int GetSessionId(int32_t* sessionId);

// Reads the address out of a raw WTSClientAddress answer (bytes 6 to 9). 0, or -1
// when the answer is too short to hold them.
int DecodeClientAddress(const char* answer, size_t length, uint32_t* address);
// "%d.%d.%d.%d", first octet first, into a buffer of `size` bytes.
void FormatClientAddress(uint32_t address, char* text, size_t size);
// Reads "%d.%d.%d.%d" (each number cut to its low 8 bits) from at most `size` bytes
// of text. 0, or -1 when the text does not hold four numbers (*address then 0).
int ParseDottedAddress(const char* text, size_t size, uint32_t* address);

// Sessions of `server` whose user name equals `name` ignoring ASCII case
// (disconnected ones left out when FLAG_USER_IGNORE_DISCONNECTED is set). 0 or -1.
int GetCountOfSessionWithTheSameUser(TsServer server, const char* name, uint32_t* count);

// The counts themselves, disconnected sessions (and those whose state cannot be
// read) left out when `skipDisconnected`. 0, or -1 when enumeration fails.
int CountSessionsFromAddress(TsServer server, uint32_t address, bool skipDisconnected,
                             uint32_t* count);
int CountSessionsOfUser(TsServer server, const char* name, bool skipDisconnected, uint32_t* count);

// The first disconnected session `server` lists: 0 with its id, or -1.
int FirstDisconnectedSession(TsServer server, uint32_t* sessionId);
// Logs off the first disconnected session `server` lists. 0 when one was found and
// the logoff was accepted, else -1.
int LogoffFirstDisconnectedSession(TsServer server);

// Non-zero for the console session or when it cannot tell; 0 for a remote session.
int32_t SessionIsConsoleOrUnknown();
// MAC of the client at addressText (or `address`, network order, when the text is
// null). 0, or -1 leaving both outputs untouched. The text is appended to *text.
int32_t ReadRemoteMac(const char* addressText, uint32_t address, uint8_t* mac, char* text);
// First case-insensitive occurrence of find in text, or null.
char* FindNoCase(const char* text, const char* find);

// 1 when `user` names the local built-in administrator (RID 500), else 0.
int IsAdministratorName(const char* user);
