// The configuration of another server, read and written through that server's Remote
// Registry service (RegConnectRegistryW, the caller's own credentials): the values
// "tsdata" and "datasize" under its HKLM "Software\Marrowby\Gatewell". The Windows
// adapter is platform/win32/remote_config_win32.cpp; elsewhere every call fails with
// REMOTE_NEEDS_WINDOWS.
//
// The functions use nothing but their arguments, so any thread may call them, several
// at once. Results are Windows error codes: 0 on success.
#pragma once

#include <cstdint>
#include <string>

enum RemoteResult : uint32_t {
    REMOTE_OK = 0,
    REMOTE_NO_CONFIGURATION = 2, // ERROR_FILE_NOT_FOUND: no key, or no usable pair
    REMOTE_ACCESS_DENIED = 5,    // ERROR_ACCESS_DENIED
    REMOTE_NEEDS_WINDOWS = 50,   // ERROR_NOT_SUPPORTED: this system has no registry
    REMOTE_UNREACHABLE = 53,     // ERROR_BAD_NETPATH: no such server on the network
};

// Which registry view of the server: the 64-bit one, or the 32-bit one a 32-bit library
// reads on a 64-bit server (KEY_WOW64_32KEY; both flags are ignored by 32-bit Windows).
enum class RemoteView { VIEW_64, VIEW_32 };

// `server` is a computer name without the leading backslashes, in UTF-8.
//
// Reads the enciphered blob as the library does: "tsdata" whole while "datasize" is at
// least its size. REMOTE_NO_CONFIGURATION when the key or a usable pair is missing.
uint32_t ReadRemoteConfigBlob(const std::string& server, RemoteView view, std::string* blob);

// Writes "tsdata", then "datasize" (the console's order), creating the key when needed.
uint32_t WriteRemoteConfigBlob(const std::string& server, RemoteView view, const std::string& blob);

// Reads a 4-byte value of the configuration's key ("EventLog"). REMOTE_NO_CONFIGURATION
// when the key or the value is missing or the value is not 4 bytes long.
uint32_t ReadRemoteConfigDword(const std::string& server, RemoteView view, const char* name,
                               uint32_t* value);

// Writes a REG_DWORD value under the configuration's key, creating the key when needed.
uint32_t WriteRemoteConfigDword(const std::string& server, RemoteView view, const char* name,
                                uint32_t value);
