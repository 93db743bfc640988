#include "config/config_blob.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

#include "config/config_columns.h"
#include "config/config_model.h"
#include "config/container_internal.h"

using namespace config_columns;
using namespace container_detail;

namespace {

// ---- blob -> record ------------------------------------------------------------

// An entry of the blob, its name up to its first 0 byte, as the decoded packet holds it.
using BlobEntry = ItemHeader;

void KeepEntry(void* context, const ItemHeader& item) {
    static_cast<std::vector<BlobEntry>*>(context)->push_back(
        {item.type, item.encryptMethod, item.name, BoundedTextLength(item.name, item.nameLength),
         item.value, item.valueLength});
}

bool NameIs(const uint8_t* name, size_t length, const char* wanted, size_t wantedLength) {
    return length == wantedLength && memcmp(name, wanted, length) == 0;
}

// A stored text into a field, cut to fit and terminated; the bytes after the
// terminator stay as they were.
void CopyText(void* field, size_t size, const uint8_t* text, size_t length) {
    if (length > size - 1)
        length = size - 1;
    memcpy(field, text, length);
    static_cast<char*>(field)[length] = '\0';
}

// A checked table's counts as the decoded table holds them: no rows without columns.
void TableCounts(const BlobEntry& table, int32_t* rows, int32_t* columns) {
    *rows = LoadLe32(table.value);
    *columns = LoadLe32(table.value + 4);
    if (*columns == 0)
        *rows = 0;
}

// True when a stored name (`length` bytes, read up to its first 0 byte) is `wanted`.
bool StoredNameIs(const uint8_t* name, size_t length, const char* wanted, size_t wantedLength) {
    if (length < wantedLength || (length > wantedLength && name[wantedLength] != 0))
        return false;
    // Eight or four bytes at a time, the last load ending with the name.
    auto same = [name, wanted](size_t at, size_t width) {
        uint64_t a = 0, b = 0;
        memcpy(&a, name + at, width);
        memcpy(&b, wanted + at, width);
        return a == b;
    };
    if (wantedLength >= 8) {
        for (size_t k = 0; k + 8 < wantedLength; k += 8) {
            if (!same(k, 8))
                return false;
        }
        return same(wantedLength - 8, 8);
    }
    if (wantedLength >= 4)
        return same(0, 4) && same(wantedLength - 4, 4);
    for (size_t k = 0; k < wantedLength; ++k) {
        if (name[k] != static_cast<uint8_t>(wanted[k]))
            return false;
    }
    return true;
}

// As ApplyConfigPacketTo reads a table: as many rows as the last table of the name
// holds, each filled from the same row of the first table of the name (where it has
// one) by the first cell of each column's name; a cell of another type, or an
// enciphered text, leaves its field zero. Throws std::bad_alloc.
template <typename Row, size_t N>
void ApplyTable(const std::vector<BlobEntry>& entries, const char* tableName,
                std::vector<Row*>& rows, const ColumnKey<Row> (&columns)[N]) {
    const size_t wanted = strlen(tableName);
    const BlobEntry* first = nullptr;
    const BlobEntry* last = nullptr;
    for (const BlobEntry& entry : entries) {
        if (entry.type == PT_RESULTSET && NameIs(entry.name, entry.nameLength, tableName, wanted)) {
            first = first != nullptr ? first : &entry;
            last = &entry;
        }
    }
    if (last == nullptr)
        return;
    int32_t rowCount = 0, columnCount = 0, firstRows = 0, firstColumns = 0;
    TableCounts(*last, &rowCount, &columnCount);
    if (rowCount <= 0 || columnCount <= 0)
        return;
    TableCounts(*first, &firstRows, &firstColumns);

    size_t columnLength[N];
    for (size_t k = 0; k < N; ++k)
        columnLength[k] = strlen(columns[k].name);
    rows.reserve(rows.size() + static_cast<size_t>(rowCount));
    // ScanPacket checked every cell header of the table: they are read as they stand.
    const uint8_t* at = first->value + BLOB_HEADER_SIZE;
    for (int32_t r = 0; r < rowCount; ++r) {
        Row* row = new Row(); // zero-filled: text bytes after the terminator are 0
        rows.push_back(row);
        if (r >= firstRows)
            continue; // a row the first table does not hold stays zero
        const uint8_t* cells[N] = {};
        for (int32_t c = 0; c < firstColumns; ++c) {
            const uint8_t* cell = at;
            size_t nameLength = static_cast<uint32_t>(LoadLe32(cell + 2));
            size_t valueLength = static_cast<uint32_t>(LoadLe32(cell + 6));
            at += ITEM_HEADER_SIZE + nameLength + valueLength;
            // Cells mostly stand in the columns' order: that column is tried first.
            for (size_t j = 0; j < N; ++j) {
                size_t k = (static_cast<size_t>(c) + j) % N;
                if (cells[k] == nullptr && StoredNameIs(cell + ITEM_HEADER_SIZE, nameLength,
                                                        columns[k].name, columnLength[k])) {
                    cells[k] = cell;
                    break; // the columns' names differ: no other can match
                }
            }
        }
        for (size_t k = 0; k < N; ++k) {
            const uint8_t* cell = cells[k];
            if (cell == nullptr)
                continue;
            const uint8_t* value =
                cell + ITEM_HEADER_SIZE + static_cast<uint32_t>(LoadLe32(cell + 2));
            size_t valueLength = static_cast<uint32_t>(LoadLe32(cell + 6));
            void* field = columns[k].field(*row);
            if (columns[k].text && cell[0] == PT_STRING && cell[1] == 0)
                CopyText(field, columns[k].size, value, BoundedTextLength(value, valueLength));
            else if (!columns[k].text && cell[0] == PT_INTEGER && valueLength >= 4)
                memcpy(field, value, sizeof(int32_t));
        }
    }
}

// As ApplyScalar reads a key: the first integer, float or text entry of its name, when
// it has the key's type; a text up to its first 0 byte, an integer of at least four
// bytes. True when the field was written.
bool ApplyScalar(const std::vector<BlobEntry>& entries, const ConfigScalarKey& key,
                 FilterConfigRecord& record) {
    const size_t wanted = strlen(key.name);
    for (const BlobEntry& entry : entries) {
        if ((entry.type != PT_INTEGER && entry.type != PT_FLOAT && entry.type != PT_STRING) ||
            !NameIs(entry.name, entry.nameLength, key.name, wanted))
            continue;
        if (entry.type != (key.text ? PT_STRING : PT_INTEGER))
            return false;
        if (key.text) {
            CopyText(key.field(record), key.size, entry.value,
                     BoundedTextLength(entry.value, entry.valueLength));
            return true;
        }
        if (entry.valueLength < 4)
            return false;
        memcpy(key.field(record), entry.value, sizeof(int32_t));
        return true;
    }
    return false;
}

// ---- record -> blob ------------------------------------------------------------

// The text of a fixed field, which an editor may have left unterminated.
size_t FieldLength(const void* field, size_t size) {
    return strnlen(static_cast<const char*>(field), size);
}

void Put32(uint8_t* at, uint64_t value) {
    at[0] = static_cast<uint8_t>(value);
    at[1] = static_cast<uint8_t>(value >> 8);
    at[2] = static_cast<uint8_t>(value >> 16);
    at[3] = static_cast<uint8_t>(value >> 24);
}

// Writes one entry or cell: type, encryptMethod 0, name length, value length, name,
// value; returns where the next begins.
uint8_t* PutItem(uint8_t* at, int32_t type, const char* name, size_t nameLength, const void* value,
                 size_t valueLength) {
    at[0] = static_cast<uint8_t>(type);
    at[1] = 0;
    Put32(at + 2, nameLength);
    Put32(at + 6, valueLength);
    memcpy(at + ITEM_HEADER_SIZE, name, nameLength);
    memcpy(at + ITEM_HEADER_SIZE + nameLength, value, valueLength);
    return at + ITEM_HEADER_SIZE + nameLength + valueLength;
}

// The encoded size of a table of the record's rows (header included).
uint64_t TableSize(FilterConfigRecord& record, const ConfigTableKey& key, size_t rows) {
    uint64_t total = BLOB_HEADER_SIZE;
    for (size_t k = 0; k < key.columnCount; ++k)
        total += static_cast<uint64_t>(rows) * (ITEM_HEADER_SIZE + strlen(key.columns[k].name));
    for (size_t r = 0; r < rows; ++r) {
        for (size_t k = 0; k < key.columnCount; ++k) {
            const ConfigColumnKey& column = key.columns[k];
            total += column.text ? FieldLength(key.cell(record, r, k), column.size) : 4;
        }
    }
    return total;
}

} // namespace

