#include "config/config_mapping.h"

#include <array>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "config/config_columns.h"
#include "config/config_model.h"

namespace {

// ---- reading a decoded packet -------------------------------------------------

bool NameIs(const char* stored, const char* wanted) {
    return stored != nullptr && wanted != nullptr && strcmp(stored, wanted) == 0;
}

// Copies a stored text of `length` bytes (it may carry no terminator when it is
// enciphered) into a field of `size` bytes, cut to fit and NUL-terminated.
void CopyStoredText(char* destination, size_t size, const void* value, int32_t length) {
    if (size == 0)
        return;
    size_t available = (value != nullptr && length > 0) ? static_cast<size_t>(length) : 0;
    size_t count = available > 0 ? strnlen(static_cast<const char*>(value), available) : 0;
    if (count > size - 1)
        count = size - 1;
    if (count > 0)
        memcpy(destination, value, count);
    destination[count] = '\0';
}

bool CopyStoredInt(void* destination, size_t size, const void* value, int32_t length) {
    if (value == nullptr || length < 4 || size < sizeof(int32_t))
        return false;
    memcpy(destination, value, sizeof(int32_t));
    return true;
}

const ParamEntry* FindValueEntry(const ParamPacket* packet, const char* name) {
    if (packet == nullptr)
        return nullptr;
    for (int32_t k = 0; k < packet->count; ++k) {
        const ParamEntry& entry = packet->entries[k];
        if ((entry.type == PT_INTEGER || entry.type == PT_FLOAT || entry.type == PT_STRING) &&
            NameIs(entry.name, name))
            return &entry;
    }
    return nullptr;
}

const ResultSet* FindFirstTable(const ParamPacket* packet, const char* name) {
    if (packet == nullptr)
        return nullptr;
    for (int32_t k = 0; k < packet->count; ++k) {
        const ParamEntry& entry = packet->entries[k];
        if (entry.type == PT_RESULTSET && entry.value != nullptr && NameIs(entry.name, name))
            return static_cast<const ResultSet*>(entry.value);
    }
    return nullptr;
}

const ResultCell* FindCell(const ResultSet* table, const char* column, int32_t row) {
    if (table == nullptr || row < 0 || row >= table->rowCount || table->rows == nullptr)
        return nullptr;
    const ResultCell* cells = table->rows[row];
    if (cells == nullptr)
        return nullptr;
    for (int32_t c = 0; c < table->columnCount; ++c) {
        if (NameIs(cells[c].name, column))
            return &cells[c];
    }
    return nullptr;
}

void CopyCell(const ResultCell* cell, void* destination, size_t size) {
    if (cell == nullptr || destination == nullptr)
        return;
    switch (cell->type) {
    case PT_INTEGER:
        CopyStoredInt(destination, size, cell->value, cell->length);
        break;
    case PT_STRING:
        if (cell->encryptMethod == 0)
            CopyStoredText(static_cast<char*>(destination), size, cell->value, cell->length);
        break;
    case PT_BINARY:
        if (cell->value != nullptr && cell->length > 0) {
            size_t count = static_cast<size_t>(cell->length);
            memcpy(destination, cell->value, count < size ? count : size);
        }
        break;
    default:
        break;
    }
}

// ---- the keys and where they live in FilterConfig --------------------------------

using ScalarKey = ConfigScalarKey;

#define GW_INT_KEY(key)                                                                            \
    ScalarKey {                                                                                    \
#key, false, sizeof(int32_t), [](FilterConfigRecord & c) -> void* { return &c.key; }       \
    }
#define GW_TEXT_KEY(key)                                                                           \
    ScalarKey {                                                                                    \
#key, true, sizeof(FilterConfigRecord::key),                                               \
            [](FilterConfigRecord & c) -> void* { return c.key; }                                  \
    }

// Every scalar, in the order the registry copy carries them. The per-user texts sit
// after FLAG_USER_IGNORE_ADMINISTRATOR here; configuration files carry them right
// after TITLE_VERSION instead.
const ScalarKey SCALAR_KEYS[] = {
    GW_INT_KEY(FLAG_IPADDRESS),
    GW_INT_KEY(FLAG_COMPUTERNAME),
    GW_INT_KEY(FLAG_MACADDRESS),
    GW_INT_KEY(FLAG_IPADDRESS_ALLOW),
    GW_INT_KEY(FLAG_COMPUTERNAME_ALLOW),
    GW_INT_KEY(FLAG_MACADDRESS_ALLOW),
    GW_INT_KEY(FLAG_VERSION),
    GW_INT_KEY(FLAG_SERVEROPTION),
    GW_TEXT_KEY(VERDISALLOW),
    GW_TEXT_KEY(VERALLOW),
    GW_TEXT_KEY(VERLOWER),
    GW_TEXT_KEY(VERHIGHER),
    GW_TEXT_KEY(VERBETWEEN),
    GW_INT_KEY(SESSION_PER_IP),
    GW_TEXT_KEY(MSG_IPADDRESS),
    GW_TEXT_KEY(MSG_COMPUTERNAME),
    GW_TEXT_KEY(MSG_MACADDRESS),
    GW_TEXT_KEY(MSG_TIME),
    GW_TEXT_KEY(MSG_SESSIONPERIP),
    GW_TEXT_KEY(MSG_VERSION),
    GW_TEXT_KEY(TITLE_IPADDRESS),
    GW_TEXT_KEY(TITLE_COMPUTERNAME),
    GW_TEXT_KEY(TITLE_MACADDRESS),
    GW_TEXT_KEY(TITLE_TIME),
    GW_TEXT_KEY(TITLE_SESSIONPERIP),
    GW_TEXT_KEY(TITLE_VERSION),
    GW_INT_KEY(FLAG_TIME),
    GW_INT_KEY(WEEK_W1),
    GW_INT_KEY(WEEK_W2),
    GW_INT_KEY(WEEK_W3),
    GW_INT_KEY(WEEK_W4),
    GW_INT_KEY(WEEK_W5),
    GW_INT_KEY(WEEK_W6),
    GW_INT_KEY(WEEK_W7),
    GW_INT_KEY(TIME_BETWEEN),
    GW_TEXT_KEY(TIME_FROM),
    GW_TEXT_KEY(TIME_TO),
    GW_INT_KEY(REMOVE_DISCONNECTED),
    GW_INT_KEY(IGNORE_DISCONNECTED),
    GW_INT_KEY(FLAG_SERVEROPTION_SESSIONPERUSER),
    GW_INT_KEY(SESSIONPERUSER_COUNT),
    GW_INT_KEY(FLAG_USER_IGNORE_DISCONNECTED),
    GW_INT_KEY(FLAG_USER_REMOVE_DISCONNECTED),
    GW_INT_KEY(FLAG_USER_IGNORE_ADMINISTRATOR),
    GW_TEXT_KEY(MSG_SESSIONPERUSER),
    GW_TEXT_KEY(TITLE_SESSIONPERUSER),
    GW_INT_KEY(FLAG_SERVEROPTION_CHECK_TYPE),
    GW_INT_KEY(FLAG_SESSION_PER_USER_DEFAULT),
    GW_INT_KEY(FLAG_LOGON_LOGS),
    GW_INT_KEY(FLAG_APP_LOGS),
    GW_TEXT_KEY(LOGON_LOGFILE),
    GW_TEXT_KEY(APP_LOGFILE),
};

const size_t SCALAR_KEY_COUNT = sizeof(SCALAR_KEYS) / sizeof(SCALAR_KEYS[0]);

// The order in which a packet of the given kind carries the scalars, as indices into
// SCALAR_KEYS.
std::vector<size_t> ScalarOrder(ConfigParamOrder order) {
    std::vector<size_t> indices;
    indices.reserve(SCALAR_KEY_COUNT);
    if (order == REGISTRY_PARAM_ORDER) {
        for (size_t k = 0; k < SCALAR_KEY_COUNT; ++k)
            indices.push_back(k);
        return indices;
    }
    size_t msgPerUser = 0, titlePerUser = 0;
    for (size_t k = 0; k < SCALAR_KEY_COUNT; ++k) {
        if (NameIs(SCALAR_KEYS[k].name, "MSG_SESSIONPERUSER"))
            msgPerUser = k;
        if (NameIs(SCALAR_KEYS[k].name, "TITLE_SESSIONPERUSER"))
            titlePerUser = k;
    }
    for (size_t k = 0; k < SCALAR_KEY_COUNT; ++k) {
        if (k == msgPerUser || k == titlePerUser)
            continue;
        indices.push_back(k);
        if (NameIs(SCALAR_KEYS[k].name, "TITLE_VERSION")) {
            indices.push_back(msgPerUser);
            indices.push_back(titlePerUser);
        }
    }
    return indices;
}

using namespace config_columns;

// ---- FilterConfig -> packet ------------------------------------------------------

// The text of a fixed field, which an editor may in error have left unterminated.
size_t FieldTextLength(const void* field, size_t size) {
    return strnlen(static_cast<const char*>(field), size);
}

int AddScalar(ParamPacket* packet, const ScalarKey& key) {
    void* field = key.field(FilterConfig);
    if (!key.text) {
        int32_t value;
        memcpy(&value, field, sizeof(value));
        return AddIntParam(packet, value, key.name, 0);
    }
    return AddCountedStringParam(
        packet, field, static_cast<int32_t>(FieldTextLength(field, key.size)), key.name, 0);
}

template <typename Row, size_t N>
int AddTable(ParamPacket* packet, const char* tableName, const std::vector<Row*>& rows,
             const ColumnKey<Row> (&columns)[N]) {
    if (rows.empty())
        return 0;
    ResultSetBuilder builder;
    if (builder.Create(static_cast<int32_t>(rows.size()), static_cast<int32_t>(N)) != 0)
        return -1;
    std::string unterminated;
    for (size_t r = 0; r < rows.size(); ++r) {
        for (size_t c = 0; c < N; ++c) {
            const ColumnKey<Row>& column = columns[c];
            void* field = column.field(*rows[r]);
            int result;
            if (column.text) {
                const char* text = static_cast<const char*>(field);
                size_t length = FieldTextLength(field, column.size);
                if (length == column.size) { // no terminator inside the field
                    unterminated.assign(text, length);
                    text = unterminated.c_str();
                }
                result = builder.SetStringCell(static_cast<int32_t>(r), static_cast<int32_t>(c),
                                               text, column.name, 0);
            } else {
                int32_t value;
                memcpy(&value, field, sizeof(value));
                result = builder.SetIntCell(static_cast<int32_t>(r), static_cast<int32_t>(c), value,
                                            column.name);
            }
            if (result != 0)
                return -1;
        }
    }
    ResultSet* table = builder.Finish();
    if (table == nullptr)
        return -1;
    if (AddResultSetParam(packet, table, tableName) != 0) {
        FreeResultSet(table);
        return -1;
    }
    return 0;
}

// ---- packet -> FilterConfig ------------------------------------------------------

template <typename Row, size_t N>
void ApplyTable(const ParamPacket* packet, const char* tableName, std::vector<Row*>& rows,
                const ColumnKey<Row> (&columns)[N]) {
    int32_t rowCount = 0, columnCount = 0;
    GetConfigTableSize(tableName, packet, &rowCount, &columnCount);
    // A table without columns carries no values; its row count alone costs the
    // encoding nothing, so it must not be able to make us allocate rows.
    if (rowCount <= 0 || columnCount <= 0)
        return;
    // Cells come from the first table of that name (as GetConfigCell reads them); a row
    // it does not hold stays zero.
    const ResultSet* table = FindFirstTable(packet, tableName);
    rows.reserve(rows.size() + static_cast<size_t>(rowCount));
    for (int32_t r = 0; r < rowCount; ++r) {
        Row* row = new Row(); // zero-filled: text bytes after the terminator are 0
        for (size_t c = 0; c < N; ++c) {
            const ColumnKey<Row>& column = columns[c];
            const ResultCell* cell = FindCell(table, column.name, r);
            // A cell of the wrong type leaves its field zero.
            if (cell == nullptr || cell->type != (column.text ? PT_STRING : PT_INTEGER))
                continue;
            CopyCell(cell, column.field(*row), column.size);
        }
        rows.push_back(row);
    }
}

// True when the key was read into its field.
bool ApplyScalar(const ParamPacket* packet, const ScalarKey& key, FilterConfigRecord& record) {
    const ParamEntry* entry = FindValueEntry(packet, key.name);
    // A key stored with a type its field does not hold keeps the field as it was.
    if (entry == nullptr || entry->type != (key.text ? PT_STRING : PT_INTEGER))
        return false;
    return GetConfigValue(key.name, key.field(record), key.size, packet) == 0;
}

} // namespace

