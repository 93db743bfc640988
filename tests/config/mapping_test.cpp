#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "config/config_blob.h"
#include "config/config_mapping.h"
#include "config/config_model.h"
#include "config/container.h"
#include "tests/config/container_test_util.h"
#include "tests/config/support/config_samples.h"

namespace {

using Packet = PacketPtr;

// Encodes and decodes, as a stored configuration comes back.
Packet StoredForm(const ParamPacket* packet) {
    uint8_t* blob = nullptr;
    size_t length = 0;
    EXPECT_EQ(0, EncodePacket(packet, &blob, &length));
    ParamPacket* decoded = nullptr;
    EXPECT_EQ(0, DecodePacket(blob, length, &decoded));
    FreeBlob(blob);
    return Packet(decoded);
}

Packet DefaultPacket() {
    uint8_t* blob = nullptr;
    size_t length = 0;
    EXPECT_EQ(0, BuildDefaultConfig(&blob, &length));
    ParamPacket* decoded = nullptr;
    EXPECT_EQ(0, DecodePacket(blob, length, &decoded));
    FreeBlob(blob);
    return Packet(decoded);
}

std::vector<std::string> ParamNames(const ParamPacket* p) {
    std::vector<std::string> names;
    for (int32_t k = 0; k < p->count; ++k)
        names.push_back(p->entries[k].name);
    return names;
}

// A table built cell by cell: {column name, text or null, integer}.
struct Cell {
    const char* column;
    const char* text;
    int32_t value;
};
void AddTable(ParamPacket* p, const char* name, const std::vector<std::vector<Cell>>& rows) {
    ResultSetBuilder builder;
    ASSERT_EQ(0, builder.Create(static_cast<int32_t>(rows.size()),
                                static_cast<int32_t>(rows.empty() ? 0 : rows[0].size())));
    for (size_t r = 0; r < rows.size(); ++r)
        for (size_t c = 0; c < rows[r].size(); ++c) {
            const Cell& cell = rows[r][c];
            int32_t ri = static_cast<int32_t>(r), ci = static_cast<int32_t>(c);
            ASSERT_EQ(0, cell.text ? builder.SetStringCell(ri, ci, cell.text, cell.column, 0)
                                   : builder.SetIntCell(ri, ci, cell.value, cell.column));
        }
    ASSERT_EQ(0, AddResultSetParam(p, builder.Finish(), name));
}

class Mapping : public ::testing::Test {
protected:
    void SetUp() override { ResetFilterConfig(); }
    void TearDown() override { ResetFilterConfig(); }
};

TEST_F(Mapping, DefaultConfigurationTurnsEveryFilterOff) {
    // Byte for byte: these parameters in this order, integers and plain texts.
    BlobWriter body;
    auto ints = [&body](std::initializer_list<const char*> names, int32_t value) {
        for (const char* name : names)
            body.Item(PT_INTEGER, 0, name, BlobWriter().I32(value).bytes);
    };
    auto texts = [&body](std::initializer_list<const char*> names, const std::string& text) {
        for (const char* name : names)
            body.Item(PT_STRING, 0, name, Bytes(text.begin(), text.end()));
    };
    ints({"FLAG_IPADDRESS", "FLAG_COMPUTERNAME", "FLAG_MACADDRESS", "FLAG_VERSION",
          "FLAG_SERVEROPTION", "FLAG_IPADDRESS_ALLOW", "FLAG_COMPUTERNAME_ALLOW",
          "FLAG_MACADDRESS_ALLOW"},
         0);
    texts({"VERDISALLOW", "VERALLOW", "VERHIGHER", "VERLOWER", "VERBETWEEN"}, "");
    ints({"SESSION_PER_IP"}, 1);
    texts({"MSG_IPADDRESS", "MSG_COMPUTERNAME", "MSG_MACADDRESS", "MSG_TIME", "MSG_SESSIONPERIP",
           "MSG_VERSION", "MSG_SESSIONPERUSER"},
          "You are not allowed to access to this Terminal Server. Please contact your "
          "administrator for more information. Secured by Quillon.");
    texts({"TITLE_IPADDRESS"}, "Attention - IP Address Filter active - Quillon");
    texts({"TITLE_COMPUTERNAME"}, "Attention - Computer Name Filter active - Quillon");
    texts({"TITLE_MACADDRESS"}, "Attention - MAC Address Filter active - Quillon");
    texts({"TITLE_TIME"}, "Attention - Logon Time Filter active - Quillon");
    texts({"TITLE_SESSIONPERIP"}, "Attention - Sessions by IP Filter active - Quillon");
    texts({"TITLE_VERSION"}, "Attention - Client Version Filter active - Quillon");
    texts({"TITLE_SESSIONPERUSER"}, "Attention - Sessions by Username Filter active - Quillon");
    ints({"FLAG_TIME"}, 0);
    ints({"WEEK_W1", "WEEK_W2", "WEEK_W3", "WEEK_W4", "WEEK_W5", "WEEK_W6", "WEEK_W7",
          "TIME_BETWEEN"},
         1);
    texts({"TIME_FROM", "TIME_TO"}, "00:00:00");
    ints({"REMOVE_DISCONNECTED", "IGNORE_DISCONNECTED", "FLAG_SERVEROPTION_SESSIONPERUSER"}, 0);
    ints({"SESSIONPERUSER_COUNT"}, 1);
    ints({"FLAG_USER_IGNORE_DISCONNECTED", "FLAG_USER_REMOVE_DISCONNECTED",
          "FLAG_USER_IGNORE_ADMINISTRATOR", "FLAG_SERVEROPTION_CHECK_TYPE",
          "FLAG_SESSION_PER_USER_DEFAULT", "FLAG_LOGON_LOGS", "FLAG_APP_LOGS"},
         0);
    texts({"LOGON_LOGFILE", "APP_LOGFILE"}, "");
    uint8_t* blob = nullptr;
    size_t length = 0;
    ASSERT_EQ(0, BuildDefaultConfig(&blob, &length));
    EXPECT_EQ(WithHeader(1, 52, body.bytes), Bytes(blob, blob + length));
    FreeBlob(blob);

    Packet packet = DefaultPacket();
    for (int32_t k = 0; k < packet->count; ++k) {
        EXPECT_NE(PT_RESULTSET, packet->entries[k].type) << packet->entries[k].name;
        EXPECT_EQ(0, packet->entries[k].encryptMethod);
    }
    EXPECT_EQ(52, packet->count);
    ASSERT_EQ(0, ApplyConfigPacket(packet.get()));

    const FilterConfigRecord& c = FilterConfig;
    for (int32_t flag : {c.FLAG_IPADDRESS, c.FLAG_COMPUTERNAME, c.FLAG_MACADDRESS, c.FLAG_VERSION,
                         c.FLAG_SERVEROPTION, c.FLAG_TIME, c.FLAG_SERVEROPTION_SESSIONPERUSER,
                         c.FLAG_LOGON_LOGS, c.FLAG_APP_LOGS, c.FLAG_IPADDRESS_ALLOW,
                         c.REMOVE_DISCONNECTED, c.FLAG_USER_IGNORE_ADMINISTRATOR})
        EXPECT_EQ(0, flag);
    for (int32_t day :
         {c.WEEK_W1, c.WEEK_W2, c.WEEK_W3, c.WEEK_W4, c.WEEK_W5, c.WEEK_W6, c.WEEK_W7})
        EXPECT_EQ(1, day);
    EXPECT_EQ(1, c.TIME_BETWEEN);
    EXPECT_STREQ("00:00:00", c.TIME_FROM);
    EXPECT_STREQ("00:00:00", c.TIME_TO);
    EXPECT_EQ(1, c.SESSION_PER_IP);
    EXPECT_EQ(1, c.SESSIONPERUSER_COUNT);
    EXPECT_STREQ("", c.VERBETWEEN);
    EXPECT_STREQ("", c.LOGON_LOGFILE);
    EXPECT_STREQ(DEFAULT_MESSAGE_TEXT, c.MSG_IPADDRESS);
    EXPECT_STREQ(DEFAULT_MESSAGE_TEXT, c.MSG_SESSIONPERUSER);
    EXPECT_STREQ("Attention - IP Address Filter active - Quillon", c.TITLE_IPADDRESS);
    EXPECT_STREQ("Attention - Sessions by Username Filter active - Quillon",
                 c.TITLE_SESSIONPERUSER);
    EXPECT_TRUE(c.ipRanges.empty() && c.computerNames.empty() && c.macAddresses.empty() &&
                c.monitorServers.empty() && c.sessionIps.empty() && c.sessionUsers.empty());
}

TEST_F(Mapping, FullConfigurationSurvivesTheStoredFormInBothOrders) {
    FillSampleConfig(5);
    ConfigSnapshot expected = ConfigSnapshot::Take();
    for (ConfigParamOrder order : {REGISTRY_PARAM_ORDER, FILE_PARAM_ORDER}) {
        FillSampleConfig(5);
        Packet built(BuildConfigPacket(order));
        ASSERT_TRUE(built);
        Packet stored = StoredForm(built.get());
        ResetFilterConfig();
        ASSERT_EQ(0, ApplyConfigPacket(stored.get()));
        ExpectSameConfig(expected, ConfigSnapshot::Take());
    }
}

// Saving encodes the record straight into the blob: the packet's bytes, in both orders,
// an unterminated field included.
TEST_F(Mapping, RecordEncodesToThePacketsBytes) {
    FillSampleConfig(4);
    memset(FilterConfig.computerNames[1]->CNAME, 'N', sizeof(FilterConfig.computerNames[1]->CNAME));
    memset(FilterConfig.TIME_TO, '9', sizeof(FilterConfig.TIME_TO));
    for (SessionIpRow* row : FilterConfig.sessionIps)
        delete row;
    FilterConfig.sessionIps.clear(); // an empty list writes no table
    for (ConfigParamOrder order : {REGISTRY_PARAM_ORDER, FILE_PARAM_ORDER}) {
        Packet built(BuildConfigPacket(order));
        uint8_t *packetBlob = nullptr, *recordBlob = nullptr;
        size_t packetLength = 0, recordLength = 0;
        ASSERT_EQ(0, EncodePacket(built.get(), &packetBlob, &packetLength));
        ASSERT_EQ(0, EncodeConfigRecord(FilterConfig, order, &recordBlob, &recordLength));
        EXPECT_EQ(std::vector<uint8_t>(packetBlob, packetBlob + packetLength),
                  std::vector<uint8_t>(recordBlob, recordBlob + recordLength));
        FreeBlob(packetBlob);
        FreeBlob(recordBlob);
    }
}

TEST_F(Mapping, SavedPacketsCarryTheirParametersInTheirOrder) {
    using Names = std::vector<std::string>;
    const Names head = {"FLAG_IPADDRESS",
                        "FLAG_COMPUTERNAME",
                        "FLAG_MACADDRESS",
                        "FLAG_IPADDRESS_ALLOW",
                        "FLAG_COMPUTERNAME_ALLOW",
                        "FLAG_MACADDRESS_ALLOW",
                        "FLAG_VERSION",
                        "FLAG_SERVEROPTION",
                        "VERDISALLOW",
                        "VERALLOW",
                        "VERLOWER",
                        "VERHIGHER",
                        "VERBETWEEN",
                        "SESSION_PER_IP",
                        "MSG_IPADDRESS",
                        "MSG_COMPUTERNAME",
                        "MSG_MACADDRESS",
                        "MSG_TIME",
                        "MSG_SESSIONPERIP",
                        "MSG_VERSION",
                        "TITLE_IPADDRESS",
                        "TITLE_COMPUTERNAME",
                        "TITLE_MACADDRESS",
                        "TITLE_TIME",
                        "TITLE_SESSIONPERIP",
                        "TITLE_VERSION"};
    const Names middle = {"FLAG_TIME",
                          "WEEK_W1",
                          "WEEK_W2",
                          "WEEK_W3",
                          "WEEK_W4",
                          "WEEK_W5",
                          "WEEK_W6",
                          "WEEK_W7",
                          "TIME_BETWEEN",
                          "TIME_FROM",
                          "TIME_TO",
                          "REMOVE_DISCONNECTED",
                          "IGNORE_DISCONNECTED",
                          "FLAG_SERVEROPTION_SESSIONPERUSER",
                          "SESSIONPERUSER_COUNT",
                          "FLAG_USER_IGNORE_DISCONNECTED",
                          "FLAG_USER_REMOVE_DISCONNECTED",
                          "FLAG_USER_IGNORE_ADMINISTRATOR"};
    const Names perUser = {"MSG_SESSIONPERUSER", "TITLE_SESSIONPERUSER"};
    // The scalars, then the six tables in list order.
    const Names tail = {"FLAG_SERVEROPTION_CHECK_TYPE",
                        "FLAG_SESSION_PER_USER_DEFAULT",
                        "FLAG_LOGON_LOGS",
                        "FLAG_APP_LOGS",
                        "LOGON_LOGFILE",
                        "APP_LOGFILE",
                        "R_IPADDRESS",
                        "R_COMPUTERNAME",
                        "R_MAC",
                        "MONITOR_SERVER",
                        "R_SESSION_IP",
                        "R_SESSION_USER"};
    auto join = [](std::initializer_list<const Names*> parts) {
        Names all;
        for (const Names* part : parts)
            all.insert(all.end(), part->begin(), part->end());
        return all;
    };
    FillSampleConfig(1);
    EXPECT_EQ(join({&head, &middle, &perUser, &tail}),
              ParamNames(Packet(BuildConfigPacket(REGISTRY_PARAM_ORDER)).get()));
    // Files carry the per-user texts right after TITLE_VERSION.
    EXPECT_EQ(join({&head, &perUser, &middle, &tail}),
              ParamNames(Packet(BuildConfigPacket(FILE_PARAM_ORDER)).get()));
}

TEST_F(Mapping, EmptyListsWriteNoTable) {
    FillSampleConfig(2);
    ClearConfigLists();
    auto* server = new MonitorServerRow();
    CopyToField(server->SERVER, "TS01");
    FilterConfig.monitorServers.push_back(server);
    Packet packet(BuildConfigPacket());
    int tables = 0;
    for (int32_t k = 0; k < packet->count; ++k)
        tables += packet->entries[k].type == PT_RESULTSET;
    EXPECT_EQ(1, tables);

    Packet stored = StoredForm(packet.get());
    ResetFilterConfig();
    ASSERT_EQ(0, ApplyConfigPacket(stored.get()));
    EXPECT_TRUE(FilterConfig.ipRanges.empty());
    EXPECT_TRUE(FilterConfig.sessionUsers.empty());
    ASSERT_EQ(1u, FilterConfig.monitorServers.size());
    EXPECT_STREQ("TS01", FilterConfig.monitorServers[0]->SERVER);
}

TEST_F(Mapping, ApplyAppendsRowsToWhatTheListsHold) {
    FillSampleConfig(2);
    Packet packet(BuildConfigPacket());
    ClearConfigLists();
    ASSERT_EQ(0, ApplyConfigPacket(packet.get()));
    ASSERT_EQ(0, ApplyConfigPacket(packet.get()));
    EXPECT_EQ(4u, FilterConfig.ipRanges.size());
    EXPECT_EQ(4u, FilterConfig.sessionUsers.size());
    EXPECT_STREQ(FilterConfig.ipRanges[0]->IPFROM, FilterConfig.ipRanges[2]->IPFROM);

    ClearConfigLists();
    ASSERT_EQ(0, ApplyConfigPacket(packet.get()));
    ClearConfigLists();
    ASSERT_EQ(0, ApplyConfigPacket(packet.get()));
    EXPECT_EQ(2u, FilterConfig.ipRanges.size());
    EXPECT_EQ(2u, FilterConfig.monitorServers.size());
}

TEST_F(Mapping, SessionLimitsReadBack) {
    struct Case {
        bool storePerIp;
        int32_t perIp, perUser, before, expectedPerIp;
    };
    // A stored per-address limit of 0 reads as 1; the per-user limit is not corrected;
    // an absent key leaves the field as it was.
    const Case cases[] = {
        {true, 0, 0, 9, 1},
        {true, 5, 0, 9, 5},
        {false, 0, 0, 9, 9},
        {false, 0, 0, 0, 0},
    };
    for (const Case& k : cases) {
        Packet packet = NewPacket();
        if (k.storePerIp)
            AddIntParam(packet.get(), k.perIp, "SESSION_PER_IP", 0);
        AddIntParam(packet.get(), k.perUser, "SESSIONPERUSER_COUNT", 0);
        FilterConfig.SESSION_PER_IP = k.before;
        FilterConfig.SESSIONPERUSER_COUNT = 7;
        ASSERT_EQ(0, ApplyConfigPacket(packet.get()));
        EXPECT_EQ(k.expectedPerIp, FilterConfig.SESSION_PER_IP);
        EXPECT_EQ(k.perUser, FilterConfig.SESSIONPERUSER_COUNT);
    }
}

TEST_F(Mapping, AbsentOrMistypedScalarsKeepTheirFields) {
    FilterConfig.FLAG_TIME = 1;
    CopyToField(FilterConfig.TIME_FROM, "08:00:00");
    CopyToField(FilterConfig.MSG_TIME, "keep");
    Packet packet = NewPacket();
    AddStringParam(packet.get(), "1", "FLAG_TIME", 0);      // text where an integer belongs
    AddIntParam(packet.get(), 0x41414141, "TIME_FROM", 0);  // integer where a text belongs
    AddStringParam(packet.get(), "evening", "msg_time", 0); // wrong case: another key
    Packet stored = StoredForm(packet.get());
    ASSERT_EQ(0, ApplyConfigPacket(stored.get()));
    EXPECT_EQ(1, FilterConfig.FLAG_TIME);
    EXPECT_STREQ("08:00:00", FilterConfig.TIME_FROM);
    EXPECT_STREQ("keep", FilterConfig.MSG_TIME);
}

TEST_F(Mapping, OverlongStoredTextsAreCutToTheirFields) {
    const std::string longText(5000, 'x');
    Packet packet = NewPacket();
    AddStringParam(packet.get(), longText.c_str(), "MSG_IPADDRESS", 0);
    AddStringParam(packet.get(), longText.c_str(), "VERALLOW", 0);
    AddStringParam(packet.get(), longText.c_str(), "LOGON_LOGFILE", 0);
    AddTable(packet.get(), "R_IPADDRESS",
             {{{"IPFROM", longText.c_str(), 0}, {"IPTO", longText.c_str(), 0}, {"TYPE", 0, 1}}});
    AddTable(packet.get(), "MONITOR_SERVER", {{{"SERVER", longText.c_str(), 0}}});
    AddTable(packet.get(), "R_SESSION_USER",
             {{{"SESSION_USER", longText.c_str(), 0}, {"SESSION_USERCOUNT", 0, 3}}});
    Packet stored = StoredForm(packet.get());
    // Bytes just past each field must survive: the neighbour is written first.
    CopyToField(FilterConfig.MSG_COMPUTERNAME, "neighbour");
    ASSERT_EQ(0, ApplyConfigPacket(stored.get()));

    const FilterConfigRecord& c = FilterConfig;
    EXPECT_EQ(std::string(1023, 'x'), c.MSG_IPADDRESS);
    EXPECT_STREQ("neighbour", c.MSG_COMPUTERNAME);
    EXPECT_EQ(std::string(254, 'x'), c.VERALLOW);
    EXPECT_EQ(std::string(511, 'x'), c.LOGON_LOGFILE);
    ASSERT_EQ(1u, c.ipRanges.size());
    EXPECT_EQ(std::string(63, 'x'), c.ipRanges[0]->IPFROM);
    EXPECT_EQ(std::string(63, 'x'), c.ipRanges[0]->IPTO);
    EXPECT_EQ(1, c.ipRanges[0]->TYPE);
    EXPECT_EQ(std::string(254, 'x'), c.monitorServers[0]->SERVER);
    EXPECT_EQ(std::string(255, 'x'), c.sessionUsers[0]->SESSION_USER);
    EXPECT_EQ(3, c.sessionUsers[0]->SESSION_USERCOUNT);
}

TEST_F(Mapping, RowsTakeOnlyCellsOfTheirTypeAndZeroTheRest) {
    Packet packet = NewPacket();
    // Columns in another order, a wrong-typed TYPE, an integer IPTO, and a table with a
    // column missing.
    AddTable(packet.get(), "R_IPADDRESS",
             {{{"TYPE", "1", 0}, {"IPTO", 0, 77}, {"IPFROM", "10.1.1.1", 0}},
              {{"TYPE", 0, 1}, {"IPTO", "10.2.2.9", 0}, {"IPFROM", "10.2.2.2", 0}}});
    AddTable(packet.get(), "R_SESSION_IP", {{{"SESSION_IP", "1.2.3.4", 0}}});
    AddTable(packet.get(), "r_mac", {{{"MACADDRESS", "00-11-22-33-44-55", 0}, {"TYPE", 0, 1}}});
    Packet stored = StoredForm(packet.get());
    ASSERT_EQ(0, ApplyConfigPacket(stored.get()));

    const FilterConfigRecord& c = FilterConfig;
    ASSERT_EQ(2u, c.ipRanges.size());
    IpRangeRow zero{};
    EXPECT_STREQ("10.1.1.1", c.ipRanges[0]->IPFROM);
    EXPECT_EQ(0, memcmp(zero.IPTO, c.ipRanges[0]->IPTO, sizeof(zero.IPTO)));
    EXPECT_EQ(0, c.ipRanges[0]->TYPE);
    EXPECT_STREQ("10.2.2.9", c.ipRanges[1]->IPTO);
    EXPECT_EQ(1, c.ipRanges[1]->TYPE);
    ASSERT_EQ(1u, c.sessionIps.size());
    EXPECT_EQ(0, c.sessionIps[0]->SESSION_IPCOUNTER);
    EXPECT_TRUE(c.macAddresses.empty());
}

TEST(ConfigAccessors, GetConfigValueByExactName) {
    Packet packet = NewPacket();
    AddIntParam(packet.get(), 0x7FFFFFFF, "BIG", 0);
    AddIntParam(packet.get(), -3, "NEG", 0);
    AddStringParam(packet.get(), "first", "TEXT", 0);
    AddStringParam(packet.get(), "second", "TEXT", 0);
    AddBinaryParam(packet.get(), "\x01\x02\x03\x04", 4, "BIN", 0);
    Packet stored = StoredForm(packet.get());

    int32_t value = 11;
    EXPECT_EQ(0, GetConfigValue("BIG", &value, sizeof(value), stored.get()));
    EXPECT_EQ(0x7FFFFFFF, value);
    EXPECT_EQ(0, GetConfigValue("NEG", &value, sizeof(value), stored.get()));
    EXPECT_EQ(-3, value);
    EXPECT_EQ(-1, GetConfigValue("big", &value, sizeof(value), stored.get()));
    EXPECT_EQ(-1, GetConfigValue("BIN", &value, sizeof(value), stored.get()));
    EXPECT_EQ(-1, GetConfigValue("ABSENT", &value, sizeof(value), stored.get()));
    int16_t small = 5; // too small for an int32: refused, untouched
    EXPECT_EQ(-1, GetConfigValue("BIG", &small, sizeof(small), stored.get()));
    EXPECT_EQ(5, small);
    EXPECT_EQ(-3, value);

    char text[4] = {'?', '?', '?', '?'};
    EXPECT_EQ(0, GetConfigValue("TEXT", text, sizeof(text), stored.get()));
    EXPECT_STREQ("fir", text); // the first of that name, cut to fit
}

TEST(ConfigAccessors, EncipheredTextWithoutTerminatorIsReadWithinItsLength) {
    Packet packet = NewPacket();
    ASSERT_EQ(0, AddParam(packet.get(), 0, "abcdef", 3, PT_STRING, "RAW", 1));
    Packet stored = StoredForm(packet.get());
    char text[16];
    memset(text, '#', sizeof(text));
    EXPECT_EQ(0, GetConfigValue("RAW", text, sizeof(text), stored.get()));
    EXPECT_STREQ("abc", text);
}

TEST(FixedFields, FieldTextEndsAtTheFirstNulOrTheFieldsEnd) {
    struct {
        char field[4];
        char next[4];
    } record = {{'a', 'b', '\0', 'z'}, {'x', 'x', 'x', '\0'}};
    EXPECT_EQ("ab", FieldText(record.field));
    memcpy(record.field, "full", 4); // no terminator: the next field is not read
    EXPECT_EQ("full", FieldText(record.field));
}

TEST(ConfigAccessors, GetConfigCellAndTableSize) {
    Packet packet = NewPacket();
    AddTable(packet.get(), "T",
             {{{"N", 0, 16777216}, {"S", "one", 0}}, {{"N", 0, INT32_MIN}, {"S", "two", 0}}});
    AddTable(packet.get(), "T", {{{"N", 0, 1}}, {{"N", 0, 2}}, {{"N", 0, 3}}});
    Packet stored = StoredForm(packet.get());

    int32_t rows = -1, columns = -1;
    GetConfigTableSize("T", stored.get(), &rows, &columns);
    EXPECT_EQ(3, rows); // the last table of that name
    EXPECT_EQ(1, columns);
    GetConfigTableSize("t", stored.get(), &rows, &columns);
    EXPECT_EQ(0, rows);
    EXPECT_EQ(0, columns);

    int32_t value = 0;
    GetConfigCell("T", "N", &value, sizeof(value), stored.get(), 0); // cells: the first table
    EXPECT_EQ(16777216, value);
    GetConfigCell("T", "N", &value, sizeof(value), stored.get(), 1);
    EXPECT_EQ(INT32_MIN, value);
    value = 42;
    GetConfigCell("T", "N", &value, sizeof(value), stored.get(), 2); // beyond the first table
    GetConfigCell("T", "N", &value, sizeof(value), stored.get(), -1);
    GetConfigCell("T", "n", &value, sizeof(value), stored.get(), 0);
    EXPECT_EQ(42, value);

    char text[3] = {'?', '?', '?'};
    GetConfigCell("T", "S", text, sizeof(text), stored.get(), 1);
    EXPECT_STREQ("tw", text);
}

TEST(ConfigAccessors, CellsOfOtherKindsFollowTheirOwnRules) {
    ResultSetBuilder builder;
    ASSERT_EQ(0, builder.Create(1, 3));
    ASSERT_EQ(0, builder.SetCell(0, 0, "secret", 6, PT_STRING, "E", 1));
    ASSERT_EQ(0, builder.SetCell(0, 1, "\x01\x02\x03\x04\x05", 5, PT_BINARY, "B", 0));
    ASSERT_EQ(0, builder.SetCell(0, 2, "\x01\x02", 2, PT_INTEGER, "SHORT", 1));
    Packet packet = NewPacket();
    ASSERT_EQ(0, AddResultSetParam(packet.get(), builder.Finish(), "T"));
    Packet stored = StoredForm(packet.get());

    char text[8] = "same";
    GetConfigCell("T", "E", text, sizeof(text), stored.get(), 0); // enciphered: nothing
    EXPECT_STREQ("same", text);
    uint8_t bytes[4] = {0, 0, 0, 0xEE};
    GetConfigCell("T", "B", bytes, 3, stored.get(), 0); // binary: its bytes, cut to fit
    EXPECT_EQ(1, bytes[0]);
    EXPECT_EQ(3, bytes[2]);
    EXPECT_EQ(0xEE, bytes[3]);
    int32_t value = 9;
    GetConfigCell("T", "SHORT", &value, sizeof(value), stored.get(), 0); // under 4 bytes
    EXPECT_EQ(9, value);
}

} // namespace

