#include "gwconfig/gpp_export.h"

#include <cstdio>
#include <ctime>
#include <memory>

#include "config/config_mapping.h"
#include "config/container.h"
#include "config/persistence.h"
#include "gwconfig/registry_access.h"
#include "gwconfig/remote_servers.h"
#include "platform/tool_files.h"

namespace {

// The class identifiers of the registry extension's collection and of its items.
const char REGISTRY_SETTINGS_CLSID[] = "{A3CCFC41-DFDB-43a5-8D26-0FE8B954DA51}";
const char REGISTRY_ITEM_CLSID[] = "{9CD4B2F4-923D-47f5-A062-E897DD1DAD50}";

// The key without its hive, as the item's key attribute wants it.
std::string KeyBelowHive(RegistryView view) {
    const std::string full = ConfigKeyPath(view);
    return full.substr(full.find('\\') + 1);
}

// One Registry item. image picks the editor's icon for an update of a value of that
// kind; bypassErrors is left out, so a failed "tsdata" stops the extension before a
// "datasize" that would not match it.
std::string RegistryItem(const char* name, const char* type, const char* image,
                         const std::string& value, const char* displayDecimal, RegistryView view,
                         const std::string& changed, const std::string& uid, const char* desc) {
    std::string item = "\t<Registry clsid=\"";
    item += REGISTRY_ITEM_CLSID;
    item += std::string("\" name=\"") + name + "\" status=\"" + name + "\" image=\"" + image +
            "\" changed=\"" + changed + "\" uid=\"" + uid + "\" desc=\"" + desc + "\">";
    item += std::string("<Properties action=\"U\" displayDecimal=\"") + displayDecimal +
            "\" default=\"0\" hive=\"HKEY_LOCAL_MACHINE\" key=\"" + KeyBelowHive(view) +
            "\" name=\"" + name + "\" type=\"" + type + "\" value=\"" + value + "\"/>";
    item += "</Registry>\r\n";
    return item;
}

} // namespace

std::string FormatUniqueId(const UniqueId& id) {
    char text[40];
    snprintf(text, sizeof text, "{%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
             static_cast<unsigned long>(id.data1), id.data2, id.data3, id.data4[0], id.data4[1],
             id.data4[2], id.data4[3], id.data4[4], id.data4[5], id.data4[6], id.data4[7]);
    return text;
}

bool NewGppStamp(GppStamp* stamp, std::string* error) {
    UniqueId first, second, side[SIDE_SETTING_COUNT];
    bool made = NewUniqueId(&first) && NewUniqueId(&second);
    for (UniqueId& id : side)
        made = made && NewUniqueId(&id);
    if (!made) {
        *error = "the system gives no new identifier for the items";
        return false;
    }
    stamp->tsdataUid = FormatUniqueId(first);
    stamp->datasizeUid = FormatUniqueId(second);
    for (int id = 0; id < SIDE_SETTING_COUNT; ++id)
        stamp->sideUids[id] = FormatUniqueId(side[id]);
    std::time_t now = std::time(nullptr);
    const std::tm* utcNow = std::gmtime(&now);
    if (utcNow == nullptr) {
        *error = "the system clock gives no time of day";
        return false;
    }
    const std::tm utc = *utcNow;
    char changed[80];
    snprintf(changed, sizeof changed, "%04d-%02d-%02d %02d:%02d:%02d", utc.tm_year + 1900,
             utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec);
    stamp->changed = changed;
    return true;
}

std::string GppRegistryXml(const std::string& enciphered, RegistryView view, const GppStamp& stamp,
                           const BesideValues& beside) {
    static const char HEX[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(enciphered.size() * 2);
    for (char c : enciphered) {
        const unsigned char byte = static_cast<unsigned char>(c);
        hex += HEX[byte >> 4];
        hex += HEX[byte & 15];
    }
    char size[16];
    snprintf(size, sizeof size, "%08lx", static_cast<unsigned long>(enciphered.size()));

    std::string xml = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<RegistrySettings clsid=\"";
    xml += REGISTRY_SETTINGS_CLSID;
    xml += "\">";
    xml += "\r\n";
    xml +=
        RegistryItem("tsdata", "REG_BINARY", "17", hex, "0", view, stamp.changed, stamp.tsdataUid,
                     "Gatewell configuration (enciphered). Belongs with the datasize item "
                     "that follows it: copy, change and remove the two together.");
    xml += RegistryItem("datasize", "REG_DWORD", "12", size, "1", view, stamp.changed,
                        stamp.datasizeUid,
                        "Length of the Gatewell configuration in tsdata. Belongs with the "
                        "tsdata item before it: copy, change and remove the two together.");
    for (int id = 0; id < SIDE_SETTING_COUNT; ++id) {
        if (!beside.has[id])
            continue;
        snprintf(size, sizeof size, "%08lx", static_cast<unsigned long>(beside.value[id]));
        const char* name = SIDE_SETTINGS[id].name;
        const std::string desc = std::string("Gatewell ") + name +
                                 ", stored beside the configuration (see gwconfig " +
                                 SIDE_SETTINGS[id].option + ").";
        xml += RegistryItem(name, "REG_DWORD", "12", size, "1", view, stamp.changed,
                            stamp.sideUids[id], desc.c_str());
    }
    xml += "</RegistrySettings>\r\n";
    return xml;
}

bool ExportGpp(const ConfigSource& source, const std::string& output, RegistryView view,
               const BesideValues& beside, std::string* error) {
    std::string blob;
    if (!source.computer.empty()) {
        // The blob as the server stores it, once it is known to decode.
        if (!LoadRemoteConfig(source.computer, source.view, &blob, error))
            return false;
    } else if (source.registry) {
        if (!LoadRegistryConfig(error))
            return false;
        if (!EncodeConfigRegistry(&blob)) {
            *error = "out of memory while encoding the configuration";
            return false;
        }
    } else {
        if (!ToolReadFile(source.path, &blob, error))
            return false;
        if (blob.empty() || !LoadConfigBlob(blob)) {
            *error =
                source.Name() + " does not decode as a configuration file (not one, or damaged)";
            return false;
        }
    }
    GppStamp stamp;
    if (!NewGppStamp(&stamp, error))
        return false;
    return ToolWriteFileAtomic(output, GppRegistryXml(blob, view, stamp, beside), error);
}