int GetConfigValue(const char* name, void* destination, size_t size, const ParamPacket* packet) {
    const ParamEntry* entry = FindValueEntry(packet, name);
    if (entry == nullptr || destination == nullptr)
        return -1;
    if (entry->type == PT_STRING) {
        if (size == 0)
            return -1;
        CopyStoredText(static_cast<char*>(destination), size, entry->value, entry->length);
        return 0;
    }
    return CopyStoredInt(destination, size, entry->value, entry->length) ? 0 : -1;
}

void GetConfigCell(const char* table, const char* column, void* destination, size_t size,
                   const ParamPacket* packet, int32_t row) {
    CopyCell(FindCell(FindFirstTable(packet, table), column, row), destination, size);
}

void GetConfigTableSize(const char* table, const ParamPacket* packet, int32_t* rowCount,
                        int32_t* columnCount) {
    *rowCount = 0;
    *columnCount = 0;
    if (packet == nullptr)
        return;
    for (int32_t k = 0; k < packet->count; ++k) {
        const ParamEntry& entry = packet->entries[k];
        if (entry.type == PT_RESULTSET && entry.value != nullptr && NameIs(entry.name, table)) {
            const ResultSet* found = static_cast<const ResultSet*>(entry.value);
            *rowCount = found->rowCount;
            *columnCount = found->columnCount;
        }
    }
}

