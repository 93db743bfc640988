// The calling process and the machine: ending the process, waiting, the local
// clock and the operating system's version.
#pragma once

#include <cstdint>

// ExitProcess(code). Nothing after it runs in the product.
void ProcessExit(int code);

// Sleep(milliseconds).
void ProcessSleep(uint32_t milliseconds);

struct LocalDateTime {
    int year;      // e.g. 2026
    int month;     // 1..12
    int day;       // 1..31
    int dayOfWeek; // 0 = Sunday .. 6 = Saturday
    int hour;
    int minute;
    int second;
};

// The local date and time of now (GetLocalTime).
void GetLocalDateTime(LocalDateTime* now);

// GetVersionExA with the basic 148-byte record: 0 with the major and minor version,
// or -1.
int GetOsVersion(uint32_t* major, uint32_t* minor);
