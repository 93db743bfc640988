#include <cstring>
#include <numeric>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "config/config_mapping.h"
#include "config/config_model.h"
#include "config/container.h"
#include "config/event_log_setting.h"
#include "config/persistence.h"
#include "platform/message_box.h"
#include "tests/config/support/config_samples.h"
#include "tests/config/support/fake_config_store.h"

namespace {

const char REGISTRY_ERROR[] = "Read reg error,maybe you have not enough rights!";
// "解包数据错误！" in UTF-8, spelled out byte by byte.
const char FILE_DECODE_ERROR[] =
    "\xE8\xA7\xA3\xE5\x8C\x85\xE6\x95\xB0\xE6\x8D\xAE\xE9\x94\x99\xE8\xAF\xAF\xEF\xBC\x81";

std::vector<uint8_t> DefaultBlob() {
    uint8_t* blob = nullptr;
    size_t length = 0;
    EXPECT_EQ(0, BuildDefaultConfig(&blob, &length));
    std::vector<uint8_t> bytes(blob, blob + length);
    FreeBlob(blob);
    return bytes;
}

std::vector<uint8_t> Enciphered(std::vector<uint8_t> plain) {
    CryptConfigBlob(plain.data(), plain.size());
    return plain;
}

// The enciphered blob of the current FilterConfig in the given order.
std::vector<uint8_t> StoredBlob(ConfigParamOrder order) {
    ParamPacket* packet = BuildConfigPacket(order);
    uint8_t* blob = nullptr;
    size_t length = 0;
    EXPECT_EQ(0, EncodePacket(packet, &blob, &length));
    std::vector<uint8_t> bytes(blob, blob + length);
    FreeBlob(blob);
    FreePacket(packet);
    return Enciphered(bytes);
}

std::vector<uint8_t> RandomBytes(size_t length, uint32_t seed) {
    std::vector<uint8_t> bytes(length);
    for (uint8_t& b : bytes) {
        seed = seed * 1664525u + 1013904223u;
        b = static_cast<uint8_t>(seed >> 24);
    }
    return bytes;
}

const std::vector<uint8_t>& Value(const char* name) {
    static const std::vector<uint8_t> none;
    auto found = Fake().values.find(name);
    return found == Fake().values.end() ? none : found->second.data;
}

class Persistence : public ::testing::Test {
protected:
    void SetUp() override {
        ResetFakeStore();
        ResetFilterConfig();
    }
    void TearDown() override {
        EXPECT_EQ(Fake().keysOpened, Fake().keysClosed) << "a key was left open";
        SetMessageBoxHook(nullptr);
        ResetFilterConfig();
    }
    void ExpectOnlyMessage(const char* text) {
        ASSERT_EQ(1u, Fake().messages.size());
        EXPECT_EQ(text, Fake().messages[0].text);
        EXPECT_EQ(std::string(GetAppCaption()), Fake().messages[0].caption);
        EXPECT_EQ(BOX_OK, Fake().messages[0].style);
    }
    // The pair a reader meets in the middle of a save: the new blob, the old length.
    void StageHalfWrittenPair(const std::vector<uint8_t>& newBlob, uint32_t oldLength) {
        SetFakeBinary("tsdata", newBlob);
        SetFakeDword("datasize", oldLength);
    }
};

// ---- registry load ---------------------------------------------------------------

TEST_F(Persistence, FirstLoadCreatesTheKeyAndStoresTheDefaults) {
    ASSERT_EQ(0, LoadConfigFromRegistry());
    EXPECT_TRUE(Fake().keyExists);
    EXPECT_EQ(Enciphered(DefaultBlob()), Value("tsdata"));
    EXPECT_EQ(FAKE_REG_BINARY, Fake().values["tsdata"].type);
    EXPECT_EQ(FAKE_REG_DWORD, Fake().values["datasize"].type);
    EXPECT_EQ(Value("tsdata").size(), FakeDword("datasize"));
    EXPECT_EQ((std::vector<std::string>{"tsdata", "datasize"}), Fake().writeLog);
    EXPECT_EQ(1, FilterConfig.SESSION_PER_IP);
    EXPECT_EQ(1, FilterConfig.WEEK_W7);
    EXPECT_STREQ(DEFAULT_MESSAGE_TEXT, FilterConfig.MSG_VERSION);
    EXPECT_TRUE(Fake().messages.empty());
    EXPECT_TRUE(Fake().sleeps.empty());
}

TEST_F(Persistence, StoredConfigurationLoadsAsSaved) {
    FillSampleConfig(4);
    ConfigSnapshot expected = ConfigSnapshot::Take();
    FilterConfig.modified = 1;
    ASSERT_EQ(0, SaveConfigToRegistry());
    EXPECT_EQ(0, FilterConfig.modified);
    EXPECT_EQ((std::vector<std::string>{"tsdata", "datasize"}), Fake().writeLog);
    EXPECT_EQ(StoredBlob(REGISTRY_PARAM_ORDER), Value("tsdata"));
    EXPECT_EQ(Value("tsdata").size(), FakeDword("datasize"));

    ResetFilterConfig();
    Fake().writeLog.clear();
    ASSERT_EQ(0, LoadConfigFromRegistry());
    ExpectSameConfig(expected, ConfigSnapshot::Take());
    EXPECT_TRUE(Fake().writeLog.empty());
    EXPECT_TRUE(Fake().messages.empty());
}

TEST_F(Persistence, LargerDatasizeStillReadsTheStoredBlob) {
    FillSampleConfig(1);
    ConfigSnapshot expected = ConfigSnapshot::Take();
    std::vector<uint8_t> blob = StoredBlob(REGISTRY_PARAM_ORDER);
    ResetFilterConfig();
    StageHalfWrittenPair(blob, static_cast<uint32_t>(blob.size() + 4096));
    ASSERT_EQ(0, LoadConfigFromRegistry());
    ExpectSameConfig(expected, ConfigSnapshot::Take());
    EXPECT_TRUE(Fake().writeLog.empty());
    EXPECT_TRUE(Fake().sleeps.empty());
}

TEST_F(Persistence, ReaderWaitsForASaveInProgress) {
    FillSampleConfig(2);
    ConfigSnapshot expected = ConfigSnapshot::Take();
    std::vector<uint8_t> blob = StoredBlob(REGISTRY_PARAM_ORDER);
    ResetFilterConfig();
    StageHalfWrittenPair(blob, 40);
    // The writer gets to "datasize" while the reader sleeps for the third time.
    Fake().onSleep = [&](int n) {
        if (n == 3)
            SetFakeDword("datasize", static_cast<uint32_t>(blob.size()));
    };
    ASSERT_EQ(0, LoadConfigFromRegistry());
    EXPECT_EQ(3u, Fake().sleeps.size());
    EXPECT_TRUE(Fake().writeLog.empty()) << "the new configuration was overwritten";
    EXPECT_EQ(blob, Value("tsdata"));
    ExpectSameConfig(expected, ConfigSnapshot::Take());
}

TEST_F(Persistence, BlobReplacedBetweenSizeAndReadIsReadAgain) {
    std::vector<uint8_t> oldBlob = StoredBlob(REGISTRY_PARAM_ORDER);
    FillSampleConfig(3);
    ConfigSnapshot expected = ConfigSnapshot::Take();
    std::vector<uint8_t> newBlob = StoredBlob(REGISTRY_PARAM_ORDER);
    ResetFilterConfig();
    StageHalfWrittenPair(oldBlob, static_cast<uint32_t>(oldBlob.size()));
    // A whole save lands between the reader's size query and its read.
    Fake().afterSizeQuery = [&](const std::string& name) {
        if (name == "tsdata" && Value("tsdata") == oldBlob)
            StageHalfWrittenPair(newBlob, static_cast<uint32_t>(newBlob.size()));
    };
    ASSERT_EQ(0, LoadConfigFromRegistry());
    EXPECT_EQ(1u, Fake().sleeps.size());
    EXPECT_TRUE(Fake().writeLog.empty());
    ExpectSameConfig(expected, ConfigSnapshot::Take());
}

TEST_F(Persistence, PairThatStaysInconsistentIsReplacedByTheDefaults) {
    std::vector<uint8_t> blob = RandomBytes(300, 7);
    for (bool datasizeAbsent : {false, true}) {
        ResetFakeStore();
        ResetFilterConfig();
        StageHalfWrittenPair(blob, 100);
        if (datasizeAbsent)
            Fake().values.erase("datasize");
        ASSERT_EQ(0, LoadConfigFromRegistry());
        // It waited a while for the writer, but not long: between 0.5 and 2 seconds.
        uint32_t waited = std::accumulate(Fake().sleeps.begin(), Fake().sleeps.end(), 0u);
        EXPECT_GE(waited, 500u);
        EXPECT_LE(waited, 2000u);
        EXPECT_EQ(Enciphered(DefaultBlob()), Value("tsdata"));
        EXPECT_EQ(Value("tsdata").size(), FakeDword("datasize"));
        EXPECT_EQ(1, FilterConfig.TIME_BETWEEN);
        EXPECT_TRUE(Fake().messages.empty());
        EXPECT_EQ(Fake().keysOpened, Fake().keysClosed);
    }
}

TEST_F(Persistence, MissingOrEmptyValuesCountAsAbsentAtOnce) {
    struct Case {
        bool hasData;
        bool hasSize;
        uint32_t size;
    };
    for (const Case& k : {Case{false, true, 500}, Case{false, false, 0}, Case{true, true, 0}}) {
        ResetFakeStore();
        ResetFilterConfig();
        Fake().keyExists = true;
        if (k.hasData)
            SetFakeBinary("tsdata", {});
        if (k.hasSize)
            SetFakeDword("datasize", k.size);
        ASSERT_EQ(0, LoadConfigFromRegistry());
        EXPECT_TRUE(Fake().sleeps.empty());
        EXPECT_EQ(Enciphered(DefaultBlob()), Value("tsdata"));
        EXPECT_EQ(1, FilterConfig.SESSIONPERUSER_COUNT);
    }
}

TEST_F(Persistence, UndecodableStoredBlobFailsWithAMessage) {
    std::vector<uint8_t> junk = RandomBytes(200, 3);
    SetFakeBinary("tsdata", junk);
    SetFakeDword("datasize", 200);
    FilterConfig.FLAG_TIME = 1;
    EXPECT_EQ(-1, LoadConfigFromRegistry());
    ExpectOnlyMessage("file error!");
    EXPECT_EQ(junk, Value("tsdata")); // left for the administrator to repair
    EXPECT_EQ(1, FilterConfig.FLAG_TIME);
    EXPECT_TRUE(FilterConfig.ipRanges.empty());
}

TEST_F(Persistence, DefaultsThatCannotBeWrittenFailSilently) {
    for (const char* failing : {"tsdata", "datasize"}) {
        ResetFakeStore();
        ResetFilterConfig();
        Fake().failingWrites.insert(failing);
        EXPECT_EQ(-1, LoadConfigFromRegistry()) << failing;
        EXPECT_TRUE(Fake().messages.empty());
        EXPECT_EQ(0, FilterConfig.SESSION_PER_IP); // FilterConfig stays zero
        EXPECT_EQ(Fake().keysOpened, Fake().keysClosed);
    }
}

TEST_F(Persistence, KeyWithoutRightsFailsEveryOperation) {
    FillSampleConfig(1);
    FilterConfig.modified = 1;
    struct Case {
        bool exists;
        bool openFails;
        bool createFails;
    };
    for (const Case& k : {Case{true, true, false}, Case{false, false, true}}) {
        for (int operation = 0; operation < 3; ++operation) {
            ResetFakeStore();
            Fake().keyExists = k.exists;
            Fake().openFails = k.openFails;
            Fake().createFails = k.createFails;
            int result = operation == 0   ? LoadConfigFromRegistry()
                         : operation == 1 ? SaveConfigToRegistry()
                                          : SaveConfigToFile("C:\\saved.WTS");
            EXPECT_EQ(-1, result) << operation;
            ExpectOnlyMessage(REGISTRY_ERROR);
            EXPECT_TRUE(Fake().values.empty());
            EXPECT_TRUE(Fake().files.empty()) << "no file is written without the key";
            EXPECT_EQ(1, FilterConfig.modified);
        }
    }
}

// ---- registry save ---------------------------------------------------------------

TEST_F(Persistence, FailedRegistryWritesKeepTheEditsUnsaved) {
    for (const char* failing : {"tsdata", "datasize"}) {
        ResetFakeStore();
        FillSampleConfig(1);
        FilterConfig.modified = 1;
        Fake().failingWrites.insert(failing);
        EXPECT_EQ(-1, SaveConfigToRegistry());
        EXPECT_EQ(1, FilterConfig.modified);
        EXPECT_TRUE(Fake().messages.empty()); // the console's caller reports it
    }
    EXPECT_EQ(0u, Fake().values.count("datasize")) << "a length without its blob";
}

TEST_F(Persistence, SaveTouchesOnlyItsTwoValues) {
    SetFakeBinary("other", {1, 2, 3});
    ASSERT_EQ(0, SaveConfigToRegistry());
    EXPECT_EQ(3u, Fake().values.size());
    EXPECT_EQ((std::vector<uint8_t>{1, 2, 3}), Value("other"));
}

// ---- files -----------------------------------------------------------------------

TEST_F(Persistence, FileHoldsTheBlobAloneAndLoadsLikeTheRegistry) {
    FillSampleConfig(3);
    ConfigSnapshot expected = ConfigSnapshot::Take();
    FilterConfig.modified = 1;
    ASSERT_EQ(0, SaveConfigToFile("C:\\a.WTS"));
    EXPECT_EQ(0, FilterConfig.modified);
    ASSERT_EQ(0, SaveConfigToRegistry());
    const std::vector<uint8_t>& file = Fake().files["C:\\a.WTS"];
    EXPECT_EQ(StoredBlob(FILE_PARAM_ORDER), file);
    EXPECT_EQ(Value("tsdata").size(), file.size());
    EXPECT_NE(Value("tsdata"), file); // the per-user texts sit elsewhere

    FilterConfig.modified = 1;
    ASSERT_EQ(0, LoadConfigFromFile("C:\\a.WTS"));
    ExpectSameConfig(expected, ConfigSnapshot::Take());
    EXPECT_EQ(1, FilterConfig.modified) << "loading a file is itself an unsaved edit";

    ResetFilterConfig();
    ASSERT_EQ(0, LoadConfigFromRegistry());
    ExpectSameConfig(expected, ConfigSnapshot::Take());
    EXPECT_TRUE(Fake().messages.empty());
}

TEST_F(Persistence, FileLoadReplacesRowsAndKeepsAbsentScalars) {
    FillSampleConfig(2);
    ParamPacket* packet = nullptr;
    ASSERT_EQ(0, CreatePacket(&packet, 1, 1, 1, 1));
    AddIntParam(packet, 0, "FLAG_IPADDRESS", 0);
    uint8_t* blob = nullptr;
    size_t length = 0;
    ASSERT_EQ(0, EncodePacket(packet, &blob, &length));
    Fake().files["part.WTS"] = Enciphered(std::vector<uint8_t>(blob, blob + length));
    FreeBlob(blob);
    FreePacket(packet);

    const int32_t timeBefore = FilterConfig.FLAG_TIME;
    const std::string messageBefore = FilterConfig.MSG_TIME;
    ASSERT_EQ(0, LoadConfigFromFile("part.WTS"));
    EXPECT_EQ(0, FilterConfig.FLAG_IPADDRESS);
    EXPECT_EQ(timeBefore, FilterConfig.FLAG_TIME);
    EXPECT_EQ(messageBefore, FilterConfig.MSG_TIME);
    EXPECT_TRUE(FilterConfig.ipRanges.empty());
    EXPECT_TRUE(FilterConfig.monitorServers.empty());
}

TEST_F(Persistence, FailedFileLoadsLeaveTheConfigurationAsItWas) {
    struct Case {
        const char* path;
        const char* message; // null: none
    };
    Fake().files["empty.WTS"] = {};
    Fake().files["random.WTS"] = RandomBytes(777, 11);
    Fake().files["cut.WTS"] = StoredBlob(FILE_PARAM_ORDER);
    Fake().files["cut.WTS"].pop_back();
    FillSampleConfig(2);
    FilterConfig.modified = 1;
    const ConfigSnapshot before = ConfigSnapshot::Take();
    const IpRangeRow* firstRow = FilterConfig.ipRanges.at(0); // the console's pages hold these
    for (const Case& k : {Case{"missing.WTS", "Open file error!"}, Case{"empty.WTS", nullptr},
                          Case{"random.WTS", FILE_DECODE_ERROR}, Case{"cut.WTS", FILE_DECODE_ERROR},
                          Case{nullptr, "Open file error!"}}) {
        Fake().messages.clear();
        EXPECT_EQ(-1, LoadConfigFromFile(k.path));
        ExpectSameConfig(before, ConfigSnapshot::Take());
        EXPECT_EQ(firstRow, FilterConfig.ipRanges.at(0));
        EXPECT_EQ(1, FilterConfig.modified);
        if (k.message)
            ExpectOnlyMessage(k.message);
        else
            EXPECT_TRUE(Fake().messages.empty());
    }
    EXPECT_EQ(0, Fake().keysOpened); // file loads never touch the registry
}

TEST_F(Persistence, FileThatCannotBeCreatedIsReported) {
    FilterConfig.modified = 1;
    Fake().uncreatableFiles.insert("R:\\locked.WTS");
    EXPECT_EQ(-1, SaveConfigToFile("R:\\locked.WTS"));
    ExpectOnlyMessage("Save file error!");
    EXPECT_EQ(1, FilterConfig.modified);
    EXPECT_TRUE(Fake().files.empty());
}

} // namespace

