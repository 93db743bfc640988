#include "console/pages/ip_address_text.h"

#include <commctrl.h>

#include <cstdio>
#include <cstring>

bool IsNoIpAddress(const char* text) {
    return text == nullptr || text[0] == '\0' || strcmp(text, "0.0.0.0") == 0;
}

bool ParseDottedIp(const char* text, unsigned char fields[4]) {
    if (text == nullptr)
        return false;
    const char* p = text;
    while (*p == ' ')
        ++p;
    for (int i = 0; i < 4; ++i) {
        if (i > 0) {
            if (*p != '.')
                return false;
            ++p;
        }
        if (*p < '0' || *p > '9')
            return false;
        int value = 0;
        int digits = 0;
        while (*p >= '0' && *p <= '9') {
            value = value * 10 + (*p - '0');
            if (++digits > 3 || value > 255)
                return false;
            ++p;
        }
        fields[i] = static_cast<unsigned char>(value);
    }
    while (*p == ' ')
        ++p;
    return *p == '\0';
}

void ReadIpAddressControl(HWND control, char* out, size_t size) {
    if (out == nullptr || size == 0)
        return;
    DWORD address = 0;
    SendMessageA(control, IPM_GETADDRESS, 0, reinterpret_cast<LPARAM>(&address));
    snprintf(out, size, "%d.%d.%d.%d", static_cast<int>(FIRST_IPADDRESS(address)),
             static_cast<int>(SECOND_IPADDRESS(address)),
             static_cast<int>(THIRD_IPADDRESS(address)),
             static_cast<int>(FOURTH_IPADDRESS(address)));
}

void WriteIpAddressControl(HWND control, const char* text) {
    unsigned char f[4];
    if (IsNoIpAddress(text) || !ParseDottedIp(text, f)) {
        SendMessageA(control, IPM_CLEARADDRESS, 0, 0);
        return;
    }
    SendMessageA(control, IPM_SETADDRESS, 0, MAKEIPADDRESS(f[0], f[1], f[2], f[3]));
}
