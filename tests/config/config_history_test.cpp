// The history of applied configurations over an in-memory registry key: what a keep
// copies, the bounds, a restore, and hand-damaged history values.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "config/config_history.h"
#include "config/config_mapping.h"
#include "config/persistence.h"

namespace {

// The configuration's key and the keys below it; paths as ConfigKeyPort names them.
class FakeKeyPort : public ConfigKeyPort {
public:
    std::map<std::string, std::map<std::string, RegistryValue>> keys;
    std::set<std::string> failingWrites; // "path|name"

    uint32_t ReadValues(const std::string& path, std::vector<RegistryValue>* values) override {
        auto key = keys.find(path);
        if (key == keys.end())
            return REMOTE_NO_CONFIGURATION;
        values->clear();
        for (const auto& value : key->second)
            values->push_back(value.second);
        return 0;
    }
    uint32_t ValueSize(const std::string& path, const std::string& name, uint32_t* size) override {
        auto key = keys.find(path);
        if (key == keys.end() || !key->second.count(name))
            return REMOTE_NO_CONFIGURATION;
        *size = static_cast<uint32_t>(key->second[name].data.size());
        return 0;
    }
    uint32_t ReadSubkeys(const std::string& path, std::vector<std::string>* names) override {
        if (!keys.count(path))
            return REMOTE_NO_CONFIGURATION;
        names->clear();
        const std::string prefix = path.empty() ? "" : path + "\\";
        for (const auto& key : keys) {
            const std::string& name = key.first;
            if (name.size() > prefix.size() && name.compare(0, prefix.size(), prefix) == 0 &&
                name.find('\\', prefix.size()) == std::string::npos)
                names->push_back(name.substr(prefix.size()));
        }
        return 0;
    }
    uint32_t WriteValue(const std::string& path, const RegistryValue& value) override {
        if (failingWrites.count(path + "|" + value.name))
            return 5;
        for (size_t cut = path.find('\\'); cut != std::string::npos; cut = path.find('\\', cut + 1))
            keys[path.substr(0, cut)];
        keys[""];
        keys[path][value.name] = value;
        return 0;
    }
    uint32_t DeleteValue(const std::string& path, const std::string& name) override {
        if (!keys.count(path) || !keys[path].erase(name))
            return REMOTE_NO_CONFIGURATION;
        return 0;
    }
    uint32_t DeleteKey(const std::string& path) override {
        if (!keys.erase(path))
            return REMOTE_NO_CONFIGURATION;
        return 0;
    }

    void Set(const std::string& path, const std::string& name, uint32_t type,
             const std::string& data) {
        WriteValue(path, {name, type, data});
    }
    void SetDword(const std::string& path, const std::string& name, uint32_t value) {
        Set(path, name, REGISTRY_DWORD, std::string(reinterpret_cast<const char*>(&value), 4));
    }
};

// An enciphered configuration whose FLAG_TIME is `flag`.
std::string StoredBlob(int flag) {
    ResetFilterConfig();
    FilterConfig.FLAG_TIME = flag;
    ParamPacket* packet = BuildConfigPacket(REGISTRY_PARAM_ORDER);
    uint8_t* blob = nullptr;
    size_t length = 0;
    EXPECT_EQ(EncodePacket(packet, &blob, &length), 0);
    CryptConfigBlob(blob, length);
    std::string bytes(reinterpret_cast<const char*>(blob), length);
    FreeBlob(blob);
    FreePacket(packet);
    ResetFilterConfig();
    return bytes;
}

// A configuration stored as an apply stores it, with EventLog beside it.
void Store(FakeKeyPort& key, const std::string& blob, uint32_t eventLog) {
    key.Set("", "tsdata", REGISTRY_BINARY, blob);
    key.SetDword("", "datasize", static_cast<uint32_t>(blob.size()));
    key.SetDword("", "EventLog", eventLog);
}

GenerationFacts Facts(const std::string& summary) {
    return {"2026-12-07T08:30:00Z", "CORP\\ann", "gwconfig.exe", u8"C:\\Données\\ferme€𝄞.WTS",
            summary};
}

std::vector<std::string> Keys(const ConfigHistory& history) {
    std::vector<std::string> keys;
    for (const Generation& generation : history.generations)
        keys.push_back(generation.key);
    return keys;
}

} // namespace