// What an apply is compared with: the stored configuration read aside, FilterConfig
// untouched; nothing stored reads as a failure that writes no defaults.
TEST_F(Persistence, StoredConfigurationIsReadAsideWithoutWriting) {
    FilterConfigRecord stored{};
    EXPECT_EQ(-1, ReadStoredConfig(stored));
    EXPECT_TRUE(Fake().writeLog.empty());

    FillSampleConfig(2);
    ASSERT_EQ(0, SaveConfigToRegistry());
    FilterConfig.FLAG_TIME = 7; // edited since
    Fake().writeLog.clear();
    ASSERT_EQ(0, ReadStoredConfig(stored));
    EXPECT_EQ(2u, stored.ipRanges.size());
    EXPECT_NE(7, stored.FLAG_TIME);
    EXPECT_EQ(7, FilterConfig.FLAG_TIME);
    EXPECT_TRUE(Fake().writeLog.empty());
    EXPECT_TRUE(Fake().messages.empty());
    ClearRecordLists(stored);
}

// "EventLog" beside the blob: 0 and 2 as stored; absent, unreadable or unknown reads as
// refusals.
TEST_F(Persistence, EventLogSettingReadsAbsentAndUnknownAsRefusals) {
    Fake().keyExists = true;
    EXPECT_EQ(uint32_t(EVENT_LOG_SETTING_REFUSALS), LoadEventLogSetting());
    for (uint32_t stored : {0u, 2u}) {
        ASSERT_EQ(0, SaveEventLogSetting(stored));
        EXPECT_EQ(stored, LoadEventLogSetting());
    }
    SetFakeDword("EventLog", 9);
    EXPECT_EQ(uint32_t(EVENT_LOG_SETTING_REFUSALS), LoadEventLogSetting());
    SetFakeBinary("EventLog", {2});
    EXPECT_EQ(uint32_t(EVENT_LOG_SETTING_REFUSALS), LoadEventLogSetting());
    EXPECT_EQ(uint32_t(EVENT_LOG_SETTING_REFUSALS), EventLogSettingValue);
}
