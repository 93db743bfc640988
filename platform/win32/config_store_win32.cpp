#include <windows.h>

#include <new>
#include <string>

#include "platform/config_store.h"
#include "platform/win32/files_win32.h"

namespace {

const char CONFIG_SUBKEY[] = "Software\\Marrowby\\Gatewell";

HKEY ToHkey(StoreKey* key) {
    return reinterpret_cast<HKEY>(key);
}

LONG g_lastError = ERROR_SUCCESS;

// Notes a failing status; true when `status` is success.
bool Succeeded(LONG status) {
    if (status != ERROR_SUCCESS)
        g_lastError = status;
    return status == ERROR_SUCCESS;
}

} // namespace

StoreKey* StoreOpenConfigKey() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, CONFIG_SUBKEY, 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS)
        return reinterpret_cast<StoreKey*>(key);
    DWORD disposition = 0;
    if (Succeeded(RegCreateKeyExA(HKEY_LOCAL_MACHINE, CONFIG_SUBKEY, 0, nullptr,
                                  REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key,
                                  &disposition)))
        return reinterpret_cast<StoreKey*>(key);
    return nullptr;
}

uint32_t StoreLastError() {
    return static_cast<uint32_t>(g_lastError);
}

void StoreCloseKey(StoreKey* key) {
    if (key != nullptr)
        RegCloseKey(ToHkey(key));
}

int StoreQueryValueSize(StoreKey* key, const char* name, uint32_t* size) {
    DWORD bytes = 0;
    if (RegQueryValueExA(ToHkey(key), name, nullptr, nullptr, nullptr, &bytes) != ERROR_SUCCESS)
        return -1;
    *size = bytes;
    return 0;
}

int StoreReadValue(StoreKey* key, const char* name, void* buffer, uint32_t* size) {
    DWORD bytes = *size;
    if (RegQueryValueExA(ToHkey(key), name, nullptr, nullptr, static_cast<BYTE*>(buffer), &bytes) !=
        ERROR_SUCCESS)
        return -1;
    *size = bytes;
    return 0;
}

int StoreWriteBinary(StoreKey* key, const char* name, const void* data, uint32_t size) {
    return Succeeded(RegSetValueExA(ToHkey(key), name, 0, REG_BINARY,
                                    static_cast<const BYTE*>(data), size))
               ? 0
               : -1;
}

int StoreWriteDword(StoreKey* key, const char* name, uint32_t value) {
    DWORD dword = value;
    return Succeeded(RegSetValueExA(ToHkey(key), name, 0, REG_DWORD,
                                    reinterpret_cast<const BYTE*>(&dword), sizeof(dword)))
               ? 0
               : -1;
}

StoreFileResult StoreReadWholeFile(const char* path, std::vector<uint8_t>* data) {
    FileHandle file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid())
        return STORE_FILE_OPEN_FAILED;
    DWORD high = 0;
    DWORD low = GetFileSize(file.get(), &high);
    if ((low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) || high != 0)
        return STORE_FILE_IO_FAILED;
    try {
        data->assign(low, 0);
    } catch (const std::bad_alloc&) {
        return STORE_FILE_IO_FAILED;
    }
    DWORD read = 0;
    if (low > 0 && (!ReadFile(file.get(), data->data(), low, &read, nullptr) || read != low))
        return STORE_FILE_IO_FAILED;
    return STORE_FILE_OK;
}

StoreFileResult StoreWriteWholeFile(const char* path, const void* data, size_t size) {
    // The new file takes the old one's place only once it is complete: a save that
    // fails part-way (a full disk) leaves the previous file as it was.
    int length = MultiByteToWideChar(CP_ACP, 0, path, -1, nullptr, 0);
    if (length <= 0)
        return STORE_FILE_OPEN_FAILED;
    std::wstring widePath(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, path, -1, &widePath[0], length);
    widePath.resize(static_cast<size_t>(length) - 1);
    const char* step = nullptr;
    if (ReplaceWholeFile(widePath, data, size, &step) == ERROR_SUCCESS)
        return STORE_FILE_OK;
    return step != nullptr && step[0] == 'c' ? STORE_FILE_OPEN_FAILED : STORE_FILE_IO_FAILED;
}

void StoreSleep(uint32_t milliseconds) {
    Sleep(milliseconds);
}
