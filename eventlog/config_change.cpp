#include "eventlog/config_change.h"

#include "config/persistence.h"
#include "explain/change_summary.h"

namespace {

// A configuration read aside; its rows go with it.
struct StoredRecord {
    FilterConfigRecord record{};
    ~StoredRecord() { ClearRecordLists(record); }
};

} // namespace

std::string StoredConfigChange(FilterConfigRecord& config, uint32_t codePage) {
    StoredRecord stored;
    if (ReadStoredConfig(stored.record) != 0)
        return "no readable configuration was stored before";
    return SummarizeConfigChange(stored.record, config, codePage);
}