int BuildDefaultConfig(uint8_t** blob, size_t* length) {
    *blob = nullptr;
    *length = 0;
    ParamPacket* packet = nullptr;
    if (CreatePacket(&packet, 1, 1, 1, 1) != 0)
        return -1;

    struct Default {
        const char* name;
        const char* text; // null: an integer
        int32_t value;
    };
    const char* message = DEFAULT_MESSAGE_TEXT;
    const Default defaults[] = {
        {"FLAG_IPADDRESS", nullptr, 0},
        {"FLAG_COMPUTERNAME", nullptr, 0},
        {"FLAG_MACADDRESS", nullptr, 0},
        {"FLAG_VERSION", nullptr, 0},
        {"FLAG_SERVEROPTION", nullptr, 0},
        {"FLAG_IPADDRESS_ALLOW", nullptr, 0},
        {"FLAG_COMPUTERNAME_ALLOW", nullptr, 0},
        {"FLAG_MACADDRESS_ALLOW", nullptr, 0},
        {"VERDISALLOW", "", 0},
        {"VERALLOW", "", 0},
        {"VERHIGHER", "", 0},
        {"VERLOWER", "", 0},
        {"VERBETWEEN", "", 0},
        {"SESSION_PER_IP", nullptr, 1},
        {"MSG_IPADDRESS", message, 0},
        {"MSG_COMPUTERNAME", message, 0},
        {"MSG_MACADDRESS", message, 0},
        {"MSG_TIME", message, 0},
        {"MSG_SESSIONPERIP", message, 0},
        {"MSG_VERSION", message, 0},
        {"MSG_SESSIONPERUSER", message, 0},
        {"TITLE_IPADDRESS", "Attention - IP Address Filter active - Quillon", 0},
        {"TITLE_COMPUTERNAME", "Attention - Computer Name Filter active - Quillon", 0},
        {"TITLE_MACADDRESS", "Attention - MAC Address Filter active - Quillon", 0},
        {"TITLE_TIME", "Attention - Logon Time Filter active - Quillon", 0},
        {"TITLE_SESSIONPERIP", "Attention - Sessions by IP Filter active - Quillon", 0},
        {"TITLE_VERSION", "Attention - Client Version Filter active - Quillon", 0},
        {"TITLE_SESSIONPERUSER", "Attention - Sessions by Username Filter active - Quillon", 0},
        {"FLAG_TIME", nullptr, 0},
        {"WEEK_W1", nullptr, 1},
        {"WEEK_W2", nullptr, 1},
        {"WEEK_W3", nullptr, 1},
        {"WEEK_W4", nullptr, 1},
        {"WEEK_W5", nullptr, 1},
        {"WEEK_W6", nullptr, 1},
        {"WEEK_W7", nullptr, 1},
        {"TIME_BETWEEN", nullptr, 1},
        {"TIME_FROM", "00:00:00", 0},
        {"TIME_TO", "00:00:00", 0},
        {"REMOVE_DISCONNECTED", nullptr, 0},
        {"IGNORE_DISCONNECTED", nullptr, 0},
        {"FLAG_SERVEROPTION_SESSIONPERUSER", nullptr, 0},
        {"SESSIONPERUSER_COUNT", nullptr, 1},
        {"FLAG_USER_IGNORE_DISCONNECTED", nullptr, 0},
        {"FLAG_USER_REMOVE_DISCONNECTED", nullptr, 0},
        {"FLAG_USER_IGNORE_ADMINISTRATOR", nullptr, 0},
        {"FLAG_SERVEROPTION_CHECK_TYPE", nullptr, 0},
        {"FLAG_SESSION_PER_USER_DEFAULT", nullptr, 0},
        {"FLAG_LOGON_LOGS", nullptr, 0},
        {"FLAG_APP_LOGS", nullptr, 0},
        {"LOGON_LOGFILE", "", 0},
        {"APP_LOGFILE", "", 0},
    };
    for (const Default& d : defaults) {
        int result = d.text != nullptr ? AddStringParam(packet, d.text, d.name, 0)
                                       : AddIntParam(packet, d.value, d.name, 0);
        if (result != 0) {
            FreePacket(packet);
            return -1;
        }
    }
    int result = EncodePacket(packet, blob, length);
    FreePacket(packet);
    return result == 0 ? 0 : -1;
}

