#include "console/shell/help_file.h"

#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>

bool BuildHelpFilePath(const char* modulePath, char* out, size_t size) {
    if (modulePath == nullptr || out == nullptr || size == 0)
        return false;
    char drive[_MAX_DRIVE] = {};
    char directory[_MAX_DIR] = {};
    char name[_MAX_FNAME] = {};
    char extension[_MAX_EXT] = {};
    if (_splitpath_s(modulePath, drive, sizeof(drive), directory, sizeof(directory), name,
                     sizeof(name), extension, sizeof(extension)) != 0) {
        out[0] = '\0';
        return false;
    }
    int written = snprintf(out, size, "%s%s\\QUILLON.chm", drive, directory);
    if (written < 0 || static_cast<size_t>(written) >= size) {
        out[0] = '\0';
        return false;
    }
    return true;
}

void OpenHelpFile(void* ownerWindow) {
    char modulePath[MAX_PATH + 1] = {};
    DWORD length = GetModuleFileNameA(nullptr, modulePath, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return;
    char helpPath[MAX_PATH + 32];
    if (!BuildHelpFilePath(modulePath, helpPath, sizeof(helpPath)))
        return;
    ShellExecuteA(static_cast<HWND>(ownerWindow), "open", helpPath, nullptr, nullptr,
                  SW_SHOWNORMAL);
}
