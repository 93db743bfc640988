#include "tests/support/config_registry.h"

const char CONFIG_REGISTRY_SUBKEY[] = "Software\\Marrowby\\Gatewell";

bool DeleteConfigKey() {
    LONG result = RegDeleteKeyA(HKEY_LOCAL_MACHINE, CONFIG_REGISTRY_SUBKEY);
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