ParamPacket* BuildConfigPacket(ConfigParamOrder order) {
    ParamPacket* packet = nullptr;
    if (CreatePacket(&packet, 1, 1, 1, 1) != 0)
        return nullptr;
    try {
        for (size_t index : ScalarOrder(order)) {
            if (AddScalar(packet, SCALAR_KEYS[index]) != 0)
                throw std::bad_alloc();
        }
        const FilterConfigRecord& c = FilterConfig;
        if (AddTable(packet, "R_IPADDRESS", c.ipRanges, IP_RANGE_COLUMNS) != 0 ||
            AddTable(packet, "R_COMPUTERNAME", c.computerNames, COMPUTER_NAME_COLUMNS) != 0 ||
            AddTable(packet, "R_MAC", c.macAddresses, MAC_ADDRESS_COLUMNS) != 0 ||
            AddTable(packet, "MONITOR_SERVER", c.monitorServers, MONITOR_SERVER_COLUMNS) != 0 ||
            AddTable(packet, "R_SESSION_IP", c.sessionIps, SESSION_IP_COLUMNS) != 0 ||
            AddTable(packet, "R_SESSION_USER", c.sessionUsers, SESSION_USER_COLUMNS) != 0)
            throw std::bad_alloc();
    } catch (const std::bad_alloc&) {
        FreePacket(packet);
        return nullptr;
    }
    return packet;
}

