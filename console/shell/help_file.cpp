#include "console/shell/help_file.h"

#include <windows.h>
#include <shellapi.h>

#include <climits>
#include <cstdio>
#include <cstring>

bool BuildHelpFilePath(const char* modulePath, char* out, size_t size) {
    if (modulePath == nullptr || out == nullptr || size == 0)
        return false;
    // The drive and directory of the module path, as _splitpath gives them: all up
    // to the last separator, or the drive alone ("D:quillon.exe"). Done by hand
    // because _splitpath has no bound and _splitpath_s is missing from the msvcrt.dll
    // of Windows XP and Server 2003.
    size_t length = strlen(modulePath);
    size_t folderLength = 0;
    for (size_t i = length; i > 0; --i) {
        if (modulePath[i - 1] == '\\' || modulePath[i - 1] == '/') {
            folderLength = i;
            break;
        }
    }
    if (folderLength == 0 && length >= 2 && modulePath[1] == ':')
        folderLength = 2;
    if (folderLength > INT_MAX) {
        out[0] = '\0';
        return false;
    }
    int written =
        snprintf(out, size, "%.*s\\QUILLON.chm", static_cast<int>(folderLength), modulePath);
    if (written < 0 || static_cast<size_t>(written) >= size) {
        out[0] = '\0';
        return false;
    }
    return true;
}

bool BuildHelpTopicArgument(const char* helpPath, const char* topic, char* out, size_t size) {
    if (helpPath == nullptr || topic == nullptr || out == nullptr || size == 0)
        return false;
    int written = snprintf(out, size, "\"%s::/%s\"", helpPath, topic);
    if (written < 0 || static_cast<size_t>(written) >= size) {
        out[0] = '\0';
        return false;
    }
    return true;
}

namespace {

ShellOpenHook shellOpenHook = nullptr;

void ShellOpen(HWND owner, const char* file, const char* parameters) {
    if (shellOpenHook != nullptr) {
        shellOpenHook(file, parameters);
        return;
    }
    ShellExecuteA(owner, "open", file, parameters, nullptr, SW_SHOWNORMAL);
}

// QUILLON.chm beside the running program; false when the path does not fit.
bool HelpFilePath(char* path, size_t size) {
    char modulePath[MAX_PATH + 1] = {};
    DWORD length = GetModuleFileNameA(nullptr, modulePath, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return false;
    return BuildHelpFilePath(modulePath, path, size);
}

} // namespace

ShellOpenHook SetShellOpenHook(ShellOpenHook hook) {
    ShellOpenHook previous = shellOpenHook;
    shellOpenHook = hook;
    return previous;
}

void OpenHelpFile(void* ownerWindow) {
    char helpPath[MAX_PATH + 32];
    if (HelpFilePath(helpPath, sizeof(helpPath)))
        ShellOpen(static_cast<HWND>(ownerWindow), helpPath, nullptr);
}

void OpenHelpTopic(void* ownerWindow, const char* topic) {
    char helpPath[MAX_PATH + 32];
    if (!HelpFilePath(helpPath, sizeof(helpPath)))
        return;
    // Nothing to open: no viewer is started to say so.
    if (GetFileAttributesA(helpPath) == INVALID_FILE_ATTRIBUTES)
        return;
    char argument[MAX_PATH + 96];
    if (topic != nullptr && BuildHelpTopicArgument(helpPath, topic, argument, sizeof(argument))) {
        // The viewer of compiled help opens a page of the file named after "::/".
        ShellOpen(static_cast<HWND>(ownerWindow), "hh.exe", argument);
        return;
    }
    ShellOpen(static_cast<HWND>(ownerWindow), helpPath, nullptr);
}
