// The fields of a FilterConfigRecord reached through the configuration keys, and
// their texts converted between the stored code page and UTF-8.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "config/config_mapping.h"
#include "config/config_model.h"

struct ConfigKeys {
    const ConfigScalarKey* scalars;
    size_t scalarCount;
    const ConfigTableKey* tables;
    size_t tableCount;
};
const ConfigKeys& AllConfigKeys();

// Null when no key has that name.
const ConfigScalarKey* FindScalarKey(const std::string& name);
const ConfigTableKey* FindTableKey(const std::string& name);
// The column's index, or -1.
int FindColumn(const ConfigTableKey& table, const std::string& name);

// A text field's text (up to its NUL, never past the field) and an integer field's value.
std::string FieldText(const void* field, size_t size);
int32_t FieldInt(const void* field);

// The text or integer of a scalar key in a record.
std::string ScalarText(FilterConfigRecord& record, const char* name);
int32_t ScalarInt(FilterConfigRecord& record, const char* name);

// Stored text to UTF-8 (undefined bytes become U+FFFD). ASCII needs no conversion.
std::string StoredToUtf8(uint32_t codePage, const std::string& stored);

// UTF-8 to stored text, as Utf8ToAnsi (platform/codepage.h). ASCII needs no conversion.
int Utf8ToStored(uint32_t codePage, const std::string& utf8, std::string* stored,
                 size_t* offset = nullptr);

// Texts as JSON string literals, quotes and escapes included.
std::string JsonQuoted(const std::string& utf8);

// One cell's value as JSON: a quoted UTF-8 text or a number.
std::string CellJson(FilterConfigRecord& record, const ConfigTableKey& table, size_t row,
                     size_t column, uint32_t codePage);

// One row as a JSON object on one line: {"IPFROM": "10.0.0.1", "IPTO": "", "TYPE": 1}.
std::string RowJson(FilterConfigRecord& record, const ConfigTableKey& table, size_t row,
                    uint32_t codePage);

// True when the code page can be converted on this system.
bool CodePageKnown(uint32_t codePage);
