// The self-closing box: a thread timer posts a quit message, which ends the box's
// modal loop; the quit message is then taken off the queue again.
#include <windows.h>

#include "platform/timed_message_box.h"

namespace {
void CALLBACK PostQuitOnTimer(HWND, UINT, UINT_PTR, DWORD) {
    PostQuitMessage(0);
}
} // namespace

int ShowTimedMessage(void* owner, const char* text, const char* caption, uint32_t style,
                     uint32_t timeoutMs) {
    UINT_PTR timer = SetTimer(nullptr, 0, timeoutMs, PostQuitOnTimer);
    int answer = MessageBoxA(static_cast<HWND>(owner), text, caption, style);
    KillTimer(nullptr, timer);
    MSG message;
    if (PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE))
        return 0;
    return answer;
}