int ApplyConfigBlob(const uint8_t* blob, size_t length, FilterConfigRecord& record) {
    std::vector<BlobEntry> entries;
    try {
        entries.reserve(64);
        if (ScanPacket(blob, length, KeepEntry, &entries) != 0)
            return CONFIG_BLOB_UNREADABLE;
    } catch (const std::bad_alloc&) {
        return CONFIG_BLOB_UNREADABLE; // as DecodePacket running out of memory
    }
    size_t scalarCount = 0;
    const ConfigScalarKey* scalars = ConfigScalarKeys(&scalarCount);
    try {
        ApplyTable(entries, "R_IPADDRESS", record.ipRanges, IP_RANGE_COLUMNS);
        ApplyTable(entries, "R_COMPUTERNAME", record.computerNames, COMPUTER_NAME_COLUMNS);
        ApplyTable(entries, "R_MAC", record.macAddresses, MAC_ADDRESS_COLUMNS);
        ApplyTable(entries, "MONITOR_SERVER", record.monitorServers, MONITOR_SERVER_COLUMNS);
        ApplyTable(entries, "R_SESSION_IP", record.sessionIps, SESSION_IP_COLUMNS);
        ApplyTable(entries, "R_SESSION_USER", record.sessionUsers, SESSION_USER_COLUMNS);
    } catch (const std::bad_alloc&) {
        return CONFIG_BLOB_NO_MEMORY;
    }
    for (size_t k = 0; k < scalarCount; ++k) {
        // A stored limit of 0 sessions per address reads as 1.
        if (ApplyScalar(entries, scalars[k], record) &&
            scalars[k].field(record) == &record.SESSION_PER_IP && record.SESSION_PER_IP == 0)
            record.SESSION_PER_IP = 1;
    }
    return 0;
}

