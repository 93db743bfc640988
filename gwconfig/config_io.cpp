#include "gwconfig/config_io.h"

#include <utility>

#include "config/config_mapping.h"
#include "config/container.h"
#include "config/persistence.h"
#include "gwconfig/generation_source.h"
#include "gwconfig/json_import.h"
#include "gwconfig/registry_access.h"
#include "gwconfig/remote_servers.h"
#include "platform/tool_files.h"

namespace {

struct PacketDeleter {
    void operator()(ParamPacket* packet) const { FreePacket(packet); }
};
using PacketPtr = std::unique_ptr<ParamPacket, PacketDeleter>;

// JSON starts with '{' (after blanks or a byte-order mark); an enciphered blob always
// starts with the byte 0x99, its header's first byte under the fixed keystream.
bool LooksLikeJson(const std::string& data) {
    size_t k = data.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    while (k < data.size() &&
           (data[k] == ' ' || data[k] == '\t' || data[k] == '\r' || data[k] == '\n'))
        ++k;
    return k < data.size() && data[k] == '{';
}

// Fills FilterConfig (reset first) from a decoded packet.
bool ApplyPacket(PacketPtr packet) {
    ResetFilterConfig();
    return ApplyConfigPacket(packet.get()) == 0;
}

} // namespace

bool LoadConfigBlob(std::string enciphered) {
    uint8_t* blob = reinterpret_cast<uint8_t*>(&enciphered[0]);
    CryptConfigBlob(blob, enciphered.size());
    ParamPacket* decoded = nullptr;
    if (DecodePacket(blob, enciphered.size(), &decoded) != 0)
        return false;
    PacketPtr packet(decoded);
    std::string().swap(enciphered); // the packet holds copies of everything
    return ApplyPacket(std::move(packet));
}

bool LoadConfigJson(const std::string& text, const std::string& name, uint32_t codePage,
                    std::vector<std::string>* errors, std::vector<std::string>* warnings,
                    BesideValues* beside) {
    uint8_t* defaults = nullptr;
    size_t length = 0;
    ParamPacket* decoded = nullptr;
    bool ready = BuildDefaultConfig(&defaults, &length) == 0 &&
                 DecodePacket(defaults, length, &decoded) == 0;
    FreeBlob(defaults);
    if (!ready || !ApplyPacket(PacketPtr(decoded))) {
        errors->push_back("out of memory");
        return false;
    }
    std::vector<ImportIssue> issues, notes;
    const bool imported = ImportJson(text, codePage, FilterConfig, &issues, &notes, beside);
    if (warnings != nullptr) {
        for (const ImportIssue& note : notes)
            warnings->push_back(FormatImportIssue(name, note));
    }
    if (imported)
        return true;
    for (const ImportIssue& issue : issues)
        errors->push_back(FormatImportIssue(name, issue));
    return false;
}

bool LoadConfig(const ConfigSource& source, uint32_t codePage, std::vector<std::string>* errors,
                std::vector<std::string>* warnings, BesideValues* beside) {
    if (beside != nullptr)
        *beside = BesideValues();
    if (source.generation != 0)
        return LoadGenerationConfig(source, errors, warnings, beside);
    if (!source.computer.empty()) {
        std::string blob, error;
        if (!LoadRemoteConfig(source.computer, source.view, &blob, &error)) {
            errors->push_back(error);
            return false;
        }
        if (beside != nullptr) {
            for (int id = 0; id < SIDE_SETTING_COUNT; ++id)
                beside->has[id] =
                    ReadRemoteConfigDword(source.computer, source.view, SIDE_SETTINGS[id].name,
                                          &beside->value[id]) == REMOTE_OK;
        }
        return true;
    }
    if (source.registry) {
        std::string error;
        if (!LoadRegistryConfig(&error)) {
            errors->push_back(error);
            return false;
        }
        if (beside != nullptr) {
            for (int id = 0; id < SIDE_SETTING_COUNT; ++id)
                beside->has[id] =
                    ReadRegistrySideSetting(static_cast<SideSettingId>(id), &beside->value[id]);
        }
        return true;
    }
    std::string data, error;
    if (!ToolReadFile(source.path, &data, &error)) {
        errors->push_back(error);
        return false;
    }
    if (LooksLikeJson(data))
        return LoadConfigJson(data, source.path, codePage, errors, warnings, beside);
    if (data.empty()) {
        errors->push_back(source.Name() + " is empty: it holds no configuration");
        return false;
    }
    if (!LoadConfigBlob(std::move(data))) {
        errors->push_back(source.Name() +
                          " does not decode as a configuration file (not one, or damaged)");
        return false;
    }
    return true;
}

namespace {

bool EncodeConfig(ConfigParamOrder order, std::string* enciphered) {
    PacketPtr packet(BuildConfigPacket(order));
    if (!packet)
        return false;
    uint8_t* blob = nullptr;
    size_t length = 0;
    if (EncodePacket(packet.get(), &blob, &length) != 0)
        return false;
    CryptConfigBlob(blob, length);
    enciphered->assign(reinterpret_cast<const char*>(blob), length);
    FreeBlob(blob);
    return true;
}

} // namespace

bool EncodeConfigFile(std::string* enciphered) {
    return EncodeConfig(FILE_PARAM_ORDER, enciphered);
}

bool EncodeConfigRegistry(std::string* enciphered) {
    return EncodeConfig(REGISTRY_PARAM_ORDER, enciphered);
}

HeldConfig HeldConfig::TakeFilterConfig() {
    HeldConfig held;
    std::swap(*held.record_, FilterConfig);
    return held;
}

HeldConfig::~HeldConfig() {
    if (record_)
        ClearRecordLists(*record_);
}
