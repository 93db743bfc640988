// Windows Sockets and ARP for the filter library: start-up, one UDP datagram to a
// local service, and the MAC address of a client.
#pragma once

#include <cstddef>
#include <cstdint>

// The 16 bytes of an IPv4 socket address (sockaddr_in), filled by portable code.
struct Ipv4SocketAddress {
    uint16_t family;    // 2, AF_INET
    uint8_t port[2];    // network byte order
    uint8_t address[4]; // network byte order, as inet_addr gives it
    uint8_t zero[8];
};
static_assert(sizeof(Ipv4SocketAddress) == 16, "sockaddr_in is 16 bytes");

constexpr uint16_t NET_FAMILY_IPV4 = 2;

// WSAStartup asking for major.minor: 0 with the granted version, or -1.
int NetStartup(uint8_t major, uint8_t minor, uint8_t* grantedMajor, uint8_t* grantedMinor);
// WSACleanup: undoes one NetStartup.
void NetCleanup();

// inet_addr: the address in network byte order as a 32-bit value (the bytes in
// memory are the octets in order), 0xFFFFFFFF for text it cannot read.
uint32_t NetInetAddr(const char* text);

using NetSocket = intptr_t;
constexpr NetSocket NET_INVALID_SOCKET = -1;

// socket(AF_INET, SOCK_DGRAM, 0): the socket or NET_INVALID_SOCKET.
NetSocket NetOpenDatagramSocket();
// connect: 0 or -1.
int NetConnect(NetSocket socket, const Ipv4SocketAddress* address);
// sendto with flags 0: the number of bytes sent, or -1 (the last socket error is
// read and discarded).
long NetSendTo(NetSocket socket, const void* data, size_t length, const Ipv4SocketAddress* address);
// closesocket.
void NetCloseSocket(NetSocket socket);

// "SendARP" looked up in "iphlpapi.dll" (every call) and called for the destination
// (network byte order, source 0) with a 6-byte buffer: 0 with the MAC in mac[0..5],
// else non-zero (the library or the function is missing, or ARP failed).
int NetSendArp(uint32_t destination, uint8_t mac[6]);
