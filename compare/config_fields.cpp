#include "compare/config_fields.h"

#include <cstring>

#include <nlohmann/json.hpp>

#include "platform/codepage.h"

const ConfigKeys& AllConfigKeys() {
    static const ConfigKeys keys = [] {
        ConfigKeys k{};
        k.scalars = ConfigScalarKeys(&k.scalarCount);
        k.tables = ConfigTableKeys(&k.tableCount);
        return k;
    }();
    return keys;
}

const ConfigScalarKey* FindScalarKey(const std::string& name) {
    const ConfigKeys& keys = AllConfigKeys();
    for (size_t k = 0; k < keys.scalarCount; ++k) {
        if (name == keys.scalars[k].name)
            return &keys.scalars[k];
    }
    return nullptr;
}

const ConfigTableKey* FindTableKey(const std::string& name) {
    const ConfigKeys& keys = AllConfigKeys();
    for (size_t k = 0; k < keys.tableCount; ++k) {
        if (name == keys.tables[k].name)
            return &keys.tables[k];
    }
    return nullptr;
}

int FindColumn(const ConfigTableKey& table, const std::string& name) {
    for (size_t c = 0; c < table.columnCount; ++c) {
        if (name == table.columns[c].name)
            return static_cast<int>(c);
    }
    return -1;
}

std::string FieldText(const void* field, size_t size) {
    const char* text = static_cast<const char*>(field);
    return std::string(text, strnlen(text, size));
}

int32_t FieldInt(const void* field) {
    int32_t value;
    memcpy(&value, field, sizeof value);
    return value;
}

std::string ScalarText(FilterConfigRecord& record, const char* name) {
    const ConfigScalarKey* key = FindScalarKey(name);
    return key != nullptr && key->text ? FieldText(key->field(record), key->size) : std::string();
}

int32_t ScalarInt(FilterConfigRecord& record, const char* name) {
    const ConfigScalarKey* key = FindScalarKey(name);
    return key != nullptr && !key->text ? FieldInt(key->field(record)) : 0;
}

namespace {
bool IsAscii(const std::string& text) {
    for (unsigned char c : text) {
        if (c >= 0x80)
            return false;
    }
    return true;
}
} // namespace

std::string StoredToUtf8(uint32_t codePage, const std::string& stored) {
    if (IsAscii(stored))
        return stored;
    std::string utf8;
    if (AnsiToUtf8(codePage, stored, &utf8) != CODEPAGE_OK)
        return std::string(stored.size(), '?'); // the code page was checked before use
    return utf8;
}

int Utf8ToStored(uint32_t codePage, const std::string& utf8, std::string* stored, size_t* offset) {
    if (IsAscii(utf8)) {
        *stored = utf8;
        return CODEPAGE_OK;
    }
    return Utf8ToAnsi(codePage, utf8, stored, offset);
}

std::string JsonQuoted(const std::string& utf8) {
    // Most texts need no escape at all: quote them directly.
    bool plain = true;
    for (unsigned char c : utf8) {
        if (c < 0x20 || c == '"' || c == '\\' || c >= 0x80) {
            plain = false;
            break;
        }
    }
    if (plain)
        return '"' + utf8 + '"';
    return nlohmann::json(utf8).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

std::string CellJson(FilterConfigRecord& record, const ConfigTableKey& table, size_t row,
                     size_t column, uint32_t codePage) {
    const ConfigColumnKey& key = table.columns[column];
    const void* field = table.cell(record, row, column);
    return key.text ? JsonQuoted(StoredToUtf8(codePage, FieldText(field, key.size)))
                    : std::to_string(FieldInt(field));
}

std::string RowJson(FilterConfigRecord& record, const ConfigTableKey& table, size_t row,
                    uint32_t codePage) {
    std::string out = "{";
    for (size_t c = 0; c < table.columnCount; ++c) {
        if (c > 0)
            out += ", ";
        out += JsonQuoted(table.columns[c].name) + ": " + CellJson(record, table, row, c, codePage);
    }
    return out + "}";
}

bool CodePageKnown(uint32_t codePage) {
    std::string ignored;
    return AnsiToUtf8(codePage, "\xE9", &ignored) == CODEPAGE_OK;
}
