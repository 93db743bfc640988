// The history reader over whatever a hand (or a damaged hive) left under "History": the
// input is a list of keys and values; every generation is read, a readable one decoded
// and restored onto a copy of the configuration's key, and a new one kept.
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

#include "config/config_history.h"
#include "config/config_model.h"

namespace {

class BytesKeyPort : public ConfigKeyPort {
public:
    std::map<std::string, std::map<std::string, RegistryValue>> keys;

    uint32_t ReadValues(const std::string& path, std::vector<RegistryValue>* values) override {
        auto key = keys.find(path);
        if (key == keys.end())
            return 2;
        values->clear();
        for (const auto& value : key->second)
            values->push_back(value.second);
        return 0;
    }
    uint32_t ValueSize(const std::string& path, const std::string& name, uint32_t* size) override {
        auto key = keys.find(path);
        if (key == keys.end() || !key->second.count(name))
            return 2;
        *size = static_cast<uint32_t>(key->second[name].data.size());
        return 0;
    }
    uint32_t ReadSubkeys(const std::string& path, std::vector<std::string>* names) override {
        names->clear();
        const std::string prefix = path + "\\";
        for (const auto& key : keys) {
            if (key.first.compare(0, prefix.size(), prefix) == 0 &&
                key.first.find('\\', prefix.size()) == std::string::npos)
                names->push_back(key.first.substr(prefix.size()));
        }
        return 0;
    }
    uint32_t WriteValue(const std::string& path, const RegistryValue& value) override {
        keys[path][value.name] = value;
        return 0;
    }
    uint32_t DeleteValue(const std::string& path, const std::string& name) override {
        return keys[path].erase(name) ? 0 : 2;
    }
    uint32_t DeleteKey(const std::string& path) override { return keys.erase(path) ? 0 : 2; }
};

// A text of the input: its length in two bytes (little-endian), then that many bytes
// (fewer at its end).
std::string Take(const uint8_t*& data, size_t& size) {
    size_t length = 0;
    for (int k = 0; k < 2 && size > 0; ++k, ++data, --size)
        length |= static_cast<size_t>(data[0]) << (8 * k);
    length = length < size ? length : size;
    std::string text(reinterpret_cast<const char*>(data), length);
    data += length;
    size -= length;
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    BytesKeyPort key;
    key.keys[""]["tsdata"] = {"tsdata", REGISTRY_BINARY, std::string("\x99\x01", 2)};
    while (size > 0) {
        const std::string generation = Take(data, size);
        RegistryValue value;
        value.name = Take(data, size);
        value.type = size > 0 ? data[0] % 8 : 0;
        if (size > 0) {
            ++data;
            --size;
        }
        value.data = Take(data, size);
        key.keys[std::string(HISTORY_KEY) + "\\" + generation][value.name] = value;
    }
    ConfigHistory history;
    if (ReadConfigHistory(key, &history) != 0)
        return 0;
    for (const Generation& generation : history.generations) {
        if (!generation.unreadable.empty())
            continue;
        FilterConfigRecord record{};
        DecodeGeneration(generation, record);
        ClearRecordLists(record);
        std::string problem;
        BytesKeyPort copy = key;
        RestoreGeneration(copy, generation, &problem);
    }
    KeepGeneration(key, GenerationFacts());
    return 0;
}
