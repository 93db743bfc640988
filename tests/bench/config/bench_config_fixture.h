// A FilterConfig with a given number of rows in each of its six lists, and the
// stored (enciphered) blob it makes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "config/config_blob.h"
#include "config/config_mapping.h"
#include "config/config_model.h"
#include "config/container.h"
#include "config/persistence.h"

inline void FillBenchConfig(int rows) {
    ResetFilterConfig();
    FilterConfigRecord& c = FilterConfig;
    CopyToField(c.MSG_IPADDRESS, DEFAULT_MESSAGE_TEXT);
    CopyToField(c.TITLE_IPADDRESS, "Attention - IP Address Filter active - Quillon");
    CopyToField(c.TIME_FROM, "08:00:00");
    c.SESSION_PER_IP = 2;
    for (int r = 0; r < rows; ++r) {
        std::string n = std::to_string(r);
        auto* ip = new IpRangeRow();
        CopyToField(ip->IPFROM, ("10." + std::to_string(r / 65536) + "." +
                                 std::to_string(r / 256 % 256) + "." + std::to_string(r % 256))
                                    .c_str());
        CopyToField(ip->IPTO, "0.0.0.0");
        ip->TYPE = r % 2;
        c.ipRanges.push_back(ip);
        auto* name = new ComputerNameRow();
        CopyToField(name->CNAME, ("WORKSTATION-" + n).c_str());
        c.computerNames.push_back(name);
        auto* mac = new MacAddressRow();
        CopyToField(mac->MACADDRESS, "00-1A-2B-3C-4D-5E");
        c.macAddresses.push_back(mac);
        auto* server = new MonitorServerRow();
        CopyToField(server->SERVER, ("TS" + n).c_str());
        c.monitorServers.push_back(server);
        auto* sip = new SessionIpRow();
        CopyToField(sip->SESSION_IP, ("192.168.1." + std::to_string(r % 256)).c_str());
        sip->SESSION_IPCOUNTER = 3;
        c.sessionIps.push_back(sip);
        auto* user = new SessionUserRow();
        CopyToField(user->SESSION_USER, ("user" + n).c_str());
        user->SESSION_USERCOUNT = 2;
        c.sessionUsers.push_back(user);
    }
}

// The enciphered blob of the current FilterConfig, as "tsdata" holds it.
inline std::vector<uint8_t> BenchStoredBlob() {
    ParamPacket* packet = BuildConfigPacket(REGISTRY_PARAM_ORDER);
    uint8_t* blob = nullptr;
    size_t length = 0;
    std::vector<uint8_t> bytes;
    if (packet != nullptr && EncodePacket(packet, &blob, &length) == 0)
        bytes.assign(blob, blob + length);
    FreeBlob(blob);
    FreePacket(packet);
    CryptConfigBlob(bytes.data(), bytes.size());
    return bytes;
}

// The load path of LoadConfigFromRegistry once the blob is read: decipher, decode,
// apply. 0 on success.
inline int LoadBlob(std::vector<uint8_t>& work) {
    CryptConfigBlob(work.data(), work.size());
    return ApplyConfigBlob(work.data(), work.size(), FilterConfig);
}
