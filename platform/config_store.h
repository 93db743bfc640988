// Where the configuration store keeps its blob: the registry key HKLM
// "Software\Marrowby\Gatewell" and configuration files. The Windows adapter
// (platform/win32/config_store_win32.cpp) makes one Win32 call sequence per function
// and takes no decisions; native tests link an in-memory fake instead.
//
// Results: 0 on success, -1 on failure, unless a function says otherwise. Nothing
// throws. Buffers returned through std::vector belong to the caller.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// An open registry key. Opaque; closed with StoreCloseKey (see ConfigKeyHandle).
struct StoreKey;

// Opens HKLM "Software\Marrowby\Gatewell" with KEY_ALL_ACCESS, creating it (no class,
// default options, KEY_ALL_ACCESS, default security) when it cannot be opened.
// Null when both fail.
StoreKey* StoreOpenConfigKey();

// Closes a key from StoreOpenConfigKey; null is accepted.
void StoreCloseKey(StoreKey* key);

// The real size in bytes of a value, whatever its type (RegQueryValueExA with no
// buffer). -1 when the value is absent or cannot be queried.
int StoreQueryValueSize(StoreKey* key, const char* name, uint32_t* size);

// Reads at most `*size` bytes of a value into `buffer`; on success `*size` becomes
// the number of bytes read. -1 when the value is absent, larger than `*size`, or
// cannot be read.
int StoreReadValue(StoreKey* key, const char* name, void* buffer, uint32_t* size);

// Writes a REG_BINARY value of `size` bytes.
int StoreWriteBinary(StoreKey* key, const char* name, const void* data, uint32_t size);

// Writes a REG_DWORD value (4 bytes, little-endian).
int StoreWriteDword(StoreKey* key, const char* name, uint32_t value);

// Outcomes of the file operations, so callers can tell "could not open" from "could
// not read/write" (they report them differently).
enum StoreFileResult : int {
    STORE_FILE_OK = 0,
    STORE_FILE_OPEN_FAILED = -1, // the file could not be opened or created
    STORE_FILE_IO_FAILED = -2,   // opened, but reading or writing it failed
};

// Reads a whole existing file (opened for reading, others may read it too) into
// `data`. An empty file gives STORE_FILE_OK and an empty vector.
StoreFileResult StoreReadWholeFile(const char* path, std::vector<uint8_t>* data);

// Writes `size` bytes in one piece as the whole content of a file, created or
// replaced. The bytes go to a new file beside it, which replaces the old one only
// once complete: on failure an existing file keeps its content.
StoreFileResult StoreWriteWholeFile(const char* path, const void* data, size_t size);

// The system's code of the latest registry operation above that failed (0 when none
// did, or the system gave no code), for the messages that name it.
uint32_t StoreLastError();

// Suspends the calling thread.
void StoreSleep(uint32_t milliseconds);

// Owns an open key for the length of a scope.
class ConfigKeyHandle {
public:
    explicit ConfigKeyHandle(StoreKey* key) : key_(key) {}
    ~ConfigKeyHandle() { StoreCloseKey(key_); }
    ConfigKeyHandle(const ConfigKeyHandle&) = delete;
    ConfigKeyHandle& operator=(const ConfigKeyHandle&) = delete;

    StoreKey* get() const { return key_; }
    explicit operator bool() const { return key_ != nullptr; }

private:
    StoreKey* key_;
};
