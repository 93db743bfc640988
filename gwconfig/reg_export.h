// A registry file for `reg import` (or a Group Policy registry preference): the
// enciphered configuration as "tsdata" and its length as "datasize" under the key the
// library reads, in the order the console writes them.
#pragma once

#include <string>

#include "gwconfig/json_import.h"

enum class RegistryView { VIEW_64, VIEW_32 };

// The key's full name for the view: the 32-bit view of a 64-bit Windows lies under
// Wow6432Node.
std::string ConfigKeyPath(RegistryView view);

// The file's bytes: "Windows Registry Editor Version 5.00" text in UTF-16LE with a
// byte-order mark and CR LF line ends, as regedit writes it. The settings beside
// the configuration that `beside` has follow ("EventLog", then "AuditOnly").
std::string RegistryFileBytes(const std::string& enciphered, RegistryView view,
                              const BesideValues& beside = BesideValues());
