// Small helpers shared by the toolkit's controls: the module the resources come from,
// UTF-8 text in and out of Win32, command prompts from the string table, and the
// owned-window base every control builds on.
#pragma once

#include <windows.h>

#include <string>

// String-table entry `id` of `module` as UTF-8; empty when there is none.
std::string LoadResourceString(HINSTANCE module, UINT id);

// The status-bar prompt of a command: the string-table text up to its first line
// break ("prompt\ntip" as is customary). Empty when the command has no string.
std::string CommandPrompt(HINSTANCE module, UINT id);
// The tooltip of a command: the text after the first line break, or the whole
// string when it has none.
std::string CommandTip(HINSTANCE module, UINT id);

// Text of a window as UTF-8.
std::string GetWindowTextUtf8(HWND hwnd);

// Owns one window: destroys it with the object. Not copyable; movable.
class OwnedWindow {
public:
    OwnedWindow() = default;
    ~OwnedWindow() { Destroy(); }
    OwnedWindow(const OwnedWindow&) = delete;
    OwnedWindow& operator=(const OwnedWindow&) = delete;

    HWND hwnd() const { return hwnd_; }
    bool IsCreated() const { return hwnd_ != nullptr && IsWindow(hwnd_); }
    // Destroys the window when there is one (safe to call repeatedly).
    void Destroy();

protected:
    // Set by the control's window procedure on creation, cleared on WM_NCDESTROY,
    // so a window destroyed by its parent never leaves a dangling handle here.
    HWND hwnd_ = nullptr;
};
