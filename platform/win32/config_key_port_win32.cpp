#include <windows.h>

#include <string>
#include <vector>

#include "platform/config_key_port.h"
#include "platform/win32/registry_win32.h"
#include "platform/win32/text_win32.h"

namespace {

// The configuration's key or one below it, on a hive that is this computer's HKLM or
// another's (RegConnectRegistryW), in one registry view.
class Win32ConfigKeyPort : public ConfigKeyPort {
public:
    // `remote` owns a connected hive; null means this computer's HKLM.
    Win32ConfigKeyPort(HKEY remote, REGSAM view) : remote_(remote), view_(view) {}
    ~Win32ConfigKeyPort() override {
        if (remote_ != nullptr)
            RegCloseKey(remote_);
    }

    uint32_t ReadValues(const std::string& path, std::vector<RegistryValue>* values) override {
        RegKey key;
        LONG result = Open(path, KEY_QUERY_VALUE, &key);
        if (result != ERROR_SUCCESS)
            return static_cast<uint32_t>(result);
        DWORD count = 0, longestName = 0, largest = 0;
        result = RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                  &count, &longestName, &largest, nullptr, nullptr);
        if (result != ERROR_SUCCESS)
            return static_cast<uint32_t>(result);
        std::vector<wchar_t> name(longestName + 1);
        std::vector<BYTE> data(largest + 1);
        values->clear();
        for (DWORD index = 0;; ++index) {
            DWORD nameLength = static_cast<DWORD>(name.size());
            DWORD size = static_cast<DWORD>(data.size()), type = 0;
            result = RegEnumValueW(key.get(), index, name.data(), &nameLength, nullptr, &type,
                                   data.data(), &size);
            if (result == ERROR_NO_MORE_ITEMS)
                return ERROR_SUCCESS;
            if (result == ERROR_MORE_DATA) {
                // A value grew since the count: read this one again with room for it.
                name.resize(name.size() * 2 + 256);
                data.resize(size > data.size() ? size : data.size() * 2);
                --index;
                continue;
            }
            if (result != ERROR_SUCCESS)
                return static_cast<uint32_t>(result);
            RegistryValue value;
            value.name = NarrowToUtf8(std::wstring(name.data(), nameLength).c_str());
            value.type = type;
            value.data.assign(reinterpret_cast<const char*>(data.data()), size);
            values->push_back(value);
        }
    }

    uint32_t ValueSize(const std::string& path, const std::string& name, uint32_t* size) override {
        RegKey key;
        LONG result = Open(path, KEY_QUERY_VALUE, &key);
        if (result != ERROR_SUCCESS)
            return static_cast<uint32_t>(result);
        DWORD bytes = 0;
        result = RegQueryValueExW(key.get(), WidenUtf8(name.c_str()).c_str(), nullptr, nullptr,
                                  nullptr, &bytes);
        *size = bytes;
        return static_cast<uint32_t>(result);
    }

    uint32_t ReadSubkeys(const std::string& path, std::vector<std::string>* names) override {
        RegKey key;
        LONG result = Open(path, KEY_ENUMERATE_SUB_KEYS, &key);
        if (result != ERROR_SUCCESS)
            return static_cast<uint32_t>(result);
        names->clear();
        for (DWORD index = 0;; ++index) {
            wchar_t name[256];
            DWORD length = 256;
            result =
                RegEnumKeyExW(key.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr);
            if (result == ERROR_NO_MORE_ITEMS)
                return ERROR_SUCCESS;
            if (result != ERROR_SUCCESS)
                return static_cast<uint32_t>(result);
            names->push_back(NarrowToUtf8(std::wstring(name, length).c_str()));
        }
    }

    uint32_t WriteValue(const std::string& path, const RegistryValue& value) override {
        RegKey key;
        LONG result =
            RegCreateKeyExW(Hive(), FullPath(path).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                            KEY_SET_VALUE | view_, nullptr, key.out(), nullptr);
        if (result != ERROR_SUCCESS)
            return static_cast<uint32_t>(result);
        return static_cast<uint32_t>(
            RegSetValueExW(key.get(), WidenUtf8(value.name.c_str()).c_str(), 0, value.type,
                           reinterpret_cast<const BYTE*>(value.data.data()),
                           static_cast<DWORD>(value.data.size())));
    }

    uint32_t DeleteValue(const std::string& path, const std::string& name) override {
        RegKey key;
        LONG result = Open(path, KEY_SET_VALUE, &key);
        if (result != ERROR_SUCCESS)
            return static_cast<uint32_t>(result);
        return static_cast<uint32_t>(RegDeleteValueW(key.get(), WidenUtf8(name.c_str()).c_str()));
    }

    uint32_t DeleteKey(const std::string& path) override {
        // RegDeleteKeyW takes no view: the key is deleted below its parent opened in the view.
        const size_t cut = path.rfind('\\');
        const std::string parent = cut == std::string::npos ? "" : path.substr(0, cut);
        const std::string leaf = cut == std::string::npos ? path : path.substr(cut + 1);
        RegKey key;
        LONG result = Open(parent, KEY_ENUMERATE_SUB_KEYS, &key);
        if (result != ERROR_SUCCESS)
            return static_cast<uint32_t>(result);
        return static_cast<uint32_t>(RegDeleteKeyW(key.get(), WidenUtf8(leaf.c_str()).c_str()));
    }

private:
    HKEY Hive() const { return remote_ != nullptr ? remote_ : HKEY_LOCAL_MACHINE; }

    std::wstring FullPath(const std::string& path) const {
        return path.empty() ? CONFIG_SUBKEY_W
                            : std::wstring(CONFIG_SUBKEY_W) + L"\\" + WidenUtf8(path.c_str());
    }

    LONG Open(const std::string& path, REGSAM access, RegKey* key) const {
        return RegOpenKeyExW(Hive(), FullPath(path).c_str(), 0, access | view_, key->out());
    }

    HKEY remote_;
    REGSAM view_;
};

} // namespace

std::unique_ptr<ConfigKeyPort> OpenLocalConfigKeyPort(uint32_t* error) {
    *error = ERROR_SUCCESS;
    return std::unique_ptr<ConfigKeyPort>(new Win32ConfigKeyPort(nullptr, 0));
}

std::unique_ptr<ConfigKeyPort> OpenRemoteConfigKeyPort(const std::string& server, RemoteView view,
                                                       uint32_t* error) {
    RegKey hive;
    LONG result = ConnectMachineHive(server, &hive);
    *error = static_cast<uint32_t>(result);
    if (result != ERROR_SUCCESS)
        return nullptr;
    return std::unique_ptr<ConfigKeyPort>(new Win32ConfigKeyPort(hive.release(), ViewFlag(view)));
}
