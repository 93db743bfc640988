// The platform's open and save file dialogs behind one function, so a test can answer
// them as it answers message boxes and modal dialogs.
#pragma once

#include <windows.h>

#include <cstddef>

struct FileDialogOptions {
    bool save;               // save dialog (else open)
    const char* filter;      // "Label (*.x)|*.x|" form, '|' separated
    const char* initialName; // shown in the name field
    const char* defaultExt;  // added when the user types none
    DWORD flags;             // OFN_* options
};

// Shows the dialog; on confirmation copies the chosen full path into `path` (at most
// size - 1 characters, NUL-terminated) and returns true.
bool ChooseFile(HWND owner, const FileDialogOptions& options, char* path, size_t size);

// Tests answer file dialogs with this (null restores the real dialogs); returns the
// previous one.
using FileDialogHook = bool (*)(const FileDialogOptions& options, char* path, size_t size);
FileDialogHook SetFileDialogHook(FileDialogHook hook);
