#include "gwconfig/config_show.h"

#include <string>

#include "compare/config_fields.h"

namespace {

std::string ScalarValue(FilterConfigRecord& record, const ConfigScalarKey& key, uint32_t codePage) {
    const void* field = key.field(record);
    return key.text ? JsonQuoted(StoredToUtf8(codePage, FieldText(field, key.size)))
                    : std::to_string(FieldInt(field));
}

void Put(const std::string& text, FILE* out) {
    fwrite(text.data(), 1, text.size(), out);
}

} // namespace

void WriteConfigJson(FilterConfigRecord& record, uint32_t codePage, FILE* out,
                     const BesideValues* beside) {
    const ConfigKeys& keys = AllConfigKeys();
    const bool sides = beside != nullptr && beside->Any();
    Put("{\n", out);
    for (size_t k = 0; k < keys.scalarCount; ++k) {
        const ConfigScalarKey& key = keys.scalars[k];
        Put("  " + JsonQuoted(key.name) + ": " + ScalarValue(record, key, codePage) + ",\n", out);
    }
    for (size_t t = 0; t < keys.tableCount; ++t) {
        const ConfigTableKey& table = keys.tables[t];
        const size_t rows = table.rowCount(record);
        const char* after = t + 1 < keys.tableCount || sides ? "," : "";
        if (rows == 0) {
            Put("  " + JsonQuoted(table.name) + ": []" + after + "\n", out);
            continue;
        }
        Put("  " + JsonQuoted(table.name) + ": [\n", out);
        for (size_t r = 0; r < rows; ++r)
            Put("    " + RowJson(record, table, r, codePage) + (r + 1 < rows ? ",\n" : "\n"), out);
        Put(std::string("  ]") + after + "\n", out);
    }
    // The settings beside the configuration follow its keys, in the table's order.
    std::string members;
    for (int id = 0; sides && id < SIDE_SETTING_COUNT; ++id) {
        if (beside->has[id])
            members += std::string(members.empty() ? "" : ",\n") + "  " +
                       JsonQuoted(SIDE_SETTINGS[id].name) + ": " +
                       std::to_string(beside->value[id]);
    }
    if (sides)
        Put(members + "\n", out);
    Put("}\n", out);
}

void WriteConfigText(FilterConfigRecord& record, uint32_t codePage, FILE* out,
                     const BesideValues* beside) {
    const ConfigKeys& keys = AllConfigKeys();
    for (size_t k = 0; k < keys.scalarCount; ++k) {
        const ConfigScalarKey& key = keys.scalars[k];
        Put(std::string(key.name) + " = " + ScalarValue(record, key, codePage) + "\n", out);
    }
    for (size_t t = 0; t < keys.tableCount; ++t) {
        const ConfigTableKey& table = keys.tables[t];
        const size_t rows = table.rowCount(record);
        Put(std::string(table.name) + ": " + std::to_string(rows) + (rows == 1 ? " row" : " rows") +
                "\n",
            out);
        for (size_t r = 0; r < rows; ++r) {
            std::string line = "  " + std::to_string(r + 1) + ":";
            for (size_t c = 0; c < table.columnCount; ++c)
                line += std::string(" ") + table.columns[c].name + "=" +
                        CellJson(record, table, r, c, codePage);
            Put(line + "\n", out);
        }
    }
    for (int id = 0; beside != nullptr && id < SIDE_SETTING_COUNT; ++id) {
        if (beside->has[id])
            Put(std::string(SIDE_SETTINGS[id].name) + " = " + std::to_string(beside->value[id]) +
                    "\n",
                out);
    }
}
