#include <windows.h>

#include <vector>

#include <gtest/gtest.h>

#include "config/config_mapping.h"
#include "config/container.h"
#include "config/persistence.h"
#include "tests/config/support/config_samples.h"
#include "tests/config/wine/wine_support.h"
#include "tests/support/config_registry.h"

namespace {

void DeleteKeyOrFail() {
    ASSERT_TRUE(DeleteConfigKey());
}

void WriteValueOrFail(const char* name, DWORD type, const void* data, DWORD size) {
    EXPECT_TRUE(WriteConfigValue(name, type, data, size)) << name;
}

uint32_t StoredDatasize() {
    DWORD type = 0;
    std::vector<uint8_t> data;
    EXPECT_TRUE(ReadConfigValue("datasize", &type, &data));
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
        DeleteKeyOrFail();
    }
    void TearDown() override {
        DeleteKeyOrFail();
        WineStoreTest::TearDown();
    }
};

TEST_F(WineRegistry, FirstLoadCreatesTheKeyWithTheDefaults) {
    ASSERT_EQ(0, LoadConfigFromRegistry());
    DWORD type = 0;
    std::vector<uint8_t> data;
    ASSERT_TRUE(ReadConfigValue("tsdata", &type, &data));
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
    ASSERT_TRUE(ReadConfigValue("tsdata", &type, &data));
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
    WriteValueOrFail("datasize", REG_DWORD, &larger, sizeof(larger));

    ResetFilterConfig();
    ASSERT_EQ(0, LoadConfigFromRegistry());
    ExpectSameConfig(expected, ConfigSnapshot::Take());
    EXPECT_EQ(larger, StoredDatasize()); // nothing was rewritten
}

TEST_F(WineRegistry, SmallerDatasizeThatNeverCatchesUpGivesTheDefaults) {
    FillSampleConfig(2);
    ASSERT_EQ(0, SaveConfigToRegistry());
    DWORD smaller = StoredDatasize() - 1;
    WriteValueOrFail("datasize", REG_DWORD, &smaller, sizeof(smaller));

    ResetFilterConfig();
    ASSERT_EQ(0, LoadConfigFromRegistry());
    DWORD type = 0;
    std::vector<uint8_t> data;
    ASSERT_TRUE(ReadConfigValue("tsdata", &type, &data));
    EXPECT_EQ(EncipheredDefaults(), data);
    EXPECT_EQ(data.size(), StoredDatasize());
    EXPECT_TRUE(FilterConfig.ipRanges.empty());
    EXPECT_STREQ(DEFAULT_MESSAGE_TEXT, FilterConfig.MSG_IPADDRESS);
}

TEST_F(WineRegistry, UndecodableBlobIsReported) {
    std::vector<uint8_t> junk(64, 0x5A);
    WriteValueOrFail("tsdata", REG_BINARY, junk.data(), static_cast<DWORD>(junk.size()));
    DWORD size = static_cast<DWORD>(junk.size());
    WriteValueOrFail("datasize", REG_DWORD, &size, sizeof(size));
    EXPECT_EQ(-1, LoadConfigFromRegistry());
    ExpectOnlyBox("file error!");
}

} // namespace
