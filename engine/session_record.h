// The session event record: the fixed 1128-byte description of a session that is
// sent to the local monitoring service and feeds the logon log line. Texts are
// single-byte, NUL-terminated and zero-padded to their width; integers
// little-endian. A fact that cannot be read leaves its field zero.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/network.h"

struct SessionEventRecord {
    uint32_t sessionId;
    uint32_t connectState; // 4: disconnected
    char winStationName[64];
    char clientName[64];
    char clientAddress[64]; // "%d.%d.%d.%d"
    char clientMac[64];     // "XX-XX-XX-XX-XX-XX", empty when ARP failed
    char applicationName[64];
    uint32_t clientBuildNumber;
    char clientDirectory[260];
    uint32_t clientHardwareId;
    uint16_t clientProductId;
    uint16_t clientProtocolType;
    char domainName[64];
    char initialProgram[64];
    char oemId[64];
    char userName[64];
    char workingDirectory[260];
    uint32_t displayWidth;
    uint32_t displayHeight;
    uint32_t displayColorDepth;
};

// The wire form is the record itself, so its layout is fixed here.
static_assert(sizeof(SessionEventRecord) == 1128, "the record is 1128 bytes");
static_assert(offsetof(SessionEventRecord, clientName) == 72, "layout");
static_assert(offsetof(SessionEventRecord, clientAddress) == 136, "layout");
static_assert(offsetof(SessionEventRecord, clientMac) == 200, "layout");
static_assert(offsetof(SessionEventRecord, applicationName) == 264, "layout");
static_assert(offsetof(SessionEventRecord, clientBuildNumber) == 328, "layout");
static_assert(offsetof(SessionEventRecord, clientDirectory) == 332, "layout");
static_assert(offsetof(SessionEventRecord, clientHardwareId) == 592, "layout");
static_assert(offsetof(SessionEventRecord, clientProductId) == 596, "layout");
static_assert(offsetof(SessionEventRecord, clientProtocolType) == 598, "layout");
static_assert(offsetof(SessionEventRecord, domainName) == 600, "layout");
static_assert(offsetof(SessionEventRecord, userName) == 792, "layout");
static_assert(offsetof(SessionEventRecord, workingDirectory) == 856, "layout");
static_assert(offsetof(SessionEventRecord, displayWidth) == 1116, "layout");
static_assert(offsetof(SessionEventRecord, displayColorDepth) == 1124, "layout");

constexpr uint16_t MONITOR_PORT = 555;
constexpr const char* MONITOR_HOST = "127.0.0.1";

// Fills `record` for the session `sessionId`, or for the calling process's session
// when it is 0xFFFFFFFF. Failed queries leave their fields zero. Returns 0.
int BuildSessionRecord(uint32_t sessionId, SessionEventRecord* record);

// A connected IPv4 datagram socket to host:port: 0 with *socket open, or -1 with
// nothing left open.
int OpenMonitorSocket(const char* host, uint16_t port, NetSocket* socket,
                      Ipv4SocketAddress* address);

// One sendto of `length` bytes: 0 when all were sent, else -1.
int SendSessionRecord(const void* record, size_t length, NetSocket socket,
                      const Ipv4SocketAddress* address);

// Opens, sends the whole record and closes; any failure is ignored.
void SendRecordToMonitor(const SessionEventRecord* record);
