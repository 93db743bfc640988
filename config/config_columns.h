// The columns of the six tables as the packet and the blob name them, and where each
// lives in its row record. Private to the configuration store.
#pragma once

#include <cstddef>
#include <cstdint>

#include "config/config_model.h"

namespace config_columns {

template <typename Row> struct ColumnKey {
    const char* name;
    bool text;
    size_t size;   // the field's width (terminator included; 4 for an integer)
    size_t offset; // of the field in the row
    void* field(Row& row) const { return reinterpret_cast<char*>(&row) + offset; }
};

#define GW_INT_COLUMN(Row, column)                                                                 \
    ColumnKey<Row> {                                                                               \
#column, false, sizeof(int32_t), offsetof(Row, column)                                     \
    }
#define GW_TEXT_COLUMN(Row, column)                                                                \
    ColumnKey<Row> {                                                                               \
#column, true, sizeof(Row::column), offsetof(Row, column)                                  \
    }

inline const ColumnKey<IpRangeRow> IP_RANGE_COLUMNS[] = {
    GW_TEXT_COLUMN(IpRangeRow, IPFROM),
    GW_TEXT_COLUMN(IpRangeRow, IPTO),
    GW_INT_COLUMN(IpRangeRow, TYPE),
};
inline const ColumnKey<ComputerNameRow> COMPUTER_NAME_COLUMNS[] = {
    GW_TEXT_COLUMN(ComputerNameRow, CNAME),
    GW_INT_COLUMN(ComputerNameRow, TYPE),
};
inline const ColumnKey<MacAddressRow> MAC_ADDRESS_COLUMNS[] = {
    GW_TEXT_COLUMN(MacAddressRow, MACADDRESS),
    GW_INT_COLUMN(MacAddressRow, TYPE),
};
inline const ColumnKey<MonitorServerRow> MONITOR_SERVER_COLUMNS[] = {
    GW_TEXT_COLUMN(MonitorServerRow, SERVER),
};
inline const ColumnKey<SessionIpRow> SESSION_IP_COLUMNS[] = {
    GW_TEXT_COLUMN(SessionIpRow, SESSION_IP),
    GW_INT_COLUMN(SessionIpRow, SESSION_IPCOUNTER),
};
inline const ColumnKey<SessionUserRow> SESSION_USER_COLUMNS[] = {
    GW_TEXT_COLUMN(SessionUserRow, SESSION_USER),
    GW_INT_COLUMN(SessionUserRow, SESSION_USERCOUNT),
};

#undef GW_INT_COLUMN
#undef GW_TEXT_COLUMN

} // namespace config_columns
