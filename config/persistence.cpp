#include "config/persistence.h"

#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <utility>
#include <vector>

#include "config/config_blob.h"
#include "config/config_mapping.h"
#include "config/config_model.h"
#include "config/container.h"
#include "platform/config_store.h"
#include "platform/message_box.h"

namespace {

const char REGISTRY_ERROR[] = "Read reg error,maybe you have not enough rights!";
const char DECODE_ERROR[] = "file error!";
const char SAVE_FILE_ERROR[] = "Save file error!";
const char OPEN_FILE_ERROR[] = "Open file error!";
// Shown through the wide message box, so it reads right on every ANSI code page.
const char FILE_DECODE_ERROR[] = u8"解包数据错误！";

const char DATA_VALUE[] = "tsdata";
const char SIZE_VALUE[] = "datasize";

// The console writes "tsdata" and then "datasize". A reader that meets the new blob
// with the old, smaller length waits this long for the length to catch up before it
// takes the stored configuration for unreadable.
const int PAIR_RETRIES = 20;
const uint32_t PAIR_RETRY_DELAY_MS = 50;

struct BlobDeleter {
    void operator()(uint8_t* blob) const { FreeBlob(blob); }
};
using BlobPtr = std::unique_ptr<uint8_t, BlobDeleter>;

// "datasize", or 0 when it cannot be read as a 4-byte value.
uint32_t ReadDeclaredSize(StoreKey* key) {
    uint8_t bytes[4] = {0, 0, 0, 0};
    uint32_t size = sizeof(bytes);
    if (StoreReadValue(key, SIZE_VALUE, bytes, &size) != 0 || size != sizeof(bytes))
        return 0;
    return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
           static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

// Reads the enciphered blob. False when the stored configuration counts as absent:
// no "tsdata", no usable "datasize", or a pair that still disagrees after the
// writer had time to finish.
bool ReadStoredBlob(StoreKey* key, std::vector<uint8_t>* blob) {
    for (int attempt = 0;; ++attempt) {
        if (attempt > 0)
            StoreSleep(PAIR_RETRY_DELAY_MS);
        uint32_t realSize = 0;
        if (StoreQueryValueSize(key, DATA_VALUE, &realSize) != 0)
            return false;
        uint32_t declared = ReadDeclaredSize(key);
        // "datasize" at least as large as the blob: read what is stored. (A smaller
        // "datasize" means a save may be in progress: look again shortly.)
        if (declared >= realSize) {
            if (declared == 0)
                return false;
            blob->resize(realSize);
            uint32_t length = realSize;
            // (With nothing to read, the registry only reports the size: a value that
            // grew in the meantime must not pass as read.)
            if (StoreReadValue(key, DATA_VALUE, blob->data(), &length) == 0 && length <= realSize) {
                blob->resize(length);
                return true;
            }
            // The value changed between the two reads: look again.
        }
        if (attempt >= PAIR_RETRIES)
            return false;
    }
}

// Builds the default configuration, stores it enciphered as "tsdata" and "datasize",
// and leaves the enciphered blob in `blob`. -1 when it cannot be built or written.
int WriteDefaultConfig(StoreKey* key, std::vector<uint8_t>* blob) {
    uint8_t* plain = nullptr;
    size_t length = 0;
    if (BuildDefaultConfig(&plain, &length) != 0)
        return -1;
    BlobPtr owned(plain);
    blob->assign(plain, plain + length);
    CryptConfigBlob(blob->data(), blob->size());
    if (StoreWriteBinary(key, DATA_VALUE, blob->data(), static_cast<uint32_t>(blob->size())) != 0)
        return -1;
    if (StoreWriteDword(key, SIZE_VALUE, static_cast<uint32_t>(blob->size())) != 0)
        return -1;
    return 0;
}

// Opens the configuration key, or says why not.
StoreKey* OpenConfigKeyOrReport() {
    StoreKey* key = StoreOpenConfigKey();
    if (key == nullptr)
        ShowMessageBox(REGISTRY_ERROR);
    return key;
}

// Encodes the current configuration. Null when memory runs out.
BlobPtr EncodeCurrentConfig(ConfigParamOrder order, size_t* length) {
    uint8_t* blob = nullptr;
    if (EncodeConfigRecord(FilterConfig, order, &blob, length) != 0)
        return nullptr;
    return BlobPtr(blob);
}

int LoadFromRegistry() {
    std::vector<uint8_t> blob;
    {
        ConfigKeyHandle key(OpenConfigKeyOrReport());
        if (!key)
            return -1;
        if (!ReadStoredBlob(key.get(), &blob) && WriteDefaultConfig(key.get(), &blob) != 0)
            return -1;
    }
    CryptConfigBlob(blob.data(), blob.size());
    int applied = ApplyConfigBlob(blob.data(), blob.size(), FilterConfig);
    if (applied == CONFIG_BLOB_UNREADABLE)
        ShowMessageBox(DECODE_ERROR);
    return applied == 0 ? 0 : -1;
}

int ReadStoredInto(FilterConfigRecord& record) {
    std::vector<uint8_t> blob;
    {
        ConfigKeyHandle key(StoreOpenConfigKey());
        if (!key || !ReadStoredBlob(key.get(), &blob))
            return -1;
    }
    CryptConfigBlob(blob.data(), blob.size());
    return ApplyConfigBlob(blob.data(), blob.size(), record) == 0 ? 0 : -1;
}

int SaveToRegistry() {
    size_t length = 0;
    BlobPtr blob = EncodeCurrentConfig(REGISTRY_PARAM_ORDER, &length);
    if (!blob || length > std::numeric_limits<uint32_t>::max())
        return -1;
    ConfigKeyHandle key(OpenConfigKeyOrReport());
    if (!key)
        return -1;
    CryptConfigBlob(blob.get(), length);
    // "tsdata" first: a reader that meets the new blob with the old "datasize" waits.
    if (StoreWriteBinary(key.get(), DATA_VALUE, blob.get(), static_cast<uint32_t>(length)) != 0)
        return -1;
    if (StoreWriteDword(key.get(), SIZE_VALUE, static_cast<uint32_t>(length)) != 0)
        return -1;
    FilterConfig.modified = 0;
    return 0;
}

int SaveToFile(const char* path) {
    size_t length = 0;
    BlobPtr blob = EncodeCurrentConfig(FILE_PARAM_ORDER, &length);
    if (!blob)
        return -1;
    {
        // Saving a file needs the same rights as applying, so the key is checked first.
        ConfigKeyHandle key(OpenConfigKeyOrReport());
        if (!key)
            return -1;
    }
    CryptConfigBlob(blob.get(), length);
    if (path == nullptr || StoreWriteWholeFile(path, blob.get(), length) != STORE_FILE_OK) {
        ShowMessageBox(SAVE_FILE_ERROR);
        return -1;
    }
    FilterConfig.modified = 0;
    return 0;
}

// A configuration built aside from FilterConfig; its rows go with it.
struct RecordDeleter {
    void operator()(FilterConfigRecord* record) const {
        ClearRecordLists(*record);
        delete record;
    }
};
using RecordPtr = std::unique_ptr<FilterConfigRecord, RecordDeleter>;

// FilterConfig changes only when the whole file decoded and mapped: the file is read
// into a copy of the current scalars (so keys it lacks keep their values) and that
// copy replaces FilterConfig at the end. A failure leaves FilterConfig as it was.
int LoadFromFile(const char* path) {
    std::vector<uint8_t> blob;
    if (path == nullptr || StoreReadWholeFile(path, &blob) != STORE_FILE_OK) {
        ShowMessageBox(OPEN_FILE_ERROR);
        return -1;
    }
    if (blob.empty())
        return -1;
    CryptConfigBlob(blob.data(), blob.size());
    RecordPtr loaded(new FilterConfigRecord());
    CopyConfigScalars(FilterConfig, *loaded);
    int applied = ApplyConfigBlob(blob.data(), blob.size(), *loaded);
    if (applied == CONFIG_BLOB_UNREADABLE)
        ShowMessageBox(FILE_DECODE_ERROR);
    if (applied != 0)
        return -1;
    std::swap(FilterConfig, *loaded); // the old rows leave with `loaded`
    return 0;
}

} // namespace

// The public operations run to completion without throwing: running out of memory is
// a failure like any other.
int LoadConfigFromRegistry() {
    try {
        return LoadFromRegistry();
    } catch (const std::bad_alloc&) {
        return -1;
    }
}

int ReadStoredConfig(FilterConfigRecord& record) {
    try {
        return ReadStoredInto(record);
    } catch (const std::bad_alloc&) {
        return -1;
    }
}

int SaveConfigToRegistry() {
    try {
        return SaveToRegistry();
    } catch (const std::bad_alloc&) {
        return -1;
    }
}

int SaveConfigToFile(const char* path) {
    try {
        return SaveToFile(path);
    } catch (const std::bad_alloc&) {
        return -1;
    }
}

int LoadConfigFromFile(const char* path) {
    try {
        return LoadFromFile(path);
    } catch (const std::bad_alloc&) {
        return -1;
    }
}
