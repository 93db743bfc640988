// Logon log file adapter: one exclusive open, append and close.
#include <windows.h>

#include "platform/log_file.h"

LogFileHandle LogFileOpenForAppend(const char* path) {
    HANDLE file = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return LOG_FILE_INVALID;
    return reinterpret_cast<LogFileHandle>(file);
}

int LogFileWrite(LogFileHandle file, const void* data, size_t length) {
    HANDLE handle = reinterpret_cast<HANDLE>(file);
    // The 64-bit move: a log past 4 GiB must not be written over from its start.
    LARGE_INTEGER none = {};
    if (length > MAXDWORD || !SetFilePointerEx(handle, none, nullptr, FILE_END))
        return -1;
    DWORD written = 0;
    if (!WriteFile(handle, data, static_cast<DWORD>(length), &written, nullptr))
        return -1;
    return written == length ? 0 : -1;
}

void LogFileClose(LogFileHandle file) {
    CloseHandle(reinterpret_cast<HANDLE>(file));
}
