// Any bytes as a plain configuration blob: read straight into a record already holding a
// configuration they give what DecodePacket and ApplyConfigPacketTo give (the same
// verdict, every field and row the same bytes), and what reads, encoded straight from
// the record, is the packet's encoding of it.
#include <cstdlib>
#include <cstring>
#include <vector>

#include "config/config_blob.h"
#include "config/config_mapping.h"
#include "config/config_model.h"
#include "config/container.h"

namespace {

bool SameRecord(FilterConfigRecord& a, FilterConfigRecord& b) {
    size_t count = 0;
    const ConfigScalarKey* scalars = ConfigScalarKeys(&count);
    for (size_t k = 0; k < count; ++k) {
        if (memcmp(scalars[k].field(a), scalars[k].field(b), scalars[k].size) != 0)
            return false;
    }
    const ConfigTableKey* tables = ConfigTableKeys(&count);
    for (size_t t = 0; t < count; ++t) {
        const ConfigTableKey& table = tables[t];
        if (table.rowCount(a) != table.rowCount(b))
            return false;
        for (size_t r = 0; r < table.rowCount(a); ++r) {
            for (size_t c = 0; c < table.columnCount; ++c) {
                if (memcmp(table.cell(a, r, c), table.cell(b, r, c), table.columns[c].size) != 0)
                    return false;
            }
        }
    }
    return true;
}

// What a record holds before a load: every field and one row of each table filled, so
// that a field the blob does not name must keep its bytes and rows must be appended.
void Seed(FilterConfigRecord& record) {
    size_t count = 0;
    const ConfigScalarKey* scalars = ConfigScalarKeys(&count);
    for (size_t k = 0; k < count; ++k) {
        memset(scalars[k].field(record), 'Z', scalars[k].size);
        if (scalars[k].text)
            static_cast<char*>(scalars[k].field(record))[scalars[k].size - 1] = '\0';
    }
    const ConfigTableKey* tables = ConfigTableKeys(&count);
    for (size_t t = 0; t < count; ++t) {
        tables[t].appendRow(record);
        for (size_t c = 0; c < tables[t].columnCount; ++c) {
            const ConfigColumnKey& column = tables[t].columns[c];
            memset(tables[t].cell(record, 0, c), 'Y', column.size);
            if (column.text)
                static_cast<char*>(tables[t].cell(record, 0, c))[column.size - 1] = '\0';
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ResetFilterConfig();
    Seed(FilterConfig);
    FilterConfigRecord* direct = new FilterConfigRecord();
    Seed(*direct);
    int applied = ApplyConfigBlob(data, size, *direct);
    ParamPacket* packet = nullptr;
    if (DecodePacket(data, size, &packet) != 0) {
        if (applied != CONFIG_BLOB_UNREADABLE || !SameRecord(FilterConfig, *direct))
            abort();
    } else {
        if (applied != 0 || ApplyConfigPacket(packet) != 0 || !SameRecord(FilterConfig, *direct))
            abort();
        FreePacket(packet);
        ParamPacket* built = BuildConfigPacket(FILE_PARAM_ORDER);
        uint8_t *packetBlob = nullptr, *recordBlob = nullptr;
        size_t packetLength = 0, recordLength = 0;
        if (built == nullptr || EncodePacket(built, &packetBlob, &packetLength) != 0 ||
            EncodeConfigRecord(*direct, FILE_PARAM_ORDER, &recordBlob, &recordLength) != 0 ||
            packetLength != recordLength || memcmp(packetBlob, recordBlob, packetLength) != 0)
            abort();
        FreeBlob(packetBlob);
        FreeBlob(recordBlob);
        FreePacket(built);
    }
    ClearRecordLists(*direct);
    delete direct;
    ResetFilterConfig();
    return 0;
}