int ApplyConfigPacket(const ParamPacket* packet) {
    return ApplyConfigPacketTo(packet, FilterConfig);
}

int ApplyConfigPacketTo(const ParamPacket* packet, FilterConfigRecord& c) {
    if (packet == nullptr)
        return -1;
    try {
        ApplyTable(packet, "R_IPADDRESS", c.ipRanges, IP_RANGE_COLUMNS);
        ApplyTable(packet, "R_COMPUTERNAME", c.computerNames, COMPUTER_NAME_COLUMNS);
        ApplyTable(packet, "R_MAC", c.macAddresses, MAC_ADDRESS_COLUMNS);
        ApplyTable(packet, "MONITOR_SERVER", c.monitorServers, MONITOR_SERVER_COLUMNS);
        ApplyTable(packet, "R_SESSION_IP", c.sessionIps, SESSION_IP_COLUMNS);
        ApplyTable(packet, "R_SESSION_USER", c.sessionUsers, SESSION_USER_COLUMNS);
    } catch (const std::bad_alloc&) {
        return -1;
    }
    for (const ScalarKey& key : SCALAR_KEYS) {
        // A stored limit of 0 sessions per address reads as 1.
        if (ApplyScalar(packet, key, c) && key.field(c) == &c.SESSION_PER_IP &&
            c.SESSION_PER_IP == 0)
            c.SESSION_PER_IP = 1;
    }
    return 0;
}

