// Decodes arbitrary bytes as a table; whatever decodes must encode to a blob that
// decodes again to the same encoding, and the check without a table must agree.
#include "config/container.h"
#include "config/container_internal.h"

#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ResultSet* table = nullptr;
    int decoded = DecodeResultSet(data, size, &table);
    // The check that allocates nothing decides as the decoder does.
    if ((container_detail::CheckTable(data, size, 0) == 0) != (decoded == 0)) {
        abort();
    }
    if (decoded != 0) {
        if (table != nullptr) {
            abort();
        }
        return 0;
    }
    uint8_t* blob = nullptr;
    size_t length = 0;
    if (CheckResultSet(table) != 0 || EncodeResultSet(table, &blob, &length) != 0) {
        abort();
    }
    ResultSet* again = nullptr;
    if (DecodeResultSet(blob, length, &again) != 0) {
        abort();
    }
    uint8_t* blob2 = nullptr;
    size_t length2 = 0;
    if (EncodeResultSet(again, &blob2, &length2) != 0 || length2 != length ||
        memcmp(blob, blob2, length) != 0) {
        abort();
    }
    FreeBlob(blob2);
    FreeBlob(blob);
    FreeResultSet(again);
    FreeResultSet(table);
    return 0;
}
