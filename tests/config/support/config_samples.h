// A fully populated FilterConfig for round-trip tests, and a field-by-field
// comparison of two configurations (rows included). Header-only so the native and
// the Wine test programs share it.
#pragma once

#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "config/config_model.h"

#define GW_SAMPLE_INT_FIELDS(X)                                                                    \
    X(FLAG_IPADDRESS)                                                                              \
    X(FLAG_IPADDRESS_ALLOW)                                                                        \
    X(FLAG_COMPUTERNAME)                                                                           \
    X(FLAG_COMPUTERNAME_ALLOW)                                                                     \
    X(FLAG_MACADDRESS)                                                                             \
    X(FLAG_MACADDRESS_ALLOW)                                                                       \
    X(FLAG_VERSION)                                                                                \
    X(FLAG_SERVEROPTION)                                                                           \
    X(FLAG_TIME)                                                                                   \
    X(IGNORE_DISCONNECTED)                                                                         \
    X(REMOVE_DISCONNECTED)                                                                         \
    X(WEEK_W1)                                                                                     \
    X(WEEK_W2)                                                                                     \
    X(WEEK_W3)                                                                                     \
    X(WEEK_W4)                                                                                     \
    X(WEEK_W5)                                                                                     \
    X(WEEK_W6)                                                                                     \
    X(WEEK_W7)                                                                                     \
    X(TIME_BETWEEN)                                                                                \
    X(SESSION_PER_IP)                                                                              \
    X(FLAG_SERVEROPTION_SESSIONPERUSER)                                                            \
    X(SESSIONPERUSER_COUNT)                                                                        \
    X(FLAG_USER_IGNORE_DISCONNECTED)                                                               \
    X(FLAG_USER_REMOVE_DISCONNECTED)                                                               \
    X(FLAG_USER_IGNORE_ADMINISTRATOR)                                                              \
    X(FLAG_SERVEROPTION_CHECK_TYPE)                                                                \
    X(FLAG_SESSION_PER_USER_DEFAULT)                                                               \
    X(FLAG_LOGON_LOGS)                                                                             \
    X(FLAG_APP_LOGS)

#define GW_SAMPLE_TEXT_FIELDS(X)                                                                   \
    X(VERALLOW)                                                                                    \
    X(VERDISALLOW)                                                                                 \
    X(VERHIGHER)                                                                                   \
    X(VERLOWER)                                                                                    \
    X(VERBETWEEN)                                                                                  \
    X(MSG_IPADDRESS)                                                                               \
    X(MSG_COMPUTERNAME)                                                                            \
    X(MSG_MACADDRESS)                                                                              \
    X(MSG_TIME)                                                                                    \
    X(MSG_SESSIONPERIP)                                                                            \
    X(MSG_VERSION)                                                                                 \
    X(MSG_SESSIONPERUSER)                                                                          \
    X(TITLE_IPADDRESS)                                                                             \
    X(TITLE_COMPUTERNAME)                                                                          \
    X(TITLE_MACADDRESS)                                                                            \
    X(TITLE_TIME)                                                                                  \
    X(TITLE_SESSIONPERIP)                                                                          \
    X(TITLE_VERSION)                                                                               \
    X(TITLE_SESSIONPERUSER)                                                                        \
    X(TIME_FROM)                                                                                   \
    X(TIME_TO)                                                                                     \
    X(LOGON_LOGFILE)                                                                               \
    X(APP_LOGFILE)

