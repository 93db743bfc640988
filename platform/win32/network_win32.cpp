// Windows Sockets and ARP adapter.
#include <winsock2.h>
#include <windows.h>

#include <cstring>

#include "platform/network.h"

int NetStartup(uint8_t major, uint8_t minor, uint8_t* grantedMajor, uint8_t* grantedMinor) {
    WSADATA data;
    if (WSAStartup(MAKEWORD(major, minor), &data) != 0)
        return -1;
    *grantedMajor = LOBYTE(data.wVersion);
    *grantedMinor = HIBYTE(data.wVersion);
    return 0;
}

void NetCleanup() {
    WSACleanup();
}

uint32_t NetInetAddr(const char* text) {
    return static_cast<uint32_t>(inet_addr(text));
}

NetSocket NetOpenDatagramSocket() {
    SOCKET s = socket(AF_INET, SOCK_DGRAM, 0);
    return s == INVALID_SOCKET ? NET_INVALID_SOCKET : static_cast<NetSocket>(s);
}

namespace {
sockaddr_in ToSockaddr(const Ipv4SocketAddress* address) {
    sockaddr_in result;
    static_assert(sizeof result == sizeof *address, "same 16-byte layout");
    memcpy(&result, address, sizeof result);
    return result;
}
} // namespace

int NetConnect(NetSocket socket, const Ipv4SocketAddress* address) {
    sockaddr_in target = ToSockaddr(address);
    return connect(static_cast<SOCKET>(socket), reinterpret_cast<const sockaddr*>(&target),
                   sizeof target) == 0
               ? 0
               : -1;
}

long NetSendTo(NetSocket socket, const void* data, size_t length,
               const Ipv4SocketAddress* address) {
    sockaddr_in target = ToSockaddr(address);
    int sent = sendto(static_cast<SOCKET>(socket), static_cast<const char*>(data),
                      static_cast<int>(length), 0, reinterpret_cast<const sockaddr*>(&target),
                      sizeof target);
    if (sent == SOCKET_ERROR) {
        WSAGetLastError(); // read and discarded
        return -1;
    }
    return sent;
}

void NetCloseSocket(NetSocket socket) {
    closesocket(static_cast<SOCKET>(socket));
}

namespace {
using SendArpFn = DWORD(WINAPI*)(ULONG destination, ULONG source, PVOID mac, PULONG length);
// The entry point most recently found; looked up again on every call.
SendArpFn g_sendArp = nullptr;
} // namespace

int NetSendArp(uint32_t destination, uint8_t mac[6]) {
    HMODULE library = LoadLibraryA("iphlpapi.dll");
    if (library == nullptr)
        return -1;
    g_sendArp = reinterpret_cast<SendArpFn>(
        reinterpret_cast<void (*)()>(GetProcAddress(library, "SendARP")));
    if (g_sendArp == nullptr)
        return -1;
    ULONG buffer[2] = {0, 0};
    ULONG length = 6;
    if (g_sendArp(destination, 0, buffer, &length) != 0)
        return -1;
    memcpy(mac, buffer, 6);
    return 0;
}
