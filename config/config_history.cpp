#include "config/config_history.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#include "config/config_mapping.h"
#include "config/container.h"
#include "config/persistence.h"

const char HISTORY_KEY[] = "History";

namespace {

const char DATA_VALUE[] = "tsdata";
const char SIZE_VALUE[] = "datasize";
const char SETTING_PREFIX[] = "Setting ";
const char WHEN_VALUE[] = "When"; // written last: a generation without it is incomplete
const uint32_t LAST_SEQUENCE = 99999999;
const char NOT_KEPT[] = "the configuration it replaces was not kept in the history: ";

struct FactValue {
    const char* name;
    std::string GenerationFacts::*field;
};
// In the order they are written; "When" last.
const FactValue FACT_VALUES[] = {
    {"File", &GenerationFacts::file},     {"Program", &GenerationFacts::program},
    {"Who", &GenerationFacts::who},       {"Summary", &GenerationFacts::summary},
    {WHEN_VALUE, &GenerationFacts::when},
};

std::string ErrorText(uint32_t error) {
    return "error " + std::to_string(error);
}

// UTF-8 to the bytes of a REG_SZ (UTF-16LE with its terminator). Bytes that are not
// UTF-8 become U+FFFD.
std::string Utf16Bytes(const std::string& utf8) {
    std::string bytes;
    auto unit = [&](uint32_t u) {
        bytes += static_cast<char>(u & 0xFF);
        bytes += static_cast<char>(u >> 8 & 0xFF);
    };
    for (size_t k = 0; k < utf8.size();) {
        const unsigned char lead = static_cast<unsigned char>(utf8[k]);
        size_t length = 0;
        uint32_t code = 0;
        if (lead < 0x80) {
            length = 1;
            code = lead;
        } else if ((lead & 0xE0) == 0xC0) {
            length = 2;
            code = lead & 0x1F;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3;
            code = lead & 0x0F;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4;
            code = lead & 0x07;
        }
        bool valid = length != 0 && k + length <= utf8.size();
        for (size_t n = 1; valid && n < length; ++n) {
            const unsigned char next = static_cast<unsigned char>(utf8[k + n]);
            valid = (next & 0xC0) == 0x80;
            code = code << 6 | (next & 0x3F);
        }
        valid = valid && code <= 0x10FFFF && !(code >= 0xD800 && code <= 0xDFFF);
        k += valid ? length : 1;
        if (!valid)
            code = 0xFFFD;
        if (code >= 0x10000) {
            unit(0xD800 | (code - 0x10000) >> 10);
            unit(0xDC00 | (code & 0x3FF));
        } else {
            unit(code);
        }
    }
    unit(0);
    return bytes;
}

// The text of a REG_SZ's bytes, up to its first zero; false when they are no UTF-16.
bool Utf8OfUtf16(const std::string& bytes, std::string* utf8) {
    if (bytes.size() % 2 != 0)
        return false;
    utf8->clear();
    auto put = [&](uint32_t code) {
        if (code < 0x80) {
            *utf8 += static_cast<char>(code);
        } else if (code < 0x800) {
            *utf8 += static_cast<char>(0xC0 | code >> 6);
            *utf8 += static_cast<char>(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            *utf8 += static_cast<char>(0xE0 | code >> 12);
            *utf8 += static_cast<char>(0x80 | (code >> 6 & 0x3F));
            *utf8 += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            *utf8 += static_cast<char>(0xF0 | code >> 18);
            *utf8 += static_cast<char>(0x80 | (code >> 12 & 0x3F));
            *utf8 += static_cast<char>(0x80 | (code >> 6 & 0x3F));
            *utf8 += static_cast<char>(0x80 | (code & 0x3F));
        }
    };
    for (size_t k = 0; k + 1 < bytes.size(); k += 2) {
        uint32_t u = static_cast<unsigned char>(bytes[k]) |
                     static_cast<uint32_t>(static_cast<unsigned char>(bytes[k + 1])) << 8;
        if (u == 0)
            return true;
        if (u >= 0xD800 && u <= 0xDBFF && k + 3 < bytes.size()) {
            uint32_t low = static_cast<unsigned char>(bytes[k + 2]) |
                           static_cast<uint32_t>(static_cast<unsigned char>(bytes[k + 3])) << 8;
            if (low < 0xDC00 || low > 0xDFFF)
                return false;
            put(0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
            k += 2;
            continue;
        }
        if (u >= 0xD800 && u <= 0xDFFF)
            return false;
        put(u);
    }
    return true;
}

RegistryValue TextValue(const char* name, const std::string& utf8) {
    return {name, REGISTRY_SZ, Utf16Bytes(utf8)};
}

uint32_t DwordOf(const std::string& data) {
    uint32_t value = 0;
    for (size_t k = 0; k < 4; ++k)
        value |= static_cast<uint32_t>(static_cast<unsigned char>(data[k])) << (8 * k);
    return value;
}

RegistryValue DwordValue(const std::string& name, uint32_t value) {
    std::string data(4, '\0');
    for (size_t k = 0; k < 4; ++k)
        data[k] = static_cast<char>(value >> (8 * k) & 0xFF);
    return {name, REGISTRY_DWORD, data};
}

// A setting beside the configuration: a 4-byte REG_DWORD other than "datasize".
bool IsSetting(const RegistryValue& value) {
    return value.type == REGISTRY_DWORD && value.data.size() == 4 && value.name != SIZE_VALUE &&
           value.name != DATA_VALUE;
}

// A generation's sequence number from its key's name: exactly 8 digits, not 0.
bool SequenceOf(const std::string& name, uint32_t* sequence) {
    if (name.size() != 8 ||
        !std::all_of(name.begin(), name.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return false;
    *sequence = static_cast<uint32_t>(std::stoul(name));
    return *sequence != 0;
}

std::string KeyOf(uint32_t sequence) {
    char name[32];
    snprintf(name, sizeof name, "%s\\%08u", HISTORY_KEY, static_cast<unsigned>(sequence));
    return name;
}

// The generations' sequence numbers, the newest first; the other keys' names in *others.
uint32_t ReadSequences(ConfigKeyPort& key, std::vector<uint32_t>* sequences,
                       std::vector<std::string>* others) {
    std::vector<std::string> names;
    const uint32_t error = key.ReadSubkeys(HISTORY_KEY, &names);
    if (error == REMOTE_NO_CONFIGURATION)
        return 0;
    if (error != 0)
        return error;
    for (const std::string& name : names) {
        uint32_t sequence = 0;
        if (SequenceOf(name, &sequence))
            sequences->push_back(sequence);
        else if (others != nullptr)
            others->push_back(name);
    }
    std::sort(sequences->rbegin(), sequences->rend());
    return 0;
}

// Drops the oldest generations beyond the bounds; the newest always stays. "" or the
// sentence of the first deletion that failed.
std::string DropOldest(ConfigKeyPort& key) {
    std::vector<uint32_t> sequences;
    uint32_t error = ReadSequences(key, &sequences, nullptr);
    if (error != 0)
        return "the history could not be read to drop its oldest generations (" + ErrorText(error) +
               ")";
    uint64_t bytes = 0;
    for (size_t k = 0; k < sequences.size(); ++k) {
        uint32_t size = 0;
        if (key.ValueSize(KeyOf(sequences[k]), DATA_VALUE, &size) != 0)
            size = 0;
        bytes += size;
        if (k == 0 || (k < HISTORY_MAX_GENERATIONS && bytes <= HISTORY_MAX_BYTES))
            continue;
        error = key.DeleteKey(KeyOf(sequences[k]));
        if (error != 0)
            return "the oldest generation " + KeyOf(sequences[k]) + " could not be removed (" +
                   ErrorText(error) + ")";
    }
    return "";
}

std::string Keep(ConfigKeyPort& key, uint32_t error, const std::vector<RegistryValue>& stored,
                 const GenerationFacts& facts) {
    if (error == REMOTE_NO_CONFIGURATION)
        return ""; // nothing stored yet: nothing to keep
    if (error != 0)
        return NOT_KEPT + std::string("it could not be read (") + ErrorText(error) + ")";
    std::vector<RegistryValue> kept;
    for (const RegistryValue& value : stored) {
        if (value.name == DATA_VALUE || value.name == SIZE_VALUE)
            kept.push_back(value);
        else if (IsSetting(value))
            kept.push_back({SETTING_PREFIX + value.name, value.type, value.data});
    }
    if (std::none_of(kept.begin(), kept.end(),
                     [](const RegistryValue& value) { return value.name == DATA_VALUE; }))
        return ""; // no configuration stored before
    for (const FactValue& fact : FACT_VALUES)
        kept.push_back(TextValue(fact.name, facts.*fact.field));

    std::vector<uint32_t> sequences;
    error = ReadSequences(key, &sequences, nullptr);
    if (error != 0)
        return NOT_KEPT + std::string("the history could not be read (") + ErrorText(error) + ")";
    const uint32_t next = sequences.empty() ? 1 : sequences.front() + 1;
    if (next > LAST_SEQUENCE)
        return NOT_KEPT + std::string("its numbers are used up: remove the History key to "
                                      "start again");
    const std::string path = KeyOf(next);
    for (const RegistryValue& value : kept) {
        error = key.WriteValue(path, value);
        if (error != 0) {
            key.DeleteKey(path); // no half generation stays behind
            return NOT_KEPT + std::string("it could not be written as ") + path + " (" +
                   ErrorText(error) + ")";
        }
    }
    const std::string dropped = DropOldest(key);
    return dropped.empty()
               ? ""
               : "the configuration it replaces is kept as " + path + ", but " + dropped;
}

// One value of a generation into `generation`; a damaged one is named in its problems.
void ReadGenerationValue(const RegistryValue& value, Generation* generation, bool* hasData,
                         bool* hasSize, bool* complete) {
    const std::string where = generation->key + ": \"" + value.name + "\" ";
    if (value.name == DATA_VALUE) {
        if (value.type == REGISTRY_BINARY) {
            generation->blob = value.data;
            *hasData = true;
        } else {
            generation->problems.push_back(where + "is not binary: skipped");
        }
        return;
    }
    if (value.name == SIZE_VALUE) {
        if (value.type == REGISTRY_DWORD && value.data.size() == 4) {
            generation->datasize = DwordOf(value.data);
            *hasSize = true;
        } else {
            generation->problems.push_back(where + "is not a 4-byte DWORD: skipped");
        }
        return;
    }
    const size_t prefix = sizeof SETTING_PREFIX - 1;
    if (value.name.compare(0, prefix, SETTING_PREFIX) == 0 && value.name.size() > prefix) {
        const std::string name = value.name.substr(prefix);
        if (value.type == REGISTRY_DWORD && value.data.size() == 4) {
            generation->settings.emplace_back(name, DwordOf(value.data));
        } else {
            generation->skippedSettings.push_back(name);
            generation->problems.push_back(where + "is not a 4-byte DWORD: skipped");
        }
        return;
    }
    for (const FactValue& fact : FACT_VALUES) {
        if (value.name != fact.name)
            continue;
        if (value.name == WHEN_VALUE)
            *complete = true;
        std::string text;
        if (value.type == REGISTRY_SZ && Utf8OfUtf16(value.data, &text))
            generation->facts.*fact.field = text;
        else
            generation->problems.push_back(where + "is not a text: skipped");
        return;
    }
    generation->problems.push_back(where + "is not a value of a generation: skipped");
}

bool BlobDecodes(const std::string& blob) {
    std::vector<uint8_t> plain(blob.begin(), blob.end());
    CryptConfigBlob(plain.data(), plain.size());
    ParamPacket* packet = nullptr;
    if (plain.empty() || DecodePacket(plain.data(), plain.size(), &packet) != 0)
        return false;
    FreePacket(packet);
    return true;
}

void ReadOneGeneration(ConfigKeyPort& key, uint32_t sequence, Generation* generation) {
    generation->key = KeyOf(sequence);
    std::vector<RegistryValue> values;
    const uint32_t error = key.ReadValues(generation->key, &values);
    if (error != 0) {
        generation->unreadable = "it cannot be read (" + ErrorText(error) + ")";
        return;
    }
    bool hasData = false, hasSize = false, complete = false;
    for (const RegistryValue& value : values)
        ReadGenerationValue(value, generation, &hasData, &hasSize, &complete);
    // As the library reads a pair: "datasize" at least the blob's size, and not 0.
    if (!complete)
        generation->unreadable = "its keeping did not finish (it has no \"When\")";
    else if (!hasData)
        generation->unreadable = "it holds no \"tsdata\"";
    else if (!hasSize || generation->datasize == 0 ||
             generation->datasize < generation->blob.size())
        generation->unreadable = "its \"datasize\" does not fit its \"tsdata\"";
    else if (!BlobDecodes(generation->blob))
        generation->unreadable = "its configuration does not decode";
}

struct RecordOwner {
    FilterConfigRecord* record;
    ~RecordOwner() {
        ClearRecordLists(*record);
        delete record;
    }
};

int Decode(const Generation& generation, FilterConfigRecord& record) {
    if (!generation.unreadable.empty())
        return -1;
    std::vector<uint8_t> plain(generation.blob.begin(), generation.blob.end());
    CryptConfigBlob(plain.data(), plain.size());
    ParamPacket* packet = nullptr;
    if (plain.empty() || DecodePacket(plain.data(), plain.size(), &packet) != 0)
        return -1;
    const int result = ApplyConfigPacketTo(packet, record);
    FreePacket(packet);
    return result;
}

} // namespace

std::string KeepGeneration(ConfigKeyPort& key, const GenerationFacts& facts) {
    std::vector<RegistryValue> stored;
    const uint32_t error = ReadStoredValues(key, &stored);
    return KeepStoredGeneration(key, error, stored, facts);
}

uint32_t ReadStoredValues(ConfigKeyPort& key, std::vector<RegistryValue>* stored) {
    try {
        return key.ReadValues("", stored);
    } catch (const std::bad_alloc&) {
        stored->clear();
        return 8; // ERROR_NOT_ENOUGH_MEMORY
    }
}

std::string KeepStoredGeneration(ConfigKeyPort& key, uint32_t readError,
                                 const std::vector<RegistryValue>& stored,
                                 const GenerationFacts& facts) {
    try {
        return Keep(key, readError, stored, facts);
    } catch (const std::bad_alloc&) {
        return NOT_KEPT + std::string("memory ran out");
    }
}

uint32_t ReadConfigHistory(ConfigKeyPort& key, ConfigHistory* history) {
    *history = ConfigHistory();
    std::vector<uint32_t> sequences;
    std::vector<std::string> others;
    const uint32_t error = ReadSequences(key, &sequences, &others);
    if (error != 0)
        return error;
    for (const std::string& name : others)
        history->problems.push_back(std::string(HISTORY_KEY) + "\\" + name +
                                    ": not a generation (its name is not 8 digits): skipped");
    for (size_t k = 0; k < sequences.size(); ++k) {
        Generation generation;
        generation.number = static_cast<uint32_t>(k + 1);
        ReadOneGeneration(key, sequences[k], &generation);
        history->generations.push_back(std::move(generation));
    }
    return 0;
}

uint32_t RestoreGeneration(ConfigKeyPort& key, const Generation& generation, std::string* problem) {
    if (!generation.unreadable.empty()) {
        *problem = "generation " + std::to_string(generation.number) +
                   " is never restored: " + generation.unreadable;
        return REMOTE_NO_CONFIGURATION;
    }
    std::vector<RegistryValue> stored;
    uint32_t error = key.ReadValues("", &stored);
    if (error != 0 && error != REMOTE_NO_CONFIGURATION) {
        *problem = "the stored configuration could not be read (" + ErrorText(error) + ")";
        return error;
    }
    std::vector<RegistryValue> writes = {{DATA_VALUE, REGISTRY_BINARY, generation.blob},
                                         DwordValue(SIZE_VALUE, generation.datasize)};
    for (const auto& setting : generation.settings)
        writes.push_back(DwordValue(setting.first, setting.second));
    for (const RegistryValue& value : writes) {
        error = key.WriteValue("", value);
        if (error != 0) {
            *problem = "\"" + value.name + "\" could not be written (" + ErrorText(error) + ")";
            return error;
        }
    }
    for (const RegistryValue& value : stored) {
        auto named = [&](const std::string& name) { return name == value.name; };
        const bool kept = std::any_of(generation.settings.begin(), generation.settings.end(),
                                      [&](const std::pair<std::string, uint32_t>& setting) {
                                          return named(setting.first);
                                      }) ||
                          std::any_of(generation.skippedSettings.begin(),
                                      generation.skippedSettings.end(), named);
        if (!IsSetting(value) || kept)
            continue;
        error = key.DeleteValue("", value.name);
        if (error != 0 && error != REMOTE_NO_CONFIGURATION) {
            *problem = "\"" + value.name +
                       "\", which the generation did not have, could not be "
                       "removed (" +
                       ErrorText(error) + ")";
            return error;
        }
    }
    return 0;
}

int DecodeGeneration(const Generation& generation, FilterConfigRecord& record) {
    try {
        return Decode(generation, record);
    } catch (const std::bad_alloc&) {
        return -1;
    }
}

int LoadGenerationIntoConfig(const Generation& generation) {
    try {
        RecordOwner loaded{new FilterConfigRecord()};
        CopyConfigScalars(FilterConfig, *loaded.record);
        if (Decode(generation, *loaded.record) != 0)
            return -1;
        std::swap(FilterConfig, *loaded.record); // the old rows leave with `loaded`
        return 0;
    } catch (const std::bad_alloc&) {
        return -1;
    }
}

bool GenerationSetting(const Generation& generation, const char* name, uint32_t* value) {
    for (const auto& setting : generation.settings) {
        if (setting.first == name) {
            *value = setting.second;
            return true;
        }
    }
    return false;
}

void AddKeepProblem(const std::string& problem, std::string* summary) {
    if (!problem.empty())
        *summary += "; " + problem;
}
