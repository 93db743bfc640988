#include <windows.h>

#include <string>

#include "platform/remote_config.h"
#include "platform/win32/registry_win32.h"
#include "platform/win32/text_win32.h"

LONG ConnectMachineHive(const std::string& server, RegKey* hive) {
    std::wstring name = L"\\\\" + WidenUtf8(server.c_str());
    return RegConnectRegistryW(name.c_str(), HKEY_LOCAL_MACHINE, hive->out());
}

namespace {

// The configuration's key on \\server: opened for reading, or created for writing.
// The hive stays open with the key, as the caller holds both.
LONG OpenConfigKey(const std::string& server, RemoteView view, bool write, RegKey* hive,
                   RegKey* key) {
    LONG result = ConnectMachineHive(server, hive);
    if (result != ERROR_SUCCESS)
        return result;
    if (!write)
        return RegOpenKeyExW(hive->get(), CONFIG_SUBKEY_W, 0, KEY_QUERY_VALUE | ViewFlag(view),
                             key->out());
    return RegCreateKeyExW(hive->get(), CONFIG_SUBKEY_W, 0, nullptr, REG_OPTION_NON_VOLATILE,
                           KEY_SET_VALUE | ViewFlag(view), nullptr, key->out(), nullptr);
}

// "datasize" as a 4-byte value, or 0.
DWORD DeclaredSize(HKEY key) {
    DWORD size = 0, type = 0, bytes = sizeof(size);
    if (RegQueryValueExW(key, L"datasize", nullptr, &type, reinterpret_cast<BYTE*>(&size),
                         &bytes) != ERROR_SUCCESS ||
        bytes != sizeof(size))
        return 0;
    return size;
}

} // namespace

uint32_t ReadRemoteConfigBlob(const std::string& server, RemoteView view, std::string* blob) {
    RegKey hive, key;
    LONG result = OpenConfigKey(server, view, false, &hive, &key);
    if (result != ERROR_SUCCESS)
        return static_cast<uint32_t>(result);
    // A writer between "tsdata" and "datasize" leaves the pair unequal for a moment.
    for (int attempt = 0; attempt < 5; ++attempt) {
        if (attempt > 0)
            Sleep(100);
        DWORD realSize = 0;
        result = RegQueryValueExW(key.get(), L"tsdata", nullptr, nullptr, nullptr, &realSize);
        if (result != ERROR_SUCCESS)
            return static_cast<uint32_t>(result);
        DWORD declared = DeclaredSize(key.get());
        if (declared == 0)
            return REMOTE_NO_CONFIGURATION;
        if (declared < realSize)
            continue;
        blob->assign(realSize, '\0');
        DWORD length = realSize;
        result = RegQueryValueExW(key.get(), L"tsdata", nullptr, nullptr,
                                  reinterpret_cast<BYTE*>(&(*blob)[0]), &length);
        if (result == ERROR_MORE_DATA)
            continue; // it grew in the meantime
        if (result != ERROR_SUCCESS)
            return static_cast<uint32_t>(result);
        blob->resize(length);
        return blob->empty() ? REMOTE_NO_CONFIGURATION : REMOTE_OK;
    }
    return REMOTE_NO_CONFIGURATION;
}

uint32_t WriteRemoteConfigBlob(const std::string& server, RemoteView view,
                               const std::string& blob) {
    RegKey hive, key;
    LONG result = OpenConfigKey(server, view, true, &hive, &key);
    if (result != ERROR_SUCCESS)
        return static_cast<uint32_t>(result);
    const DWORD size = static_cast<DWORD>(blob.size());
    result = RegSetValueExW(key.get(), L"tsdata", 0, REG_BINARY,
                            reinterpret_cast<const BYTE*>(blob.data()), size);
    if (result != ERROR_SUCCESS)
        return static_cast<uint32_t>(result);
    return static_cast<uint32_t>(RegSetValueExW(
        key.get(), L"datasize", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&size), sizeof(size)));
}

uint32_t ReadRemoteConfigDword(const std::string& server, RemoteView view, const char* name,
                               uint32_t* value) {
    RegKey hive, key;
    LONG result = OpenConfigKey(server, view, false, &hive, &key);
    if (result != ERROR_SUCCESS)
        return static_cast<uint32_t>(result);
    DWORD stored = 0, bytes = sizeof(stored);
    result = RegQueryValueExW(key.get(), WidenUtf8(name).c_str(), nullptr, nullptr,
                              reinterpret_cast<BYTE*>(&stored), &bytes);
    if (result == ERROR_MORE_DATA || (result == ERROR_SUCCESS && bytes != sizeof(stored)))
        return REMOTE_NO_CONFIGURATION;
    if (result != ERROR_SUCCESS)
        return static_cast<uint32_t>(result);
    *value = stored;
    return REMOTE_OK;
}

uint32_t WriteRemoteConfigDword(const std::string& server, RemoteView view, const char* name,
                                uint32_t value) {
    RegKey hive, key;
    LONG result = OpenConfigKey(server, view, true, &hive, &key);
    if (result != ERROR_SUCCESS)
        return static_cast<uint32_t>(result);
    const DWORD stored = value;
    return static_cast<uint32_t>(RegSetValueExW(key.get(), WidenUtf8(name).c_str(), 0, REG_DWORD,
                                                reinterpret_cast<const BYTE*>(&stored),
                                                sizeof(stored)));
}
