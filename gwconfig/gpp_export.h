// A Group Policy Preferences registry settings file (Registry.xml): the configuration
// as two Registry items, "tsdata" (REG_BINARY) then "datasize" (REG_DWORD), each an
// update of the value under HKEY_LOCAL_MACHINE where the library of the chosen view
// reads it, followed by one REG_DWORD item for each setting beside the configuration
// that is given ("EventLog", "AuditOnly"). Dropped into a GPO's Machine\Preferences\Registry
// folder, or its items copied in the Group Policy Management Console, it reaches every server the
// GPO applies to.
#pragma once

#include <string>

#include "gwconfig/config_io.h"
#include "gwconfig/reg_export.h"
#include "platform/unique_id.h"

// What makes one export's items its own: the time of export ("YYYY-MM-DD HH:MM:SS",
// UTC, as the Group Policy editor writes it) and a fresh uid for each item.
struct GppStamp {
    std::string changed;
    std::string tsdataUid;
    std::string datasizeUid;
    std::string sideUids[SIDE_SETTING_COUNT];
};

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", upper-case hex.
std::string FormatUniqueId(const UniqueId& id);

// The time of now and new uids for every item. False with *error when the system gives no
// identifier.
bool NewGppStamp(GppStamp* stamp, std::string* error);

// The file's text: UTF-8 with its XML declaration, CR LF line ends.
std::string GppRegistryXml(const std::string& enciphered, RegistryView view, const GppStamp& stamp,
                           const BesideValues& beside = BesideValues());

// export-gpp: the blob of a configuration file unchanged (it must decode), or the
// registry's configuration as the console's apply stores it, written to `output`, with
// the settings `beside` gives.
// False with *error; nothing is written then.
bool ExportGpp(const ConfigSource& source, const std::string& output, RegistryView view,
               const BesideValues& beside, std::string* error);