// Every integer gets its own value (several above 16,777,215 or negative), every
// text its own content; VERALLOW and MSG_SESSIONPERUSER fill their fields exactly.
// Each of the six lists holds `rows` rows.
inline void FillSampleConfig(int rows = 3) {
    ResetFilterConfig();
    FilterConfigRecord& c = FilterConfig;
    int32_t next = 2;
#define GW_SET_INT(f) c.f = (next++ % 3 == 0) ? 0x7FFF0000 + next : next * 7;
    GW_SAMPLE_INT_FIELDS(GW_SET_INT)
#undef GW_SET_INT
    c.FLAG_APP_LOGS = -5;
#define GW_SET_TEXT(f) CopyToField(c.f, (std::string(#f) + " text, \xB9\xFE 1.2.3").c_str());
    GW_SAMPLE_TEXT_FIELDS(GW_SET_TEXT)
#undef GW_SET_TEXT
    CopyToField(c.VERALLOW, std::string(sizeof(c.VERALLOW) - 1, '7').c_str());
    CopyToField(c.MSG_SESSIONPERUSER, std::string(sizeof(c.MSG_SESSIONPERUSER) - 1, 'm').c_str());
    for (int r = 0; r < rows; ++r) {
        std::string n = std::to_string(r);
        auto* ip = new IpRangeRow();
        CopyToField(ip->IPFROM, ("10.0.0." + n).c_str());
        CopyToField(ip->IPTO, r % 2 ? "" : ("10.0.1." + n).c_str());
        ip->TYPE = r % 2;
        c.ipRanges.push_back(ip);
        auto* name = new ComputerNameRow();
        CopyToField(name->CNAME, ("PC-*" + n).c_str());
        name->TYPE = 1 - r % 2;
        c.computerNames.push_back(name);
        auto* mac = new MacAddressRow();
        CopyToField(mac->MACADDRESS, ("00-1A-2B-3C-4D-" + n).c_str());
        mac->TYPE = r % 2;
        c.macAddresses.push_back(mac);
        auto* server = new MonitorServerRow();
        CopyToField(server->SERVER, std::string(sizeof(server->SERVER) - 1, 'a' + r % 26).c_str());
        c.monitorServers.push_back(server);
        auto* sip = new SessionIpRow();
        CopyToField(sip->SESSION_IP, ("192.168.0." + n).c_str());
        sip->SESSION_IPCOUNTER = 16777216 + r;
        c.sessionIps.push_back(sip);
        auto* user = new SessionUserRow();
        CopyToField(user->SESSION_USER, ("user" + n).c_str());
        user->SESSION_USERCOUNT = r + 1;
        c.sessionUsers.push_back(user);
    }
}

// A deep copy of the configuration's values, to compare after it was replaced.
struct ConfigSnapshot {
    std::vector<int32_t> ints;
    std::vector<std::string> texts;
    std::vector<std::string> rows[6]; // each row's bytes

    static ConfigSnapshot Take() {
        const FilterConfigRecord& c = FilterConfig;
        ConfigSnapshot s;
#define GW_TAKE_INT(f) s.ints.push_back(c.f);
        GW_SAMPLE_INT_FIELDS(GW_TAKE_INT)
#undef GW_TAKE_INT
#define GW_TAKE_TEXT(f) s.texts.push_back(std::string(c.f, sizeof(c.f)));
        GW_SAMPLE_TEXT_FIELDS(GW_TAKE_TEXT)
#undef GW_TAKE_TEXT
        TakeRows(c.ipRanges, &s.rows[0]);
        TakeRows(c.computerNames, &s.rows[1]);
        TakeRows(c.macAddresses, &s.rows[2]);
        TakeRows(c.monitorServers, &s.rows[3]);
        TakeRows(c.sessionIps, &s.rows[4]);
        TakeRows(c.sessionUsers, &s.rows[5]);
        return s;
    }

    template <typename Row>
    static void TakeRows(const std::vector<Row*>& list, std::vector<std::string>* out) {
        for (const Row* row : list)
            out->push_back(std::string(reinterpret_cast<const char*>(row), sizeof(Row)));
    }
};

// Compares text fields up to their terminator: bytes after it carry no meaning.
inline void ExpectSameConfig(const ConfigSnapshot& expected, const ConfigSnapshot& actual) {
    const char* intNames[] = {
#define GW_NAME(f) #f,
        GW_SAMPLE_INT_FIELDS(GW_NAME)};
    const char* textNames[] = {GW_SAMPLE_TEXT_FIELDS(GW_NAME)};
#undef GW_NAME
    ASSERT_EQ(expected.ints.size(), actual.ints.size());
    for (size_t k = 0; k < expected.ints.size(); ++k)
        EXPECT_EQ(expected.ints[k], actual.ints[k]) << intNames[k];
    for (size_t k = 0; k < expected.texts.size(); ++k)
        EXPECT_STREQ(expected.texts[k].c_str(), actual.texts[k].c_str()) << textNames[k];
    for (int t = 0; t < 6; ++t) {
        ASSERT_EQ(expected.rows[t].size(), actual.rows[t].size()) << "list " << t;
        for (size_t r = 0; r < expected.rows[t].size(); ++r)
            EXPECT_EQ(expected.rows[t][r], actual.rows[t][r]) << "list " << t << " row " << r;
    }
}
