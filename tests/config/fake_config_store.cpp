#include "tests/config/support/fake_config_store.h"

#include <cstring>

#include <gtest/gtest.h>

#include "platform/config_store.h"
#include "platform/message_box.h"

// The one key the fake knows; its address is the handle.
struct StoreKey {
    int unused;
};

namespace {
StoreKey g_key;
FakeStore g_fake;

int RecordMessage(const char* text, const char* caption, uint32_t style) {
    g_fake.messages.push_back({text, caption != nullptr ? caption : "", style});
    return ANSWER_OK;
}
} // namespace

// No native test may reach a real message box.
int PlatformShowMessageBox(const char* text, const char*, uint32_t) {
    ADD_FAILURE() << "message box reached the platform: " << text;
    return ANSWER_OK;
}

FakeStore& Fake() {
    return g_fake;
}

void ResetFakeStore() {
    g_fake = FakeStore();
    SetMessageBoxHook(RecordMessage);
}

void SetFakeBinary(const std::string& name, const std::vector<uint8_t>& data) {
    g_fake.keyExists = true;
    g_fake.values[name] = {FAKE_REG_BINARY, data};
}

void SetFakeDword(const std::string& name, uint32_t value) {
    g_fake.keyExists = true;
    std::vector<uint8_t> bytes(4);
    memcpy(bytes.data(), &value, 4);
    g_fake.values[name] = {FAKE_REG_DWORD, bytes};
}

uint32_t FakeDword(const std::string& name) {
    auto found = g_fake.values.find(name);
    if (found == g_fake.values.end() || found->second.data.size() != 4) {
        ADD_FAILURE() << "no 4-byte value " << name;
        return 0;
    }
    uint32_t value;
    memcpy(&value, found->second.data.data(), 4);
    return value;
}

StoreKey* StoreOpenConfigKey() {
    if (g_fake.keyExists) {
        if (g_fake.openFails)
            return nullptr;
    } else {
        if (g_fake.createFails)
            return nullptr;
        g_fake.keyExists = true;
    }
    ++g_fake.keysOpened;
    return &g_key;
}

void StoreCloseKey(StoreKey* key) {
    if (key != nullptr)
        ++g_fake.keysClosed;
}

int StoreQueryValueSize(StoreKey* key, const char* name, uint32_t* size) {
    EXPECT_EQ(key, &g_key);
    auto found = g_fake.values.find(name);
    if (found == g_fake.values.end())
        return -1;
    *size = static_cast<uint32_t>(found->second.data.size());
    if (g_fake.afterSizeQuery)
        g_fake.afterSizeQuery(name);
    return 0;
}

int StoreReadValue(StoreKey* key, const char* name, void* buffer, uint32_t* size) {
    EXPECT_EQ(key, &g_key);
    auto found = g_fake.values.find(name);
    if (found == g_fake.values.end())
        return -1;
    const std::vector<uint8_t>& data = found->second.data;
    if (data.size() > *size)
        return -1; // ERROR_MORE_DATA
    if (!data.empty())
        memcpy(buffer, data.data(), data.size());
    *size = static_cast<uint32_t>(data.size());
    return 0;
}

int StoreWriteBinary(StoreKey* key, const char* name, const void* data, uint32_t size) {
    EXPECT_EQ(key, &g_key);
    if (g_fake.failingWrites.count(name))
        return -1;
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    g_fake.values[name] = {FAKE_REG_BINARY, std::vector<uint8_t>(bytes, bytes + size)};
    g_fake.writeLog.push_back(name);
    return 0;
}

int StoreWriteDword(StoreKey* key, const char* name, uint32_t value) {
    EXPECT_EQ(key, &g_key);
    if (g_fake.failingWrites.count(name))
        return -1;
    SetFakeDword(name, value);
    g_fake.writeLog.push_back(name);
    return 0;
}

StoreFileResult StoreReadWholeFile(const char* path, std::vector<uint8_t>* data) {
    auto found = g_fake.files.find(path);
    if (found == g_fake.files.end())
        return STORE_FILE_OPEN_FAILED;
    *data = found->second;
    return STORE_FILE_OK;
}

StoreFileResult StoreWriteWholeFile(const char* path, const void* data, size_t size) {
    if (g_fake.uncreatableFiles.count(path))
        return STORE_FILE_OPEN_FAILED;
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    g_fake.files[path] = std::vector<uint8_t>(bytes, bytes + size);
    return STORE_FILE_OK;
}

uint32_t StoreLastError() {
    return 0;
}

void StoreSleep(uint32_t milliseconds) {
    g_fake.sleeps.push_back(milliseconds);
    if (g_fake.onSleep)
        g_fake.onSleep(static_cast<int>(g_fake.sleeps.size()));
}
