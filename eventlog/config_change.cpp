#include "eventlog/config_change.h"

#include <cctype>
#include <new>

#include "config/config_blob.h"
#include "config/persistence.h"
#include "explain/change_summary.h"

namespace {

// A configuration read aside; its rows go with it.
struct StoredRecord {
    FilterConfigRecord record{};
    ~StoredRecord() { ClearRecordLists(record); }
};

const char NOTHING_READABLE[] = "no readable configuration was stored before";

// Registry value names compare without case.
bool SameValueName(const std::string& name, const char* wanted) {
    size_t k = 0;
    for (; k < name.size() && wanted[k] != '\0'; ++k)
        if (tolower(static_cast<unsigned char>(name[k])) != wanted[k])
            return false;
    return k == name.size() && wanted[k] == '\0';
}

} // namespace

std::string StoredConfigChange(FilterConfigRecord& config, uint32_t codePage) {
    StoredRecord stored;
    if (ReadStoredConfig(stored.record) != 0)
        return NOTHING_READABLE;
    return SummarizeConfigChange(stored.record, config, codePage);
}

std::string StoredValuesChange(const std::vector<RegistryValue>& stored, FilterConfigRecord& config,
                               uint32_t codePage) {
    const RegistryValue* data = nullptr;
    const RegistryValue* size = nullptr;
    for (const RegistryValue& value : stored) {
        if (SameValueName(value.name, "tsdata"))
            data = &value;
        else if (SameValueName(value.name, "datasize"))
            size = &value;
    }
    // As the library reads them: a "datasize" of four bytes, not 0 and at least the
    // blob's length (a smaller one is a save under way).
    if (data == nullptr || size == nullptr || size->data.size() != 4)
        return NOTHING_READABLE;
    const auto* sizeBytes = reinterpret_cast<const uint8_t*>(size->data.data());
    const uint32_t declared =
        static_cast<uint32_t>(sizeBytes[0]) | static_cast<uint32_t>(sizeBytes[1]) << 8 |
        static_cast<uint32_t>(sizeBytes[2]) << 16 | static_cast<uint32_t>(sizeBytes[3]) << 24;
    if (declared == 0 || declared < data->data.size())
        return NOTHING_READABLE;
    StoredRecord read;
    try {
        std::vector<uint8_t> blob(data->data.begin(), data->data.end());
        CryptConfigBlob(blob.data(), blob.size());
        if (ApplyConfigBlob(blob.data(), blob.size(), read.record) != 0)
            return NOTHING_READABLE;
    } catch (const std::bad_alloc&) {
        return NOTHING_READABLE;
    }
    return SummarizeConfigChange(read.record, config, codePage);
}