TEST(ConfigHistory, KeepsTheStoredConfigurationWithEverySettingBesideIt) {
    FakeKeyPort key;
    const std::string blob = StoredBlob(1);
    Store(key, blob, 2);
    key.SetDword("", "AuditOnly", 1);
    key.Set("", "Note", REGISTRY_SZ, std::string("x\0\0\0", 4)); // not a setting
    EXPECT_EQ(KeepGeneration(key, Facts("Time Restrictions filter: switched on")), "");

    ConfigHistory history;
    ASSERT_EQ(ReadConfigHistory(key, &history), 0u);
    ASSERT_EQ(history.generations.size(), 1u);
    const Generation& kept = history.generations[0];
    EXPECT_EQ(kept.key, "History\\00000001");
    EXPECT_EQ(kept.unreadable, "");
    EXPECT_EQ(kept.blob, blob);
    EXPECT_EQ(kept.datasize, blob.size());
    using Settings = std::vector<std::pair<std::string, uint32_t>>;
    EXPECT_EQ(kept.settings, (Settings{{"AuditOnly", 1}, {"EventLog", 2}}));
    EXPECT_EQ(kept.facts.who, "CORP\\ann");
    EXPECT_EQ(kept.facts.file, u8"C:\\Données\\ferme€𝄞.WTS");
    EXPECT_EQ(kept.facts.summary, "Time Restrictions filter: switched on");
    EXPECT_TRUE(kept.problems.empty());
    // Keeping reads the configuration and writes nothing beside it.
    EXPECT_EQ(key.keys[""].size(), 5u);

    FakeKeyPort empty;
    EXPECT_EQ(KeepGeneration(empty, Facts("")), "") << "nothing stored: nothing to keep";
    EXPECT_FALSE(empty.keys.count("History"));
}

TEST(ConfigHistory, DropsTheOldestBeyondFiftyGenerations) {
    FakeKeyPort key;
    Store(key, StoredBlob(0), 1);
    for (int k = 0; k < 52; ++k)
        ASSERT_EQ(KeepGeneration(key, Facts(std::to_string(k))), "");
    ConfigHistory history;
    ASSERT_EQ(ReadConfigHistory(key, &history), 0u);
    ASSERT_EQ(history.generations.size(), 50u);
    EXPECT_EQ(history.generations.front().key, "History\\00000052");
    EXPECT_EQ(history.generations.front().facts.summary, "51");
    EXPECT_EQ(history.generations.back().key, "History\\00000003");
}

TEST(ConfigHistory, DropsTheOldestBeyondTheSizeBoundButKeepsTheNewest) {
    FakeKeyPort key;
    const std::string large(HISTORY_MAX_BYTES / 2 + 1, 'x');
    key.Set("", "tsdata", REGISTRY_BINARY, large);
    for (int k = 0; k < 3; ++k)
        ASSERT_EQ(KeepGeneration(key, Facts("")), "");
    ConfigHistory history;
    ASSERT_EQ(ReadConfigHistory(key, &history), 0u);
    EXPECT_EQ(Keys(history), std::vector<std::string>{"History\\00000003"});

    key.Set("", "tsdata", REGISTRY_BINARY, std::string(HISTORY_MAX_BYTES + 1, 'y'));
    ASSERT_EQ(KeepGeneration(key, Facts("")), "");
    ASSERT_EQ(ReadConfigHistory(key, &history), 0u);
    EXPECT_EQ(Keys(history), std::vector<std::string>{"History\\00000004"});
}

