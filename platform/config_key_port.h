// The configuration's registry key and the keys below it, value by value, on this
// server or on another one through its Remote Registry service: what the history of
// applied configurations reads and writes beside "tsdata". The Windows adapter is
// platform/win32/config_key_port_win32.cpp (one Win32 call sequence per function, no
// decisions); elsewhere opening fails with REMOTE_NEEDS_WINDOWS; native tests use an
// in-memory fake.
//
// A path names a key below the configuration's key ("History\\00000012"; "" is the key
// itself). Names and texts are UTF-8. Results are Windows error codes: 0 on success,
// REMOTE_NO_CONFIGURATION (2, ERROR_FILE_NOT_FOUND) for a key or value that is not there.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/remote_config.h"

enum RegistryValueType : uint32_t {
    REGISTRY_SZ = 1,     // REG_SZ: UTF-16LE with its terminating zero
    REGISTRY_BINARY = 3, // REG_BINARY
    REGISTRY_DWORD = 4,  // REG_DWORD: 4 bytes, little-endian
};

struct RegistryValue {
    std::string name;
    uint32_t type = 0;
    std::string data; // the bytes as stored
};

// What a generation of the history keeps about the apply that replaced it (UTF-8).
struct GenerationFacts {
    std::string when;    // UTC, "YYYY-MM-DDTHH:MM:SSZ"
    std::string who;     // DOMAIN\user
    std::string program; // "quillon.exe", "gwconfig.exe"
    std::string file;    // the configuration file applied, empty when none
    std::string summary; // what the apply changed, as event 2000 reports it
};

class ConfigKeyPort {
public:
    virtual ~ConfigKeyPort() = default;
    // Every value of the key: name, type and bytes.
    virtual uint32_t ReadValues(const std::string& path, std::vector<RegistryValue>* values) = 0;
    // The size in bytes of one value, without reading it.
    virtual uint32_t ValueSize(const std::string& path, const std::string& name,
                               uint32_t* size) = 0;
    // The names of the keys right below it.
    virtual uint32_t ReadSubkeys(const std::string& path, std::vector<std::string>* names) = 0;
    // Writes one value, creating the key (and those above it) when needed.
    virtual uint32_t WriteValue(const std::string& path, const RegistryValue& value) = 0;
    virtual uint32_t DeleteValue(const std::string& path, const std::string& name) = 0;
    // Deletes a key that has no subkeys, with its values.
    virtual uint32_t DeleteKey(const std::string& path) = 0;
};

// This server's configuration key, in this program's registry view (the one the
// configuration store opens). Null with *error when the registry cannot be reached.
std::unique_ptr<ConfigKeyPort> OpenLocalConfigKeyPort(uint32_t* error);

// \\server's configuration key in the registry view given (`server` without the
// backslashes). Null with *error when the server's registry cannot be reached.
std::unique_ptr<ConfigKeyPort> OpenRemoteConfigKeyPort(const std::string& server, RemoteView view,
                                                       uint32_t* error);
