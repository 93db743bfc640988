// Registry helpers shared by the adapters that reach the configuration's key of this
// computer or of another through its Remote Registry service.
#pragma once

#include <windows.h>

#include <string>

#include "platform/remote_config.h"

// The configuration's key below HKLM.
constexpr wchar_t CONFIG_SUBKEY_W[] = L"Software\\Marrowby\\Gatewell";

// Owns an open registry key (a remote hive or a key below one).
class RegKey {
public:
    RegKey() = default;
    ~RegKey() {
        if (key_ != nullptr)
            RegCloseKey(key_);
    }
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;
    HKEY get() const { return key_; }
    HKEY* out() { return &key_; }
    // Hands the key over to the caller, who closes it.
    HKEY release() {
        HKEY key = key_;
        key_ = nullptr;
        return key;
    }

private:
    HKEY key_ = nullptr;
};

// KEY_WOW64_32KEY or KEY_WOW64_64KEY for the view.
inline REGSAM ViewFlag(RemoteView view) {
    return view == RemoteView::VIEW_32 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
}

// HKLM of \\server (`server` in UTF-8, without backslashes): RegConnectRegistryW's result.
LONG ConnectMachineHive(const std::string& server, RegKey* hive);
