// Shared pieces of the widget GUI tests: a bare top-level window that hosts one
// control and records what the control tells it, and message-loop helpers that wait
// for something to happen instead of sleeping.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

struct RecordedNotify {
    UINT code;
    int index;
    int group;
    int image;
    std::string text;
};

class TestHost {
public:
    TestHost(int width = 800, int height = 600);
    ~TestHost();
    HWND hwnd() const { return hwnd_; }

    std::vector<UINT> commands;        // WM_COMMAND ids, in order
    std::vector<UINT> commandCodes;    // their notification codes, in the same order
    std::vector<RecordedNotify> notes; // navigation bar notifications, in order
    LRESULT notifyAnswer = 1;          // answer to every navigation bar notification
    int sizeMessages = 0;              // WM_SIZE received
    // Called on WM_SIZE with the client rectangle (the frame's layout).
    std::function<void(RECT)> onSize;

private:
    static LRESULT CALLBACK Proc(HWND, UINT, WPARAM, LPARAM);
    HWND hwnd_ = nullptr;
};

// Dispatches messages until `done` holds or `timeoutMs` has passed; returns `done()`.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 5000);
// Dispatches whatever is queued now.
void PumpPending();

// Posts key presses (WM_KEYDOWN/WM_KEYUP of each virtual key, in order) to `target`
// shortly after a modal loop (a popup menu) has started, driving it from inside.
void PostKeysSoon(HWND target, std::vector<UINT> keys, UINT delayMs = 150);

// Sends a left click (button down and up) at client point `pt` of `hwnd`.
void ClickAt(HWND hwnd, POINT pt);
POINT CenterOf(const RECT& r);

// Screen rectangle of a window.
RECT ScreenRect(HWND hwnd);
