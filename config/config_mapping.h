// The bridge between FilterConfig and the parameter packet it is stored in: reading
// values and table cells by name, filling FilterConfig from a decoded packet,
// building a packet from FilterConfig, and the encoded default configuration.
// Names of parameters and columns are matched exactly (case-sensitive); their order
// in a packet carries no meaning.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "config/container.h"

struct FilterConfigRecord;

// Reads the first parameter called `name` that is an integer, float or text into
// `destination` of `size` bytes: an integer (or the first 4 bytes of a float) as an
// int32, a text with its terminator, cut to fit and always NUL-terminated. 0; -1
// (destination unchanged) when there is no such parameter or it does not fit.
int GetConfigValue(const char* name, void* destination, size_t size, const ParamPacket* packet);

// Reads one cell of the first table called `table`: in row `row`, the first cell of
// column `column`. An integer cell gives an int32, a plain text cell its text (cut to
// fit, NUL-terminated), a binary cell its bytes (cut to fit). Anything else -- no
// such table, row or column, an enciphered text, a value too short -- leaves the
// destination unchanged.
void GetConfigCell(const char* table, const char* column, void* destination, size_t size,
                   const ParamPacket* packet, int32_t row);

// Both counts of the last table called `table`; 0 and 0 when there is none.
void GetConfigTableSize(const char* table, const ParamPacket* packet, int32_t* rowCount,
                        int32_t* columnCount);

// The encoded default configuration (no tables). The caller frees the blob with
// FreeBlob. 0; -1 when memory runs out.
int BuildDefaultConfig(uint8_t** blob, size_t* length);

// Where the two per-user texts stand among the scalars. Both orders carry the same
// parameters and read back the same.
enum ConfigParamOrder {
    REGISTRY_PARAM_ORDER, // MSG_/TITLE_SESSIONPERUSER after FLAG_USER_IGNORE_ADMINISTRATOR
    FILE_PARAM_ORDER,     // MSG_/TITLE_SESSIONPERUSER right after TITLE_VERSION
};

// A new packet holding the current FilterConfig: every scalar, then one table per
// non-empty row list. The caller frees it with FreePacket. Null when memory runs out.
ParamPacket* BuildConfigPacket(ConfigParamOrder order = REGISTRY_PARAM_ORDER);

// Fills FilterConfig from a decoded packet: tables first (rows appended to the
// lists), then every scalar present. SESSION_PER_IP 0 reads as 1. A key or cell of a
// type its field does not hold is skipped. The packet stays the caller's.
// 0; -1 when memory runs out (the rows read so far stay in the lists).
int ApplyConfigPacket(const ParamPacket* packet);

// The same into another record (a configuration being built aside).
int ApplyConfigPacketTo(const ParamPacket* packet, FilterConfigRecord& record);

// Copies every scalar field and `modified` from one record to another; the rows of
// neither are touched.
void CopyConfigScalars(FilterConfigRecord& from, FilterConfigRecord& to);

// ---- every key, for tools that walk the whole configuration ---------------------

// A scalar key: its name, whether it holds a text, the width of its FilterConfig
// field (terminator included; 4 for an integer) and that field in a given record.
struct ConfigScalarKey {
    const char* name;
    bool text;
    size_t size;
    void* (*field)(FilterConfigRecord&);
};

// Every scalar key, in the order the registry copy carries them.
const ConfigScalarKey* ConfigScalarKeys(size_t* count);

struct ConfigColumnKey {
    const char* name;
    bool text;
    size_t size; // as for a scalar
};

// A table key, its columns, and the rows of its list in a given record.
struct ConfigTableKey {
    const char* name;
    const ConfigColumnKey* columns;
    size_t columnCount;
    size_t (*rowCount)(const FilterConfigRecord&);
    // The field of one cell of an existing row.
    void* (*cell)(FilterConfigRecord&, size_t row, size_t column);
    // Appends a zero-filled row, owned by the record's list; throws std::bad_alloc.
    void (*appendRow)(FilterConfigRecord&);
};

// The six tables, in the order packets carry them.
const ConfigTableKey* ConfigTableKeys(size_t* count);

// The order in which a packet of the given kind carries the scalars, as indices into
// ConfigScalarKeys.
std::vector<size_t> ConfigScalarOrder(ConfigParamOrder order);
