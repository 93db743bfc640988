// No registry here, local or remote.
#include "platform/remote_config.h"

uint32_t ReadRemoteConfigBlob(const std::string&, RemoteView, std::string*) {
    return REMOTE_NEEDS_WINDOWS;
}

uint32_t WriteRemoteConfigBlob(const std::string&, RemoteView, const std::string&) {
    return REMOTE_NEEDS_WINDOWS;
}

uint32_t ReadRemoteConfigDword(const std::string&, RemoteView, const char*, uint32_t*) {
    return REMOTE_NEEDS_WINDOWS;
}

uint32_t WriteRemoteConfigDword(const std::string&, RemoteView, const char*, uint32_t) {
    return REMOTE_NEEDS_WINDOWS;
}
