// Other servers, as administrators name them (NAME or \\NAME), and the failures of
// reaching their registries told as what to do: shared by gwconfig and the console.
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
