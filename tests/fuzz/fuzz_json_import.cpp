// Reads arbitrary bytes as a configuration in JSON. The import must never crash or
// write past a field: afterwards every text field still ends within its width. A text
// that imports without a problem is stored as written and reads back the same, but for
// a default per-address limit of 0, which every load of a stored configuration reads as
// 1 (build stores the 0 as written, so a configuration shown and built again keeps the
// bytes it had).
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "config/config_model.h"
#include "compare/config_fields.h"
#include "gwconfig/config_io.h"

namespace {

void ExpectTerminated(const void* field, size_t size) {
    if (memchr(field, '\0', size) == nullptr)
        abort();
}

void ExpectEveryTextTerminated(FilterConfigRecord& record) {
    const ConfigKeys& keys = AllConfigKeys();
    for (size_t k = 0; k < keys.scalarCount; ++k) {
        if (keys.scalars[k].text)
            ExpectTerminated(keys.scalars[k].field(record), keys.scalars[k].size);
    }
    for (size_t t = 0; t < keys.tableCount; ++t) {
        const ConfigTableKey& table = keys.tables[t];
        for (size_t r = 0; r < table.rowCount(record); ++r) {
            for (size_t c = 0; c < table.columnCount; ++c) {
                if (table.columns[c].text)
                    ExpectTerminated(table.cell(record, r, c), table.columns[c].size);
            }
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // As build reads a file: the default configuration, then the text over it.
    std::vector<std::string> errors;
    bool clean = LoadConfigJson(std::string(reinterpret_cast<const char*>(data), size), "fuzz",
                                1252, &errors);
    if (clean != errors.empty())
        abort();
    ExpectEveryTextTerminated(FilterConfig);
    if (clean) {
        const int32_t limit = FilterConfig.SESSION_PER_IP;
        std::string first, second;
        if (!EncodeConfigFile(&first) || !LoadConfigBlob(first))
            abort();
        if (limit == 0) {
            if (FilterConfig.SESSION_PER_IP != 1)
                abort();
            FilterConfig.SESSION_PER_IP = 0;
        }
        if (!EncodeConfigFile(&second) || first != second)
            abort();
    }
    ResetFilterConfig();
    return 0;
}