TEST(ConfigHistory, RestoreStoresTheGenerationsBytesAndSettingsExactly) {
    FakeKeyPort key;
    const std::string old = StoredBlob(1);
    Store(key, old, 0);
    ASSERT_EQ(KeepGeneration(key, Facts("")), "");
    Store(key, StoredBlob(0), 2);
    key.SetDword("", "AuditOnly", 1); // added since: the generation did not have it
    key.Set("", "Note", REGISTRY_SZ, std::string("x\0\0\0", 4));

    ConfigHistory history;
    ASSERT_EQ(ReadConfigHistory(key, &history), 0u);
    std::string problem;
    ASSERT_EQ(RestoreGeneration(key, history.generations[0], &problem), 0u) << problem;
    auto& stored = key.keys[""];
    EXPECT_EQ(stored["tsdata"].data, old);
    const uint32_t size = static_cast<uint32_t>(old.size());
    EXPECT_EQ(stored["datasize"].data, std::string(reinterpret_cast<const char*>(&size), 4));
    EXPECT_EQ(stored["EventLog"].data, std::string("\0\0\0\0", 4));
    EXPECT_FALSE(stored.count("AuditOnly"));
    EXPECT_TRUE(stored.count("Note")) << "only settings are removed";

    FilterConfigRecord record{};
    ASSERT_EQ(DecodeGeneration(history.generations[0], record), 0);
    EXPECT_EQ(record.FLAG_TIME, 1);
    ClearRecordLists(record);
}

TEST(ConfigHistory, DamagedValuesAreNamedAndSkippedAndNeverRestored) {
    FakeKeyPort key;
    const std::string blob = StoredBlob(1);
    Store(key, blob, 1);
    ASSERT_EQ(KeepGeneration(key, Facts("")), "");
    ASSERT_EQ(KeepGeneration(key, Facts("")), "");
    // By hand: a text where the blob belongs, a setting of the wrong size, a stray key.
    key.Set("History\\00000001", "tsdata", REGISTRY_SZ, std::string("a\0\0\0", 4));
    key.Set("History\\00000002", "Who", REGISTRY_DWORD, std::string(4, '\0'));
    key.Set("History\\00000002", "Setting AuditOnly", REGISTRY_DWORD, std::string(2, '\0'));
    key.keys["History\\old"];
    key.SetDword("", "AuditOnly", 7);

    ConfigHistory history;
    ASSERT_EQ(ReadConfigHistory(key, &history), 0u);
    EXPECT_EQ(history.problems,
              std::vector<std::string>{
                  "History\\old: not a generation (its name is not 8 digits): skipped"});
    ASSERT_EQ(history.generations.size(), 2u);
    const Generation& newest = history.generations[0];
    const Generation& damaged = history.generations[1];
    EXPECT_EQ(damaged.unreadable, "it holds no \"tsdata\"");
    EXPECT_EQ(damaged.problems,
              std::vector<std::string>{"History\\00000001: \"tsdata\" is not binary: skipped"});
    std::string problem;
    EXPECT_NE(RestoreGeneration(key, damaged, &problem), 0u);
    EXPECT_EQ(key.keys[""]["tsdata"].data, blob) << "a refused restore writes nothing";

    EXPECT_EQ(newest.unreadable, "");
    EXPECT_EQ(newest.facts.who, "");
    EXPECT_EQ(newest.problems.size(), 2u);
    ASSERT_EQ(RestoreGeneration(key, newest, &problem), 0u) << problem;
    EXPECT_TRUE(key.keys[""].count("AuditOnly")) << "a setting it lost is left as it is";

    // A damaged history keeps the next generation all the same.
    EXPECT_EQ(KeepGeneration(key, Facts("")), "");
    ASSERT_EQ(ReadConfigHistory(key, &history), 0u);
    EXPECT_EQ(history.generations[0].key, "History\\00000003");
}

TEST(ConfigHistory, AFailedWriteLeavesNoHalfGenerationAndSaysSo) {
    FakeKeyPort key;
    Store(key, StoredBlob(1), 1);
    key.failingWrites.insert("History\\00000001|Who");
    EXPECT_EQ(KeepGeneration(key, Facts("")),
              "the configuration it replaces was not kept in the history: it could not be "
              "written as History\\00000001 (error 5)");
    EXPECT_FALSE(key.keys.count("History\\00000001"));
    std::string summary = "no change";
    AddKeepProblem("", &summary);
    EXPECT_EQ(summary, "no change");
}
