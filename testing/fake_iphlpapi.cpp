// Stand-in for iphlpapi.dll under Wine, whose SendARP is not supported. SendARP
// answers from the scenario's ARP table and records "arp 10.0.0.5 ok|fail".
//
// Wine's own netapi32.dll (and wsock32.dll and others) import functions of this
// library by name; once this stand-in replaces it in a process those imports must
// still resolve, or loading them fails. They are exported here as stubs that report
// "not supported", with their real argument sizes so 32-bit stdcall callers keep a
// balanced stack.
#include "testing/scenario.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

HMODULE g_module = nullptr;

} // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH)
        g_module = instance;
    return TRUE;
}

// destination and source are IPv4 addresses in network byte order.
__declspec(dllexport) DWORD WINAPI SendARP(ULONG destination, ULONG, PVOID mac, PULONG length) {
    const Scenario& scenario = CurrentScenario(g_module);
    const uint8_t* b = reinterpret_cast<const uint8_t*>(&destination);
    uint32_t address =
        (uint32_t(b[0]) << 24) | (uint32_t(b[1]) << 16) | (uint32_t(b[2]) << 8) | uint32_t(b[3]);
    char text[32];
    std::snprintf(text, sizeof text, "%u.%u.%u.%u", b[0], b[1], b[2], b[3]);

    DWORD result = ERROR_BAD_NET_NAME; // what an unanswered request reports
    if (!mac || !length) {
        result = ERROR_INVALID_PARAMETER;
    } else {
        for (const ScenarioArpEntry& e : scenario.arp) {
            if (e.address != address)
                continue;
            if (*length < 6) {
                result = ERROR_BUFFER_OVERFLOW;
            } else {
                std::memcpy(mac, e.mac, 6);
                *length = 6;
                result = NO_ERROR;
            }
            break;
        }
    }
    RecordCall(scenario, std::string("arp ") + text + (result == NO_ERROR ? " ok" : " fail"));
    return result;
}

__declspec(dllexport) DWORD WINAPI GetIfEntry(PVOID) {
    return ERROR_NOT_SUPPORTED;
}
__declspec(dllexport) DWORD WINAPI GetIfTable(PVOID, PULONG, BOOL) {
    return ERROR_NOT_SUPPORTED;
}
__declspec(dllexport) DWORD WINAPI GetIpAddrTable(PVOID, PULONG, BOOL) {
    return ERROR_NOT_SUPPORTED;
}
__declspec(dllexport) DWORD WINAPI GetIpForwardTable(PVOID, PULONG, BOOL) {
    return ERROR_NOT_SUPPORTED;
}
__declspec(dllexport) DWORD WINAPI GetIpNetTable(PVOID, PULONG, BOOL) {
    return ERROR_NOT_SUPPORTED;
}
__declspec(dllexport) DWORD WINAPI GetTcpTable(PVOID, PULONG, BOOL) {
    return ERROR_NOT_SUPPORTED;
}
__declspec(dllexport) DWORD WINAPI GetIpStatistics(PVOID) {
    return ERROR_NOT_SUPPORTED;
}
__declspec(dllexport) DWORD WINAPI GetTcpStatistics(PVOID) {
    return ERROR_NOT_SUPPORTED;
}
__declspec(dllexport) DWORD WINAPI GetUdpStatistics(PVOID) {
    return ERROR_NOT_SUPPORTED;
}
__declspec(dllexport) DWORD WINAPI GetNumberOfInterfaces(PDWORD count) {
    if (count)
        *count = 0;
    return ERROR_NOT_SUPPORTED;
}
__declspec(dllexport) ULONG WINAPI GetAdaptersAddresses(ULONG, ULONG, PVOID, PVOID, PULONG) {
    return ERROR_NOT_SUPPORTED;
}
__declspec(dllexport) DWORD WINAPI GetBestInterface(ULONG, PDWORD) {
    return ERROR_NOT_SUPPORTED;
}
__declspec(dllexport) DWORD WINAPI ConvertInterfaceIndexToLuid(ULONG, PVOID) {
    return ERROR_NOT_SUPPORTED;
}
__declspec(dllexport) DWORD WINAPI ConvertInterfaceLuidToGuid(const void*, PVOID) {
    return ERROR_NOT_SUPPORTED;
}
__declspec(dllexport) DWORD WINAPI ConvertLengthToIpv4Mask(ULONG, PULONG) {
    return ERROR_NOT_SUPPORTED;
}

} // extern "C"
