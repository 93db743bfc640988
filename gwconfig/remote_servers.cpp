#include "gwconfig/remote_servers.h"

#include "gwconfig/config_io.h"
#include "gwconfig/registry_access.h"

bool LoadRemoteConfig(const std::string& server, RemoteView view, std::string* blob,
                      std::string* error) {
    if (!RemoteRegistryAvailable(error))
        return false;
    uint32_t result = ReadRemoteConfigBlob(server, view, blob);
    if (result != REMOTE_OK) {
        *error = RemoteFailureText(server, result, false);
        return false;
    }
    if (!LoadConfigBlob(*blob)) {
        *error = "the configuration stored on " + ServerLabel(server) +
                 " does not decode (damaged): apply a good one to it";
        return false;
    }
    return true;
}

bool WriteRemoteConfig(const std::string& server, RemoteView view, const std::string& blob,
                       uint32_t* windowsError, std::string* error) {
    *windowsError = REMOTE_NEEDS_WINDOWS;
    if (!RemoteRegistryAvailable(error))
        return false;
    *windowsError = WriteRemoteConfigBlob(server, view, blob);
    if (*windowsError == REMOTE_OK)
        return true;
    *error = RemoteFailureText(server, *windowsError, true);
    return false;
}
