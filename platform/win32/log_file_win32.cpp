// Logon log file adapter: one exclusive open, append and close.
#include <windows.h>

#include "platform/log_file.h"

LogFileHandle LogFileOpenForAppend(const char* path) {
    HANDLE file = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return LOG_FILE_INVALID;
    SetFilePointer(file, 0, nullptr, FILE_END);
    return reinterpret_cast<LogFileHandle>(file);
}

int LogFileWrite(LogFileHandle file, const void* data, size_t length) {
    DWORD written = 0;
    if (!WriteFile(reinterpret_cast<HANDLE>(file), data, static_cast<DWORD>(length), &written,
                   nullptr))
        return -1;
    return written == length ? 0 : -1;
}

void LogFileClose(LogFileHandle file) {
    CloseHandle(reinterpret_cast<HANDLE>(file));
}
