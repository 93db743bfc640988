// Reading a configuration written in JSON (as `gwconfig show` writes it) into a
// FilterConfigRecord, checking every value on the way: unknown keys and columns,
// wrong types, texts longer than their field or not in the code page, address forms.
// Values that can be stored but that the library reads in a way the console never
// means (a switch of 2, a negative limit, a version text that is no list of numbers)
// are warnings, not problems. Keys not given keep the record's values; tables given
// replace nothing, their rows are appended.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "config/config_model.h"
#include "config/beside_values.h"

struct ImportIssue {
    size_t line;       // line of the JSON text the problem is on (from 1); 0: none
    std::string where; // the key, or table, row and column; empty for syntax errors
    std::string what;
};

// A top-level member named after a setting beside the configuration ("EventLog",
// "AuditOnly") goes to *beside (optional), never into the record.
// False when there is any issue; the record may then hold part of the text, but no
// field is ever written past its width. Warnings (optional) say what the library will
// make of a surprising value; they do not make the import fail.
bool ImportJson(const std::string& text, uint32_t codePage, FilterConfigRecord& record,
                std::vector<ImportIssue>* issues, std::vector<ImportIssue>* warnings = nullptr,
                BesideValues* beside = nullptr);

// "file:12: R_IPADDRESS row 3, IPFROM: ..." (no line part when there is none).
std::string FormatImportIssue(const std::string& file, const ImportIssue& issue);
