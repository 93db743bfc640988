#include <windows.h>

#include "platform/message_box.h"
#include "platform/message_box_adapter.h"
#include "platform/win32/text_win32.h"

// The wide box: the texts are UTF-8, so they read the same on every ANSI code page.
int PlatformShowMessageBox(const char* text, const char* caption, uint32_t style) {
    std::wstring wideText = WidenUtf8(text);
    std::wstring wideCaption = WidenUtf8(caption);
    HWND owner = GetActiveWindow();
    return MessageBoxW(owner, wideText.c_str(), wideCaption.empty() ? nullptr : wideCaption.c_str(),
                       style | MB_SETFOREGROUND);
}
