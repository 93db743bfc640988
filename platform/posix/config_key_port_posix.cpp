// No registry here, local or remote.
#include "platform/config_key_port.h"

std::unique_ptr<ConfigKeyPort> OpenLocalConfigKeyPort(uint32_t* error) {
    *error = REMOTE_NEEDS_WINDOWS;
    return nullptr;
}

std::unique_ptr<ConfigKeyPort> OpenRemoteConfigKeyPort(const std::string&, RemoteView,
                                                       uint32_t* error) {
    *error = REMOTE_NEEDS_WINDOWS;
    return nullptr;
}
