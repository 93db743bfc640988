#include "tests/support/config_registry.h"

#include <string>

const char CONFIG_REGISTRY_SUBKEY[] = "Software\\Marrowby\\Gatewell";

namespace {

// Deletes a key with the keys below it (the history's generations), deepest first.
LONG DeleteTree(HKEY parent, const std::string& path) {
    HKEY key = nullptr;
    LONG result = RegOpenKeyExA(parent, path.c_str(), 0, KEY_READ, &key);
    if (result != ERROR_SUCCESS)
        return result;
    char name[256];
    DWORD length = sizeof name;
    while (RegEnumKeyExA(key, 0, name, &length, nullptr, nullptr, nullptr, nullptr) ==
               ERROR_SUCCESS &&
           DeleteTree(key, name) == ERROR_SUCCESS)
        length = sizeof name;
    RegCloseKey(key);
    return RegDeleteKeyA(parent, path.c_str());
}

} // namespace

bool DeleteConfigKey() {
    LONG result = DeleteTree(HKEY_LOCAL_MACHINE, CONFIG_REGISTRY_SUBKEY);
    return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND;
}

bool ConfigKeyExists() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, CONFIG_REGISTRY_SUBKEY, 0, KEY_READ, &key) !=
        ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

bool ReadConfigValue(const char* name, DWORD* type, std::vector<uint8_t>* data) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, CONFIG_REGISTRY_SUBKEY, 0, KEY_READ, &key) !=
        ERROR_SUCCESS)
        return false;
    DWORD size = 0;
    bool ok = RegQueryValueExA(key, name, nullptr, type, nullptr, &size) == ERROR_SUCCESS;
    if (ok) {
        data->assign(size, 0);
        ok = RegQueryValueExA(key, name, nullptr, type, data->data(), &size) == ERROR_SUCCESS;
        data->resize(size);
    }
    RegCloseKey(key);
    return ok;
}

bool WriteConfigValue(const char* name, DWORD type, const void* data, DWORD size) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, CONFIG_REGISTRY_SUBKEY, 0, nullptr, 0, KEY_ALL_ACCESS,
                        nullptr, &key, nullptr) != ERROR_SUCCESS)
        return false;
    bool ok =
        RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size) == ERROR_SUCCESS;
    RegCloseKey(key);
    return ok;
}
