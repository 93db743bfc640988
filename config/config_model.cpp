#include "config/config_model.h"

#include <cstring>

FilterConfigRecord FilterConfig;

const char* const DEFAULT_MESSAGE_TEXT =
    "You are not allowed to access to this Terminal Server. Please contact your administrator "
    "for more information. Secured by Quillon.";

namespace {
template <typename Row> void FreeRows(std::vector<Row*>& rows) {
    for (Row* row : rows)
        delete row;
    rows.clear();
    rows.shrink_to_fit();
}
} // namespace

void ClearRecordLists(FilterConfigRecord& record) {
    FreeRows(record.ipRanges);
    FreeRows(record.computerNames);
    FreeRows(record.macAddresses);
    FreeRows(record.monitorServers);
    FreeRows(record.sessionIps);
    FreeRows(record.sessionUsers);
}

int ClearConfigLists() {
    ClearRecordLists(FilterConfig);
    return 0;
}

int MarkConfigModified() {
    FilterConfig.modified = 1;
    return 0;
}

void ResetFilterConfig() {
    ClearConfigLists();
    FilterConfig = FilterConfigRecord();
}

void CopyToField(char* field, size_t size, const char* text) {
    if (field == nullptr || size == 0)
        return;
    size_t length = text != nullptr ? strnlen(text, size - 1) : 0;
    if (length > 0)
        memcpy(field, text, length);
    field[length] = '\0';
}
