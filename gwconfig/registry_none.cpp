// Systems without a registry: the configuration lives only in files there.
#include "gwconfig/registry_access.h"

bool LoadRegistryConfig(std::string* error) {
    *error = "there is no registry on this system: --registry works in gwconfig.exe on Windows";
    return false;
}

bool ApplyRegistryConfig(const std::string&, const BesideValues&, std::string* error,
                         std::string*) {
    *error = "there is no registry on this system: apply works in gwconfig.exe on Windows";
    return false;
}

bool ReadRegistrySideSetting(SideSettingId, uint32_t*) {
    return false;
}

bool WriteRegistrySideSetting(SideSettingId id, uint32_t, std::string* error) {
    *error = std::string("there is no registry on this system: ") + SIDE_SETTINGS[id].option +
             " works in gwconfig.exe on Windows";
    return false;
}

bool RemoteRegistryAvailable(std::string* error) {
    *error = "a remote computer's registry is reached through Windows: --computer works in "
             "gwconfig.exe on Windows";
    return false;
}
