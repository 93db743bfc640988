// Other servers' configurations, reached through their Remote Registry service: server
// names as administrators write them (NAME or \\NAME), and failures told as what to do.
#pragma once

#include <cstdint>
#include <string>

#include "platform/remote_config.h"

// The computer name without its leading backslashes. False when nothing is left or the
// rest is not a plain name (a share or path).
bool ParseServerName(const std::string& given, std::string* server);

// "\\NAME", as messages name a server.
std::string ServerLabel(const std::string& server);

// Whether this error means the server or its Remote Registry service did not answer.
bool IsUnreachable(uint32_t error);

// One sentence that names the server, says what failed and what to do about it.
std::string RemoteFailureText(const std::string& server, uint32_t error, bool writing);

// The farm's word for a failure: "no configuration", "unreachable", "access denied", or
// "error N".
std::string RemoteStatusWord(uint32_t error);

// Reads a server's enciphered configuration and decodes it into FilterConfig (reset
// first). False with a RemoteFailureText sentence (or one saying it does not decode).
bool LoadRemoteConfig(const std::string& server, RemoteView view, std::string* blob,
                      std::string* error);

// Writes an enciphered configuration (registry order) to a server. False with a
// RemoteFailureText sentence; *windowsError gets the code either way.
bool WriteRemoteConfig(const std::string& server, RemoteView view, const std::string& blob,
                       uint32_t* windowsError, std::string* error);
