#include "engine/session_record.h"

#include <cstring>
#include <string>

#include "engine/session_facts.h"
#include "engine/text_compare.h"
#include "platform/terminal_services.h"

namespace {

// One query into a text field; a failed query leaves the field as it is (zero).
void QueryTextInto(uint32_t sessionId, int infoClass, char* field, size_t size) {
    std::string answer;
    if (TsQuerySession(sessionId, infoClass, &answer) == 0)
        CopyToZeroedField(field, size, answer.data(), answer.size());
}

// One query into an integer field of `width` bytes; too short an answer counts as
// a failed query.
void QueryValueInto(uint32_t sessionId, int infoClass, void* field, size_t width) {
    std::string answer;
    if (TsQuerySession(sessionId, infoClass, &answer) == 0 && answer.size() >= width)
        memcpy(field, answer.data(), width);
}

} // namespace

int BuildSessionRecord(uint32_t sessionId, SessionEventRecord* record) {
    SessionEventRecord work;
    memset(&work, 0, sizeof work);
    if (sessionId == TS_CURRENT_SESSION) {
        int32_t own = -1;
        GetSessionId(&own);
        work.sessionId = static_cast<uint32_t>(own);
    } else {
        work.sessionId = sessionId;
    }
    const uint32_t id = work.sessionId;

    GetClientName(nullptr, id, work.clientName, sizeof work.clientName);
    uint32_t address = 0;
    GetClientIPAddress(nullptr, id, &address); // 0.0.0.0 when it fails
    FormatClientAddress(address, work.clientAddress, sizeof work.clientAddress);
    try {
        ReadRemoteMac(work.clientAddress, 0, nullptr, work.clientMac);
    } catch (...) {
        // The MAC stays empty; the rest of the record is still sent.
    }
    QueryTextInto(id, TS_APPLICATION_NAME, work.applicationName, sizeof work.applicationName);
    uint32_t build = 0;
    if (GetClientBuildNumber(nullptr, id, &build) == 0)
        work.clientBuildNumber = build;
    QueryTextInto(id, TS_CLIENT_DIRECTORY, work.clientDirectory, sizeof work.clientDirectory);
    QueryValueInto(id, TS_CLIENT_HARDWARE_ID, &work.clientHardwareId, 4);
    QueryValueInto(id, TS_CLIENT_PRODUCT_ID, &work.clientProductId, 2);
    QueryValueInto(id, TS_CLIENT_PROTOCOL_TYPE, &work.clientProtocolType, 2);
    QueryTextInto(id, TS_DOMAIN_NAME, work.domainName, sizeof work.domainName);
    QueryTextInto(id, TS_INITIAL_PROGRAM, work.initialProgram, sizeof work.initialProgram);
    QueryTextInto(id, TS_OEM_ID, work.oemId, sizeof work.oemId);
    QueryTextInto(id, TS_USER_NAME, work.userName, sizeof work.userName);
    QueryTextInto(id, TS_WINSTATION_NAME, work.winStationName, sizeof work.winStationName);
    QueryTextInto(id, TS_WORKING_DIRECTORY, work.workingDirectory, sizeof work.workingDirectory);
    QueryValueInto(id, TS_CONNECT_STATE, &work.connectState, 4);
    std::string display;
    if (TsQuerySession(id, TS_CLIENT_DISPLAY, &display) == 0 && display.size() >= 12) {
        memcpy(&work.displayWidth, display.data(), 4);
        memcpy(&work.displayHeight, display.data() + 4, 4);
        memcpy(&work.displayColorDepth, display.data() + 8, 4);
    }
    memcpy(record, &work, sizeof work);
    return 0;
}

int OpenMonitorSocket(const char* host, uint16_t port, NetSocket* socket,
                      Ipv4SocketAddress* address) {
    NetSocket s = NetOpenDatagramSocket();
    if (s == NET_INVALID_SOCKET)
        return -1;
    memset(address, 0, sizeof *address);
    address->family = NET_FAMILY_IPV4;
    address->port[0] = static_cast<uint8_t>(port >> 8);
    address->port[1] = static_cast<uint8_t>(port & 0xFF);
    const uint32_t inetAddress = NetInetAddr(host);
    memcpy(address->address, &inetAddress, 4);
    if (NetConnect(s, address) != 0) {
        NetCloseSocket(s);
        return -1;
    }
    *socket = s;
    return 0;
}

int SendSessionRecord(const void* record, size_t length, NetSocket socket,
                      const Ipv4SocketAddress* address) {
    long sent = NetSendTo(socket, record, length, address);
    return sent >= 0 && static_cast<size_t>(sent) == length ? 0 : -1;
}

void SendRecordToMonitor(const SessionEventRecord* record) {
    NetSocket socket = NET_INVALID_SOCKET;
    Ipv4SocketAddress address;
    if (OpenMonitorSocket(MONITOR_HOST, MONITOR_PORT, &socket, &address) != 0)
        return;
    SendSessionRecord(record, sizeof *record, socket, &address);
    NetCloseSocket(socket);
}