namespace {

// Every text field of FilterConfig and its rows must end inside the field.
template <size_t N> bool Terminated(const char (&field)[N]) {
    return memchr(field, 0, N) != nullptr;
}

bool EveryTextTerminated() {
    const FilterConfigRecord& c = FilterConfig;
#define GW_CHECK_TEXT(f)                                                                           \
    if (!Terminated(c.f))                                                                          \
        return false;
    GW_SAMPLE_TEXT_FIELDS(GW_CHECK_TEXT)
#undef GW_CHECK_TEXT
    for (const IpRangeRow* r : c.ipRanges)
        if (!Terminated(r->IPFROM) || !Terminated(r->IPTO))
            return false;
    for (const ComputerNameRow* r : c.computerNames)
        if (!Terminated(r->CNAME))
            return false;
    for (const MacAddressRow* r : c.macAddresses)
        if (!Terminated(r->MACADDRESS))
            return false;
    for (const MonitorServerRow* r : c.monitorServers)
        if (!Terminated(r->SERVER))
            return false;
    for (const SessionIpRow* r : c.sessionIps)
        if (!Terminated(r->SESSION_IP))
            return false;
    for (const SessionUserRow* r : c.sessionUsers)
        if (!Terminated(r->SESSION_USER))
            return false;
    return true;
}

TEST_F(Mapping, TableWithoutColumnsGivesNoRows) {
    ResultSetBuilder builder;
    ASSERT_EQ(0, builder.Create(1000, 0));
    Packet packet = NewPacket();
    ASSERT_EQ(0, AddResultSetParam(packet.get(), builder.Finish(), "R_SESSION_USER"));
    Packet stored = StoredForm(packet.get());
    ASSERT_EQ(0, ApplyConfigPacket(stored.get()));
    EXPECT_TRUE(FilterConfig.sessionUsers.empty());
}

// Corrupted stored configurations: whatever still decodes must apply without
// touching memory outside the fields (the sanitizers watch) and leave every text
// terminated.
TEST_F(Mapping, CorruptedStoredFormsApplySafely) {
    FillSampleConfig(3);
    Packet built(BuildConfigPacket());
    uint8_t* blob = nullptr;
    size_t length = 0;
    ASSERT_EQ(0, EncodePacket(built.get(), &blob, &length));
    std::vector<uint8_t> original(blob, blob + length);
    FreeBlob(blob);

    uint32_t seed = 12345;
    auto next = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return seed >> 8;
    };
    // The loads read the blob straight into the record: the same verdict and the same
    // bytes as the packet's way, every row and field raw.
    auto sameRecord = [](const ConfigSnapshot& a, const ConfigSnapshot& b) {
        bool rows = true;
        for (int t = 0; t < 6; ++t)
            rows = rows && a.rows[t] == b.rows[t];
        return rows && a.ints == b.ints && a.texts == b.texts;
    };
    int decoded = 0;
    for (int round = 0; round < 3000; ++round) {
        std::vector<uint8_t> bytes = original;
        for (int flips = 1 + next() % 4; flips > 0; --flips)
            bytes[next() % bytes.size()] = static_cast<uint8_t>(next());
        ResetFilterConfig();
        ParamPacket* raw = nullptr;
        if (DecodePacket(bytes.data(), bytes.size(), &raw) != 0) {
            ConfigSnapshot untouched = ConfigSnapshot::Take();
            ASSERT_EQ(CONFIG_BLOB_UNREADABLE,
                      ApplyConfigBlob(bytes.data(), bytes.size(), FilterConfig));
            ASSERT_TRUE(sameRecord(untouched, ConfigSnapshot::Take())) << "round " << round;
            continue;
        }
        Packet packet(raw);
        ++decoded;
        ASSERT_EQ(0, ApplyConfigPacket(packet.get()));
        ASSERT_TRUE(EveryTextTerminated()) << "round " << round;
        ConfigSnapshot byPacket = ConfigSnapshot::Take();
        ResetFilterConfig();
        ASSERT_EQ(0, ApplyConfigBlob(bytes.data(), bytes.size(), FilterConfig));
        ASSERT_TRUE(sameRecord(byPacket, ConfigSnapshot::Take())) << "round " << round;
    }
    EXPECT_GT(decoded, 100); // most single-byte changes hit values, which still decode
}

} // namespace
