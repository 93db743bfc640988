// Process, clock and version adapter.
#include <windows.h>

#include "platform/process.h"

void ProcessExit(int code) {
    ExitProcess(static_cast<UINT>(code));
}

void ProcessSleep(uint32_t milliseconds) {
    Sleep(milliseconds);
}

void GetLocalDateTime(LocalDateTime* now) {
    SYSTEMTIME time;
    GetLocalTime(&time);
    now->year = time.wYear;
    now->month = time.wMonth;
    now->day = time.wDay;
    now->dayOfWeek = time.wDayOfWeek;
    now->hour = time.wHour;
    now->minute = time.wMinute;
    now->second = time.wSecond;
}

int GetOsVersion(uint32_t* major, uint32_t* minor) {
    OSVERSIONINFOA info;
    ZeroMemory(&info, sizeof info);
    info.dwOSVersionInfoSize = sizeof info; // the basic 148-byte record
    if (!GetVersionExA(&info))
        return -1;
    *major = info.dwMajorVersion;
    *minor = info.dwMinorVersion;
    return 0;
}