void CopyConfigScalars(FilterConfigRecord& from, FilterConfigRecord& to) {
    to.modified = from.modified;
    for (const ScalarKey& key : SCALAR_KEYS)
        memcpy(key.field(to), key.field(from), key.size);
}

// ---- the keys for tools -------------------------------------------------------------

namespace {

template <typename Row, size_t N>
std::array<ConfigColumnKey, N> ColumnInfos(const ColumnKey<Row> (&columns)[N]) {
    std::array<ConfigColumnKey, N> infos{};
    for (size_t c = 0; c < N; ++c)
        infos[c] = {columns[c].name, columns[c].text, columns[c].size};
    return infos;
}

template <typename Row, size_t N, std::vector<Row*> FilterConfigRecord::*List,
          const ColumnKey<Row> (&Columns)[N]>
struct TableAccess {
    static size_t RowCount(const FilterConfigRecord& c) { return (c.*List).size(); }
    static void* Cell(FilterConfigRecord& c, size_t row, size_t column) {
        return Columns[column].field(*(c.*List)[row]);
    }
    static void AppendRow(FilterConfigRecord& c) {
        std::unique_ptr<Row> row(new Row()); // zero-filled
        (c.*List).push_back(row.get());
        row.release();
    }
    static ConfigTableKey Key(const char* name) {
        static const std::array<ConfigColumnKey, N> infos = ColumnInfos(Columns);
        return {name, infos.data(), N, RowCount, Cell, AppendRow};
    }
};

} // namespace

const ConfigScalarKey* ConfigScalarKeys(size_t* count) {
    *count = SCALAR_KEY_COUNT;
    return SCALAR_KEYS;
}

std::vector<size_t> ConfigScalarOrder(ConfigParamOrder order) {
    return ScalarOrder(order);
}

const ConfigTableKey* ConfigTableKeys(size_t* count) {
    using R = FilterConfigRecord;
    static const ConfigTableKey tables[] = {
        TableAccess<IpRangeRow, 3, &R::ipRanges, IP_RANGE_COLUMNS>::Key("R_IPADDRESS"),
        TableAccess<ComputerNameRow, 2, &R::computerNames, COMPUTER_NAME_COLUMNS>::Key(
            "R_COMPUTERNAME"),
        TableAccess<MacAddressRow, 2, &R::macAddresses, MAC_ADDRESS_COLUMNS>::Key("R_MAC"),
        TableAccess<MonitorServerRow, 1, &R::monitorServers, MONITOR_SERVER_COLUMNS>::Key(
            "MONITOR_SERVER"),
        TableAccess<SessionIpRow, 2, &R::sessionIps, SESSION_IP_COLUMNS>::Key("R_SESSION_IP"),
        TableAccess<SessionUserRow, 2, &R::sessionUsers, SESSION_USER_COLUMNS>::Key(
            "R_SESSION_USER"),
    };
    *count = sizeof tables / sizeof tables[0];
    return tables;
}
