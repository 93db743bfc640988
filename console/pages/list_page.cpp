#include "console/pages/list_page.h"

const char* ModeText(int32_t type) {
    return type != 0 ? "Logon enabled" : "Logon disabled";
}

void BindCountArrows(HWND arrows, HWND field) {
    char shown[64] = {};
    GetWindowTextA(field, shown, sizeof(shown));
    SendMessageA(arrows, UDM_SETRANGE32, SESSION_COUNT_MIN, SESSION_COUNT_MAX);
    SendMessageA(arrows, UDM_SETPOS32, 0, SESSION_COUNT_MIN);
    SendMessageA(arrows, UDM_SETBUDDY, reinterpret_cast<WPARAM>(field), 0);
    // Binding may write the arrows' position into the field: put the count back.
    SetWindowTextA(field, shown);
}