int EncodeConfigRecord(const FilterConfigRecord& constRecord, ConfigParamOrder order,
                       uint8_t** blob, size_t* length) {
    *blob = nullptr;
    *length = 0;
    // The keys' accessors take a record they could write; nothing here writes it.
    FilterConfigRecord& record = const_cast<FilterConfigRecord&>(constRecord);
    size_t tableCount = 0, scalarCount = 0;
    const ConfigTableKey* tables = ConfigTableKeys(&tableCount);
    const ConfigScalarKey* scalars = ConfigScalarKeys(&scalarCount);
    std::vector<size_t> scalarOrder;
    std::vector<uint64_t> tableSizes(tableCount, 0);
    try {
        scalarOrder = ConfigScalarOrder(order);
    } catch (const std::bad_alloc&) {
        return -1;
    }

    // Sizing, in 64 bits: a table and the whole body must fit their int32 lengths.
    uint64_t body = 0;
    uint32_t count = 0;
    for (size_t index : scalarOrder) {
        const ConfigScalarKey& key = scalars[index];
        body += ITEM_HEADER_SIZE + strlen(key.name) +
                (key.text ? FieldLength(key.field(record), key.size) : 4);
        ++count;
    }
    for (size_t t = 0; t < tableCount; ++t) {
        size_t rows = tables[t].rowCount(record);
        if (rows == 0)
            continue;
        tableSizes[t] = TableSize(record, tables[t], rows);
        if (tableSizes[t] > MAX_ENCODED_SIZE)
            return -1;
        body += ITEM_HEADER_SIZE + strlen(tables[t].name) + tableSizes[t];
        ++count;
    }
    if (body > MAX_ENCODED_SIZE)
        return -1;
    uint8_t* data = static_cast<uint8_t*>(malloc(static_cast<size_t>(body + BLOB_HEADER_SIZE)));
    if (data == nullptr)
        return -1;

    Put32(data, 1);
    Put32(data + 4, count);
    Put32(data + 8, body);
    uint8_t* at = data + BLOB_HEADER_SIZE;
    for (size_t index : scalarOrder) {
        const ConfigScalarKey& key = scalars[index];
        void* field = key.field(record);
        at = PutItem(at, key.text ? PT_STRING : PT_INTEGER, key.name, strlen(key.name), field,
                     key.text ? FieldLength(field, key.size) : 4);
    }
    for (size_t t = 0; t < tableCount; ++t) {
        const ConfigTableKey& key = tables[t];
        size_t rows = key.rowCount(record);
        if (rows == 0)
            continue;
        size_t nameLength = strlen(key.name);
        at[0] = PT_RESULTSET;
        at[1] = 0;
        Put32(at + 2, nameLength);
        Put32(at + 6, tableSizes[t]);
        memcpy(at + ITEM_HEADER_SIZE, key.name, nameLength);
        at += ITEM_HEADER_SIZE + nameLength;
        Put32(at, rows);
        Put32(at + 4, key.columnCount);
        Put32(at + 8, tableSizes[t] - BLOB_HEADER_SIZE);
        at += BLOB_HEADER_SIZE;
        for (size_t r = 0; r < rows; ++r) {
            for (size_t k = 0; k < key.columnCount; ++k) {
                const ConfigColumnKey& column = key.columns[k];
                void* field = key.cell(record, r, k);
                at = PutItem(at, column.text ? PT_STRING : PT_INTEGER, column.name,
                             strlen(column.name), field,
                             column.text ? FieldLength(field, column.size) : 4);
            }
        }
    }
    *blob = data;
    *length = static_cast<size_t>(at - data);
    return 0;
}
