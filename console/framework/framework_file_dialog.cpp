#include "console/framework/framework_file_dialog.h"

#include <commdlg.h>

#include <string>

namespace {
FileDialogHook g_fileDialogHook = nullptr;
} // namespace

FileDialogHook SetFileDialogHook(FileDialogHook hook) {
    FileDialogHook previous = g_fileDialogHook;
    g_fileDialogHook = hook;
    return previous;
}

bool ChooseFile(HWND owner, const FileDialogOptions& options, char* path, size_t size) {
    if (path == nullptr || size == 0)
        return false;
    path[0] = '\0';
    if (g_fileDialogHook != nullptr) {
        bool chosen = g_fileDialogHook(options, path, size);
        path[size - 1] = '\0';
        return chosen;
    }
    // The dialog wants NUL separators and a double NUL at the end of the filter.
    std::string filter = options.filter != nullptr ? options.filter : "";
    for (char& c : filter)
        if (c == '|')
            c = '\0';
    filter.push_back('\0');
    filter.push_back('\0');

    char name[MAX_PATH] = {};
    if (options.initialName != nullptr)
        lstrcpynA(name, options.initialName, MAX_PATH);

    OPENFILENAMEA ofn = {};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter.c_str();
    ofn.lpstrFile = name;
    ofn.nMaxFile = MAX_PATH;
    ofn.lpstrDefExt = options.defaultExt;
    ofn.Flags = options.flags | OFN_EXPLORER;
    BOOL chosen = options.save ? GetSaveFileNameA(&ofn) : GetOpenFileNameA(&ofn);
    if (!chosen)
        return false;
    lstrcpynA(path, name, size > 0x7fffffff ? 0x7fffffff : static_cast<int>(size));
    return true;
}
