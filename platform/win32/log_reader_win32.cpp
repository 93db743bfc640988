// Block reads of the logon log on Windows: one open shared for reading and writing, one
// seek, one read, one close per block.
#include <windows.h>

#include "platform/log_reader.h"
#include "platform/win32/files_win32.h"
#include "platform/win32/text_win32.h"

LogReadResult LogReadBlock(const std::string& path, uint64_t offset, char* buffer, size_t size,
                           size_t* got, std::string* error) {
    *got = 0;
    FileHandle file(CreateFileW(WidenUtf8(path.c_str()).c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
        DWORD code = GetLastError();
        if (code == ERROR_SHARING_VIOLATION || code == ERROR_LOCK_VIOLATION)
            return LOG_READ_BUSY;
        bool missing = code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND;
        if (error != nullptr)
            *error = "cannot open '" + path + "': " +
                     (missing                       ? std::string("no such file or folder")
                      : code == ERROR_ACCESS_DENIED ? std::string("access denied")
                                                    : "Windows error " + std::to_string(code));
        return missing ? LOG_READ_MISSING : LOG_READ_FAILED;
    }
    LARGE_INTEGER position;
    position.QuadPart = static_cast<LONGLONG>(offset);
    DWORD wanted = size > 0x40000000u ? 0x40000000u : static_cast<DWORD>(size);
    DWORD read = 0;
    if (!SetFilePointerEx(file.get(), position, nullptr, FILE_BEGIN) ||
        !ReadFile(file.get(), buffer, wanted, &read, nullptr)) {
        if (error != nullptr)
            *error = "cannot read '" + path + "': Windows error " + std::to_string(GetLastError());
        return LOG_READ_FAILED;
    }
    *got = read;
    return LOG_READ_OK;
}

void LogReadPause(uint32_t milliseconds) {
    Sleep(milliseconds);
}

bool LogFileIdentity(const std::string& path, std::string* identity) {
    // No access asked: only the file's attributes are read, whoever holds it.
    FileHandle file(CreateFileW(WidenUtf8(path.c_str()).c_str(), 0,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    BY_HANDLE_FILE_INFORMATION info;
    if (!file.valid() || !GetFileInformationByHandle(file.get(), &info))
        return false;
    *identity = std::to_string(info.dwVolumeSerialNumber) + ":" +
                std::to_string(info.nFileIndexHigh) + ":" + std::to_string(info.nFileIndexLow);
    return true;
}
