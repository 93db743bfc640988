// Other servers' configurations, reached through their Remote Registry service, read into
// and written from FilterConfig's encodings.
#pragma once

#include <cstdint>
#include <string>

#include "explain/remote_words.h"

// Reads a server's enciphered configuration and decodes it into FilterConfig (reset
// first). False with a RemoteFailureText sentence (or one saying it does not decode).
bool LoadRemoteConfig(const std::string& server, RemoteView view, std::string* blob,
                      std::string* error);

// Writes an enciphered configuration (registry order) to a server. False with a
// RemoteFailureText sentence; *windowsError gets the code either way.
bool WriteRemoteConfig(const std::string& server, RemoteView view, const std::string& blob,
                       uint32_t* windowsError, std::string* error);
