#include <windows.h>

#include <vector>

#include <gtest/gtest.h>

#include "config/config_mapping.h"
#include "config/container.h"
#include "config/persistence.h"
#include "tests/config/support/config_samples.h"
#include "tests/config/wine/wine_support.h"

namespace {

const char kSubkey[] = "Software\\Marrowby\\Gatewell";

void DeleteConfigKey() {
    LONG result = RegDeleteKeyA(HKEY_LOCAL_MACHINE, kSubkey);
    ASSERT_TRUE(result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND) << result;
}

bool ReadRawValue(const char* name, DWORD* type, std::vector<uint8_t>* data) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSubkey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    DWORD size = 0;
    bool ok = RegQueryValueExA(key, name, nullptr, type, nullptr, &size) == ERROR_SUCCESS;
    if (ok) {
        data->assign(size, 0);
        ok = RegQueryValueExA(key, name, nullptr, type, data->data(), &size) == ERROR_SUCCESS;
        data->resize(size);
    }
    RegCloseKey(key);
    return ok;
}

void WriteRawValue(const char* name, DWORD type, const void* data, DWORD size) {
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, kSubkey, 0, nullptr, 0,
                                             KEY_ALL_ACCESS, nullptr, &key, nullptr));
    EXPECT_EQ(ERROR_SUCCESS,
              RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size));
    RegCloseKey(key);
}

uint32_t StoredDatasize() {
    DWORD type = 0;
    std::vector<uint8_t> data;
    EXPECT_TRUE(ReadRawValue("datasize", &type, &data));
    EXPECT_EQ(static_cast<DWORD>(REG_DWORD), type);
    EXPECT_EQ(4u, data.size());
    uint32_t value = 0;
    if (data.size() == 4)
        memcpy(&value, data.data(), 4);
    return value;
}

std::vector<uint8_t> EncipheredDefaults() {
    uint8_t* blob = nullptr;
    size_t length = 0;
    EXPECT_EQ(0, BuildDefaultConfig(&blob, &length));
    std::vector<uint8_t> bytes(blob, blob + length);
    FreeBlob(blob);
    CryptConfigBlob(bytes.data(), bytes.size());
    return bytes;
}

class WineRegistry : public WineStoreTest {
protected:
    void SetUp() override {
        WineStoreTest::SetUp();
        DeleteConfigKey();
    }
    void TearDown() override {
        DeleteConfigKey();
        WineStoreTest::TearDown();
    }
};

TEST_F(WineRegistry, FirstLoadCreatesTheKeyWithTheDefaults) {
    ASSERT_EQ(0, LoadConfigFromRegistry());
    DWORD type = 0;
    std::vector<uint8_t> data;
    ASSERT_TRUE(ReadRawValue("tsdata", &type, &data));
    EXPECT_EQ(static_cast<DWORD>(REG_BINARY), type);
    EXPECT_EQ(EncipheredDefaults(), data);
    EXPECT_EQ(data.size(), StoredDatasize());
    EXPECT_EQ(1, FilterConfig.SESSION_PER_IP);
    EXPECT_STREQ("00:00:00", FilterConfig.TIME_TO);
    EXPECT_TRUE(RecordedBoxes().empty());
}

TEST_F(WineRegistry, SavedConfigurationLoadsBack) {
    FillSampleConfig(6);
    ConfigSnapshot expected = ConfigSnapshot::Take();
    FilterConfig.modified = 1;
    ASSERT_EQ(0, SaveConfigToRegistry());
    EXPECT_EQ(0, FilterConfig.modified);
    DWORD type = 0;
    std::vector<uint8_t> data;
    ASSERT_TRUE(ReadRawValue("tsdata", &type, &data));
    EXPECT_EQ(data.size(), StoredDatasize());

    ResetFilterConfig();
    ASSERT_EQ(0, LoadConfigFromRegistry());
    ExpectSameConfig(expected, ConfigSnapshot::Take());
    EXPECT_TRUE(RecordedBoxes().empty());
}

TEST_F(WineRegistry, LargerDatasizeStillReads) {
    FillSampleConfig(2);
    ConfigSnapshot expected = ConfigSnapshot::Take();
    ASSERT_EQ(0, SaveConfigToRegistry());
    DWORD larger = StoredDatasize() + 1000;
    WriteRawValue("datasize", REG_DWORD, &larger, sizeof(larger));

    ResetFilterConfig();
    ASSERT_EQ(0, LoadConfigFromRegistry());
    ExpectSameConfig(expected, ConfigSnapshot::Take());
    EXPECT_EQ(larger, StoredDatasize()); // nothing was rewritten
}

TEST_F(WineRegistry, SmallerDatasizeThatNeverCatchesUpGivesTheDefaults) {
    FillSampleConfig(2);
    ASSERT_EQ(0, SaveConfigToRegistry());
    DWORD smaller = StoredDatasize() - 1;
    WriteRawValue("datasize", REG_DWORD, &smaller, sizeof(smaller));

    ResetFilterConfig();
    ASSERT_EQ(0, LoadConfigFromRegistry());
    DWORD type = 0;
    std::vector<uint8_t> data;
    ASSERT_TRUE(ReadRawValue("tsdata", &type, &data));
    EXPECT_EQ(EncipheredDefaults(), data);
    EXPECT_EQ(data.size(), StoredDatasize());
    EXPECT_TRUE(FilterConfig.ipRanges.empty());
    EXPECT_STREQ(DEFAULT_MESSAGE_TEXT, FilterConfig.MSG_IPADDRESS);
}

TEST_F(WineRegistry, UndecodableBlobIsReported) {
    std::vector<uint8_t> junk(64, 0x5A);
    WriteRawValue("tsdata", REG_BINARY, junk.data(), static_cast<DWORD>(junk.size()));
    DWORD size = static_cast<DWORD>(junk.size());
    WriteRawValue("datasize", REG_DWORD, &size, sizeof(size));
    EXPECT_EQ(-1, LoadConfigFromRegistry());
    ExpectOnlyBox("file error!");
}

} // namespace
